#include "runtime/gfx2d/fonts.h"

#include <algorithm>
#include <cmath>

#include "runtime/core/conversion.h"
#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/texture_upload.h"
#include "runtime/render/submit.h"

namespace gfx2d {
namespace {

constexpr int kBuiltInWidth = 128;
constexpr int kBuiltInHeight = 64;

// Glyphs of codes 32 to 127, 5 x 6 pixels: bit (row * 5 + column).
constexpr uint32_t kGlyphMasks[96] = {
    0x00000000, 0x08021080, 0x00002940, 0x15F57D40, 0x08E619C4, 0x14222140, 0x0ED114E0, 0x00001080,
    0x08210880, 0x04421040, 0x09575480, 0x08471080, 0x04400000, 0x00070000, 0x08000000, 0x04222100,
    0x00E5294E, 0x004210C4, 0x00E1390E, 0x00E4390E, 0x0084394A, 0x00E4384E, 0x00E5384E, 0x0042210E,
    0x00E5394E, 0x00E4394E, 0x00020080, 0x00220080, 0x00820888, 0x000701C0, 0x00222082, 0x0040310E,
    0x00E0B526, 0x00A5394E, 0x00E5194E, 0x00E5094E, 0x00E52946, 0x00E1384E, 0x0021384E, 0x00E5284E,
    0x00A5394A, 0x00E2108E, 0x00E5210C, 0x00A5194A, 0x00E10842, 0x015AD6BF, 0x00A5294E, 0x00E5294E,
    0x0021394E, 0x00F294A7, 0x00A5194E, 0x00E4384E, 0x0042108E, 0x00E5294A, 0x0045294A, 0x01FAD6B5,
    0x00A5114A, 0x0042394A, 0x00E1110E, 0x00610846, 0x01041041, 0x00621086, 0x00000144, 0x00E00000,
    0x00000082, 0x00E53000, 0x00E53842, 0x00E13800, 0x00E53908, 0x08273800, 0x00423888, 0x08873800,
    0x00A51842, 0x00421004, 0x04421004, 0x00A32842, 0x00421084, 0x015ABC00, 0x00A51800, 0x00E53800,
    0x04E51800, 0x10E53000, 0x00253800, 0x00E409C0, 0x00C23884, 0x00C52800, 0x00452800, 0x00EAD400,
    0x00A22800, 0x1C872800, 0x00E121C0, 0x00821888, 0x00421084, 0x00223082, 0x0002A800, 0x3F18C63F};

bool MaskBit(uint32_t mask, int column, int row) {
  if (column < 0 || column > 4 || row < 0 || row > 5) return false;
  return (mask >> (row * 5 + column) & 1) != 0;
}

int ClampFont(int font) {
  return std::clamp(font, 0, kFontCount - 1);
}

struct FontLayout {
  int glyphWidth = 0, glyphHeight = 0, rows = 8;
};

FontLayout LayoutOf(const SpriteSlot& s) {
  FontLayout l;
  l.rows = s.width < s.height ? 16 : 8;
  l.glyphWidth = s.width >> 4;
  l.glyphHeight = l.rows == 16 ? s.height >> 4 : s.height >> 3;
  return l;
}

}  // namespace

ImageBuffer BuildDefaultFont() {
  ImageBuffer image;
  image.width = kBuiltInWidth;
  image.height = kBuiltInHeight;
  image.pixels.assign(kBuiltInWidth * kBuiltInHeight * 4, 0);
  for (int j = 0; j < 96; ++j) {
    const uint32_t mask = kGlyphMasks[j];
    const int cellX = (j % 16) * 8, cellY = (2 + j / 16) * 8;
    for (int cy = 0; cy < 8; ++cy)
      for (int cx = 0; cx < 7; ++cx) {
        const int gx = cx - 1, gy = cy - 1;
        uint8_t* p = image.Pixel(cellX + cx, cellY + cy);
        if (MaskBit(mask, gx, gy)) {
          p[0] = p[1] = p[2] = p[3] = 255;
        } else if (MaskBit(mask, gx - 1, gy) || MaskBit(mask, gx + 1, gy) ||
                   MaskBit(mask, gx, gy - 1) || MaskBit(mask, gx, gy + 1)) {
          p[0] = p[1] = p[2] = 8;  // the dark outline keeps text readable on white
          p[3] = 255;
        }
      }
  }
  return image;
}

void LoadBuiltInFont(int font) {
  const int slot = kFirstFontSlot + ClampFont(font);
  FreeSprite(slot);
  SpriteSlot& s = Gfx2d().sprites[slot];
  if (!UploadImage(BuildDefaultFont(), 0, 0, 0, 0, &s.texture, nullptr, false, true)) return;
  s.paddedWidth = kBuiltInWidth;
  s.paddedHeight = kBuiltInHeight;
  s.width = kBuiltInWidth;
  s.height = kBuiltInHeight;
}

}  // namespace gfx2d

