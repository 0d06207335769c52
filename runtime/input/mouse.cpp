#include "runtime/input/mouse.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/input/input_state.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/screen_mapping.h"
#include "runtime/platform/input_devices.h"

namespace {

// The window point the hidden cursor is held at while there is no
// exclusive mouse; motion is read as the offset from it.
constexpr int kHoldX = 200, kHoldY = 200;

int32_t SaturatingAdd(int32_t a, int64_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int16_t ToInt16(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

// Window-pixel motion to whole screen pixels; the fractions carry over so
// slow motion on a scaled-up window is not lost.
void ScaleMotion(int64_t wdx, int64_t wdy, int64_t* dx, int64_t* dy) {
  InputState& in = Input();
  double fx = 1, fy = 1;
  ScreenPixelsPerWindowPixel(&fx, &fy);
  const double x = in.carryX + static_cast<double>(wdx) * fx;
  const double y = in.carryY + static_cast<double>(wdy) * fy;
  *dx = static_cast<int64_t>(std::trunc(x));
  *dy = static_cast<int64_t>(std::trunc(y));
  in.carryX = x - static_cast<double>(*dx);
  in.carryY = y - static_cast<double>(*dy);
}

void ComputeMotion(const plat::InputSnapshot& s) {
  InputState& in = Input();
  const int64_t turned = s.wheel - in.wheelSeen;
  in.wheelSeen = s.wheel;
  int64_t dx = 0, dy = 0;
  if (in.cursorVisible) {
    int x = 0, y = 0;
    WindowToScreen(s.mouseX, s.mouseY, &x, &y);
    dx = static_cast<int64_t>(x) - in.mouseX;
    dy = static_cast<int64_t>(y) - in.mouseY;
    in.mouseX = x;
    in.mouseY = y;
  } else {
    int64_t wdx = 0, wdy = 0;
    if (in.mouseDevice) {
      wdx = s.motionX - in.motionSeenX;
      wdy = s.motionY - in.motionSeenY;
    } else if (s.focused) {
      // Holding the cursor while another window has focus would take the
      // pointer away from the user.
      wdx = s.mouseX - kHoldX;
      wdy = s.mouseY - kHoldY;
      if (wdx != 0 || wdy != 0) Devices().WarpMouse(kHoldX, kHoldY);
    }
    ScaleMotion(ToInt16(wdx), ToInt16(wdy), &dx, &dy);
    in.mouseX = SaturatingAdd(in.mouseX, dx);
    in.mouseY = SaturatingAdd(in.mouseY, dy);
  }
  in.motionSeenX = s.motionX;
  in.motionSeenY = s.motionY;
  in.lastDx = ToInt16(dx);
  in.lastDy = ToInt16(dy);
  in.lastWheel = static_cast<int16_t>(turned > 0 ? 1 : (turned < 0 ? -1 : 0));
}

}  // namespace

MouseReport ReadMouse() {
  InputState& in = Input();
  const plat::InputSnapshot& s = Devices().Poll();
  if (in.newFrame) {
    in.newFrame = false;
    ComputeMotion(s);
  }
  MouseReport r;
  r.dx = in.lastDx;
  r.dy = in.lastDy;
  r.wheel = in.lastWheel;
  r.left = (s.buttons & 1) ? 1 : 0;
  r.right = (s.buttons & 2) ? 1 : 0;
  r.middle = (s.buttons & 4) ? 1 : 0;
  return r;
}

void ClampMousePosition() {
  InputState& in = Input();
  int w = 0, h = 0;
  ScreenSize(&w, &h);
  in.mouseX = std::clamp(in.mouseX, 0, w - 1);
  in.mouseY = std::clamp(in.mouseY, 0, h - 1);
}

void OpenInputFrame() {
  ExpireStaleTaps();
  Input().newFrame = true;
  Devices().BeginFrame();
}

bool AnyMouseButtonDown() {
  OpenInputFrame();
  const MouseReport r = ReadMouse();
  return r.left || r.right || r.middle;
}

double MouseReading(double kind) {
  const MouseReport r = ReadMouse();
  if (!(kind >= 0 && kind < 6)) return 0;
  switch (static_cast<int>(kind)) {
    case 0:
      return r.dx;
    case 1:
      return r.dy;
    case 2:
      return r.wheel;
    case 3:
      return r.left;
    case 4:
      return r.right;
    default:
      return r.middle;
  }
}

void MouseState(double& x, double& y, double& left, double& right) {
  int32_t ix, iy, il, ir;
  MouseStateInt(ix, iy, il, ir);
  x = ix;
  y = iy;
  left = il;
  right = ir;
}

void MouseStateInt(int32_t& x, int32_t& y, int32_t& left, int32_t& right) {
  const MouseReport r = ReadMouse();
  ClampMousePosition();
  x = Input().mouseX;
  y = Input().mouseY;
  left = r.left;
  right = r.right;
}

void SetMousePosition(int x, int y) {
  Input().mouseX = x;
  Input().mouseY = y;
}

void ShowMouse(int flag) {
  InputState& in = Input();
  const bool show = flag != 0;
  plat::InputDevices& dev = Devices();
  if (show && !in.cursorVisible) {
    if (in.mouseDevice) dev.SetRelativeMouse(false);
    int wx = 0, wy = 0;
    ScreenToWindow(in.mouseX, in.mouseY, &wx, &wy);
    dev.WarpMouse(wx, wy);
  } else if (!show && in.cursorVisible) {
    // Motion starts from here, not from whatever the totals or the cursor
    // did while it was shown.
    const plat::InputSnapshot& s = dev.Poll();
    in.motionSeenX = s.motionX;
    in.motionSeenY = s.motionY;
    if (in.mouseDevice)
      dev.SetRelativeMouse(true);
    else if (s.focused)
      dev.WarpMouse(kHoldX, kHoldY);
  }
  dev.ShowCursor(show);
  in.cursorVisible = show ? 1 : 0;
}

void ApplyMouseMode() {
  InputState& in = Input();
  plat::InputDevices& dev = Devices();
  dev.SetRelativeMouse(in.mouseDevice && !in.cursorVisible);
  dev.ShowCursor(in.cursorVisible != 0);
}
