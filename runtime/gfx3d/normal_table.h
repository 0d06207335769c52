// The table of unit normals that binary object files index with one byte.
#pragma once

namespace gfx3d {

constexpr int kNormalTableSize = 162;
extern const float kNormalTable[kNormalTableSize][3];

}  // namespace gfx3d
