// Room backgrounds, one world per level set. Every room shares the same
// bands: the head-up display sits on a light ceiling band (rows 0-45) so its
// dark lettering reads everywhere, the playfield runs from the ceiling line at
// 46 to the floor strip at the bottom, and the background stays a little
// muted and outline-free so that the outlined obstacles stand out from it.
#include <cmath>
#include <functional>

#include "assets.h"
#include "scenery.h"

namespace assetgen {

namespace {

constexpr int kCeiling = 46;
constexpr int kFloorTop = 232;

// Draws into a scratch canvas and fades it towards the wall colour: furniture
// in the background must never be mistaken for an obstacle.
void Backdrop(Canvas& c, int x, int y, Canvas&& part, Rgb haze, double amount) {
  part.Tint(0, 0, part.w(), part.h(), haze, amount);
  c.Blit(part, x, y);
}

// Soft shadow under the ceiling and towards the sides, dithered in quarter
// steps: gives the flat walls some depth without new colours.
void WallShade(Canvas& c, int y0, int y1, double strength) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < 320; ++x) {
      double top = std::max(0.0, 1 - (y - y0) / 14.0);
      double side = std::pow(std::abs(x - 160) / 160.0, 3);
      double t = std::min(1.0, top * 0.9 + side * 0.6) * strength;
      double q = t * 4;
      int lo = static_cast<int>(q);
      double level = (lo + ((q - lo) > (bayer[y & 3][x & 3] + 0.5) / 16 ? 1 : 0)) / 4.0;
      if (level > 0) c.Put(x, y, Scale(c.At(x, y), 1 - 0.22 * level));
    }
}

// ============================================================ world 1: study

struct StudyPalette {
  Rgb wall = Hex(0xEED8A8), wall_alt = Hex(0xE4CA96), motif = Hex(0xD8B888);
  Rgb plaster = Hex(0xF6F0E0), plaster_lo = Hex(0xE2D8C0);
  Rgb mold = Hex(0xA8744A), mold_hi = Hex(0xCC9A66), mold_lo = Hex(0x7A5034);
  Rgb panel = Hex(0x9CB4A0), panel_hi = Hex(0xB8CCB8), panel_lo = Hex(0x748C7C);
  Rgb floor = Hex(0xA86A3C);
};

void StudyShell(Canvas& c, const StudyPalette& p, uint32_t seed) {
  // Wallpaper: broad stripes with a small diamond motif.
  for (int x = 0; x < 320; ++x) {
    Rgb col = (x / 12) % 2 ? p.wall_alt : p.wall;
    c.Rect(x, kCeiling, 1, 190, col);
  }
  for (int y = kCeiling + 8; y < 190; y += 16)
    for (int x = 6 + ((y / 16) % 2) * 12; x < 320; x += 24) {
      c.Put(x, y - 1, p.motif);
      c.Put(x - 1, y, p.motif);
      c.Put(x + 1, y, p.motif);
      c.Put(x, y + 1, p.motif);
    }
  // Ceiling band with a crown moulding along the playfield's top.
  c.GradientV(0, 0, 320, 36, p.plaster, p.plaster_lo, 4);
  c.Rect(0, 36, 320, 2, p.plaster_lo);
  c.Rect(0, 38, 320, 8, p.mold);
  c.HLine(0, 319, 38, p.mold_hi);
  c.HLine(0, 319, 41, p.mold_hi);
  c.HLine(0, 319, 44, p.mold_lo);
  c.HLine(0, 319, 45, Scale(p.mold_lo, 0.8));
  for (int x = 2; x < 320; x += 6) c.Rect(x, 42, 3, 2, p.mold_lo);  // dentils
  // Shadow of the moulding on the wall.
  for (int x = 0; x < 320; ++x)
    if ((x + seed) % 2 == 0) c.Put(x, kCeiling, Scale(c.At(x, kCeiling), 0.9));
  // Wainscot panels with a chair rail.
  c.Rect(0, 188, 320, 4, p.mold);
  c.HLine(0, 319, 188, p.mold_hi);
  c.HLine(0, 319, 191, p.mold_lo);
  c.Rect(0, 192, 320, 34, p.panel);
  for (int x = 4; x < 320; x += 40) {
    c.Rect(x, 197, 32, 24, p.panel_lo);
    c.Rect(x + 1, 198, 31, 23, p.panel_hi);
    c.Rect(x + 1, 198, 30, 22, p.panel);
  }
  // Skirting board and floorboards.
  c.Rect(0, 226, 320, 6, Hex(0xE8E0CC));
  c.HLine(0, 319, 226, Hex(0xFFFFFF));
  c.HLine(0, 319, 231, Hex(0xB8AC94));
  DrawPlanks(c, 0, kFloorTop, 320, 8, 4, p.floor, seed);
}

