// Pixel-art canvas on top of Cairo: every shape is drawn without
// antialiasing so sprites keep hard edges when the game is scaled up by whole
// factors, and alpha is only ever 0 or 255 (the game's collision masks count
// any non-zero alpha).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace assetgen {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The game loads every image with this colour as its transparent key.
inline constexpr Rgb kKey{64, 0, 123};

Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb c, double f);  // f < 1 darkens, f > 1 brightens towards white
Rgb Hex(uint32_t rgb);

struct Pt {
  double x, y;
};

// Deterministic hashing noise; the generator never uses a global random state
// so the output does not depend on the order in which jobs run.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
double Hash01(uint32_t a, uint32_t b = 0, uint32_t c = 0);

class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
  uint32_t Next();
  double Uniform() { return (Next() >> 8) * (1.0 / 16777216.0); }
  double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint64_t state_;
};

// A plain RGBA image (non-premultiplied; alpha 0 or 255).
struct Image {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
  bool Opaque(int x, int y) const { return rgba[(y * w + x) * 4 + 3] != 0; }
};

class Canvas {
 public:
  Canvas(int w, int h);
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  Canvas(Canvas&& o) noexcept;
  ~Canvas();

  int w() const { return w_; }
  int h() const { return h_; }

  // Shapes (filled, hard-edged).
  void Clear();
  void Fill(Rgb c) { Rect(0, 0, w_, h_, c); }
  void Rect(double x, double y, double w, double h, Rgb c);
  void Poly(std::initializer_list<Pt> pts, Rgb c);
  void Poly(const std::vector<Pt>& pts, Rgb c);
  void Ellipse(double cx, double cy, double rx, double ry, Rgb c);
  void Circle(double cx, double cy, double r, Rgb c) { Ellipse(cx, cy, r, r, c); }
  void RoundRect(double x, double y, double w, double h, double r, Rgb c);
  void Ring(double cx, double cy, double rx, double ry, double width, Rgb c);
  // Erases a rectangle back to transparency.
  void EraseRect(double x, double y, double w, double h);

  // Pixels.
  void Put(int x, int y, Rgb c);
  bool Opaque(int x, int y) const;
  Rgb At(int x, int y) const;
  void Line(int x0, int y0, int x1, int y1, Rgb c);  // Bresenham, 1 px
  void HLine(int x0, int x1, int y, Rgb c);
  void VLine(int x, int y0, int y1, Rgb c);

  // Ordered-dither gradient from `top` to `bottom`, keeping the palette small
  // like hand-made pixel art.
  void GradientV(int x, int y, int w, int h, Rgb top, Rgb bottom, int levels = 8);
  // Radial dithered blend of `c` over existing opaque pixels.
  void Glow(double cx, double cy, double radius, Rgb c, double strength);
  // Tints opaque pixels inside a rectangle towards `c` by `t` (0..1).
  void Tint(int x, int y, int w, int h, Rgb c, double t);
  // Speckle: darkens or lightens random opaque pixels in a rectangle.
  void Speckle(int x, int y, int w, int h, double density, double amount, uint32_t seed);

  // Sprite post-processing.
  void Outline(Rgb c, bool diagonal = false);  // ring of c around opaque pixels

  void Blit(const Canvas& src, int x, int y);  // opaque source pixels only
  void BlitScaled(const Canvas& src, int x, int y, int factor);
  void BlitRegion(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy);
  void FlipH();

  Image ToImage() const;

 private:
  void ToCairo();
  void ToPixels() const;
  uint32_t* Row(int y) const;
  void SetSource(Rgb c);

  int w_, h_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  mutable bool pixels_dirty_ = false;   // direct pixel writes since last Cairo op
  mutable bool cairo_pending_ = false;  // Cairo ops since last flush
};

}  // namespace assetgen
