// Room backgrounds of world 3: space.
#include <cmath>

#include "rooms.h"
#include "scenery.h"

namespace assetgen::rooms {

namespace {

void HullBand(Canvas& c) {
  // The station's hull forms the ceiling band.
  c.GradientV(0, 0, 320, 38, Hex(0xD8DCE4), Hex(0xB0B6C4), 4);
  for (int x = 0; x < 320; x += 40) {
    c.VLine(x, 0, 37, Hex(0x9096A4));
    c.VLine(x + 1, 0, 37, Hex(0xECEEF4));
    c.Put(x + 5, 4, Hex(0x8A90A0));
    c.Put(x + 5, 33, Hex(0x8A90A0));
    c.Put(x + 35, 4, Hex(0x8A90A0));
    c.Put(x + 35, 33, Hex(0x8A90A0));
  }
  // Hazard stripe along the playfield's top.
  for (int x = 0; x < 320; ++x)
    for (int y = 38; y < 46; ++y) c.Put(x, y, ((x + y) / 5) % 2 ? Hex(0xF0C030) : Hex(0x3A3A48));
  c.HLine(0, 319, 38, Hex(0x5A5A68));
  c.HLine(0, 319, 45, Hex(0x2A2A34));
}

void Nebula(Canvas& c, double cx, double cy, double rx, double ry, Rgb col, uint32_t seed) {
  // Dithered cloud of colour over the star field.
  for (int y = kCeiling; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      double dx = (x - cx) / rx, dy = (y - cy) / ry;
      double d = dx * dx + dy * dy;
      double n =
          0.6 * std::sin(x * 0.07 + Hash01(seed) * 6) * std::cos(y * 0.09 + Hash01(seed, 1) * 6) +
          0.4 * std::sin((x + y) * 0.045);
      double t = (1 - d) * 0.55 + n * 0.18;
      if (t <= 0) continue;
      double q = std::min(t, 0.6);
      static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
      double step = std::floor(q * 6) / 6 +
                    ((q * 6 - std::floor(q * 6)) > (bayer[y & 3][x & 3] + 0.5) / 16 ? 1.0 / 6 : 0);
      c.Put(x, y, Mix(c.At(x, y), col, step));
    }
}

void SpaceBase(Canvas& c, Rgb top, Rgb bottom, uint32_t seed) {
  c.GradientV(0, kCeiling, 320, 240 - kCeiling, top, bottom, 8);
  DrawStars(c, 0, kCeiling, 320, 240 - kCeiling, 260, seed, Hex(0xFFFFFF), Hex(0x6A70A0));
}

void DistantPlanet(Canvas& c, int cx, int cy, int r, Rgb body, Rgb band, Rgb shadow) {
  c.Circle(cx, cy, r, body);
  for (int y = cy - r; y <= cy + r; ++y)
    if (((y - cy + r) / 6) % 2) {
      for (int x = cx - r; x <= cx + r; ++x)
        if (std::hypot(x - cx, y - cy) < r) c.Put(x, y, band);
    }
  for (int y = cy - r; y <= cy + r; ++y)
    for (int x = cx - r; x <= cx + r; ++x) {
      double d = std::hypot(x - cx, y - cy);
      if (d < r && (x - cx) + (y - cy) * 0.4 > r * 0.35) c.Put(x, y, Mix(c.At(x, y), shadow, 0.6));
    }
}

void MoonGround(Canvas& c, uint32_t seed) {
  DrawHills(c, 222, 4, 160, 0.5, Hex(0x8A8A9A), Hex(0xC8C8D4));
  for (int i = 0; i < 7; ++i) {
    int x = static_cast<int>(Hash(seed, i) % 320), y = 228 + static_cast<int>(Hash(seed, i, 1) % 8);
    int r = 3 + static_cast<int>(Hash(seed, i, 2) % 6);
    c.Ellipse(x, y, r, r * 0.4, Hex(0x6A6A7A));
    c.Ellipse(x + 1, y + 0.5, r - 1, r * 0.3, Hex(0x7A7A8A));
  }
}

void StationFloor(Canvas& c) {
  c.Rect(0, 230, 320, 10, Hex(0x4A4E5E));
  c.HLine(0, 319, 230, Hex(0x8A90A4));
  for (int x = 0; x < 320; x += 20) {
    c.Line(x, 231, x + 10, 239, Hex(0x5A5E70));
    c.Line(x + 10, 231, x, 239, Hex(0x5A5E70));
  }
}

// The curve of the Earth along the bottom: oceans, land, cloud bands and a
// thin bright atmosphere.
void EarthLimb(Canvas& c, uint32_t seed) {
  const double cx = 160, cy = 560, r = 360;
  c.Glow(160, 250, 150, Hex(0x6AB8FF), 0.45);
  for (int y = 150; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d > r + 3) continue;
      if (d > r) {
        c.Put(x, y, d > r + 1.5 ? Hex(0x4A8AE8) : Hex(0xA8E0FF));
        continue;
      }
      double u = x / 320.0, v = (y - 150) / 90.0;
      double land = std::sin(u * 13 + Hash01(seed) * 6) * std::cos(v * 7 + u * 3) +
                    0.5 * std::sin(u * 29 + v * 11);
      double cloud = std::sin(u * 22 + v * 9 + std::sin(u * 7) * 2) + 0.4 * std::sin(u * 51);
      Rgb col = land > 0.55 ? (land > 0.9 ? Hex(0xA89A5A) : Hex(0x4A9A4A)) : Hex(0x2A68C8);
      if (cloud > 1.05)
        col = Hex(0xF4F8FF);
      else if (cloud > 0.9 && ((x + y) & 1))
        col = Hex(0xD8E4F4);
      // Night side towards the right.
      if (x > 230) col = Mix(col, Hex(0x0A1030), std::min(0.75, (x - 230) / 120.0));
      c.Put(x, y, col);
    }
}

}  // namespace

