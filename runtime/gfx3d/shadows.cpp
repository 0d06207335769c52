// The stencil-shadow pass. Each object drawn while the pass casts turns,
// there and then, into a shadow volume built in its own space from the
// shadow light as it is at that moment; the volumes are counted and the
// shadowed pixels darkened when the pass ends, once the whole scene's depth
// is known.
//
// A volume is the light-facing triangles (the near cap), the same triangles
// pushed to infinity away from the light (the far cap; a directional light
// pushes them all to one point, so it has none) and a quad from each edge
// of the light-facing part that no other light-facing triangle shares in
// the opposite direction (the silhouette, and the rim of an open mesh).
// Counting directed edges instead of matching neighbours handles triangle
// soups, open meshes and edges shared by more than two triangles: the
// result is the same count as one closed volume per triangle would give.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/core/error_log.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/shader_programs.h"
#include "runtime/render/stencil_shadows.h"

namespace gfx3d {
namespace {

struct Point {
  float x, y, z;
};

struct CasterVolume {
  size_t first = 0, count = 0;  // in corners
  Matrix view, model;
  bool mirrored = false;
};

// Both ends of an edge, lower end first, as bit patterns (with -0 made +0).
struct EdgeKey {
  uint32_t bits[6];
  bool operator==(const EdgeKey& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
};
size_t HashOf(const EdgeKey& k) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t b : k.bits) h = (h ^ b) * 1099511628211ull;
  return static_cast<size_t>(h ^ (h >> 29));
}

struct EdgeUse {
  EdgeKey key;
  int net = 0;  // uses from the lower end minus uses from the higher end
  uint32_t stamp = 0;
};

// Open addressing in one reused array: a caster's edges are counted without
// an allocation per edge, and a stamp empties the table between casters.
// Measured with bench/gfx3d: a node-based map spent most of the volume's
// build time allocating and freeing.
class EdgeTable {
 public:
  void Start(size_t maxEdges) {
    size_t capacity = 64;
    while (capacity < maxEdges * 2) capacity *= 2;
    if (slots_.size() < capacity) {
      slots_.assign(capacity, EdgeUse{});
      stamp_ = 0;
    }
    mask_ = slots_.size() - 1;
    used_.clear();
    if (++stamp_ == 0) {
      for (EdgeUse& slot : slots_) slot.stamp = 0;
      stamp_ = 1;
    }
  }
  EdgeUse& Find(const EdgeKey& key) {
    for (size_t i = HashOf(key) & mask_;; i = (i + 1) & mask_) {
      EdgeUse& slot = slots_[i];
      if (slot.stamp != stamp_) {
        slot = EdgeUse{};
        slot.key = key;
        slot.stamp = stamp_;
        used_.push_back(static_cast<uint32_t>(i));
        return slot;
      }
      if (slot.key == key) return slot;
    }
  }
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (uint32_t i : used_) visit(slots_[i]);
  }

 private:
  std::vector<EdgeUse> slots_;
  std::vector<uint32_t> used_;
  size_t mask_ = 0;
  uint32_t stamp_ = 0;
};

struct ShadowPass {
  std::vector<float> corners;   // x, y, z, w
  std::vector<uint8_t> facing;  // per triangle of the caster at hand
  std::vector<CasterVolume> casters;
  EdgeTable edges;
  bool casting = true;
  bool unavailableLogged = false;
};

ShadowPass& Pass() {
  static ShadowPass pass;
  return pass;
}

