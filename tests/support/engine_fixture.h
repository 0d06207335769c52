// Shared set-up for tests that need a started engine: the process's
// private temporary directory and recorded message boxes (test_env.h), and
// one engine start per process.
#pragma once

#include <gtest/gtest.h>

#include "runtime/frame/engine_state.h"
#include "runtime/frame/renderer.h"
#include "runtime/runtime.h"
#include "test_env.h"

namespace testenv {

// What the process entry installs: ExitProgram and End shut the engine
// down. Tests of what program end does call it themselves.
inline void InstallProgramEnd() {
  SetProgramExitHandler(ShutdownAndExit);
}

inline void StartEngine(int fullScreen = 0, int debugMode = 0, const char* title = "Tester") {
  InstallProgramEnd();
  PrivateTempDir();
  RecordMessageBoxes();
  ProjectSettings settings;
  settings.fullScreen = fullScreen;
  settings.debugMode = debugMode;
  SetProjectSettings(settings);
  EngineStart(nullptr, nullptr, "", 1, title);
}

// One engine per test process; tests that must see a fresh start run it in
// a child process instead (see the death tests).
inline Renderer* SharedEngine() {
  static bool started = false;
  if (!started) {
    StartEngine();
    started = true;
  }
  return g_engine.renderer;
}

}  // namespace testenv
