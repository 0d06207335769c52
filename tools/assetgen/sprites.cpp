// Sprites and animation strips. Sizes of the placed obstacles follow from the
// course layout; the table in README.md gives the reasoning for each.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "glyphs.h"

namespace assetgen {

namespace {

const Rgb kInk = Hex(0x1E1828);  // outline shared by every sprite

// Paper colours shared by the player's plane, its cloud form and the pickups.
const Rgb kPaper = Hex(0xF8F6EC);
const Rgb kPaperShade = Hex(0xC4CCE0);
const Rgb kPaperFold = Hex(0x8E9AB8);

// ---------------------------------------------------------------- planes

// Side view of a paper dart facing right, drawn inside a 1 px margin that the
// outline fills.
void PaperDart(Canvas& c, int ox, int oy, int w, int h, Rgb paper, Rgb shade, Rgb fold) {
  double r = ox + w - 1.0, b = oy + h - 1.0;
  double mid = oy + h * 0.55;
  c.Poly({{ox + 1.0, oy + 1.0}, {r, mid}, {ox + 3.0, mid}}, paper);
  c.Poly({{ox + 3.0, mid}, {r, mid}, {ox + w * 0.3, b}}, shade);
  c.Line(ox + 4, static_cast<int>(mid), static_cast<int>(r) - 2, static_cast<int>(mid), fold);
  // Tail crease.
  c.Line(ox + 2, oy + 2, ox + 4, static_cast<int>(mid) - 1, Mix(paper, fold, 0.5));
}

Canvas PlayerPlane() {
  Canvas c(25, 12);
  PaperDart(c, 0, 0, 25, 12, kPaper, kPaperShade, kPaperFold);
  c.Outline(kInk);
  return c;
}

Canvas RedPlane(bool facing_left) {
  Canvas c(28, 13);
  PaperDart(c, 0, 0, 28, 13, Hex(0xF05A48), Hex(0xB8303A), Hex(0x7A1C2C));
  c.Put(24, 7, Hex(0xFFD0C0));
  c.Outline(kInk);
  if (facing_left) c.FlipH();
  return c;
}

// Three frames of a paper plane tearing apart.
Canvas Explosion() {
  Canvas c(75, 12);
  const Rgb flash = Hex(0xFFE27A), hot = Hex(0xFF9A3C);
  // Frame 0: the plane crumples inside a flash.
  {
    Canvas f(25, 12);
    f.Poly({{12, 0},
            {15, 4},
            {22, 2},
            {18, 6},
            {24, 9},
            {16, 8},
            {13, 11},
            {10, 8},
            {2, 10},
            {7, 6},
            {1, 2},
            {9, 4}},
           flash);
    f.Poly({{12, 3}, {14, 5}, {18, 5}, {15, 7}, {13, 9}, {10, 7}, {6, 7}, {9, 5}}, hot);
    f.Poly({{8, 4}, {17, 5}, {11, 8}}, kPaper);
    f.Outline(kInk);
    c.Blit(f, 0, 0);
  }
  // Frame 1: scraps fly apart.
  {
    Canvas f(25, 12);
    f.Poly({{2, 1}, {7, 2}, {4, 5}}, kPaper);
    f.Poly({{15, 1}, {21, 3}, {16, 4}}, kPaperShade);
    f.Poly({{9, 5}, {14, 6}, {11, 9}}, kPaper);
    f.Poly({{18, 7}, {23, 8}, {19, 10}}, kPaper);
    f.Poly({{2, 8}, {6, 7}, {5, 10}}, kPaperShade);
    f.Circle(12, 3, 1.6, flash);
    f.Circle(8, 9, 1.2, hot);
    f.Outline(kInk);
    c.Blit(f, 25, 0);
  }
  // Frame 2: a few scraps drift in smoke.
  {
    Canvas f(25, 12);
    const Rgb smoke = Hex(0xB8B4C0);
    f.Circle(7, 6, 3.2, smoke);
    f.Circle(16, 5, 3.6, smoke);
    f.Circle(12, 8, 2.6, Hex(0xD4D0DA));
    f.Poly({{1, 1}, {4, 1}, {2, 3}}, kPaper);
    f.Poly({{20, 9}, {23, 10}, {21, 11}}, kPaper);
    f.Outline(kInk);
    c.Blit(f, 50, 0);
  }
  return c;
}

// ---------------------------------------------------------------- cloud form

void CloudBody(Canvas& f, int dx, int tilt, Rgb fill, Rgb shade) {
  // Overlapping puffs; tilt shifts the top puffs to lean into the turn.
  f.Ellipse(21 + dx, 18, 17, 8, shade);
  f.Circle(10 + dx, 16, 7, fill);
  f.Circle(19 + dx + tilt, 11, 9, fill);
  f.Circle(29 + dx + tilt, 12, 7.5, fill);
  f.Circle(34 + dx, 18, 6, fill);
  f.Ellipse(21 + dx, 20, 15, 5.5, fill);
  // Shade along the underside.
  f.Ellipse(22 + dx, 24, 13, 2.5, shade);
}

void CloudFace(Canvas& f, int cx, int cy, int look) {
  for (int side : {-1, 1}) {
    int ex = cx + side * 4;
    f.Rect(ex - 1, cy - 2, 3, 4, kInk);
    f.Put(ex + look, cy - 1, {255, 255, 255});
  }
  f.HLine(cx - 2, cx + 2, cy + 4, kInk);
  f.Put(cx - 3, cy + 3, kInk);
  f.Put(cx + 3, cy + 3, kInk);
  f.Put(cx - 6, cy + 2, Hex(0xF4A0B0));
  f.Put(cx + 6, cy + 2, Hex(0xF4A0B0));
}

Canvas CloudAnim() {
  Canvas c(129, 30);
  const Rgb fill = Hex(0xFAFCFF), shade = Hex(0xB8CCEA);
  for (int k = 0; k < 3; ++k) {
    Canvas f(43, 30);
    int lean = k - 1;  // -1 left, 0 neutral, +1 right
    CloudBody(f, 0, lean * 2, fill, shade);
    f.Outline(kInk);
    CloudFace(f, 21 + lean * 2, 15, lean);
    // Speed streaks behind the cloud when steering.
    if (lean > 0) {
      f.HLine(0, 3, 9, shade);
      f.HLine(0, 2, 14, shade);
    } else if (lean < 0) {
      f.HLine(39, 42, 9, shade);
      f.HLine(40, 42, 14, shade);
    }
    c.Blit(f, 43 * k, 0);
  }
  return c;
}

// The cloud form bursting: a startled cloud, puffs flying apart, then a last
// shower of rain.
Canvas CloudBurst() {
  Canvas c(129, 30);
  const Rgb fill = Hex(0xFAFCFF), shade = Hex(0xB8CCEA), rain = Hex(0x5A8ADC);
  for (int k = 0; k < 3; ++k) {
    Canvas f(43, 30);
    double spread = 1.0 + k * 0.8;
    const double puffs[][3] = {{10, 14, 6}, {21, 10, 7}, {32, 14, 6}, {16, 20, 5}, {28, 20, 5}};
    for (const auto& p : puffs) {
      double px = 21 + (p[0] - 21) * spread, py = 15 + (p[1] - 15) * spread;
      double r = p[2] * (1.0 - 0.22 * k);
      f.Circle(px, py, r, k == 2 ? shade : fill);
    }
    if (k == 0) f.Circle(21, 15, 8, fill);
    f.Outline(kInk);
    if (k == 0) {
      // Startled: round eyes and an open mouth.
      f.Rect(16, 11, 3, 3, {255, 255, 255});
      f.Rect(24, 11, 3, 3, {255, 255, 255});
      f.Put(17, 12, kInk);
      f.Put(25, 12, kInk);
      f.Rect(20, 17, 3, 2, kInk);
    }
    for (int d = 0; d < 6; ++d) {
      int x = 4 + d * 7 + (k * 3) % 5, y = 20 + (d % 3) * 3 + k * 2;
      if (y + 2 < 30) f.VLine(x, y, y + 2, rain);
    }
    c.Blit(f, 43 * k, 0);
  }
  return c;
}

// ---------------------------------------------------------------- winds

// The wind columns are drawn opaque over the room, so they stay sparse: edge
// dashes and chevrons that travel one quarter of their spacing per frame.
Canvas WindStrip(bool up) {
  Canvas c(100, 194);
  const Rgb bright = up ? Hex(0xE8FAFF) : Hex(0xFFD8C8);
  const Rgb mid = up ? Hex(0x86D2F4) : Hex(0xF07860);
  const Rgb dim = up ? Hex(0x4C9CCC) : Hex(0xB0404C);
  const int period = 32;
  for (int k = 0; k < 4; ++k) {
    int ox = 25 * k;
    int phase = (up ? -1 : 1) * k * period / 4;
    auto wrap = [&](int y) { return ((y % 194) + 194) % 194; };
    // Dashed edges.
    for (int y = 0; y < 194; ++y) {
      int s = ((y - phase) % 8 + 8) % 8;
      if (s < 3) {
        c.Put(ox + 1, y, dim);
        c.Put(ox + 23, y, dim);
      }
    }
    // Chevrons.
    for (int n = 0; n < 194 / period + 1; ++n) {
      int y0 = wrap(n * period + phase + 6);
      for (int i = 0; i < 8; ++i) {
        int yy = up ? y0 + i : y0 - i;
        int y1 = wrap(yy);
        if (y1 >= 0 && y1 < 194) {
          c.Put(ox + 12 - i, y1, i < 2 ? bright : mid);
          c.Put(ox + 12 + i, y1, i < 2 ? bright : mid);
          int y2 = wrap(yy + (up ? 1 : -1));
          c.Put(ox + 12 - i, y2, dim);
          c.Put(ox + 12 + i, y2, dim);
        }
      }
    }
    // Streaks between chevrons, offset per lane.
    const int lanes[] = {5, 9, 16, 19};
    for (int l = 0; l < 4; ++l) {
      for (int n = 0; n < 194 / period + 1; ++n) {
        int y0 = wrap(n * period + phase + 20 + l * 5);
        int len = 4 + (l * 3 + n) % 5;
        for (int i = 0; i < len; ++i) c.Put(ox + lanes[l], wrap(y0 + i), i == 0 ? bright : mid);
      }
    }
  }
  return c;
}

Canvas WindShape() {
  Canvas c(25, 194);
  c.Fill(Hex(0x808080));
  return c;
}

// ---------------------------------------------------------------- study

Canvas Table() {
  Canvas c(48, 65);
  const Rgb top = Hex(0xC07A3E), top_hi = Hex(0xE09A58), edge = Hex(0x8A4E26), leg = Hex(0x7A4422),
            leg_hi = Hex(0xA0602E);
  // Lamp on the table top.
  c.Poly({{29, 2}, {41, 2}, {44, 11}, {26, 11}}, Hex(0xF6D46A));
  c.Rect(28, 9, 15, 2, Hex(0xD8A840));
  c.Rect(34, 12, 2, 6, Hex(0x4A4A58));
  c.Rect(31, 18, 8, 2, Hex(0x4A4A58));
  // Book stack.
  c.Rect(6, 12, 16, 3, Hex(0x3C6EB4));
  c.Rect(8, 15, 14, 3, Hex(0x48A05A));
  c.Rect(5, 18, 17, 2, Hex(0xC84848));
  c.HLine(6, 20, 13, Hex(0x86A8DC));
  c.HLine(9, 20, 16, Hex(0x8CD09A));
  // Top and apron with a drawer.
  c.Rect(1, 20, 46, 4, top);
  c.HLine(1, 46, 20, top_hi);
  c.Rect(3, 24, 42, 9, edge);
  c.Rect(15, 26, 18, 5, top);
  c.Rect(22, 28, 4, 1, Hex(0xF0D090));
  // Legs.
  c.Rect(4, 33, 5, 31, leg);
  c.Rect(39, 33, 5, 31, leg);
  c.VLine(5, 33, 63, leg_hi);
  c.VLine(40, 33, 63, leg_hi);
  c.Rect(9, 50, 30, 3, edge);  // stretcher
  c.Outline(kInk);
  return c;
}

Canvas Shelf() {
  Canvas c(48, 14);
  const Rgb board = Hex(0xB4773E), board_hi = Hex(0xDC9C5A), board_lo = Hex(0x7C4C26);
  const Rgb books[] = {Hex(0xC84848), Hex(0x3C6EB4), Hex(0xE0B040), Hex(0x48A05A),
                       Hex(0x8A58B4), Hex(0xD87838), Hex(0x3C9CA8)};
  int x = 3;
  for (int i = 0; x < 40; ++i) {
    int w = 3 + static_cast<int>(Hash(i, 5) % 3);
    int h = 6 + static_cast<int>(Hash(i, 9) % 3);
    Rgb col = books[Hash(i, 13) % 7];
    c.Rect(x, 10 - h, w, h, col);
    c.VLine(x, 10 - h, 9, Scale(col, 1.35));
    c.HLine(x, x + w - 1, 10 - h + 2, Scale(col, 0.7));
    x += w;
  }
  // A leaning book and a small plant at the end.
  c.Poly({{41, 9.5}, {44, 3}, {46, 4}, {43.5, 9.5}}, Hex(0x5A8A3C));
  c.Rect(1, 10, 46, 3, board);
  c.HLine(1, 46, 10, board_hi);
  c.HLine(1, 46, 12, board_lo);
  c.Outline(kInk);
  return c;
}

// A push pin hanging from the ceiling, needle down.
Canvas Pin(Rgb head) {
  Canvas p(14, 24);
  const Rgb hi = Scale(head, 1.45), lo = Scale(head, 0.6);
  const Rgb steel = Hex(0xD8DCE8), steel_lo = Hex(0x8890A4);
  p.Rect(2, 1, 10, 3, head);  // cap
  p.HLine(3, 10, 1, hi);
  p.Rect(4, 4, 6, 5, lo);  // waist
  p.Rect(5, 4, 2, 5, head);
  p.Rect(1, 9, 12, 4, head);  // collar
  p.HLine(2, 11, 9, hi);
  p.HLine(2, 11, 12, lo);
  p.Rect(6, 13, 2, 8, steel);  // needle
  p.VLine(7, 13, 20, steel_lo);
  p.Put(6, 21, steel);
  p.Put(6, 22, steel_lo);
  p.Outline(kInk);
  return p;
}

// A drawing tack lying point up on the floor: a flat brass head and a
// needle, the classic thing not to step on.
Canvas Tack() {
  Canvas c(14, 20);
  const Rgb brass = Hex(0xE8B830), brass_hi = Hex(0xFFE488), brass_lo = Hex(0xA87818);
  const Rgb steel = Hex(0xE0E4F0), steel_lo = Hex(0x8890A4);
  c.Rect(6, 2, 2, 13, steel);
  c.VLine(7, 2, 14, steel_lo);
  c.Put(6, 1, steel);
  c.Ellipse(7, 16, 6.5, 2.8, brass_lo);
  c.Ellipse(7, 15.5, 6.5, 2.5, brass);
  c.Ellipse(6, 15, 3.5, 1.2, brass_hi);
  c.Rect(6, 13, 2, 3, steel);
  c.Outline(kInk);
  return c;
}

Canvas PinSideways() {
  Canvas c(24, 14);
  Canvas p = Pin(Hex(0x4AA0E0));
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 14; ++x)
      if (p.Opaque(x, y)) c.Put(23 - y, x, p.At(x, y));
  return c;
}

// ---------------------------------------------------------------- house

Canvas Globe() {
  Canvas c(28, 44);
  const Rgb brass = Hex(0xD8A840), brass_lo = Hex(0x8A6420);
  // Hangs from the ceiling: rose, cord, then a glass globe lamp.
  c.Rect(8, 0, 12, 3, brass);
  c.HLine(8, 19, 2, brass_lo);
  c.Rect(13, 3, 2, 11, Hex(0x3A3440));
  c.Rect(10, 13, 8, 3, brass);
  c.Circle(14, 29, 12.5, Hex(0xF4E8B0));
  c.Ellipse(14, 31, 11, 9.5, Hex(0xFFF6CC));
  c.Ellipse(10, 25, 4, 3, {255, 255, 255});
  c.Ellipse(18, 36, 6, 3, Hex(0xE8C870));
  // Meridian bands make it read as a globe as well as a lamp.
  c.Ring(14, 29, 5, 12, 1, Hex(0xC8A858));
  c.HLine(3, 25, 29, Hex(0xC8A858));
  c.Outline(kInk);
  return c;
}

Canvas Drop() {
  Canvas c(16, 14);
  const Rgb water = Hex(0x58A8F0), deep = Hex(0x2E6CC8), hi = Hex(0xE0F4FF);
  c.Poly({{8, 1}, {12, 8}, {4, 8}}, water);
  c.Circle(8, 9, 4.2, water);
  c.Ellipse(9, 10.5, 2.5, 2, deep);
  c.Put(6, 7, hi);
  c.Put(6, 8, hi);
  c.Put(7, 5, hi);
  c.Outline(kInk);
  return c;
}

Canvas Frog() {
  Canvas c(42, 43);
  const Rgb green = Hex(0x5CC040), dark = Hex(0x2E8A2E), belly = Hex(0xE4EC8C),
            pink = Hex(0xE85A6A);
  auto eyes = [&](Canvas& f, int y) {
    for (int ex : {6, 14}) {
      f.Circle(ex + 0.5, y, 3.6, green);
      f.Circle(ex + 0.5, y, 2.4, {255, 255, 255});
      f.Rect(ex, y - 1, 2, 2, kInk);
    }
  };
  // Frame 0: sitting, ready to spring.
  {
    Canvas f(21, 43);
    f.Ellipse(10.5, 34, 9.5, 8.5, green);  // body
    f.Ellipse(10.5, 36, 6, 5.5, belly);
    f.Ellipse(3.5, 38, 3.5, 4.5, dark);  // haunches
    f.Ellipse(17.5, 38, 3.5, 4.5, dark);
    f.Rect(1, 41, 6, 2, green);  // feet
    f.Rect(14, 41, 6, 2, green);
    f.Ellipse(10.5, 26, 8.5, 5.5, green);  // head
    eyes(f, 22);
    f.HLine(6, 15, 28, kInk);  // grin
    f.Put(5, 27, kInk);
    f.Put(16, 27, kInk);
    f.Speckle(0, 20, 21, 23, 0.08, 0.2, 7);
    f.Outline(kInk);
    c.Blit(f, 0, 0);
  }
  // Frame 1: stretched out mid-jump, legs trailing.
  {
    Canvas f(21, 43);
    f.Ellipse(10.5, 18, 7.5, 10, green);
    f.Ellipse(10.5, 19, 4.5, 7, belly);
    f.Ellipse(10.5, 9, 7.5, 5, green);
    eyes(f, 5);
    f.Ellipse(10.5, 12, 3, 1.8, pink);  // croak
    // Arms up, legs long.
    f.Rect(1, 6, 3, 8, green);
    f.Rect(17, 6, 3, 8, green);
    f.Poly({{5, 25}, {8, 26}, {6, 36}, {3, 41}, {1, 40}, {3, 34}}, dark);
    f.Poly({{16, 25}, {13, 26}, {15, 36}, {18, 41}, {20, 40}, {18, 34}}, dark);
    f.Rect(0, 40, 5, 2, green);
    f.Rect(16, 40, 5, 2, green);
    f.Outline(kInk);
    c.Blit(f, 21, 0);
  }
  return c;
}

// ---------------------------------------------------------------- space

Canvas Meteor(bool rising) {
  Canvas c(112, 31);
  const Rgb rock = Hex(0x7A6458), rock_lo = Hex(0x4E3C36), rock_hi = Hex(0xA88C78);
  // Outer flame first, hotter and shorter flames on top of it.
  const Rgb fire[] = {Hex(0xC8302A), Hex(0xF06A2A), Hex(0xFFB23C), Hex(0xFFF0A0)};
  for (int k = 0; k < 4; ++k) {
    Canvas f(28, 31);
    // Drawn flying left (head left, tail right); turned for the rising one.
    Canvas g(31, 31);
    const double cy = 15.5;
    for (int layer = 0; layer < 4; ++layer) {
      double len = 27 - layer * 5 + ((k + layer) % 2 ? 1.5 : -1.0);
      double half = 8.0 - layer * 1.6;
      double wob = std::sin((k + layer * 0.7) * 1.6) * 1.2;
      g.Poly({{9, cy - half},
              {9 + len * 0.45, cy - half * 0.7 + wob * 0.5},
              {9 + len * 0.8, cy - half * 0.3 + wob},
              {9 + len, cy + wob},
              {9 + len * 0.8, cy + half * 0.3 + wob},
              {9 + len * 0.45, cy + half * 0.7 + wob * 0.5},
              {9, cy + half}},
             fire[layer]);
    }
    g.Circle(9, cy, 7.0, rock);
    g.Circle(7.8, cy - 1.4, 4.6, rock_hi);
    g.Circle(8.8, cy - 0.4, 4.3, rock);
    g.Circle(11, cy + 3, 1.8, rock_lo);
    g.Circle(5.5, cy + 2.5, 1.3, rock_lo);
    g.Circle(10.2, cy - 3.6, 1.2, rock_lo);
    g.Put(6, static_cast<int>(cy) - 4, Hex(0xD8C0A8));
    // Embers trailing the flame.
    for (int s = 0; s < 3; ++s) {
      int sx = 18 + static_cast<int>(Hash(k, s, 3) % 10),
          sy = 8 + static_cast<int>(Hash(k, s, 4) % 15);
      if (!g.Opaque(sx, sy)) g.Put(sx, sy, fire[2 + s % 2]);
    }
    g.Outline(kInk);
    if (!rising) {
      f.BlitRegion(g, 0, 0, 28, 31, 0, 0);
    } else {
      // Head up, tail hanging down.
      for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 31; ++x)
          if (g.Opaque(x, y)) {
            int nx = y - 2, ny = x + 1;
            if (nx >= 0 && nx < 28 && ny < 31) f.Put(nx, ny, g.At(x, y));
          }
    }
    c.Blit(f, 28 * k, 0);
  }
  return c;
}

