// The solver's driver on the real game and runtime: a saved state put back
// must play on exactly as it did, objects and all, and a way the search
// finds must replay to the place it claims.
#include <unistd.h>

#include "engine_fixture.h"
#include "game/course.h"
#include "game/zelvo.h"
#include "tools/coursesolver/course_search.h"
#include "tools/coursesolver/game_driver.h"

namespace coursesolver {
namespace {

class GameDriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testenv::SharedEngine();
    ASSERT_EQ(chdir(GAME_RUN_DIR), 0);
  }
  GameDriverTest() : driver_(testenv::PrivateTempDir()) {}

  // Every moving obstacle's position, in course order.
  static std::vector<double> ObstaclePlaces() {
    zelvo::Course& c = zelvo::TheCourse();
    std::vector<double> places;
    for (int i = 0; i < c.obstacleX.DimSize(0); ++i) {
      places.push_back(::NumberArrayAt(c.obstacleX, i));
      places.push_back(::NumberArrayAt(c.obstacleY, i));
    }
    return places;
  }

  GameDriver driver_;
};

// A key pattern that wanders without being random, so failures repeat.
unsigned KeysAt(int step) {
  static constexpr unsigned kPattern[] = {
      kRightBit, kRightBit | kUpBit, 0, kLeftBit | kDownBit, kUpBit, kRightBit, kDownBit};
  return kPattern[(step / 7) % 7];
}

TEST_F(GameDriverTest, APutBackStatePlaysOnExactlyAsBefore) {
  const auto menuKeys = driver_.NewGame();
  ASSERT_FALSE(menuKeys.empty());
  const PlaneView first = driver_.View();
  EXPECT_EQ(first.screen, zelvo::kPlay);
  EXPECT_EQ(first.room, 0);
  EXPECT_GT(first.frame, menuKeys.begin()->first);

  // A room where drops, meteors, boards and ghosts all move, flown as a
  // cloud so the plane stays up a while.
  zelvo::Game().run.roomIndex = 47;
  zelvo::Game().run.planeForm = 1;
  zelvo::Game().run.planeY = 120;
  for (int step = 0; step < 60; ++step) driver_.Step(KeysAt(step));
  const auto saved = driver_.Save();
  const std::vector<double> placesAtSave = ObstaclePlaces();

  std::vector<PlaneView> firstPass;
  for (int step = 60; step < 400; ++step) {
    driver_.Step(KeysAt(step));
    firstPass.push_back(driver_.View());
  }
  const std::vector<double> placesAfter = ObstaclePlaces();
  ASSERT_NE(placesAfter, placesAtSave) << "nothing moved; the test shows nothing";

  driver_.Restore(*saved);
  EXPECT_EQ(ObstaclePlaces(), placesAtSave);
  for (int step = 60; step < 400; ++step) {
    driver_.Step(KeysAt(step));
    const PlaneView v = driver_.View();
    const PlaneView& w = firstPass[step - 60];
    ASSERT_EQ(v.frame, w.frame) << step;
    ASSERT_EQ(v.x, w.x) << step;
    ASSERT_EQ(v.y, w.y) << step;
    ASSERT_EQ(v.crashed, w.crashed) << step;
    ASSERT_EQ(v.score, w.score) << step;
    ASSERT_EQ(v.room, w.room) << step;
  }
  EXPECT_EQ(ObstaclePlaces(), placesAfter);
}

TEST_F(GameDriverTest, AWayOutOfTheFirstRoomReplaysToWhereTheSearchSaidItLeads) {
  driver_.NewGame();
  const auto start = driver_.Save();
  // Coarse cells and few ways out keep this quick under the sanitizers;
  // the path back through the layers is what is tested.
  SearchOptions options;
  options.cellSize = 16;
  options.maxExits = 2;
  options.exitWindow = 4;
  CourseSearch search(driver_, options);
  const std::vector<RoomExit> exits = search.SolveRoom(*start, 0);
  ASSERT_FALSE(exits.empty());
  for (const RoomExit& exit : exits) {
    EXPECT_EQ(exit.view.room, 1);
    EXPECT_FALSE(exit.view.crashed);
    driver_.Restore(*start);
    for (uint8_t keys : exit.keys) driver_.Step(keys);
    const PlaneView v = driver_.View();
    EXPECT_EQ(v.room, 1);
    EXPECT_EQ(v.frame, exit.view.frame);
    EXPECT_EQ(v.y, exit.view.y);
    EXPECT_EQ(v.planes, 4);
  }
  // The earliest way out is as fast as flying right all the way allows.
  EXPECT_LE(exits.front().keys.size(), 110u);
}

}  // namespace
}  // namespace coursesolver
