// Contact sheets: every generated picture on one page, for eyeballing the art
// as a whole. They are a review aid written to the build tree only.
#include "contact.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "game/asset_manifest.h"
#include "game/course_layout.h"

#include "glyphs.h"

namespace assetgen {

namespace {

const Rgb kSheetBg = Hex(0x2A2A34);
const Rgb kCheckA = Hex(0x6A6A78), kCheckB = Hex(0x585866);

std::string BaseName(const std::string& path) {
  std::string s = path.substr(path.find('/') + 1);
  return s.substr(0, s.rfind('.'));
}

void Checker(Canvas& c, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) c.Put(x + i, y + j, ((i / 4 + j / 4) & 1) ? kCheckA : kCheckB);
}

void DrawImage(Canvas& c, const Image& img, int x, int y, int f) {
  for (int j = 0; j < img.h * f; ++j)
    for (int i = 0; i < img.w * f; ++i) {
      const uint8_t* p = &img.rgba[(static_cast<size_t>(j / f) * img.w + i / f) * 4];
      if (p[3]) c.Put(x + i, y + j, {p[0], p[1], p[2]});
    }
}

// Draws text with a font sheet the way the game does: fixed cells, colour key
// transparent.
void FontText(Canvas& c, const Image& font, const std::string& text, int x, int y) {
  int cw = font.w / 16, ch = font.h / 8;
  for (size_t k = 0; k < text.size(); ++k) {
    int code = static_cast<unsigned char>(text[k]) % 128;
    int sx = (code % 16) * cw, sy = (code / 16) * ch;
    for (int j = 0; j < ch; ++j)
      for (int i = 0; i < cw; ++i) {
        const uint8_t* p = &font.rgba[(static_cast<size_t>(sy + j) * font.w + sx + i) * 4];
        if (p[3]) c.Put(x + static_cast<int>(k) * cw + i, y + j, {p[0], p[1], p[2]});
      }
  }
}

}  // namespace

Canvas SpriteSheet(const std::vector<const SheetEntry*>& entries) {
  const int kWidth = 1500, kPad = 10, kFactor = 2;
  // Flow layout, tallest-first within the given order kept stable.
  struct Place {
    const SheetEntry* e;
    int x, y;
  };
  std::vector<Place> places;
  int x = kPad, y = kPad + 20, row_h = 0;
  auto size_text = [](const SheetEntry& e) {
    std::string size = std::to_string(e.image.w) + "X" + std::to_string(e.image.h);
    if (e.frame_w > 0)
      size += " (" + std::to_string(e.image.w / e.frame_w) + "@" + std::to_string(e.frame_w) + "X" +
              std::to_string(e.frame_h) + ")";
    return size;
  };
  for (const SheetEntry* e : entries) {
    int w = std::max(
        {e->image.w * kFactor, LabelWidth(BaseName(e->path)) + 2, LabelWidth(size_text(*e)) + 2});
    int h = e->image.h * kFactor + 24;
    if (x + w > kWidth - kPad) {
      x = kPad;
      y += row_h + kPad;
      row_h = 0;
    }
    places.push_back({e, x, y});
    x += w + kPad;
    row_h = std::max(row_h, h);
  }
  Canvas c(kWidth, y + row_h + kPad);
  c.Fill(kSheetBg);
  Label(c, "GENERATED IMAGES AT 2X  (CHECKER = TRANSPARENT)", kPad, 6, Hex(0xFFFFFF),
        Hex(0x000000));
  for (const Place& p : places) {
    const Image& img = p.e->image;
    Checker(c, p.x, p.y, img.w * kFactor, img.h * kFactor);
    DrawImage(c, img, p.x, p.y, kFactor);
    // Frame boundaries of animation strips.
    if (p.e->frame_w > 0)
      for (int k = 1; k < img.w / p.e->frame_w; ++k)
        c.VLine(p.x + k * p.e->frame_w * kFactor, p.y + img.h * kFactor, p.y + img.h * kFactor + 3,
                Hex(0xFFD040));
    std::string size = size_text(*p.e);
    Label(c, BaseName(p.e->path), p.x, p.y + img.h * kFactor + 3, Hex(0xFFFFFF), Hex(0x000000));
    Label(c, size, p.x, p.y + img.h * kFactor + 13, Hex(0xB8C8E0), Hex(0x000000));
  }
  return c;
}