Canvas Planet(bool ringed) {
  if (ringed) {
    Canvas c(48, 40);
    const Rgb body = Hex(0xE8A040), band = Hex(0xC06A30), hi = Hex(0xFFD890), ring = Hex(0xB8C8F0),
              ring_lo = Hex(0x7888C0);
    // Back half of the ring first, then the planet, then the front half.
    c.Ring(24, 21, 22, 6.5, 2.2, ring_lo);
    c.Circle(24, 20, 14.5, body);
    c.Rect(10, 14, 29, 3, band);
    c.Rect(10, 23, 29, 2, band);
    c.Ellipse(19, 14, 6, 4, hi);
    c.Ellipse(29, 26, 9, 6, Scale(body, 0.8));
    // Front of the ring over the planet's lower half.
    for (int x = 0; x < 48; ++x)
      for (int y = 21; y < 40; ++y) {
        double dx = (x + 0.5 - 24) / 22.0, dy = (y + 0.5 - 21) / 6.5;
        double d = std::sqrt(dx * dx + dy * dy);
        if (d > 0.8 && d < 1.08) c.Put(x, y, d < 0.9 ? ring : (d < 0.98 ? Hex(0xE0E8FF) : ring_lo));
      }
    c.Outline(kInk);
    return c;
  }
  Canvas c(32, 32);
  const Rgb sea = Hex(0x4A7AD8), land = Hex(0x62C46A), hi = Hex(0xB8E0FF), night = Hex(0x2A3C8C);
  c.Circle(16, 16, 14.5, sea);
  c.Poly({{6, 10}, {12, 7}, {15, 11}, {13, 16}, {8, 17}}, land);
  c.Poly({{17, 18}, {24, 15}, {27, 20}, {22, 26}, {18, 24}}, land);
  c.Poly({{19, 5}, {23, 6}, {21, 9}}, land);
  // Terminator: the lower-right side in shadow.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (c.Opaque(x, y) && (x - 16) + (y - 16) > 11) c.Put(x, y, Mix(c.At(x, y), night, 0.55));
  c.Ellipse(10, 9, 3, 2, hi);
  c.Outline(kInk);
  return c;
}

