// The scripted input backend, the recorder and the replay file they share.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

#include "runtime/platform/input_devices.h"
#include "runtime/platform/whole_file.h"

namespace plat {
namespace {

constexpr const char* kMagic = "input-replay 1";

// What a US keyboard types unshifted, so scripted tests read like typing.
void FillUsLayout(std::array<uint8_t, 256>& layout) {
  const char* digits = "1234567890-=";
  for (int i = 0; i < 12; ++i) layout[2 + i] = static_cast<uint8_t>(digits[i]);
  const char* top = "qwertyuiop[]";
  for (int i = 0; i < 12; ++i) layout[16 + i] = static_cast<uint8_t>(top[i]);
  const char* home = "asdfghjkl;'`";
  for (int i = 0; i < 12; ++i) layout[30 + i] = static_cast<uint8_t>(home[i]);
  const char* bottom = "\\zxcvbnm,./";
  for (int i = 0; i < 11; ++i) layout[43 + i] = static_cast<uint8_t>(bottom[i]);
  layout[15] = '\t';
  layout[55] = '*';
  layout[57] = ' ';
  const char* keypad = "789-456+1230.";
  for (int i = 0; i < 13; ++i) layout[71 + i] = static_cast<uint8_t>(keypad[i]);
  layout[181] = '/';
}

bool ValidKey(int code) {
  return code >= 0 && code < 256;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += ',';
    out += parts[i];
  }
  return out;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : text) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

bool ParseInt(const std::string& text, long long lo, long long hi, long long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

uint32_t ButtonMask(const JoystickState& j) {
  uint32_t mask = 0;
  for (int b = 0; b < kJoystickButtons; ++b)
    if (j.buttons[b]) mask |= 1u << b;
  return mask;
}

// Parses "C:CH,C:CH" into pairs checked against the ranges.
bool ParsePairs(const std::string& value, std::vector<std::pair<int, int>>* out) {
  for (const std::string& item : Split(value, ',')) {
    const auto halves = Split(item, ':');
    long long code = 0, ch = 0;
    if (halves.size() != 2 || !ParseInt(halves[0], 0, 255, &code) ||
        !ParseInt(halves[1], 0, 255, &ch))
      return false;
    out->emplace_back(static_cast<int>(code), static_cast<int>(ch));
  }
  return true;
}

// A pad's name goes into one field of a line: bytes that would end the
// field or the line, and the escape itself, as %XX.
std::string EncodeName(const std::string& name) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    if (c > 32 && c < 127 && c != '%' && c != ',') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool DecodeName(const std::string& text, std::string* name) {
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  name->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *name += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *name += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

std::string PadField(int slot, const PadState& p) {
  std::string f = "pad" + std::to_string(slot) + "=";
  if (!p.connected) return f + "-";
  for (int a = 0; a < kPadAxes; ++a) f += std::to_string(p.axes[a]) + ",";
  return f + std::to_string(p.buttons) + "," + EncodeName(p.name);
}

using Change = std::function<void(ScriptedInputDevices&)>;

// Turns one FIELD=VALUE into a change, or false when it is malformed.
bool ParseField(const std::string& field, std::vector<Change>* changes) {
  const size_t eq = field.find('=');
  if (eq == std::string::npos) return false;
  const std::string name = field.substr(0, eq);
  const std::string value = field.substr(eq + 1);
  long long v = 0;
  if (name == "focus" || name == "keyboard") {
    if (!ParseInt(value, 0, 1, &v)) return false;
    const bool on = v != 0;
    if (name == "focus")
      changes->push_back([on](ScriptedInputDevices& s) { s.SetFocus(on); });
    else
      changes->push_back([on](ScriptedInputDevices& s) { s.SetKeyboardDevice(on); });
    return true;
  }
  if (name == "keys" || name == "tap") {
    std::vector<int> codes;
    if (value != "-") {
      for (const std::string& item : Split(value, ',')) {
        if (!ParseInt(item, 0, 255, &v)) return false;
        codes.push_back(static_cast<int>(v));
      }
    }
    if (name == "tap") {
      changes->push_back([codes](ScriptedInputDevices& s) {
        for (int c : codes) s.Tap(c);
      });
    } else {
      changes->push_back([codes](ScriptedInputDevices& s) {
        std::array<bool, 256> held{};
        for (int c : codes) held[c] = true;
        for (int c = 0; c < 256; ++c) s.SetKey(c, held[c]);
      });
    }
    return true;
  }
  if (name == "text" || name == "layout") {
    std::vector<std::pair<int, int>> pairs;
    if (!ParsePairs(value, &pairs)) return false;
    const bool text = name == "text";
    changes->push_back([pairs, text](ScriptedInputDevices& s) {
      for (auto [code, ch] : pairs) {
        if (text)
          s.SetKeyText(code, ch);
        else
          s.SetLayoutCharacter(code, ch);
      }
    });
    return true;
  }
  if (name == "mouse" || name == "motion") {
    const auto xy = Split(value, ',');
    long long x = 0, y = 0;
    const long long lim = name == "mouse" ? INT32_MAX : INT64_MAX;
    if (xy.size() != 2 || !ParseInt(xy[0], -lim, lim, &x) || !ParseInt(xy[1], -lim, lim, &y))
      return false;
    if (name == "mouse") {
      changes->push_back([x, y](ScriptedInputDevices& s) {
        s.SetMouse(static_cast<int>(x), static_cast<int>(y));
      });
    } else {
      changes->push_back([x, y](ScriptedInputDevices& s) {
        s.MoveRelative(static_cast<int>(x - s.State().motionX),
                       static_cast<int>(y - s.State().motionY));
      });
    }
    return true;
  }
  if (name == "wheel") {
    if (!ParseInt(value, INT32_MIN, INT32_MAX, &v)) return false;
    changes->push_back(
        [v](ScriptedInputDevices& s) { s.TurnWheel(static_cast<int>(v - s.State().wheel)); });
    return true;
  }
  if (name == "buttons") {
    if (!ParseInt(value, 0, 7, &v)) return false;
    changes->push_back([v](ScriptedInputDevices& s) {
      for (int b = 0; b < 3; ++b) s.SetButton(b, (v >> b) & 1);
    });
    return true;
  }
  if (name.size() == 4 && name.compare(0, 3, "joy") == 0 && name[3] >= '0' && name[3] <= '9') {
    const int j = name[3] - '0';
    const auto items = Split(value, ',');
    if (items.size() != kJoystickAxes + 2) return false;
    JoystickState js;
    for (int a = 0; a < kJoystickAxes; ++a) {
      if (!ParseInt(items[a], -32768, 32767, &v)) return false;
      js.axes[a] = static_cast<int32_t>(v);
    }
    if (!ParseInt(items[kJoystickAxes], -1, 35999, &v)) return false;
    js.hat = v < 0 ? kHatCentred : static_cast<uint32_t>(v);
    if (!ParseInt(items[kJoystickAxes + 1], 0, UINT32_MAX, &v)) return false;
    for (int b = 0; b < kJoystickButtons; ++b) js.buttons[b] = ((v >> b) & 1) ? 0x80 : 0;
    changes->push_back([j, js](ScriptedInputDevices& s) {
      for (int a = 0; a < kJoystickAxes; ++a) s.SetJoyAxis(j, a, js.axes[a]);
      s.SetJoyHat(j, js.hat);
      for (int b = 0; b < kJoystickButtons; ++b) s.SetJoyButton(j, b, js.buttons[b] != 0);
    });
    return true;
  }
  if (name.size() == 4 && name.compare(0, 3, "pad") == 0 && name[3] >= '0' &&
      name[3] < '0' + kMaxPads) {
    const int slot = name[3] - '0';
    PadState pad;
    if (value != "-") {
      const auto items = Split(value, ',');
      if (items.size() != kPadAxes + 2) return false;
      for (int a = 0; a < kPadAxes; ++a) {
        if (!ParseInt(items[a], a < 4 ? -32768 : 0, 32767, &v)) return false;
        pad.axes[a] = static_cast<int16_t>(v);
      }
      if (!ParseInt(items[kPadAxes], 0, (1 << kPadButtons) - 1, &v)) return false;
      pad.buttons = static_cast<uint32_t>(v);
      if (!DecodeName(items[kPadAxes + 1], &pad.name)) return false;
      pad.connected = true;
    }
    changes->push_back([slot, pad](ScriptedInputDevices& s) { s.SetPad(slot, pad); });
    return true;
  }
  return false;
}

}  // namespace

// ---- scripted backend ------------------------------------------------------

ScriptedInputDevices::ScriptedInputDevices() {
  FillUsLayout(state_.layout);
}

void ScriptedInputDevices::BeginFrame() {
  ++frame_;
  poll_ = 0;
}

const InputSnapshot& ScriptedInputDevices::Poll() {
  RunDue();
  ++poll_;
  return state_;
}

void ScriptedInputDevices::RunDue() {
  // Changes may schedule further changes, so take one at a time.
  for (;;) {
    auto due = pending_.end();
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      if (it->frame > frame_ || (it->frame == frame_ && it->poll > poll_)) continue;
      if (due == pending_.end() ||
          std::tie(it->frame, it->poll, it->order) < std::tie(due->frame, due->poll, due->order))
        due = it;
    }
    if (due == pending_.end()) return;
    auto change = std::move(due->change);
    pending_.erase(due);
    change(*this);
  }
}

void ScriptedInputDevices::At(uint64_t frame, uint32_t poll, Change change) {
  pending_.push_back({frame, poll, nextOrder_++, std::move(change)});
}

void ScriptedInputDevices::WarpMouse(int x, int y) {
  warps.push_back({x, y});
  state_.mouseX = x;
  state_.mouseY = y;
}

bool ScriptedInputDevices::PlayForce(const ForceEffect& effect) {
  if (effect.joystick < 0 || effect.joystick >= static_cast<int>(state_.joystickNames.size()))
    return false;
  forces.push_back(effect);
  return true;
}

void ScriptedInputDevices::SetKey(int code, bool down) {
  if (!ValidKey(code)) return;
  const bool was = state_.keys[code] != 0;
  state_.keys[code] = down ? 0x80 : 0;
  if (down && !was) {
    ++state_.presses[code];
    state_.keyText[code] = 0;
  }
}

void ScriptedInputDevices::ReleaseAllKeys() {
  state_.keys.fill(0);
}

void ScriptedInputDevices::Tap(int code) {
  if (!ValidKey(code)) return;
  ++state_.presses[code];
  state_.keyText[code] = 0;
}

void ScriptedInputDevices::SetKeyText(int code, int character) {
  if (ValidKey(code)) state_.keyText[code] = static_cast<uint8_t>(character);
}

void ScriptedInputDevices::SetLayoutCharacter(int code, int character) {
  if (ValidKey(code)) state_.layout[code] = static_cast<uint8_t>(character);
}

void ScriptedInputDevices::SetMouse(int x, int y) {
  state_.mouseX = x;
  state_.mouseY = y;
}

void ScriptedInputDevices::MoveRelative(int dx, int dy) {
  state_.motionX += dx;
  state_.motionY += dy;
}

void ScriptedInputDevices::TurnWheel(int steps) {
  state_.wheel += steps;
}

void ScriptedInputDevices::SetButton(int button, bool down) {
  if (button < 0 || button > 2) return;
  const uint8_t bit = static_cast<uint8_t>(1u << button);
  state_.buttons = down ? (state_.buttons | bit) : (state_.buttons & ~bit);
}

int ScriptedInputDevices::AddJoystick(const std::string& name) {
  if (state_.joystickNames.size() >= kMaxJoysticks) return -1;
  state_.joystickNames.push_back(name);
  return static_cast<int>(state_.joystickNames.size()) - 1;
}

void ScriptedInputDevices::SetJoyAxis(int joystick, int axis, int value) {
  if (joystick < 0 || joystick >= kMaxJoysticks || axis < 0 || axis >= kJoystickAxes) return;
  state_.joysticks[joystick].axes[axis] = std::clamp(value, -32768, 32767);
}

void ScriptedInputDevices::SetJoyHat(int joystick, uint32_t hundredths) {
  if (joystick < 0 || joystick >= kMaxJoysticks) return;
  state_.joysticks[joystick].hat = hundredths;
}

void ScriptedInputDevices::SetJoyButton(int joystick, int button, bool down) {
  if (joystick < 0 || joystick >= kMaxJoysticks || button < 0 || button >= kJoystickButtons) return;
  state_.joysticks[joystick].buttons[button] = down ? 0x80 : 0;
}

int ScriptedInputDevices::ConnectPad(const std::string& name) {
  for (int p = 0; p < kMaxPads; ++p) {
    if (state_.pads[p].connected) continue;
    state_.pads[p] = PadState{};
    state_.pads[p].connected = true;
    state_.pads[p].name = name;
    return p;
  }
  return -1;
}

void ScriptedInputDevices::DisconnectPad(int pad) {
  if (pad >= 0 && pad < kMaxPads) state_.pads[pad] = PadState{};
}

void ScriptedInputDevices::SetPad(int pad, const PadState& state) {
  if (pad < 0 || pad >= kMaxPads) return;
  state_.pads[pad] = state.connected ? state : PadState{};
}

void ScriptedInputDevices::SetPadButton(int pad, int button, bool down) {
  if (pad < 0 || pad >= kMaxPads || button < 0 || button >= kPadButtons) return;
  PadState& p = state_.pads[pad];
  if (!p.connected) return;
  const uint32_t bit = 1u << button;
  p.buttons = down ? (p.buttons | bit) : (p.buttons & ~bit);
}

void ScriptedInputDevices::SetPadAxis(int pad, int axis, int value) {
  if (pad < 0 || pad >= kMaxPads || axis < 0 || axis >= kPadAxes) return;
  PadState& p = state_.pads[pad];
  if (!p.connected) return;
  // Triggers only pull one way.
  p.axes[axis] = static_cast<int16_t>(std::clamp(value, axis < 4 ? -32768 : 0, 32767));
}

bool ScriptedInputDevices::LoadReplay(const std::string& path, std::string* error) {
  // A replay is a few kilobytes of text; a bound keeps a wrong file from
  // being read into all the memory there is.
  constexpr uint64_t kLongestReplay = uint64_t{64} << 20;
  std::string text, why;
  if (!ReadWholeFile(path, text, kLongestReplay, &why)) {
    if (error) *error = "cannot open " + why;
    return false;
  }
  return LoadReplayText(text, error);
}

bool ScriptedInputDevices::LoadReplayText(const std::string& text, std::string* error) {
  auto fail = [error](int line, const std::string& why) {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return false;
  };
  std::istringstream in(text);
  std::string line;
  int number = 0;
  std::vector<std::string> names;
  struct Timed {
    uint64_t frame;
    uint32_t poll;
    std::vector<Change> changes;
  };
  std::vector<Timed> timed;
  bool sawMagic = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!sawMagic) {
      if (line != kMagic) return fail(number, "not an input replay of version 1");
      sawMagic = true;
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    if (line.compare(0, 9, "joystick ") == 0) {
      if (!timed.empty()) return fail(number, "joystick after the first timed line");
      if (names.size() >= kMaxJoysticks) return fail(number, "more than 10 joysticks");
      names.push_back(line.substr(9));
      continue;
    }
    const auto fields = Split(line, ' ');
    const auto when = Split(fields[0], '.');
    long long frame = 0, poll = 0;
    if (when.size() > 2 || !ParseInt(when[0], 0, INT64_MAX, &frame) ||
        (when.size() == 2 && !ParseInt(when[1], 0, UINT32_MAX, &poll)))
      return fail(number, "bad time '" + fields[0] + "'");
    if (!timed.empty() && std::pair<uint64_t, uint32_t>(frame, poll) <
                              std::pair<uint64_t, uint32_t>(timed.back().frame, timed.back().poll))
      return fail(number, "time goes backwards");
    Timed t{static_cast<uint64_t>(frame), static_cast<uint32_t>(poll), {}};
    for (size_t i = 1; i < fields.size(); ++i) {
      if (fields[i].empty()) continue;
      if (!ParseField(fields[i], &t.changes)) return fail(number, "bad field '" + fields[i] + "'");
    }
    timed.push_back(std::move(t));
  }
  if (!sawMagic) return fail(1, "empty file");