void Window(Canvas& c, int x, int y, int w, int h, Rgb sky_top, Rgb sky_bottom, bool night,
            uint32_t seed) {
  const Rgb frame = Hex(0xF4EEE0), frame_lo = Hex(0xC8BCA4);
  c.Rect(x - 4, y - 4, w + 8, h + 8, frame_lo);
  c.Rect(x - 3, y - 3, w + 6, h + 6, frame);
  c.GradientV(x, y, w, h, sky_top, sky_bottom, 6);
  if (night) {
    DrawStars(c, x, y, w, h * 2 / 3, w * h / 90, seed, Hex(0xFFFFFF), Hex(0x8A90C8));
    c.Circle(x + w * 0.7, y + h * 0.25, 6, Hex(0xFFF6D0));
  } else {
    DrawCloud(c, x + w * 0.35, y + h * 0.45, 10, Hex(0xFFFFFF), Hex(0xE0E8F4), Hex(0xC0D0E8), seed);
    // Distant roofs and trees.
    for (int i = 0; i < w; i += 9) {
      int hh = 6 + static_cast<int>(Hash(seed, i) % 10);
      c.Rect(x + i, y + h - hh, 9, hh, Hex(0x9AB0A0));
    }
    c.Rect(x, y + h - 4, w, 4, Hex(0x88A48C));
  }
  // Mullions and sill.
  c.Rect(x + w / 2 - 1, y, 3, h, frame);
  c.Rect(x, y + h / 2 - 1, w, 3, frame);
  c.Rect(x - 6, y + h + 3, w + 12, 4, frame);
  c.HLine(x - 6, x + w + 5, y + h + 6, frame_lo);
  // Glass glint.
  c.Line(x + 3, y + 8, x + 7, y + 4, Mix(sky_top, Hex(0xFFFFFF), 0.6));
}

void Curtains(Canvas& c, int x, int y, int w, int h, Rgb cloth) {
  const Rgb lo = Scale(cloth, 0.75), hi = Scale(cloth, 1.2);
  c.Rect(x - 8, y - 3, w + 16, 3, Hex(0x7A5034));
  c.Circle(x - 9, y - 2, 2.5, Hex(0xC8A040));
  c.Circle(x + w + 8, y - 2, 2.5, Hex(0xC8A040));
  for (int side = 0; side < 2; ++side) {
    int cx = side ? x + w - 14 : x - 10;
    c.Poly({{cx + 0.0, y + 0.0},
            {cx + 24.0, y + 0.0},
            {cx + 18.0 + side * 0, y + h * 0.55},
            {cx + 22.0, y + h + 0.0},
            {cx + 2.0, y + h + 0.0},
            {cx + 6.0, y + h * 0.55}},
           cloth);
    for (int f = 0; f < 3; ++f)
      c.Line(cx + 5 + f * 6, y + 2, cx + 7 + f * 5, y + h - 2, f % 2 ? hi : lo);
    c.Rect(cx + 4, y + static_cast<int>(h * 0.55), 16, 3, Hex(0xC8A040));  // tie-back
  }
}

void PictureFrame(Canvas& c, int x, int y, int w, int h, Rgb frame,
                  const std::function<void(Canvas&, int, int, int, int)>& content) {
  c.Rect(x, y, w, h, Scale(frame, 0.7));
  c.Rect(x + 1, y + 1, w - 2, h - 2, frame);
  c.Rect(x + 3, y + 3, w - 6, h - 6, Scale(frame, 0.8));
  content(c, x + 4, y + 4, w - 8, h - 8);
  c.Line(x + w / 2, y - 6, x + 2, y, Scale(frame, 0.6));
  c.Line(x + w / 2, y - 6, x + w - 3, y, Scale(frame, 0.6));
  c.Put(x + w / 2, y - 7, Hex(0x808080));
}

