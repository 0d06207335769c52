#include "runtime/audio/movie_screen.h"

#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/renderer.h"

bool CurrentMovieScreen(MovieScreen* screen) {
  auto* r = g_engine.renderer;
  if (!r || !r->glReady || !r->window || !plat::HasGLContext()) return false;
  screen->framebuffer = r->screenFbo;
  screen->width = r->screenWidth;
  screen->height = r->screenHeight;
  return screen->width > 0 && screen->height > 0;
}

void RestoreScreenTarget() {
  if (g_engine.renderer) g_engine.renderer->BindScreen();
}

void PresentMovieFrame() {
  PresentFrame(g_engine.renderer);
}

void PumpMovieMessages() {
  PumpMessages(g_engine.renderer);
}