// ---------------------------------------------------------------- pickups

// Tiny 3 x 5 lettering for badges.
void MicroText(Canvas& c, const char* text, int x, int y, Rgb col) {
  for (const char* t = text; *t; ++t, x += 4) {
    const char* rows[5];
    switch (*t) {
      case '1': {
        static const char* const r[5] = {".#.", "##.", ".#.", ".#.", "###"};
        std::copy(r, r + 5, rows);
        break;
      }
      case 'U': {
        static const char* const r[5] = {"#.#", "#.#", "#.#", "#.#", "###"};
        std::copy(r, r + 5, rows);
        break;
      }
      default: {  // P
        static const char* const r[5] = {"##.", "#.#", "##.", "#..", "#.."};
        std::copy(r, r + 5, rows);
        break;
      }
    }
    for (int j = 0; j < 5; ++j)
      for (int i = 0; i < 3; ++i)
        if (rows[j][i] == '#') c.Put(x + i, y + j, col);
  }
}

Canvas OneUp(Rgb badge, Rgb badge_lo) {
  Canvas c(20, 16);
  c.RoundRect(1, 1, 18, 14, 4, badge);
  c.HLine(3, 16, 2, Scale(badge, 1.4));
  c.HLine(3, 16, 13, badge_lo);
  // Mini plane over the lettering.
  c.Poly({{5, 3}, {14, 5.5}, {6, 5.5}}, kPaper);
  c.Poly({{6, 5.5}, {14, 5.5}, {7, 7}}, kPaperShade);
  MicroText(c, "1UP", 5, 8, badge_lo);
  MicroText(c, "1UP", 4, 7, {255, 255, 255});
  c.Outline(kInk);
  return c;
}

