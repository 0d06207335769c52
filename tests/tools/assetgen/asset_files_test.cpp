// The generated files as the game loads them: names, sizes, frame layout,
// transparency, font grids, sound formats and the music pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "asset_io.h"
#include "game/asset_manifest.h"

namespace assettest {
namespace {

std::string Gfx(const std::string& name) {
  return RunDir() + "/gfx/" + name;
}

Png Load(const std::string& path) {
  Png p;
  std::string err;
  EXPECT_TRUE(ReadPng(path, p, err)) << err;
  return p;
}

bool IsKey(const uint8_t* p) {
  return p[0] == 64 && p[1] == 0 && p[2] == 123;
}

double Luma(const uint8_t* p) {
  return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// Opaque pixels inside a rectangle of the picture.
int OpaqueIn(const Png& p, int x0, int y0, int w, int h) {
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) n += !p.Transparent(x, y);
  return n;
}

bool SameRegion(const Png& p, int ax, int ay, int bx, int by, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (std::memcmp(p.At(ax + x, ay + y), p.At(bx + x, by + y), 3)) return false;
  return true;
}

const char* const kFullScreen[] = {
    "splash.png",   "splash2.png",  "scores.png",   "options.png",  "gameover.png", "gcomplete.png",
    "complete.png", "menu.png",     "omen.png",     "high.png",     "level1/1.png", "level1/2.png",
    "level1/3.png", "level1/4.png", "level2/1.png", "level2/2.png", "level2/3.png", "level2/4.png",
    "level2/5.png", "level3/1.png", "level3/2.png", "level3/3.png", "level3/4.png", "level4/1.png",
    "level4/2.png", "level4/3.png", "level5/1.png"};

const char* const kSprites[] = {"tisch",
                                "regal",
                                "stachel",
                                "stachel1",
                                "stachel2",
                                "globus",
                                "tropfen",
                                "redplaneleft",
                                "redplaneright",
                                "schalter",
                                "schalter1",
                                "dummy",
                                "1up",
                                "up1",
                                "ring",
                                "wolkeitem",
                                "planeitem",
                                "planewolke",
                                "planet1",
                                "planet2",
                                "toonbrettgross",
                                "toonbrettklein",
                                "toonwuerfel",
                                "toonwuerfelklein",
                                "invibrett",
                                "inviwuerfelklein",
                                "inviwuerfelmittel",
                                "inviwuerfelgross",
                                "invivulkan",
                                "menbg",
                                "pause"};

struct Strip {
  std::string name;
  int frame_w, frame_h, frames;
};
// The animation strips as the game loads them.
std::vector<Strip> Strips() {
  std::vector<Strip> strips;
  for (const manifest::Picture& p : manifest::kLoadedSprites) {
    const std::string file = p.file;
    if (p.frames > 0)
      strips.push_back({file.substr(4, file.size() - 8), p.width, p.height, p.frames});
  }
  return strips;
}

TEST(GeneratedPictures, TheManifestNamesEveryStripTheGameAnimates) {
  std::set<std::string> names;
  for (const Strip& s : Strips()) names.insert(s.name);
  EXPECT_EQ(names, (std::set<std::string>{"explosion", "planesprite", "wolkeanim", "wexplosion",
                                          "up", "down", "quak", "meteor", "meteory"}));
}

TEST(GeneratedPictures, FullScreenPicturesAre320By240) {
  for (const char* name : kFullScreen) {
    Png p = Load(Gfx(name));
    EXPECT_EQ(p.w, 320) << name;
    EXPECT_EQ(p.h, 240) << name;
  }
}

TEST(GeneratedPictures, OpaquePicturesHaveNoKeyColouredHoles) {
  // Several of these are drawn as sprites with the colour key active; a key
  // coloured pixel would punch a hole through to what lies behind.
  for (const char* name : kFullScreen) {
    if (std::string(name) == "high.png") continue;  // the one overlay
    Png p = Load(Gfx(name));
    int holes = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) holes += p.Transparent(x, y) || IsKey(p.At(x, y));
    EXPECT_EQ(holes, 0) << name;
  }
}

TEST(GeneratedPictures, TransparencyIsAllOrNothing) {
  // Collision tests count any non-zero alpha as solid, so half-transparent
  // edges would be invisible walls.
  std::vector<std::string> all(std::begin(kSprites), std::end(kSprites));
  for (const Strip& s : Strips()) all.push_back(s.name);
  all.push_back("high");
  for (const std::string& name : all) {
    Png p = Load(Gfx(name + ".png"));
    EXPECT_EQ(p.bit_depth, 8) << name;
    EXPECT_TRUE(p.colour) << name;
    int partial = 0, opaque = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        uint8_t a = p.At(x, y)[3];
        partial += a != 0 && a != 255;
        opaque += !p.Transparent(x, y);
      }
    EXPECT_EQ(partial, 0) << name;
    EXPECT_GT(opaque, 0) << name << " is blank";
  }
}

