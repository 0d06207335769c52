// Everything the 2D renderer keeps between commands: the sprite table and its
// alpha masks, the tiled background slots, the off-screen surfaces, the
// colour keys and the drawing state that every draw reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/gfx2d/primitives.h"

namespace gfx2d {

constexpr int kSpriteSlots = 65536;
// Holds the screen rectangle a surface without framebuffer draws over.
constexpr int kScreenBackupSlot = 65503;
// Font n lives in sprite slot kFirstFontSlot + n.
constexpr int kFirstFontSlot = 65504;
constexpr int kFontCount = 32;
constexpr int kBackgroundSlots = 8;
constexpr int kBackgroundGrid = 8;
constexpr int kSurfaceCount = 32;
constexpr int32_t kDefaultSpriteKey = colours::kSpriteKey;
constexpr int32_t kNoColourKey = -1;

struct SpriteSlot {
  uint32_t texture = 0;      // plain texture, 0 = none
  uint32_t mipTexture = 0;   // square mipmapped copy for 3D, 0 = none
  int16_t paddedWidth = -1;  // power of two >= 2, -1 when empty
  int16_t paddedHeight = -1;
  int16_t width = 0;  // image size, 0 when empty
  int16_t height = 0;
  int16_t frameWidth = 0;  // 0 = not an animation; kept when the slot is freed
  int16_t frameHeight = 0;

  bool Empty() const { return texture == 0 || width <= 0 || height <= 0; }
};

struct BackgroundTile {
  uint32_t texture = 0;
  int32_t textureWidth = 0, textureHeight = 0;
  int32_t usedWidth = 0, usedHeight = 0;
};

struct BackgroundSlot {
  BackgroundTile tiles[kBackgroundGrid][kBackgroundGrid];  // [column][row]
  int32_t columns = 0, rows = 0;
  // The image cache's key of the file the tiles hold, so that loading the
  // same unchanged file again (a background set every frame) uploads
  // nothing; empty when they hold anything else.
  std::string sourceKey;
};

struct SurfaceSlot {
  uint32_t framebuffer = 0;
  uint32_t depthBuffer = 0;
  int32_t width = 0, height = 0;  // padded size; nonzero only with a framebuffer
  int32_t spriteSlot = 0;
  bool created = false;
};

struct Gfx2dState {
  std::vector<SpriteSlot> sprites = std::vector<SpriteSlot>(kSpriteSlots);
  // Alpha planes read back for collision tests, paddedWidth x paddedHeight,
  // rows bottom-up as in the texture; made on first use.
  std::vector<std::unique_ptr<uint8_t[]>> alphaMasks =
      std::vector<std::unique_ptr<uint8_t[]>>(kSpriteSlots);
  BackgroundSlot backgrounds[kBackgroundSlots];
  SurfaceSlot surfaces[kSurfaceCount];
  int32_t currentSurface = -1;

  int32_t spriteKey = kDefaultSpriteKey;
  int32_t fontKey = 0;
  // 1 from the start, so a primitive drawn before the first frame does not
  // leave a zero alpha behind that the alpha test would hide sprites with.
  float currentAlpha = 1.0f;
  bool smoothing = true;
  int32_t boundSlot = -1;
  int32_t currentFont = 0;

  int32_t drawX = 0, drawY = 0, drawWidth = 0, drawHeight = 0;

  // Triangle-fan batch: x, y, u, v, r, g, b, a per vertex.
  std::vector<float> fanVertices;
  int32_t fanCount = 0;
  // Text quads: x, y, z, u, v per vertex; reused and only grown.
  std::vector<float> textVertices;
  // Read-back buffer of screen grabs; reused and only grown.
  std::vector<uint8_t> grabBuffer;
};

Gfx2dState& Gfx2d();

// Slot numbers outside the table select nothing.
inline bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSpriteSlots;
}

}  // namespace gfx2d