  state_ = InputSnapshot{};
  state_.joystickNames = names;
  for (Timed& t : timed) {
    At(t.frame, t.poll, [changes = std::move(t.changes)](ScriptedInputDevices& s) {
      for (const Change& c : changes) c(s);
    });
  }
  return true;
}

// ---- replay lines -----------------------------------------------------------

std::string ReplayChanges(const InputSnapshot& a, const InputSnapshot& b) {
  std::vector<std::string> fields;
  if (a.focused != b.focused) fields.push_back(std::string("focus=") + (b.focused ? "1" : "0"));
  if (a.keyboardDevice != b.keyboardDevice)
    fields.push_back(std::string("keyboard=") + (b.keyboardDevice ? "1" : "0"));
  if (a.layout != b.layout) {
    std::vector<std::string> items;
    for (int c = 0; c < 256; ++c)
      if (a.layout[c] != b.layout[c])
        items.push_back(std::to_string(c) + ":" + std::to_string(b.layout[c]));
    fields.push_back("layout=" + Join(items));
  }
  bool keysChanged = false;
  std::vector<std::string> held, taps;
  for (int c = 0; c < 256; ++c) {
    const bool was = a.keys[c] != 0, is = b.keys[c] != 0;
    if (was != is) keysChanged = true;
    if (is) held.push_back(std::to_string(c));
    int64_t extra = static_cast<int64_t>(b.presses[c]) - a.presses[c] - ((is && !was) ? 1 : 0);
    for (; extra > 0; --extra) taps.push_back(std::to_string(c));
  }
  if (keysChanged) fields.push_back("keys=" + (held.empty() ? std::string("-") : Join(held)));
  if (!taps.empty()) fields.push_back("tap=" + Join(taps));
  // A press clears the key's text, so text goes after the keys and taps.
  std::vector<std::string> text;
  for (int c = 0; c < 256; ++c) {
    const bool pressed = b.presses[c] != a.presses[c];
    if (a.keyText[c] != b.keyText[c] || (pressed && b.keyText[c] != 0))
      text.push_back(std::to_string(c) + ":" + std::to_string(b.keyText[c]));
  }
  if (!text.empty()) fields.push_back("text=" + Join(text));
  if (a.mouseX != b.mouseX || a.mouseY != b.mouseY)
    fields.push_back("mouse=" + std::to_string(b.mouseX) + "," + std::to_string(b.mouseY));
  if (a.motionX != b.motionX || a.motionY != b.motionY)
    fields.push_back("motion=" + std::to_string(b.motionX) + "," + std::to_string(b.motionY));
  if (a.wheel != b.wheel) fields.push_back("wheel=" + std::to_string(b.wheel));
  if (a.buttons != b.buttons) fields.push_back("buttons=" + std::to_string(b.buttons));
  for (int j = 0; j < kMaxJoysticks; ++j) {
    const JoystickState& x = a.joysticks[j];
    const JoystickState& y = b.joysticks[j];
    if (x == y) continue;
    std::string f = "joy" + std::to_string(j) + "=";
    for (int ax = 0; ax < kJoystickAxes; ++ax) f += std::to_string(y.axes[ax]) + ",";
    f += (y.hat == kHatCentred ? std::string("-1") : std::to_string(y.hat)) + ",";
    f += std::to_string(ButtonMask(y));
    fields.push_back(f);
  }
  for (int p = 0; p < kMaxPads; ++p)
    if (!(a.pads[p] == b.pads[p])) fields.push_back(PadField(p, b.pads[p]));
  std::string out;
  for (const std::string& f : fields) out += " " + f;
  return out.empty() ? out : out.substr(1);
}

