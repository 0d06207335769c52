#include "runtime/gfx2d/gfx2d_service.h"

#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/image_cache.h"
#include "runtime/gfx2d/primitives.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/render/draw_state.h"

using namespace gfx2d;

void Gfx2dStart() {
  Gfx2dState& g = Gfx2d();
  g.currentSurface = -1;
  g.currentAlpha = 1.0f;
  ClearScreen();
  ResetDrawArea(0, 0, 0, 0);

  FontFromFile(RtString(""), 0);
  const RtString loading("Loading...");
  int gw = 0, gh = 0;
  FontGlyphSize(gw, gh);
  DrawText(loading, (ScreenWidth() - static_cast<double>(loading.Length()) * gw) * 0.5,
           (ScreenHeight() - static_cast<double>(gh)) * 0.5);

  std::string path;
  if (ResolveImageName("smalfont.png", path) || ResolveImageName("smalfont.bmp", path))
    FontFromFile(RtString(path.c_str()), 0);
  SelectFont(0);
}

void Gfx2dWindowChanged(const WindowChange&) {
  ResetDrawArea(0, 0, 0, 0);
}

void Gfx2dBeforePresent() {
  if (Gfx2d().currentSurface >= 0) SelectSurface(-1);
}

void Gfx2dFrame() {
  render::SetBlending(true);
  SetBlendMode(0);
  ResetDrawArea(0, 0, 0, 0);
  DrawBackgroundSlot(0);
}

void Gfx2dShutdown() {
  Gfx2dState& g = Gfx2d();
  if (g.currentSurface >= 0) SelectSurface(-1);
  for (int n = 0; n < kSurfaceCount; ++n) DeleteSurface(n);
  for (int slot = 0; slot < kSpriteSlots; ++slot)
    if (g.sprites[slot].texture || g.sprites[slot].mipTexture || g.alphaMasks[slot])
      FreeSprite(slot);
  for (int b = 0; b < kBackgroundSlots; ++b) FreeBackgroundSlot(b);
  ClearImageCache();
  g.fanVertices = {};
  g.textVertices = {};
  g.grabBuffer = {};
  g.fanCount = 0;
  g.currentSurface = -1;
}
