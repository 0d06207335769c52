// The native window behind plat::Window, shared by the platform's SDL
// sources only.
#pragma once

#include <SDL.h>

#include "runtime/platform/window.h"

struct plat::Window {
  SDL_Window* sdl = nullptr;
  // Full screen placed by the runtime itself (no window manager took the
  // request): the windowed position and size to go back to.
  bool coveredByHand = false;
  int windowedX = 0, windowedY = 0, windowedW = 0, windowedH = 0;
};
