// The window (with its context and logical screen) the host subsystem puts
// aside while a dialog runs, brought up without the engine, and the screen
// mode switch the way the host sees it: the same window, full screen or not.
#pragma once

#include "runtime/host/host_service.h"
#include "runtime/platform/window.h"
#include "screen_fixture.h"

namespace hosttest {

inline plat::Window* HostScreen() {
  return testenv::SharedScreen({[](const WindowChange& change) {
                                  HostStart();
                                  HostWindowChanged(change);
                                },
                                [] { HostShutdown(); }});
}

// Full screen on or off, shown, and the host told of the window again.
inline void SwitchScreenMode(bool fullScreen) {
  plat::Window* window = HostScreen();
  plat::SetFullScreen(window, fullScreen);
  plat::ShowWindow(window);
  plat::RaiseWindow(window);
  HostWindowChanged({window, false});
}

}  // namespace hosttest
