// The course driver on the real game code: the game's own frame function,
// course passes and collision shapes, with keys and clock of our own that
// behave as the replay harness's do (a fixed 60 Hz frame, sounds that end
// after their length in frames). Nothing is drawn: the solver only needs the
// rules, and the collision tests use the sprites' masks, not the screen.
#pragma once

#include "tools/coursesolver/course_driver.h"

namespace coursesolver {

class GameDriver final : public CourseDriver {
 public:
  // The engine must be started and the working directory must hold the
  // game's assets. Hiscores are read from (never written to) hiscoreFolder.
  explicit GameDriver(const std::string& hiscoreFolder);
  ~GameDriver() override;

  std::map<long, std::set<int>> NewGame() override;
  std::shared_ptr<const DriverState> Save() const override;
  void Restore(const DriverState& state) override;
  void Step(unsigned keySet) override;
  PlaneView View() const override;

 private:
  class Io;
  std::unique_ptr<Io> io_;
};

}  // namespace coursesolver
