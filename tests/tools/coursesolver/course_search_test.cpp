// The search's bookkeeping on a toy course whose rules are known exactly: a
// cloud that moves 3 right and 2 up or down a frame, in rooms 320 wide. No
// engine: what is tested is the layering, the way back along the keys and
// the backtracking between rooms.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tools/coursesolver/course_search.h"

namespace coursesolver {
namespace {

struct ToyState final : DriverState {
  PlaneView view;
};

class ToyDriver final : public CourseDriver {
 public:
  // True where a plane in that room at that place is destroyed.
  std::function<bool(int room, double x, double y)> deadly = [](int, double, double) {
    return false;
  };
  // Rooms where Up and Down do nothing: the height a plane enters with is
  // the height it keeps.
  std::set<int> steadyRooms;
  int lastRoom = 1;

  std::map<long, std::set<int>> NewGame() override {
    view_ = PlaneView{};
    view_.screen = 6;
    view_.y = 120;
    view_.form = 1;
    view_.planes = 4;
    return {};
  }
  std::shared_ptr<const DriverState> Save() const override {
    auto state = std::make_shared<ToyState>();
    state->view = view_;
    return state;
  }
  void Restore(const DriverState& state) override {
    view_ = dynamic_cast<const ToyState&>(state).view;
  }
  void Step(unsigned keys) override {
    ++view_.frame;
    if (keys & kRightBit) view_.x += 3;
    const bool steady = steadyRooms.count(static_cast<int>(view_.room)) != 0;
    if (!steady && (keys & kUpBit)) view_.y = std::max(50.0, view_.y - 2);
    if (!steady && (keys & kDownBit)) view_.y += 2;
    if (view_.x > 320) {
      view_.x = 0;
      view_.room += 1;
      if (view_.room > lastRoom) view_.screen = 8;
    }
    if (view_.y > 225 || deadly(static_cast<int>(view_.room), view_.x, view_.y))
      view_.crashed = true;
  }
  PlaneView View() const override { return view_; }

 private:
  PlaneView view_;
};

SearchOptions Quick() {
  SearchOptions options;
  options.cellSize = 8;
  options.lastRoom = 1;
  options.maxRoomFrames = 400;
  return options;
}

TEST(CourseSearch, KeysFoundReplayToTheEndOnTheirOwn) {
  ToyDriver driver;
  driver.NewGame();
  // A wall in room 0 that the plane must climb over.
  auto wall = [](int room, double x, double y) { return room == 0 && x > 150 && y > 100; };
  driver.deadly = wall;
  CourseSearch search(driver, Quick());
  std::vector<uint8_t> keys;
  ASSERT_TRUE(search.SolveCourse(*driver.Save(), keys));

  driver.NewGame();
  for (uint8_t k : keys) {
    driver.Step(k);
    ASSERT_FALSE(driver.View().crashed);
  }
  EXPECT_EQ(driver.View().screen, 8);
  // Each room takes 107 frames at 3 pixels a frame, and climbing can be
  // done on the way; the thinned search may spend a few frames more.
  EXPECT_GE(keys.size(), 2u * 107);
  EXPECT_LE(keys.size(), 2u * 107 + 8);
}

TEST(CourseSearch, GoesBackForAnotherWayOutWhenTheNextRoomIsClosedToTheFirst) {
  ToyDriver driver;
  driver.NewGame();
  // Room 1 keeps the plane's height and destroys it above 150 once it
  // moves; ways out of room 0 at every height are found at once, and the
  // first tried is the highest.
  driver.steadyRooms = {1};
  driver.deadly = [](int room, double x, double y) { return room == 1 && x > 0 && y < 150; };
  SearchOptions options = Quick();
  options.exitWindow = 40;
  CourseSearch search(driver, options);
  std::vector<uint8_t> keys;
  ASSERT_TRUE(search.SolveCourse(*driver.Save(), keys));
  EXPECT_GT(search.Stats().size(), 2u) << "room 1 was searched only once";
  EXPECT_TRUE(search.Stats()[1].stuck);
  EXPECT_FALSE(search.Stats().back().stuck);
}

TEST(CourseSearch, AClosedRoomIsReportedWithTheStateItWasEnteredIn) {
  ToyDriver driver;
  driver.NewGame();
  driver.deadly = [](int room, double x, double) { return room == 1 && x > 0; };
  SearchOptions options = Quick();
  options.maxRoomSearches = 6;
  CourseSearch search(driver, options);
  std::vector<uint8_t> keys;
  EXPECT_FALSE(search.SolveCourse(*driver.Save(), keys));
  EXPECT_TRUE(keys.empty());
  ASSERT_GE(search.Stats().size(), 2u);
  // Six room searches, each at most a coarse and a fine one.
  EXPECT_LE(search.Stats().size(), 12u);
  const RoomStats& closed = search.Stats().back();
  EXPECT_EQ(closed.room, 1);
  EXPECT_TRUE(closed.stuck);
  EXPECT_EQ(closed.stuckEntry.room, 1);
  EXPECT_EQ(closed.stuckEntry.x, 0);
}

}  // namespace
}  // namespace coursesolver