// ---- recorder ---------------------------------------------------------------

RecordingInputDevices::RecordingInputDevices(InputDevices& inner, const std::string& path)
    : inner_(inner), out_(std::fopen(path.c_str(), "wb")) {
  if (out_) std::fprintf(out_, "%s\n", kMagic);
}

RecordingInputDevices::~RecordingInputDevices() {
  if (out_) std::fclose(out_);
}

void RecordingInputDevices::Open() {
  inner_.Open();
}

void RecordingInputDevices::Close() {
  inner_.Close();
  if (out_) std::fflush(out_);
}

void RecordingInputDevices::BeginFrame() {
  inner_.BeginFrame();
  ++frame_;
  poll_ = 0;
}

const InputSnapshot& RecordingInputDevices::Poll() {
  const InputSnapshot& seen = inner_.Poll();
  const uint32_t poll = poll_++;
  if (!out_) return seen;
  if (!headerWritten_) {
    headerWritten_ = true;
    for (const std::string& name : seen.joystickNames)
      std::fprintf(out_, "joystick %s\n", name.c_str());
    written_.joystickNames = seen.joystickNames;
  }
  if (seen == written_) return seen;
  const std::string changes = ReplayChanges(written_, seen);
  if (!changes.empty()) {
    if (poll == 0)
      std::fprintf(out_, "%llu %s\n", static_cast<unsigned long long>(frame_), changes.c_str());
    else
      std::fprintf(out_, "%llu.%u %s\n", static_cast<unsigned long long>(frame_), poll,
                   changes.c_str());
    std::fflush(out_);
  }
  written_ = seen;
  return seen;
}

void RecordingInputDevices::WarpMouse(int x, int y) {
  inner_.WarpMouse(x, y);
  // A replay moves its cursor on a warp, so the file need only say where
  // the real cursor went when that differs.
  written_.mouseX = x;
  written_.mouseY = y;
}

}  // namespace plat
