#include "runtime/gfx3d/transform_stack.h"

#include <algorithm>
#include <cmath>

namespace gfx3d {

void TransformStack::Reset() {
  levels_.assign(1, Level{});
  levels_[0].base = Identity();
  uncountedLevels_ = 0;
}

void TransformStack::Push() {
  if (Depth() >= kMaxDepth) {
    ++uncountedLevels_;
    return;
  }
  Level level;
  level.base = Current();
  levels_.push_back(level);
}

void TransformStack::Pop() {
  if (uncountedLevels_ > 0) {
    --uncountedLevels_;
  } else if (levels_.size() > 1) {
    levels_.pop_back();
  } else {
    Reset();
  }
}

void TransformStack::Restart() {
  Level& level = levels_.back();
  level.base = levels_.size() > 1 ? MatrixOf(levels_[levels_.size() - 2]) : Identity();
  level.rotationCount = 0;
  level.hasOwn = false;
  level.changed = true;
}

void TransformStack::SetMatrix(const Matrix& m) {
  Restart();
  Level& level = levels_.back();
  std::fill(level.translation, level.translation + 3, 0.0f);
  std::fill(level.scaling, level.scaling + 3, 1.0f);
  level.own = m;
  level.hasOwn = true;
}

void TransformStack::SetTranslation(float x, float y, float z) {
  Restart();
  float* t = levels_.back().translation;
  t[0] = x;
  t[1] = y;
  t[2] = z;
}

void TransformStack::SetScaling(float x, float y, float z) {
  Restart();
  float* s = levels_.back().scaling;
  s[0] = x;
  s[1] = y;
  s[2] = z;
}

void TransformStack::AddRotation(double degrees, float x, float y, float z) {
  Level& level = levels_.back();
  if (level.rotationCount >= kMaxRotations) return;
  const float length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0.0001f) || !std::isfinite(length)) return;
  level.rotations[level.rotationCount++] = {static_cast<float>(degrees * 0.017453292), x / length,
                                            y / length, z / length};
  level.changed = true;
}

const Matrix& TransformStack::Current() {
  return MatrixOf(levels_.back());
}

const Matrix& TransformStack::MatrixOf(Level& level) {
  if (!level.changed) return level.matrix;
  Matrix m = level.base;
  if (level.hasOwn) m = Multiply(m, level.own);
  const float* t = level.translation;
  if (t[0] != 0 || t[1] != 0 || t[2] != 0) m = Multiply(m, Translation(t[0], t[1], t[2]));
  // The last rotation added sits next to the translation, so the first one
  // added is the first to act on the object.
  for (int i = level.rotationCount - 1; i >= 0; --i) {
    const Turn& r = level.rotations[i];
    m = Multiply(m, gfx3d::Rotation(r.radians, r.x, r.y, r.z));
  }
  const float* s = level.scaling;
  if (s[0] != 1 || s[1] != 1 || s[2] != 1) m = Multiply(m, Scaling(s[0], s[1], s[2]));
  level.matrix = m;
  level.changed = false;
  return level.matrix;
}

}  // namespace gfx3d
