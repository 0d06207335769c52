#include "runtime/gfx2d/surfaces.h"

#include <algorithm>
#include <cstring>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/primitives.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/texture_upload.h"
#include "runtime/render/framebuffers.h"
#include "runtime/render/textures.h"

namespace gfx2d {
namespace {

// Grab textures start at 32 x 32.
int GrabPaddedSize(int n) {
  int size = 16;
  do {
    size *= 2;
  } while (size < n);
  return size;
}

// A new texture for screen grabs, bound, its contents undefined.
void MakeGrabTexture(uint32_t& texture, int width, int height, render::TexelOrder order) {
  texture = render::CreateTexture();
  render::BindTexture(texture);
  render::ResetUnpacking();
  render::SetSampling(render::Filter::Linear, render::Filter::Linear);
  render::UploadLevel(0, width, height, order, nullptr);
}

bool HasFramebuffer(const SurfaceSlot& s) {
  return s.framebuffer != 0 && s.width > 0 && render::HasFramebuffers();
}

void AttachSurface(const SurfaceSlot& s) {
  render::AttachTextureTarget(s.framebuffer, s.depthBuffer, Gfx2d().sprites[s.spriteSlot].texture);
}

}  // namespace

void DeleteSurface(int n) {
  if (n < 0 || n >= kSurfaceCount) return;
  SurfaceSlot& s = Gfx2d().surfaces[n];
  if (ContextAlive()) render::DeleteTextureTarget(s.framebuffer, s.depthBuffer);
  s = SurfaceSlot{};
}

void CopyScreenToBackgroundSlot(int slot) {
  if (slot < 0 || slot >= kBackgroundSlots) return;
  const int sw = TargetWidth(), sh = TargetHeight();
  if (sw <= 0 || sh <= 0) return;
  const int maxSize = MaxTextureSize();
  int t = 128;
  while (t < std::max(sw, sh) && t < maxSize) t *= 2;
  BackgroundSlot& b = Gfx2d().backgrounds[slot];
  b.sourceKey.clear();
  BindReadTarget();
  int rows = 0, columns = 0;
  for (int y = 0; y < sh && rows < kBackgroundGrid; y += t, ++rows) {
    int column = 0;
    for (int x = 0; x < sw && column < kBackgroundGrid; x += t, ++column) {
      BackgroundTile& tile = b.tiles[column][rows];
      if (tile.texture && tile.textureWidth == t && tile.textureHeight == t) {
        render::BindTexture(tile.texture);
      } else {
        if (tile.texture) render::DeleteTexture(tile.texture);
        MakeGrabTexture(tile.texture, t, t, render::TexelOrder::Rgba);
      }
      tile.usedWidth = std::min(t, sw - x);
      tile.usedHeight = std::min(t, sh - y);
      render::CopyReadTargetToTexture(x, sh - y - tile.usedHeight, tile.usedWidth, tile.usedHeight);
      tile.textureWidth = tile.textureHeight = t;
    }
    columns = std::max(columns, column);
  }
  b.columns = columns;
  b.rows = rows;
  BindCurrentTarget();
  render::ForgetBoundTexture();
  BindSpriteTexture(-1);
}

}  // namespace gfx2d

using namespace gfx2d;

void CopyScreenToSprite(int slot, int x, int y, int w, int h) {
  if (!ValidSlot(slot) || w <= 0 || h <= 0) return;
  const int maxSize = MaxTextureSize();
  if (w > maxSize || h > maxSize) return;
  Gfx2dState& g = Gfx2d();
  g.alphaMasks[slot].reset();
  SpriteSlot& s = g.sprites[slot];
  const int pw = GrabPaddedSize(w), ph = GrabPaddedSize(h);
  if (s.texture && s.paddedWidth == pw && s.paddedHeight == ph) {
    render::BindTexture(s.texture);
  } else {
    if (ContextAlive()) {
      if (s.texture) render::DeleteTexture(s.texture);
      if (s.mipTexture) render::DeleteTexture(s.mipTexture);
    }
    s.mipTexture = 0;
    MakeGrabTexture(s.texture, pw, ph, render::TexelOrder::Bgra);
  }

  const int targetHeight = TargetHeight();
  BindReadTarget();
  if (render::ReadTargetAlphaBits() > 0) {
    render::CopyReadTargetToTexture(x, targetHeight - y - h, w, h);
  } else {
    // No alpha to copy: key-coloured pixels are made transparent by hand.
    const size_t bytes = static_cast<size_t>(pw) * ph * 4;
    if (g.grabBuffer.size() < bytes) g.grabBuffer.resize(bytes);
    std::memset(g.grabBuffer.data(), 0, bytes);
    render::ReadPixels(x, targetHeight - y - h, pw, ph, render::PixelLayout::Bgra,
                       g.grabBuffer.data());
    const int32_t key = StoredKeyColour();
    if (key != kNoColourKey) {
      const uint8_t kr = key & 0xFF, kg = key >> 8 & 0xFF, kb = key >> 16 & 0xFF;
      for (size_t i = 0; i < bytes; i += 4) {
        uint8_t* p = &g.grabBuffer[i];
        if (p[0] == kb && p[1] == kg && p[2] == kr) p[3] = 0;
      }
    }
    render::UploadLevel(0, pw, ph, render::TexelOrder::Bgra, g.grabBuffer.data());
  }
  BindCurrentTarget();
  s.paddedWidth = static_cast<int16_t>(pw);
  s.paddedHeight = static_cast<int16_t>(ph);
  s.width = static_cast<int16_t>(w);
  s.height = static_cast<int16_t>(h);
  render::ForgetBoundTexture();
  BindSpriteTexture(-1);
}

