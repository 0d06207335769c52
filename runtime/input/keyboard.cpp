#include "runtime/input/keyboard.h"

#include <algorithm>
#include <cmath>

#include "runtime/input/input_service.h"
#include "runtime/input/input_state.h"
#include "runtime/platform/input_devices.h"

namespace {

constexpr uint8_t kNoKey = 255;

struct FallbackMap {
  uint8_t vk[256];
  constexpr FallbackMap() : vk{} {
    for (int i = 0; i < 256; ++i) vk[i] = kNoKey;
    const uint8_t top[] = {81, 87, 69, 82, 84, 90, 85, 73, 79, 80};  // QWERTZUIOP
    const uint8_t home[] = {65, 83, 68, 70, 71, 72, 74, 75, 76};
    const uint8_t bottom[] = {89, 88, 67, 86, 66, 78, 77};
    vk[0] = 13;
    vk[1] = 27;
    for (int i = 2; i <= 10; ++i) vk[i] = static_cast<uint8_t>(47 + i);
    vk[11] = 48;
    vk[12] = 219;
    vk[13] = 221;
    vk[14] = 8;
    vk[15] = 9;
    for (int i = 0; i < 10; ++i) vk[16 + i] = top[i];
    vk[26] = 186;
    vk[27] = 187;
    vk[28] = 13;
    vk[29] = 17;
    for (int i = 0; i < 9; ++i) vk[30 + i] = home[i];
    vk[39] = 192;
    vk[40] = 222;
    vk[41] = 220;
    vk[42] = 16;
    vk[43] = 191;
    for (int i = 0; i < 7; ++i) vk[44 + i] = bottom[i];
    vk[51] = 188;
    vk[52] = 190;
    vk[53] = 189;
    vk[54] = 16;
    vk[55] = 106;
    vk[56] = 18;
    vk[57] = 32;
    // Caps Lock reads its own key; the game uses it.
    vk[58] = 20;
    for (int i = 59; i <= 68; ++i) vk[i] = static_cast<uint8_t>(53 + i);
    vk[69] = 144;
    vk[70] = 145;
    vk[71] = 103;
    vk[72] = 104;
    vk[73] = 105;
    vk[74] = 109;
    vk[75] = 100;
    vk[76] = 101;
    vk[77] = 102;
    vk[78] = 107;
    vk[79] = 97;
    vk[80] = 98;
    vk[81] = 99;
    vk[82] = 96;
    vk[83] = 110;
    vk[86] = 226;
    vk[87] = 122;
    vk[88] = 123;
    vk[156] = 28;
    vk[157] = 17;
    vk[181] = 111;
    vk[184] = 18;
    vk[199] = 36;
    vk[200] = 38;
    vk[201] = 33;
    vk[203] = 37;
    vk[205] = 39;
    vk[207] = 35;
    vk[208] = 40;
    vk[209] = 34;
    vk[210] = 45;
    vk[211] = 46;
    vk[219] = 91;
    vk[220] = 92;
    vk[221] = 93;
  }
};

constexpr FallbackMap kFallback;

// Index of the key's entry in the key state, or -1 when it has none.
int StateIndex(int code) {
  if (code < 0 || code > 255) return -1;
  if (Input().keyboardDevice) return code;
  const uint8_t vk = kFallback.vk[code];
  return vk == kNoKey ? -1 : vk;
}

}  // namespace

uint8_t FallbackVirtualKey(int code) {
  return (code < 0 || code > 255) ? kNoKey : kFallback.vk[code];
}

