#include "runtime/gfx2d/screen_target.h"

#include "runtime/platform/window.h"
#include "runtime/render/screen_buffer.h"

namespace gfx2d {

int ScreenWidth() {
  return LogicalScreen().fbo ? LogicalScreen().width : 0;
}

int ScreenHeight() {
  return LogicalScreen().fbo ? LogicalScreen().height : 0;
}

uint32_t ScreenFramebuffer() {
  return ::ScreenDrawFramebuffer();
}

uint32_t ScreenReadFramebuffer() {
  return LogicalScreen().fbo ? ::ScreenReadFramebuffer() : 0;
}

bool ContextAlive() {
  return LogicalScreen().fbo != 0 && plat::HasGLContext();
}

}  // namespace gfx2d