uint32_t Bits(float f) {
  f += 0.0f;  // -0 and +0 are the same corner
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

float FromBits(uint32_t b) {
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

bool Less(const Point& a, const Point& b) {
  if (a.x != b.x) return a.x < b.x;
  if (a.y != b.y) return a.y < b.y;
  return a.z < b.z;
}

Point Sub(const Point& a, const Point& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Point Cross(const Point& a, const Point& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Point& a, const Point& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

bool Finite(const Point& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void Put(std::vector<float>& out, const Point& p, float w) {
  out.insert(out.end(), {p.x, p.y, p.z, w});
}

// The inverse of an affine matrix (last row 0 0 0 1); false when it has
// none (a scaling by zero flattens the object, which then casts nothing).
bool InvertAffine(const Matrix& m, Matrix& out, double& determinant) {
  const double a = m[0], b = m[4], c = m[8];
  const double d = m[1], e = m[5], f = m[9];
  const double g = m[2], h = m[6], i = m[10];
  determinant = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  if (!(std::fabs(determinant) > 1e-20) || !std::isfinite(determinant)) return false;
  const double r = 1 / determinant;
  const double inv[9] = {(e * i - f * h) * r, (c * h - b * i) * r, (b * f - c * e) * r,
                         (f * g - d * i) * r, (a * i - c * g) * r, (c * d - a * f) * r,
                         (d * h - e * g) * r, (b * g - a * h) * r, (a * e - b * d) * r};
  out = Identity();
  for (int row = 0; row < 3; ++row) {
    double t = 0;
    for (int col = 0; col < 3; ++col) {
      out[col * 4 + row] = static_cast<float>(inv[row * 3 + col]);
      t -= inv[row * 3 + col] * m[12 + col];
    }
    out[12 + row] = static_cast<float>(t);
  }
  return true;
}

Point Transform(const Matrix& m, const Point& p, float w) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12] * w,
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13] * w,
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] * w};
}

void CountEdge(ShadowPass& pass, const Point& from, const Point& to) {
  const bool forward = Less(from, to);
  const Point& low = forward ? from : to;
  const Point& high = forward ? to : from;
  const EdgeKey key{
      {Bits(low.x), Bits(low.y), Bits(low.z), Bits(high.x), Bits(high.y), Bits(high.z)}};
  pass.edges.Find(key).net += forward ? 1 : -1;
}

// The corners of one caster's volume, appended to the pass.
void BuildVolume(ShadowPass& pass, const MeshVertex* vertices, size_t count, const Point& light,
                 bool directional) {
  std::vector<float>& out = pass.corners;
  auto corner = [&](size_t i) {
    return Point{vertices[i].position[0], vertices[i].position[1], vertices[i].position[2]};
  };
  // Which triangles face the light, first, so the edge table is only as
  // large as the light-facing part needs.
  const size_t triangles = count / 3;
  pass.facing.assign(triangles, 0);
  size_t facingCount = 0;
  for (size_t t = 0; t < triangles; ++t) {
    const Point a = corner(t * 3), b = corner(t * 3 + 1), c = corner(t * 3 + 2);
    if (!Finite(a) || !Finite(b) || !Finite(c)) continue;
    const Point normal = Cross(Sub(b, a), Sub(c, a));
    const Point towardLight = directional ? Point{-light.x, -light.y, -light.z} : Sub(light, a);
    if (!(Dot(normal, towardLight) > 0)) continue;
    pass.facing[t] = 1;
    ++facingCount;
  }
  if (facingCount == 0) return;
  pass.edges.Start(facingCount * 3);
  out.reserve(out.size() + facingCount * (directional ? 12 : 24));
  // Where corners go at infinity: away from a point light, or along a
  // directional light's travel.
  auto away = [&](const Point& p) { return directional ? light : Sub(p, light); };
  for (size_t t = 0; t < triangles; ++t) {
    if (!pass.facing[t]) continue;
    const Point a = corner(t * 3), b = corner(t * 3 + 1), c = corner(t * 3 + 2);
    Put(out, a, 1);
    Put(out, b, 1);
    Put(out, c, 1);
    if (!directional) {
      Put(out, away(a), 0);
      Put(out, away(c), 0);
      Put(out, away(b), 0);
    }
    CountEdge(pass, a, b);
    CountEdge(pass, b, c);
    CountEdge(pass, c, a);
  }
  pass.edges.ForEach([&](const EdgeUse& use) {
    // A quad for each use the opposite direction does not cancel, facing
    // out of the volume: for the edge a -> b of a light-facing triangle,
    // the quad b, a, a at infinity, b at infinity.
    const Point low{FromBits(use.key.bits[0]), FromBits(use.key.bits[1]),
                    FromBits(use.key.bits[2])};
    const Point high{FromBits(use.key.bits[3]), FromBits(use.key.bits[4]),
                     FromBits(use.key.bits[5])};
    const int n = use.net > 0 ? use.net : -use.net;
    const Point& a = use.net > 0 ? low : high;
    const Point& b = use.net > 0 ? high : low;
    for (int k = 0; k < n; ++k) {
      Put(out, b, 1);
      Put(out, a, 1);
      Put(out, away(a), 0);
      if (!directional) {
        Put(out, b, 1);
        Put(out, away(a), 0);
        Put(out, away(b), 0);
      }
    }
  });
}

}  // namespace