void Landscape(Canvas& c, int x, int y, int w, int h) {
  c.GradientV(x, y, w, h, Hex(0x9CC8EC), Hex(0xE8F0E0), 4);
  for (int i = 0; i < w; ++i) {
    int hh = static_cast<int>(h * 0.35 + std::sin(i * 0.2) * 3);
    c.Rect(x + i, y + h - hh, 1, hh, Hex(0x78A868));
  }
  c.Circle(x + w - 6, y + 5, 3, Hex(0xFFF0A0));
}

void PlaneDiagram(Canvas& c, int x, int y, int w, int h) {
  c.Rect(x, y, w, h, Hex(0x3C6EB4));
  const Rgb l = Hex(0xD8E8FF);
  c.Line(x + 3, y + h - 6, x + w - 4, y + h / 2, l);
  c.Line(x + w - 4, y + h / 2, x + 8, y + 3, l);
  c.Line(x + 8, y + 3, x + 3, y + h - 6, l);
  c.Line(x + 8, y + h / 2, x + w - 4, y + h / 2, Hex(0x8AB0E0));
}

void Bed(Canvas& c, int x, int y) {
  Canvas b(110, 62);
  const Rgb wood = Hex(0xB07A4C), blanket = Hex(0x6A8AC8), blanket_lo = Hex(0x4A6AA8),
            sheet = Hex(0xF0ECE4), pillow = Hex(0xFFFFFF);
  b.RoundRect(0, 0, 14, 62, 4, wood);  // headboard
  b.Rect(96, 24, 12, 38, wood);        // footboard
  b.Rect(6, 30, 100, 18, sheet);       // mattress
  b.Ellipse(28, 26, 16, 7, pillow);
  b.RoundRect(40, 22, 66, 26, 6, blanket);
  b.Rect(40, 40, 66, 8, blanket_lo);
  for (int i = 48; i < 104; i += 10) b.VLine(i, 24, 46, blanket_lo);
  b.Rect(8, 48, 96, 6, Scale(wood, 0.8));
  b.Rect(10, 54, 5, 8, Scale(wood, 0.7));
  b.Rect(96, 54, 5, 8, Scale(wood, 0.7));
  Backdrop(c, x, y, std::move(b), Hex(0xEED8A8), 0.25);
}

void Bookcase(Canvas& c, int x, int y, int w, int h, uint32_t seed) {
  Canvas b(w, h);
  const Rgb wood = Hex(0x8A5A36);
  b.Rect(0, 0, w, h, wood);
  b.Rect(3, 3, w - 6, h - 6, Scale(wood, 0.6));
  const Rgb books[] = {Hex(0xB84848), Hex(0x3C6EB4), Hex(0xD8A840), Hex(0x48A05A),
                       Hex(0x8A58B4), Hex(0xD07838), Hex(0xE8E0D0)};
  for (int sy = 3; sy + 18 < h; sy += 20) {
    b.Rect(0, sy + 17, w, 3, wood);
    for (int bx = 4; bx < w - 6;) {
      int bw = 3 + static_cast<int>(Hash(seed, sy, bx) % 4);
      int bh = 10 + static_cast<int>(Hash(seed, bx, sy) % 6);
      Rgb col = books[Hash(seed, bx * 7 + sy) % 7];
      b.Rect(bx, sy + 17 - bh, bw, bh, col);
      b.VLine(bx, sy + 17 - bh, sy + 16, Scale(col, 1.25));
      bx += bw;
    }
  }
  Backdrop(c, x, y, std::move(b), Hex(0xEED8A8), 0.3);
}

void WallClock(Canvas& c, int cx, int cy, int r) {
  c.Circle(cx, cy, r + 2, Hex(0x8A5A36));
  c.Circle(cx, cy, r, Hex(0xFAF4E6));
  for (int k = 0; k < 12; ++k) {
    double a = k * M_PI / 6;
    c.Put(cx + static_cast<int>(std::round(std::cos(a) * (r - 2))),
          cy + static_cast<int>(std::round(std::sin(a) * (r - 2))), Hex(0x4A4038));
  }
  c.Line(cx, cy, cx, cy - r + 4, Hex(0x2A2420));
  c.Line(cx, cy, cx + r / 2, cy + 1, Hex(0x2A2420));
}

