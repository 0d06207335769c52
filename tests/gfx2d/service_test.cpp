// Start-up and shutdown of the 2D renderer.
#include "render_fixture.h"

namespace {

TEST_F(Render2d, StartShowsLoadingInTheBuiltInFontCentred) {
  glClear(GL_COLOR_BUFFER_BIT);
  Gfx2dStart();
  const Box b = PaintedBox(Screen());
  // "Loading..." is 10 cells of 8 x 8 at (120, 116); glyphs and their
  // outline stay inside the cells.
  EXPECT_GE(b.left, 120);
  EXPECT_LE(b.right, 199);
  EXPECT_GE(b.top, 116);
  EXPECT_LE(b.bottom, 123);
  EXPECT_LT(b.left, 130);
  EXPECT_GT(b.right, 180);
  int gw, gh;
  FontGlyphSize(gw, gh);
  EXPECT_EQ(gw, 8);
}

TEST_F(Render2d, ShutdownReleasesEveryTextureAndSurface) {
  ASSERT_TRUE(LoadBmp(70, 8, 8, [](int, int) { return 0xFFFFFFu; }));
  EXPECT_TRUE(SpritesOverlap(70, 0, 0, 70, 0, 0));
  const uint32_t texture = SpriteTextureId(70);
  const uint32_t mip = gfx2d::Gfx2d().sprites[70].mipTexture;
  CreateOffscreenSurface(6, 71, 8, 8);
  SelectSurface(6);
  FillRect(0, 0, 8, 8, 0x00FF00);
  CopyScreenToBackground();
  const uint32_t tile = gfx2d::Gfx2d().backgrounds[0].tiles[0][0].texture;

  Gfx2dShutdown();
  EXPECT_EQ(gfx2d::Gfx2d().currentSurface, -1);
  EXPECT_FALSE(glIsTexture(texture));
  EXPECT_FALSE(glIsTexture(mip));
  EXPECT_FALSE(glIsTexture(tile));
  EXPECT_EQ(SpriteTextureId(70), 0u);
  EXPECT_EQ(gfx2d::Gfx2d().alphaMasks[70], nullptr);
  EXPECT_FALSE(gfx2d::Gfx2d().surfaces[6].created);
  EXPECT_EQ(gfx2d::Gfx2d().backgrounds[0].columns, 0);
  EXPECT_EQ(SpriteTextureId(gfx2d::kFirstFontSlot), 0u);

  // The renderer comes back up on the same context.
  Gfx2dStart();
  EXPECT_NE(SpriteTextureId(gfx2d::kFirstFontSlot), 0u);
}

}  // namespace
