// The view frustum as six world-space planes, the bounds of objects, and
// which objects the scene leaves out because they cannot be seen.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/gfx3d/matrix.h"
#include "runtime/gfx3d/mesh.h"

namespace gfx3d {

struct ObjectSlot;

// Planes a, b, c, d with unit normals pointing inwards, in the order left,
// right, bottom, top, near, far: a point is inside when a x + b y + c z + d
// >= 0 for all six. The default is the unit cube of an identity projection.
struct ViewFrustum {
  double planes[6][4] = {{1, 0, 0, 1},  {-1, 0, 0, 1}, {0, 1, 0, 1},
                         {0, -1, 0, 1}, {0, 0, 1, 1},  {0, 0, -1, 1}};
};

// How much of a shape lies inside: the values the public tests return.
enum Containment { kOutside = 0, kPartlyInside = 1, kWhollyInside = 2 };

// The planes of clip space (projection x view) brought back to world space.
// Planes that come out without a direction (a singular matrix) keep the
// default, which still leaves something to test against.
ViewFrustum FrustumOf(const Matrix& projection, const Matrix& view);
bool PointInFrustum(const ViewFrustum& f, const double p[3]);
Containment SphereInFrustum(const ViewFrustum& f, const double centre[3], double radius);
Containment BoxInFrustum(const ViewFrustum& f, const double lo[3], const double hi[3]);

// Object-space bounds over every key frame of a mesh: the box, and a
// sphere about the box's centre that holds every vertex.
struct MeshBounds {
  bool empty = true;
  // False when a position is NaN or infinite: nothing can be said.
  bool finite = true;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  double centre[3] = {0, 0, 0};
  double radius = 0;
};
MeshBounds BoundsOf(const Mesh& mesh);
// One entry per mesh of the slot (its own, or each world object's), made
// at the first use after a load.
const std::vector<MeshBounds>& SlotBounds(ObjectSlot& slot);

// Whether mesh number `mesh` of the slot can show in the current scene
// under the current transform. Always true outside a scene, with culling
// off, and where the bounds or the transform say nothing certain.
bool MeshMayShow(ObjectSlot& slot, size_t mesh);
// Counts one PutObject for ObjectsDrawn / ObjectsCulled.
void CountObject(bool drawn);
// The frustum follows the projection and the camera.
void UpdateFrustum();

}  // namespace gfx3d