TEST(GeneratedPictures, AnimationStripsHoldWholeFramesNoneBlank) {
  for (const Strip& s : Strips()) {
    Png p = Load(Gfx(s.name + ".png"));
    ASSERT_EQ(p.w, s.frame_w * s.frames) << s.name;
    ASSERT_EQ(p.h, s.frame_h) << s.name;
    for (int k = 0; k < s.frames; ++k)
      EXPECT_GT(OpaqueIn(p, k * s.frame_w, 0, s.frame_w, s.frame_h), 0) << s.name << " frame " << k;
    // Frames of a strip must differ, or the animation stands still.
    for (int k = 1; k < s.frames; ++k)
      EXPECT_FALSE(SameRegion(p, 0, 0, k * s.frame_w, 0, s.frame_w, s.frame_h))
          << s.name << " frame " << k << " repeats frame 0";
  }
}

TEST(GeneratedPictures, WindShapeLiftsAlongTheWholeColumn) {
  Png p = Load(Gfx("dummy.png"));
  ASSERT_EQ(p.w, 25);
  ASSERT_EQ(p.h, 194);
  // Wherever the plane is inside a column it must overlap the shape.
  for (int y = 0; y < p.h; ++y) EXPECT_GT(OpaqueIn(p, 0, y, 25, 1), 0) << "row " << y;
  for (int x = 0; x < p.w; ++x) EXPECT_GT(OpaqueIn(p, x, 0, 1, 194), 0) << "column " << x;
}

TEST(MenuSheets, HighlightedEntriesDifferFromThePlainBlock) {
  Png menu = Load(Gfx("menu.png"));
  for (int k = 0; k < 4; ++k)
    EXPECT_FALSE(SameRegion(menu, 0, 22 * k, 0, 80 + 22 * k, 128, 14)) << "entry " << k;
  // Each entry carries its own label.
  for (int k = 1; k < 4; ++k) EXPECT_FALSE(SameRegion(menu, 0, 0, 0, 22 * k, 128, 14));
  Png omen = Load(Gfx("omen.png"));
  for (int k = 0; k < 4; ++k) {
    EXPECT_FALSE(SameRegion(omen, 0, 12 * k, 0, 12 * (k + 4), 50, 12)) << "label " << k;
    if (k > 0) {
      EXPECT_FALSE(SameRegion(omen, 0, 0, 0, 12 * k, 50, 12)) << "label " << k;
    }
  }
}

// Standard deviation of brightness over a band of rows.
double RowSpread(const Png& p, int y0, int y1) {
  double sum = 0, sq = 0;
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < p.w; ++x) {
      double l = Luma(p.At(x, y));
      sum += l;
      sq += l * l;
      ++n;
    }
  double mean = sum / n;
  return std::sqrt(std::max(0.0, sq / n - mean * mean));
}

TEST(Rooms, DisplayBandStaysLightBehindTheDarkLettering) {
  // The head-up display prints dark letters at y 9 and 25 from x 40 on.
  for (const char* name : kFullScreen) {
    std::string n = name;
    if (n.rfind("level", 0) != 0) continue;
    Png p = Load(Gfx(name));
    double sum = 0;
    int count = 0;
    for (int y = 9; y < 37; ++y)
      for (int x = 40; x < 280; ++x, ++count) sum += Luma(p.At(x, y));
    EXPECT_GT(sum / count, 150) << name;
  }
}