void ResetShadowCasting() {
  ShadowPass& pass = Pass();
  pass.corners.clear();
  pass.casters.clear();
  pass.casting = true;
}

void SetShadowCasting(bool on) {
  Pass().casting = on;
}

size_t ShadowCasterCount() {
  return Pass().casters.size();
}

void CastShadow(const MeshVertex* vertices, size_t count) {
  Gfx3dState& g = Gfx3d();
  ShadowPass& pass = Pass();
  if (!g.shadowPassActive || !pass.casting || !g.shadowLight.on || count < 3) return;
  const Matrix& model = g.transforms.Current();
  Matrix inverse;
  double determinant = 0;
  if (!InvertAffine(model, inverse, determinant)) return;
  const ShadowLight& s = g.shadowLight;
  const bool directional = s.directional;
  const Point world = directional ? Point{s.direction[0], s.direction[1], s.direction[2]}
                                  : Point{s.position[0], s.position[1], s.position[2]};
  Point light = Transform(inverse, world, directional ? 0.0f : 1.0f);
  if (!Finite(light)) return;
  if (directional) {
    const float length = std::sqrt(Dot(light, light));
    if (!(length > 0)) return;
    light = {light.x / length, light.y / length, light.z / length};
  }
  CasterVolume caster;
  caster.first = pass.corners.size() / 4;
  try {
    BuildVolume(pass, vertices, count, light, directional);
  } catch (const std::bad_alloc&) {
    // A caster too large for the memory left casts nothing; the scene
    // goes on without its shadow.
    pass.corners.resize(caster.first * 4);
    return;
  }
  caster.count = pass.corners.size() / 4 - caster.first;
  if (caster.count == 0) return;
  caster.view = g.view;
  caster.model = model;
  caster.mirrored = determinant < 0;
  pass.casters.push_back(caster);
}

void DropShadowPass() {
  Gfx3dState& g = Gfx3d();
  ResetShadowCasting();
  if (!g.shadowPassActive) return;
  g.shadowPassActive = false;
  render::SetStencilTest(false);
}

void EndShadowPass() {
  Gfx3dState& g = Gfx3d();
  if (!g.shadowPassActive) return;
  ShadowPass& pass = Pass();
  if (g.shadowLight.on && !pass.casters.empty()) {
    if (render::CanDrawStencilShadows()) {
      std::vector<render::ShadowVolume> volumes;
      volumes.reserve(pass.casters.size());
      for (const CasterVolume& c : pass.casters)
        volumes.push_back({pass.corners.data() + c.first * 4, c.count, c.view.data(),
                           c.model.data(), c.mirrored});
      const int colour = g.shadowLight.colour;
      const float darkening[3] = {static_cast<float>(colour & 0xFF) / 255.0f,
                                  static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                                  static_cast<float>((colour >> 16) & 0xFF) / 255.0f};
      // Volumes go through the fixed pipeline whatever shader the scene
      // uses; the shader comes back for what follows.
      const bool shader = g.currentShader >= 0;
      if (shader) render::UseProgram(0);
      render::DrawStencilShadows(volumes.data(), volumes.size(), darkening);
      if (shader) render::UseProgram(g.shaders[g.currentShader].program);
    } else if (!pass.unavailableLogged) {
      pass.unavailableLogged = true;
      AppendErrorLog("No stencil shadows: no stencil buffer or depth clamping");
    }
  }
  DropShadowPass();
}

}  // namespace gfx3d
