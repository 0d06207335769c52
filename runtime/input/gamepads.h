// Gamepad commands. A gamepad is a controller whose layout the system
// knows, so button and axis numbers mean the same on every make. Pads are
// numbered 0-3 by the slot they took when plugged in; a pad plugged in
// while the program runs is picked up at once, and one unplugged leaves
// its slot empty until the next pad takes it. A slot without a pad, and any
// other number, reads as nothing held and sticks centred.
#pragma once

#include "runtime/core/rt_string.h"

namespace pads {

// Button numbers for PadButton: the face buttons by their place (A bottom,
// B right, X left, Y top).
inline constexpr int kA = 0;
inline constexpr int kB = 1;
inline constexpr int kX = 2;
inline constexpr int kY = 3;
// The buttons in the middle of the pad.
inline constexpr int kBack = 4;
inline constexpr int kGuide = 5;
inline constexpr int kStart = 6;
// The sticks pressed in.
inline constexpr int kLeftStick = 7;
inline constexpr int kRightStick = 8;
// The shoulder buttons (not the triggers, which are axes).
inline constexpr int kLeftShoulder = 9;
inline constexpr int kRightShoulder = 10;
// The d-pad.
inline constexpr int kDpadUp = 11;
inline constexpr int kDpadDown = 12;
inline constexpr int kDpadLeft = 13;
inline constexpr int kDpadRight = 14;
// How many buttons a pad has.
inline constexpr int kButtonCount = 15;

// Axis numbers for PadAxis.
inline constexpr int kLeftX = 0;
inline constexpr int kLeftY = 1;
inline constexpr int kRightX = 2;
inline constexpr int kRightY = 3;
inline constexpr int kLeftTrigger = 4;
inline constexpr int kRightTrigger = 5;
// How many axes a pad has.
inline constexpr int kAxisCount = 6;

// The pad slots PadConnected and the others accept: 0 to kSlots - 1.
inline constexpr int kSlots = 4;

}  // namespace pads

// How many gamepads are plugged in now (0 to 4).
double PadCount();
// 1 while a gamepad is plugged into slot `pad` (0-3), else 0.
double PadConnected(double pad);
// 1 while the button (pads::kA ... pads::kDpadRight) of the pad is held,
// else 0; 0 for an unknown button or an empty slot.
double PadButton(double pad, double button);
// The axis (pads::kLeftX ... pads::kRightTrigger) of the pad: sticks from
// -1 (left, up) to 1 (right, down), triggers from 0 (released) to 1; 0 for
// an unknown axis or an empty slot.
double PadAxis(double pad, double axis);
// The pad's name as the system reports it; empty for an empty slot.
RtString PadName(double pad);
