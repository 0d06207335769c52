#include "runtime/input/input_service.h"

#include <algorithm>

#include "runtime/input/input_state.h"
#include "runtime/input/key_codes.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/input/screen_mapping.h"
#include "runtime/platform/input_devices.h"

namespace {

// What the backend has seen before now is not the program's input; its
// joysticks are the ones the commands read.
void TakeBackendBaseline(const plat::InputSnapshot& s) {
  InputState& in = Input();
  in.presses = in.pressesSeen = in.pressesAtFrame = s.presses;
  in.motionSeenX = s.motionX;
  in.motionSeenY = s.motionY;
  in.wheelSeen = s.wheel;
  in.joystickCount =
      std::min(static_cast<int>(s.joystickNames.size()), static_cast<int>(plat::kMaxJoysticks));
}

}  // namespace

void InputStart() {
  if (Input().started) InputShutdown();
  ResetInput();
  plat::InputDevices& dev = Devices();
  dev.Open();
  TakeBackendBaseline(dev.Poll());
  Input().started = true;
}

void InputBackendChanged() {
  if (!Input().started) return;
  TakeBackendBaseline(Devices().Poll());
}

void InputWindowChanged(const WindowChange& change) {
  plat::Window* const window = change.window;
  const bool exclusiveMouse = change.exclusiveMouse;
  if (!Input().started) InputStart();
  InputState& in = Input();
  plat::InputDevices& dev = Devices();
  const bool first = in.window == nullptr;
  in.window = window;
  in.mouseDevice = exclusiveMouse;
  dev.AttachWindow(window);
  if (!first) {
    ApplyMouseMode();
    return;
  }
  const plat::InputSnapshot& s = dev.Poll();
  int x = 0, y = 0;
  WindowToScreen(s.mouseX, s.mouseY, &x, &y);
  in.mouseX = x;
  in.mouseY = y;
  in.motionSeenX = s.motionX;
  in.motionSeenY = s.motionY;
  in.cursorVisible = 0;
  if (!exclusiveMouse) {
    // The cursor is where it was; moving it while another window has the
    // focus would only take it from the user.
    int wx = 0, wy = 0;
    ScreenToWindow(in.mouseX, in.mouseY, &wx, &wy);
    if (s.focused) dev.WarpMouse(wx, wy);
    in.cursorVisible = 1;
  }
  ApplyMouseMode();
}

void InputFrame() {
  if (!Input().started) InputStart();
  OpenInputFrame();
  SampleKeyboard();
}

bool QuitKeysHeld() {
  const InputState& in = Input();
  return (in.escapeQuits && (KeyHeld(keys::kEscape) || KeyHeld(keys::kExtendedEscape))) ||
         (KeyHeld(keys::kLeftAlt) && KeyHeld(keys::kF4));
}

void InputShutdown() {
  InputState& in = Input();
  if (!in.started) return;
  plat::InputDevices& dev = Devices();
  dev.SetRelativeMouse(false);
  int wx = 0, wy = 0;
  ScreenToWindow(in.mouseX, in.mouseY, &wx, &wy);
  if (in.window && dev.Poll().focused) dev.WarpMouse(wx, wy);
  dev.ShowCursor(true);
  in.cursorVisible = 1;
  dev.Close();
  in.started = false;
  in.window = nullptr;
}