Canvas RoomSheet(const std::vector<const SheetEntry*>& rooms, const Image& hud_font) {
  const int kCols = 4, kPad = 12, kCellW = 320 + kPad, kCellH = 240 + 24;
  int rows = (static_cast<int>(rooms.size()) + kCols - 1) / kCols;
  Canvas c(kCols * kCellW + kPad, rows * kCellH + kPad + 16);
  c.Fill(kSheetBg);
  Label(c, "ROOMS WITH A SAMPLE HEAD-UP DISPLAY", kPad, 6, Hex(0xFFFFFF), Hex(0x000000));
  for (size_t k = 0; k < rooms.size(); ++k) {
    int x = kPad + static_cast<int>(k % kCols) * kCellW;
    int y = kPad + 16 + static_cast<int>(k / kCols) * kCellH;
    DrawImage(c, rooms[k]->image, x, y, 1);
    // The display exactly as the play loop draws it.
    FontText(c, hud_font, "Level 23  Score:14520", x + 40, y + 9);
    FontText(c, hud_font, "Planes:4  Time:95s TimeL:8s", x + 40, y + 25);
    c.Rect(x + 280, y + 9, 30, 14, Hex(0xFFFFFF));
    c.Rect(x + 280, y + 9, 15, 14, Hex(0x0000FF));
    FontText(c, hud_font, "VOL", x + 285, y + 9);
    Label(c, rooms[k]->path, x, y + 243, Hex(0xFFFFFF), Hex(0x000000));
  }
  return c;
}

Canvas PlaySheet(const std::vector<SheetEntry>& all) {
  std::map<std::string, const SheetEntry*> by_name;
  for (const SheetEntry& e : all) by_name[e.path] = &e;
  auto image = [&](const std::string& name) -> const SheetEntry* {
    auto it = by_name.find("gfx/" + name + ".png");
    return it == by_name.end() ? nullptr : it->second;
  };
  // "level1/1" for gfx/level1/1.png.
  auto room_file = [](int k) {
    const std::string path = manifest::kRoomPictures[k];
    return path.substr(4, path.size() - 8);
  };
  // For each picture the busiest room that shows it (lit rooms only).
  int pick[17];
  size_t best[17] = {};
  for (int k = 0; k < 17; ++k) pick[k] = -1;
  for (int r = 0; r < 51; ++r) {
    std::string t = course::kRooms[r];
    if (t.find("schalter") != std::string::npos) continue;
    int k = course::kRoomImage[r];
    size_t n = std::count(t.begin(), t.end(), ';');
    if (pick[k] < 0 || n > best[k]) pick[k] = r, best[k] = n;
  }
  const int kCols = 3, kPad = 12, kCellW = 320 * 2 + kPad, kCellH = 240 * 2 + 24;
  Canvas c(kCols * kCellW + kPad, 6 * kCellH + kPad + 16);
  c.Fill(kSheetBg);
  Label(c, "ROOMS IN PLAY AT 2X (BUSIEST ROOM PER PICTURE, MOVING THINGS AT THEIR START)", kPad, 6,
        Hex(0xFFFFFF), Hex(0x000000));
  const SheetEntry* font = image("font/black");
  for (int k = 0; k < 17; ++k) {
    const SheetEntry* room = image(room_file(k));
    if (!room || pick[k] < 0) continue;
    Canvas view(320, 240);
    DrawImage(view, room->image, 0, 0, 1);
    std::stringstream ss(course::kRooms[pick[k]]);
    std::string item;
    auto put = [&](const SheetEntry* e, int x, int y) {
      if (!e) return;
      int w = e->frame_w ? e->frame_w : e->image.w, h = e->frame_h ? e->frame_h : e->image.h;
      for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
          const uint8_t* p = &e->image.rgba[(static_cast<size_t>(j) * e->image.w + i) * 4];
          if (p[3]) view.Put(x + i, y + j, {p[0], p[1], p[2]});
        }
    };
    while (std::getline(ss, item, ';')) {
      std::stringstream is(item);
      std::string name;
      is >> name;
      if (name == "up" || name == "down") {
        int x;
        is >> x;
        put(image(name), x, 46);
        continue;
      }
      if (name == "pickup") is >> name;
      double x, y;
      char sep;
      is >> x >> sep >> y;
      if (x >= 320) x -= 120;  // bring waiting meteors into view
      if (y >= 240) y -= 60;
      put(image(name), static_cast<int>(x), static_cast<int>(y));
    }
    put(image("planesprite"), 24, 60);
    if (font) {
      FontText(view, font->image, "Level " + std::to_string(pick[k]) + "  Score:2350", 40, 9);
      FontText(view, font->image, "Planes:3  Time:71s TimeL:4s", 40, 25);
    }
    view.Rect(280, 9, 30, 14, Hex(0xFFFFFF));
    view.Rect(280, 9, 15, 14, Hex(0x0000FF));
    if (font) FontText(view, font->image, "VOL", 285, 9);
    int x = kPad + (k % kCols) * kCellW, y = kPad + 16 + (k / kCols) * kCellH;
    c.BlitScaled(view, x, y, 2);
    Label(c, room_file(k) + "  ROOM " + std::to_string(pick[k]), x, y + 483, Hex(0xFFFFFF),
          Hex(0x000000));
  }
  return c;
}

