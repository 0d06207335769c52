// What every subsystem is told when the main window is made or changes mode:
// one record, so that each subsystem's window-changed step has the same
// signature and the engine can tell them all from one list.
#pragma once

namespace plat {
struct Window;
}

struct WindowChange {
  plat::Window* window = nullptr;
  // The program asked for the exclusive mouse (relative motion, no cursor).
  bool exclusiveMouse = false;
};
