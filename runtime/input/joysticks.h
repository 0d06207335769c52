// Joystick commands. Sticks are numbered 0-9; any other number, and a
// number without a stick, reads as a centred stick with nothing pressed.
#pragma once

#include "runtime/core/rt_string.h"

// Axis / 32767, clamped to -1..1.
double JoyX(double joystick);
double JoyY(double joystick);
double JoyZ(double joystick);
double JoyRX(double joystick);
double JoyRY(double joystick);
double JoyRZ(double joystick);
// First hat: -1 left / up, 1 right / down, 0 centred or diagonal.
double JoyHatX(double joystick);
double JoyHatY(double joystick);
// 128 while pressed, else 0; buttons above 31 read 0.
double JoyButton(double joystick, double button);
// Stick 0: x and y as -1, 0 or 1 (axis / 30000 truncated), the first two
// buttons as raw values.
void JoyState(double& x, double& y, double& button1, double& button2);
RtString JoyName(double joystick);
double JoyCount();
// A constant force for durationMs in direction (x, y), each clamped to
// -1..1; its strength grows with x² + y².
void JoyForce(double joystick, double durationMs, double x, double y);

// ---- shared with the rest of the input layer ----
// True when any attached stick has a button down, X, Y or Z beyond 0.1 or
// the hat off centre.
bool AnyJoystickActive();
