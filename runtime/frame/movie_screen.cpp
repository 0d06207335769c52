#include "runtime/frame/movie_screen.h"

#include "runtime/platform/window.h"
#include "runtime/render/screen_buffer.h"

bool CurrentMovieScreen(MovieScreen* screen) {
  const ScreenBuffer& s = LogicalScreen();
  if (!s.fbo || !plat::HasGLContext()) return false;
  screen->framebuffer = ScreenDrawFramebuffer();
  screen->width = s.width;
  screen->height = s.height;
  return screen->width > 0 && screen->height > 0;
}

void RestoreScreenTarget() {
  if (LogicalScreen().fbo) BindScreen();
}
