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

uint32_t CopyLiteral(const char* literal, char* out) {
  const size_t n = std::strlen(literal);
  std::memcpy(out, literal, n + 1);
  return static_cast<uint32_t>(n);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// White space as the C locale's isspace sees it, without the locale lookup.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

const char* SkipSpace(const char* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

const char* SkipDigits(const char* p) {
  while (IsDigit(*p)) ++p;
  return p;
}

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
// Number to text

uint32_t WriteNumberText(double value, char* out) {
  if (std::isnan(value)) return CopyLiteral("nan", out);
  if (std::isinf(value)) return CopyLiteral(value < 0 ? "-inf" : "inf", out);
  // A HUD showing "-0" after a multiplication by zero would look broken.
  if (value == 0) return CopyLiteral("0", out);
  // Ten significant digits in fixed notation where they fit, exponent form
  // otherwise, trailing zeros and a trailing point dropped: the shape the
  // game's texts were designed around.
  const auto result =
      std::to_chars(out, out + kNumberTextCapacity - 1, value, std::chars_format::general, 10);
  *result.ptr = '\0';
  return static_cast<uint32_t>(result.ptr - out);
}

uint32_t WriteIntText(int value, char* out) {
  const auto result = std::to_chars(out, out + kNumberTextCapacity - 1, value);
  *result.ptr = '\0';
  return static_cast<uint32_t>(result.ptr - out);
}

// ---------------------------------------------------------------------------
// Text to number

namespace {
// The C parsers' common prefix: leading white space, then an optional sign.
const char* SkipSpaceAndSign(const char* text, bool* negative) {
  const char* p = SkipSpace(text);
  *negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  return p;
}
}  // namespace

double TextToNumber(const char* text) {
  if (text == nullptr) return 0;
  bool negative = false;
  const char* p = SkipSpaceAndSign(text, &negative);
  if (!IsDigit(p[0]) && !(p[0] == '.' && IsDigit(p[1]))) return 0;

  // Find the end of the decimal number ourselves: the C parsers would also
  // take hexadecimal, "inf" and "nan", which are not numbers to this runtime.
  const char* end = SkipDigits(p);
  if (*end == '.') end = SkipDigits(end + 1);
  if (*end == 'e' || *end == 'E') {
    const char* exponent = end + 1;
    if (*exponent == '+' || *exponent == '-') ++exponent;
    if (IsDigit(*exponent)) end = SkipDigits(exponent);
  }

  double value = 0;
  const auto result = std::from_chars(p, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone on overflow and underflow; strtod
    // gives the customary infinity or zero.
    const std::string digits(p, end);
    value = std::strtod(digits.c_str(), nullptr);
  }
  return negative ? -value : value;
}

double TextToNumber(const RtString& text) {
  return TextToNumber(text.c_str());
}

int TextToInt(const char* text) {
  if (text == nullptr) return 0;
  bool negative = false;
  const char* p = SkipSpaceAndSign(text, &negative);
  // Saturate instead of overflowing; the limit is one past INT_MAX so that
  // INT_MIN itself can be read.
  constexpr int64_t kLimit = int64_t{INT_MAX} + 1;
  int64_t magnitude = 0;
  for (; IsDigit(*p); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
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
