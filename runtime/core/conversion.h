// Text and number conversion, and the small text commands beside RtString.
//
// Numbers print with at most 10 significant digits, without trailing zeros or
// a trailing point: 5 -> "5", 0.5 -> "0.5", 1/3 -> "0.3333333333". Values too
// large or too small for that in fixed notation use an exponent ("1e+20",
// "1.5e-07"). Non-finite values print as "nan", "inf" and "-inf", and negative
// zero prints as "0".
#pragma once

#include <cstdint>

#include "runtime/core/number_text.h"
#include "runtime/core/rt_string.h"

// FormatNumber clamps its field width to +-kFormatNumberMaxWidth and its
// decimals to 0..kFormatNumberMaxDecimals, so a stray huge argument costs a
// few kilobytes rather than gigabytes.
inline constexpr int kFormatNumberMaxWidth = 4096;
inline constexpr int kFormatNumberMaxDecimals = 4096;

// Reads the longest leading decimal number: white space skipped, optional sign,
// digits, optional point and fraction, optional exponent. No number gives 0.
// Hexadecimal, "inf" and "nan" are not numbers here.
double TextToNumber(const RtString& text);
double TextToNumber(const char* text);
// As TextToNumber without fraction or exponent; values beyond the int range
// clamp to INT_MIN / INT_MAX.
int TextToInt(const RtString& text);
int TextToInt(const char* text);

// printf-style "%<width>.<decimals>f" of value: right-aligned in at least width
// characters (left-aligned for a negative width), decimals digits after the
// point. Width and decimals are truncated toward zero; NaN counts as 0 and a
// negative decimals count as 0. The result grows to whatever length it needs.
RtString FormatNumber(double width, double decimals, double value);

// count bytes from the 0-based start (count < 0: to the end). Out-of-range
// starts give the empty text.
RtString Mid(const RtString& text, int start, int count);
int Len(const RtString& text);  // The text's length in bytes.
// The length of the value's decimal text.
int IntTextLength(int value);
// The length of the value's number text (as RtString(value) prints it).
int NumberTextLength(double value);
// The first byte as 0..255; 0 for the empty text.
int Asc(const RtString& text);
// A one-byte text holding the low 8 bits of code (length 1 even for 0).
RtString Chr(int code);

// The text in capitals. Only ASCII letters change; bytes 128..255 are left
// alone since their meaning depends on the code page.
RtString UpperCase(const RtString& text);
RtString LowerCase(const RtString& text);  // The text in small letters; see UpperCase.
void UpperCaseInPlace(RtString& text);     // UpperCase on the variable itself.
void LowerCaseInPlace(RtString& text);     // LowerCase on the variable itself.

// Replaces every non-overlapping occurrence of find, scanning left to right and
// resuming after each inserted replacement. An empty find leaves the text as
// it is.
RtString ReplaceText(const RtString& text, const RtString& find, const RtString& replacement);
