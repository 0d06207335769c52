// Input tests run on the scripted backend: no window, no renderer, the
// screen is the 320 x 240 the input layer assumes without one, and window
// pixels are screen pixels.
#pragma once

#include <gtest/gtest.h>

#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/platform/input_devices.h"
#include "runtime/runtime.h"

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dev.SetMouse(100, 100);
    plat::InstallInputDevices(&dev);
  }
  void TearDown() override {
    InputShutdown();
    plat::InstallInputDevices(nullptr);
  }
  // Start-up as the engine runs it, with or without the exclusive mouse.
  void Start(bool exclusiveMouse = false) {
    InputStart();
    InputWindowChanged({nullptr, exclusiveMouse});
  }
  std::string Typed() { return TypedChar().c_str(); }

  plat::ScriptedInputDevices dev;
};
