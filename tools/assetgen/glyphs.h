// The game's own lettering: one 5 x 9 master alphabet (caps on rows 0-6,
// descenders on rows 7-8) from which the three game fonts and all the
// lettering on the title screens are derived.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

inline constexpr int kGlyphW = 5;
inline constexpr int kGlyphH = 9;

// True when pixel (x, y) of the glyph for code c is set; codes without a
// glyph (controls, 127 and above) are blank.
bool GlyphBit(int c, int x, int y);

// A binary mask; used for glyph scaling and for lettering.
struct Mask {
  int w = 0, h = 0;
  std::vector<uint8_t> bits;
  Mask() = default;
  Mask(int w_, int h_) : w(w_), h(h_), bits(static_cast<size_t>(w_) * h_) {}
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && bits[y * w + x]; }
  void Set(int x, int y, bool v = true) {
    if (x >= 0 && y >= 0 && x < w && y < h) bits[y * w + x] = v;
  }
};

Mask GlyphMask(int c);                    // 5 x 9
Mask Upscale(const Mask& m, int factor);  // pixel-art smoothing (2x, 3x, 4x, 6x)

// Text laid out with one blank column between glyphs (times scale), caps
// height rows only when `caps_only` (no room for descenders).
Mask TextMask(const std::string& text, int scale, bool caps_only = false, int spacing = 1);

// Paints a mask on a canvas with a vertical colour ramp.
void PaintMask(Canvas& c, const Mask& m, int x, int y, Rgb top, Rgb bottom);

// Headline lettering: ramp-filled letters with a dark outline and a drop
// shadow, as used on the title and menu screens.
void Headline(Canvas& c, const std::string& text, int x, int y, int scale, Rgb top, Rgb bottom,
              Rgb outline, Rgb shadow);
int HeadlineWidth(const std::string& text, int scale);

// Small plain lettering (1x master glyphs with a 1 px outline), for labels on
// screens and the contact sheets.
void Label(Canvas& c, const std::string& text, int x, int y, Rgb fg, Rgb outline);
int LabelWidth(const std::string& text);

}  // namespace assetgen
