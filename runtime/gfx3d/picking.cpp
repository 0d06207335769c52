// Picking: screen rays and rays against objects' boxes and triangles.
#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/gfx3d/picking3d.h"
#include "runtime/gfx3d/ray_tests.h"

namespace gfx3d {
namespace {

using Vec = double[3];

struct RayHit {
  double distance = -1;
  int triangle = -1;
};

double Dot(const double* a, const double* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void Cross(const double* a, const double* b, double* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Möller and Trumbore's test for any direction length: t is the parameter
// along it, so it carries over unchanged through an affine map.
bool TriangleParameter(const double* o, const double* d, const double* a, const double* b,
                       const double* c, double& t) {
  const Vec e1 = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const Vec e2 = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  Vec p;
  Cross(d, e2, p);
  const double det = Dot(e1, p);
  // Parallel to the plane, or a triangle without area.
  if (det == 0 || !std::isfinite(det)) return false;
  const double inverse = 1 / det;
  const Vec s = {o[0] - a[0], o[1] - a[1], o[2] - a[2]};
  const double u = Dot(s, p) * inverse;
  if (!(u >= 0 && u <= 1)) return false;
  Vec q;
  Cross(s, e1, q);
  const double v = Dot(d, q) * inverse;
  if (!(v >= 0 && u + v <= 1)) return false;
  t = Dot(e2, q) * inverse;
  return t >= 0 && std::isfinite(t);
}

bool IsAffine(const Matrix& m) {
  return m[3] == 0 && m[7] == 0 && m[11] == 0 && m[15] == 1;
}

// The inverse of a general 4 x 4 matrix (column-major) by cofactors.
bool Invert(const double* m, double* out) {
  double inv[16];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (det == 0 || !std::isfinite(det)) return false;
  for (int i = 0; i < 16; ++i) out[i] = inv[i] / det;
  return true;
}

// m x (x, y, z, w) with m column-major.
void Transform(const double* m, const double* v, double w, double* out) {
  for (int r = 0; r < 4; ++r) {
    out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r] * w;
  }
}

// The world position of a vertex under any transform (w divided out).
bool ToWorld(const Matrix& m, const float* p, double* out) {
  double h[4];
  const double d[16] = {m[0], m[1], m[2],  m[3],  m[4],  m[5],  m[6],  m[7],
                        m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]};
  const double v[3] = {p[0], p[1], p[2]};
  Transform(d, v, 1, h);
  if (h[3] == 0 || !std::isfinite(h[3])) return false;
  for (int k = 0; k < 3; ++k) out[k] = h[k] / h[3];
  return true;
}

// The box grown a little, so a ray that hits a triangle lying in its face
// is never turned away by rounding.
void Widened(const MeshBounds& b, double lo[3], double hi[3]) {
  for (int k = 0; k < 3; ++k) {
    const double slack =
        1e-6 * (b.hi[k] - b.lo[k] + std::fabs(b.lo[k]) + std::fabs(b.hi[k])) + 1e-9;
    lo[k] = b.lo[k] - slack;
    hi[k] = b.hi[k] + slack;
  }
}

ObjectSlot* SlotMeshes(int object, std::vector<const Mesh*>& meshes) {
  meshes.clear();
  ObjectSlot* slot = DrawableObject(object);
  if (!slot) return nullptr;
  if (slot->isWorld) {
    for (const WorldObject& o : slot->worldObjects) meshes.push_back(&o.mesh);
  } else {
    meshes.push_back(&slot->mesh);
  }
  return slot;
}

bool NearestHitIn(const std::vector<const Mesh*>& meshes, const std::vector<MeshBounds>* bounds,
                  int frame, const Matrix& transform, const Ray& ray, RayHit& hit) {
  double o[3], d[3];
  const bool objectSpace = RayIntoObject(ray, transform, o, d);
  hit = RayHit{};
  int first = 0;
  for (size_t i = 0; i < meshes.size(); ++i) {
    const Mesh& mesh = *meshes[i];
    if (mesh.frames.empty()) continue;
    const int f = std::clamp(frame, 0, static_cast<int>(mesh.frames.size()) - 1);
    const std::vector<MeshVertex>& v = mesh.frames[f].vertices;
    const int triangles = static_cast<int>(v.size() / 3);
    const int base = first;
    first += triangles;
    if (objectSpace && bounds && i < bounds->size()) {
      const MeshBounds& b = (*bounds)[i];
      double lo[3], hi[3], entry;
      Widened(b, lo, hi);
      if (b.empty || (b.finite && !RayHitsBox(o, d, lo, hi, entry))) continue;
      if (b.finite && hit.triangle >= 0 && entry > hit.distance) continue;
    }
    for (int t = 0; t < triangles; ++t) {
      double a[3], b[3], c[3], distance;
      if (objectSpace) {
        for (int k = 0; k < 3; ++k) {
          a[k] = v[t * 3].position[k];
          b[k] = v[t * 3 + 1].position[k];
          c[k] = v[t * 3 + 2].position[k];
        }
        if (!TriangleParameter(o, d, a, b, c, distance)) continue;
      } else {
        if (!ToWorld(transform, v[t * 3].position, a) ||
            !ToWorld(transform, v[t * 3 + 1].position, b) ||
            !ToWorld(transform, v[t * 3 + 2].position, c) ||
            !RayHitsTriangle(ray, a, b, c, distance)) {
          continue;
        }
      }
      if (hit.triangle < 0 || distance < hit.distance) {
        hit.distance = distance;
        hit.triangle = base + t;
      }
    }
  }
  return hit.triangle >= 0;
}

// Hands a ray out with a unit direction (a direction of length 0 stays as
// the default, straight ahead along -z).
void Output(const double* origin, const double* direction, double& ox, double& oy, double& oz,
            double& dx, double& dy, double& dz) {
  Ray ray;
  if (!MakeRay(origin, direction, ray)) std::copy(origin, origin + 3, ray.origin);
  ox = ray.origin[0];
  oy = ray.origin[1];
  oz = ray.origin[2];
  dx = ray.direction[0];
  dy = ray.direction[1];
  dz = ray.direction[2];
}

}  // namespace

bool MakeRay(const double origin[3], const double direction[3], Ray& ray) {
  const double length = std::sqrt(Dot(direction, direction));
  if (!(length > 0) || !std::isfinite(length)) return false;
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(origin[k])) return false;
    ray.origin[k] = origin[k];
    ray.direction[k] = direction[k] / length;
  }
  return true;
}

