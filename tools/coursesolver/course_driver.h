// What the course solver needs from the game: a new game at its first play
// frame, the exact state saved and put back, one frame stepped with a set of
// held keys, and a look at the plane. The search knows nothing else of the
// game, so it can run on whichever deterministic harness drives the game.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace coursesolver {

// The keys the plane answers to, as bits of a key set.
enum KeyBit : unsigned { kLeftBit = 1, kRightBit = 2, kUpBit = 4, kDownBit = 8 };

// The scan codes of a key set, in ascending order.
std::set<int> ScanCodesOf(unsigned keySet);

struct PlaneView {
  long frame = 0;  // the frame the next step plays
  double screen = 0;
  double room = 0;
  double x = 0, y = 0;
  double scrollX = 0;
  double form = 0;
  double windForce = 0;
  double score = 0;
  double planes = 0;
  bool crashed = false;
  // Taken flags of the current room's pickups, one bit each in course order.
  uint32_t pickupsTaken = 0;
};

// An opaque saved state; only the driver that made it can put it back.
class DriverState {
 public:
  virtual ~DriverState() = default;
};

class CourseDriver {
 public:
  virtual ~CourseDriver() = default;
  // Starts the program's first game from its menu and stops before the
  // first frame of play. Returns the held-key changes by frame that led
  // there (the menu keys), to start the script with.
  virtual std::map<long, std::set<int>> NewGame() = 0;
  virtual std::shared_ptr<const DriverState> Save() const = 0;
  virtual void Restore(const DriverState& state) = 0;
  // Plays one frame of the run with keySet held. A room that starts a new
  // level set brings its fade within the same step, so a step can span
  // many frames; View().frame tells where the next one starts.
  virtual void Step(unsigned keySet) = 0;
  virtual PlaneView View() const = 0;
};

}  // namespace coursesolver
