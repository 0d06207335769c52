#include "game/pad_controls.h"

#include "game/game_io.h"
#include "game/zelvo.h"

namespace zelvo {

namespace {

constexpr uint32_t Bit(int button) {
  return 1u << button;
}

// Buttons whose press belongs to the screen it began on; the directions
// steer across screens as the arrow keys do.
constexpr uint32_t kScreenButtons = Bit(pads::kA) | Bit(pads::kB) | Bit(pads::kStart) |
                                    Bit(pads::kBack) | Bit(pads::kLeftShoulder) |
                                    Bit(pads::kRightShoulder);

bool LeavesWithB(int screen) {
  return screen == kOptions || screen == kHiscoreView || screen == kCredits;
}

}  // namespace

uint32_t PadKeys::Live(const PadReading& pad, int screen, double nowMs) {
  const uint32_t held = pad.buttons & kScreenButtons;
  if (screen != screen_) {
    // The first look has no screen before it to give a press to.
    if (screen_ >= 0) swallowed_ |= held;
    screen_ = screen;
    backSince_ = -1;
  }
  swallowed_ &= held;  // released buttons are the new screen's again
  const uint32_t live = held & ~swallowed_;
  if (live & Bit(pads::kBack)) {
    if (backSince_ < 0) backSince_ = nowMs;
  } else {
    backSince_ = -1;
  }
  return live;
}

bool PadKeys::Holds(int scanCode, const PadReading& pad, int screen, double nowMs) {
  const uint32_t live = Live(pad, screen, nowMs);
  auto on = [live](int button) { return (live & Bit(button)) != 0; };
  const bool play = screen == kPlay;
  switch (scanCode) {
    case key::kUp:
      return pad.Held(pads::kDpadUp) || pad.stickY <= -kStickThreshold;
    case key::kDown:
      return pad.Held(pads::kDpadDown) || pad.stickY >= kStickThreshold;
    case key::kLeft:
      return pad.Held(pads::kDpadLeft) || pad.stickX <= -kStickThreshold;
    case key::kRight:
      return pad.Held(pads::kDpadRight) || pad.stickX >= kStickThreshold;
    case key::kReturn:
      // Confirm and launch; B leaves the end screens the way confirm does.
      return on(pads::kA) || (!play && on(pads::kStart)) ||
             ((screen == kGameOver || screen == kComplete) && (on(pads::kB) || on(pads::kBack)));
    case key::kTab:
      // Pause in flight; back to the menu from the screens Tab leaves.
      return (play && on(pads::kStart)) ||
             (LeavesWithB(screen) && (on(pads::kB) || on(pads::kBack)));
    case key::kLeftShift:
    case key::kRightShift:
      return play && backSince_ >= 0 && nowMs - backSince_ >= kBackHoldMs;
    case key::kPageUp:
      return screen != kOptions && on(pads::kRightShoulder);
    case key::kPageDown:
      return screen != kOptions && on(pads::kLeftShoulder);
    case key::kX:
      // The Options screen's coarse step up and down for the chosen row.
      return screen == kOptions && on(pads::kRightShoulder);
    case key::kS:
      return screen == kOptions && on(pads::kLeftShoulder);
    default:
      return false;
  }
}

PadKeys& ThePadKeys() {
  static PadKeys keys;
  return keys;
}

bool PadHoldsKey(int scanCode) {
  const PadReading pad = Io().ReadPads();
  return ThePadKeys().Holds(scanCode, pad, Trunc(Game().gameState), Io().ElapsedTime());
}

}  // namespace zelvo
