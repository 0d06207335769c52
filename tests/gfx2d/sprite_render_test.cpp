// Sprites on the logical screen, pixel by pixel where the rasteriser's rules
// make the answer exact, with tolerances where filtering or rotation may
// round differently.
#include <cmath>

#include "render_fixture.h"

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
constexpr uint32_t kKey = 0x8000FF;

int Channel(uint32_t colour, int shift) {
  return static_cast<int>(colour >> shift & 0xFF);
}

TEST_F(Render2d, KeyColouredPixelsStayInvisibleInEveryBlendMode) {
  ASSERT_TRUE(LoadBmp(1, 4, 4, [](int x, int y) { return x == 1 && y == 1 ? kKey : kRed; }));
  FillRect(0, 0, 100, 40, kBlue);
  for (double mode : {0.0, -1.0, 1.0}) {
    SetBlendMode(mode);
    PutSprite(1, 10 + static_cast<int>(mode + 1) * 10, 10);
  }
  const auto s = Screen();
  for (int x : {10, 20, 30}) {
    EXPECT_EQ(At(s, x + 1, 11), kBlue) << x;
    EXPECT_NE(At(s, x, 10), kBlue) << x;
  }
  EXPECT_EQ(At(s, 10, 10), kRed);  // opaque mode
  EXPECT_EQ(At(s, 20, 10), kRed);  // image alpha only
}

TEST_F(Render2d, BlendModesOpaqueTranslucentAndAdditive) {
  ASSERT_TRUE(LoadBmp(2, 8, 8, [](int, int) { return 0x204080u; }));
  FillRect(0, 0, 60, 20, 0x646464);
  SetBlendMode(0);
  PutSprite(2, 0, 0);
  SetBlendMode(-0.5);
  PutSprite(2, 20, 0);
  SetBlendMode(2);
  PutSprite(2, 40, 0);
  SetBlendMode(0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 4, 4), 0x204080u);
  const uint32_t half = At(s, 24, 4);
  EXPECT_NEAR(Channel(half, 0), (0x80 + 0x64) / 2, 2);
  EXPECT_NEAR(Channel(half, 8), (0x40 + 0x64) / 2, 2);
  EXPECT_NEAR(Channel(half, 16), (0x20 + 0x64) / 2, 2);
  EXPECT_EQ(At(s, 44, 4), 0x84A4E4u);  // added at full strength
}

TEST_F(Render2d, AlphaTestDropsWhatFadesToFivePercentOrLess) {
  ASSERT_TRUE(LoadBmp(3, 8, 8, [](int, int) { return kWhite; }));
  // The ghost blocks fade in steps of 0.05: at 0.05 they are gone, one step
  // up they show.
  SetBlendMode(-0.05);
  PutSprite(3, 0, 0);
  SetBlendMode(-0.1);
  PutSprite(3, 20, 0);
  ASSERT_TRUE(LoadRgbaPng(4, 8, 8, 0xFFFFFF0Cu));  // alpha 12/255 < 0.05
  SetBlendMode(-1);
  PutSprite(4, 40, 0);
  SetBlendMode(0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 4, 4), 0u);
  EXPECT_NE(At(s, 24, 4), 0u);
  EXPECT_EQ(At(s, 44, 4), 0u);
}

// A 4 x 2 sprite whose top-left pixel is red and the rest green.
void LoadCornerSprite(int slot) {
  ASSERT_TRUE(
      Render2d::LoadBmp(slot, 4, 2, [](int x, int y) { return x == 0 && y == 0 ? kRed : kGreen; }));
}

TEST_F(Render2d, NegativeRectSizesMirrorAndBothNegativeTurnHalfway) {
  LoadCornerSprite(5);
  SetSpriteFiltering(0);
  PutSpriteInRect(5, 10, 10, 4, 2);
  PutSpriteInRect(5, 30, 10, -4, 2);
  PutSpriteInRect(5, 50, 12, -4, -2);
  const auto s = Screen();
  EXPECT_EQ(At(s, 10, 10), kRed);
  EXPECT_EQ(At(s, 13, 11), kGreen);
  // Mirrored over (26, 10) to (30, 12): red at the top right.
  EXPECT_EQ(At(s, 29, 10), kRed);
  EXPECT_EQ(At(s, 26, 10), kGreen);
  EXPECT_EQ(At(s, 25, 10), 0u);
  EXPECT_EQ(At(s, 30, 10), 0u);
  // Turned 180 degrees over (46, 10) to (50, 12): red at the bottom right.
  EXPECT_EQ(At(s, 49, 11), kRed);
  EXPECT_EQ(At(s, 46, 10), kGreen);
  EXPECT_EQ(PaintedBox(s).bottom, 11);
}

