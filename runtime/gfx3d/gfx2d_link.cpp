#include "runtime/gfx3d/gfx2d_link.h"

#include <GL/gl.h>

#include "runtime/render/screen_buffer.h"

namespace gfx3d {

Viewport DrawAreaViewport() {
  const ScreenBuffer& s = LogicalScreen();
  return Viewport{0, 0, s.width, s.height};
}

void ReturnTo2D() {
  BindScreen();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, LogicalScreen().width, LogicalScreen().height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
}

void BindTextures(int slot, int, bool, const uint32_t* table) {
  if (slot < 0 || !table) {
    glDisable(GL_TEXTURE_2D);
    return;
  }
  glBindTexture(GL_TEXTURE_2D, table[slot]);
  glEnable(GL_TEXTURE_2D);
}

float CurrentAlpha() {
  return 1.0f;
}

bool ValidSpriteSlotOrNone(int slot) {
  return slot < 65536;
}

int32_t SpriteColourKey() {
  return 0x8000FF;
}

uint32_t LoadImageTexture(const char*, int32_t) {
  return 0;
}

}  // namespace gfx3d
