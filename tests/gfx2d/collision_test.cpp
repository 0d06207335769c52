// Pixel-exact collision between sprites and between animation frames.
#include <climits>

#include "render_fixture.h"

namespace {

constexpr uint32_t kKey = 0x8000FF, kWhite = 0xFFFFFF;

TEST_F(Render2d, TouchingSpritesDoNotOverlapButOnePixelInDoes) {
  ASSERT_TRUE(LoadBmp(60, 8, 8, [](int, int) { return kWhite; }));
  EXPECT_FALSE(SpritesOverlap(60, 0, 0, 60, 8, 0));
  EXPECT_FALSE(SpritesOverlap(60, 0, 0, 60, 0, 8));
  EXPECT_TRUE(SpritesOverlap(60, 0, 0, 60, 7, 7));
  EXPECT_TRUE(SpritesOverlap(60, 0, 0, 60, -7, 3));
  EXPECT_FALSE(SpritesOverlap(60, 0, 0, 61, 0, 0));  // empty slot
  EXPECT_FALSE(SpritesOverlap(60, 0, 0, -1, 0, 0));
  EXPECT_FALSE(SpritesOverlap(60, 0, 0, 99999, 0, 0));
}

TEST_F(Render2d, ContactThroughTransparentPixelsIsNoOverlap) {
  // Left half keyed out; the right half is solid.
  ASSERT_TRUE(LoadBmp(62, 8, 8, [](int x, int) { return x < 4 ? kKey : kWhite; }));
  ASSERT_TRUE(LoadBmp(63, 4, 8, [](int, int) { return kWhite; }));
  EXPECT_FALSE(SpritesOverlap(62, 0, 0, 63, 0, 0));
  EXPECT_TRUE(SpritesOverlap(62, 0, 0, 63, 1, 0));
  // The bottom row only: rows are read the right way up.
  ASSERT_TRUE(LoadBmp(64, 8, 8, [](int, int y) { return y == 7 ? kWhite : kKey; }));
  EXPECT_TRUE(SpritesOverlap(64, 0, 0, 63, 4, 7));
  EXPECT_FALSE(SpritesOverlap(64, 0, 0, 63, 4, -1));
  // One pixel wide: mask rows of two bytes must not be padded to four.
  ASSERT_TRUE(LoadBmp(65, 1, 3, [](int, int y) { return y == 2 ? kWhite : kKey; }));
  EXPECT_TRUE(SpritesOverlap(65, 10, 10, 63, 10, 12));
  EXPECT_FALSE(SpritesOverlap(65, 10, 10, 63, 10, 4));
}

TEST_F(Render2d, AnimationFramesCollideWithTheirOwnPixels) {
  // Two 8 x 8 frames side by side: frame 0 solid, frame 1 empty.
  const std::string path = TempPath("frames.bmp");
  testimg::WriteBytes(path,
                      testimg::MakeBmp24(16, 8, [](int x, int) { return x < 8 ? kWhite : kKey; }));
  ASSERT_TRUE(AnimationFromFile(RtString(path.c_str()), 66, 8, 8));
  ASSERT_TRUE(LoadBmp(67, 2, 2, [](int, int) { return kWhite; }));
  EXPECT_TRUE(AnimationFramesOverlap(66, 0, 0, 0, 67, 0, 3, 3));
  EXPECT_FALSE(AnimationFramesOverlap(66, 1, 0, 0, 67, 0, 3, 3));
  // The frame box, not the image, bounds the test.
  EXPECT_FALSE(AnimationFramesOverlap(66, 0, 0, 0, 67, 0, 8, 0));
  // Frames past the image are transparent.
  EXPECT_FALSE(AnimationFramesOverlap(66, 5, 0, 0, 67, 0, 3, 3));
  EXPECT_FALSE(AnimationFramesOverlap(66, -1, 0, 0, 67, 0, 3, 3));
  // A freed slot keeps its frame size but collides with nothing.
  const std::string missing = TempPath("missing.bmp");
  EXPECT_FALSE(SpriteFromFile(RtString(missing.c_str()), 66));
  EXPECT_EQ(gfx2d::Gfx2d().sprites[66].frameWidth, 8);
  EXPECT_FALSE(AnimationFramesOverlap(66, 0, 0, 0, 67, 0, 3, 3));
}

TEST_F(Render2d, FrameNumbersAndPositionsNearTheIntLimitsFindNoFrame) {
  // Two solid 8 x 8 frames side by side.
  const std::string path = TempPath("two_frames.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(16, 8, [](int, int) { return kWhite; }));
  ASSERT_TRUE(AnimationFromFile(RtString(path.c_str()), 70, 8, 8));
  ASSERT_TRUE(LoadBmp(71, 2, 2, [](int, int) { return kWhite; }));
  // Row numbers of 2^28 and more times the frame height pass 2^31.
  for (const int frame : {1 << 29, (1 << 30) + 1, INT_MAX - 1, INT_MAX}) {
    EXPECT_FALSE(AnimationFramesOverlap(70, frame, 0, 0, 71, 0, 3, 3)) << frame;
    EXPECT_FALSE(AnimationFramesOverlap(71, 0, 3, 3, 70, frame, 0, 0)) << frame;
  }
  // A frame's offset taken from a position at the int limits.
  EXPECT_TRUE(AnimationFramesOverlap(70, 1, INT_MIN, 0, 71, 0, INT_MIN + 3, 3));
  EXPECT_TRUE(AnimationFramesOverlap(70, 1, INT_MAX - 8, 0, 71, 0, INT_MAX - 3, 3));
  EXPECT_FALSE(AnimationFramesOverlap(70, 1, INT_MIN, 0, 71, 0, INT_MAX - 3, 3));
}

TEST_F(Render2d, FrameNumbersNearTheIntLimitDrawNothing) {
  const std::string path = TempPath("two_frames.bmp");
  testimg::WriteBytes(path, testimg::MakeBmp24(16, 8, [](int, int) { return kWhite; }));
  ASSERT_TRUE(AnimationFromFile(RtString(path.c_str()), 72, 8, 8));
  // Frames wider than the image: every frame number is a column.
  ASSERT_TRUE(AnimationFromFile(RtString(path.c_str()), 73, 32767, 8));
  for (const int frame : {1 << 29, (1 << 30) + 1, INT_MAX - 1, INT_MAX}) {
    PutAnimationFrame(72, frame, 10, 10);
    PutAnimationFrameInRect(72, frame, 30, 10, 8, 8);
    PutAnimationFrameRotatedScaled(72, frame, 50, 10, 0, 1);
    PutAnimationFrame(73, frame, 70, 10);
  }
  const Box painted = PaintedBox(Screen());
  EXPECT_EQ(painted.right, -1) << "something drawn at " << painted.left << "," << painted.top;
}

TEST_F(Render2d, DrawingIntoASurfaceRefreshesItsCollisionMask) {
  ASSERT_TRUE(LoadBmp(68, 4, 4, [](int, int) { return kWhite; }));
  CreateOffscreenSurface(4, 69, 16, 16);
  EXPECT_FALSE(SpritesOverlap(69, 0, 0, 68, 0, 0));  // blank: reads the mask once
  SelectSurface(4);
  PutSprite(68, 0, 0);
  SelectSurface(-1);
  EXPECT_TRUE(SpritesOverlap(69, 0, 0, 68, 0, 0));
  EXPECT_FALSE(SpritesOverlap(69, 0, 0, 68, 4, 4));
}

}  // namespace
