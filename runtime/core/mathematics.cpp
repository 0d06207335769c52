#include "runtime/core/mathematics.h"

#include <climits>
#include <cmath>

double SinDeg(double x) {
  return std::sin(x * kDegreesToRadians);
}

double CosDeg(double x) {
  return std::cos(x * kDegreesToRadians);
}

double TanDeg(double x) {
  return std::tan(x * kDegreesToRadians);
}

double ATan2Deg(double y, double x) {
  return std::atan2(y, x) * kRadiansToDegrees;
}

double ASinDeg(double x) {
  if (x >= 1) return 90;
  if (x <= -1) return -90;
  return std::asin(x) * kRadiansToDegrees;
}

double ACosDeg(double x) {
  if (x >= 1) return 0;
  if (x <= -1) return 180;
  return std::acos(x) * kRadiansToDegrees;
}

double Power(double x, double y) {
  return std::pow(x, y);
}

double ModNumber(double x, double y) {
  if (y == 0) return 0;
  return std::fmod(x, y);
}

int32_t ModInt(int32_t a, int32_t b) {
  // b == -1 always leaves no remainder; testing it here also keeps
  // INT_MIN % -1 (a hardware trap on x86) from ever being evaluated.
  if (b == 0 || b == -1) return 0;
  return a % b;
}

double Sqrt(double x) {
  return std::sqrt(x);
}

double AbsNumber(double x) {
  return std::fabs(x);
}

int32_t AbsInt(int32_t a) {
  if (a == INT32_MIN) return INT32_MAX;
  return a < 0 ? -a : a;
}

double MaxNumber(double a, double b) {
  return a > b ? a : b;
}

double MinNumber(double a, double b) {
  return a < b ? a : b;
}

int32_t MaxInt(int32_t a, int32_t b) {
  return a > b ? a : b;
}

int32_t MinInt(int32_t a, int32_t b) {
  return a < b ? a : b;
}

void IncNumber(double& var, int32_t n) {
  var += n;
}

// Unsigned arithmetic gives the two's-complement wrap without signed
// overflow; the conversion back is modular since C++20.
void IncInt(int32_t& var, int32_t n) {
  var = static_cast<int32_t>(static_cast<uint32_t>(var) + static_cast<uint32_t>(n));
}

void DecInt(int32_t& var, int32_t n) {
  var = static_cast<int32_t>(static_cast<uint32_t>(var) - static_cast<uint32_t>(n));
}