namespace {

// Additive blend of a picture at `alpha`, as the game's blend mode > 0 does.
void AddImage(Canvas& c, const Image& img, int x, int y, double alpha, int sx = 0, int sy = 0,
              int w = -1, int h = -1) {
  if (w < 0) w = img.w;
  if (h < 0) h = img.h;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const uint8_t* p = &img.rgba[(static_cast<size_t>(sy + j) * img.w + sx + i) * 4];
      if (!p[3] || !c.Opaque(x + i, y + j)) continue;
      Rgb d = c.At(x + i, y + j);
      auto add = [alpha](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::min(255.0, a + b * alpha));
      };
      c.Put(x + i, y + j, {add(d.r, p[0]), add(d.g, p[1]), add(d.b, p[2])});
    }
}

void AddRect(Canvas& c, int x, int y, int w, int h, Rgb col) {
  Image one;
  one.w = 1;
  one.h = 1;
  one.rgba = {col.r, col.g, col.b, 255};
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) AddImage(c, one, x + i, y + j, 1.0);
}

void Region(Canvas& c, const Image& img, int sx, int sy, int w, int h, int dx, int dy) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const uint8_t* p = &img.rgba[(static_cast<size_t>(sy + j) * img.w + sx + i) * 4];
      if (p[3]) c.Put(dx + i, dy + j, {p[0], p[1], p[2]});
    }
}

}  // namespace