TEST(EndScreens, BottomBandStaysCalmUnderThePrintedLines) {
  // The game prints two lines at y 197 and 213 on these pictures.
  for (const char* name : {"gameover.png", "gcomplete.png"}) {
    Png p = Load(Gfx(name));
    EXPECT_LT(RowSpread(p, 194, 240), 12.0) << name;
  }
}

TEST(Fonts, SixteenByEightGridsWithAGlyphForEveryPrintableCode) {
  struct F {
    const char* name;
    int max_w;
  } fonts[] = {{"black.png", 12}, {"white.png", 12}, {"credits.png", 12}};
  for (const F& f : fonts) {
    Png p = Load(Gfx(std::string("font/") + f.name));
    ASSERT_EQ(p.w % 16, 0) << f.name;
    ASSERT_EQ(p.h % 8, 0) << f.name;
    // Wider than high selects the 16 x 8 layout for codes 0-127.
    ASSERT_GE(p.w, p.h) << f.name;
    int cw = p.w / 16, ch = p.h / 8;
    EXPECT_LE(ch, 14) << f.name << ": display lines are 16 px apart";
    EXPECT_LE(cw, f.max_w) << f.name;
    for (int code = 32; code < 127; ++code) {
      int n = OpaqueIn(p, (code % 16) * cw, (code / 16) * ch, cw, ch);
      if (code == ' ') {
        EXPECT_EQ(n, 0) << f.name;
      } else {
        EXPECT_GT(n, 0) << f.name << " has no glyph for '" << static_cast<char>(code) << "'";
      }
    }
  }
}

TEST(Fonts, HudFontIsDarkWithALightOutline) {
  // The display is printed over every room, light and dark alike.
  Png p = Load(Gfx("font/black.png"));
  int cw = p.w / 16, ch = p.h / 8;
  for (int code = 33; code < 127; ++code) {
    int dark = 0, light = 0;
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) {
        int px = (code % 16) * cw + x, py = (code / 16) * ch + y;
        if (p.Transparent(px, py)) continue;
        double l = Luma(p.At(px, py));
        dark += l < 80;
        light += l > 200;
      }
    EXPECT_GT(dark, 0) << static_cast<char>(code);
    EXPECT_GT(light, dark) << static_cast<char>(code);
  }
}

TEST(Fonts, NoTwoCharactersShareAGlyph) {
  // A slip in a glyph table shows up as two codes drawn alike. The hiscore
  // font draws lower case as capitals, so only its other codes must differ.
  for (const char* name : {"black.png", "white.png", "credits.png"}) {
    Png p = Load(Gfx(std::string("font/") + name));
    int cw = p.w / 16, ch = p.h / 8;
    bool caps_only = std::string(name) == "white.png";
    for (int a = 33; a < 127; ++a)
      for (int b = a + 1; b < 127; ++b) {
        if (caps_only && ((a >= 'A' && a <= 'Z' && b == a + 32) || (b >= 'a' && b <= 'z')))
          continue;
        EXPECT_FALSE(
            SameRegion(p, (a % 16) * cw, (a / 16) * ch, (b % 16) * cw, (b / 16) * ch, cw, ch))
            << name << ": '" << static_cast<char>(a) << "' and '" << static_cast<char>(b)
            << "' look the same";
      }
  }
}

TEST(Fonts, HiscoreGlyphsFitTheTableColumns) {
  // Digits are placed 12 px apart and letters 15 apart; a wider glyph would
  // run into its neighbour.
  Png p = Load(Gfx("font/white.png"));
  EXPECT_LE(p.w / 16, 12);
}

struct Sfx {
  const char* name;
  double max_seconds;
};

