// Sprite and animation-frame draws, the blend mode and the triangle-fan
// batch. Every draw goes to the current target in the 2D projection of the
// draw area: one unit per pixel, origin top-left, y downwards.
#include <algorithm>
#include <cmath>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/submit.h"
#include "runtime/render/textures.h"

namespace gfx2d {

void BindSpriteTexture(int slot, int secondSlot, bool mipmapped, const uint32_t* table) {
  Gfx2dState& g = Gfx2d();
  g.boundSlot = slot;
  auto textureOf = [&](int s) -> uint32_t {
    if (table) return table[s];
    if (!ValidSlot(s)) return 0;
    return mipmapped ? g.sprites[s].mipTexture : g.sprites[s].texture;
  };
  const bool textured = slot >= 0;
  const bool withSecond = textured && secondSlot >= 0;
  render::BindDrawTextures(textured, textured ? textureOf(slot) : 0, withSecond,
                           withSecond ? textureOf(secondSlot) : 0);
}

namespace {

render::Filter SpriteFilter() {
  return Gfx2d().smoothing ? render::Filter::Linear : render::Filter::Nearest;
}

}  // namespace

void SelectFilter() {
  render::SetFilter(SpriteFilter());
}

namespace {

// The drawable slot, or null for numbers outside the table and empty slots.
const SpriteSlot* Drawable(int slot) {
  if (!ValidSlot(slot)) return nullptr;
  const SpriteSlot& s = Gfx2d().sprites[slot];
  return s.Empty() ? nullptr : &s;
}

// Whether texture coordinates of whole texels divided by the padded sizes
// come out exact in floating point, as drawing texels one to one needs.
bool ExactTexelCoordinates(const SpriteSlot& s) {
  auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
  return powerOfTwo(s.paddedWidth) && powerOfTwo(s.paddedHeight);
}

// Texture rectangle of one animation frame; false when the slot has no
// frames or the frame lies outside the image.
struct FrameRect {
  int fw, fh;
  float u0, u1, vb, vt;
};

bool FrameOf(const SpriteSlot& s, int k, FrameRect& f) {
  f.fw = s.frameWidth;
  f.fh = s.frameHeight;
  if (f.fw <= 0 || f.fh <= 0 || k < 0) return false;
  // In 64 bits: a frame number near 2^31 times a frame size would overflow.
  const int64_t perRow = s.width / f.fw;
  const int64_t column = perRow == 0 ? k : k % perRow;
  const int64_t row = perRow == 0 ? 0 : k / perRow;
  if ((column + 1) * f.fw > s.width || (row + 1) * f.fh > s.height) return false;
  f.u0 = static_cast<float>(column * f.fw) / s.paddedWidth;
  f.u1 = f.u0 + static_cast<float>(f.fw) / s.paddedWidth;
  f.vb = static_cast<float>(s.height - f.fh * (row + 1)) / s.paddedHeight;
  f.vt = f.vb + static_cast<float>(f.fh) / s.paddedHeight;
  return true;
}

}  // namespace
}  // namespace gfx2d

using namespace gfx2d;

void SetBlendMode(double value) {
  Gfx2dState& g = Gfx2d();
  render::SetBlending(true);
  float alpha = 1.0f;
  if (value == 0 || std::isnan(value)) {
    render::SetBlending(false);
  } else {
    render::SetBlendFunction(value > 0 ? render::Blend::Additive : render::Blend::Alpha);
    alpha = static_cast<float>(std::min(std::fabs(value), 1.0));
  }
  g.currentAlpha = alpha;
  render::SetColour(1, 1, 1, alpha);
}

void SetSpriteFiltering(int flag) {
  Gfx2d().smoothing = flag != 0;
}

void PutSprite(int slot, int x, int y) {
  const SpriteSlot* s = Drawable(slot);
  if (!s) return;
  BindSpriteTexture(slot);
  SelectFilter();
  const float uw = static_cast<float>(s->width) / s->paddedWidth;
  const float vh = static_cast<float>(s->height) / s->paddedHeight;
  render::DrawPixelQuad(x, y, s->width, s->height, 0, uw, 0, vh, ExactTexelCoordinates(*s));
}

void PutSpriteInRect(int slot, int x, int y, int w, int h) {
  const SpriteSlot* s = Drawable(slot);
  if (!s) return;
  BindSpriteTexture(slot);
  SelectFilter();
  // One mirrored axis turns the winding; the front face follows so culling
  // keeps the quad.
  const bool mirrored = (w < 0) != (h < 0);
  if (mirrored) render::SetFrontFaceClockwise(true);
  const float uw = static_cast<float>(s->width) / s->paddedWidth;
  const float vh = static_cast<float>(s->height) / s->paddedHeight;
  const float fx = x, fy = y, fw = w, fh = h;
  const float quad[4][4] = {
      {fx, fy + fh, 0, 0}, {fx + fw, fy + fh, uw, 0}, {fx + fw, fy, uw, vh}, {fx, fy, 0, vh}};
  render::DrawQuad(quad);
  if (mirrored) render::SetFrontFaceClockwise(false);
}

void PutSpriteScaled(int slot, int x, int y, double factorX, double factorY) {
  const SpriteSlot* s = Drawable(slot);
  if (!s) return;
  const double w = s->width, h = s->height;
  const int sw = static_cast<int>(static_cast<float>(factorX * w));
  const int sh = static_cast<int>(static_cast<float>(factorY * h));
  PutSpriteInRect(slot, static_cast<int>(x - (factorX * w - w) / 2),
                  static_cast<int>(y - (factorY * h - h) / 2), sw, sh);
}