void Corkboard(Canvas& c, int x, int y, int w, int h, uint32_t seed) {
  c.Rect(x, y, w, h, Hex(0x8A5A36));
  c.Rect(x + 3, y + 3, w - 6, h - 6, Hex(0xC89A62));
  c.Speckle(x + 3, y + 3, w - 6, h - 6, 0.35, 0.12, seed);
  const Rgb notes[] = {Hex(0xFFF28A), Hex(0xF8B8C8), Hex(0xB8E0F8), Hex(0xFFFFFF), Hex(0xC8F0B0)};
  const Rgb pins[] = {Hex(0xE04848), Hex(0x3C8AE0), Hex(0x48B85A), Hex(0xE0B030)};
  for (int i = 0; i < 7; ++i) {
    int nw = 14 + static_cast<int>(Hash(seed, i) % 10),
        nh = 12 + static_cast<int>(Hash(seed, i, 1) % 8);
    int nx = x + 6 + static_cast<int>(Hash(seed, i, 2) % (w - nw - 12));
    int ny = y + 6 + static_cast<int>(Hash(seed, i, 3) % (h - nh - 12));
    Rgb col = notes[Hash(seed, i, 4) % 5];
    c.Rect(nx + 1, ny + 1, nw, nh, Hex(0x9A6E44));
    c.Rect(nx, ny, nw, nh, col);
    for (int l = ny + 4; l < ny + nh - 2; l += 3) c.HLine(nx + 2, nx + nw - 3, l, Scale(col, 0.8));
    Rgb pin = pins[Hash(seed, i, 5) % 4];
    c.Rect(nx + nw / 2 - 1, ny - 1, 3, 3, pin);
    c.Put(nx + nw / 2 - 1, ny - 1, Scale(pin, 1.5));
  }
  // A string of red thread between two notes.
  c.Line(x + 10, y + 10, x + w - 12, y + h - 14, Hex(0xB83030));
}

void Rug(Canvas& c, int x, int w) {
  c.Ellipse(x + w / 2.0, 236, w / 2.0, 4, Hex(0x8A3C4A));
  c.Ellipse(x + w / 2.0, 236, w / 2.0 - 4, 2.5, Hex(0xB85A64));
}

// A writing desk with a lamp whose light falls on the wall behind it.
void Desk(Canvas& c, int x, int y) {
  c.Glow(x + 70, y - 10, 46, Hex(0xFFF0B8), 0.4);
  Canvas d(96, 46);
  const Rgb wood = Hex(0x9A6440), lo = Hex(0x6A4228);
  d.Rect(0, 10, 96, 5, wood);
  d.Rect(4, 15, 30, 24, lo);
  d.Rect(6, 17, 26, 9, wood);
  d.Rect(6, 28, 26, 9, wood);
  d.Rect(17, 21, 4, 1, Hex(0xE0C080));
  d.Rect(17, 32, 4, 1, Hex(0xE0C080));
  d.Rect(88, 15, 5, 31, lo);
  d.Rect(4, 39, 5, 7, lo);
  // Lamp, paper stack and a half-folded plane.
  d.Poly({{62, 0}, {76, 0}, {80, 6}, {58, 6}}, Hex(0x4A8A6A));
  d.Rect(68, 6, 2, 4, Hex(0x3A3A40));
  d.Rect(40, 6, 16, 4, Hex(0xF4F0E4));
  d.HLine(40, 55, 8, Hex(0xD8D0C0));
  d.Poly({{20, 9}, {32, 6}, {24, 9}}, Hex(0xFFFFFF));
  Backdrop(c, x, y, std::move(d), Hex(0xEED8A8), 0.25);
}

void Nightstand(Canvas& c, int x, int y) {
  c.Glow(x + 12, y - 8, 32, Hex(0xFFF0B8), 0.35);
  Canvas n(26, 44);
  n.Poly({{5, 0}, {21, 0}, {24, 9}, {2, 9}}, Hex(0xE8C070));
  n.Rect(12, 9, 2, 6, Hex(0x5A4A40));
  n.Rect(8, 15, 10, 2, Hex(0x5A4A40));
  n.Rect(0, 17, 26, 27, Hex(0xA06A40));
  n.Rect(2, 20, 22, 9, Hex(0xB87C4C));
  n.Rect(2, 31, 22, 9, Hex(0xB87C4C));
  n.Rect(11, 24, 4, 1, Hex(0xE0C080));
  n.Rect(11, 35, 4, 1, Hex(0xE0C080));
  Backdrop(c, x, y, std::move(n), Hex(0xEED8A8), 0.2);
}