Canvas Ring() {
  Canvas c(20, 20);
  c.Ring(10, 10, 7.5, 7.5, 3, Hex(0xF0C040));
  c.Ring(10, 10, 7.5, 7.5, 1, Hex(0xFFF0A0));
  c.Put(6, 5, {255, 255, 255});
  c.Outline(kInk);
  return c;
}

Canvas CloudItem() {
  Canvas c(24, 18);
  const Rgb fill = Hex(0xFAFCFF), shade = Hex(0xA8C0EA);
  c.Circle(7, 10, 5, fill);
  c.Circle(12, 7, 6, fill);
  c.Circle(17, 10, 5, fill);
  c.Ellipse(12, 12, 9, 3.5, fill);
  c.Ellipse(12, 14, 8, 1.5, shade);
  c.Outline(Hex(0x2C5CB8));
  // Sparkles announce a power-up.
  c.Put(1, 2, Hex(0xFFE860));
  c.Put(22, 1, Hex(0xFFE860));
  c.Put(21, 2, Hex(0xFFFFFF));
  c.Rect(10, 8, 1, 2, kInk);
  c.Rect(14, 8, 1, 2, kInk);
  return c;
}

Canvas PlaneItem() {
  Canvas c(24, 16);
  c.RoundRect(1, 1, 22, 14, 3, Hex(0x3C9CA8));
  PaperDart(c, 3, 2, 19, 11, kPaper, kPaperShade, kPaperFold);
  c.Outline(kInk);
  return c;
}

