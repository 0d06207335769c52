// The search for a way through the course: breadth first over frames within
// a room, keeping the plane positions reached (merged when equal, thinned to
// a few per small cell so waiting and detours survive), then room by room
// with backtracking over the ways out of each room.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/coursesolver/course_driver.h"

namespace coursesolver {

struct SearchOptions {
  double cellSize = 6;      // pixels of a thinning cell
  double fineCellSize = 2;  // the same for a room the coarse cells found closed
  int perCell = 3;          // states kept in one cell: furthest right, highest, lowest
  int maxRoomFrames = 1500;
  int fineMaxRoomFrames = 700;  // the fine search's states cost more
  int maxExits = 4;             // ways out of a room, of each plane form, to try
  int exitWindow = 30;          // frames after the first way out to collect more
  int lastRoom = 50;            // the room whose exit completes the course
  // Room searches in all before giving up: backtracking over a room that
  // has no way through would otherwise retry every way into it.
  int maxRoomSearches = 300;
  bool verbose = false;  // a line every 10 frames of a room's search
};

// One way out of a room: the keys from the room's entry and the state just
// after the step that left it.
struct RoomExit {
  std::vector<uint8_t> keys;
  std::shared_ptr<const DriverState> state;
  PlaneView view;
};

struct RoomStats {
  int room = 0;
  double seconds = 0;
  long steps = 0;        // frames stepped by the search
  int framesInRoom = 0;  // of the way taken
  int attempts = 0;      // searches of this room (more than one: backtracking)
  bool stuck = false;    // no way through from some entry
  PlaneView stuckEntry;  // the entry of the last search that found none
};

class CourseSearch {
 public:
  CourseSearch(CourseDriver& driver, SearchOptions options) : driver_(driver), options_(options) {}

  // Ways out of room `room` from entry: of those found within exitWindow
  // frames of the first, at most maxExits of each plane form, spread over
  // the heights; earliest first, the forms taking turns.
  std::vector<RoomExit> SolveRoom(const DriverState& entry, int room);

  // From a new game's first play frame to the course's end: the key set of
  // every step, or false when some room has no way through from any way
  // into it.
  bool SolveCourse(const DriverState& start, std::vector<uint8_t>& keys);

  const std::vector<RoomStats>& Stats() const { return stats_; }
  std::function<void(const std::string&)> log;

 private:
  bool SolveFrom(const DriverState& entry, int room, std::vector<uint8_t>& keys);
  std::vector<RoomExit> SolveRoomWithCells(const DriverState& entry, int room, double cellSize,
                                           int maxFrames);
  static std::vector<uint8_t> Actions(const PlaneView& view);

  CourseDriver& driver_;
  SearchOptions options_;
  std::vector<RoomStats> stats_;  // one per search, coarse and fine apart
  int roomSearches_ = 0;
};

}  // namespace coursesolver