Canvas StudyRoom(int variant) {
  StudyPalette p;
  Canvas c(320, 240);
  StudyShell(c, p, 100 + variant);
  WallShade(c, kCeiling, 188, 1.0);
  switch (variant) {
    case 0: {  // the bedroom where the flight starts: morning window and bed
      Window(c, 150, 78, 66, 70, Hex(0x8CC4F4), Hex(0xFCE0B8), false, 3);
      Curtains(c, 150, 70, 66, 90, Hex(0xC85A5A));
      // Morning light falling through the window onto the wall below.
      c.Glow(183, 170, 40, Hex(0xFFF8E0), 0.35);
      Nightstand(c, 176, 188);
      Bed(c, 204, 170);
      PictureFrame(c, 40, 80, 44, 34, Hex(0xC89A62), Landscape);
      PictureFrame(c, 60, 130, 30, 38, Hex(0x6A6A78), PlaneDiagram);
      Rug(c, 60, 120);
      break;
    }
    case 1: {  // the study: bookcase, clock and a map
      Bookcase(c, 16, 92, 60, 134, 11);
      WallClock(c, 150, 90, 14);
      PictureFrame(c, 200, 76, 80, 54, Hex(0x8A5A36), [](Canvas& k, int x, int y, int w, int h) {
        k.Rect(x, y, w, h, Hex(0xE8DCB8));
        for (int i = 0; i < 5; ++i)
          k.Ellipse(x + 10 + i * 13, y + 12 + (i % 2) * 16, 8, 6, Hex(0xB8C890));
        k.Line(x + 6, y + h - 8, x + w - 6, y + 6, Hex(0xC84848));
        for (int i = 0; i < w; i += 4) k.Put(x + i, y + h / 2, Hex(0x8AA0C8));
      });
      PictureFrame(c, 104, 134, 40, 30, Hex(0xC89A62), Landscape);
      Desk(c, 196, 180);
      Rug(c, 90, 100);
      break;
    }
    case 2: {  // the pin board wall
      Corkboard(c, 100, 74, 120, 80, 21);
      WallClock(c, 50, 100, 12);
      PictureFrame(c, 250, 90, 46, 56, Hex(0x6A6A78), PlaneDiagram);
      Bookcase(c, 250, 170, 56, 56, 23);
      Rug(c, 20, 110);
      break;
    }
    default: {  // the end of the first set: evening window and the door out
      Window(c, 40, 80, 60, 64, Hex(0x3A3C8A), Hex(0xF8A068), true, 31);
      Curtains(c, 40, 72, 60, 84, Hex(0x5A7AC8));
      // Door, ajar, light spilling from the hall.
      c.Rect(214, 96, 64, 130, Hex(0x7A5034));
      c.Rect(218, 100, 56, 126, Hex(0xFFF0C0));
      c.Poly({{218, 100}, {246, 108}, {246, 218}, {218, 226}}, Hex(0xB88050));
      c.Circle(241, 164, 2, Hex(0xE0C050));
      c.Glow(250, 200, 60, Hex(0xFFF0C0), 0.35);
      PictureFrame(c, 130, 92, 50, 40, Hex(0xC89A62), Landscape);
      Rug(c, 180, 130);
      break;
    }
  }
  return c;
}

// ============================================================ world 2: leaky house

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

// ============================================================ world 3: space

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

// ============================================================ world 4: haunted

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

// ============================================================ world 5: cartoon

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

}  // namespace

ImageList MakeRooms(int world) {
  static const int kCounts[6] = {0, 4, 5, 4, 3, 1};
  ImageList out;
  for (int i = 0; i < kCounts[world]; ++i) {
    Canvas c = world == 1   ? StudyRoom(i)
               : world == 2 ? HouseRoom(i)
               : world == 3 ? SpaceRoom(i)
               : world == 4 ? CryptRoom(i)
                            : ToonRoom();
    out.push_back({"gfx/level" + std::to_string(world) + "/" + std::to_string(i + 1) + ".png",
                   std::move(c), PngKind::kOpaque});
  }
  return out;
}

}  // namespace assetgen
