// The layers under the frame brought up for their own tests: the window,
// its GL context and the logical screen, made the way the renderer makes
// them, then the subsystem's own start. Nothing of frame/ takes part, so a
// test binary that uses this links only its subsystem's library and those
// below it, and a call from the subsystem upward fails to link it.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "runtime/platform/window.h"
#include "runtime/render/gl_info.h"
#include "runtime/render/screen_buffer.h"
#include "runtime/render/window_change.h"
#include "test_env.h"

namespace testenv {

// What a subsystem does to start and to shut down; shutdown runs after the
// process's last test, while the context is still current.
struct SubsystemSteps {
  std::function<void(const WindowChange&)> start;
  std::function<void()> shutdown;
};

namespace screen_detail {

inline plat::Window*& TheWindow() {
  static plat::Window* window = nullptr;
  return window;
}

// Shuts the subsystem down and releases the screen, the window and the
// context after the last test, as the engine's shutdown does.
class Teardown : public ::testing::Environment {
 public:
  explicit Teardown(std::function<void()> shutdown) : shutdown_(std::move(shutdown)) {}
  void TearDown() override {
    plat::Window*& window = TheWindow();
    if (!window) return;
    plat::MakeCurrent(window);
    if (shutdown_) shutdown_();
    DestroyScreenBuffer();
    plat::ReleaseCurrent();
    plat::DestroyWindow(window);
    window = nullptr;
    plat::DestroyGLContext();
  }

 private:
  std::function<void()> shutdown_;
};

}  // namespace screen_detail

// The window with a current GL context and a width x height logical screen,
// once per process; the first call also runs steps.start. Fails the test
// (and every later one) when no window or context can be made.
inline plat::Window* SharedScreen(const SubsystemSteps& steps = {}, int width = 320,
                                  int height = 240) {
  static bool tried = false;
  plat::Window*& window = screen_detail::TheWindow();
  if (!tried) {
    tried = true;
    PrivateTempDir();
    RecordMessageBoxes();
    if (!plat::Init()) {
      ADD_FAILURE() << "no video driver";
      return nullptr;
    }
    ScreenBuffer& screen = LogicalScreen();
    screen.width = width;
    screen.height = height;
    screen.samples = 0;
    plat::Window* made = plat::CreateWindow("Tester", width * 2, height * 2);
    if (!made || !plat::CreateGLContext(made)) {
      ADD_FAILURE() << "no window or GL context";
      if (made) plat::DestroyWindow(made);
      return nullptr;
    }
    plat::SetSwapInterval(0);
    LoadArbFunctions();
    LoadFramebufferFunctions();
    if (!CreateScreenBuffer(width, height)) {
      ADD_FAILURE() << "no logical screen (framebuffer objects missing)";
      plat::DestroyWindow(made);
      plat::DestroyGLContext();
      return nullptr;
    }
    plat::ShowWindow(made);
    BindScreen();
    window = made;
    ShowBlankScreen(window);
    ::testing::AddGlobalTestEnvironment(new screen_detail::Teardown(steps.shutdown));
    if (steps.start) steps.start({window, false});
  }
  if (!window) ADD_FAILURE() << "the shared screen could not be made";
  return window;
}

}  // namespace testenv