Canvas SpaceRoom(int variant) {
  Canvas c(320, 240);
  switch (variant) {
    case 0:  // leaving Earth
      SpaceBase(c, Hex(0x0A0C28), Hex(0x1A2A5A), 301);
      Nebula(c, 250, 90, 90, 50, Hex(0x5A3A9A), 302);
      EarthLimb(c, 303);
      break;
    case 1:  // the asteroid belt
      SpaceBase(c, Hex(0x120A28), Hex(0x2A1440), 311);
      Nebula(c, 90, 120, 120, 60, Hex(0xC84A8A), 312);
      for (int i = 0; i < 30; ++i) {
        int x = static_cast<int>(Hash(i, 313) % 320), y = 70 + static_cast<int>(Hash(i, 314) % 140);
        int r = 1 + static_cast<int>(Hash(i, 315) % 3);
        c.Circle(x, y, r, Hex(0x4A3A50));
        c.Put(x - r / 2, y - r / 2, Hex(0x6A5A70));
      }
      StationFloor(c);
      break;
    case 2:  // deep space with a gas giant
      SpaceBase(c, Hex(0x06101E), Hex(0x0E2A3A), 321);
      Nebula(c, 80, 90, 110, 55, Hex(0x2A8A7A), 322);
      DistantPlanet(c, 268, 186, 52, Hex(0x6A5A8A), Hex(0x5A4A7A), Hex(0x1A1A3A));
      c.Ring(268, 186, 80, 14, 2, Hex(0x4A5A7A));
      StationFloor(c);
      break;
    default:  // the moon at the end of the set, Earth rising
      SpaceBase(c, Hex(0x04040C), Hex(0x141430), 331);
      DistantPlanet(c, 80, 100, 22, Hex(0x3A7AD8), Hex(0x4A8AE0), Hex(0x10184A));
      c.Ellipse(74, 94, 6, 3, Hex(0x6AC86A));
      c.Ellipse(88, 106, 5, 3, Hex(0x6AC86A));
      MoonGround(c, 332);
      break;
  }
  HullBand(c);
  return c;
}

}  // namespace assetgen::rooms
