#include <algorithm>

#include "fake_io.h"

namespace zelvo::testing {
namespace {

class PlayTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    StartRun();
  }
  bool HudShows(const std::string& fragment) {
    for (const std::string& t : io.Texts(io.lastFrame)) {
      if (t.find(fragment) != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(PlayTest, APaperPlaneSinksTwoPixelsAFrameToTheFloorInCalmAir) {
  EmptyRooms();
  run().planeX = 100;
  EXPECT_EQ(FramesUntil([&] { return run().crashed == 1; }), 88);
  EXPECT_EQ(run().planeY, 50 + 2 * 88);
}

TEST_F(PlayTest, ADowndraftBringsThePlaneDownInHalfTheTime) {
  EmptyRooms();
  AddWind(slot::kDowndraft, 0, 46, 1, 0);
  EXPECT_EQ(FramesUntil([&] { return run().crashed == 1; }), 44);
}

TEST_F(PlayTest, AnUpdraftLiftsThePlaneUpToTheCeiling) {
  EmptyRooms();
  AddWind(slot::kUpdraft, 0, 46, 0, 0);
  run().planeY = 120;
  Frame();
  EXPECT_EQ(run().planeY, 117);
  FramesUntil([&] { return false; }, 100);
  EXPECT_EQ(run().planeY, 50);
  EXPECT_EQ(run().windForce, 1);
}

TEST_F(PlayTest, TheCloudFormMovesSlowlyLeftAndHoldsItsHeight) {
  EmptyRooms();
  run().planeForm = 1;
  run().planeX = 100;
  run().planeY = 100;
  io.Press(key::kLeft);
  Frame();
  EXPECT_EQ(run().planeX, 99);
  EXPECT_EQ(run().planeFrame, 0);
  EXPECT_EQ(run().planeSprite, slot::kCloud);
  io.Release(key::kLeft);
  io.Press(key::kRight);
  Frame();
  EXPECT_EQ(run().planeX, 102);
  EXPECT_EQ(run().planeFrame, 2);
  EXPECT_EQ(run().planeY, 100);
}

TEST_F(PlayTest, TheFirstCollisionTestsUseThePlaneSprite) {
  // On the first run slot 0 holds the menu's cut; the plane must not be
  // tested as that picture.
  io.overlapTests.clear();
  Frame();
  ASSERT_FALSE(io.overlapTests.empty());
  for (int s : io.overlapTests) EXPECT_EQ(s, slot::kPlane);
}

TEST_F(PlayTest, LeavingARoomScoresByTheTimeSpentInIt) {
  EmptyRooms();
  run().roomIndex = 3;
  run().roomTime = 7;
  run().score = 100;
  run().planeX = 321;
  Frame();
  EXPECT_EQ(run().roomIndex, 4);
  EXPECT_EQ(run().score, 155);
  EXPECT_EQ(run().planeX, 0);
  EXPECT_EQ(run().scrollX, -317.5);
}

TEST_F(PlayTest, TheClockCountsWholeSecondsOutsideSlides) {
  EmptyRooms();
  AddWind(slot::kUpdraft, 0, 46, 0, 0);
  FramesUntil([] { return false; }, 130);
  EXPECT_EQ(run().playTime, 2);
  EXPECT_EQ(run().roomTime, 2);
}

TEST_F(PlayTest, ACrashCostsASparePlaneAndFiftyPoints) {
  EmptyRooms();
  run().planes = 2;
  run().score = 20;
  run().planeY = 226;
  run().planeX = 100;
  const int frames = FramesUntil([&] { return run().planeActive == 0; }, 100);
  EXPECT_EQ(frames, 34);
  EXPECT_EQ(run().planes, 1);
  EXPECT_EQ(run().planeY, 50);
  EXPECT_EQ(run().planeX, 0);
  // The display shows the score below zero for that frame only.
  EXPECT_TRUE(HudShows("Score:-30"));
  EXPECT_TRUE(HudShows("PRESS B"));
  Frame();
  EXPECT_TRUE(HudShows("Score:0"));
  EXPECT_GE(io.SoundCount(slot::kSoundCrash), 1);

  // At the prompt the plane waits; Up and Down choose its height.
  io.Press(key::kDown);
  Frame();
  EXPECT_EQ(run().planeY, 52);
  io.Release(key::kDown);
  io.Press(key::kX);
  Frame();
  EXPECT_EQ(run().planeActive, 1);
}

TEST_F(PlayTest, ACrashWithoutSparePlanesEndsTheRun) {
  EmptyRooms();
  run().planes = 0;
  run().planeY = 226;
  FramesUntil([] { return Game().gameState != kPlay; }, 40);
  EXPECT_EQ(Game().gameState, kGameOver);
  EXPECT_EQ(run().planes, 0);
}

TEST_F(PlayTest, EnteringANewLevelSetFadesThenSlidesTheRoomIn) {
  EmptyRooms();
  run().roomIndex = 10;
  run().planeX = 321;
  run().planeY = 100;
  ASSERT_EQ(Frame(), FrameEnd::kLevelSetDone);
  EXPECT_EQ(run().roomIndex, 11);
  io.music.clear();
  const int before = io.frames;
  ChangeLevelSet();
  // 1500 ms of fade at 60 frames a second, then the sign as background.
  EXPECT_NEAR(io.frames - before, 91, 1);
  EXPECT_EQ(io.background, "gfx/complete.png");
  EXPECT_EQ(io.SoundCount(slot::kSoundConfirm), 1);
  ASSERT_TRUE(StartLevelSet());
  EXPECT_EQ(io.music, (std::vector<std::string>{"stop", "sound/1.mp3 loop"}));

  const double time = run().playTime;
  int slideFrames = 0;
  while (run().scrollX < 0) {
    Frame();
    ++slideFrames;
    EXPECT_EQ(run().planeY, 100);
    EXPECT_EQ(run().planeX, 0);
  }
  EXPECT_EQ(slideFrames, 128);
  EXPECT_EQ(run().playTime, time);
  // The sign rides out with the room before.
  bool signDrawn = false;
  for (const Draw& d : io.lastFrame) signDrawn |= d.what == "sprite" && d.a == slot::kComplete;
  EXPECT_TRUE(signDrawn);
}

TEST_F(PlayTest, TheLastRoomCompletesTheGame) {
  EmptyRooms();
  run().roomIndex = 50;
  run().planeX = 321;
  run().roomTime = 200;
  ASSERT_EQ(Frame(), FrameEnd::kLevelSetDone);
  ChangeLevelSet();
  EXPECT_FALSE(StartLevelSet());
  EXPECT_EQ(Game().gameState, kComplete);
  // A long stay in the last room leaves the score below zero here; the
  // Game complete screen clamps it.
  EXPECT_LT(run().score, 0);
}

TEST_F(PlayTest, TabPausesAndResumes) {
  EmptyRooms();
  AddWind(slot::kUpdraft, 0, 46, 0, 0);
  io.Press(key::kTab);
  Frame();
  io.Release(key::kTab);
  Frame();
  EXPECT_EQ(run().frozen, 1);
  const double y = run().planeY;
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_EQ(run().planeY, y);
  bool signShown = false;
  for (const Draw& d : io.lastFrame) signShown |= d.what == "sprite" && d.a == slot::kPause;
  EXPECT_TRUE(signShown);
  io.Press(key::kTab);
  Frame();
  EXPECT_EQ(run().frozen, 1);
  io.Release(key::kTab);
  Frame();
  EXPECT_EQ(run().frozen, 0);
  EXPECT_EQ(io.SoundCount(slot::kSoundBack), 2);
}

TEST_F(PlayTest, TabDuringASlideDoesNotPause) {
  EmptyRooms();
  run().planeX = 321;
  run().planeY = 100;
  Frame();
  io.Press(key::kTab);
  for (int i = 0; i < 5; ++i) Frame();
  io.Release(key::kTab);
  while (run().scrollX < 0) Frame();
  Frame();
  EXPECT_EQ(run().frozen, 0);
  EXPECT_GT(run().planeY, 100);
}

TEST_F(PlayTest, BothShiftKeysGoBackToTheMenu) {
  io.Press(key::kLeftShift);
  io.Press(key::kRightShift);
  EXPECT_EQ(Frame(), FrameEnd::kScreenChanged);
  EXPECT_EQ(Game().gameState, kMenu);
}

TEST_F(PlayTest, TheVolumeBarRidesWithTheSlide) {
  EmptyRooms();
  run().planeX = 321;
  Frame();
  std::vector<Draw> bars;
  for (const Draw& d : io.lastFrame) {
    if (d.what == "rect") bars.push_back(d);
  }
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0].a, 280 + 317.5);
  EXPECT_EQ(bars[0].colour, kWhite);
  EXPECT_EQ(bars[1].c, 15);
  EXPECT_EQ(bars[1].colour, kBlue);
}

TEST(SecondsTimer, FiresOnWholeSecondsAndDropsTheRemainder) {
  FakeIo io;
  SetIo(&io);
  ResetSecondsTimers();
  int fired = 0;
  // Sixty frame times of 1000/60 ms add up to just under a second.
  for (int i = 0; i < 60; ++i) fired += SecondsTimer(0, 1);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(SecondsTimer(0, 1), 1);
  EXPECT_EQ(SecondsTimer(-1, 1), 0);
  for (int i = 0; i < 119; ++i) fired += SecondsTimer(5, 2);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(SecondsTimer(5, 2), 1);
  SetIo(nullptr);
}

}  // namespace
}  // namespace zelvo::testing
