#include "runtime/input/input_state.h"

#include "runtime/platform/input_devices.h"

InputState& Input() {
  static InputState state;
  return state;
}

void ResetInput() {
  // The music hook belongs to whoever installed it, not to one run.
  auto music = std::move(Input().musicService);
  Input() = InputState{};
  Input().musicService = std::move(music);
}

plat::InputDevices& Devices() {
  return plat::ActiveInputDevices();
}