Canvas PlaneCloud() {
  Canvas c(43, 30);
  CloudBody(c, 0, 0, Hex(0xFAFCFF), Hex(0xB8CCEA));
  c.Outline(kInk);
  Canvas p = PlayerPlane();
  c.Blit(p, 9, 9);
  return c;
}

Canvas Switch(bool on) {
  Canvas c(14, 20);
  const Rgb plate = on ? Hex(0xFFF4C8) : Hex(0xE8E2D0),
            plate_lo = on ? Hex(0xE0C870) : Hex(0xA8A090);
  c.RoundRect(1, 1, 12, 18, 2, plate);
  c.VLine(12, 2, 17, plate_lo);
  c.HLine(2, 11, 18, plate_lo);
  c.Put(6, 3, Hex(0x807868));  // screws
  c.Put(6, 16, Hex(0x807868));
  c.Rect(4, 6, 6, 8, Hex(0x6A6458));
  // Rocker: up when on.
  if (on) {
    c.Rect(5, 6, 4, 4, Hex(0xFFFFFF));
    c.Rect(5, 10, 4, 3, Hex(0xC8C0B0));
  } else {
    c.Rect(5, 7, 4, 3, Hex(0xC8C0B0));
    c.Rect(5, 10, 4, 4, Hex(0xF0ECE0));
  }
  c.Outline(on ? Hex(0x8A6A10) : kInk);
  return c;
}