void PutSpriteRotatedScaled(int slot, int x, int y, double angle, double scale) {
  const SpriteSlot* s = Drawable(slot);
  if (!s) return;
  const float hw = static_cast<float>(scale * s->width / 2);
  const float hh = static_cast<float>(scale * s->height / 2);
  BindSpriteTexture(slot);
  render::PushPlacement(static_cast<float>(x + s->width / 2), static_cast<float>(y + s->height / 2),
                        static_cast<float>(angle));
  SelectFilter();
  const float pw = s->paddedWidth, ph = s->paddedHeight;
  const float u0 = 0.5f / pw, u1 = (s->width - 0.5f) / pw;
  const float v0 = 0.5f / ph, v1 = (s->height - 0.5f) / ph;
  // y grows downwards, so +hh is the bottom edge, which carries the low v.
  const float quad[4][4] = {
      {-hw, hh, u0, v0}, {hw, hh, u1, v0}, {hw, -hh, u1, v1}, {-hw, -hh, u0, v1}};
  render::DrawQuad(quad);
  render::PopPlacement();
}

void PutSpriteRotated(int slot, int x, int y, double angle) {
  PutSpriteRotatedScaled(slot, x, y, angle, 1.0);
}

void PutAnimationFrame(int slot, int frame, int x, int y) {
  const SpriteSlot* s = Drawable(slot);
  FrameRect f;
  if (!s || !FrameOf(*s, frame, f)) return;
  BindSpriteTexture(slot);
  SelectFilter();
  render::DrawPixelQuad(x, y, f.fw, f.fh, f.u0, f.u1, f.vb, f.vt, ExactTexelCoordinates(*s));
}

void PutAnimationFrameInRect(int slot, int frame, int x, int y, int w, int h) {
  const SpriteSlot* s = Drawable(slot);
  FrameRect f;
  if (!s || !FrameOf(*s, frame, f)) return;
  BindSpriteTexture(slot);
  SelectFilter();
  const float fx = x, fy = y, right = x + w + 0.1f, bottom = y + h + 0.1f;
  const float quad[4][4] = {{fx, fy, f.u0, f.vt},
                            {fx, bottom, f.u0, f.vb},
                            {right, bottom, f.u1, f.vb},
                            {right, fy, f.u1, f.vt}};
  render::DrawQuad(quad);
}

void PutAnimationFrameRotatedScaled(int slot, int frame, int x, int y, double angle, double scale) {
  const SpriteSlot* s = Drawable(slot);
  FrameRect f;
  if (!s || !FrameOf(*s, frame, f)) return;
  BindSpriteTexture(slot);
  SelectFilter();
  constexpr float kDegrees = 0.017453292f;
  const double sn = std::sin(angle * kDegrees), c = std::cos(angle * kDegrees);
  const double cx = x + f.fw / 2, cy = y + f.fh / 2;
  const double hw = f.fw * (scale * 0.5), hh = f.fh * (scale * 0.5);
  const float du = 0.5f / s->paddedWidth, dv = 0.5f / s->paddedHeight;
  const float quad[4][4] = {{static_cast<float>(cx - c * hw - sn * hh),
                             static_cast<float>(cy + sn * hw - c * hh), f.u0 + du, f.vt - dv},
                            {static_cast<float>(cx - c * hw + sn * hh),
                             static_cast<float>(cy + sn * hw + c * hh), f.u0 + du, f.vb + dv},
                            {static_cast<float>(cx + c * hw + sn * hh),
                             static_cast<float>(cy - sn * hw + c * hh), f.u1 - du, f.vb + dv},
                            {static_cast<float>(cx + c * hw - sn * hh),
                             static_cast<float>(cy - sn * hw - c * hh), f.u1 - du, f.vt - dv}};
  render::DrawQuad(quad);
}

void BeginTriangleFan(int slot) {
  BindSpriteTexture(slot < 0 ? -1 : slot);
  Gfx2d().fanCount = 0;
}

void AddFanVertex(float x, float y, float tx, float ty, int colour) {
  Gfx2dState& g = Gfx2d();
  float u = 0, v = 0;
  if (g.boundSlot >= 0 && ValidSlot(g.boundSlot)) {
    const SpriteSlot& s = g.sprites[g.boundSlot];
    if (s.paddedWidth > 0 && s.paddedHeight > 0) {
      u = tx / s.paddedWidth;
      v = (s.height - ty) / s.paddedHeight;
    }
  }
  const size_t needed = static_cast<size_t>(g.fanCount + 1) * 8;
  if (g.fanVertices.size() < needed) {
    const size_t vertices = g.fanVertices.empty() ? 512 : 128 * ((g.fanCount + 1) / 128 + 1);
    g.fanVertices.resize(std::max(vertices * 8, needed));
  }
  float* p = &g.fanVertices[static_cast<size_t>(g.fanCount) * 8];
  p[0] = x;
  p[1] = y;
  p[2] = u;
  p[3] = v;
  p[4] = (colour & 0xFF) / 255.0f;
  p[5] = (colour >> 8 & 0xFF) / 255.0f;
  p[6] = (colour >> 16 & 0xFF) / 255.0f;
  p[7] = colour == g.spriteKey ? 0.0f : g.currentAlpha;
  ++g.fanCount;
}

void EndTriangleFan() {
  Gfx2dState& g = Gfx2d();
  if (g.fanCount <= 0) return;
  const bool textured = g.boundSlot >= 0 && ValidSlot(g.boundSlot);
  render::DrawColouredFan(g.fanVertices.data(), g.fanCount, textured, SpriteFilter(),
                          g.currentAlpha);
}
