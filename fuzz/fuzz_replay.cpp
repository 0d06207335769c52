// Input-replay files as --replay loads them, then played for a few frames
// so the parsed changes are applied too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/platform/input_devices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::ScriptedInputDevices devices;
  std::string error;
  if (!devices.LoadReplayText(std::string(reinterpret_cast<const char*>(data), size), &error))
    return 0;
  for (int frame = 0; frame < 8; ++frame) {
    devices.BeginFrame();
    devices.Poll();
    devices.Poll();
  }
  return 0;
}
