// The mathematics commands: trigonometry in degrees, powers and roots,
// modulo, absolute values, minimum and maximum, and the increment commands.
//
// Programs measure angles in degrees; the inverse sine and cosine clamp their
// argument so that a value a rounding error outside -1..1 gives the end angle
// instead of a NaN.
#pragma once

#include <cstdint>

// Multiply degrees by this for radians.
inline constexpr double kDegreesToRadians = 0.017453292519943295;
// Multiply radians by this for degrees.
inline constexpr double kRadiansToDegrees = 57.29577951308232;

double SinDeg(double x);  // The sine of x degrees.
double CosDeg(double x);  // The cosine of x degrees.
double TanDeg(double x);  // The tangent of x degrees.
// The angle in degrees (-180..180) of the direction (x, y) from the x axis.
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

double AbsNumber(double x);  // The absolute value.
// AbsInt(INT_MIN) is INT_MAX: the true value does not fit, and a negative
// absolute value would be the worse answer.
int32_t AbsInt(int32_t a);

// With a NaN among the arguments the second argument is the result.
double MaxNumber(double a, double b);
double MinNumber(double a, double b);  // The smaller; see MaxNumber.
int32_t MaxInt(int32_t a, int32_t b);  // The larger.
int32_t MinInt(int32_t a, int32_t b);  // The smaller.

void IncNumber(double& var, int32_t n);  // Adds n to var.
// Adds n to var. Integer counters wrap around at the ends of the 32-bit
// range.
void IncInt(int32_t& var, int32_t n);
void DecInt(int32_t& var, int32_t n);  // Subtracts n from var, wrapping like IncInt.
