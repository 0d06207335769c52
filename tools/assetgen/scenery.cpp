#include "scenery.h"

#include <cmath>

namespace assetgen {

void DrawCloud(Canvas& c, double x, double y, double size, Rgb fill, Rgb shade, Rgb outline,
               uint32_t seed) {
  Canvas t(static_cast<int>(size * 2.6) + 4, static_cast<int>(size * 1.3) + 4);
  double cx = t.w() / 2.0, base = t.h() - 3.0;
  int puffs = 3 + static_cast<int>(Hash(seed) % 3);
  t.Ellipse(cx, base - size * 0.22, size * 1.15, size * 0.26, fill);
  for (int i = 0; i < puffs; ++i) {
    double f = puffs > 1 ? static_cast<double>(i) / (puffs - 1) : 0.5;
    double px = cx + (f - 0.5) * size * 1.7;
    double r = size * (0.34 + 0.26 * std::sin(f * M_PI)) * (0.85 + 0.3 * Hash01(seed, i));
    t.Circle(px, base - size * 0.22 - r * 0.55, r, fill);
  }
  // Shade the lower third.
  for (int yy = 0; yy < t.h(); ++yy)
    for (int xx = 0; xx < t.w(); ++xx)
      if (t.Opaque(xx, yy) && yy > base - size * 0.33 &&
          ((xx + yy) % 2 == 0 || yy > base - size * 0.2))
        t.Put(xx, yy, shade);
  t.Outline(outline);
  c.Blit(t, static_cast<int>(x - cx), static_cast<int>(y - base));
}

void DrawHills(Canvas& c, int base, double amp, double wavelength, double phase, Rgb fill, Rgb rim,
               int bottom) {
  if (bottom < 0) bottom = c.h();
  for (int x = 0; x < c.w(); ++x) {
    double t = x / wavelength * 2 * M_PI + phase;
    int top = base - static_cast<int>(
                         std::lround(amp * (0.6 * std::sin(t) + 0.4 * std::sin(t * 2.3 + 1.7))));
    for (int y = std::max(0, top); y < bottom; ++y) c.Put(x, y, y <= top + 1 ? rim : fill);
  }
}

void DrawStars(Canvas& c, int x, int y, int w, int h, int count, uint32_t seed, Rgb bright,
               Rgb dim) {
  for (int i = 0; i < count; ++i) {
    int sx = x + static_cast<int>(Hash(seed, i, 1) % w);
    int sy = y + static_cast<int>(Hash(seed, i, 2) % h);
    uint32_t kind = Hash(seed, i, 3) % 16;
    if (kind == 0) {
      c.Put(sx, sy, bright);
      c.Put(sx - 1, sy, dim);
      c.Put(sx + 1, sy, dim);
      c.Put(sx, sy - 1, dim);
      c.Put(sx, sy + 1, dim);
    } else {
      c.Put(sx, sy, kind < 6 ? bright : dim);
    }
  }
}

void DrawBigPlane(Canvas& c, double x, double y, double s, Rgb paper, Rgb shade, Rgb fold,
                  Rgb outline) {
  auto P = [&](double px, double py) { return Pt{x + px * s, y + py * s}; };
  Canvas t(static_cast<int>(70 * s) + 4, static_cast<int>(34 * s) + 4);
  auto T = [&](double px, double py) { return Pt{2 + px * s, 2 + py * s}; };
  // Far wing, keel, near wing.
  t.Poly({T(4, 2), T(64, 15), T(14, 14)}, shade);
  t.Poly({T(14, 14), T(64, 15), T(22, 30)}, Mix(shade, fold, 0.45));
  t.Poly({T(0, 12), T(64, 15), T(16, 22)}, paper);
  t.Outline(outline);
  // Creases.
  Pt a = T(16, 15), b = T(62, 15);
  t.Line(static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x), static_cast<int>(b.y),
         fold);
  Pt d = T(16, 22), e = T(60, 15.5);
  t.Line(static_cast<int>(d.x), static_cast<int>(d.y), static_cast<int>(e.x), static_cast<int>(e.y),
         Mix(paper, fold, 0.5));
  Pt o = P(0, 0);
  c.Blit(t, static_cast<int>(o.x) - 2, static_cast<int>(o.y) - 2);
}

void DrawTrail(Canvas& c, Pt a, Pt b, Pt cc, Pt d, Rgb col, int step) {
  double len = 0;
  Pt prev = a;
  const int n = 400;
  int dot = 0;
  for (int i = 1; i <= n; ++i) {
    double t = static_cast<double>(i) / n, u = 1 - t;
    Pt p{u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * cc.x + t * t * t * d.x,
         u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * cc.y + t * t * t * d.y};
    len += std::hypot(p.x - prev.x, p.y - prev.y);
    prev = p;
    if (len >= step) {
      len = 0;
      if (dot++ % 2 == 0) {
        c.Put(static_cast<int>(p.x), static_cast<int>(p.y), col);
        c.Put(static_cast<int>(p.x) + 1, static_cast<int>(p.y), col);
      }
    }
  }
}

void DrawPlanks(Canvas& c, int x, int y, int w, int h, int plank_h, Rgb wood, uint32_t seed) {
  const Rgb dark = Scale(wood, 0.7), light = Scale(wood, 1.18);
  c.Rect(x, y, w, h, wood);
  for (int row = 0; row * plank_h < h; ++row) {
    int py = y + row * plank_h;
    Rgb tone = Mix(wood, Hash(seed, row) & 1 ? light : dark, 0.25);
    c.Rect(x, py, w, std::min(plank_h, h - row * plank_h), tone);
    c.HLine(x, x + w - 1, py, dark);
    if (plank_h > 2) c.HLine(x, x + w - 1, py + 1, Mix(tone, light, 0.5));
    // Joints staggered per row, grain flecks between them.
    int off = static_cast<int>(Hash(seed, row, 7) % 60);
    for (int jx = x - off; jx < x + w; jx += 56 + static_cast<int>(Hash(seed, row, jx) % 30))
      if (jx > x) c.VLine(jx, py + 1, std::min(y + h, py + plank_h) - 1, dark);
    for (int k = 0; k < w / 12; ++k) {
      int gx = x + static_cast<int>(Hash(seed, row, k + 100) % w);
      int gy = py + 2 + static_cast<int>(Hash(seed, row, k + 200) % std::max(1, plank_h - 3));
      if (gy < y + h)
        c.HLine(gx, gx + 2 + static_cast<int>(Hash(seed, k) % 4), gy, Mix(tone, dark, 0.5));
    }
  }
}

void DrawPanel(Canvas& c, int x, int y, int w, int h, int r, Rgb face, Rgb light, Rgb dark,
               Rgb outline) {
  c.RoundRect(x, y, w, h, r, outline);
  c.RoundRect(x + 1, y + 1, w - 2, h - 2, std::max(0, r - 1), dark);
  c.RoundRect(x + 1, y + 1, w - 3, h - 3, std::max(0, r - 1), light);
  c.RoundRect(x + 2, y + 2, w - 4, h - 4, std::max(0, r - 2), face);
}

}  // namespace assetgen
