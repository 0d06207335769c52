// The real input backend: SDL's keyboard, mouse, joystick, game controller
// and haptic devices, read into snapshots. Key presses, typed text, relative
// motion and the wheel arrive as events; an event watch counts them as SDL
// pumps them, so nothing is taken away from the window's own event
// handling. Game controllers plugged in or out are noticed the same way and
// opened or closed at the next poll.
#include <SDL.h>

#include <algorithm>

#include "runtime/platform/input_devices.h"
#include "runtime/platform/keymap.h"
#include "runtime/platform/sdl_window.h"
#include "runtime/platform/test_backend.h"

namespace plat {
namespace {

uint32_t HatHundredths(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP:
      return 0;
    case SDL_HAT_RIGHTUP:
      return 4500;
    case SDL_HAT_RIGHT:
      return 9000;
    case SDL_HAT_RIGHTDOWN:
      return 13500;
    case SDL_HAT_DOWN:
      return 18000;
    case SDL_HAT_LEFTDOWN:
      return 22500;
    case SDL_HAT_LEFT:
      return 27000;
    case SDL_HAT_LEFTUP:
      return 31500;
    default:
      return kHatCentred;
  }
}

// The first code point of UTF-8 text when the text is exactly one
// character, else -1.
int SingleCodePoint(const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  int cp = -1;
  int len = 0;
  if (p[0] < 0x80) {
    cp = p[0];
    len = 1;
  } else if ((p[0] & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
    cp = ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
    len = 2;
  } else {
    return -1;  // beyond one byte of the runtime's texts
  }
  return p[len] == 0 ? cp : -1;
}

// Names end up in one-line replay headers and fixed text slots.
std::string CleanName(const char* name) {
  std::string out = name ? name : "";
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return out;
}

class SdlBackend final : public InputDevices {
 public:
  SdlBackend() {
    sdlScancode_.fill(-1);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      const int code = ScanCodeFromSdl(sc);
      if (code > 0 && sdlScancode_[code] < 0) sdlScancode_[code] = sc;
    }
    effects_.fill(-1);
  }

  void Open() override {
    if (opened_) return;
    opened_ = true;
    SDL_AddEventWatch(&SdlBackend::Watch, this);
    watching_ = true;
    // Controllers open on the joystick subsystem; either may fail alone.
    padsUp_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    padsStale_ = true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
      joystickUp_ = true;
      hapticUp_ = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
      const int found = SDL_NumJoysticks();
      for (int i = 0; i < found && count_ < kMaxJoysticks; ++i) {
        SDL_Joystick* j = SDL_JoystickOpen(i);
        if (!j) continue;
        sticks_[count_] = j;
        snap_.joystickNames.push_back(CleanName(SDL_JoystickName(j)));
        if (hapticUp_ && SDL_JoystickIsHaptic(j) == 1) {
          SDL_Haptic* h = SDL_HapticOpenFromJoystick(j);
          if (h && (SDL_HapticQuery(h) & SDL_HAPTIC_CONSTANT) == 0) {
            SDL_HapticClose(h);
            h = nullptr;
          }
          haptics_[count_] = h;
        }
        ++count_;
      }
    }
    layoutStale_ = true;
  }

  void Close() override {
    if (watching_) SDL_DelEventWatch(&SdlBackend::Watch, this);
    watching_ = false;
    // After SDL itself quit, the handles are gone already.
    const bool handlesLive = SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
    for (int i = 0; i < kMaxJoysticks; ++i) {
      if (handlesLive && haptics_[i]) {
        if (effects_[i] >= 0) SDL_HapticDestroyEffect(haptics_[i], effects_[i]);
        SDL_HapticClose(haptics_[i]);
      }
      if (handlesLive && sticks_[i]) SDL_JoystickClose(sticks_[i]);
      haptics_[i] = nullptr;
      sticks_[i] = nullptr;
      effects_[i] = -1;
    }
    const bool padHandlesLive = SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0;
    for (int p = 0; p < kMaxPads; ++p) {
      if (padHandlesLive && pads_[p]) SDL_GameControllerClose(pads_[p]);
      pads_[p] = nullptr;
      padIds_[p] = -1;
      snap_.pads[p] = PadState{};
    }
    count_ = 0;
    snap_.joystickNames.clear();
    snap_.joysticks = {};
    if (handlesLive && hapticUp_) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    if (handlesLive && joystickUp_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (padHandlesLive && padsUp_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    hapticUp_ = joystickUp_ = padsUp_ = false;
    opened_ = false;
  }

  void AttachWindow(Window* window) override { window_ = window; }

  void BeginFrame() override {}

  const InputSnapshot& Poll() override {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return snap_;
    SDL_Window* focus = SDL_GetKeyboardFocus();
    snap_.focused = focus != nullptr && (!window_ || focus == window_->sdl);
    int n = 0;
    const Uint8* state = SDL_GetKeyboardState(&n);
    for (int code = 0; code < 256; ++code) {
      const int sc = sdlScancode_[code];
      snap_.keys[code] = (sc >= 0 && sc < n && state[sc]) ? 0x80 : 0;
    }
    if (layoutStale_) {
      layoutStale_ = false;
      for (int code = 0; code < 256; ++code) {
        const int sc = sdlScancode_[code];
        const SDL_Keycode key = sc >= 0 ? SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc)) : 0;
        snap_.layout[code] = (key > 0 && key < 256 && key != SDLK_DELETE) ? key : 0;
      }
    }
    int x = 0, y = 0;
    const Uint32 mask = SDL_GetMouseState(&x, &y);
    snap_.mouseX = x;
    snap_.mouseY = y;
    snap_.buttons = static_cast<uint8_t>(((mask & SDL_BUTTON_LMASK) ? 1 : 0) |
                                         ((mask & SDL_BUTTON_RMASK) ? 2 : 0) |
                                         ((mask & SDL_BUTTON_MMASK) ? 4 : 0));
    for (int i = 0; i < count_; ++i) ReadStick(i);
    if (padsUp_) {
      if (padsStale_) FindPads();
      for (int p = 0; p < kMaxPads; ++p) ReadPad(p);
    }
    return snap_;
  }

