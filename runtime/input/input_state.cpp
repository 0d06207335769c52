#include "runtime/input/input_state.h"

#include "runtime/platform/input_devices.h"

InputState& Input() {
  static InputState state;
  return state;
}

void ResetInput() {
  Input() = InputState{};
}

plat::InputDevices& Devices() {
  return plat::ActiveInputDevices();
}
