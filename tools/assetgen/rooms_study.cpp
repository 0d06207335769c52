// Room backgrounds of world 1: the study.
#include <cmath>
#include <functional>

#include "rooms.h"
#include "scenery.h"

namespace assetgen::rooms {

namespace {

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

}  // namespace

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

}  // namespace assetgen::rooms
