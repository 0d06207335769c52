#include "runtime/input/input_service.h"

#include <cstdint>

#include "runtime/input/keyboard.h"
#include "runtime/platform/scan_codes.h"
#include "runtime/platform/window.h"

namespace {

struct InputState {
  // Held keys in scan-code numbering, sampled once per frame (0x80 = down).
  uint8_t keys[256] = {};
  bool escapeQuits = true;
};
InputState g_input;

}  // namespace

void InputStart() {}

void InputWindowChanged(plat::Window*, bool) {}

void InputFrame() {
  plat::GetKeyboardState(g_input.keys);
}

bool QuitKeysHeld() {
  const uint8_t* k = g_input.keys;
  if (g_input.escapeQuits && (k[keys::kEscape] || k[keys::kExtendedEscape])) return true;
  return k[keys::kLeftAlt] && k[keys::kF4];
}

void InputShutdown() {}

void SetEscapeQuits(int flag) {
  g_input.escapeQuits = flag != 0;
}
