// The key codes of the keyboard commands (KeyDown, KeyCharacter, ...): the PC
// scan-code numbering (0-255), by the key's place on a US keyboard whatever
// the layout prints on it. Extended keys carry 0x80. Every key the keyboard
// reports has a name here.
#pragma once

namespace keys {

// A key's scan code, for KeyDown and the replay files.
inline constexpr int kEscape = 1;
// The digit row.
inline constexpr int k1 = 2;
inline constexpr int k2 = 3;
inline constexpr int k3 = 4;
inline constexpr int k4 = 5;
inline constexpr int k5 = 6;
inline constexpr int k6 = 7;
inline constexpr int k7 = 8;
inline constexpr int k8 = 9;
inline constexpr int k9 = 10;
inline constexpr int k0 = 11;
inline constexpr int kMinus = 12;
inline constexpr int kEquals = 13;
inline constexpr int kBackspace = 14;
inline constexpr int kTab = 15;
// Letters, by their place on a US keyboard.
inline constexpr int kQ = 16;
inline constexpr int kW = 17;
inline constexpr int kE = 18;
inline constexpr int kR = 19;
inline constexpr int kT = 20;
inline constexpr int kY = 21;
inline constexpr int kU = 22;
inline constexpr int kI = 23;
inline constexpr int kO = 24;
inline constexpr int kP = 25;
inline constexpr int kLeftBracket = 26;
inline constexpr int kRightBracket = 27;
inline constexpr int kReturn = 28;
inline constexpr int kLeftControl = 29;
inline constexpr int kA = 30;
inline constexpr int kS = 31;
inline constexpr int kD = 32;
inline constexpr int kF = 33;
inline constexpr int kG = 34;
inline constexpr int kH = 35;
inline constexpr int kJ = 36;
inline constexpr int kK = 37;
inline constexpr int kL = 38;
inline constexpr int kSemicolon = 39;
inline constexpr int kApostrophe = 40;
inline constexpr int kGrave = 41;
inline constexpr int kLeftShift = 42;
inline constexpr int kBackslash = 43;
inline constexpr int kZ = 44;
inline constexpr int kX = 45;
inline constexpr int kC = 46;
inline constexpr int kV = 47;
inline constexpr int kB = 48;
inline constexpr int kN = 49;
inline constexpr int kM = 50;
inline constexpr int kComma = 51;
inline constexpr int kPeriod = 52;
inline constexpr int kSlash = 53;
inline constexpr int kRightShift = 54;
inline constexpr int kKeypadMultiply = 55;
inline constexpr int kLeftAlt = 56;
inline constexpr int kSpace = 57;
inline constexpr int kCapsLock = 58;
// Function keys.
inline constexpr int kF1 = 59;
inline constexpr int kF2 = 60;
inline constexpr int kF3 = 61;
inline constexpr int kF4 = 62;
inline constexpr int kF5 = 63;
inline constexpr int kF6 = 64;
inline constexpr int kF7 = 65;
inline constexpr int kF8 = 66;
inline constexpr int kF9 = 67;
inline constexpr int kF10 = 68;
inline constexpr int kNumLock = 69;
inline constexpr int kScrollLock = 70;
// The numeric keypad (Enter and divide are extended keys, below).
inline constexpr int kKeypad7 = 71;
inline constexpr int kKeypad8 = 72;
inline constexpr int kKeypad9 = 73;
inline constexpr int kKeypadMinus = 74;
inline constexpr int kKeypad4 = 75;
inline constexpr int kKeypad5 = 76;
inline constexpr int kKeypad6 = 77;
inline constexpr int kKeypadPlus = 78;
inline constexpr int kKeypad1 = 79;
inline constexpr int kKeypad2 = 80;
inline constexpr int kKeypad3 = 81;
inline constexpr int kKeypad0 = 82;
inline constexpr int kKeypadPeriod = 83;
// The extra key beside left Shift on ISO keyboards.
inline constexpr int kNonUsBackslash = 86;
inline constexpr int kF11 = 87;
inline constexpr int kF12 = 88;
// Escape with the extended bit: some keyboards report their second escape
// key this way.
inline constexpr int kExtendedEscape = 0x80 | kEscape;
// An extended key's scan code (0x80 set), for KeyDown and the replay files.
inline constexpr int kKeypadEnter = 156;
inline constexpr int kRightControl = 157;
inline constexpr int kKeypadDivide = 181;
inline constexpr int kPrintScreen = 183;
inline constexpr int kRightAlt = 184;
inline constexpr int kPause = 197;
inline constexpr int kHome = 199;
inline constexpr int kUp = 200;
inline constexpr int kPageUp = 201;
inline constexpr int kLeft = 203;
inline constexpr int kRight = 205;
inline constexpr int kEnd = 207;
inline constexpr int kDown = 208;
inline constexpr int kPageDown = 209;
inline constexpr int kInsert = 210;
inline constexpr int kDelete = 211;
// The system keys beside Alt, and the menu key.
inline constexpr int kLeftSuper = 219;
inline constexpr int kRightSuper = 220;
inline constexpr int kMenu = 221;

// A named key: its code and its name without the "k".
struct NamedKey {
  // The key's scan code.
  int code;
  // Its name, e.g. "Escape" or "F1".
  const char* name;
};

// Every named key, in code order.
inline constexpr NamedKey kNamedKeys[] = {
    {kEscape, "Escape"},
    {k1, "1"},
    {k2, "2"},
    {k3, "3"},
    {k4, "4"},
    {k5, "5"},
    {k6, "6"},
    {k7, "7"},
    {k8, "8"},
    {k9, "9"},
    {k0, "0"},
    {kMinus, "Minus"},
    {kEquals, "Equals"},
    {kBackspace, "Backspace"},
    {kTab, "Tab"},
    {kQ, "Q"},
    {kW, "W"},
    {kE, "E"},
    {kR, "R"},
    {kT, "T"},
    {kY, "Y"},
    {kU, "U"},
    {kI, "I"},
    {kO, "O"},
    {kP, "P"},
    {kLeftBracket, "LeftBracket"},
    {kRightBracket, "RightBracket"},
    {kReturn, "Return"},
    {kLeftControl, "LeftControl"},
    {kA, "A"},
    {kS, "S"},
    {kD, "D"},
    {kF, "F"},
    {kG, "G"},
    {kH, "H"},
    {kJ, "J"},
    {kK, "K"},
    {kL, "L"},
    {kSemicolon, "Semicolon"},
    {kApostrophe, "Apostrophe"},
    {kGrave, "Grave"},
    {kLeftShift, "LeftShift"},
    {kBackslash, "Backslash"},
    {kZ, "Z"},
    {kX, "X"},
    {kC, "C"},
    {kV, "V"},
    {kB, "B"},
    {kN, "N"},
    {kM, "M"},
    {kComma, "Comma"},
    {kPeriod, "Period"},
    {kSlash, "Slash"},
    {kRightShift, "RightShift"},
    {kKeypadMultiply, "KeypadMultiply"},
    {kLeftAlt, "LeftAlt"},
    {kSpace, "Space"},
    {kCapsLock, "CapsLock"},
    {kF1, "F1"},
    {kF2, "F2"},
    {kF3, "F3"},
    {kF4, "F4"},
    {kF5, "F5"},
    {kF6, "F6"},
    {kF7, "F7"},
    {kF8, "F8"},
    {kF9, "F9"},
    {kF10, "F10"},
    {kNumLock, "NumLock"},
    {kScrollLock, "ScrollLock"},
    {kKeypad7, "Keypad7"},
    {kKeypad8, "Keypad8"},
    {kKeypad9, "Keypad9"},
    {kKeypadMinus, "KeypadMinus"},
    {kKeypad4, "Keypad4"},
    {kKeypad5, "Keypad5"},
    {kKeypad6, "Keypad6"},
    {kKeypadPlus, "KeypadPlus"},
    {kKeypad1, "Keypad1"},
    {kKeypad2, "Keypad2"},
    {kKeypad3, "Keypad3"},
    {kKeypad0, "Keypad0"},
    {kKeypadPeriod, "KeypadPeriod"},
    {kNonUsBackslash, "NonUsBackslash"},
    {kF11, "F11"},
    {kF12, "F12"},
    {kExtendedEscape, "ExtendedEscape"},
    {kKeypadEnter, "KeypadEnter"},
    {kRightControl, "RightControl"},
    {kKeypadDivide, "KeypadDivide"},
    {kPrintScreen, "PrintScreen"},
    {kRightAlt, "RightAlt"},
    {kPause, "Pause"},
    {kHome, "Home"},
    {kUp, "Up"},
    {kPageUp, "PageUp"},
    {kLeft, "Left"},
    {kRight, "Right"},
    {kEnd, "End"},
    {kDown, "Down"},
    {kPageDown, "PageDown"},
    {kInsert, "Insert"},
    {kDelete, "Delete"},
    {kLeftSuper, "LeftSuper"},
    {kRightSuper, "RightSuper"},
    {kMenu, "Menu"},
};

// The name of a key code ("Escape", "A", "Keypad7", ...), or nullptr for a
// code no key has.
constexpr const char* KeyName(int code) {
  for (const NamedKey& k : kNamedKeys)
    if (k.code == code) return k.name;
  return nullptr;
}

}  // namespace keys
