#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace assetgen {

namespace {

// 4x4 Bayer matrix, thresholds in (0, 1).
double Bayer(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (m[y & 3][x & 3] + 0.5) / 16.0;
}

uint32_t Pack(Rgb c) {
  return 0xFF000000u | (c.r << 16) | (c.g << 8) | c.b;
}
Rgb Unpack(uint32_t v) {
  return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](uint8_t p, uint8_t q) { return static_cast<uint8_t>(std::lround(p + (q - p) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

Rgb Scale(Rgb c, double f) {
  if (f <= 1.0) return Mix({0, 0, 0}, c, f);
  return Mix(c, {255, 255, 255}, f - 1.0);
}

Rgb Hex(uint32_t v) {
  return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

double Hash01(uint32_t a, uint32_t b, uint32_t c) {
  return (Hash(a, b, c) >> 8) / 16777216.0;
}

uint32_t Rng::Next() {
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
}

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cairo surface");
  cr_ = cairo_create(surface_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  Clear();
}

Canvas::Canvas(Canvas&& o) noexcept
    : w_(o.w_),
      h_(o.h_),
      surface_(std::exchange(o.surface_, nullptr)),
      cr_(std::exchange(o.cr_, nullptr)),
      pixels_dirty_(o.pixels_dirty_),
      cairo_pending_(o.cairo_pending_) {}

Canvas::~Canvas() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void Canvas::ToCairo() {
  if (pixels_dirty_) {
    cairo_surface_mark_dirty(surface_);
    pixels_dirty_ = false;
  }
  cairo_pending_ = true;
}

void Canvas::ToPixels() const {
  if (cairo_pending_) {
    cairo_surface_flush(surface_);
    cairo_pending_ = false;
  }
}

uint32_t* Canvas::Row(int y) const {
  unsigned char* data = cairo_image_surface_get_data(surface_);
  return reinterpret_cast<uint32_t*>(data + y * cairo_image_surface_get_stride(surface_));
}

void Canvas::SetSource(Rgb c) {
  cairo_set_source_rgb(cr_, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void Canvas::Clear() {
  ToPixels();
  for (int y = 0; y < h_; ++y) std::fill(Row(y), Row(y) + w_, 0u);
  pixels_dirty_ = true;
}

void Canvas::Rect(double x, double y, double w, double h, Rgb c) {
  ToCairo();
  SetSource(c);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
}

void Canvas::Poly(std::initializer_list<Pt> pts, Rgb c) {
  Poly(std::vector<Pt>(pts), c);
}

void Canvas::Poly(const std::vector<Pt>& pts, Rgb c) {
  if (pts.size() < 3) return;
  ToCairo();
  SetSource(c);
  cairo_move_to(cr_, pts[0].x, pts[0].y);
  for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr_, pts[i].x, pts[i].y);
  cairo_close_path(cr_);
  cairo_fill(cr_);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry, Rgb c) {
  if (rx <= 0 || ry <= 0) return;
  ToCairo();
  SetSource(c);
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr_);
  cairo_fill(cr_);
}

void Canvas::RoundRect(double x, double y, double w, double h, double r, Rgb c) {
  ToCairo();
  SetSource(c);
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr_, x + r, y + r, r, M_PI, 1.5 * M_PI);
  cairo_close_path(cr_);
  cairo_fill(cr_);
}

void Canvas::Ring(double cx, double cy, double rx, double ry, double width, Rgb c) {
  ToCairo();
  SetSource(c);
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr_);
  cairo_set_line_width(cr_, width);
  cairo_stroke(cr_);
}

void Canvas::EraseRect(double x, double y, double w, double h) {
  ToCairo();
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void Canvas::Put(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  ToPixels();
  Row(y)[x] = Pack(c);
  pixels_dirty_ = true;
}

bool Canvas::Opaque(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return false;
  ToPixels();
  return (Row(y)[x] >> 24) >= 128;
}

Rgb Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return {};
  ToPixels();
  return Unpack(Row(y)[x]);
}

void Canvas::Line(int x0, int y0, int x1, int y1, Rgb c) {
  int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Put(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::HLine(int x0, int x1, int y, Rgb c) {
  for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) Put(x, y, c);
}

void Canvas::VLine(int x, int y0, int y1, Rgb c) {
  for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) Put(x, y, c);
}

// Quantises t (0..1) to one of `levels` steps, choosing between the two
// nearest by the ordered-dither threshold of pixel (px, py), so gradients
// stay in a small palette without banding.
static double DitheredStep(double t, int levels, int px, int py) {
  const double q = t * (levels - 1);
  const int lo = static_cast<int>(q);
  const int level = lo + (q - lo > Bayer(px, py) ? 1 : 0);
  return static_cast<double>(level) / (levels - 1);
}

void Canvas::GradientV(int x, int y, int w, int h, Rgb top, Rgb bottom, int levels) {
  for (int j = 0; j < h; ++j) {
    double t = h > 1 ? static_cast<double>(j) / (h - 1) : 0.0;
    for (int i = 0; i < w; ++i) {
      Put(x + i, y + j, Mix(top, bottom, DitheredStep(t, levels, x + i, y + j)));
    }
  }
}

void Canvas::Glow(double cx, double cy, double radius, Rgb c, double strength) {
  int x0 = std::max(0, static_cast<int>(cx - radius)),
      x1 = std::min(w_ - 1, static_cast<int>(cx + radius));
  int y0 = std::max(0, static_cast<int>(cy - radius)),
      y1 = std::min(h_ - 1, static_cast<int>(cy + radius));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      if (!Opaque(x, y)) continue;
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
      if (d >= 1) continue;
      double t = strength * (1 - d);
      // Quantise to quarter steps and dither between them.
      double q = t * 4;
      int lo = static_cast<int>(q);
      double step = (lo + ((q - lo) > Bayer(x, y) ? 1 : 0)) / 4.0;
      if (step > 0) Put(x, y, Mix(At(x, y), c, step));
    }
}

void Canvas::Tint(int x, int y, int w, int h, Rgb c, double t) {
  for (int j = std::max(0, y); j < std::min(h_, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(w_, x + w); ++i)
      if (Opaque(i, j)) Put(i, j, Mix(At(i, j), c, t));
}

void Canvas::Speckle(int x, int y, int w, int h, double density, double amount, uint32_t seed) {
  for (int j = std::max(0, y); j < std::min(h_, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(w_, x + w); ++i) {
      if (!Opaque(i, j)) continue;
      double r = Hash01(i, j, seed);
      if (r >= density) continue;
      bool dark = Hash(i, j, seed + 1) & 1;
      Put(i, j, Scale(At(i, j), dark ? 1 - amount : 1 + amount));
    }
}

void Canvas::Outline(Rgb c, bool diagonal) {
  ToPixels();
  std::vector<uint8_t> mask(w_ * h_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) mask[y * w_ + x] = Opaque(x, y);
  auto on = [&](int x, int y) { return x >= 0 && y >= 0 && x < w_ && y < h_ && mask[y * w_ + x]; };
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (on(x, y)) continue;
      bool edge = on(x - 1, y) || on(x + 1, y) || on(x, y - 1) || on(x, y + 1);
      if (diagonal)
        edge = edge || on(x - 1, y - 1) || on(x + 1, y - 1) || on(x - 1, y + 1) || on(x + 1, y + 1);
      if (edge) Put(x, y, c);
    }
}

void Canvas::Blit(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.h(); ++j)
    for (int i = 0; i < src.w(); ++i)
      if (src.Opaque(i, j)) Put(x + i, y + j, src.At(i, j));
}

void Canvas::BlitScaled(const Canvas& src, int x, int y, int f) {
  for (int j = 0; j < src.h() * f; ++j)
    for (int i = 0; i < src.w() * f; ++i)
      if (src.Opaque(i / f, j / f)) Put(x + i, y + j, src.At(i / f, j / f));
}

void Canvas::BlitRegion(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (src.Opaque(sx + i, sy + j)) Put(dx + i, dy + j, src.At(sx + i, sy + j));
}

void Canvas::FlipH() {
  ToPixels();
  for (int y = 0; y < h_; ++y) std::reverse(Row(y), Row(y) + w_);
  pixels_dirty_ = true;
}

Image Canvas::ToImage() const {
  ToPixels();
  Image img;
  img.w = w_;
  img.h = h_;
  img.rgba.resize(static_cast<size_t>(w_) * h_ * 4);
  for (int y = 0; y < h_; ++y) {
    const uint32_t* row = Row(y);
    for (int x = 0; x < w_; ++x) {
      uint32_t v = row[x];
      uint8_t* p = &img.rgba[(static_cast<size_t>(y) * w_ + x) * 4];
      if ((v >> 24) < 128) {
        p[0] = p[1] = p[2] = p[3] = 0;
      } else {
        // Alpha is binary, so premultiplied and straight colour agree.
        p[0] = v >> 16;
        p[1] = v >> 8;
        p[2] = v;
        p[3] = 255;
      }
    }
  }
  return img;
}

}  // namespace assetgen
