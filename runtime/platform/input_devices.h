// Keyboard, mouse and joysticks as the input commands see them: one
// interface with a real backend (SDL) and a scripted one that tests and
// replays drive frame by frame, plus a recorder that writes what a backend
// saw so the scripted one can play it back.
//
// Time runs in frames and polls. The input layer opens a frame once per
// presented frame and once per step of its waits (BeginFrame), and reads the
// devices (Poll) whenever a command needs fresh state. A backend answers a
// Poll with a snapshot; between two polls nothing changes.
//
// Replay file format, version 1. Plain text, one item per line, fields
// separated by single spaces; "#" lines and empty lines are ignored. Line 1
// is "input-replay 1". Next come "joystick NAME..." lines, one per attached
// stick in index order (the rest of the line is the name). Every other line
// is timed: "FRAME.POLL FIELD=VALUE ..." (or "FRAME ...", meaning poll 0)
// applies from the POLL-th poll of FRAME on (frame 0 is before the first
// BeginFrame; polls count from 0 in each frame). Timed lines are in time
// order, start from an empty snapshot (focused, keyboard device present,
// nothing held, no layout), and a field not named keeps its value. Fields:
// focus=0|1; keyboard=0|1 (0: no keyboard device, keys are then virtual
// keys); keys=C,C,... every held key ("-" none; a key that becomes held
// counts as one press); tap=C,C,... extra presses (pressed and released
// between polls; a code twice means two presses); text=C:CH,... character
// the latest press of key C typed (0 clears); layout=C:CH,... character key
// C gives unshifted; mouse=X,Y cursor in window pixels; motion=DX,DY and
// wheel=N relative motion and wheel steps summed since start; buttons=B
// (bit 0 left, 1 right, 2 middle); joyJ=X,Y,Z,RX,RY,RZ,HAT,MASK raw axes,
// hat in hundredths of a degree (-1 centred) and pressed buttons as a
// 32-bit mask; padP=LX,LY,RX,RY,LT,RT,MASK,NAME a gamepad connected in slot
// P (0-3) with its axes, held buttons (bit b = PadButton b) and its name
// with bytes outside "!".."~" and "%", "," written as %XX; padP=- the pad
// in slot P unplugged. Numbers are decimal. A warp the program asks for moves the
// replayed cursor as it moved the real one, so the file only says where the
// cursor went when that differs.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace plat {

struct Window;

inline constexpr int kMaxJoysticks = 10;
inline constexpr int kJoystickAxes = 6;  // X, Y, Z, RX, RY, RZ
inline constexpr int kJoystickButtons = 32;
// Hundredths of a degree, clockwise from up; this value means "centred".
inline constexpr uint32_t kHatCentred = 0xFFFFFFFFu;

struct JoystickState {
  std::array<int32_t, kJoystickAxes> axes{};  // -32768..32767
  uint32_t hat = kHatCentred;
  std::array<uint8_t, kJoystickButtons> buttons{};  // 0x80 pressed

  bool operator==(const JoystickState&) const = default;
};

// Gamepads: controllers with a known layout, so button 0 is the bottom face
// button whatever the make. They come and go while the program runs; a new
// one takes the lowest free slot and keeps it until it is unplugged.
inline constexpr int kMaxPads = 4;
inline constexpr int kPadAxes = 6;  // left X, Y, right X, Y, left, right trigger
// A, B, X, Y, Back, Guide, Start, left stick, right stick, left shoulder,
// right shoulder, d-pad up, down, left, right: bits 0 to 14 of a button mask.
inline constexpr int kPadButtons = 15;

struct PadState {
  bool connected = false;
  std::string name;
  // Sticks -32768..32767 (down and right positive), triggers 0..32767.
  std::array<int16_t, kPadAxes> axes{};
  uint32_t buttons = 0;  // bit b: button b held

  bool operator==(const PadState&) const = default;
};

struct InputSnapshot {
  bool focused = true;
  // False when there is no keyboard device: keys then holds the state of
  // virtual keys and the input layer reads it through its fallback map.
  bool keyboardDevice = true;
  std::array<uint8_t, 256> keys{};  // 0x80 = held now
  // Key-down count per key since start. A key pressed and released between
  // two polls shows only here.
  std::array<uint32_t, 256> presses{};
  // Character the latest press of each key typed through the text input
  // (shifted symbols, dead keys resolved), 0 when none came.
  std::array<uint8_t, 256> keyText{};
  // Character each key gives unshifted in the current layout, 0 for none.
  std::array<uint8_t, 256> layout{};
  int32_t mouseX = 0, mouseY = 0;          // cursor in window pixels
  int64_t motionX = 0, motionY = 0;        // relative motion total since start
  int64_t wheel = 0;                       // wheel steps total since start
  uint8_t buttons = 0;                     // bit 0 left, 1 right, 2 middle
  std::vector<std::string> joystickNames;  // attached sticks, at most 10
  std::array<JoystickState, kMaxJoysticks> joysticks{};
  std::array<PadState, kMaxPads> pads{};

  bool operator==(const InputSnapshot&) const = default;
};

struct ForceEffect {
  int joystick = 0;
  int directionX = 0, directionY = 0;  // -32767..32767
  int level = 0;                       // 0..32767
  uint32_t durationMs = 0;
};

class InputDevices {
 public:
  virtual ~InputDevices() = default;

  // Opens the joysticks (the first 10 found) and starts watching events.
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual void AttachWindow(Window* window) = 0;

  virtual void BeginFrame() = 0;
  virtual const InputSnapshot& Poll() = 0;

