// Full-screen pictures, the menu and option sheets and the overlays.
#include <cmath>
#include <string>

#include "assets.h"
#include "glyphs.h"
#include "scenery.h"

namespace assetgen {

namespace {

const Rgb kNavy = Hex(0x1A2050);
const Rgb kInkDark = Hex(0x1E1828);
const Rgb kCream = Hex(0xFAF4E2);
const Rgb kOrange = Hex(0xFF9A3C);
const Rgb kOrangeDeep = Hex(0xE0582C);

// 1x capitals drawn twice, one pixel apart: bold menu lettering.
int BoldWidth(const std::string& s) {
  return static_cast<int>(s.size()) * 7 - 1;
}

void BoldText(Canvas& c, const std::string& s, int x, int y, Rgb fg, Rgb shadow) {
  Mask m = TextMask(s, 1, true, 2);
  for (int pass = 0; pass < 2; ++pass)
    for (int j = 0; j < m.h; ++j)
      for (int i = 0; i < m.w; ++i) {
        if (!m.At(i, j)) continue;
        if (pass == 0) {
          c.Put(x + i + 1, y + j + 1, shadow);
          c.Put(x + i + 2, y + j + 1, shadow);
        } else {
          c.Put(x + i, y + j, fg);
          c.Put(x + i + 1, y + j, fg);
        }
      }
}

void CenterHeadline(Canvas& c, const std::string& s, int y, int scale, Rgb top, Rgb bottom,
                    Rgb outline, Rgb shadow, int cx = 160) {
  Headline(c, s, cx - HeadlineWidth(s, scale) / 2, y, scale, top, bottom, outline, shadow);
}

void CenterLabel(Canvas& c, const std::string& s, int y, Rgb fg, Rgb outline, int cx = 160) {
  Label(c, s, cx - LabelWidth(s) / 2, y, fg, outline);
}

// ---------------------------------------------------------------- title scene

void TitleBackdrop(Canvas& c) {
  c.GradientV(0, 0, 320, 240, Hex(0x3C7CD8), Hex(0xB4DCF8), 12);
  // Sun with a soft halo.
  c.Glow(276, 36, 48, Hex(0xFFF4C0), 0.7);
  c.Circle(276, 36, 15, Hex(0xFFF0A0));
  c.Circle(274, 34, 11, Hex(0xFFFAD8));
  DrawCloud(c, 40, 92, 22, Hex(0xFFFFFF), Hex(0xD8E6F8), Hex(0x8AA8D8), 3);
  DrawCloud(c, 250, 128, 28, Hex(0xFFFFFF), Hex(0xD8E6F8), Hex(0x8AA8D8), 7);
  DrawCloud(c, 150, 150, 14, Hex(0xF4F8FF), Hex(0xD0E0F4), Hex(0x98B4DC), 11);
  DrawCloud(c, 300, 76, 12, Hex(0xF4F8FF), Hex(0xD0E0F4), Hex(0x98B4DC), 13);
  DrawHills(c, 196, 9, 150, 0.7, Hex(0x7AA8C8), Hex(0xA6C8E0));
  DrawHills(c, 212, 7, 95, 2.1, Hex(0x4E9A4A), Hex(0x86C85E));
  // A cottage on the far hill and a few round trees.
  c.Rect(236, 188, 18, 12, Hex(0xF0E0C0));
  c.Poly({{233, 189}, {245, 180}, {257, 189}}, Hex(0xC84A3A));
  c.Rect(242, 193, 4, 7, Hex(0x6A4030));
  c.Rect(250, 191, 3, 3, Hex(0x5A8AC8));
  for (int i = 0; i < 5; ++i) {
    int tx = 180 + i * 27 + static_cast<int>(Hash(i, 1) % 9),
        ty = 206 - static_cast<int>(Hash(i, 2) % 5);
    c.Rect(tx, ty, 2, 7, Hex(0x6A4A30));
    c.Circle(tx + 1, ty - 3, 5, Hex(0x3C8040));
    c.Circle(tx, ty - 4, 3, Hex(0x5CA850));
  }
  c.Rect(0, 226, 320, 14, Hex(0x3E7E3A));
  c.HLine(0, 319, 226, Hex(0x5CA04A));
  c.Speckle(0, 214, 320, 26, 0.12, 0.15, 21);
}

void TitleLettering(Canvas& c) {
  CenterHeadline(c, "ZELVO 2", 14, 4, Hex(0xFFF2A0), Hex(0xFF8A30), Hex(0x3A1E40), Hex(0x24407A));
  CenterLabel(c, "A PAPER PLANE ADVENTURE", 50, Hex(0xFFFFFF), Hex(0x24407A));
}

Canvas Splash() {
  Canvas c(320, 240);
  TitleBackdrop(c);
  TitleLettering(c);
  // A loop-the-loop drawn in the sky behind the plane.
  DrawTrail(c, {0, 118}, {90, 40}, {150, 150}, {120, 96}, Hex(0xFFFFFF), 3);
  DrawTrail(c, {120, 96}, {100, 60}, {160, 70}, {198, 102}, Hex(0xFFFFFF), 3);
  DrawBigPlane(c, 198, 84, 1.25, kCream, Hex(0xC4CCE0), Hex(0x8E9AB8), kInkDark);
  Label(c, "ARROWS  STEER", 196, 196, Hex(0xFFFFFF), Hex(0x1E3A20));
  Label(c, "TAB     PAUSE", 196, 208, Hex(0xFFFFFF), Hex(0x1E3A20));
  Label(c, "RETURN  START", 196, 220, Hex(0xFFFFFF), Hex(0x1E3A20));
  return c;
}

Canvas Splash2() {
  Canvas c(320, 240);
  TitleBackdrop(c);
  // The plane shoots off towards the sun, speed lines behind it.
  for (int i = 0; i < 9; ++i) {
    int y = 96 + i * 7, x0 = 20 + static_cast<int>(Hash(i, 4) % 40),
        len = 60 + static_cast<int>(Hash(i, 5) % 70);
    c.HLine(x0, x0 + len, y, Hex(0xFFFFFF));
  }
  DrawBigPlane(c, 140, 100, 2.0, kCream, Hex(0xC4CCE0), Hex(0x8E9AB8), kInkDark);
  CenterHeadline(c, "GET READY!", 30, 4, Hex(0xFFF2A0), Hex(0xFF8A30), Hex(0x3A1E40),
                 Hex(0x24407A));
  return c;
}

// ---------------------------------------------------------------- menu sheets

const char* const kMenuEntries[4] = {"START GAME", "OPTIONS", "HISCORES", "QUIT"};

void MiniPlane(Canvas& c, int x, int y, Rgb paper, Rgb shade) {
  c.Poly({{x + 0.0, y + 0.0}, {x + 11.0, y + 3.5}, {x + 2.0, y + 3.5}}, paper);
  c.Poly({{x + 2.0, y + 3.5}, {x + 11.0, y + 3.5}, {x + 3.0, y + 6.0}}, shade);
}

Canvas MenuSheet() {
  Canvas c(320, 240);
  c.GradientV(0, 0, 320, 240, Hex(0x3C7CD8), Hex(0xB4DCF8), 12);
  // Highlighted entries: a glowing orange tab with the paper plane cursor.
  for (int k = 0; k < 4; ++k) {
    int y = 22 * k;
    c.Rect(0, y, 128, 14, Hex(0x2A2450));
    c.RoundRect(0, y, 128, 14, 4, kInkDark);
    c.GradientV(1, y + 1, 126, 12, Hex(0xFFC060), kOrangeDeep, 6);
    c.HLine(3, 124, y + 1, Hex(0xFFE6A8));
    // Corners back to the card colour so the tab sits on the card.
    for (int cy : {y, y + 13})
      for (int cx : {0, 127}) c.Put(cx, cy, Hex(0xE8DCC0));
    MiniPlane(c, 5, y + 4, Hex(0xFFFFFF), Hex(0xC4CCE0));
    std::string s = kMenuEntries[k];
    BoldText(c, s, 64 - BoldWidth(s) / 2 + 4, y + 4, Hex(0xFFFFFF), Hex(0x8A2A18));
  }
  // The plain block: a paper card with the four entries 22 px apart.
  const int by = 80;
  c.Rect(0, by, 128, 80, Hex(0xE8DCC0));
  c.Rect(1, by + 1, 126, 78, kCream);
  c.HLine(1, 126, by + 1, Hex(0xFFFFFF));
  c.VLine(126, by + 1, by + 78, Hex(0xD8CCAE));
  c.HLine(1, 126, by + 78, Hex(0xD8CCAE));
  for (int k = 0; k < 4; ++k) {
    int y = by + 22 * k;
    std::string s = kMenuEntries[k];
    // Ruled line under each entry, like a note card.
    if (k < 3) c.HLine(6, 121, y + 17, Hex(0xC8D8F0));
    c.Rect(8, y + 6, 2, 2, Hex(0x9AA8C8));
    BoldText(c, s, 64 - BoldWidth(s) / 2 + 4, y + 4, kNavy, Hex(0xC8C0A8));
  }
  return c;
}

const char* const kOptionNames[4] = {"VOLUME", "MUSIC", "EFFECTS", "SPEED"};

Canvas OptionSheet() {
  Canvas c(320, 240);
  c.Fill(Hex(0x1E3C78));
  for (int k = 0; k < 8; ++k) {
    bool hot = k < 4;
    std::string s = kOptionNames[k % 4];
    int y = 12 * k;
    c.Rect(0, y, 50, 12, Hex(0x1E3C78));
    c.RoundRect(0, y, 50, 12, 3, kInkDark);
    if (hot) {
      c.GradientV(1, y + 1, 48, 10, Hex(0xFFC060), kOrangeDeep, 5);
    } else {
      c.RoundRect(1, y + 1, 48, 10, 2, Hex(0xD8E4F4));
      c.HLine(2, 47, y + 1, Hex(0xFFFFFF));
    }
    Mask m = TextMask(s, 1, true);
    int tx = 25 - m.w / 2, ty = y + 2;
    for (int j = 0; j < m.h; ++j)
      for (int i = 0; i < m.w; ++i)
        if (m.At(i, j)) {
          c.Put(tx + i + 1, ty + j + 1, hot ? Hex(0x8A2A18) : Hex(0xA8B8D0));
        }
    PaintMask(c, m, tx, ty, hot ? Hex(0xFFFFFF) : kNavy, hot ? Hex(0xFFFFFF) : kNavy);
  }
  return c;
}

// Blueprint paper: the workshop where planes are folded.
void Blueprint(Canvas& c) {
  c.GradientV(0, 0, 320, 240, Hex(0x24508E), Hex(0x183A70), 6);
  for (int x = 0; x < 320; x += 10)
    for (int y = 0; y < 240; ++y)
      if (y % 2 == 0) c.Put(x, y, Mix(c.At(x, y), Hex(0x6A9AD8), x % 40 == 0 ? 0.5 : 0.25));
  for (int y = 0; y < 240; y += 10)
    for (int x = 0; x < 320; ++x)
      if (x % 2 == 0) c.Put(x, y, Mix(c.At(x, y), Hex(0x6A9AD8), y % 40 == 0 ? 0.5 : 0.25));
}

// Fold diagram: a plane drawn as white construction lines.
void FoldDiagram(Canvas& c, int x, int y) {
  const Rgb line = Hex(0xD8E8FF), dim = Hex(0x8AB0E0);
  c.Line(x, y + 30, x + 70, y + 20, line);
  c.Line(x + 70, y + 20, x + 14, y, line);
  c.Line(x + 14, y, x, y + 30, line);
  c.Line(x + 14, y + 14, x + 70, y + 20, dim);
  c.Line(x + 14, y + 14, x + 22, y + 38, line);
  c.Line(x + 22, y + 38, x + 70, y + 20, line);
  for (int i = 0; i < 70; i += 4) c.Put(x + i, y + 44, dim);
  c.Put(x, y + 43, dim);
  c.Put(x + 70, y + 43, dim);
}

Canvas Options() {
  Canvas c(320, 240);
  Blueprint(c);
  FoldDiagram(c, 228, 12);
  FoldDiagram(c, 14, 14);
  CenterHeadline(c, "OPTIONS", 20, 3, Hex(0xFFFFFF), Hex(0xB8D8FF), Hex(0x0E1E48), Hex(0x0E2A5A));
  // Settings panel behind the four rows.
  c.RoundRect(18, 68, 286, 124, 6, Hex(0x0E1E48));
  c.RoundRect(20, 70, 282, 120, 5, Hex(0x14306A));
  for (int r = 0; r < 4; ++r) {
    int y = 80 + 30 * r;
    c.Rect(88, y - 2, 154, 16, Hex(0x0E1E48));  // bar trough
  }
  CenterLabel(c, "UP DOWN  CHOOSE     LEFT RIGHT  SET", 204, Hex(0xFFFFFF), Hex(0x0E1E48));
  CenterLabel(c, "RETURN  BACK TO THE MENU", 218, Hex(0xFFE6A8), Hex(0x0E1E48));
  return c;
}

Canvas MenuBackPanel() {
  Canvas c(150, 100);
  c.RoundRect(0, 0, 150, 100, 8, Hex(0x5A8ADC));
  c.RoundRect(2, 2, 146, 96, 7, Hex(0x1C3C7A));
  c.GradientV(4, 4, 142, 92, Hex(0x2A56A8), Hex(0x0C1C44), 6);
  // Corner rounding of the inner gradient.
  for (int i = 0; i < 3; ++i) {
    c.Put(4 + i, 4, Hex(0x1C3C7A));
    c.Put(145 - i, 4, Hex(0x1C3C7A));
  }
  // Tiny planes trail off to the right of the menu card.
  MiniPlane(c, 128, 20, Hex(0xFFFFFF), Hex(0x8AB0E0));
  MiniPlane(c, 132, 48, Hex(0xFFFFFF), Hex(0x8AB0E0));
  return c;
}

// ---------------------------------------------------------------- hiscores

void NightSky(Canvas& c) {
  c.GradientV(0, 0, 320, 240, Hex(0x0C1030), Hex(0x3A2A6A), 10);
  DrawStars(c, 0, 0, 320, 200, 170, 77, Hex(0xFFFFFF), Hex(0x8A90C8));
  c.Circle(286, 30, 12, Hex(0xFFF6D0));
  c.Circle(291, 26, 10, Hex(0x141838));
  DrawHills(c, 226, 6, 110, 1.0, Hex(0x141838), Hex(0x2A2C5A));
}

Canvas Scores() {
  Canvas c(320, 240);
  NightSky(c);
  // Table panel: dark glass so the added bar colours stay vivid.
  c.RoundRect(12, 50, 296, 178, 6, Hex(0x4A4A8A));
  c.RoundRect(13, 51, 294, 176, 5, Hex(0x0A0C22));
  for (int k = 0; k < 6; ++k) {
    int y = 80 + 25 * k;
    c.Rect(19, y - 1, 276, 15, Hex(0x161A3A));
  }
  return c;
}

void Trophy(Canvas& c, int x, int y) {
  const Rgb gold = Hex(0xF8C840), hi = Hex(0xFFF0A0), lo = Hex(0xB07A18);
  Canvas t(24, 26);
  t.Poly({{3, 1}, {20, 1}, {18, 10}, {12, 14}, {6, 10}}, gold);
  t.Ring(3, 6, 3, 4, 2, gold);
  t.Ring(20, 6, 3, 4, 2, gold);
  t.Rect(10, 14, 4, 5, gold);
  t.Rect(6, 19, 12, 4, lo);
  t.Rect(7, 19, 10, 1, gold);
  t.VLine(6, 2, 9, hi);
  t.VLine(7, 2, 5, hi);
  t.Outline(kInkDark);
  c.Blit(t, x, y);
}

Canvas HighOverlay() {
  Canvas c(320, 240);  // transparent except lettering
  CenterHeadline(c, "HISCORES", 14, 3, Hex(0xFFF2A0), Hex(0xFF9A30), Hex(0x2A1430), Hex(0x0A0C22));
  Trophy(c, 62, 12);
  Trophy(c, 234, 12);
  const Rgb fg = Hex(0xFFFFFF), ol = Hex(0x2A0A10);
  Label(c, "#", 21, 60, fg, ol);
  Label(c, "NAME", 36, 60, fg, ol);
  Label(c, "LEVEL", 195 - LabelWidth("LEVEL") + 1, 60, fg, ol);
  Label(c, "SCORE", 295 - LabelWidth("SCORE") + 1, 60, fg, ol);
  return c;
}

// ---------------------------------------------------------------- end screens

// Calm strip along the bottom for the two lines the game prints.
void TextStrip(Canvas& c, Rgb face, Rgb edge) {
  c.Rect(0, 190, 320, 50, face);
  c.HLine(0, 319, 190, edge);
  c.HLine(0, 319, 191, Mix(face, edge, 0.4));
  c.Speckle(0, 192, 320, 48, 0.05, 0.04, 5);
}

Canvas GameOver() {
  Canvas c(320, 240);
  c.GradientV(0, 0, 320, 190, Hex(0x2A2E4A), Hex(0x6A6A8A), 10);
  DrawCloud(c, 70, 46, 34, Hex(0x5A5E7A), Hex(0x464A66), Hex(0x2A2C44), 5);
  DrawCloud(c, 230, 40, 40, Hex(0x5A5E7A), Hex(0x464A66), Hex(0x2A2C44), 9);
  DrawCloud(c, 160, 30, 26, Hex(0x666A86), Hex(0x50546E), Hex(0x2A2C44), 15);
  // Rain.
  for (int i = 0; i < 140; ++i) {
    int x = static_cast<int>(Hash(i, 31) % 330), y = 50 + static_cast<int>(Hash(i, 32) % 130);
    c.Line(x, y, x - 2, y + 5, Hex(0x9AA4C8));
  }
  // Wet ground with a puddle and the crumpled plane.
  c.GradientV(0, 160, 320, 30, Hex(0x3A4A3A), Hex(0x2A362C), 4);
  c.Ellipse(200, 176, 60, 8, Hex(0x4A5A7A));
  c.Ellipse(196, 175, 44, 5, Hex(0x6A7A9A));
  Canvas crumpled(44, 24);
  crumpled.Poly(
      {{2, 18}, {10, 6}, {18, 10}, {24, 2}, {34, 8}, {42, 14}, {30, 20}, {20, 22}, {8, 22}},
      Hex(0xE8E4D8));
  crumpled.Poly({{10, 6}, {18, 10}, {14, 18}}, Hex(0xB8BCCC));
  crumpled.Poly({{24, 2}, {34, 8}, {26, 14}}, Hex(0xC8CCD8));
  crumpled.Line(8, 18, 30, 12, Hex(0x8E9AB8));
  crumpled.Outline(kInkDark);
  c.Blit(crumpled, 170, 158);
  CenterHeadline(c, "GAME OVER", 92, 4, Hex(0xE0ECFF), Hex(0x8A9AE0), Hex(0x10142A), Hex(0x10142A));
  TextStrip(c, Hex(0xD8D4E4), Hex(0x6A6A8A));
  return c;
}

void Firework(Canvas& c, int x, int y, int r, Rgb col, uint32_t seed) {
  for (int k = 0; k < 12; ++k) {
    double a = k * M_PI / 6 + Hash01(seed, k) * 0.2;
    for (int d = r / 3; d < r; d += 2)
      c.Put(x + static_cast<int>(std::cos(a) * d), y + static_cast<int>(std::sin(a) * d),
            d > r * 2 / 3 ? Scale(col, 1.4) : col);
  }
  c.Put(x, y, {255, 255, 255});
}

Canvas GameComplete() {
  Canvas c(320, 240);
  c.GradientV(0, 0, 320, 190, Hex(0x2A3C9A), Hex(0xFFB870), 12);
  // Rainbow arc.
  const Rgb bands[] = {Hex(0xE84A4A), Hex(0xF8A040), Hex(0xF8E060),
                       Hex(0x6AC85A), Hex(0x4A8AE0), Hex(0x8A5AC8)};
  for (int i = 0; i < 6; ++i) c.Ring(160, 200, 150 - i * 4, 120 - i * 4, 4, bands[i]);
  c.EraseRect(0, 190, 320, 50);
  Firework(c, 60, 40, 24, Hex(0xF8D040), 1);
  Firework(c, 262, 52, 20, Hex(0x8AE0FF), 2);
  Firework(c, 214, 24, 14, Hex(0xFF8AC8), 3);
  DrawHills(c, 176, 8, 120, 0.3, Hex(0x4A8A4A), Hex(0x7AC060), 190);
  DrawBigPlane(c, 118, 110, 1.3, kCream, Hex(0xC4CCE0), Hex(0x8E9AB8), kInkDark);
  DrawTrail(c, {20, 170}, {40, 120}, {80, 150}, {118, 128}, Hex(0xFFFFFF), 3);
  CenterHeadline(c, "WELL FLOWN!", 60, 4, Hex(0xFFF2A0), Hex(0xFF8A30), Hex(0x3A1E40),
                 Hex(0x24407A));
  CenterLabel(c, "ALL ROOMS CROSSED - THE GAME IS COMPLETE", 94, Hex(0xFFFFFF), Hex(0x24407A));
  TextStrip(c, Hex(0xFAF0D8), Hex(0xC89A50));
  return c;
}

Canvas SetComplete() {
  Canvas c(320, 240);
  // Sun-ray burst in two warm yellows.
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      double a = std::atan2(y - 120.0, x - 160.0);
      int ray = static_cast<int>(std::floor((a + M_PI) / (2 * M_PI) * 24));
      c.Put(x, y, ray % 2 ? Hex(0xFFD860) : Hex(0xFFC440));
    }
  c.Glow(160, 120, 120, Hex(0xFFF4C8), 0.8);
  // Ribbon banner.
  c.Poly({{30, 98}, {60, 98}, {60, 140}, {30, 140}, {42, 119}}, Hex(0xB8302A));
  c.Poly({{290, 98}, {260, 98}, {260, 140}, {290, 140}, {278, 119}}, Hex(0xB8302A));
  c.Rect(50, 90, 220, 44, Hex(0xE84A3A));
  c.HLine(50, 269, 91, Hex(0xFF8A70));
  c.HLine(50, 269, 132, Hex(0x9A2420));
  c.Rect(50, 89, 220, 1, kInkDark);
  c.Rect(50, 134, 220, 1, kInkDark);
  CenterHeadline(c, "LEVEL", 40, 3, Hex(0xFFFFFF), Hex(0xFFE6A8), Hex(0x8A2A18), Hex(0xC87A20));
  CenterHeadline(c, "COMPLETE!", 98, 4, Hex(0xFFFFFF), Hex(0xFFE0A0), Hex(0x5A1410), Hex(0x5A1410));
  // Stars.
  for (int i = 0; i < 5; ++i) {
    double cx = 100 + i * 30, cy = 160 + (i % 2 ? 0 : -6), r = i == 2 ? 13 : 10;
    std::vector<Pt> pts;
    for (int k = 0; k < 10; ++k) {
      double a = -M_PI / 2 + k * M_PI / 5, rr = k % 2 ? r * 0.45 : r;
      pts.push_back({cx + std::cos(a) * rr, cy + std::sin(a) * rr});
    }
    c.Poly(pts, Hex(0xFFFFFF));
  }
  for (int i = 0; i < 5; ++i) {
    double cx = 100 + i * 30, cy = 160 + (i % 2 ? 0 : -6), r = (i == 2 ? 13 : 10) - 2;
    std::vector<Pt> pts;
    for (int k = 0; k < 10; ++k) {
      double a = -M_PI / 2 + k * M_PI / 5, rr = k % 2 ? r * 0.45 : r;
      pts.push_back({cx + std::cos(a) * rr, cy + std::sin(a) * rr});
    }
    c.Poly(pts, Hex(0xF8A020));
  }
  CenterLabel(c, "ON TO THE NEXT WORLD", 190, Hex(0xFFFFFF), Hex(0x8A2A18));
  return c;
}

Canvas Pause() {
  Canvas c(180, 60);
  DrawPanel(c, 0, 0, 180, 60, 8, Hex(0x24407A), Hex(0x5A8ADC), Hex(0x10204A), kInkDark);
  CenterHeadline(c, "PAUSE", 10, 3, Hex(0xFFFFFF), Hex(0xB8D8FF), Hex(0x0E1E48), Hex(0x0E1E48), 90);
  CenterLabel(c, "PRESS TAB TO FLY ON", 42, Hex(0xFFE6A8), Hex(0x0E1E48), 90);
  return c;
}

}  // namespace

ImageList MakeScreens() {
  ImageList out;
  auto add = [&](const std::string& name, Canvas c, PngKind kind) {
    out.push_back({"gfx/" + name + ".png", std::move(c), kind});
  };
  add("splash", Splash(), PngKind::kOpaque);
  add("splash2", Splash2(), PngKind::kOpaque);
  add("menu", MenuSheet(), PngKind::kOpaque);
  add("omen", OptionSheet(), PngKind::kOpaque);
  add("options", Options(), PngKind::kOpaque);
  add("scores", Scores(), PngKind::kOpaque);
  add("high", HighOverlay(), PngKind::kKeyed);
  add("gameover", GameOver(), PngKind::kOpaque);
  add("gcomplete", GameComplete(), PngKind::kOpaque);
  add("complete", SetComplete(), PngKind::kOpaque);
  add("pause", Pause(), PngKind::kKeyed);
  add("menbg", MenuBackPanel(), PngKind::kKeyed);
  return out;
}

}  // namespace assetgen
