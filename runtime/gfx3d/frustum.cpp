// ViewFrustum planes, object bounds and culling.
#include "runtime/gfx3d/frustum.h"

#include <algorithm>
#include <cmath>

#include "runtime/gfx3d/frustum3d.h"
#include "runtime/gfx3d/gfx3d_state.h"

namespace gfx3d {
namespace {

// A sphere this close to a plane's outer side still counts as touching it,
// so rounding in the planes never removes an object GL would draw a pixel
// of (relative to the radius, plus a little for points).
constexpr double kRelativeSlack = 1e-4;
constexpr double kAbsoluteSlack = 1e-5;

double PlaneDistance(const double plane[4], const double p[3]) {
  return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3];
}

bool AllFinite(const double* v, int n) {
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(v[i])) return false;
  }
  return true;
}

}  // namespace

ViewFrustum FrustumOf(const Matrix& projection, const Matrix& view) {
  // clip = projection x view, in double: the planes are its row sums.
  double clip[16];
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(projection[k * 4 + r]) * view[c * 4 + k];
      clip[c * 4 + r] = sum;
    }
  }
  auto row = [&](int r, int k) { return clip[k * 4 + r]; };
  ViewFrustum f;
  for (int i = 0; i < 6; ++i) {
    const int axis = i / 2;
    const double sign = i % 2 == 0 ? 1 : -1;
    double plane[4];
    for (int k = 0; k < 4; ++k) plane[k] = row(3, k) + sign * row(axis, k);
    const double length =
        std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    if (!(length > 1e-300) || !std::isfinite(length) || !std::isfinite(plane[3])) continue;
    for (int k = 0; k < 4; ++k) f.planes[i][k] = plane[k] / length;
  }
  return f;
}

bool PointInFrustum(const ViewFrustum& f, const double p[3]) {
  if (!AllFinite(p, 3)) return false;
  for (const auto& plane : f.planes) {
    if (!(PlaneDistance(plane, p) >= 0)) return false;
  }
  return true;
}

Containment SphereInFrustum(const ViewFrustum& f, const double centre[3], double radius) {
  if (!AllFinite(centre, 3) || std::isnan(radius)) return kOutside;
  radius = std::max(radius, 0.0);
  Containment result = kWhollyInside;
  for (const auto& plane : f.planes) {
    const double d = PlaneDistance(plane, centre);
    if (d < -radius) return kOutside;
    if (d < radius) result = kPartlyInside;
  }
  return result;
}

Containment BoxInFrustum(const ViewFrustum& f, const double lo[3], const double hi[3]) {
  if (!AllFinite(lo, 3) || !AllFinite(hi, 3)) return kOutside;
  Containment result = kWhollyInside;
  for (const auto& plane : f.planes) {
    // The corner farthest along the normal, and the one nearest.
    double far[3], near[3];
    for (int k = 0; k < 3; ++k) {
      far[k] = plane[k] >= 0 ? hi[k] : lo[k];
      near[k] = plane[k] >= 0 ? lo[k] : hi[k];
    }
    if (PlaneDistance(plane, far) < 0) return kOutside;
    if (PlaneDistance(plane, near) < 0) result = kPartlyInside;
  }
  return result;
}

MeshBounds BoundsOf(const Mesh& mesh) {
  MeshBounds b;
  for (const KeyFrame& frame : mesh.frames) {
    for (const MeshVertex& v : frame.vertices) {
      for (int k = 0; k < 3; ++k) {
        const double x = v.position[k];
        if (!std::isfinite(x)) b.finite = false;
        if (b.empty) {
          b.lo[k] = b.hi[k] = x;
        } else {
          b.lo[k] = std::min(b.lo[k], x);
          b.hi[k] = std::max(b.hi[k], x);
        }
      }
      b.empty = false;
    }
  }
  if (b.empty || !b.finite) return b;
  for (int k = 0; k < 3; ++k) b.centre[k] = (b.lo[k] + b.hi[k]) / 2;
  double farthest = 0;
  for (const KeyFrame& frame : mesh.frames) {
    for (const MeshVertex& v : frame.vertices) {
      double squared = 0;
      for (int k = 0; k < 3; ++k) {
        const double d = v.position[k] - b.centre[k];
        squared += d * d;
      }
      farthest = std::max(farthest, squared);
    }
  }
  b.radius = std::sqrt(farthest);
  return b;
}