// ---------------------------------------------------------------- cartoon land

Canvas ToonBoard(int w) {
  Canvas c(w, 10);
  const Rgb wood = Hex(0xF0A040), hi = Hex(0xFFD080), lo = Hex(0xB86420);
  c.RoundRect(1, 1, w - 2, 8, 3, wood);
  c.HLine(3, w - 4, 2, hi);
  c.HLine(3, w - 4, 7, lo);
  for (int x = 8; x < w - 6; x += 11) {
    c.Put(x, 4, lo);
    c.Put(x + 1, 5, lo);
  }
  // Springs at the ends hint at the bobbing.
  c.Outline(kInk);
  return c;
}

Canvas ToonCube(int s, Rgb face, uint32_t seed) {
  Canvas c(s, s);
  const Rgb hi = Scale(face, 1.5), lo = Scale(face, 0.62);
  c.RoundRect(1, 1, s - 2, s - 2, s / 6.0, face);
  c.Rect(2, 2, s - 4, 2, hi);
  c.Rect(2, s - 4, s - 4, 2, lo);
  c.Rect(s - 4, 3, 2, s - 6, lo);
  // Cartoon eyes.
  int ey = s / 2 - 1, ew = std::max(1, s / 8);
  for (int ex : {s / 3 - ew / 2, 2 * s / 3 - ew / 2}) {
    c.Rect(ex - 1, ey - 1, ew + 2, ew + 3, {255, 255, 255});
    c.Rect(ex + (seed & 1), ey, ew, ew + 1, kInk);
  }
  c.Outline(kInk);
  return c;
}

