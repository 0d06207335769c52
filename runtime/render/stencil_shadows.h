// Stencil shadows: shadow volumes counted in the stencil buffer, then the
// pixels inside a volume darkened.
#pragma once

#include <cstddef>

namespace render {

// One caster's volume: triangles of x, y, z, w per corner (w = 0: a point
// at infinity), outward-facing counter-clockwise in the caster's own space,
// drawn through `view` and then `model` (column-major), as the caster was.
// `mirrored`: the model matrix turns the winding over.
struct ShadowVolume {
  const float* corners = nullptr;
  size_t cornerCount = 0;
  const float* view = nullptr;
  const float* model = nullptr;
  bool mirrored = false;
};

// Whether volumes can be counted: a stencil buffer, and depth clamping so
// that corners at infinity are not cut away by the far plane.
bool CanDrawStencilShadows();

// Counts the volumes into the cleared stencil buffer with the depth-fail
// rule (back faces behind the scene add one, front faces behind it take
// one away), which stays right when the camera is inside a volume, then
// multiplies every counted pixel of the viewport that holds a surface by
// (1 - darkening) per channel. The depth and colour of the scene are read,
// never written, except for that darkening; the GL state is as before.
void DrawStencilShadows(const ShadowVolume* volumes, size_t count, const float darkening[3]);

}  // namespace render
