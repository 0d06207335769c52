// Primitives and the draw area, reading pixels back, screen grabs,
// off-screen surfaces and picture files.
#include <cstdio>
#include <fstream>

#include "runtime/gfx2d/image_decode.h"

#include "render_fixture.h"

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr uint32_t kKey = 0x8000FF;

TEST_F(Render2d, PrimitivesHitExactPixels) {
  FillRect(10, 10, -5, 3, kRed);
  DrawLine(0, 50, 10, 50, kGreen);
  PlotPixel(100, 100, kBlue);
  FillRect(200, 200, 0, 10, kRed);  // zero width: nothing
  const auto s = Screen();
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool inRect = x >= 6 && x <= 10 && y >= 10 && y <= 12;
      const bool onLine = y == 50 && x <= 10;
      EXPECT_EQ(At(s, x, y), inRect ? kRed : onLine ? kGreen : 0u) << x << "," << y;
    }
  EXPECT_EQ(At(s, 100, 100), kBlue);
  EXPECT_EQ(At(s, 101, 100), 0u);
  EXPECT_EQ(PaintedBox(s).right, 100);
}

TEST_F(Render2d, RgbPacksAsTheScreenReadsAndTheSpriteKeyIsTheDefault) {
  static_assert(Rgb(1, 2, 3) == 0x030201);
  static_assert(colours::kSpriteKey == 0x8000FF);
  EXPECT_EQ(Rgb(-5, 300, 128), 0x80FF00);
  FillRect(0, 0, 4, 4, Rgb(200, 100, 50));
  FillRect(4, 0, 4, 4, colours::kOrange);
  auto s = Screen();
  EXPECT_EQ(At(s, 1, 1), 0x3264C8u);
  EXPECT_EQ(At(s, 5, 1), 0x00A0FFu);

  // A sprite painted on the named key colour shows only its figure.
  const std::string path = testenv::PrivateTempDir() + "/keyed.bmp";
  testimg::WriteBytes(path, testimg::MakeBmp24(8, 8, [](int x, int) {
                        return static_cast<uint32_t>(x < 4 ? colours::kSpriteKey : colours::kCyan);
                      }));
  ClearScreen();
  FillRect(0, 0, 40, 40, colours::kBlue);
  ASSERT_TRUE(SpriteFromFile(RtString(path.c_str()), 9));
  std::remove(path.c_str());
  SetBlendMode(-1);
  PutSprite(9, 10, 10);
  s = Screen();
  EXPECT_EQ(At(s, 11, 11), static_cast<uint32_t>(colours::kBlue));
  EXPECT_EQ(At(s, 16, 11), static_cast<uint32_t>(colours::kCyan));
}

TEST_F(Render2d, KeyColourPrimitivesVanishOnlyWhileBlending) {
  FillRect(0, 0, 40, 40, kBlue);
  SetBlendMode(-1);
  FillRect(0, 0, 10, 10, kKey);
  SetBlendMode(0);
  FillRect(20, 0, 10, 10, kKey);
  const auto s = Screen();
  EXPECT_EQ(At(s, 5, 5), kBlue);
  EXPECT_EQ(At(s, 25, 5), kKey);
  FillRect(0, 0, 1, 1, 8060992);
  EXPECT_EQ(ReadPixel(0, 0), 8060992);
  EXPECT_EQ(ReadPixel(-1, 0), 0);
  EXPECT_EQ(ReadPixel(0, Height()), 0);
}

TEST_F(Render2d, PrimitiveBeforeAnyBlendModeLeavesSpritesVisible) {
  // A fresh renderer has alpha 1, so the primitive's colour reset does not
  // leave a zero alpha behind for the alpha test.
  gfx2d::Gfx2d().currentAlpha = 1.0f;
  PlotPixel(0, 0, kRed);
  ASSERT_TRUE(LoadBmp(20, 4, 4, [](int, int) { return kGreen; }));
  PutSprite(20, 10, 10);
  EXPECT_EQ(At(Screen(), 11, 11), kGreen);
}

