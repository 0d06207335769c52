// Joystick commands. Sticks are numbered 0-9; any other number, and a
// number without a stick, reads as a centred stick with nothing pressed.
#pragma once

#include "runtime/core/rt_string.h"

// The first axis (-1 left .. 1 right): the raw axis / 32767, clamped to
// -1..1.
double JoyX(double joystick);
double JoyY(double joystick);  // The second axis (-1 up .. 1 down); see JoyX.
double JoyZ(double joystick);  // The third axis; see JoyX.
// The rotation axes (the fourth to sixth), clamped to -1..1 like JoyX.
double JoyRX(double joystick);
double JoyRY(double joystick);  // The fifth axis; see JoyRX.
double JoyRZ(double joystick);  // The sixth axis; see JoyRX.
// First hat: -1 left / up, 1 right / down, 0 centred or diagonal.
double JoyHatX(double joystick);
double JoyHatY(double joystick);  // See JoyHatX: -1 up, 1 down.
// 128 while pressed, else 0; buttons above 31 read 0.
double JoyButton(double joystick, double button);
// Stick 0: x and y as -1, 0 or 1 (axis / 30000 truncated), the first two
// buttons as raw values.
void JoyState(double& x, double& y, double& button1, double& button2);
// The stick's name as the system reports it; empty for no stick.
RtString JoyName(double joystick);
// How many sticks were attached when the input layer started.
double JoyCount();
// A constant force for durationMs in direction (x, y), each clamped to
// -1..1; its strength grows with x² + y².
void JoyForce(double joystick, double durationMs, double x, double y);

// ---- shared with the rest of the input layer ----
// True when any attached stick has a button down, X, Y or Z beyond 0.1 or
// the hat off centre.
bool AnyJoystickActive();
