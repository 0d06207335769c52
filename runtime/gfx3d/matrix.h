// 4 x 4 matrices in OpenGL's column-major order (element [column * 4 + row]).
#pragma once

#include <array>

namespace gfx3d {

using Matrix = std::array<float, 16>;

Matrix Identity();
// a x b: b acts on a vector first.
Matrix Multiply(const Matrix& a, const Matrix& b);
Matrix Translation(float x, float y, float z);
Matrix Scaling(float x, float y, float z);
// Turns by angle radians about a unit axis.
Matrix Rotation(float radians, float ax, float ay, float az);
// The view from eye towards target with up as the upward hint.
Matrix LookAt(const float eye[3], const float target[3], const float up[3]);
// Same as glFrustum and glOrtho.
Matrix Frustum(double l, double r, double b, double t, double n, double f);
Matrix Ortho(double l, double r, double b, double t, double n, double f);

}  // namespace gfx3d
