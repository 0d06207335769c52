// Scenery pieces shared by the title screens and the rooms.
#pragma once

#include "canvas.h"

namespace assetgen {

// Puffy cloud with an outline and shaded underside; size is its half width.
void DrawCloud(Canvas& c, double x, double y, double size, Rgb fill, Rgb shade, Rgb outline,
               uint32_t seed);

// Rolling hills whose top edge wanders around `base` with amplitude `amp`.
void DrawHills(Canvas& c, int base, double amp, double wavelength, double phase, Rgb fill, Rgb rim,
               int bottom = -1);

// Scatter of stars: single pixels, some with a cross sparkle.
void DrawStars(Canvas& c, int x, int y, int w, int h, int count, uint32_t seed, Rgb bright,
               Rgb dim);

// A big paper dart seen from slightly above, nose towards +x; `s` scales it
// (s = 1 is about 64 x 28 pixels).
void DrawBigPlane(Canvas& c, double x, double y, double s, Rgb paper, Rgb shade, Rgb fold,
                  Rgb outline);

// Dotted flight trail along a cubic curve.
void DrawTrail(Canvas& c, Pt a, Pt b, Pt cc, Pt d, Rgb col, int step);

// Horizontal wooden planks (floors, shelves, beams).
void DrawPlanks(Canvas& c, int x, int y, int w, int h, int plank_h, Rgb wood, uint32_t seed);

// Rounded panel with a bevel, used for menus and signs.
void DrawPanel(Canvas& c, int x, int y, int w, int h, int r, Rgb face, Rgb light, Rgb dark,
               Rgb outline);

}  // namespace assetgen
