#include "runtime/input/input_waits.h"

#include "runtime/core/runtime_error.h"
#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/input/joysticks.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/scan_codes.h"
#include "runtime/platform/window.h"

namespace {

constexpr double kWaitStepMs = 5;

void KeepServicesRunning() {
  if (Input().musicService) Input().musicService();
  if (Input().messagePump) Input().messagePump();
}

void EndOnEscape() {
  if (Input().escapeQuits && (KeyHeld(keys::kEscape) || KeyHeld(keys::kExtendedEscape))) End();
}

// One step of a wait that polls: services, then the pause.
void IdleStep() {
  KeepServicesRunning();
  plat::SleepMs(kWaitStepMs);
}

bool AnyKeyHeld() {
  for (int c = 0; c < 255; ++c)
    if (KeyHeld(c)) return true;
  return false;
}

bool CharacterTyped() {
  const bool typed = TypedChar().Length() > 0;
  EndOnEscape();
  return typed;
}

bool ButtonDown() {
  const bool down = AnyMouseButtonDown();
  SampleKeyboard();
  EndOnEscape();
  return down;
}

}  // namespace

void WaitAnyInput() {
  InputState& in = Input();
  MouseReport r = ReadMouse();
  ClampMousePosition();
  const int32_t startX = in.mouseX, startY = in.mouseY;
  const int16_t startLeft = r.left, startRight = r.right;
  for (;;) {
    KeepServicesRunning();
    OpenInputFrame();
    SampleKeyboard();
    EndOnEscape();
    if (AnyKeyHeld()) return;
    r = ReadMouse();
    ClampMousePosition();
    if (in.mouseX != startX || in.mouseY != startY || r.left != startLeft || r.right != startRight)
      return;
    if (AnyJoystickActive()) return;
    plat::SleepMs(kWaitStepMs);
  }
}

void WaitKey() {
  while (CharacterTyped()) IdleStep();
  while (!CharacterTyped()) {
    WaitAnyInput();
    IdleStep();
  }
  while (CharacterTyped()) IdleStep();
}

void WaitMouse() {
  while (ButtonDown()) IdleStep();
  while (!ButtonDown()) {
    WaitAnyInput();
    IdleStep();
  }
  while (ButtonDown()) IdleStep();
}