Canvas ScreensSheet(const std::vector<SheetEntry>& all) {
  std::map<std::string, const Image*> img;
  for (const SheetEntry& e : all) img[e.path] = &e.image;
  auto get = [&](const std::string& n) -> const Image& { return *img.at("gfx/" + n + ".png"); };
  std::vector<std::pair<std::string, Canvas>> shots;
  {  // menu, entry 1 selected
    Canvas v(320, 240);
    DrawImage(v, get("splash"), 0, 0, 1);
    AddImage(v, get("menbg"), 20, 130, 0.5);
    Region(v, get("menu"), 0, 80, 128, 80, 10, 140);
    Region(v, get("menu"), 0, 22, 128, 14, 10, 162);
    shots.emplace_back("MENU", std::move(v));
  }
  {  // options, row 2 selected
    Canvas v(320, 240);
    DrawImage(v, get("options"), 0, 0, 1);
    const double values[4] = {0.5, 0.35, 1.8, 1.0};
    const double scale[4] = {150, 150, 75, 100};
    for (int r = 0; r < 4; ++r) {
      int y = 80 + 30 * r, w = static_cast<int>(values[r] * scale[r]);
      Region(v, get("omen"), 0, 12 * (r == 2 ? r : r + 4), 50, 12, 30, y);
      v.Rect(90 + w, y, 150 - w, 12, Hex(0xFFFFFF));
      if (r == 2)
        AddRect(v, 90, y, w, 12, Hex(0x960000));
      else
        v.Rect(90, y, w, 12, Hex(0x000000));
      std::string num = r == 0 ? "0.5" : r == 1 ? "0.35" : r == 2 ? "1.8" : "1";
      FontText(v, get("font/black"), num, 245, y);
    }
    shots.emplace_back("OPTIONS", std::move(v));
  }
  {  // hiscore table, name entry on row 4
    Canvas v(320, 240);
    DrawImage(v, get("scores"), 0, 0, 1);
    AddRect(v, 30, 57, 265, 14, Hex(0xFF0000));
    DrawImage(v, get("high"), 0, 0, 1);
    const char* names[6] = {"BIXU", "NUMAS", "ZERAN", "A.......", "TORVIK", "GULAR"};
    const char* levels[6] = {"51", "21", "22", "13", "12", "1"};
    const char* scores[6] = {"143950", "27051", "4430", "200", "980", "150"};
    for (int k = 0; k < 6; ++k) {
      int y = 80 + 25 * k;
      AddRect(v, 30, y - 1, 265, 15, k == 3 ? Hex(0xFF0000) : Hex(0x0000FF));
      AddRect(v, 19, y - 1, 10, 15, Hex(0xFF0000));
      FontText(v, get("font/white"), std::to_string(k + 1), 21, y);
      std::string n = names[k];
      for (size_t i = 0; i < n.size(); ++i)
        FontText(v, get("font/white"), std::string(1, n[i]), 35 + 15 * static_cast<int>(i), y);
      std::string l = levels[k], s = scores[k];
      for (size_t i = 0; i < l.size(); ++i)
        FontText(v, get("font/white"), std::string(1, l[i]),
                 195 - 12 * static_cast<int>(l.size()) + 12 * static_cast<int>(i), y);
      for (size_t i = 0; i < s.size(); ++i)
        FontText(v, get("font/white"), std::string(1, s[i]),
                 295 - 12 * static_cast<int>(s.size()) + 12 * static_cast<int>(i), y);
    }
    FontText(v, get("font/white"), "_", 35, 5 * 25 - 3 * 25 + 82 - 25 * 0 + 0);
    shots.emplace_back("HISCORES", std::move(v));
  }
  {
    Canvas v(320, 240);
    DrawImage(v, get("gameover"), 0, 0, 1);
    FontText(v, get("font/black"), "You reached 23 in 412s (6min)", 30, 197);
    FontText(v, get("font/black"), "Score: 4810", 30, 213);
    shots.emplace_back("GAME OVER", std::move(v));
  }
  {
    Canvas v(320, 240);
    DrawImage(v, get("level2/3"), 0, 0, 1);
    DrawImage(v, get("pause"), 70, 90, 1);
    FontText(v, get("font/black"), "Level 12  Score:1290", 40, 9);
    FontText(v, get("font/black"), "Planes:4  Time:95s TimeL:8s", 40, 25);
    shots.emplace_back("PAUSE", std::move(v));
  }
  {  // credits on black
    Canvas v(320, 240);
    v.Fill(Hex(0x000000));
    const char* lines[6] = {"Design and code: our small team", "Built on our own game runtime",
                            "Pictures, fonts and lettering:",  "drawn by our asset generator",
                            "Music and sound: composed by",    "our own little synthesizer"};
    const int ys[6] = {50, 62, 86, 98, 122, 134};
    for (int k = 0; k < 6; ++k) FontText(v, get("font/credits"), lines[k], 10, ys[k]);
    shots.emplace_back("CREDITS", std::move(v));
  }
  const int kPad = 12, kCellW = 640 + kPad, kCellH = 480 + 24;
  Canvas c(3 * kCellW + kPad, 2 * kCellH + kPad + 16);
  c.Fill(kSheetBg);
  Label(c, "SCREENS AS THE GAME COMPOSES THEM, AT 2X", kPad, 6, Hex(0xFFFFFF), Hex(0x000000));
  for (size_t k = 0; k < shots.size(); ++k) {
    int x = kPad + static_cast<int>(k % 3) * kCellW,
        y = kPad + 16 + static_cast<int>(k / 3) * kCellH;
    c.BlitScaled(shots[k].second, x, y, 2);
    Label(c, shots[k].first, x, y + 483, Hex(0xFFFFFF), Hex(0x000000));
  }
  return c;
}

}  // namespace assetgen
