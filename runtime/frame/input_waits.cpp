#include "runtime/frame/input_waits.h"

#include "runtime/audio/audio_service.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/deterministic_run_internal.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/input/joysticks.h"
#include "runtime/input/key_codes.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/platform/clock.h"

namespace {

constexpr double kWaitStepMs = 5;

// Looping music goes on and the window keeps answering while the program
// waits (a close request ends the program).
void KeepServicesRunning() {
  AudioFrame();
  PumpMessages(g_engine.renderer);
}

void EndOnEscape() {
  if (Input().escapeQuits && (KeyHeld(keys::kEscape) || KeyHeld(keys::kExtendedEscape))) End();
  // The person watching a scripted run still ends it from the keyboard.
  if (WatcherQuitKeysPressed()) End();
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
