#include "runtime/frame/screen_fade.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/gfx2d/gfx2d_state.h"

namespace {

// Frames shown so far, read from the absolute schedule the wait keeps.
double FramesShown() {
  const FrameClock& c = FrameClockState();
  return c.nextFrameTime / c.msPerFrame;
}

class ScreenFade : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::SharedEngine();
    clock.Install();
    FrameClockState().nextFrameTime = clock.now;
  }
  testenv::FakeClock clock;
};

TEST_F(ScreenFade, AnUnresolvedNameShowsNoFrameAndLeavesTheScreen) {
  ClearScreen();
  FillRect(0, 0, 320, 240, 0x112233);
  const double before = FramesShown();
  FadeToImage(RtString("no/such/picture.png"));
  EXPECT_DOUBLE_EQ(FramesShown(), before);
  EXPECT_EQ(ReadPixel(5, 5), 0x112233);
}

TEST_F(ScreenFade, FadesForAboutNinetyFramesAndKeepsThePictureAsBackground) {
  const std::string picture = testenv::PrivateTempDir() + "/fade_target.bmp";
  ClearScreen();
  FillRect(0, 0, 320, 240, 0xC00000);
  ASSERT_TRUE(ScreenToFile(RtString(picture.c_str())));
  ClearScreen();
  FillRect(0, 0, 320, 240, 0x0000C0);
  EndFrame();

  const double before = FramesShown();
  FadeToImage(RtString(picture.c_str()));
  const double frames = FramesShown() - before;
  EXPECT_GE(frames, 88);
  EXPECT_LE(frames, 93);
  // The fade's own slots are gone; the picture starts every later frame.
  EXPECT_EQ(gfx2d::Gfx2d().backgrounds[1].tiles[0][0].texture, 0u);
  EXPECT_EQ(gfx2d::Gfx2d().backgrounds[2].tiles[0][0].texture, 0u);
  EndFrame();
  EXPECT_EQ(ReadPixel(160, 120), 0xC00000);
  ClearScreen();
}

}  // namespace
