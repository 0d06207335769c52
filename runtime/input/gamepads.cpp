#include "runtime/input/gamepads.h"

#include <algorithm>

#include "runtime/input/input_state.h"
#include "runtime/platform/input_devices.h"

static_assert(pads::kSlots == plat::kMaxPads && pads::kButtonCount == plat::kPadButtons &&
              pads::kAxisCount == plat::kPadAxes);

namespace {

// Whole numbers inside the range only; NaN and fractions beyond it are no
// index.
int Index(double value, int count) {
  if (!(value >= 0 && value < count)) return -1;
  return static_cast<int>(value);
}

const plat::PadState* ConnectedPad(double pad) {
  const int p = Index(pad, plat::kMaxPads);
  if (p < 0) return nullptr;
  const plat::PadState& s = Devices().Poll().pads[p];
  return s.connected ? &s : nullptr;
}

}  // namespace

double PadCount() {
  const plat::InputSnapshot& s = Devices().Poll();
  return static_cast<double>(std::count_if(s.pads.begin(), s.pads.end(),
                                           [](const plat::PadState& p) { return p.connected; }));
}

double PadConnected(double pad) {
  return ConnectedPad(pad) ? 1 : 0;
}

double PadButton(double pad, double button) {
  const plat::PadState* p = ConnectedPad(pad);
  const int b = Index(button, plat::kPadButtons);
  if (!p || b < 0) return 0;
  return (p->buttons >> b) & 1u;
}

double PadAxis(double pad, double axis) {
  const plat::PadState* p = ConnectedPad(pad);
  const int a = Index(axis, plat::kPadAxes);
  if (!p || a < 0) return 0;
  return std::clamp(p->axes[a] / 32767.0, -1.0, 1.0);
}

RtString PadName(double pad) {
  const plat::PadState* p = ConnectedPad(pad);
  return p ? RtString(p->name.c_str()) : RtString();
}
