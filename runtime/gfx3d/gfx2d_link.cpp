#include "runtime/gfx3d/gfx2d_link.h"

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/texture_upload.h"

namespace gfx3d {

Viewport DrawAreaViewport() {
  const gfx2d::Gfx2dState& g = gfx2d::Gfx2d();
  return Viewport{g.drawX, gfx2d::TargetHeight() - g.drawY - g.drawHeight, g.drawWidth,
                  g.drawHeight};
}

Viewport DrawAreaPixels() {
  const gfx2d::Gfx2dState& g = gfx2d::Gfx2d();
  return Viewport{g.drawX, g.drawY, g.drawWidth, g.drawHeight};
}

void ReturnTo2D() {
  gfx2d::ResetDrawArea(0, 0, 0, 0);
}

void BindTextures(int slot, int secondSlot, bool mipmapped, const uint32_t* table) {
  gfx2d::BindSpriteTexture(slot, secondSlot, mipmapped, table);
}

float CurrentAlpha() {
  return gfx2d::Gfx2d().currentAlpha;
}

bool ValidSpriteSlotOrNone(int slot) {
  return slot < gfx2d::kSpriteSlots;
}

int32_t SpriteColourKey() {
  return gfx2d::Gfx2d().spriteKey;
}

uint32_t LoadImageTexture(const char* name, int32_t key) {
  gfx2d::ImageBuffer image;
  if (!gfx2d::LoadImageFile(name, key, image)) return 0;
  uint32_t texture = 0;
  if (!gfx2d::UploadImage(image, 0, 0, 0, 0, &texture, nullptr, false, false)) return 0;
  return texture;
}

}  // namespace gfx3d
