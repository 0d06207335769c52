// Number to text: the one formatting both the text type and the conversion
// commands use, kept below both so neither depends on the other.
#include "runtime/core/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

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

uint32_t CopyLiteral(const char* literal, char* out) {
  const size_t n = std::strlen(literal);
  std::memcpy(out, literal, n + 1);
  return static_cast<uint32_t>(n);
}

}  // namespace

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