  // Cursor placement in window pixels.
  virtual void WarpMouse(int x, int y) = 0;
  virtual void ShowCursor(bool shown) = 0;
  // Relative mode: the cursor is hidden and held, and motion keeps coming.
  virtual void SetRelativeMouse(bool on) = 0;
  // Plays one constant force on a stick, replacing the stick's previous
  // effect. False when the stick has no force feedback.
  virtual bool PlayForce(const ForceEffect& effect) = 0;
};

// The backend the input layer uses: the SDL one unless a test or a replay
// installed another. Installing null restores SDL.
InputDevices& ActiveInputDevices();
void InstallInputDevices(InputDevices* devices);

// The SDL backend (created on first use, lives for the process).
InputDevices& SdlInputDevices();

// A backend driven by a script. Setters change the state at once; At()
// schedules changes for a later frame and poll. Outputs (warps, cursor
// changes, forces) are recorded.
class ScriptedInputDevices : public InputDevices {
 public:
  ScriptedInputDevices();

  void Open() override {}
  void Close() override {}
  void AttachWindow(Window*) override {}
  void BeginFrame() override;
  const InputSnapshot& Poll() override;
  void WarpMouse(int x, int y) override;
  void ShowCursor(bool shown) override { cursorShows.push_back(shown); }
  void SetRelativeMouse(bool on) override { relativeMouse = on; }
  bool PlayForce(const ForceEffect& effect) override;

  // Runs change on the state when the given frame's given poll comes (at
  // once if that time has passed).
  void At(uint64_t frame, uint32_t poll, std::function<void(ScriptedInputDevices&)> change);
  void At(uint64_t frame, std::function<void(ScriptedInputDevices&)> change) {
    At(frame, 0, std::move(change));
  }
  // Reads a replay file (format above) and schedules it. False with a
  // reason in error when the file is missing or malformed; nothing is
  // scheduled then.
  bool LoadReplay(const std::string& path, std::string* error = nullptr);
  bool LoadReplayText(const std::string& text, std::string* error = nullptr);

  // ---- state changes ----
  void SetFocus(bool focused) { state_.focused = focused; }
  void SetKeyboardDevice(bool present) { state_.keyboardDevice = present; }
  // Pressing counts as one press; a key already held is not pressed again.
  void SetKey(int code, bool down);
  void ReleaseAllKeys();
  // A press and release that both fall between two polls.
  void Tap(int code);
  // The character the key's latest press typed (shifted symbols).
  void SetKeyText(int code, int character);
  void SetLayoutCharacter(int code, int character);
  void SetMouse(int x, int y);
  void MoveRelative(int dx, int dy);
  void TurnWheel(int steps);
  void SetButton(int button, bool down);  // 0 left, 1 right, 2 middle
  // Adds a stick (up to 10); returns its index or -1.
  int AddJoystick(const std::string& name);
  void SetJoyAxis(int joystick, int axis, int value);
  void SetJoyHat(int joystick, uint32_t hundredths);
  void SetJoyButton(int joystick, int button, bool down);
  // Plugs a pad into the lowest free slot; returns the slot or -1 when all
  // are taken.
  int ConnectPad(const std::string& name);
  // Unplugs the pad in the slot (its state goes with it).
  void DisconnectPad(int pad);
  // The whole state of a slot at once (replays); a state that is not
  // connected unplugs the slot.
  void SetPad(int pad, const PadState& state);
  void SetPadButton(int pad, int button, bool down);
  void SetPadAxis(int pad, int axis, int value);

  const InputSnapshot& State() const { return state_; }
  uint64_t Frame() const { return frame_; }
  uint32_t PollCount() const { return poll_; }
  // True once every scheduled change has run.
  bool Finished() const { return pending_.empty(); }

  // ---- recorded outputs ----
  struct Point {
    int x, y;
  };
  std::vector<Point> warps;
  std::vector<bool> cursorShows;
  bool relativeMouse = false;
  std::vector<ForceEffect> forces;

 private:
  struct Pending {
    uint64_t frame;
    uint32_t poll;
    uint64_t order;
    std::function<void(ScriptedInputDevices&)> change;
  };
  void RunDue();

  InputSnapshot state_;
  uint64_t frame_ = 0;
  uint32_t poll_ = 0;
  uint64_t nextOrder_ = 0;
  std::vector<Pending> pending_;
};

// Wraps a backend and writes every change of what it saw to a replay file.
// The file is complete after every poll (flushed), so a crash keeps it.
class RecordingInputDevices : public InputDevices {
 public:
  RecordingInputDevices(InputDevices& inner, const std::string& path);
  ~RecordingInputDevices() override;
  bool ok() const { return out_ != nullptr; }

  void Open() override;
  void Close() override;
  void AttachWindow(Window* window) override { inner_.AttachWindow(window); }
  void BeginFrame() override;
  const InputSnapshot& Poll() override;
  void WarpMouse(int x, int y) override;
  void ShowCursor(bool shown) override { inner_.ShowCursor(shown); }
  void SetRelativeMouse(bool on) override { inner_.SetRelativeMouse(on); }
  bool PlayForce(const ForceEffect& effect) override { return inner_.PlayForce(effect); }

 private:
  InputDevices& inner_;
  std::FILE* out_ = nullptr;
  bool headerWritten_ = false;
  InputSnapshot written_;  // what a replay holds after the lines so far
  uint64_t frame_ = 0;
  uint32_t poll_ = 0;
};

// Text of one timed line taking a replay from state before to state after,
// or empty when nothing differs. Exposed for the recorder's tests.
std::string ReplayChanges(const InputSnapshot& before, const InputSnapshot& after);

}  // namespace plat
