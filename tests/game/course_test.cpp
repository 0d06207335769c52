#include <cmath>

#include "fake_io.h"
#include "game/course_layout.h"

namespace zelvo::testing {
namespace {

int CountIn(const NumberArray& field, double value) {
  int n = 0;
  for (int i = 0; i < field.DimSize(0); ++i) n += field.At(i) == value;
  return n;
}

class CourseTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    StartRun();
  }
  // Puts the run in room r with the plane out of everything's way.
  void EnterRoom(double r) {
    run().roomIndex = r;
    run().planeX = 300;
    run().planeY = 50;
  }
  // Index of the first obstacle of room r with the given sprite.
  int Obstacle(double r, double sprite) {
    const Course& c = TheCourse();
    for (int i = 0; i < c.obstacleRoom.DimSize(0); ++i) {
      if (c.obstacleRoom.At(i) == r && c.obstacleSprite.At(i) == sprite) return i;
    }
    return -1;
  }
  int Pickup(double r, double kind) {
    const Course& c = TheCourse();
    for (int i = 0; i < c.pickupRoom.DimSize(0); ++i) {
      if (c.pickupRoom.At(i) == r && c.pickupKind.At(i) == kind) return i;
    }
    return -1;
  }
};

TEST_F(CourseTest, TheLayoutBuildsEveryRecord) {
  const Course& c = TheCourse();
  EXPECT_EQ(c.roomImage.DimSize(0), 52);
  EXPECT_EQ(c.windRoom.DimSize(0), 117);
  EXPECT_EQ(CountIn(c.windDirection, 0), 99);
  EXPECT_EQ(CountIn(c.windDirection, 1), 18);
  EXPECT_EQ(c.obstacleRoom.DimSize(0), 282);
  EXPECT_EQ(c.pickupRoom.DimSize(0), 13);
  EXPECT_EQ(CountIn(c.obstacleMode, 2), 9);
  EXPECT_EQ(CountIn(c.obstacleSprite, slot::kMeteor), 28);
  EXPECT_EQ(CountIn(c.obstacleSprite, slot::kRisingMeteor), 10);
  // Room 43 in the order its records were added.
  std::vector<double> sprites, modes;
  for (int i = 0; i < c.obstacleRoom.DimSize(0); ++i) {
    if (c.obstacleRoom.At(i) != 43) continue;
    sprites.push_back(c.obstacleSprite.At(i));
    modes.push_back(c.obstacleMode.At(i));
  }
  EXPECT_EQ(sprites, (std::vector<double>{38, 38, 39, 39, 38, 39}));
  EXPECT_EQ(modes, (std::vector<double>{2, 2, 0, 1, 2, 0}));
  // Room images come from the first run's block of 17 slots.
  EXPECT_EQ(c.roomImage.At(0), c.levelImages.At(0));
  EXPECT_EQ(c.roomImage.At(12), c.levelImages.At(6));
  EXPECT_EQ(c.levelImages.At(0), 55);
  EXPECT_EQ(Game().nextSpriteSlot, 72);
}

TEST(CourseLayout, RejectsItemsOfNoKnownForm) {
  std::vector<LayoutEntry> entries;
  std::string error;
  EXPECT_TRUE(ParseRoomLayout("up 20; regal 90,80 s2.5 m0; pickup 1up 80,50 k0", entries, &error));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].speed, 2.5);
  EXPECT_EQ(entries[2].pickupKind, 0);
  EXPECT_TRUE(ParseRoomLayout("", entries, &error));
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(ParseRoomLayout("up 20; sofa 1,2 s0 m0", entries, &error));
  EXPECT_EQ(error, "sofa 1,2 s0 m0");
  EXPECT_FALSE(ParseRoomLayout("regal 90;80 s0 m0", entries, &error));
  EXPECT_FALSE(ParseRoomLayout("up x", entries, &error));
}