// ---------------------------------------------------------------- ghosts

// Ghost blocks are drawn additively while they fade, so they use pale, cold
// colours with a dark core that reads as glass once they turn solid.
Canvas GhostBlock(int w, int h, uint32_t seed) {
  Canvas c(w, h);
  const Rgb glass = Hex(0x8A7AE0), hi = Hex(0xD8D0FF), lo = Hex(0x4A3A9A);
  c.Rect(1, 1, w - 2, h - 2, glass);
  c.Rect(1, 1, w - 2, 1, hi);
  c.Rect(1, 1, 1, h - 2, hi);
  c.Rect(1, h - 2, w - 2, 1, lo);
  c.Rect(w - 2, 1, 1, h - 2, lo);
  // A ghostly face on the bigger blocks, swirls on the small ones.
  if (w >= 24 && h >= 24) {
    int ex = w / 2, ey = h / 2 - h / 10;
    c.Ellipse(ex - w / 6.0, ey, w / 14.0, h / 9.0, lo);
    c.Ellipse(ex + w / 6.0, ey, w / 14.0, h / 9.0, lo);
    c.Ellipse(ex, ey + h / 4.0, w / 10.0, h / 12.0, lo);
  } else {
    for (int i = 0; i < 3; ++i) {
      int x = 3 + static_cast<int>(Hash(seed, i) % std::max(1, w - 6));
      int y = 3 + static_cast<int>(Hash(seed, i, 1) % std::max(1, h - 6));
      c.Put(x, y, hi);
    }
  }
  c.Outline(Hex(0x1E1450));
  return c;
}

