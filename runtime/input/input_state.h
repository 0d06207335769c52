// The one input record: what the keyboard, mouse and joystick commands
// remember between calls.
#pragma once

#include <array>
#include <cstdint>

namespace plat {
struct Window;
class InputDevices;
}  // namespace plat

struct InputState {
  // The runtime's mouse position in logical screen pixels.
  int32_t mouseX = 100, mouseY = 100;
  // Held keys (bit 7), refreshed by every keyboard sample while our window
  // has focus. Indexed by scan code, or by virtual key when there is no
  // keyboard device.
  std::array<uint8_t, 256> keys{};
  bool keyboardDevice = true;
  // What each key types: the text its latest press produced (by key state
  // index), else the layout's character (by scan code).
  std::array<uint8_t, 256> keyText{};
  std::array<uint8_t, 256> layout{};
  // Key-down counts as of the last sample, the count each key's reads have
  // acknowledged, and the count when the previous frame opened: a press
  // not yet acknowledged reads as held until it has been visible for a
  // whole frame.
  std::array<uint32_t, 256> presses{};
  std::array<uint32_t, 256> pressesSeen{};
  std::array<uint32_t, 256> pressesAtFrame{};
  // Keys the runtime took for itself (the Return of Alt+Enter): they read
  // as up, and their presses as read, until they are let go.
  std::array<bool, 256> withheld{};

  plat::Window* window = nullptr;
  uint8_t cursorVisible = 0;
  // Exclusive mouse chosen at start-up: while the cursor is hidden, motion
  // comes from the relative mouse mode.
  bool mouseDevice = false;
  // The first mouse read after a new frame opens computes the motion; later
  // reads in the same frame repeat it.
  bool newFrame = true;
  int16_t lastDx = 0, lastDy = 0, lastWheel = 0;
  // Relative motion and wheel totals already turned into motion.
  int64_t motionSeenX = 0, motionSeenY = 0, wheelSeen = 0;
  // Fractions of a logical pixel left over when window-pixel motion is
  // scaled down to the screen.
  double carryX = 0, carryY = 0;

  int32_t joystickCount = 0;
  uint8_t lastTyped = 0;
  uint8_t escapeQuits = 1;
  bool started = false;
};

InputState& Input();
// Back to the state before start-up (escape quits, position 100, 100).
void ResetInput();
// The backend every command reads.
plat::InputDevices& Devices();
