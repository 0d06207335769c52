// Objects built in code for the 3D tests: boxes of one colour.
#pragma once

#include "runtime/runtime.h"

namespace scenetest {

// A box of half-sizes (hx, hy, hz) about the origin, its faces wound
// counter-clockwise seen from outside, into slot n.
inline int BuildBox(int n, double hx, double hy, double hz, int colour) {
  BeginObject();
  for (int i = 0; i < 8; ++i) {
    AddObjectVertex(i & 1 ? hx : -hx, i & 2 ? hy : -hy, i & 4 ? hz : -hz, 0, 0, 0, 0, 0, colour);
  }
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : faces) {
    AddObjectTriangle(f[0], f[1], f[2]);
    AddObjectTriangle(f[0], f[2], f[3]);
  }
  return EndObject(n);
}

inline int BuildCube(int n, double half, int colour) {
  return BuildBox(n, half, half, half, colour);
}

}  // namespace scenetest
