#include "runtime/gfx2d/screen_target.h"

#include "runtime/frame/engine_state.h"
#include "runtime/frame/renderer.h"
#include "runtime/platform/platform.h"

namespace gfx2d {

int ScreenWidth() {
  return g_engine.renderer ? g_engine.renderer->screenWidth : 0;
}

int ScreenHeight() {
  return g_engine.renderer ? g_engine.renderer->screenHeight : 0;
}

uint32_t ScreenFramebuffer() {
  return g_engine.renderer ? g_engine.renderer->screenFbo : 0;
}

uint32_t ScreenReadFramebuffer() {
  return g_engine.renderer ? g_engine.renderer->ScreenReadFramebuffer() : 0;
}

bool ContextAlive() {
  return g_engine.renderer && g_engine.renderer->glReady && plat::HasGLContext();
}

}  // namespace gfx2d
