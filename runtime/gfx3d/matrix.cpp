#include "runtime/gfx3d/matrix.h"

#include <cmath>

namespace gfx3d {
namespace {

// Normalised in place unless it has no length, which leaves it as it is.
void NormaliseIfLong(float v[3]) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0 || !std::isfinite(length)) return;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

void Cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix Identity() {
  return Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
      m[c * 4 + r] = sum;
    }
  }
  return m;
}

Matrix Translation(float x, float y, float z) {
  Matrix m = Identity();
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

Matrix Scaling(float x, float y, float z) {
  Matrix m = Identity();
  m[0] = x;
  m[5] = y;
  m[10] = z;
  return m;
}

Matrix Rotation(float radians, float x, float y, float z) {
  const float c = std::cos(radians), s = std::sin(radians), t = 1 - c;
  Matrix m = Identity();
  m[0] = t * x * x + c;
  m[1] = t * x * y + s * z;
  m[2] = t * x * z - s * y;
  m[4] = t * x * y - s * z;
  m[5] = t * y * y + c;
  m[6] = t * y * z + s * x;
  m[8] = t * x * z + s * y;
  m[9] = t * y * z - s * x;
  m[10] = t * z * z + c;
  return m;
}

Matrix LookAt(const float eye[3], const float target[3], const float up[3]) {
  float d[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
  NormaliseIfLong(d);
  float s[3], u[3];
  Cross(up, d, s);
  NormaliseIfLong(s);
  Cross(d, s, u);
  NormaliseIfLong(u);
  Matrix m = Identity();
  for (int i = 0; i < 3; ++i) {
    m[i * 4 + 0] = s[i];
    m[i * 4 + 1] = u[i];
    m[i * 4 + 2] = d[i];
  }
  m[12] = -(s[0] * eye[0] + s[1] * eye[1] + s[2] * eye[2]);
  m[13] = -(u[0] * eye[0] + u[1] * eye[1] + u[2] * eye[2]);
  m[14] = -(d[0] * eye[0] + d[1] * eye[1] + d[2] * eye[2]);
  return m;
}

Matrix Frustum(double l, double r, double b, double t, double n, double f) {
  Matrix m{};
  m[0] = static_cast<float>(2 * n / (r - l));
  m[5] = static_cast<float>(2 * n / (t - b));
  m[8] = static_cast<float>((r + l) / (r - l));
  m[9] = static_cast<float>((t + b) / (t - b));
  m[10] = static_cast<float>(-(f + n) / (f - n));
  m[11] = -1;
  m[14] = static_cast<float>(-2 * f * n / (f - n));
  return m;
}

Matrix Ortho(double l, double r, double b, double t, double n, double f) {
  Matrix m = Identity();
  m[0] = static_cast<float>(2 / (r - l));
  m[5] = static_cast<float>(2 / (t - b));
  m[10] = static_cast<float>(-2 / (f - n));
  m[12] = static_cast<float>(-(r + l) / (r - l));
  m[13] = static_cast<float>(-(t + b) / (t - b));
  m[14] = static_cast<float>(-(f + n) / (f - n));
  return m;
}

}  // namespace gfx3d
