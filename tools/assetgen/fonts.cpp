// The three game fonts: 16 x 8 grids of equal cells for codes 0-127 on the
// key colour. The game derives the glyph size from the image size (width / 16,
// height / 8), so the cell sizes here are the text metrics of the game.
#include "assets.h"
#include "glyphs.h"

namespace assetgen {

// black: HUD and menus; 8 px advance keeps the longest HUD line clear of the
// volume bar. white: the hiscore table, whose digits sit 12 px apart.
// credits: lines 12 px apart on the credits screen.
const FontSpec kFontSpecs[3] = {
    {"gfx/font/black.png", 8, 12},
    {"gfx/font/white.png", 12, 14},
    {"gfx/font/credits.png", 8, 12},
};

namespace {

bool Cell(const Mask& m, int x, int y) {
  return m.At(x, y);
}

// Dark letters with a light halo: readable over every room, light or dark.
void DrawHudGlyph(Canvas& c, int code, int ox, int oy) {
  const Rgb body = Hex(0x141830), body_lo = Hex(0x2C3468), halo = Hex(0xFFF8E4);
  Mask m = GlyphMask(code);
  for (int y = -1; y <= kGlyphH; ++y)
    for (int x = -1; x <= kGlyphW; ++x) {
      if (Cell(m, x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) near = near || Cell(m, x + dx, y + dy);
      if (near) c.Put(ox + 1 + x, oy + 1 + y, halo);
    }
  for (int y = 0; y < kGlyphH; ++y)
    for (int x = 0; x < kGlyphW; ++x)
      if (Cell(m, x, y)) c.Put(ox + 1 + x, oy + 1 + y, y >= 5 ? body_lo : body);
}

// Bold doubled capitals for the hiscore table; lower case maps to capitals so
// every code still has a readable glyph.
void DrawTableGlyph(Canvas& c, int code, int ox, int oy) {
  if (code >= 'a' && code <= 'z') code -= 32;
  Mask small(kGlyphW, 7);
  // Punctuation that hangs below the line is lifted into the caps rows.
  int lift = 0;
  for (int y = 7; y < kGlyphH; ++y)
    for (int x = 0; x < kGlyphW; ++x)
      if (GlyphBit(code, x, y)) lift = std::max(lift, y - 6);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < kGlyphW; ++x) small.Set(x, y, GlyphBit(code, x, y + lift));
  Mask m = Upscale(small, 2);  // 10 x 14
  const Rgb top = Hex(0xFFFFFF), bottom = Hex(0xB8DCFF), shade = Hex(0x101C48);
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x) {
      if (m.At(x, y)) continue;
      if (m.At(x - 1, y) || m.At(x - 1, y - 1)) c.Put(ox + x, oy + y, shade);
    }
  for (int y = 0; y < m.h; ++y) {
    Rgb col = Mix(top, bottom, y / 13.0);
    for (int x = 0; x < m.w; ++x)
      if (m.At(x, y)) c.Put(ox + x, oy + y, col);
  }
}

// Warm gold lettering with a brown shadow for the credits on black.
void DrawCreditsGlyph(Canvas& c, int code, int ox, int oy) {
  Mask m = GlyphMask(code);
  const Rgb top = Hex(0xFFF0A8), bottom = Hex(0xF09A38), shadow = Hex(0x6A3410);
  for (int y = 0; y < kGlyphH; ++y)
    for (int x = 0; x < kGlyphW; ++x)
      if (m.At(x, y) && !m.At(x + 1, y + 1)) c.Put(ox + 2 + x, oy + 2 + y, shadow);
  for (int y = 0; y < kGlyphH; ++y) {
    Rgb col = Mix(top, bottom, y / 8.0);
    for (int x = 0; x < kGlyphW; ++x)
      if (m.At(x, y)) c.Put(ox + 1 + x, oy + 1 + y, col);
  }
}

Canvas FontSheet(int which) {
  const FontSpec& s = kFontSpecs[which];
  Canvas c(s.cell_w * 16, s.cell_h * 8);
  for (int code = 32; code < 127; ++code) {
    int ox = (code % 16) * s.cell_w, oy = (code / 16) * s.cell_h;
    switch (which) {
      case 0:
        DrawHudGlyph(c, code, ox, oy);
        break;
      case 1:
        DrawTableGlyph(c, code, ox + 1, oy);
        break;
      default:
        DrawCreditsGlyph(c, code, ox, oy);
        break;
    }
  }
  return c;
}

}  // namespace

ImageList MakeFonts() {
  ImageList out;
  for (int i = 0; i < 3; ++i) out.push_back({kFontSpecs[i].path, FontSheet(i), PngKind::kKeyed});
  return out;
}

}  // namespace assetgen
