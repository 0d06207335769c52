// The native window behind plat::Window, shared by the platform's SDL
// sources only.
#pragma once

#include <SDL.h>

#include "runtime/platform/window.h"

struct plat::Window {
  SDL_Window* sdl = nullptr;
};