using namespace gfx2d;

void FontFromFile(const RtString& name, int font) {
  Gfx2dState& g = Gfx2d();
  g.currentFont = ClampFont(font);
  std::string path;
  if (ResolveImageName(name.c_str(), path) &&
      LoadIntoSlot(kFirstFontSlot + g.currentFont, path.c_str(), g.fontKey, false))
    return;
  ReportImageLoadFailure("FontFromFile", name.c_str(), g.fontKey);
  LoadBuiltInFont(g.currentFont);
}

void SelectFont(int font) {
  Gfx2d().currentFont = ClampFont(font);
}

void gfx2d::DrawTextQuads(int font, const RtString& text, double x, double y, double z) {
  const uint32_t length = text.Length();
  if (length == 0) return;
  Gfx2dState& g = Gfx2d();
  const int slot = kFirstFontSlot + ClampFont(font);
  const SpriteSlot& s = g.sprites[slot];
  if (s.Empty()) return;
  BindSpriteTexture(slot);
  const FontLayout layout = LayoutOf(s);
  const float gw = static_cast<float>(layout.glyphWidth);
  const float gh = static_cast<float>(layout.glyphHeight);
  const float us = static_cast<float>(s.width) / s.paddedWidth / 16;
  const float vs = static_cast<float>(s.height) / s.paddedHeight / layout.rows;
  const int topRow = layout.rows - 1;
  const int codes = layout.rows * 16;

  const size_t vertices = static_cast<size_t>(length) * 4;
  if (g.textVertices.size() < vertices * 5) {
    const size_t grown = g.textVertices.empty() ? 512 : 128 * (vertices / 128 + 1);
    g.textVertices.resize(std::max(grown, vertices) * 5);
  }
  float pen = static_cast<float>(std::ceil(x));
  const float top = static_cast<float>(std::ceil(y));
  const float depth = static_cast<float>(z);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
  float* v = g.textVertices.data();
  for (uint32_t i = 0; i < length; ++i) {
    const int code = bytes[i] % codes;
    const float u0 = (code % 16) * us, u1 = u0 + us;
    const float vb = (topRow - code / 16) * vs, vt = vb + vs;
    const float quad[4][5] = {{pen, top + gh, depth, u0, vb},
                              {pen + gw, top + gh, depth, u1, vb},
                              {pen + gw, top, depth, u1, vt},
                              {pen, top, depth, u0, vt}};
    for (const auto& corner : quad)
      for (float f : corner) *v++ = f;
    pen += gw;
  }
  render::DrawTexturedQuads(g.textVertices.data(), vertices);
}

void DrawText(const RtString& text, double x, double y) {
  DrawTextQuads(Gfx2d().currentFont, text, x, y, 0);
}

void DrawNumber(double value, double x, double y) {
  char text[kNumberTextCapacity];
  WriteNumberText(value, text);
  DrawText(RtString(text), x, y);
}

void FontGlyphSize(int& width, int& height) {
  const Gfx2dState& g = Gfx2d();
  const SpriteSlot& s = g.sprites[kFirstFontSlot + g.currentFont];
  const FontLayout layout = LayoutOf(s);
  width = layout.glyphWidth;
  height = layout.glyphHeight;
}

void FontGlyphSize(double& width, double& height) {
  int w, h;
  FontGlyphSize(w, h);
  width = w;
  height = h;
}