void CopyScreenToBackground() {
  CopyScreenToBackgroundSlot(0);
}

void CreateOffscreenSurface(int n, int slot, int w, int h) {
  if (n < 0 || n >= kSurfaceCount || !ValidSlot(slot) || w <= 0 || h <= 0) return;
  const int maxSize = MaxTextureSize();
  if (w > maxSize || h > maxSize) return;
  Gfx2dState& g = Gfx2d();
  const int pw = PaddedSize(w), ph = PaddedSize(h);
  FreeSprite(slot);
  SpriteSlot& sprite = g.sprites[slot];
  ImageBuffer blank;
  blank.width = pw;
  blank.height = ph;
  blank.pixels.assign(static_cast<size_t>(pw) * ph * 4, 0);
  if (!UploadImage(blank, 0, 0, 0, 0, &sprite.texture, nullptr, false, false)) return;
  sprite.width = static_cast<int16_t>(w);
  sprite.height = static_cast<int16_t>(h);
  sprite.paddedWidth = static_cast<int16_t>(pw);
  sprite.paddedHeight = static_cast<int16_t>(ph);

  DeleteSurface(n);
  SurfaceSlot& s = g.surfaces[n];
  s.spriteSlot = slot;
  s.created = true;
  if (render::CanMakeTextureTargets()) {
    if (render::CreateTextureTarget(sprite.texture, pw, ph, &s.framebuffer, &s.depthBuffer)) {
      s.width = pw;
      s.height = ph;
    }
    BindCurrentTarget();
  }
  render::ForgetBoundTexture();
  BindSpriteTexture(-1);
}

void SelectSurface(int n) {
  Gfx2dState& g = Gfx2d();
  if (n >= kSurfaceCount) return;
  if (n >= 0) {
    const SurfaceSlot& s = g.surfaces[n];
    if (!s.created || g.sprites[s.spriteSlot].Empty()) return;
  }
  if (g.currentSurface >= 0) {
    const int leaving = g.currentSurface;
    const SurfaceSlot& s = g.surfaces[leaving];
    const SpriteSlot& sprite = g.sprites[s.spriteSlot];
    if (HasFramebuffer(s)) {
      g.currentSurface = -1;
      BindCurrentTarget();
    } else {
      // Drawing went to the screen: take it into the sprite and put the
      // saved screen back.
      const int w = sprite.width, h = sprite.height, pw = sprite.paddedWidth,
                ph = sprite.paddedHeight;
      g.currentSurface = -1;
      CopyScreenToSprite(s.spriteSlot, 0, 0, w, h);
      FillRect(0, 0, pw, ph, 0);
      PutSprite(kScreenBackupSlot, 0, 0);
    }
    // What was drawn changed the sprite's pixels.
    g.alphaMasks[s.spriteSlot].reset();
    ResetDrawArea(0, 0, 0, 0);
  }
  if (n < 0) {
    g.currentSurface = -1;
    ResetDrawArea(0, 0, 0, 0);
    return;
  }
  const SurfaceSlot& s = g.surfaces[n];
  const SpriteSlot& sprite = g.sprites[s.spriteSlot];
  g.alphaMasks[s.spriteSlot].reset();
  if (HasFramebuffer(s)) {
    g.currentSurface = n;
    AttachSurface(s);
    ResetDrawArea(0, 0, sprite.width, sprite.height);
  } else {
    ResetDrawArea(0, 0, sprite.width, sprite.height);
    CopyScreenToSprite(kScreenBackupSlot, 0, 0, sprite.width, sprite.height);
    FillRect(0, 0, sprite.width, sprite.height, g.spriteKey);
    PutSprite(s.spriteSlot, 0, 0);
    g.currentSurface = n;
  }
}

bool gfx2d::ReadScreenPixels(bool bgr, std::vector<uint8_t>& pixels, int* width, int* height) {
  const int w = ScreenWidth(), h = ScreenHeight();
  if (w <= 0 || h <= 0) return false;
  pixels.resize(static_cast<size_t>(w) * h * 3);
  if (render::HasFramebuffers()) render::BindReadTarget(ScreenReadFramebuffer());
  render::ReadPixels(0, 0, w, h, bgr ? render::PixelLayout::Bgr : render::PixelLayout::Rgb,
                     pixels.data());
  BindCurrentTarget();
  *width = w;
  *height = h;
  return true;
}

bool ScreenToFile(const RtString& name) {
  std::vector<uint8_t> pixels;
  int w = 0, h = 0;
  if (!ReadScreenPixels(true, pixels, &w, &h)) return false;
  return WriteImageFile(name.c_str(), pixels.data(), w, h, w);
}

bool SpriteToFile(const RtString& name, int slot) {
  if (!ValidSlot(slot)) return false;
  const SpriteSlot& s = Gfx2d().sprites[slot];
  if (s.Empty()) return false;
  std::vector<uint8_t> pixels(static_cast<size_t>(s.paddedWidth) * s.paddedHeight * 3);
  render::ReadTextureBgr(s.texture, pixels.data());
  render::ForgetBoundTexture();
  BindSpriteTexture(-1);
  return WriteImageFile(name.c_str(), pixels.data(), s.width, s.height, s.paddedWidth);
}
