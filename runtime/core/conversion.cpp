#include "runtime/core/conversion.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace {

// Truncates toward zero and clamps; NaN is 0. Converting an out-of-range
// double to int directly would be undefined.
int TruncateClamped(double x, int low, int high) {
  if (std::isnan(x)) return 0;
  x = std::trunc(x);
  if (x < low) return low;
  if (x > high) return high;
  return static_cast<int>(x);
}

}  // namespace

// ---------------------------------------------------------------------------
// Text to number

double TextToNumber(const RtString& text) {
  return TextToNumber(text.c_str());
}

int TextToInt(const RtString& text) {
  return TextToInt(text.c_str());
}

// ---------------------------------------------------------------------------
// Formatting

RtString FormatNumber(double width, double decimals, double value) {
  const int field = TruncateClamped(width, -kFormatNumberMaxWidth, kFormatNumberMaxWidth);
  const int places = TruncateClamped(decimals, 0, kFormatNumberMaxDecimals);
  // The C library marks a NaN's sign bit as "-nan"; a NaN has no sign here.
  if (std::isnan(value)) value = std::fabs(value);

  // Most results fit the first 48-byte block; longer ones are measured by the
  // first attempt and formatted again into a block that fits.
  RtString result;
  result.Reserve(36, false);
  int n = std::snprintf(result.Data(), result.Capacity(), "%*.*f", field, places, value);
  if (n < 0) return RtString();
  if (static_cast<uint32_t>(n) >= result.Capacity()) {
    result.Reserve(static_cast<uint32_t>(n), false);
    n = std::snprintf(result.Data(), result.Capacity(), "%*.*f", field, places, value);
    if (n < 0) return RtString();
  }
  result.Truncate(n);
  return result;
}

// ---------------------------------------------------------------------------
// Text commands

RtString Mid(const RtString& text, int start, int count) {
  // 64-bit so that start + count cannot overflow.
  const int64_t length = text.Length();
  const int64_t from = start;
  int64_t n = count < 0 ? length : count;
  if (from + n > length) n = length - from;
  RtString result;
  if (n >= 1 && from >= 0 && from < length) {
    result.Append(text.c_str() + from, static_cast<uint32_t>(n));
  }
  return result;
}

int Len(const RtString& text) {
  return static_cast<int>(text.Length());
}

int IntTextLength(int value) {
  char digits[kNumberTextCapacity];
  return static_cast<int>(WriteIntText(value, digits));
}

int NumberTextLength(double value) {
  char digits[kNumberTextCapacity];
  return static_cast<int>(WriteNumberText(value, digits));
}

int Asc(const RtString& text) {
  if (text.Length() == 0) return 0;
  return static_cast<unsigned char>(text.c_str()[0]);
}

RtString Chr(int code) {
  const char byte = static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
  RtString result;
  result.Append(&byte, 1);
  return result;
}

void UpperCaseInPlace(RtString& text) {
  char* bytes = text.Data();
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (bytes[i] >= 'a' && bytes[i] <= 'z') bytes[i] = static_cast<char>(bytes[i] - 32);
  }
}

void LowerCaseInPlace(RtString& text) {
  char* bytes = text.Data();
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (bytes[i] >= 'A' && bytes[i] <= 'Z') bytes[i] = static_cast<char>(bytes[i] + 32);
  }
}

RtString UpperCase(const RtString& text) {
  RtString result(text);
  UpperCaseInPlace(result);
  return result;
}

RtString LowerCase(const RtString& text) {
  RtString result(text);
  LowerCaseInPlace(result);
  return result;
}

RtString ReplaceText(const RtString& text, const RtString& find, const RtString& replacement) {
  const std::string_view source(text.c_str(), text.Length());
  const std::string_view needle(find.c_str(), find.Length());
  const std::string_view insert(replacement.c_str(), replacement.Length());
  // An empty needle matches everywhere without advancing the search.
  if (needle.empty()) return text;

  // Count first so the result is allocated once.
  uint64_t matches = 0;
  for (size_t at = source.find(needle); at != std::string_view::npos;
       at = source.find(needle, at + needle.size())) {
    ++matches;
  }
  if (matches == 0) return text;

  const uint64_t total = source.size() - matches * needle.size() + matches * insert.size();
  if (total > UINT32_MAX - 32) throw std::bad_alloc();
  RtString result;
  result.Reserve(static_cast<uint32_t>(total), false);
  size_t copied = 0;
  for (size_t at = source.find(needle); at != std::string_view::npos;
       at = source.find(needle, at + needle.size())) {
    result.Append(source.data() + copied, static_cast<uint32_t>(at - copied));
    result.Append(insert.data(), static_cast<uint32_t>(insert.size()));
    copied = at + needle.size();
  }
  result.Append(source.data() + copied, static_cast<uint32_t>(source.size() - copied));
  return result;
}