TEST_F(CourseTest, LaterRunsGiveTheirRoomPicturesBack) {
  for (int i = 0; i < 200; ++i) ResetRun();
  // 17 room pictures alive, however many runs there were.
  int roomPictures = 0;
  for (int s : io.live) roomPictures += s >= slot::kFirstCounted;
  EXPECT_EQ(roomPictures, 17);
}

TEST_F(CourseTest, ADropFallsFromTheCeilingAndDripsOnce) {
  EnterRoom(8);
  const int drop = Obstacle(8, slot::kDrop);
  ASSERT_GE(drop, 0);
  io.sounds.clear();
  Frame();
  EXPECT_EQ(TheCourse().obstacleY.At(drop), 48);
  EXPECT_EQ(io.SoundCount(slot::kSoundDrip), 1);
  for (int i = 0; i < 127; ++i) Frame();
  // 302 reached in the 128th frame puts it back under the ceiling.
  EXPECT_EQ(TheCourse().obstacleY.At(drop), 46);
  EXPECT_EQ(io.SoundCount(slot::kSoundDrip), 1);
}

TEST_F(CourseTest, AMeteorCrossesTheRoomIn201Frames) {
  EnterRoom(22);
  run().planeX = 0;
  const int meteor = Obstacle(22, slot::kMeteor);
  ASSERT_EQ(TheCourse().obstacleSpeed.At(meteor), 2);
  int frames = 0;
  double x = 360;
  while (x <= 358 || frames == 0) {
    run().planeY = 50;
    run().crashed = 0;
    PlayFrame();
    io.EndFrame();
    x = TheCourse().obstacleX.At(meteor);
    ++frames;
    if (frames > 300) break;
  }
  EXPECT_EQ(frames, 201);
  EXPECT_EQ(x, 360);
  EXPECT_EQ(TheCourse().obstacleY.At(meteor), 50);
}

TEST_F(CourseTest, GhostsAreHarmlessWhileTheyGlow) {
  EmptyRooms();
  AddObstacle(42, 100, 100, 1, 1, 0);
  run().planeX = 100;
  run().planeY = 100;
  Objects().ghostAlpha = 0.05;
  ObstaclePass();
  EXPECT_EQ(run().crashed, 0);
  Objects().ghostAlpha = 0;
  ObstaclePass();
  EXPECT_EQ(run().crashed, 1);
}

TEST_F(CourseTest, TheGhostCycleGlowsHoldsSolidThenFades) {
  // Frames at which the blocks turn solid, and how long each hold lasts.
  std::vector<int> holdStarts, holdLengths;
  for (int frame = 0; frame < 800; ++frame) {
    const bool wasHolding = Objects().ghostHolding == 1;
    GhostCycle();
    if (Objects().ghostHolding == 1) {
      EXPECT_EQ(Objects().ghostAlpha, 0);
      if (!wasHolding) {
        holdStarts.push_back(frame);
        holdLengths.push_back(0);
      }
      ++holdLengths.back();
    } else if (frame > 60) {
      // Out of the hold they glow, never fainter than 0.1.
      EXPECT_GE(Objects().ghostAlpha, 0.1 - 1e-9) << frame;
    }
  }
  ASSERT_GE(holdStarts.size(), 2u);
  EXPECT_NEAR(holdStarts[0], 60, 3);
  EXPECT_EQ(holdLengths[0], 200);
  // Full glow, a fade to 0.1 and a rise back: about 110 frames between holds.
  EXPECT_NEAR(holdStarts[1] - holdStarts[0] - holdLengths[0], 110, 6);
}

