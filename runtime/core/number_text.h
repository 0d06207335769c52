// Numbers as the runtime prints them: at most 10 significant digits,
// without trailing zeros or a trailing point (see conversion.h).
#pragma once

#include <cstdint>

// Room a caller must provide for WriteNumberText / WriteIntText, NUL included.
inline constexpr uint32_t kNumberTextCapacity = 32;

// Writes the number text of value and a NUL to out (kNumberTextCapacity bytes);
// returns the length.
uint32_t WriteNumberText(double value, char* out);
// Writes the decimal text of value and a NUL to out; returns the length.
uint32_t WriteIntText(int value, char* out);

// Reads the longest leading decimal number (see conversion.h).
double TextToNumber(const char* text);
int TextToInt(const char* text);  // See conversion.h.