void SampleKeyboard() {
  InputState& in = Input();
  const plat::InputSnapshot& s = Devices().Poll();
  if (!s.focused) {
    // Keys change only while the window is active: a press made while
    // another window has the focus was meant for that window, so it counts
    // as seen and never surfaces once the focus returns. Presses not yet
    // read from before the focus went stay.
    for (int i = 0; i < 256; ++i) {
      if (s.presses[i] >= in.presses[i]) {
        const uint32_t unseen = s.presses[i] - in.presses[i];
        in.pressesSeen[i] += unseen;
        in.pressesAtFrame[i] += unseen;
      } else {
        in.pressesSeen[i] = std::min(in.pressesSeen[i], s.presses[i]);
        in.pressesAtFrame[i] = std::min(in.pressesAtFrame[i], s.presses[i]);
      }
      in.presses[i] = s.presses[i];
    }
    return;
  }
  in.keyboardDevice = s.keyboardDevice;
  in.keyText = s.keyText;
  in.layout = s.layout;
  for (int i = 0; i < 256; ++i) {
    // A different backend (a replay installed) counts from its own start.
    if (s.presses[i] < in.pressesSeen[i]) in.pressesSeen[i] = s.presses[i];
    if (s.presses[i] < in.pressesAtFrame[i]) in.pressesAtFrame[i] = s.presses[i];
    in.presses[i] = s.presses[i];
    if (in.withheld[i]) {
      // Its press, and any tap of it, belong to the runtime.
      in.pressesSeen[i] = in.pressesAtFrame[i] = s.presses[i];
      in.keys[i] = 0;
      if (!s.keys[i]) in.withheld[i] = false;
      continue;
    }
    const bool tapped = s.presses[i] > in.pressesSeen[i];
    in.keys[i] = (s.keys[i] || tapped) ? 0x80 : 0;
  }
}

void InputWithholdKey(int code) {
  const int i = StateIndex(code);
  if (i < 0) return;
  InputState& in = Input();
  in.withheld[i] = true;
  in.keys[i] = 0;
}

void ExpireStaleTaps() {
  InputState& in = Input();
  for (int i = 0; i < 256; ++i) {
    if (in.pressesSeen[i] < in.pressesAtFrame[i]) in.pressesSeen[i] = in.pressesAtFrame[i];
    in.pressesAtFrame[i] = in.presses[i];
  }
}

bool KeyHeld(int code) {
  const int i = StateIndex(code);
  return i >= 0 && (Input().keys[i] & 0x80) != 0;
}

void AcknowledgeKey(int code) {
  const int i = StateIndex(code);
  if (i >= 0) Input().pressesSeen[i] = Input().presses[i];
}

double KeyDown(double code) {
  SampleKeyboard();
  if (!(code >= 0 && code < 256)) return 0;
  const int c = static_cast<int>(code);
  if (!KeyHeld(c)) return 0;
  AcknowledgeKey(c);
  return 1;
}

int KeyCharacter(int code) {
  switch (code) {
    case 14:
      return 8;
    case 28:
    case 156:
      return 10;
    case 29:
    case 42:
    case 54:
    case 56:
    case 58:
    case 69:
    case 221:
      return 0;
    default:
      break;
  }
  if (code < 0 || code > 255) return 0;
  const InputState& in = Input();
  const int i = StateIndex(code);
  int ch = (i >= 0 && in.keyText[i]) ? in.keyText[i] : in.layout[code];
  if (ch < 32 && ch != 8 && ch != 10) ch = 0;
  return ch;
}

RtString TypedChar() {
  InputState& in = Input();
  SampleKeyboard();
  int code = -1;
  int ch = 0;
  for (int c = 0; c < 255; ++c) {
    if (!KeyHeld(c)) continue;
    ch = KeyCharacter(c);
    if (ch != 0) {
      code = c;
      break;
    }
  }
  if (code < 0) {
    in.lastTyped = 0;  // every key up again: the same key may type again
    return RtString();
  }
  AcknowledgeKey(code);
  const uint8_t remembered = static_cast<uint8_t>((ch >= 'A' && ch <= 'Z') ? ch + 32 : ch);
  if (ch >= 'a' && ch <= 'z' && (KeyHeld(42) || KeyHeld(54))) ch -= 32;
  if (remembered == in.lastTyped) return RtString();
  in.lastTyped = remembered;
  const char out = static_cast<char>(ch);
  RtString text;
  text.Append(&out, 1);
  return text;
}

void SetEscapeQuits(int flag) {
  Input().escapeQuits = flag != 0;
}