TEST_F(Render2d, DrawAreaMovesTheOriginAndClips) {
  SetDrawArea(10, 20, 100, 50);
  int x, y, w, h;
  DrawArea(x, y, w, h);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(w, 100);
  PlotPixel(0, 0, kRed);
  FillRect(90, 40, 50, 50, kGreen);
  SetDrawArea(0, 0, 0, 0);
  DrawArea(x, y, w, h);
  EXPECT_EQ(w, Width());
  EXPECT_EQ(h, Height());
  const auto s = Screen();
  EXPECT_EQ(At(s, 10, 20), kRed);
  const Box green = PaintedBox(s, 0);
  EXPECT_EQ(green.right, 109);
  EXPECT_EQ(green.bottom, 69);
  // ReadPixel counts from the target's corner, not the draw area's.
  EXPECT_EQ(ReadPixel(10, 20), static_cast<int>(kRed));
}

TEST_F(Render2d, GrabbedRectangleRedrawsExactly) {
  for (int i = 0; i < 16; ++i) FillRect(i * 8, 0, 8, 14, 0x102030 * (i + 1) & 0xFFFFFF);
  FillRect(3, 3, 2, 2, kKey);
  CopyScreenToSprite(30, 0, 0, 128, 14);
  const gfx2d::SpriteSlot& sprite = gfx2d::Gfx2d().sprites[30];
  EXPECT_EQ(sprite.paddedWidth, 128);
  EXPECT_EQ(sprite.paddedHeight, 32);
  EXPECT_EQ(sprite.width, 128);
  EXPECT_EQ(sprite.height, 14);
  const uint32_t texture = sprite.texture;
  FillRect(0, 100, 128, 14, kBlue);
  SetBlendMode(-1);
  PutSprite(30, 0, 100);
  SetBlendMode(0);
  const auto s = Screen();
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 128; ++x) {
      // The key pixels became transparent and show what lies below.
      const bool key = x >= 3 && x < 5 && y >= 3 && y < 5;
      ASSERT_EQ(At(s, x, 100 + y), key ? kBlue : At(s, x, y)) << x << "," << y;
    }
  CopyScreenToSprite(30, 0, 0, 128, 14);
  EXPECT_EQ(gfx2d::Gfx2d().sprites[30].texture, texture);
  CopyScreenToSprite(30, 0, 0, 0, 14);  // nothing to grab
  CopyScreenToSprite(-5, 0, 0, 8, 8);
  EXPECT_EQ(gfx2d::Gfx2d().sprites[30].width, 128);
}