bool RayHitsBox(const double origin[3], const double direction[3], const double lo[3],
                const double hi[3], double& entry) {
  double near = 0, far = INFINITY;
  for (int k = 0; k < 3; ++k) {
    if (direction[k] == 0) {
      if (origin[k] < lo[k] || origin[k] > hi[k]) return false;
      continue;
    }
    double t1 = (lo[k] - origin[k]) / direction[k];
    double t2 = (hi[k] - origin[k]) / direction[k];
    if (t1 > t2) std::swap(t1, t2);
    near = std::max(near, t1);
    far = std::min(far, t2);
    if (!(near <= far)) return false;
  }
  entry = near;
  return true;
}

bool RayHitsTriangle(const Ray& ray, const double a[3], const double b[3], const double c[3],
                     double& distance) {
  return TriangleParameter(ray.origin, ray.direction, a, b, c, distance);
}

bool RayIntoObject(const Ray& world, const Matrix& transform, double origin[3],
                   double direction[3]) {
  if (!IsAffine(transform)) return false;
  double m[16], inverse[16];
  for (int i = 0; i < 16; ++i) m[i] = transform[i];
  if (!Invert(m, inverse)) return false;
  double h[4];
  Transform(inverse, world.origin, 1, h);
  std::copy(h, h + 3, origin);
  Transform(inverse, world.direction, 0, h);
  std::copy(h, h + 3, direction);
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(origin[k]) || !std::isfinite(direction[k])) return false;
  }
  return true;
}

}  // namespace gfx3d

using namespace gfx3d;

