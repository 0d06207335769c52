// The gamepad as the game's keys. Every screen reads the keyboard by scan
// code; a pad stands in for those keys, with a meaning that depends on the
// screen (Start confirms on the menus but pauses in flight, B leaves the
// Options, Hiscore and Credits screens), so the rules read one set of keys
// whichever the player holds.
#pragma once

#include <cstdint>

namespace zelvo {

// All plugged-in pads together: a button counts when any pad holds it, the
// stick is the one pushed furthest.
struct PadReading {
  uint32_t buttons = 0;           // bit b: pads::kA + b held
  double stickX = 0, stickY = 0;  // left stick, -1..1, right and down positive

  bool Held(int button) const { return (buttons >> button) & 1u; }
};

class PadKeys {
 public:
  // A stick pushed this far counts as the d-pad.
  static constexpr double kStickThreshold = 0.5;
  // Back held this long in flight returns to the menu, as both Shift keys
  // do; shorter holds do nothing, so a stray touch never ends a run.
  static constexpr double kBackHoldMs = 500;

  // Whether the pads hold the key `scanCode` on `screen` (a GameState
  // value) at `nowMs` (any clock that runs with the game's frames).
  bool Holds(int scanCode, const PadReading& pad, int screen, double nowMs);
  void Reset() { *this = PadKeys(); }

 private:
  // The buttons (not directions) in play on this screen: a button still
  // held from the screen before belongs to that screen's press, so a
  // confirm on the menu does not also pause the first frame of flight.
  uint32_t Live(const PadReading& pad, int screen, double nowMs);

  int screen_ = -1;
  uint32_t swallowed_ = 0;
  double backSince_ = -1;
};

// The game's one pad mapping.
PadKeys& ThePadKeys();

// Whether the installed GameIo's pads hold the key on the current screen.
bool PadHoldsKey(int scanCode);

}  // namespace zelvo
