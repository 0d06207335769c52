// The platform's test backend: tests replace the clock and record message
// boxes instead of showing them, the way SDL's offscreen and
// dummy drivers stand in for a display and a sound card. Production code
// never includes this header.
#pragma once

#include <functional>
#include <string>

#include "runtime/platform/window.h"

namespace plat {

// Replaces the clock and the sleep so that pacing can be checked without
// real time passing. Passing empty functions restores the real ones.
void SetTestClock(std::function<double()> now, std::function<void(double)> sleep);

// Records message boxes instead of showing them; an empty function shows
// them again.
void SetMessageBoxRecorder(
    std::function<void(BoxIcon, const std::string&, const std::string&)> recorder);

// A gamepad that exists only in SDL's joystick list, for tests of the real
// input backend: it is plugged in on construction (the backend sees it at
// its next poll after events were pumped) and unplugged on destruction.
class VirtualPad {
 public:
  VirtualPad();
  ~VirtualPad();
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;
  // False when SDL could not make the device (the reason in Error()).
  bool ok() const { return stick_ != nullptr; }
  static std::string Error();
  // Button and axis numbers as in PadState; the new values reach the
  // backend at the next joystick update (every event pump).
  void SetButton(int button, bool down);
  void SetAxis(int axis, int value);

 private:
  void* stick_ = nullptr;
  int id_ = -1;
};

}  // namespace plat
