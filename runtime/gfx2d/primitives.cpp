#include "runtime/gfx2d/primitives.h"

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/framebuffers.h"
#include "runtime/render/submit.h"
#include "runtime/render/textures.h"

namespace gfx2d {

int TargetWidth() {
  const Gfx2dState& g = Gfx2d();
  if (g.currentSurface >= 0) return g.sprites[g.surfaces[g.currentSurface].spriteSlot].width;
  return ScreenWidth();
}

int TargetHeight() {
  const Gfx2dState& g = Gfx2d();
  if (g.currentSurface >= 0) return g.sprites[g.surfaces[g.currentSurface].spriteSlot].height;
  return ScreenHeight();
}

void BindCurrentTarget() {
  if (!render::HasFramebuffers()) return;
  const Gfx2dState& g = Gfx2d();
  const SurfaceSlot* surface = g.currentSurface >= 0 ? &g.surfaces[g.currentSurface] : nullptr;
  if (surface && surface->framebuffer && surface->width > 0)
    render::BindTarget(surface->framebuffer);
  else
    render::BindTarget(ScreenFramebuffer());
}

void BindReadTarget() {
  if (!render::HasFramebuffers()) return;
  const Gfx2dState& g = Gfx2d();
  const SurfaceSlot* surface = g.currentSurface >= 0 ? &g.surfaces[g.currentSurface] : nullptr;
  if (surface && surface->framebuffer && surface->width > 0) {
    render::BindTarget(surface->framebuffer);
    return;
  }
  const uint32_t source = ScreenReadFramebuffer();
  render::BindReadTarget(source);
}

int32_t StoredKeyColour() {
  // Every target here keeps 8 bits per channel, so the key reads back as
  // itself and no probe pixel needs plotting.
  const int32_t key = Gfx2d().spriteKey;
  return key == 0 ? kNoColourKey : key;
}

void ResetDrawArea(int x, int y, int w, int h) {
  Gfx2dState& g = Gfx2d();
  if (w <= 0 || h <= 0) {
    w = TargetWidth();
    h = TargetHeight();
  }
  g.drawX = x;
  g.drawY = y;
  g.drawWidth = w;
  g.drawHeight = h;
  render::SetViewport(x, TargetHeight() - h - y, w, h);
  render::LoadPixelProjection(w, h);
  render::Reset2DState();
  g.smoothing = true;
  render::ForgetTextureUnits();
  BindSpriteTexture(-1);
}

namespace {

// Sets the primitive colour and state around one primitive draw.
struct PrimitiveScope {
  explicit PrimitiveScope(int colour) {
    const Gfx2dState& g = Gfx2d();
    render::SetAlphaTest(false);
    const uint8_t alpha = colour == g.spriteKey ? 0 : static_cast<uint8_t>(g.currentAlpha * 255.0f);
    render::SetColourBytes(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF, alpha);
    BindSpriteTexture(-1);
    render::PushPixelCentreOffset();
  }
  ~PrimitiveScope() {
    render::PopPixelCentreOffset();
    render::SetColour(1, 1, 1, Gfx2d().currentAlpha);
    render::SetAlphaTest(true);
  }
};

}  // namespace
}  // namespace gfx2d

using namespace gfx2d;

void SetDrawArea(int x, int y, int width, int height) {
  ResetDrawArea(x, y, width, height);
}

void DrawArea(int& x, int& y, int& width, int& height) {
  const Gfx2dState& g = Gfx2d();
  x = g.drawX;
  y = g.drawY;
  width = g.drawWidth;
  height = g.drawHeight;
}

void DrawArea(double& x, double& y, double& width, double& height) {
  int ix, iy, iw, ih;
  DrawArea(ix, iy, iw, ih);
  x = ix;
  y = iy;
  width = iw;
  height = ih;
}

void ScreenSize(int& width, int& height) {
  width = ScreenWidth();
  height = ScreenHeight();
}

void ScreenSize(double& width, double& height) {
  width = ScreenWidth();
  height = ScreenHeight();
}

void ClearScreen() {
  FreeBackgroundSlot(0);
  render::SetClearColour(0, 0, 0, 1);
  render::ClearColour();
}

void PlotPixel(int x, int y, int colour) {
  PrimitiveScope scope(colour);
  render::DrawPoint(x, y);
}

void DrawLine(int x1, int y1, int x2, int y2, int colour) {
  PrimitiveScope scope(colour);
  render::DrawLine(x1, y1, x2, y2);
  // Lines leave out their last pixel; the point puts it in.
  render::DrawPoint(x2, y2);
}

void FillRect(int x, int y, int width, int height, int colour) {
  if (width == 0 || height == 0) return;
  const long long left = width >= 0 ? x : static_cast<long long>(x) + width + 1;
  const long long right = width >= 0 ? static_cast<long long>(x) + width : x + 1LL;
  const long long top = height >= 0 ? y : static_cast<long long>(y) + height + 1;
  const long long bottom = height >= 0 ? static_cast<long long>(y) + height : y + 1LL;
  PrimitiveScope scope(colour);
  const float l = left, r = right, t = top, b = bottom;
  const float quad[4][4] = {{l, b, 0, 0}, {r, b, 0, 0}, {r, t, 0, 0}, {l, t, 0, 0}};
  render::DrawQuad(quad);
}

int ReadPixel(int x, int y) {
  const int w = TargetWidth(), h = TargetHeight();
  if (x < 0 || y < 0 || x >= w || y >= h) return 0;
  BindReadTarget();
  uint8_t rgb[3] = {0, 0, 0};
  render::ReadPixels(x, h - 1 - y, 1, 1, render::PixelLayout::Rgb, rgb);
  BindCurrentTarget();
  return rgb[0] | rgb[1] << 8 | rgb[2] << 16;
}
