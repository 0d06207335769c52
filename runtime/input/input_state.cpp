#include "runtime/input/input_state.h"

#include "runtime/platform/input_devices.h"

InputState& Input() {
  static InputState state;
  return state;
}

void ResetInput() {
  // The hooks belong to whoever installed them, not to one run.
  auto music = std::move(Input().musicService);
  auto pump = std::move(Input().messagePump);
  Input() = InputState{};
  Input().musicService = std::move(music);
  Input().messagePump = std::move(pump);
}

plat::InputDevices& Devices() {
  return plat::ActiveInputDevices();
}