TEST_F(Render2d, ScalingByTwoGrowsAboutTheCentre) {
  ASSERT_TRUE(LoadBmp(6, 10, 10, [](int, int) { return kWhite; }));
  PutSpriteScaled(6, 100, 100, 2, 2);
  const Box b = PaintedBox(Screen());
  EXPECT_EQ(b.left, 95);
  EXPECT_EQ(b.top, 95);
  EXPECT_EQ(b.right, 114);
  EXPECT_EQ(b.bottom, 114);
}

TEST_F(Render2d, RotationIsCounterClockwiseOnScreen) {
  // Right column red: after a quarter turn counter-clockwise it is on top.
  ASSERT_TRUE(LoadBmp(7, 16, 16, [](int x, int) { return x >= 12 ? kRed : kGreen; }));
  SetSpriteFiltering(0);
  PutSpriteRotated(7, 100, 100, 90);
  PutSpriteRotatedScaled(7, 150, 100, 0, 2);
  const auto s = Screen();
  EXPECT_EQ(At(s, 108, 101), kRed);
  EXPECT_EQ(At(s, 114, 108), kGreen);
  EXPECT_EQ(At(s, 108, 114), kGreen);
  // Unturned at twice the size: 32 x 32 around the same centre.
  const Box b = PaintedBox(s);
  EXPECT_NEAR(b.left, 100 - 1, 1);
  EXPECT_NEAR(b.right, 150 + 8 + 16 - 1, 1);
  EXPECT_EQ(At(s, 150 + 8 + 15, 108), kRed);
}

TEST_F(Render2d, AnimationFramesByColumnAndRow) {
  // 64 x 64 strip of 16 x 16 frames, frame k coloured k * 10 in red.
  const std::string path = TempPath("strip.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(64, 64, [](int x, int y) {
                        return static_cast<uint32_t>((y / 16 * 4 + x / 16) * 10 + 5);
                      }));
  ASSERT_TRUE(AnimationFromFile(RtString(path.c_str()), 8, 16, 16));
  SetSpriteFiltering(0);
  PutAnimationFrame(8, 5, 0, 0);
  PutAnimationFrameInRect(8, 6, 20, 0, 32, 32);
  PutAnimationFrameRotatedScaled(8, 15, 60, 0, 0, 1);
  PutAnimationFrame(8, 16, 100, 0);  // past the last frame: nothing
  PutAnimationFrame(8, -1, 120, 0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 0, 0), 55u);
  EXPECT_EQ(At(s, 15, 15), 55u);
  EXPECT_EQ(At(s, 16, 0), 0u);
  EXPECT_EQ(At(s, 36, 16), 65u);
  EXPECT_EQ(At(s, 68, 8), 155u);
  for (int x = 100; x < 140; ++x) EXPECT_EQ(At(s, x, 8), 0u) << x;
}