TEST_F(CourseTest, TheSwitchLightsItsRoomForTheRestOfTheRun) {
  EnterRoom(8);
  auto blackedOut = [this] {
    for (const Draw& d : io.lastFrame) {
      if (d.what == "rect" && d.colour == 0 && d.c == 320) return true;
    }
    return false;
  };
  Frame();
  EXPECT_TRUE(blackedOut());
  const int sw = Pickup(8, 3);
  run().planeX = 65;
  run().planeY = 170;
  run().planeActive = 0;  // holds the plane still at the switch
  Frame();
  EXPECT_EQ(TheCourse().pickupTaken.At(sw), 1);
  EXPECT_EQ(TheCourse().pickupSprite.At(sw), slot::kSwitchOff + 1);
  EXPECT_EQ(io.SoundCount(slot::kSoundLight), 1);
  Frame();
  EXPECT_FALSE(blackedOut());
  // A crash and a new plane leave the light on.
  run().planeX = 300;
  run().planeY = 226;
  run().planeActive = 1;
  FramesUntil([&] { return run().planeActive == 0; }, 50);
  Frame();
  EXPECT_FALSE(blackedOut());
}

TEST_F(CourseTest, ASecondCloudIsIgnoredAndASparePlaneRestoresPaperForm) {
  EmptyRooms();
  AddPickup(32, 100, 100, 0, 1, 0);
  AddPickup(32, 200, 100, 0, 1, 0);
  AddPickup(29, 150, 150, 0, 0, 0);
  run().planeX = 100;
  run().planeY = 100;
  PickupPass();
  EXPECT_EQ(run().planeForm, 1);
  EXPECT_EQ(run().score, 100);
  run().planeSprite = slot::kCloud;
  run().planeX = 200;
  PickupPass();
  EXPECT_EQ(TheCourse().pickupTaken.At(1), 0);
  EXPECT_EQ(run().score, 100);
  run().planeX = 150;
  run().planeY = 150;
  const double planes = run().planes;
  PickupPass();
  EXPECT_EQ(run().planeForm, 0);
  EXPECT_EQ(run().planes, planes + 1);
  EXPECT_EQ(run().score, 150);
}

TEST_F(CourseTest, BoardsMoveAsOneAndEachAddsToTheirPace) {
  // One board: its cycle starts after its counter passes 200.
  EmptyRooms();
  AddObstacle(38, 30, 130, 1, 2, 0);
  run().planeX = 300;
  auto framesToMove = [this] {
    int n = 0;
    while (Objects().boardMoving == 0 && n < 1000) {
      ObstaclePass();
      ++n;
    }
    return n;
  };
  const int single = framesToMove();
  Objects() = ObjectState();
  EmptyRooms();
  AddObstacle(38, 30, 130, 1, 2, 0);
  AddObstacle(38, 110, 130, 1, 2, 0);
  AddObstacle(38, 200, 140, 1, 2, 0);
  const int triple = framesToMove();
  EXPECT_NEAR(single, 3 * triple, 3);
  for (int i = 0; i < 30; ++i) ObstaclePass();
  const Course& c = TheCourse();
  // Each record takes the height before its own step of the shared angle.
  EXPECT_NEAR(c.obstacleY.At(0), c.obstacleY.At(1), 1.0);
  EXPECT_NEAR(c.obstacleY.At(1), c.obstacleY.At(2), 1.0);
  EXPECT_LT(c.obstacleY.At(0), 130);
}

TEST_F(CourseTest, TheJumperLeapsAfterItsCounterRunsOut) {
  EmptyRooms();
  AddObstacle(slot::kJumper, 175, 195, 3, 0, 0);
  run().planeX = 0;
  int frames = 0;
  while (Objects().jumping == 0 && frames < 1000) {
    ObstaclePass();
    ++frames;
  }
  // Speed 3 plus GameSpeed 1 a frame passes 500 after 126 frames.
  EXPECT_EQ(frames, 126);
  EXPECT_EQ(io.SoundCount(slot::kSoundBoing), 1);
  double highest = 195;
  while (Objects().jumping == 1) {
    ObstaclePass();
    highest = std::min(highest, TheCourse().obstacleY.At(0));
  }
  EXPECT_NEAR(highest, 95, 0.1);
  EXPECT_EQ(Objects().jumpFrame, 0);
}

}  // namespace
}  // namespace zelvo::testing
