// A generated 4:3 movie played by libmpv into a 16:9 logical screen: the
// picture fills the height, centred, with black at both sides.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "runtime/audio/audio_state.h"
#include "runtime/frame/movies.h"
#include "runtime/frame/movies_internal.h"
#include "runtime/frame/renderer.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace {

// Wraps the real player and reads back the screen after every picture.
struct ReadBack : plat::MoviePlayer {
  std::unique_ptr<plat::MoviePlayer> inner;
  std::vector<uint8_t>* lastPicture;
  int* renders;
  bool Open(const std::string& p) override { return inner->Open(p); }
  bool VideoSize(int* w, int* h) override { return inner->VideoSize(w, h); }
  bool Play() override { return inner->Play(); }
  void Restart() override { inner->Restart(); }
  bool Ended() override { return inner->Ended(); }
  double PositionMs() override { return inner->PositionMs(); }
  void Render(uint32_t fbo, int w, int h, const plat::PixelRect& dest) override {
    inner->Render(fbo, w, h, dest);
    ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    lastPicture->assign(static_cast<size_t>(w * h * 3), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, lastPicture->data());
    ++*renders;
  }
};

// A 16:9 logical screen, started once for the process.
auto* WideEngine() {
  static bool started = false;
  if (!started) {
    started = true;
    testenv::PrivateTempDir();
    plat::SetMessageBoxRecorder([](plat::BoxIcon, const std::string&, const std::string&) {});
    ProjectSettings settings;
    settings.fullScreen = 0;
    settings.screenWidth = 320;
    settings.screenHeight = 180;
    SetProjectSettings(settings);
    EngineStart(nullptr, nullptr, "", 1, "Movie");
  }
  return g_engine.renderer;
}

class MovieRender : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(WideEngine(), nullptr);
    SetMoviePlayerFactory([this]() -> std::unique_ptr<plat::MoviePlayer> {
      auto player = plat::CreateMpvMoviePlayer();
      if (!player) return nullptr;
      auto wrap = std::make_unique<ReadBack>();
      wrap->inner = std::move(player);
      wrap->lastPicture = &picture;
      wrap->renders = &renders;
      return wrap;
    });
  }
  void TearDown() override {
    SetMoviePlayerFactory(nullptr);
    SetMovieInterruptCheck(nullptr);
  }
  std::vector<uint8_t> picture;
  int renders = 0;
};

TEST_F(MovieRender, AFourByThreeMovieFillsTheHeightOfAWideScreenCentred) {
  // A game's draw area (a scissor) and blending must neither clip the
  // movie nor be lost by it.
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 10, 10);
  glEnable(GL_BLEND);
  SetMovieInterruptCheck([&] { return renders >= 20; });
  EXPECT_EQ(PlayMovie(TEST_MOVIE, 0), 0);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[2], 10);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  ASSERT_GE(renders, 20);

  // Leftmost and rightmost columns holding anything but black.
  const int w = 320, h = 180;
  int left = w, right = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* px = &picture[static_cast<size_t>((y * w + x) * 3)];
      if (px[0] + px[1] + px[2] > 24) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  // 320 x 240 scaled by 0.75 is 240 x 180 at x = 40.
  EXPECT_NEAR(left, 40, 2);
  EXPECT_NEAR(right, 279, 2);
}

}  // namespace

namespace {

TEST_F(MovieRender, ASoundOnlyFileLeavesTheScreenAsItWas) {
  WideEngine();
  BindScreen();
  glClearColor(0.2f, 0.4f, 0.6f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  int checks = 0;
  SetMovieInterruptCheck([&] { return ++checks > 30; });
  EXPECT_EQ(PlayMovie(TEST_SOUND_ONLY_MOVIE, 0), 0);
  EXPECT_EQ(renders, 0);
  unsigned char px[4];
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
  glReadPixels(160, 90, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  BindScreen();
  EXPECT_NEAR(px[0], 51, 1);
  EXPECT_NEAR(px[1], 102, 1);
  EXPECT_NEAR(px[2], 153, 1);
}

}  // namespace
