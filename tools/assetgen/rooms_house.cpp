// Room backgrounds of world 2: the leaky house.
#include <cmath>

#include "rooms.h"
#include "scenery.h"

namespace assetgen::rooms {

namespace {

struct HousePalette {
  Rgb wall = Hex(0x9AB0B4), wall_alt = Hex(0x8CA4AA), motif = Hex(0x7E969E);
  Rgb stain = Hex(0x748A86), stain_edge = Hex(0x687C78);
  Rgb plaster = Hex(0xE4E4DC), plaster_lo = Hex(0xC8CAC0), crack = Hex(0x8A8C84);
  Rgb beam = Hex(0x7A6048), beam_hi = Hex(0x9A7C5E), beam_lo = Hex(0x56402E);
  Rgb floor = Hex(0x8A6A50);
  Rgb water = Hex(0x6AA8D8), water_hi = Hex(0xC8E8FF);
};

void WaterStain(Canvas& c, int cx, int cy, int r, const HousePalette& p, uint32_t seed) {
  // A damp patch: slightly darker inside, a crisp tide line at its rim, and
  // a run of water down the wallpaper below it.
  std::vector<Pt> pts;
  for (int k = 0; k < 16; ++k) {
    double a = k * 2 * M_PI / 16, rr = r * (0.8 + 0.35 * Hash01(seed, k));
    pts.push_back({cx + std::cos(a) * rr * 1.4, cy + std::sin(a) * rr * 0.8});
  }
  Canvas patch(320, 240);
  patch.Poly(pts, {255, 255, 255});
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      if (!patch.Opaque(x, y) || !c.Opaque(x, y)) continue;
      bool rim = !patch.Opaque(x - 1, y) || !patch.Opaque(x + 1, y) || !patch.Opaque(x, y - 1) ||
                 !patch.Opaque(x, y + 1);
      c.Put(x, y, Mix(c.At(x, y), rim ? p.stain_edge : p.stain, rim ? 0.55 : 0.22));
    }
  int run = cy + static_cast<int>(r * 0.8);
  int len = 14 + static_cast<int>(Hash(seed) % 30);
  for (int y = run; y < run + len; ++y) {
    c.Put(cx, y, Mix(c.At(cx, y), p.stain_edge, 0.5));
    if (y > run + len - 3) c.Put(cx, y, Mix(c.At(cx, y), p.water, 0.6));
  }
}

void HouseShell(Canvas& c, const HousePalette& p, uint32_t seed, bool tiles) {
  // Faded floral wallpaper.
  c.Rect(0, kCeiling, 320, 190, p.wall);
  for (int x = 0; x < 320; x += 16) c.Rect(x, kCeiling, 8, 190, p.wall_alt);
  for (int y = kCeiling + 10; y < 226; y += 20)
    for (int x = 4 + ((y / 20) % 2) * 8; x < 320; x += 16) {
      c.Put(x, y, p.motif);
      c.Put(x + 1, y + 1, p.motif);
      c.Put(x - 1, y + 1, p.motif);
      c.Put(x, y + 2, p.motif);
    }
  for (int i = 0; i < 4; ++i)
    WaterStain(c, 30 + static_cast<int>(Hash(seed, i) % 260),
               60 + static_cast<int>(Hash(seed, i, 1) % 30),
               8 + static_cast<int>(Hash(seed, i, 2) % 10), p, seed + i);
  if (!tiles) {
    // Beadboard below a dado rail breaks up the damp wallpaper.
    c.Rect(0, 186, 320, 40, Hex(0x6E8690));
    for (int x = 0; x < 320; x += 6) {
      c.VLine(x, 188, 225, Hex(0x5E747E));
      c.VLine(x + 1, 188, 225, Hex(0x7E98A2));
    }
    c.Rect(0, 183, 320, 4, Hex(0x8A7660));
    c.HLine(0, 319, 183, Hex(0xA89078));
    c.HLine(0, 319, 186, Hex(0x5E4C3C));
  }
  if (tiles) {
    for (int y = 170; y < 226; y += 8)
      for (int x = 0; x < 320; x += 8) {
        bool a = ((x / 8) + (y / 8)) % 2;
        c.Rect(x, y, 8, 8, a ? Hex(0xD8E4E8) : Hex(0x8AB4C8));
        c.HLine(x, x + 7, y, Hex(0xB8C4C8));
        c.VLine(x, y, y + 7, Hex(0xB8C4C8));
      }
  }
  // Ceiling: damp plaster over a sagging beam, with cracks.
  c.GradientV(0, 0, 320, 38, p.plaster, p.plaster_lo, 4);
  for (int i = 0; i < 5; ++i) {
    int x = static_cast<int>(Hash(seed, i, 9) % 300);
    int y = 4 + static_cast<int>(Hash(seed, i, 10) % 20);
    for (int k = 0; k < 6; ++k) {
      int nx = x + 3 + static_cast<int>(Hash(seed, i, k) % 5),
          ny = y + static_cast<int>(Hash(seed, k, i) % 5) - 2;
      c.Line(x, y, nx, ny, p.crack);
      x = nx;
      y = ny;
    }
  }
  // Water rings on the ceiling plaster, kept pale under the display.
  for (int i = 0; i < 6; ++i) {
    int x = 20 + static_cast<int>(Hash(seed, i, 20) % 280);
    double rx = 10 + Hash(seed, i) % 10, ry = 3 + Hash(seed, i, 21) % 2;
    c.Ellipse(x, 31, rx, ry, Hex(0xCFC6B0));
    c.Ellipse(x, 31, rx - 1.5, ry - 1, Hex(0xDCD6C6));
  }
  c.Rect(0, 37, 320, 9, p.beam);
  c.HLine(0, 319, 37, p.beam_hi);
  c.HLine(0, 319, 44, p.beam_lo);
  c.HLine(0, 319, 45, Scale(p.beam_lo, 0.7));
  for (int x = 0; x < 320; x += 3 + static_cast<int>(Hash(seed, x) % 5))
    c.Put(x, 40 + (x % 3), p.beam_lo);
  // Drips hanging under the beam.
  for (int i = 0; i < 9; ++i) {
    int x = 10 + static_cast<int>(Hash(seed, i, 30) % 300);
    c.Rect(x, 46, 1, 2, p.water);
    c.Put(x, 48, p.water_hi);
  }
  // Skirting and worn floorboards with puddles.
  c.Rect(0, 226, 320, 6, Hex(0x5A4A3C));
  c.HLine(0, 319, 226, Hex(0x7A6A58));
  DrawPlanks(c, 0, kFloorTop, 320, 8, 4, p.floor, seed);
  for (int i = 0; i < 3; ++i) {
    int x = 30 + static_cast<int>(Hash(seed, i, 40) % 260);
    c.Ellipse(x, 236, 16 + Hash(seed, i) % 12, 2.5, p.water);
    c.HLine(x - 6, x + 2, 235, p.water_hi);
  }
}

void RainWindow(Canvas& c, int x, int y, int w, int h, uint32_t seed) {
  const Rgb frame = Hex(0xE8E4D8), frame_lo = Hex(0xA8A498);
  c.Rect(x - 4, y - 4, w + 8, h + 8, frame_lo);
  c.Rect(x - 3, y - 3, w + 6, h + 6, frame);
  c.GradientV(x, y, w, h, Hex(0x4A5868), Hex(0x8A98A4), 5);
  DrawCloud(c, x + w * 0.3, y + h * 0.3, 12, Hex(0x6A7888), Hex(0x5A6878), Hex(0x4A5868), seed);
  for (int i = 0; i < w * h / 40; ++i) {
    int rx = x + static_cast<int>(Hash(seed, i) % w),
        ry = y + static_cast<int>(Hash(seed, i, 1) % (h - 4));
    c.Line(rx, ry, rx - 1, ry + 3, Hex(0xB8C8D8));
  }
  c.Rect(x + w / 2 - 1, y, 3, h, frame);
  c.Rect(x, y + h / 2 - 1, w, 3, frame);
  c.Rect(x - 6, y + h + 3, w + 12, 4, frame);
}

void Bucket(Canvas& c, int x, int y) {
  Canvas b(22, 20);
  b.Poly({{0, 3}, {21, 3}, {18, 19}, {3, 19}}, Hex(0x8A9AA8));
  b.Rect(1, 3, 20, 2, Hex(0xB8C8D4));
  b.Rect(2, 4, 18, 2, Hex(0x6AA8D8));
  b.Ring(11, 4, 9, 5, 1, Hex(0x6A7A88));
  b.VLine(6, 6, 18, Hex(0xA8B8C4));
  Backdrop(c, x, y, std::move(b), Hex(0x9AB0B4), 0.15);
}

void Armchair(Canvas& c, int x, int y) {
  Canvas a(70, 56);
  const Rgb cloth = Hex(0x8A5A6A), lo = Hex(0x6A4050);
  a.RoundRect(6, 0, 58, 40, 10, cloth);
  a.RoundRect(0, 18, 16, 30, 6, lo);
  a.RoundRect(54, 18, 16, 30, 6, lo);
  a.Rect(12, 30, 46, 14, Scale(cloth, 1.15));
  a.Rect(4, 48, 5, 8, Hex(0x5A3C2A));
  a.Rect(61, 48, 5, 8, Hex(0x5A3C2A));
  Backdrop(c, x, y, std::move(a), Hex(0x9AB0B4), 0.3);
}

void Cupboards(Canvas& c, int x, int y, int w) {
  Canvas k(w, 40);
  k.Rect(0, 0, w, 40, Hex(0xC8B890));
  for (int i = 0; i + 30 <= w; i += 32) {
    k.Rect(i + 2, 2, 28, 36, Hex(0xB8A478));
    k.Rect(i + 4, 4, 24, 32, Hex(0xD8C8A0));
    k.Rect(i + 24, 18, 2, 6, Hex(0x8A7A58));
  }
  Backdrop(c, x, y, std::move(k), Hex(0x9AB0B4), 0.25);
}

void CrookedFrames(Canvas& c, int x, int y, uint32_t seed) {
  for (int i = 0; i < 3; ++i) {
    int fx = x + i * 34, fy = y + static_cast<int>(Hash(seed, i) % 12);
    double tilt = (Hash01(seed, i, 1) - 0.5) * 6;
    c.Poly({{fx + 0.0, fy + tilt},
            {fx + 26.0, fy - tilt},
            {fx + 26.0, fy + 30 - tilt},
            {fx + 0.0, fy + 30 + tilt}},
           Hex(0x6A5038));
    c.Poly({{fx + 3.0, fy + 3 + tilt},
            {fx + 23.0, fy + 3 - tilt},
            {fx + 23.0, fy + 27 - tilt},
            {fx + 3.0, fy + 27 + tilt}},
           i == 1 ? Hex(0xC8B088) : Hex(0xA8B8A0));
    c.Circle(fx + 13, fy + 14, 5, i == 1 ? Hex(0x8A6A50) : Hex(0x88A078));
  }
}

void AtticBeams(Canvas& c) {
  // The roof slopes down from a ridge beam: rafters fan out from the top
  // centre to both sides, with planking between them.
  for (int y = kCeiling; y < 226; ++y)
    for (int x = 0; x < 320; ++x) {
      double slope = std::abs(x - 160.0) / 160.0;
      if ((y - kCeiling) < slope * 70)
        c.Put(x, y, ((x / 3 + y) % 14 == 0) ? Hex(0x6A5440) : Hex(0x7E664E));
    }
  for (int side = -1; side <= 1; side += 2) {
    c.Poly({{160.0, 46},
            {160.0 + side * 10, 46},
            {160.0 + side * 170, 120},
            {160.0 + side * 160, 124}},
           Hex(0x5A4432));
    for (int k = 1; k <= 3; ++k) {
      double x0 = 160 + side * (k * 40);
      c.Poly({{x0, 46 + k * 17.5}, {x0 + side * 6, 46 + k * 17.5}, {x0 + side * 6, 226}, {x0, 226}},
             Hex(0x8A6E54));
      c.VLine(static_cast<int>(x0) + (side > 0 ? 0 : -1), static_cast<int>(46 + k * 17.5), 225,
              Hex(0xA88A6A));
    }
  }
  c.Rect(150, 46, 20, 8, Hex(0x5A4432));
  // Round window under the ridge.
  c.Circle(160, 118, 24, Hex(0x7A6048));
  c.Circle(160, 118, 20, Hex(0x4A5868));
  for (int i = 0; i < 30; ++i) {
    int rx = 142 + static_cast<int>(Hash(i, 5) % 36), ry = 100 + static_cast<int>(Hash(i, 6) % 32);
    if (std::hypot(rx - 160, ry - 118) < 18) c.Line(rx, ry, rx - 1, ry + 3, Hex(0xB8C8D8));
  }
  c.Rect(140, 117, 40, 3, Hex(0x7A6048));
  c.Rect(159, 98, 3, 40, Hex(0x7A6048));
  // Boxes and an old trunk.
  for (int i = 0; i < 3; ++i) {
    int bx = 20 + i * 24, by = 202 - (i == 1 ? 18 : 0);
    c.Rect(bx, by, 28, 24, Hex(0xB8946A));
    c.Rect(bx, by, 28, 3, Hex(0xD0AC80));
    c.Rect(bx + 12, by, 4, 24, Hex(0xD8C8A0));
  }
  c.RoundRect(230, 196, 60, 30, 6, Hex(0x6A4A6A));
  c.Rect(230, 206, 60, 3, Hex(0xC8A040));
  c.Rect(256, 204, 8, 8, Hex(0xC8A040));
}

void Bathtub(Canvas& c, int x, int y) {
  Canvas b(120, 50);
  b.RoundRect(0, 8, 120, 36, 12, Hex(0xF4F4F0));
  b.Rect(4, 8, 112, 6, Hex(0x6AA8D8));
  b.Rect(8, 44, 8, 6, Hex(0xC8A040));
  b.Rect(104, 44, 8, 6, Hex(0xC8A040));
  b.Rect(100, 0, 4, 10, Hex(0xC8C8D0));
  b.Rect(96, 0, 12, 3, Hex(0xC8C8D0));
  // Overflowing water.
  for (int i = 0; i < 5; ++i) b.VLine(10 + i * 24, 14, 30 + (i % 2) * 10, Hex(0x6AA8D8));
  Backdrop(c, x, y, std::move(b), Hex(0x9AB0B4), 0.2);
}

}  // namespace

