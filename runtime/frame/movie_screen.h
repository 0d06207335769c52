// Where a movie meets the renderer: the logical screen it draws into.
#pragma once

#include <cstdint>

struct MovieScreen {
  uint32_t framebuffer = 0;
  int width = 0, height = 0;
};

// False without a renderer and its GL context.
bool CurrentMovieScreen(MovieScreen* screen);
// Puts the screen back as the drawing target after the player drew.
void RestoreScreenTarget();