TEST_F(Render2d, EmptyAndOutOfRangeSlotsDrawNothing) {
  ASSERT_TRUE(LoadBmp(9, 8, 8, [](int, int) { return kWhite; }));
  const std::string missing = TempPath("no_such_file.bmp");
  EXPECT_FALSE(AnimationFromFile(RtString(missing.c_str()), 9, 4, 4));
  int w = -1, h = -1;
  SpriteSize(9, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(gfx2d::Gfx2d().sprites[9].frameWidth, 0);  // never set: the load failed
  PutSprite(9, 0, 0);
  PutAnimationFrame(9, 0, 0, 0);
  PutSprite(-1, 0, 0);
  PutSprite(70000, 0, 0);
  PutSpriteRotatedScaled(123456, 0, 0, 10, 2);
  EXPECT_EQ(PaintedBox(Screen()).right, -1);
}

TEST_F(Render2d, SlotSizesArePaddedToPowersOfTwo) {
  ASSERT_TRUE(LoadBmp(10, 100, 60, [](int, int) { return kWhite; }));
  const gfx2d::SpriteSlot& s = gfx2d::Gfx2d().sprites[10];
  EXPECT_EQ(s.paddedWidth, 128);
  EXPECT_EQ(s.paddedHeight, 64);
  double w = 0, h = 0;
  SpriteSize(10, w, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 60);
  EXPECT_NE(s.mipTexture, 0u);
  ASSERT_TRUE(LoadBmp(11, 1, 1, [](int, int) { return kWhite; }));
  EXPECT_EQ(gfx2d::Gfx2d().sprites[11].paddedWidth, 2);
  EXPECT_EQ(gfx2d::Gfx2d().sprites[11].paddedHeight, 2);
  EXPECT_NE(SpriteTextureId(11), 0u);
  EXPECT_EQ(SpriteTextureId(70000), 0u);
}

TEST_F(Render2d, TriangleFanTakesVertexColoursAndKeyAlpha) {
  SetBlendMode(-1);
  BeginTriangleFan(-1);
  AddFanVertex(10, 10, 0, 0, kRed);
  AddFanVertex(10, 50, 0, 0, kRed);
  AddFanVertex(50, 50, 0, 0, kRed);
  AddFanVertex(50, 10, 0, 0, static_cast<int>(kKey));
  EXPECT_EQ(gfx2d::Gfx2d().fanVertices[3 * 8 + 7], 0.0f);
  EXPECT_EQ(gfx2d::Gfx2d().fanVertices[0 * 8 + 7], 1.0f);
  EndTriangleFan();
  SetBlendMode(0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 12, 45), kRed);
  EXPECT_EQ(At(s, 60, 30), 0u);
}

TEST_F(Render2d, BackgroundLargerThanATileBecomesATileGrid) {
  const std::string path = TempPath("background.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(1000, 700, [](int x, int y) {
                        return x < 160 ? (y < 120 ? kRed : kGreen) : kBlue;
                      }));
  ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
  const gfx2d::BackgroundSlot& b = gfx2d::Gfx2d().backgrounds[0];
  EXPECT_EQ(b.columns, 2);
  EXPECT_EQ(b.rows, 2);
  EXPECT_EQ(b.tiles[1][1].usedWidth, 512);
  auto s = Screen();
  EXPECT_EQ(At(s, 0, 0), kRed);
  EXPECT_EQ(At(s, 0, 239), kGreen);
  EXPECT_EQ(At(s, 319, 0), kBlue);
  // The frame step repaints it behind the next frame...
  glClear(GL_COLOR_BUFFER_BIT);
  Gfx2dFrame();
  EXPECT_EQ(At(Screen(), 159, 119), kRed);
  // ...until ClearScreen drops it.
  ClearScreen();
  Gfx2dFrame();
  EXPECT_EQ(PaintedBox(Screen()).right, -1);
  EXPECT_FALSE(BackgroundFromFile(RtString(TempPath("missing.bmp").c_str())));
}

TEST_F(Render2d, BuiltInFontGlyphsAreEightPixelsAndThePenStartsAtTheCeiling) {
  SelectFont(0);
  int gw = 0, gh = 0;
  FontGlyphSize(gw, gh);
  EXPECT_EQ(gw, 8);
  EXPECT_EQ(gh, 8);
  DrawText(RtString("HELLO"), 11, 20);
  const auto atEleven = Screen();
  glClear(GL_COLOR_BUFFER_BIT);
  DrawText(RtString("HELLO"), 10, 20);
  const auto atTen = Screen();
  glClear(GL_COLOR_BUFFER_BIT);
  DrawText(RtString("HELLO"), 10.2, 20);
  DrawText(RtString("|||||"), 10.2, 40);
  DrawNumber(1.5, 100, 20);
  const auto s = Screen();
  // 10.2 starts where 11 does, not where 10 does.
  bool sameAsEleven = true, sameAsTen = true;
  for (int y = 20; y < 28; ++y)
    for (int x = 0; x < 60; ++x) {
      sameAsEleven &= At(s, x, y) == At(atEleven, x, y);
      sameAsTen &= At(s, x, y) == At(atTen, x, y);
    }
  EXPECT_TRUE(sameAsEleven);
  EXPECT_FALSE(sameAsTen);
  EXPECT_EQ(PaintedBox(s).top, 20);
  // Five cells of 8 pixels from 11: '|' fills cell columns 1-3 in the last cell.
  bool lastCell = false;
  for (int x = 11 + 32; x < 11 + 40; ++x) lastCell |= At(s, x, 44) != 0;
  EXPECT_TRUE(lastCell);
  for (int x = 11 + 40; x < 100; ++x) EXPECT_EQ(At(s, x, 44), 0u) << x;
  // White glyph pixels with the dark outline beside them.
  bool white = false, outline = false;
  for (int y = 20; y < 28; ++y)
    for (int x = 11; x < 19; ++x) {
      white |= At(s, x, y) == kWhite;
      outline |= At(s, x, y) == 0x080808u;
    }
  EXPECT_TRUE(white);
  EXPECT_TRUE(outline);
}