TEST_F(Render2d, ScreenGrabIntoTheBackgroundRepaintsIt) {
  FillRect(0, 0, 160, 240, kRed);
  FillRect(160, 0, 160, 240, kGreen);
  CopyScreenToBackground();
  const gfx2d::BackgroundSlot& b = gfx2d::Gfx2d().backgrounds[0];
  EXPECT_EQ(b.columns, 1);
  EXPECT_EQ(b.rows, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Gfx2dFrame();
  const auto s = Screen();
  EXPECT_EQ(At(s, 0, 0), kRed);
  EXPECT_EQ(At(s, 159, 239), kRed);
  EXPECT_EQ(At(s, 160, 0), kGreen);
  EXPECT_EQ(At(s, 319, 239), kGreen);
}

TEST_F(Render2d, SurfaceDrawingLandsInItsSpriteAndLeavesTheScreenAlone) {
  ASSERT_TRUE(LoadBmp(40, 8, 8, [](int x, int) { return x < 4 ? kRed : kGreen; }));
  CreateOffscreenSurface(2, 41, 50, 30);
  const gfx2d::SurfaceSlot& surface = gfx2d::Gfx2d().surfaces[2];
  EXPECT_NE(surface.framebuffer, 0u);
  EXPECT_EQ(surface.width, 64);
  FillRect(0, 0, 10, 10, kBlue);  // on the screen
  SelectSurface(2);
  int x, y, w, h;
  DrawArea(x, y, w, h);
  EXPECT_EQ(w, 50);
  EXPECT_EQ(h, 30);
  PutSprite(40, 0, 0);
  PlotPixel(49, 29, kBlue);
  EXPECT_EQ(ReadPixel(0, 0), static_cast<int>(kRed));
  EXPECT_EQ(ReadPixel(49, 29), static_cast<int>(kBlue));
  EXPECT_EQ(ReadPixel(50, 0), 0);  // outside the sprite, inside the padding
  SelectSurface(32);               // ignored: still on the surface
  EXPECT_EQ(gfx2d::Gfx2d().currentSurface, 2);
  SelectSurface(7);  // never created: ignored
  EXPECT_EQ(gfx2d::Gfx2d().currentSurface, 2);
  SelectSurface(-1);
  auto s = Screen();
  EXPECT_EQ(At(s, 0, 0), kBlue);
  EXPECT_EQ(PaintedBox(s).right, 9);
  PutSprite(41, 100, 100);
  s = Screen();
  EXPECT_EQ(At(s, 100, 100), kRed);
  EXPECT_EQ(At(s, 105, 107), kGreen);
  EXPECT_EQ(At(s, 149, 129), kBlue);
  EXPECT_EQ(At(s, 100, 108), 0u);
  // Frame end returns drawing to the screen.
  SelectSurface(2);
  Gfx2dBeforePresent();
  EXPECT_EQ(gfx2d::Gfx2d().currentSurface, -1);
  CreateOffscreenSurface(40, 42, 10, 10);
  CreateOffscreenSurface(3, 42, 0, 10);
  EXPECT_FALSE(gfx2d::Gfx2d().surfaces[3].created);
}

TEST_F(Render2d, PicturesGoToBmpOrPngByName) {
  FillRect(0, 0, 10, 10, kRed);
  FillRect(10, 0, 10, 10, kKey);
  const std::string bmp = TempPath("shot.bmp");
  ASSERT_TRUE(ScreenToFile(RtString(bmp.c_str())));
  const std::string bytes = testenv::ReadFile(bmp);
  ASSERT_EQ(bytes.size(), 230454u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  // Read back through the sprite loader: the key pixels load transparent.
  ASSERT_TRUE(SpriteFromFile(RtString(bmp.c_str()), 50));
  int w, h;
  SpriteSize(50, w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  const std::string png = TempPath("shot.PNG");
  ASSERT_TRUE(ScreenToFile(RtString(png.c_str())));
  EXPECT_EQ(testenv::ReadFile(png).substr(1, 3), "PNG");
  ASSERT_TRUE(SpriteFromFile(RtString(png.c_str()), 51));
  for (int slot : {50, 51}) {
    glClear(GL_COLOR_BUFFER_BIT);
    FillRect(0, 0, 320, 20, kGreen);
    SetBlendMode(-1);
    PutSprite(slot, 0, 0);
    SetBlendMode(0);
    const auto s = Screen();
    EXPECT_EQ(At(s, 5, 5), kRed) << slot;
    EXPECT_EQ(At(s, 15, 5), kGreen) << slot;  // keyed in the BMP, alpha 0 in the PNG
    EXPECT_EQ(At(s, 15, 15), 0u) << slot;
  }

  // A sprite of odd width writes rows without read-back padding.
  ASSERT_TRUE(LoadBmp(52, 3, 2, [](int x, int y) { return x == 2 && y == 1 ? kBlue : kRed; }));
  const std::string small = TempPath("small.bmp");
  ASSERT_TRUE(SpriteToFile(RtString(small.c_str()), 52));
  gfx2d::ImageBuffer image;
  ASSERT_TRUE(gfx2d::LoadImageFile(small.c_str(), -1, image));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.Pixel(2, 1)[2], 255);
  EXPECT_EQ(image.Pixel(1, 1)[0], 255);

  // An empty slot or a "mem://" name writes nothing; the old file survives.
  EXPECT_FALSE(SpriteToFile(RtString(small.c_str()), 53));
  EXPECT_FALSE(ScreenToFile(RtString("mem://       8.              10")));
  EXPECT_FALSE(ScreenToFile(RtString(TempPath("no_dir/shot.bmp").c_str())));
  EXPECT_TRUE(gfx2d::LoadImageFile(small.c_str(), -1, image));
}

}  // namespace