Canvas GhostVolcano() {
  Canvas c(64, 108);
  const Rgb rock = Hex(0x7A6AD0), hi = Hex(0xB0A8F0), lo = Hex(0x4A3C9C), deep = Hex(0x342A78);
  const Rgb glow = Hex(0xE8F0FF), glow_lo = Hex(0xA8D8FF);
  // Rugged cone with a broad crater.
  std::vector<Pt> cone = {{20, 20}, {24, 17}, {40, 17}, {44, 20}};
  for (int y = 23; y <= 106; y += 3) {
    double t = (y - 20) / 86.0;
    double half = 12 + t * 19 + (Hash(y, 70) % 3) * 0.6;
    cone.insert(cone.begin(), {32 - half, static_cast<double>(y)});
    cone.push_back({32 + half, static_cast<double>(y) + 2});
  }
  cone.insert(cone.begin(), {1, 107});
  cone.push_back({63, 107});
  // Points were collected left side reversed; order them around the outline.
  std::vector<Pt> left, right;
  for (const Pt& p : cone) (p.x < 32 ? left : right).push_back(p);
  std::sort(left.begin(), left.end(), [](Pt a, Pt b) { return a.y > b.y; });
  std::sort(right.begin(), right.end(), [](Pt a, Pt b) { return a.y < b.y; });
  std::vector<Pt> outline = left;
  outline.insert(outline.end(), right.begin(), right.end());
  c.Poly(outline, rock);
  // Light from the left, shade on the right, dark ledges.
  for (int y = 0; y < 108; ++y)
    for (int x = 0; x < 64; ++x) {
      if (!c.Opaque(x, y)) continue;
      double rel = (x - 32.0) / (12 + (y - 20) / 86.0 * 19);
      if (rel < -0.55)
        c.Put(x, y, hi);
      else if (rel > 0.45)
        c.Put(x, y, rel > 0.8 ? deep : lo);
    }
  // Cracks running down the slopes.
  for (int k = 0; k < 5; ++k) {
    int x0 = 22 + static_cast<int>(Hash(k, 71) % 20), y0 = 30 + static_cast<int>(Hash(k, 72) % 50);
    int dx = x0 < 32 ? -1 : 1;
    c.Line(x0, y0, x0 + dx * 4, y0 + 8, deep);
    c.Line(x0 + dx * 4, y0 + 8, x0 + dx * 3, y0 + 14, deep);
  }
  // Crater and the ghost-light that wells over its rim.
  c.Ellipse(32, 19, 11, 3, deep);
  c.Ellipse(32, 19, 8, 2, glow_lo);
  c.Poly({{27, 20}, {31, 20}, {29, 38}, {26, 50}, {25, 36}}, glow_lo);
  c.Poly({{35, 20}, {38, 20}, {40, 30}, {42, 44}, {38, 32}}, glow_lo);
  c.VLine(27, 22, 36, glow);
  c.VLine(36, 22, 28, glow);
  // The plume: a little ghost rising from the crater.
  c.Ellipse(32, 8, 7, 6, glow);
  c.Poly({{25, 8}, {39, 8}, {38, 15}, {35, 13}, {32, 16}, {29, 13}, {26, 15}}, glow);
  c.Rect(29, 6, 2, 3, deep);
  c.Rect(34, 6, 2, 3, deep);
  c.Outline(Hex(0x1E1450));
  return c;
}

}  // namespace

ImageList MakeSprites() {
  ImageList out;
  auto add = [&](const std::string& name, Canvas c, int fw = 0, int fh = 0) {
    out.push_back({"gfx/" + name + ".png", std::move(c), PngKind::kKeyed, fw, fh});
  };
  add("planesprite", PlayerPlane(), 25, 12);
  add("explosion", Explosion(), 25, 12);
  add("wolkeanim", CloudAnim(), 43, 30);
  add("wexplosion", CloudBurst(), 43, 30);
  add("up", WindStrip(true), 25, 194);
  add("down", WindStrip(false), 25, 194);
  add("quak", Frog(), 21, 43);
  add("meteor", Meteor(false), 28, 31);
  add("meteory", Meteor(true), 28, 31);

  add("tisch", Table());
  add("regal", Shelf());
  add("stachel", Pin(Hex(0xE04848)));
  add("stachel1", Tack());
  add("stachel2", PinSideways());
  add("globus", Globe());
  add("tropfen", Drop());
  add("redplaneleft", RedPlane(true));
  add("redplaneright", RedPlane(false));
  add("schalter", Switch(false));
  add("schalter1", Switch(true));
  add("dummy", WindShape());
  add("1up", OneUp(Hex(0x48B85A), Hex(0x2A7838)));
  add("up1", OneUp(Hex(0x4A8AE0), Hex(0x2A54A0)));
  add("ring", Ring());
  add("wolkeitem", CloudItem());
  add("planeitem", PlaneItem());
  add("planewolke", PlaneCloud());
  add("planet1", Planet(true));
  add("planet2", Planet(false));
  add("toonbrettgross", ToonBoard(72));
  add("toonbrettklein", ToonBoard(40));
  add("toonwuerfel", ToonCube(24, Hex(0xF05A8A), 1));
  add("toonwuerfelklein", ToonCube(16, Hex(0x4AB8F0), 2));
  add("invibrett", GhostBlock(40, 10, 3));
  add("inviwuerfelklein", GhostBlock(16, 16, 4));
  add("inviwuerfelmittel", GhostBlock(24, 24, 5));
  add("inviwuerfelgross", GhostBlock(40, 40, 6));
  add("invivulkan", GhostVolcano());
  return out;
}

Canvas AppIcon() {
  Canvas c(64, 64);
  c.GradientV(0, 0, 64, 64, Hex(0x5AA8E8), Hex(0xC8E8FA));
  c.Ellipse(20, 48, 22, 9, Hex(0xFFFFFF));
  c.Ellipse(46, 52, 18, 7, Hex(0xF0F6FC));
  Canvas plane(25, 12);
  PaperDart(plane, 0, 0, 25, 12, kPaper, kPaperShade, kPaperFold);
  plane.Outline(kInk);
  c.BlitScaled(plane, 7, 14, 2);
  return c;
}

Canvas TemplateSprite() {
  Canvas c(50, 24);
  PaperDart(c, 0, 0, 50, 24, kPaper, kPaperShade, kPaperFold);
  c.Outline(kInk);
  return c;
}

}  // namespace assetgen