TEST_F(Render2d, LoadedFontsPickTheirLayoutFromTheImageShape) {
  // 128 x 256: 16 x 16 glyphs of 8 x 16, all 256 codes; code c is filled
  // with grey c.
  const std::string tall = TempPath("tall_font.bmp");
  testimg::WriteBytes(tall, testimg::MakeBmp24(128, 256, [](int x, int y) {
                        const uint32_t c = (y / 16) * 16 + x / 8;
                        return c | c << 8 | c << 16;
                      }));
  FontFromFile(RtString(tall.c_str()), 3);
  int gw = 0, gh = 0;
  FontGlyphSize(gw, gh);
  EXPECT_EQ(gw, 8);
  EXPECT_EQ(gh, 16);
  DrawText(RtString("\xC8"), 0, 0);  // code 200

  // 256 x 128: 16 x 8 glyphs of 16 x 16; code 200 draws as 72.
  const std::string wide = TempPath("wide_font.bmp");
  testimg::WriteBytes(wide, testimg::MakeBmp24(256, 128, [](int x, int y) {
                        const uint32_t c = (y / 16) * 16 + x / 16;
                        return c | c << 8 | c << 16;
                      }));
  FontFromFile(RtString(wide.c_str()), 4);
  DrawText(RtString("\xC8"), 20, 0);
  // A font that does not load falls back to the built-in one.
  FontFromFile(RtString(TempPath("missing_font.png").c_str()), 5);
  FontGlyphSize(gw, gh);
  EXPECT_EQ(gw, 8);
  EXPECT_EQ(gh, 8);
  SelectFont(40);
  EXPECT_EQ(gfx2d::Gfx2d().currentFont, 31);
  SelectFont(-3);
  EXPECT_EQ(gfx2d::Gfx2d().currentFont, 0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 4, 8), 200u * 0x010101u);
  EXPECT_EQ(At(s, 28, 8), 72u * 0x010101u);
}

}  // namespace

namespace {

TEST_F(Render2d, BackgroundWiderThanTheTileGridIsCutToIt) {
  // 8 tiles of 512 hold 4096 pixels; the rest is dropped, not written past
  // the grid.
  const std::string path = TempPath("very_wide.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(4700, 4, [](int x, int) {
                        return x < 4096 ? 0x00FF00u : 0x0000FFu;
                      }));
  ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
  const gfx2d::BackgroundSlot& b = gfx2d::Gfx2d().backgrounds[0];
  EXPECT_EQ(b.columns, 8);
  EXPECT_EQ(b.rows, 1);
  EXPECT_EQ(At(Screen(), 0, 0), 0x00FF00u);
  ClearScreen();
}

TEST_F(Render2d, NormalMapOfAFlatImagePointsStraightOut) {
  const std::string path = TempPath("flat_height.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(8, 8, [](int, int) { return 0x800000u; }));
  ASSERT_TRUE(NormalMapFromFile(RtString(path.c_str()), 12));
  SetSpriteFiltering(0);
  PutSprite(12, 0, 0);
  EXPECT_EQ(At(Screen(), 3, 3), 0xFF7F7Fu);  // red 127, green 127, blue 255
}

}  // namespace

namespace {

TEST_F(Render2d, ReloadingTheSlotBeingDrawnDrawsTheNewImage) {
  // The texture name of the old image is free again and usually comes back
  // for the new one; the draw must bind it afresh.
  ASSERT_TRUE(LoadBmp(13, 4, 4, [](int, int) { return 0x0000FFu; }));
  PutSprite(13, 0, 0);
  ASSERT_TRUE(LoadBmp(13, 4, 4, [](int, int) { return 0x00FF00u; }));
  PutSprite(13, 10, 0);
  CopyScreenToSprite(13, 0, 0, 4, 4);
  PutSprite(13, 20, 0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 1, 1), 0x0000FFu);
  EXPECT_EQ(At(s, 11, 1), 0x00FF00u);
  EXPECT_EQ(At(s, 21, 1), 0x0000FFu);
}

}  // namespace
