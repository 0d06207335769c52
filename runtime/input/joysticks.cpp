#include "runtime/input/joysticks.h"

#include <algorithm>
#include <cmath>

#include "runtime/input/input_state.h"
#include "runtime/platform/input_devices.h"

namespace {

// Longest duration a force can be asked for: the largest the device
// interface's microsecond count holds.
constexpr double kMaxForceMs = 4294967.0;

int StickIndex(double joystick) {
  if (!(joystick >= 0 && joystick < plat::kMaxJoysticks)) return -1;
  const int j = static_cast<int>(joystick);
  return j < Input().joystickCount ? j : -1;
}

plat::JoystickState ReadJoystick(double joystick) {
  const int j = StickIndex(joystick);
  if (j < 0) return plat::JoystickState{};  // centred, nothing pressed
  return Devices().Poll().joysticks[j];
}

double AxisValue(double joystick, int axis) {
  return std::clamp(ReadJoystick(joystick).axes[axis] / 32767.0, -1.0, 1.0);
}

double ClampUnit(double v) {
  return std::isnan(v) ? 0.0 : std::clamp(v, -1.0, 1.0);
}

}  // namespace

double JoyX(double joystick) {
  return AxisValue(joystick, 0);
}
double JoyY(double joystick) {
  return AxisValue(joystick, 1);
}
double JoyZ(double joystick) {
  return AxisValue(joystick, 2);
}
double JoyRX(double joystick) {
  return AxisValue(joystick, 3);
}
double JoyRY(double joystick) {
  return AxisValue(joystick, 4);
}
double JoyRZ(double joystick) {
  return AxisValue(joystick, 5);
}

double JoyHatX(double joystick) {
  const uint32_t hat = ReadJoystick(joystick).hat;
  return hat == 9000 ? 1 : (hat == 27000 ? -1 : 0);
}

double JoyHatY(double joystick) {
  const uint32_t hat = ReadJoystick(joystick).hat;
  return hat == 0 ? -1 : (hat == 18000 ? 1 : 0);
}

double JoyButton(double joystick, double button) {
  if (!(button >= 0 && button < plat::kJoystickButtons)) return 0;
  return ReadJoystick(joystick).buttons[static_cast<int>(button)];
}

void JoyState(double& x, double& y, double& button1, double& button2) {
  const plat::JoystickState s = ReadJoystick(0);
  x = s.axes[0] / 30000;
  y = s.axes[1] / 30000;
  button1 = s.buttons[0];
  button2 = s.buttons[1];
}

RtString JoyName(double joystick) {
  const int j = StickIndex(joystick);
  if (j < 0) return RtString();
  const plat::InputSnapshot& s = Devices().Poll();
  if (j >= static_cast<int>(s.joystickNames.size())) return RtString();
  return RtString(s.joystickNames[j].c_str());
}

double JoyCount() {
  return Input().joystickCount;
}

void JoyForce(double joystick, double durationMs, double x, double y) {
  const int j = StickIndex(joystick);
  if (j < 0) return;
  x = ClampUnit(x);
  y = ClampUnit(y);
  plat::ForceEffect e;
  e.joystick = j;
  e.directionX = static_cast<int>(x * 32767);
  e.directionY = static_cast<int>(y * 32767);
  const double magnitude = (x * x + y * y) * 10000 * 0.5;  // 0..10000
  e.level = std::min(32767, static_cast<int>(magnitude * 32767 / 10000));
  const double ms = std::isnan(durationMs) ? 0 : std::clamp(durationMs, 0.0, kMaxForceMs);
  e.durationMs = static_cast<uint32_t>(ms);
  Devices().PlayForce(e);
}

bool AnyJoystickActive() {
  const plat::InputSnapshot& s = Devices().Poll();
  for (int j = 0; j < Input().joystickCount; ++j) {
    const plat::JoystickState& js = s.joysticks[j];
    for (int a = 0; a < 3; ++a)
      if (std::fabs(std::clamp(js.axes[a] / 32767.0, -1.0, 1.0)) > 0.1) return true;
    if (js.hat != plat::kHatCentred) return true;
    for (uint8_t b : js.buttons)
      if (b) return true;
  }
  return false;
}
