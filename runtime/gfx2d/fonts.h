// Bitmap fonts: 32 font slots holding a 16-column grid of equally sized
// glyphs (16 rows for images higher than wide, else 8), monospaced text.
#pragma once

#include "runtime/core/rt_string.h"

// Selects font n (clamped to 0..31) and loads the image into it with the
// font colour key; a name that does not load gives the built-in font.
void FontFromFile(const RtString& name, int font);
void SelectFont(int font);
// Top-left corner at (ceil(x), ceil(y)); one glyph per byte, no line breaks.
void DrawText(const RtString& text, double x, double y);
void DrawNumber(double value, double x, double y);
void FontGlyphSize(int& width, int& height);
void FontGlyphSize(double& width, double& height);
