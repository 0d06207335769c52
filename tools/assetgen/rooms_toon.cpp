// Room backgrounds of world 5: the cartoon world.
#include <cmath>

#include "rooms.h"
#include "scenery.h"

namespace assetgen::rooms {

Canvas ToonRoom() {
  Canvas c(320, 240);
  c.GradientV(0, 0, 320, 240, Hex(0x5AC8F8), Hex(0xD8F4FF), 8);
  // Smiling sun in the corner the display leaves free.
  c.Circle(18, 18, 16, Hex(0xFFE060));
  c.Circle(18, 18, 13, Hex(0xFFF090));
  c.Rect(11, 14, 2, 3, Hex(0x6A4A20));
  c.Rect(23, 14, 2, 3, Hex(0x6A4A20));
  c.HLine(13, 23, 22, Hex(0x6A4A20));
  c.Put(12, 21, Hex(0x6A4A20));
  c.Put(24, 21, Hex(0x6A4A20));
  // Rainbow in the distance.
  const Rgb bands[] = {Hex(0xF88A8A), Hex(0xF8C88A), Hex(0xF8F08A), Hex(0x9AE89A), Hex(0x8AC0F8)};
  for (int i = 0; i < 5; ++i) c.Ring(220, 250, 130 - i * 4, 120 - i * 4, 4, bands[i]);
  // Outlined cartoon clouds.
  DrawCloud(c, 60, 92, 20, Hex(0xFFFFFF), Hex(0xD8ECFF), Hex(0x4A8AC8), 501);
  DrawCloud(c, 200, 74, 16, Hex(0xFFFFFF), Hex(0xD8ECFF), Hex(0x4A8AC8), 502);
  DrawCloud(c, 290, 122, 14, Hex(0xFFFFFF), Hex(0xD8ECFF), Hex(0x4A8AC8), 503);
  // A sugar castle far away on the right.
  {
    const Rgb pink = Hex(0xF8B8D8), pink_lo = Hex(0xE890B8), roof = Hex(0x8A6AE0);
    c.Rect(236, 150, 50, 40, pink);
    for (int t = 0; t < 3; ++t) {
      int tx = 230 + t * 24;
      c.Rect(tx, 136 - (t == 1 ? 10 : 0), 14, 54 + (t == 1 ? 10 : 0), t == 1 ? pink : pink_lo);
      c.Poly({{tx - 3.0, 137.0 - (t == 1 ? 10 : 0)},
              {tx + 7.0, 118.0 - (t == 1 ? 12 : 0)},
              {tx + 17.0, 137.0 - (t == 1 ? 10 : 0)}},
             roof);
      c.Rect(tx + 5, 148 - (t == 1 ? 6 : 0), 4, 6, Hex(0x6A5AB8));
    }
    c.RoundRect(254, 172, 14, 18, 6, Hex(0x6A5AB8));
    for (int x = 236; x < 286; x += 6) c.Rect(x, 146, 3, 4, pink);
  }
  // Sparkles in the sky.
  for (int i = 0; i < 14; ++i) {
    int x = 40 + static_cast<int>(Hash(i, 530) % 270), y = 56 + static_cast<int>(Hash(i, 531) % 90);
    c.Put(x, y, Hex(0xFFFFFF));
    if (i % 3 == 0) {
      c.Put(x - 1, y, Hex(0xE8F8FF));
      c.Put(x + 1, y, Hex(0xE8F8FF));
      c.Put(x, y - 1, Hex(0xE8F8FF));
      c.Put(x, y + 1, Hex(0xE8F8FF));
    }
  }
  // Hills with stripes, lollipop trees.
  DrawHills(c, 190, 14, 140, 0.2, Hex(0x8AD86A), Hex(0xB8F08A));
  for (int x = 0; x < 320; ++x)
    for (int y = 180; y < 240; ++y)
      if (c.At(x, y) == Hex(0x8AD86A) && ((x / 6 + y / 6) % 4 == 0)) c.Put(x, y, Hex(0x7ACC5E));
  DrawHills(c, 212, 8, 90, 1.9, Hex(0x5AC04A), Hex(0x8AE06A));
  for (int i = 0; i < 6; ++i) {
    int tx = 24 + i * 52 + static_cast<int>(Hash(i, 510) % 14),
        ty = 196 + static_cast<int>(Hash(i, 511) % 10);
    c.Rect(tx, ty, 2, 16, Hex(0xF0E0C8));
    Rgb pop = i % 2 ? Hex(0xF86AA8) : Hex(0xF8A84A);
    c.Circle(tx + 1, ty - 5, 7, pop);
    c.Ring(tx + 1, ty - 5, 4, 4, 1.2, Scale(pop, 1.3));
  }
  // Spotted mushrooms on the near hill.
  for (int i = 0; i < 3; ++i) {
    int mx = 70 + i * 96 + static_cast<int>(Hash(i, 540) % 20);
    c.Rect(mx - 2, 222, 5, 8, Hex(0xFFF4E0));
    c.Ellipse(mx, 222, 8, 5, Hex(0xF04A4A));
    c.Rect(mx - 8, 222, 17, 1, Hex(0xF04A4A));
    c.Put(mx - 3, 219, Hex(0xFFFFFF));
    c.Put(mx + 3, 220, Hex(0xFFFFFF));
    c.Put(mx, 218, Hex(0xFFFFFF));
  }
  c.Rect(0, 230, 320, 10, Hex(0x4AA83C));
  c.HLine(0, 319, 230, Hex(0x7AD05A));
  for (int i = 0; i < 30; ++i) {
    int fx = static_cast<int>(Hash(i, 520) % 320), fy = 232 + static_cast<int>(Hash(i, 521) % 7);
    Rgb f = i % 3 == 0 ? Hex(0xFFFFFF) : (i % 3 == 1 ? Hex(0xFFE060) : Hex(0xF86AA8));
    c.Put(fx, fy, f);
    c.Put(fx + 1, fy, f);
  }
  // A candy-striped ceiling awning marks the playfield's top.
  for (int x = 0; x < 320; ++x)
    for (int y = 38; y < 46; ++y) c.Put(x, y, (x / 8) % 2 ? Hex(0xF86A8A) : Hex(0xFFF8F0));
  for (int x = 0; x < 320; x += 16)
    c.Ellipse(x + 8, 46, 8, 3, (x / 16) % 2 ? Hex(0xFFF8F0) : Hex(0xF86A8A));
  c.HLine(0, 319, 37, Hex(0xC84A6A));
  return c;
}

}  // namespace assetgen::rooms
