// Rays against boxes and triangles, in double precision.
#pragma once

#include "runtime/gfx3d/matrix.h"

namespace gfx3d {

struct Ray {
  double origin[3] = {0, 0, 0};
  // Unit length.
  double direction[3] = {0, 0, -1};
};

// False for a direction without length or with NaN in it.
bool MakeRay(const double origin[3], const double direction[3], Ray& ray);
// Slab test against an axis-aligned box: the ray parameter where it enters
// (0 when the origin is inside). The direction need not be unit length.
bool RayHitsBox(const double origin[3], const double direction[3], const double lo[3],
                const double hi[3], double& entry);
// Both faces; edges and corners belong to the triangle.
bool RayHitsTriangle(const Ray& ray, const double a[3], const double b[3], const double c[3],
                     double& distance);
// The ray in the object's coordinates, for an affine transform; false when
// the transform has no inverse. The parameter along it matches the world
// ray's.
bool RayIntoObject(const Ray& world, const Matrix& transform, double origin[3],
                   double direction[3]);

}  // namespace gfx3d
