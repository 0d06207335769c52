// Bitmap fonts: 32 font slots holding a 16-column grid of equally sized
// glyphs (16 rows for images higher than wide, else 8), monospaced text.
// Font 0 starts as the built-in 8 x 8 font, or as smalfont.png (or .bmp)
// when the current folder or the data archive holds one; the other slots
// start empty and draw nothing. Font n's image is sprite slot 65504 + n.
#pragma once

#include "runtime/core/rt_string.h"

// Selects font n (clamped to 0..31) and loads the image into it with the
// font colour key (black unless SetColourKey changed it); a name that does
// not load gives the built-in font.
void FontFromFile(const RtString& name, int font);
// Makes font n (clamped to 0..31) the one DrawText and DrawNumber use.
void SelectFont(int font);
// Top-left corner at (ceil(x), ceil(y)); one glyph per byte, no line breaks.
void DrawText(const RtString& text, double x, double y);
// Draws the number as its text (10 significant digits) like DrawText.
void DrawNumber(double value, double x, double y);
// The selected font's glyph size in pixels.
void FontGlyphSize(int& width, int& height);
void FontGlyphSize(double& width, double& height);
