// Nested object transforms: each level holds the matrix it started from, a
// translation, a scaling and up to 16 rotations, combined so the object is
// scaled first, then turned by the rotations in the order they were added,
// then moved.
#pragma once

#include <vector>

#include "runtime/gfx3d/matrix.h"

namespace gfx3d {

class TransformStack {
 public:
  static constexpr int kMaxDepth = 64;
  static constexpr int kMaxRotations = 16;

  TransformStack() { Reset(); }
  // Back to the one base level, holding the identity.
  void Reset();
  // A new level that starts from the current one's matrix. Beyond the depth
  // cap the level is only counted, so the matching pop stays balanced.
  void Push();
  // Back to the enclosing level; at the base level, the identity again.
  void Pop();
  // Each restarts the level from the enclosing matrix, drops its rotations
  // and keeps the other of the two.
  void SetTranslation(float x, float y, float z);
  void SetScaling(float x, float y, float z);
  // The level becomes exactly m on top of the enclosing level: translation,
  // scaling and rotations start over, and rotations added later act before
  // m. The next translation or scaling restarts the level without it.
  void SetMatrix(const Matrix& m);
  // Ignored past 16 rotations and for axes of length 0.0001 or less.
  void AddRotation(double degrees, float x, float y, float z);
  // The current level's matrix, computed once per change.
  const Matrix& Current();
  int Depth() const { return static_cast<int>(levels_.size()) + uncountedLevels_; }

 private:
  struct Turn {
    float radians, x, y, z;
  };
  struct Level {
    Matrix base;
    float translation[3] = {0, 0, 0};
    float scaling[3] = {1, 1, 1};
    // Set directly, applied before the translation.
    Matrix own;
    bool hasOwn = false;
    Turn rotations[kMaxRotations];
    int rotationCount = 0;
    Matrix matrix;
    bool changed = true;
  };
  void Restart();
  static const Matrix& MatrixOf(Level& level);

  std::vector<Level> levels_;
  int uncountedLevels_ = 0;
};

}  // namespace gfx3d
