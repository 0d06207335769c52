// Pixel-exact overlap of two sprites or animation frames, from alpha planes
// read back once per slot.
#include <algorithm>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/sprites.h"

namespace gfx2d {
namespace {

// One side of a test: which pixels of which mask a screen box shows.
struct CollisionSide {
  const uint8_t* mask = nullptr;
  int paddedWidth = 0;
  int width = 0, height = 0;  // image size
  // Screen position of the image's top-left; a frame's offset taken from a
  // position near the int limits leaves the int range.
  long long originX = 0, originY = 0;
  // Part of the image the box may show (a frame, or the whole image).
  int left = 0, top = 0, right = 0, bottom = 0;
  int boxX = 0, boxY = 0, boxW = 0, boxH = 0;

  bool Opaque(long long px, long long py) const {
    const long long column = px - originX, row = py - originY;
    if (column < left || column >= right || row < top || row >= bottom) return false;
    // Rows of the mask are bottom-up, like the texture.
    return mask[static_cast<size_t>(height - 1 - row) * paddedWidth + column] != 0;
  }
};

// frame < 0 with withFrames false means the whole image.
bool MakeSide(int slot, bool withFrames, int frame, int x, int y, CollisionSide& side) {
  if (!ValidSlot(slot)) return false;
  const SpriteSlot& s = Gfx2d().sprites[slot];
  if (s.Empty()) return false;
  side.paddedWidth = s.paddedWidth;
  side.width = s.width;
  side.height = s.height;
  int offsetX = 0, offsetY = 0;
  side.boxW = s.width;
  side.boxH = s.height;
  if (withFrames && s.frameWidth > 0 && s.frameHeight > 0) {
    if (frame < 0) return false;
    // In 64 bits: a frame number near 2^31 times a frame size would
    // overflow. A frame that starts past the image has no pixels at all.
    const int64_t perRow = std::max(s.width / s.frameWidth, 1);
    const int64_t x0 = s.frameWidth * (frame % perRow);
    const int64_t y0 = s.frameHeight * (frame / perRow);
    if (x0 >= s.width || y0 >= s.height) return false;
    offsetX = static_cast<int>(x0);
    offsetY = static_cast<int>(y0);
    side.boxW = s.frameWidth;
    side.boxH = s.frameHeight;
  }
  side.boxX = x;
  side.boxY = y;
  side.originX = static_cast<long long>(x) - offsetX;
  side.originY = static_cast<long long>(y) - offsetY;
  // A frame reaching past the image shows transparent pixels there.
  side.left = offsetX;
  side.top = offsetY;
  side.right = std::min(offsetX + side.boxW, static_cast<int>(s.width));
  side.bottom = std::min(offsetY + side.boxH, static_cast<int>(s.height));
  if (side.right <= side.left || side.bottom <= side.top) return false;
  side.mask = AlphaMask(slot);
  return side.mask != nullptr;
}

bool Overlap(const CollisionSide& a, const CollisionSide& b) {
  const long long left = std::max(a.boxX, b.boxX);
  const long long right =
      std::min(static_cast<long long>(a.boxX) + a.boxW, static_cast<long long>(b.boxX) + b.boxW);
  const long long top = std::max(a.boxY, b.boxY);
  const long long bottom =
      std::min(static_cast<long long>(a.boxY) + a.boxH, static_cast<long long>(b.boxY) + b.boxH);
  if (right <= left || bottom <= top) return false;
  // A coarse 2 x 2 grid first: large solid overlaps are found in few tests.
  static constexpr int kPasses[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& pass : kPasses)
    for (long long py = top + pass[1]; py < bottom; py += 2)
      for (long long px = left + pass[0]; px < right; px += 2)
        if (a.Opaque(px, py) && b.Opaque(px, py)) return true;
  return false;
}

}  // namespace
}  // namespace gfx2d

using namespace gfx2d;

bool SpritesOverlap(int slot1, int x1, int y1, int slot2, int x2, int y2) {
  CollisionSide a, b;
  return MakeSide(slot1, false, 0, x1, y1, a) && MakeSide(slot2, false, 0, x2, y2, b) &&
         Overlap(a, b);
}

bool AnimationFramesOverlap(int slot1, int frame1, int x1, int y1, int slot2, int frame2, int x2,
                            int y2) {
  CollisionSide a, b;
  return MakeSide(slot1, true, frame1, x1, y1, a) && MakeSide(slot2, true, frame2, x2, y2, b) &&
         Overlap(a, b);
}
