// Loading the same picture again: prepared once, uploaded as often as it is
// loaded, and never confused with other contents under the same name.
#include "runtime/gfx2d/image_cache.h"
#include "render_fixture.h"

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00;

TEST_F(Render2d, ARewrittenFileLoadsItsNewContentsAtOnce) {
  // Same name, same size, written within the file system's time stamp
  // resolution: only the contents tell the two apart.
  const std::string path = TempPath("cache_rewrite.bmp");
  for (uint32_t colour : {kRed, kGreen, kRed}) {
    testimg::WriteBytes(path, testimg::MakeBmp24(8, 8, [colour](int, int) { return colour; }));
    ASSERT_TRUE(SpriteFromFile(RtString(path.c_str()), 7));
    PutSprite(7, 0, 0);
    EXPECT_EQ(At(Screen(), 3, 3), colour);
    ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
    EXPECT_EQ(At(Screen(), 3, 3), colour);
  }
}

TEST_F(Render2d, TheSameBackgroundAgainUploadsNothingUntilTheScreenIsCleared) {
  const std::string path = TempPath("cache_background.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(16, 16, [](int, int) { return kGreen; }));
  ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
  const uint32_t tile = gfx2d::Gfx2d().backgrounds[0].tiles[0][0].texture;
  ASSERT_NE(tile, 0u);
  FillRect(0, 0, 40, 40, kRed);
  ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
  EXPECT_EQ(gfx2d::Gfx2d().backgrounds[0].tiles[0][0].texture, tile);
  EXPECT_EQ(At(Screen(), 5, 5), kGreen);  // drawn again all the same

  // A grab into the slot makes it hold something else.
  CopyScreenToBackground();
  EXPECT_TRUE(gfx2d::Gfx2d().backgrounds[0].sourceKey.empty());
  ClearScreen();
  ASSERT_TRUE(BackgroundFromFile(RtString(path.c_str())));
  EXPECT_EQ(At(Screen(), 5, 5), kGreen);
  ClearScreen();
}

TEST_F(Render2d, PreloadingPreparesWithoutTouchingASlot) {
  gfx2d::ClearImageCache();
  const std::string path = TempPath("cache_preload.bmp");
  testimg::WriteBytes(
      path, testimg::MakeBmp24(32, 32, [](int x, int) { return x < 16 ? kRed : kGreen; }));
  PreloadSpriteFile(RtString("no/such/picture.png"));
  EXPECT_EQ(gfx2d::ImageCacheBytes(), 0u);
  PreloadSpriteFile(RtString(path.c_str()));
  PreloadBackgroundFile(RtString(path.c_str()));
  const size_t prepared = gfx2d::ImageCacheBytes();
  EXPECT_GT(prepared, 0u);
  EXPECT_EQ(gfx2d::Gfx2d().sprites[9].texture, 0u);

  ASSERT_TRUE(SpriteFromFile(RtString(path.c_str()), 9));
  EXPECT_EQ(gfx2d::ImageCacheBytes(), prepared);  // nothing prepared anew
  PutSprite(9, 0, 0);
  const auto s = Screen();
  EXPECT_EQ(At(s, 2, 2), kRed);
  EXPECT_EQ(At(s, 20, 2), kGreen);
  // The mipmapped copy came along too.
  EXPECT_NE(gfx2d::Gfx2d().sprites[9].mipTexture, 0u);
  SpriteFromFile(RtString(""), 9);
}

TEST(ImageCache, KeepsToItsBudgetDroppingTheLeastRecentlyUsed) {
  gfx2d::ClearImageCache();
  auto picture = [](size_t bytes) {
    auto image = std::make_shared<gfx2d::CachedImage>();
    image->parts.emplace_back();
    image->parts[0].padded.texels.assign(bytes, 0);
    return image;
  };
  const size_t eighth = gfx2d::kImageCacheBudget / 8;
  for (int i = 0; i < 8; ++i) gfx2d::KeepCachedImage("p" + std::to_string(i), picture(eighth));
  EXPECT_EQ(gfx2d::ImageCacheBytes(), 8 * eighth);
  ASSERT_NE(gfx2d::FindCachedImage("p0"), nullptr);  // now the most recent
  gfx2d::KeepCachedImage("p8", picture(eighth));
  EXPECT_LE(gfx2d::ImageCacheBytes(), gfx2d::kImageCacheBudget);
  EXPECT_NE(gfx2d::FindCachedImage("p0"), nullptr);
  EXPECT_EQ(gfx2d::FindCachedImage("p1"), nullptr);
  // One picture never takes the room of a game's worth of others.
  gfx2d::KeepCachedImage("huge", picture(gfx2d::kImageCacheBudget / 2));
  EXPECT_EQ(gfx2d::FindCachedImage("huge"), nullptr);
  // Keeping a key again replaces it without counting it twice.
  const size_t before = gfx2d::ImageCacheBytes();
  gfx2d::KeepCachedImage("p8", picture(eighth));
  EXPECT_EQ(gfx2d::ImageCacheBytes(), before);
  gfx2d::ClearImageCache();
  EXPECT_EQ(gfx2d::ImageCacheBytes(), 0u);
}

}  // namespace