Canvas HouseRoom(int variant) {
  HousePalette p;
  Canvas c(320, 240);
  HouseShell(c, p, 200 + variant, variant == 1 || variant == 4);
  WallShade(c, kCeiling, 226, 1.2);
  switch (variant) {
    case 0:  // the living room
      RainWindow(c, 120, 80, 80, 70, 5);
      Armchair(c, 220, 172);
      Bucket(c, 60, 212);
      CrookedFrames(c, 20, 90, 7);
      break;
    case 1:  // the kitchen
      Cupboards(c, 20, 70, 130);
      RainWindow(c, 200, 80, 70, 60, 9);
      Bucket(c, 160, 212);
      Bucket(c, 270, 212);
      break;
    case 2:  // the hallway
      CrookedFrames(c, 30, 80, 11);
      CrookedFrames(c, 200, 96, 13);
      RainWindow(c, 140, 130, 40, 50, 15);
      Bucket(c, 100, 212);
      break;
    case 3:  // the attic
      AtticBeams(c);
      Bucket(c, 230, 212);
      break;
    default:  // the bathroom at the end of the set
      Bathtub(c, 150, 178);
      RainWindow(c, 40, 80, 50, 60, 17);
      c.Rect(220, 80, 40, 50, Hex(0xC8D8E0));  // mirror
      c.Rect(222, 82, 36, 46, Hex(0xE8F4F8));
      c.Line(226, 120, 250, 90, Hex(0xFFFFFF));
      break;
  }
  return c;
}

}  // namespace assetgen::rooms
