// The mathematics commands: trigonometry in degrees, powers and roots,
// modulo, absolute values, minimum and maximum, and the increment commands.
//
// Programs measure angles in degrees; the inverse sine and cosine clamp their
// argument so that a value a rounding error outside -1..1 gives the end angle
// instead of a NaN.
#pragma once

#include <cstdint>

inline constexpr double kDegreesToRadians = 0.017453292519943295;
inline constexpr double kRadiansToDegrees = 57.29577951308232;

double SinDeg(double x);
double CosDeg(double x);
double TanDeg(double x);
double ATan2Deg(double y, double x);
// 90 for x >= 1, -90 for x <= -1. A NaN stays a NaN.
double ASinDeg(double x);
// 0 for x >= 1, 180 for x <= -1. A NaN stays a NaN.
double ACosDeg(double x);

// The C library's pow.
double Power(double x, double y);
// 0 when y is 0; otherwise fmod, which takes the sign of x.
double ModNumber(double x, double y);
// 0 when b is 0; otherwise the truncating remainder with the sign of a.
// INT_MIN modulo -1 is 0 (the one pair whose quotient does not fit).
int32_t ModInt(int32_t a, int32_t b);
// Negative input gives a NaN, as the C library's sqrt does.
double Sqrt(double x);

double AbsNumber(double x);
// AbsInt(INT_MIN) is INT_MAX: the true value does not fit, and a negative
// absolute value would be the worse answer.
int32_t AbsInt(int32_t a);

// With a NaN among the arguments the second argument is the result.
double MaxNumber(double a, double b);
double MinNumber(double a, double b);
int32_t MaxInt(int32_t a, int32_t b);
int32_t MinInt(int32_t a, int32_t b);

void IncNumber(double& var, int32_t n);
// Integer counters wrap around at the ends of the 32-bit range.
void IncInt(int32_t& var, int32_t n);
void DecInt(int32_t& var, int32_t n);