const std::vector<MeshBounds>& SlotBounds(ObjectSlot& slot) {
  if (!slot.boundsMade) {
    slot.bounds.clear();
    if (slot.isWorld) {
      for (const WorldObject& object : slot.worldObjects)
        slot.bounds.push_back(BoundsOf(object.mesh));
    } else {
      slot.bounds.push_back(BoundsOf(slot.mesh));
    }
    slot.boundsMade = true;
  }
  return slot.bounds;
}

bool MeshMayShow(ObjectSlot& slot, size_t mesh) {
  Gfx3dState& g = Gfx3d();
  if (!g.sceneOpen || !g.frustumCulling) return true;
  // An object outside the view may still throw its shadow into it.
  if (g.shadowPassActive) return true;
  const std::vector<MeshBounds>& bounds = SlotBounds(slot);
  if (mesh >= bounds.size()) return true;
  const MeshBounds& b = bounds[mesh];
  // Nothing to draw is nothing to see; NaN positions leave it to GL.
  if (b.empty) return false;
  if (!b.finite) return true;
  const Matrix& m = g.transforms.Current();
  // A projective transform has no sphere to offer.
  if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) return true;
  double centre[3];
  for (int r = 0; r < 3; ++r) {
    centre[r] = double(m[r]) * b.centre[0] + double(m[4 + r]) * b.centre[1] +
                double(m[8 + r]) * b.centre[2] + m[12 + r];
  }
  // The longest column is the most the transform stretches any direction.
  double stretch = 0;
  for (int c = 0; c < 3; ++c) {
    const double squared = double(m[c * 4]) * m[c * 4] + double(m[c * 4 + 1]) * m[c * 4 + 1] +
                           double(m[c * 4 + 2]) * m[c * 4 + 2];
    stretch = std::max(stretch, squared);
  }
  const double radius = b.radius * std::sqrt(stretch);
  if (!std::isfinite(radius) || !AllFinite(centre, 3)) return true;
  return SphereInFrustum(g.frustum, centre, radius * (1 + kRelativeSlack) + kAbsoluteSlack) !=
         kOutside;
}

void CountObject(bool drawn) {
  Gfx3dState& g = Gfx3d();
  if (drawn) {
    ++g.objectsDrawn;
  } else {
    ++g.objectsCulled;
  }
}

void UpdateFrustum() {
  Gfx3dState& g = Gfx3d();
  g.frustum = FrustumOf(g.projection, g.view);
}

}  // namespace gfx3d

using namespace gfx3d;

int PointInFrustum(double x, double y, double z) {
  const double p[3] = {x, y, z};
  return gfx3d::PointInFrustum(Gfx3d().frustum, p) ? 1 : 0;
}

int SphereInFrustum(double x, double y, double z, double radius) {
  const double c[3] = {x, y, z};
  return gfx3d::SphereInFrustum(Gfx3d().frustum, c, radius);
}

int BoxInFrustum(double x1, double y1, double z1, double x2, double y2, double z2) {
  const double lo[3] = {std::min(x1, x2), std::min(y1, y2), std::min(z1, z2)};
  const double hi[3] = {std::max(x1, x2), std::max(y1, y2), std::max(z1, z2)};
  // min/max drop a NaN; the originals tell.
  const double given[6] = {x1, y1, z1, x2, y2, z2};
  if (!AllFinite(given, 6)) return kOutside;
  return gfx3d::BoxInFrustum(Gfx3d().frustum, lo, hi);
}

void SetFrustumCulling(int flag) {
  Gfx3d().frustumCulling = flag != 0;
}

int ObjectsDrawn() {
  return static_cast<int>(Gfx3d().objectsDrawn);
}

int ObjectsCulled() {
  return static_cast<int>(Gfx3d().objectsCulled);
}
