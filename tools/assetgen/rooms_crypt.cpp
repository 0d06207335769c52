// Room backgrounds of world 4: the haunted crypt.
#include <cmath>

#include "rooms.h"

namespace assetgen::rooms {

namespace {

struct CryptPalette {
  Rgb stone = Hex(0x3A3448), stone_hi = Hex(0x4E4660), stone_lo = Hex(0x2A2436);
  Rgb mortar = Hex(0x221E2C);
  Rgb lintel = Hex(0xB4AEC4), lintel_hi = Hex(0xD4D0E0), lintel_lo = Hex(0x8A84A0);
};

void Bricks(Canvas& c, const CryptPalette& p, uint32_t seed) {
  c.Rect(0, kCeiling, 320, 190, p.mortar);
  for (int row = 0; row * 12 < 190; ++row) {
    int y = kCeiling + row * 12;
    int off = (row % 2) * 12;
    for (int x = -off; x < 320; x += 24) {
      Rgb tone = Mix(p.stone, Hash(seed, row, x) & 1 ? p.stone_hi : p.stone_lo,
                     0.35 * Hash01(seed, x, row));
      c.Rect(x + 1, y + 1, 22, 10, tone);
      c.HLine(x + 1, x + 22, y + 1, Scale(tone, 1.15));
    }
  }
  c.Speckle(0, kCeiling, 320, 190, 0.06, 0.2, seed);
}

void Lintel(Canvas& c, const CryptPalette& p) {
  // Moonlit stone cornice: light enough for the dark display lettering.
  c.GradientV(0, 0, 320, 38, p.lintel_hi, p.lintel, 4);
  for (int x = 0; x < 320; x += 32) {
    c.VLine(x, 0, 37, p.lintel_lo);
    c.Speckle(x + 2, 2, 28, 34, 0.08, 0.08, x);
  }
  c.Rect(0, 38, 320, 8, p.lintel_lo);
  c.HLine(0, 319, 38, p.lintel);
  c.HLine(0, 319, 45, Hex(0x2A2436));
  for (int x = 4; x < 320; x += 16) c.Rect(x, 41, 8, 3, Scale(p.lintel_lo, 0.8));
}

void GothicWindow(Canvas& c, int x, int y, int w, int h, bool moon) {
  c.Rect(x - 4, y + w / 2, w + 8, h - w / 2 + 4, Hex(0x6A6480));
  c.Circle(x + w / 2.0, y + w / 2.0 + 1, w / 2.0 + 4, Hex(0x6A6480));
  c.GradientV(x, y, w, h, Hex(0x1A2050), Hex(0x3A4A7A), 5);
  // Arch top.
  for (int yy = y; yy < y + w / 2; ++yy)
    for (int xx = x; xx < x + w; ++xx) {
      double d = std::hypot(xx + 0.5 - (x + w / 2.0), yy + 0.5 - (y + w / 2.0));
      if (d > w / 2.0) c.Put(xx, yy, Hex(0x6A6480));
    }
  if (moon) {
    c.Circle(x + w * 0.6, y + w * 0.55, w * 0.22, Hex(0xF4F0D8));
    c.Circle(x + w * 0.52, y + w * 0.5, w * 0.06, Hex(0xD8D4BC));
  }
  c.Rect(x + w / 2 - 1, y + w / 2, 2, h - w / 2, Hex(0x4A4460));
  c.Rect(x, y + h * 2 / 3, w, 2, Hex(0x4A4460));
  c.Glow(x + w / 2.0, y + h + 20, w * 1.2, Hex(0x6A7AB8), 0.3);
}

void Cobweb(Canvas& c, int x, int y, int size, bool right) {
  const Rgb web = Hex(0xA8A4B8);
  int s = right ? -1 : 1;
  for (int k = 0; k <= 4; ++k) {
    double a = k * M_PI / 8;
    c.Line(x, y, x + s * static_cast<int>(std::cos(a) * size),
           y + static_cast<int>(std::sin(a) * size), web);
  }
  for (int r = size / 4; r < size; r += size / 4) {
    for (int k = 0; k < 4; ++k) {
      double a0 = k * M_PI / 8, a1 = (k + 1) * M_PI / 8;
      c.Line(x + s * static_cast<int>(std::cos(a0) * r), y + static_cast<int>(std::sin(a0) * r),
             x + s * static_cast<int>(std::cos(a1) * r * 0.95),
             y + static_cast<int>(std::sin(a1) * r * 0.95), web);
    }
  }
}

void Candle(Canvas& c, int x, int y) {
  c.Glow(x + 2, y - 4, 34, Hex(0xF8C870), 0.5);
  c.Rect(x - 3, y + 12, 10, 3, Hex(0x8A7A50));  // holder
  c.Rect(x, y, 4, 12, Hex(0xF0E8D0));
  c.Put(x, y + 1, Hex(0xE0D8C0));
  c.Rect(x + 1, y - 4, 2, 4, Hex(0xFFE080));
  c.Put(x + 1, y - 5, Hex(0xFFF8D0));
}

void Tombstones(Canvas& c, uint32_t seed) {
  for (int i = 0; i < 5; ++i) {
    int x = 10 + i * 64 + static_cast<int>(Hash(seed, i) % 20),
        h = 18 + static_cast<int>(Hash(seed, i, 1) % 10);
    c.RoundRect(x, 232 - h, 18, h + 4, 8, Hex(0x5A5468));
    c.RoundRect(x + 2, 234 - h, 14, h, 6, Hex(0x6A6478));
    c.HLine(x + 5, x + 12, 240 - h, Hex(0x4A4458));
    c.VLine(x + 8, 237 - h, 246 - h, Hex(0x4A4458));
  }
}

void CryptFloor(Canvas& c) {
  c.Rect(0, 226, 320, 14, Hex(0x2A2436));
  for (int x = 0; x < 320; x += 20) {
    c.Rect(x + 1, 228, 18, 5, Hex(0x3A3448));
    c.Rect(x + 11, 234, 18, 5, Hex(0x342E42));
  }
  c.HLine(0, 319, 226, Hex(0x4E4660));
  // Low mist.
  for (int x = 0; x < 320; ++x) {
    int top = 218 + static_cast<int>(3 * std::sin(x * 0.05) + 2 * std::sin(x * 0.13));
    for (int y = top; y < 232; ++y)
      if ((x + y) % 2 == 0 || y > top + 5) c.Put(x, y, Mix(c.At(x, y), Hex(0x8A84A8), 0.35));
  }
}

// A bat sleeping upside down or flitting past, as a dark silhouette.
void Bat(Canvas& c, int x, int y, bool flying) {
  const Rgb body = Hex(0x18141F);
  if (flying) {
    const double fx = x, fy = y;
    c.Poly({{fx - 7, fy - 2},
            {fx - 3, fy + 1},
            {fx - 1, fy - 1},
            {fx + 1, fy - 1},
            {fx + 3, fy + 1},
            {fx + 7, fy - 2},
            {fx + 5, fy + 3},
            {fx + 2, fy + 2},
            {fx, fy + 4},
            {fx - 2, fy + 2},
            {fx - 5, fy + 3}},
           body);
    c.Put(x - 1, y, Hex(0xE84A4A));
    c.Put(x + 1, y, Hex(0xE84A4A));
  } else {
    c.VLine(x, y - 3, y, body);
    c.Ellipse(x, y + 4, 2.5, 4, body);
  }
}

void Spider(Canvas& c, int x, int y0, int y1) {
  c.VLine(x, y0, y1, Hex(0xA8A4B8));
  c.Ellipse(x, y1 + 2, 2, 2.5, Hex(0x18141F));
  for (int k = -1; k <= 1; k += 2) {
    c.Line(x, y1 + 1, x + 3 * k, y1 - 1, Hex(0x18141F));
    c.Line(x, y1 + 3, x + 3 * k, y1 + 5, Hex(0x18141F));
  }
}

void Portrait(Canvas& c, int x, int y) {
  c.Rect(x, y, 34, 44, Hex(0x8A7040));
  c.Rect(x + 3, y + 3, 28, 38, Hex(0x2A2030));
  c.Ellipse(x + 17, y + 18, 7, 9, Hex(0x5A5070));
  c.Rect(x + 8, y + 28, 18, 13, Hex(0x3A3050));
  c.Put(x + 14, y + 17, Hex(0xE8E060));  // eyes that follow you
  c.Put(x + 20, y + 17, Hex(0xE8E060));
}

}  // namespace

Canvas CryptRoom(int variant) {
  CryptPalette p;
  Canvas c(320, 240);
  Bricks(c, p, 400 + variant);
  WallShade(c, kCeiling, 226, 1.5);
  switch (variant) {
    case 0:  // the entrance hall
      GothicWindow(c, 130, 70, 60, 100, true);
      Candle(c, 60, 140);
      Candle(c, 256, 140);
      Portrait(c, 220, 80);
      Cobweb(c, 0, kCeiling, 30, false);
      Cobweb(c, 319, kCeiling, 24, true);
      Bat(c, 100, 96, true);
      Bat(c, 40, kCeiling + 2, false);
      Bat(c, 48, kCeiling + 2, false);
      CryptFloor(c);
      break;
    case 1:  // the crypt corridor
      GothicWindow(c, 40, 80, 36, 70, false);
      GothicWindow(c, 240, 80, 36, 70, true);
      Candle(c, 150, 110);
      Portrait(c, 140, 150);
      Cobweb(c, 0, kCeiling, 26, false);
      Cobweb(c, 319, kCeiling, 34, true);
      Spider(c, 300, kCeiling + 8, kCeiling + 40);
      Bat(c, 206, 70, true);
      Bat(c, 96, kCeiling + 2, false);
      Tombstones(c, 410);
      CryptFloor(c);
      break;
    default:  // the last hall, lit by a rose window
      GothicWindow(c, 110, 64, 100, 120, true);
      for (int k = 0; k < 8; ++k) {
        double a = k * M_PI / 4;
        c.Line(160, 114, 160 + static_cast<int>(std::cos(a) * 40),
               114 + static_cast<int>(std::sin(a) * 40), Hex(0x8A3A6A));
      }
      Candle(c, 40, 160);
      Candle(c, 276, 160);
      Bat(c, 250, 90, true);
      Spider(c, 24, kCeiling + 10, kCeiling + 56);
      Cobweb(c, 0, kCeiling, 30, false);
      Cobweb(c, 319, kCeiling, 30, true);
      CryptFloor(c);
      break;
  }
  Lintel(c, p);
  return c;
}

}  // namespace assetgen::rooms