bool ScreenRay(double x, double y, double& originX, double& originY, double& originZ,
               double& directionX, double& directionY, double& directionZ) {
  Gfx3dState& g = Gfx3d();
  double clip[16], inverse[16];
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(g.projection[k * 4 + r]) * g.view[c * 4 + k];
      clip[c * 4 + r] = sum;
    }
  }
  const bool usable = g.sceneWidth > 0 && g.sceneHeight > 0 && std::isfinite(x) &&
                      std::isfinite(y) && Invert(clip, inverse);
  double near[4], far[4];
  if (usable) {
    // Pixel centres, y upwards in normalised device coordinates.
    const double ndc[2] = {(x + 0.5 - g.sceneX) / g.sceneWidth * 2 - 1,
                           1 - (y + 0.5 - g.sceneY) / g.sceneHeight * 2};
    const double onNear[3] = {ndc[0], ndc[1], -1}, onFar[3] = {ndc[0], ndc[1], 1};
    Transform(inverse, onNear, 1, near);
    Transform(inverse, onFar, 1, far);
  }
  if (!usable || near[3] == 0 || far[3] == 0) {
    const float* from = g.cameraPosition;
    const float* to = g.cameraTarget;
    const double direction[3] = {double(to[0]) - from[0], double(to[1]) - from[1],
                                 double(to[2]) - from[2]};
    const double origin[3] = {from[0], from[1], from[2]};
    Output(origin, direction, originX, originY, originZ, directionX, directionY, directionZ);
    return false;
  }
  double origin[3], direction[3];
  for (int k = 0; k < 3; ++k) {
    origin[k] = near[k] / near[3];
    direction[k] = far[k] / far[3] - origin[k];
  }
  Output(origin, direction, originX, originY, originZ, directionX, directionY, directionZ);
  return true;
}

bool RayHitsObjectBox(int object, double originX, double originY, double originZ, double directionX,
                      double directionY, double directionZ, double& distance) {
  distance = -1;
  std::vector<const Mesh*> meshes;
  ObjectSlot* slot = SlotMeshes(object, meshes);
  const double o[3] = {originX, originY, originZ}, d[3] = {directionX, directionY, directionZ};
  Ray ray;
  if (!slot || !MakeRay(o, d, ray)) return false;
  MeshBounds box;
  for (const MeshBounds& b : SlotBounds(*slot)) {
    if (b.empty) continue;
    if (!b.finite) return false;
    for (int k = 0; k < 3; ++k) {
      box.lo[k] = box.empty ? b.lo[k] : std::min(box.lo[k], b.lo[k]);
      box.hi[k] = box.empty ? b.hi[k] : std::max(box.hi[k], b.hi[k]);
    }
    box.empty = false;
  }
  if (box.empty) return false;
  const Matrix& transform = Gfx3d().transforms.Current();
  double objectOrigin[3], objectDirection[3], entry = 0;
  if (RayIntoObject(ray, transform, objectOrigin, objectDirection)) {
    if (!RayHitsBox(objectOrigin, objectDirection, box.lo, box.hi, entry)) return false;
  } else {
    // A projective transform: the world box around the turned corners.
    double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (int corner = 0; corner < 8; ++corner) {
      const float p[3] = {static_cast<float>(corner & 1 ? box.hi[0] : box.lo[0]),
                          static_cast<float>(corner & 2 ? box.hi[1] : box.lo[1]),
                          static_cast<float>(corner & 4 ? box.hi[2] : box.lo[2])};
      double w[3];
      if (!ToWorld(transform, p, w)) return false;
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], w[k]);
        hi[k] = std::max(hi[k], w[k]);
      }
    }
    if (!RayHitsBox(ray.origin, ray.direction, lo, hi, entry)) return false;
  }
  distance = entry;
  return true;
}

bool RayHitsObject(int object, int frame, double originX, double originY, double originZ,
                   double directionX, double directionY, double directionZ, double& distance,
                   int32_t& triangle) {
  distance = -1;
  triangle = -1;
  std::vector<const Mesh*> meshes;
  ObjectSlot* slot = SlotMeshes(object, meshes);
  const double o[3] = {originX, originY, originZ}, d[3] = {directionX, directionY, directionZ};
  Ray ray;
  if (!slot || !MakeRay(o, d, ray)) return false;
  RayHit hit;
  if (!NearestHitIn(meshes, &SlotBounds(*slot), frame, Gfx3d().transforms.Current(), ray, hit))
    return false;
  distance = hit.distance;
  triangle = hit.triangle;
  return true;
}
