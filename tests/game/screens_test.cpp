#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "fake_io.h"
#include "game/screens.h"

namespace zelvo::testing {
namespace {

class ScreensTest : public GameTest {
 protected:
  // Runs screen until it changes the state or the frame budget is spent.
  template <typename Screen>
  void RunFor(int frames, Screen&& screen) {
    io.frameBudget = io.frames + frames;
    io.RunDue();
    try {
      screen();
    } catch (const StopGame&) {
    }
  }
  // Key held for one frame, from frame `at` on.
  void TapAt(int code, int at) { io.Hold(code, at, at + 1); }
};

TEST_F(ScreensTest, HoldingDownMovesTheMenuCursorOnceAndSoundsEveryFrame) {
  Game().gameState = kMenu;
  io.Hold(key::kDown, 0, 5);
  io.Hold(key::kDown, 6, 7);
  io.Hold(key::kReturn, 8, 9);
  RunFor(20, [] { RunMenu(); });
  // Two presses: entry 2, the hiscore view.
  EXPECT_EQ(Game().gameState, kHiscoreView);
  EXPECT_EQ(io.SoundCount(slot::kSoundCursor), 6);
  EXPECT_EQ(io.SoundCount(slot::kSoundConfirm), 1);
  EXPECT_EQ(io.music.back(), "stop");
}

TEST_F(ScreensTest, TheMenuCursorStopsAtTheLastEntry) {
  Game().gameState = kMenu;
  for (int i = 0; i < 5; ++i) io.Hold(key::kDown, 2 * i, 2 * i + 1);
  io.Hold(key::kX, 12, 13);
  RunFor(30, [] { RunMenu(); });
  EXPECT_EQ(Game().gameState, kQuit);
  EXPECT_EQ(io.SoundCount(slot::kSoundCursor), 5);
}

TEST_F(ScreensTest, TheMenuHoldsTheSecondSplashWhileTheConfirmSoundPlays) {
  Game().gameState = kMenu;
  io.soundPlays = true;  // a sound layer that never reports the end
  io.Hold(key::kDown, 0, 1);
  io.Hold(key::kReturn, 2, 3);
  RunFor(1000, [] { RunMenu(); });
  EXPECT_EQ(Game().gameState, kOptions);
  // The wait is capped and presents frames showing the picture.
  EXPECT_LE(io.frames, 3 + Game().confirmWaitFrames + 1);
}

TEST_F(ScreensTest, TabOnTheMenuOpensTheCreditsAndTabComesBack) {
  Game().gameState = kMenu;
  TapAt(key::kTab, 1);
  RunFor(10, [] { RunMenu(); });
  EXPECT_EQ(Game().gameState, kCredits);
  TapAt(key::kTab, io.frames + 1);
  RunFor(10, [] { RunCredits(); });
  EXPECT_EQ(Game().gameState, kMenu);
  EXPECT_EQ(io.SoundCount(slot::kSoundBack), 1);
}

TEST_F(ScreensTest, EachOptionsVisitCutsEightNewLabels) {
  for (int visit = 0; visit < 2; ++visit) {
    Game().gameState = kOptions;
    TapAt(key::kReturn, io.frames + 1);
    RunFor(10, [] { RunOptions(); });
    EXPECT_EQ(Game().gameState, kMenu);
  }
  EXPECT_EQ(Game().nextSpriteSlot, 71);
  // Only the last visit's labels are still held.
  for (int s = 55; s < 63; ++s) EXPECT_EQ(io.live.count(s), 0u);
  for (int s = 63; s < 71; ++s) EXPECT_EQ(io.live.count(s), 1u);
}

TEST_F(ScreensTest, EffectsStepByArrowsAndByXAndClampAtTwo) {
  Settings& s = Game().settings;
  Game().options.optionRow = 2;
  auto tap = [this](int code) {
    io.Press(code);
    HandleOptionKeys();
    io.Release(code);
    HandleOptionKeys();
  };
  tap(key::kRight);
  EXPECT_DOUBLE_EQ(s.effectsLevel, 1.81);
  tap(key::kX);
  EXPECT_DOUBLE_EQ(s.effectsLevel, 1.86);
  tap(key::kX);
  tap(key::kX);
  tap(key::kX);
  EXPECT_EQ(s.effectsLevel, 2);
  EXPECT_EQ(io.SoundCount(slot::kSoundDrip), 5);
  // A press on one row and a release on another changes nothing.
  io.Press(key::kS);
  HandleOptionKeys();
  Game().options.optionRow = 3;
  io.Release(key::kS);
  HandleOptionKeys();
  EXPECT_EQ(s.effectsLevel, 2);
  EXPECT_EQ(s.gameSpeed, 1);
  tap(key::kS);
  tap(key::kS);
  tap(key::kS);
  tap(key::kS);
  tap(key::kS);
  tap(key::kS);
  EXPECT_EQ(s.gameSpeed, 0.5);
}

TEST_F(ScreensTest, TheOptionBarsLagAFrameBehind) {
  Game().gameState = kOptions;
  Game().options.optionRow = 0;
  TapAt(key::kRight, 1);
  RunFor(4, [] { RunOptions(); });
  std::vector<Draw> rects;
  for (const Draw& d : io.lastFrame) {
    if (d.what == "rect" && d.b == 80) rects.push_back(d);
  }
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[1].c, 0.6 * 150);
  EXPECT_EQ(rects[1].colour, 150);
}

TEST_F(ScreensTest, GameOverLeadsToNameEntryFromTheLowestScoreUp) {
  Game().run.score = 95;  // equal to VESTRIN's 95
  Game().gameState = kGameOver;
  TapAt(key::kS, 2);
  RunFor(50, [] { RunGameOver(); });
  EXPECT_EQ(Game().gameState, kNameEntry);

  Game().run.score = 94;
  Game().gameState = kGameOver;
  TapAt(key::kReturn, io.frames + 2);
  RunFor(50, [] { RunGameOver(); });
  EXPECT_EQ(Game().gameState, kMenu);
}

TEST_F(ScreensTest, TheGameOverWaitKeepsPresentingFramesAndEnds) {
  io.soundPlays = true;
  Game().run.score = 1000;
  Game().run.playTime = 125;
  Game().run.roomIndex = 7;
  Game().gameState = kGameOver;
  TapAt(key::kX, 1);
  std::vector<std::string> texts;
  io.onFrame = [this, &texts] {
    if (io.frames == 50) texts = io.Texts(io.lastFrame);
  };
  RunFor(10000, [] { RunGameOver(); });
  EXPECT_EQ(Game().gameState, kNameEntry);
  EXPECT_LE(io.frames, Game().confirmWaitFrames + 4);
  EXPECT_GE(io.frames, Game().confirmWaitFrames);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "You reached 7 in 125s (2min)");
  EXPECT_EQ(texts[1], "Score: 1000");
}

TEST_F(ScreensTest, ANegativeScoreIsClampedBeforeTheEndScreens) {
  Game().run.score = -440;
  Game().gameState = kComplete;
  TapAt(key::kReturn, 2);
  RunFor(50, [] { RunGameComplete(); });
  EXPECT_EQ(Game().run.score, 0);
  EXPECT_EQ(Game().gameState, kMenu);
}

TEST_F(ScreensTest, TheDispatcherStopsTheMusicAndPicksTheScreensFont) {
  const std::string folder = ::testing::TempDir() + "zelvo_dispatch_" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  SetHiscoreLocations(folder + "/Hiscores.dat", folder + "/user");
  Game().gameState = kHiscoreView;
  TapAt(key::kTab, 1);
  RunFor(10, [] { DispatchOnce(); });
  EXPECT_EQ(io.selectedFont, 1);
  EXPECT_EQ(io.music.front(), "");
  EXPECT_EQ(Game().gameState, kMenu);
  Game().gameState = kQuit;
  RunFor(10, [] { DispatchOnce(); });
  EXPECT_TRUE(io.ended);
  SetHiscoreLocations("", "");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zelvo::testing
