// The key codes of the keyboard commands: the PC scan-code numbering
// (0-255), for the keys the runtime and programs use by name. Extended keys
// carry 0x80.
#pragma once

namespace keys {

// A key's scan code, for KeyDown and the replay files.
inline constexpr int kEscape = 1;
inline constexpr int kBackspace = 14;
inline constexpr int kTab = 15;
inline constexpr int kQ = 16;
inline constexpr int kW = 17;
inline constexpr int kE = 18;
inline constexpr int kR = 19;
inline constexpr int kReturn = 28;
inline constexpr int kLeftControl = 29;
inline constexpr int kS = 31;
inline constexpr int kLeftShift = 42;
inline constexpr int kZ = 44;
inline constexpr int kX = 45;
inline constexpr int kRightShift = 54;
inline constexpr int kLeftAlt = 56;
inline constexpr int kSpace = 57;
inline constexpr int kCapsLock = 58;
inline constexpr int kF4 = 62;
// Escape with the extended bit: some keyboards report their second escape
// key this way.
inline constexpr int kExtendedEscape = 0x80 | kEscape;
// An extended key's scan code (0x80 set), for KeyDown and the replay files.
inline constexpr int kKeypadEnter = 156;
inline constexpr int kRightControl = 157;
inline constexpr int kRightAlt = 184;
inline constexpr int kUp = 200;
inline constexpr int kPageUp = 201;
inline constexpr int kLeft = 203;
inline constexpr int kRight = 205;
inline constexpr int kDown = 208;
inline constexpr int kPageDown = 209;

}  // namespace keys