TEST(SoundEffects, AreMono16BitPcmAt22050WithData) {
  const Sfx all[] = {{"paper", 1.0}, {"selection1", 0.3}, {"selection2", 0.8}, {"selection3", 0.5},
                     {"light", 0.3}, {"boing", 0.8},      {"waterdrop", 0.15}};
  for (const Sfx& s : all) {
    Wav w;
    std::string err;
    ASSERT_TRUE(ReadWav(RunDir() + "/sound/" + s.name + ".wav", w, err)) << err;
    EXPECT_EQ(w.format, 1) << s.name;
    EXPECT_EQ(w.channels, 1) << s.name;
    EXPECT_EQ(w.bits, 16) << s.name;
    EXPECT_EQ(w.rate, 22050u) << s.name;
    ASSERT_TRUE(w.has_data) << s.name;
    ASSERT_FALSE(w.samples.empty()) << s.name;
    EXPECT_LT(w.samples.size() / 22050.0, s.max_seconds) << s.name;
    int peak = 0;
    for (int16_t v : w.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 3000) << s.name << " is nearly silent";
    // An unstable filter shows up as one lone spike that normalisation then
    // turns into a click with silence around it: a real effect has body.
    size_t loud = std::count_if(w.samples.begin(), w.samples.end(), [peak](int16_t v) {
      return std::abs(static_cast<int>(v)) > peak / 4;
    });
    EXPECT_GT(loud, 110u) << s.name << " is a lone spike, not a sound";
    EXPECT_LT(std::abs(w.samples.back()), 300) << s.name << " ends on a click";
  }
}

TEST(SoundEffects, DripIsSoftBecauseItRepeatsEveryFrame) {
  Wav drip, paper;
  std::string err;
  ASSERT_TRUE(ReadWav(RunDir() + "/sound/waterdrop.wav", drip, err)) << err;
  ASSERT_TRUE(ReadWav(RunDir() + "/sound/paper.wav", paper, err)) << err;
  auto peak = [](const Wav& w) {
    int m = 0;
    for (int16_t v : w.samples) m = std::max(m, std::abs(static_cast<int>(v)));
    return m;
  };
  EXPECT_LT(peak(drip), peak(paper) / 2);
}

const char* const kPieces[] = {"menu.mp3", "0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3"};

TEST(Music, StagingFolderHoldsExactlyTheSixPieces) {
  std::set<std::string> found;
  for (const auto& e : std::filesystem::directory_iterator(MusicDir()))
    found.insert(e.path().filename().string());
  EXPECT_EQ(found, std::set<std::string>(std::begin(kPieces), std::end(kPieces)));
}

double Rms(const Mp3Info& m, size_t first_frame, size_t frames) {
  double sq = 0;
  size_t n = 0;
  for (size_t i = first_frame * m.channels;
       i < (first_frame + frames) * m.channels && i < m.pcm.size(); ++i, ++n)
    sq += static_cast<double>(m.pcm[i]) * m.pcm[i];
  return n ? std::sqrt(sq / n) : 0;
}

TEST(Music, EachPieceIsStereo44kOfFortyToNinetySecondsWithoutGapsAtTheLoop) {
  for (const char* name : kPieces) {
    Mp3Info m;
    std::string err;
    ASSERT_TRUE(DecodeMp3(MusicDir() + "/" + name, m, err)) << err;
    EXPECT_EQ(m.rate, 44100) << name;
    EXPECT_EQ(m.channels, 2) << name;
    double seconds = static_cast<double>(m.frames) / 44100;
    EXPECT_GE(seconds, 40.0) << name;
    EXPECT_LE(seconds, 90.0) << name;
    // The game restarts a piece when its length has run out; silence at
    // either end would be heard as a hole in the loop.
    const size_t half = 22050;
    EXPECT_GT(Rms(m, 0, half), 300) << name << " starts with silence";
    EXPECT_GT(Rms(m, m.frames - half, half), 300) << name << " ends with silence";
    int peak = 0;
    for (int16_t v : m.pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_LT(peak, 32767) << name << " clips";
    // An offset from zero thumps whenever a voice starts or stops and wastes
    // headroom.
    for (int ch = 0; ch < 2; ++ch) {
      double mean = 0;
      for (size_t i = ch; i < m.pcm.size(); i += 2) mean += m.pcm[i];
      mean /= static_cast<double>(m.frames);
      EXPECT_LT(std::abs(mean), 100) << name << " channel " << ch << " carries a DC offset";
    }
  }
}

}  // namespace
}  // namespace assettest
