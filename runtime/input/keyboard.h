// Keyboard commands. Key codes are PC scan codes 0-255 (1 Escape, 2-11 the
// digit row, 28 Enter, 57 Space, 200 Up, 203 Left, 205 Right, 208 Down).
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

// 1 while the key is held (or was tapped since it was last read), else 0.
double KeyDown(double code);
// The character being typed, once per press, or the empty text.
RtString TypedChar();
// While set (the default), EndFrame and the input waits end the program
// when Escape is held; SetEscapeQuits(0) lets a program read Escape itself.
// Alt+F4 and closing the window end the program either way.
void SetEscapeQuits(int flag);

// ---- shared with the rest of the input layer ----
// Refreshes the key state from the devices (kept while our window lacks
// focus).
void SampleKeyboard();
// Whether the key reads as held in the last sample; does not use up a tap.
bool KeyHeld(int code);
// Marks the key's taps as read, so each tap reads as held once.
void AcknowledgeKey(int code);
// The typed-character translation of one key, 0 when it types nothing.
int KeyCharacter(int code);
// The virtual key a scan code reads through when there is no keyboard
// device, 255 for none.
uint8_t FallbackVirtualKey(int code);
// Drops taps that have been readable for a whole frame, so a tap nobody
// asked about does not surface minutes later.
void ExpireStaleTaps();