  void WarpMouse(int x, int y) override {
    if (window_ && window_->sdl) SDL_WarpMouseInWindow(window_->sdl, x, y);
  }

  void ShowCursor(bool shown) override {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
  }

  void SetRelativeMouse(bool on) override {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
  }

  bool PlayForce(const ForceEffect& e) override {
    if (e.joystick < 0 || e.joystick >= count_ || !haptics_[e.joystick]) return false;
    SDL_Haptic* h = haptics_[e.joystick];
    SDL_HapticStopAll(h);
    // One effect per stick: the device has few slots, and a game that
    // rumbles every frame would otherwise run out of them.
    if (effects_[e.joystick] >= 0) SDL_HapticDestroyEffect(h, effects_[e.joystick]);
    effects_[e.joystick] = -1;
    if (SDL_HapticQuery(h) & SDL_HAPTIC_GAIN) SDL_HapticSetGain(h, 100);
    SDL_HapticEffect effect{};
    effect.type = SDL_HAPTIC_CONSTANT;
    effect.constant.direction.type = SDL_HAPTIC_CARTESIAN;
    effect.constant.direction.dir[0] = e.directionX;
    effect.constant.direction.dir[1] = e.directionY;
    effect.constant.length = e.durationMs;
    effect.constant.level = static_cast<Sint16>(std::clamp(e.level, 0, 32767));
    const int id = SDL_HapticNewEffect(h, &effect);
    if (id < 0) return false;
    effects_[e.joystick] = id;
    return SDL_HapticRunEffect(h, id, 1) == 0;
  }

 private:
  static int SDLCALL Watch(void* self, SDL_Event* ev) {
    static_cast<SdlBackend*>(self)->Observe(*ev);
    return 0;
  }

  void Observe(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_KEYDOWN: {
        if (ev.key.repeat) return;
        const int code = ScanCodeFromSdl(ev.key.keysym.scancode);
        if (code <= 0 || code > 255) return;
        ++snap_.presses[code];
        snap_.keyText[code] = 0;
        lastPressed_ = code;
        return;
      }
      case SDL_TEXTINPUT: {
        // Text follows the key-down that produced it in the same pump.
        const int cp = SingleCodePoint(ev.text.text);
        if (lastPressed_ > 0 && cp >= 32 && cp < 256)
          snap_.keyText[lastPressed_] = static_cast<uint8_t>(cp);
        lastPressed_ = -1;
        return;
      }
      case SDL_MOUSEMOTION:
        if (ev.motion.which == SDL_TOUCH_MOUSEID) return;
        snap_.motionX += ev.motion.xrel;
        snap_.motionY += ev.motion.yrel;
        return;
      case SDL_MOUSEWHEEL: {
        if (ev.wheel.which == SDL_TOUCH_MOUSEID) return;
        const int y = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -ev.wheel.y : ev.wheel.y;
        snap_.wheel += y;
        return;
      }
      case SDL_KEYMAPCHANGED:
        layoutStale_ = true;
        return;
      case SDL_CONTROLLERDEVICEADDED:
      case SDL_CONTROLLERDEVICEREMOVED:
      case SDL_CONTROLLERDEVICEREMAPPED:
        // Opening a device from inside SDL's event push is not safe; the
        // next poll does it.
        padsStale_ = true;
        return;
      default:
        return;
    }
  }

  void ReadStick(int i) {
    SDL_Joystick* j = sticks_[i];
    JoystickState& s = snap_.joysticks[i];
    s = JoystickState{};  // a stick that went away reads centred
    if (!j || !SDL_JoystickGetAttached(j)) return;
    const int axes = std::min(SDL_JoystickNumAxes(j), kJoystickAxes);
    for (int a = 0; a < axes; ++a) s.axes[a] = SDL_JoystickGetAxis(j, a);
    if (SDL_JoystickNumHats(j) > 0) s.hat = HatHundredths(SDL_JoystickGetHat(j, 0));
    const int buttons = std::min(SDL_JoystickNumButtons(j), kJoystickButtons);
    for (int b = 0; b < buttons; ++b) s.buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
  }

  // Closes the pads that went away and opens the controllers not yet in a
  // slot, each into the lowest free one.
  void FindPads() {
    padsStale_ = false;
    for (int p = 0; p < kMaxPads; ++p) {
      if (pads_[p] && !SDL_GameControllerGetAttached(pads_[p])) {
        SDL_GameControllerClose(pads_[p]);
        pads_[p] = nullptr;
        padIds_[p] = -1;
      }
    }
    const int found = SDL_NumJoysticks();
    for (int i = 0; i < found; ++i) {
      if (!SDL_IsGameController(i)) continue;
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
      if (id < 0 || std::find(padIds_.begin(), padIds_.end(), id) != padIds_.end()) continue;
      const auto free = std::find(pads_.begin(), pads_.end(), nullptr);
      if (free == pads_.end()) return;
      SDL_GameController* c = SDL_GameControllerOpen(i);
      if (!c) continue;
      const auto slot = free - pads_.begin();
      pads_[slot] = c;
      padIds_[slot] = id;
      snap_.pads[slot] = PadState{};  // nothing of the slot's last pad
    }
  }

  void ReadPad(int p) {
    PadState& s = snap_.pads[p];
    SDL_GameController* c = pads_[p];
    if (!c || !SDL_GameControllerGetAttached(c)) {
      s = PadState{};  // an unplugged pad reads as no pad, nothing held
      return;
    }
    s.connected = true;
    if (s.name.empty()) {
      s.name = CleanName(SDL_GameControllerName(c));
      if (s.name.empty()) s.name = "Gamepad";
    }
    static constexpr SDL_GameControllerAxis kAxes[kPadAxes] = {
        SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
        SDL_CONTROLLER_AXIS_RIGHTX,      SDL_CONTROLLER_AXIS_RIGHTY,
        SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
    for (int a = 0; a < kPadAxes; ++a) {
      const Sint16 v = SDL_GameControllerGetAxis(c, kAxes[a]);
      s.axes[a] = a < 4 ? v : static_cast<int16_t>(std::max<Sint16>(v, 0));
    }
    // The runtime's button numbers are SDL's first fifteen.
    static_assert(SDL_CONTROLLER_BUTTON_A == 0 && SDL_CONTROLLER_BUTTON_DPAD_RIGHT == 14);
    uint32_t mask = 0;
    for (int b = 0; b < kPadButtons; ++b)
      if (SDL_GameControllerGetButton(c, static_cast<SDL_GameControllerButton>(b))) mask |= 1u << b;
    s.buttons = mask;
  }

  Window* window_ = nullptr;
  bool opened_ = false, watching_ = false, joystickUp_ = false, hapticUp_ = false;
  bool padsUp_ = false, padsStale_ = false;
  std::array<SDL_GameController*, kMaxPads> pads_{};
  std::array<SDL_JoystickID, kMaxPads> padIds_{-1, -1, -1, -1};
  bool layoutStale_ = true;
  int lastPressed_ = -1;
  int count_ = 0;
  std::array<int, 256> sdlScancode_{};
  std::array<SDL_Joystick*, kMaxJoysticks> sticks_{};
  std::array<SDL_Haptic*, kMaxJoysticks> haptics_{};
  std::array<int, kMaxJoysticks> effects_{};
  InputSnapshot snap_;
};

InputDevices* g_installed = nullptr;

}  // namespace

InputDevices& SdlInputDevices() {
  static auto* devices = new SdlBackend;  // outlives every static user
  return *devices;
}

InputDevices& ActiveInputDevices() {
  return g_installed ? *g_installed : SdlInputDevices();
}

void InstallInputDevices(InputDevices* devices) {
  g_installed = devices;
}

VirtualPad::VirtualPad() {
  // Test windows never hold the keyboard focus, and SDL drops the presses of
  // pads while no window of the program does.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  const int index = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  SDL_Joystick* j = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  if (!j) {
    if (index >= 0) SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return;
  }
  stick_ = j;
  id_ = SDL_JoystickInstanceID(j);
}

VirtualPad::~VirtualPad() {
  if (!stick_) return;
  SDL_JoystickClose(static_cast<SDL_Joystick*>(stick_));
  // Detaching goes by the device's place in the list, which earlier
  // detaches may have moved.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

std::string VirtualPad::Error() {
  return SDL_GetError();
}

void VirtualPad::SetButton(int button, bool down) {
  if (stick_)
    SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(stick_), button, down ? 1 : 0);
}

void VirtualPad::SetAxis(int axis, int value) {
  if (stick_)
    SDL_JoystickSetVirtualAxis(static_cast<SDL_Joystick*>(stick_), axis,
                               static_cast<Sint16>(std::clamp(value, -32768, 32767)));
}

}  // namespace plat
