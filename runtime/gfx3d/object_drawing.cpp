// Drawing loaded objects: one key frame or a blend of two, through the
// current object transform, as one triangle list from interleaved arrays.
// A key frame drawn as it is goes to the driver once, into a vertex buffer;
// a blend of two is made afresh each draw and drawn from memory. A
// translucent draw takes its colours with alpha from memory beside either.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "runtime/gfx3d/gfx2d_link.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/gfx3d/scene3d.h"
#include "runtime/gfx3d/scene_internal.h"
#include "runtime/platform/window.h"
#include "runtime/render/submit.h"

namespace gfx3d {
namespace {

// The vertex colours with the blend mode's alpha, for a translucent draw;
// the vertices keep their opaque colours for the next one.
const float* TranslucentColours(const MeshVertex* vertices, size_t count, float alpha) {
  std::vector<float>& rgba = Gfx3d().translucentColours;
  rgba.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    std::copy_n(vertices[i].rgb, 3, &rgba[i * 4]);
    rgba[i * 4 + 3] = alpha;
  }
  return rgba.data();
}

// `buffer`: the vertices are in that vertex buffer; `vertices` is their copy
// in memory.
void DrawVertices(const MeshVertex* vertices, size_t count, uint32_t buffer = 0) {
  if (count < 3) return;
  Gfx3dState& g = Gfx3d();
  CastShadow(vertices, count);
  render::MeshArrays mesh;
  if (buffer) {
    auto at = [](size_t offset) { return reinterpret_cast<const float*>(offset); };
    mesh.position = at(offsetof(MeshVertex, position));
    mesh.normal = at(offsetof(MeshVertex, normal));
    mesh.uv = at(offsetof(MeshVertex, uv));
    mesh.colour = at(offsetof(MeshVertex, rgb));
    mesh.buffer = buffer;
  } else {
    mesh.position = vertices->position;
    mesh.normal = vertices->normal;
    mesh.uv = vertices->uv;
    mesh.colour = vertices->rgb;
  }
  mesh.stride = sizeof(MeshVertex);
  mesh.count = count;
  const float alpha = CurrentAlpha();
  if (alpha < 1) mesh.rgba = TranslucentColours(vertices, count, alpha);
  const bool sphereMap = g.environmentMapping;
  render::DrawMesh(mesh, g.transforms.Current().data(), g.lightsInUse != 0 || sphereMap, sphereMap,
                   alpha);
}

// Measured with bench/gfx3d on llvmpipe: drawing a 10,000-triangle frame
// from memory copied its 1.4 MB of vertices into the driver every draw.
void DrawFrame(KeyFrame& frame) {
  const size_t count = frame.vertices.size();
  if (count < 3) return;
  if (!frame.buffer)
    frame.buffer =
        render::CreateStaticVertexBuffer(frame.vertices.data(), count * sizeof(MeshVertex));
  DrawVertices(frame.vertices.data(), count, frame.buffer);
}

void DrawMeshBlend(Mesh& mesh, int from, int to, double t, bool unitNormals) {
  const FrameBlend blend = ChooseFrames(static_cast<int>(mesh.frames.size()), from, to, t);
  if (mesh.frames.empty()) return;
  KeyFrame& first = mesh.frames[blend.first];
  KeyFrame& second = mesh.frames[blend.second];
  if (blend.first == blend.second || blend.firstWeight >= 1) {
    DrawFrame(first);
  } else if (blend.firstWeight <= 0) {
    DrawFrame(second);
  } else {
    std::vector<MeshVertex>& out = Gfx3d().blendVertices;
    BlendFrames(first, second, blend.firstWeight, unitNormals, out);
    DrawVertices(out.data(), out.size());
  }
}

void DrawObject(int object, int from, int to, double t, bool unitNormals) {
  ObjectSlot* slot = DrawableObject(object);
  if (!slot) return;
  if (!slot->isWorld) {
    const bool shows = MeshMayShow(*slot, 0);
    CountObject(shows);
    if (shows) DrawMeshBlend(slot->mesh, from, to, t, unitNormals);
    return;
  }
  Gfx3dState& g = Gfx3d();
  const int textures = static_cast<int>(slot->worldTextures.size());
  bool anyShown = false;
  for (size_t i = 0; i < slot->worldObjects.size(); ++i) {
    if (!MeshMayShow(*slot, i)) continue;
    anyShown = true;
    WorldObject& object = slot->worldObjects[i];
    const int a = object.textureA >= 0 && object.textureA < textures ? object.textureA : -1;
    const int b = object.textureB >= 0 && object.textureB < textures ? object.textureB : -1;
    BindTextures(a >= 0 ? a : b, a >= 0 ? b : -1, false, slot->worldTextures.data());
    DrawMeshBlend(object.mesh, from, to, t, unitNormals);
  }
  CountObject(anyShown);
  BindTextures(g.textureSlot, g.secondTextureSlot, g.mipmapped, nullptr);
}

}  // namespace

FrameBlend ChooseFrames(int frameCount, int from, int to, double t) {
  FrameBlend blend;
  const int last = std::max(frameCount - 1, 0);
  if (!(t >= 0 && t <= 1)) t = std::isfinite(t) ? std::fabs(std::fmod(t, 1.0)) : 0;
  if (from == to) {
    blend.first = blend.second = std::clamp(from, 0, last);
    return blend;
  }
  const double p = from + t * (static_cast<double>(to) - from);
  const double base = std::floor(p);
  const double fraction = p - base;
  const int low = static_cast<int>(std::clamp(base, 0.0, static_cast<double>(last)));
  const int high = static_cast<int>(std::clamp(base + 1, 0.0, static_cast<double>(last)));
  if (from < to) {
    blend.first = low;
    blend.second = high;
    blend.firstWeight = 1 - fraction;
  } else {
    blend.first = high;
    blend.second = low;
    blend.firstWeight = fraction;
  }
  return blend;
}

void BlendFrames(const KeyFrame& a, const KeyFrame& b, double firstWeight, bool unitNormals,
                 std::vector<MeshVertex>& out) {
  // Frames that disagree in length blend over the part both have.
  const size_t count = std::min(a.vertices.size(), b.vertices.size()) / 3 * 3;
  out.resize(count);
  const float wa = static_cast<float>(firstWeight), wb = 1 - wa;
  for (size_t i = 0; i < count; ++i) {
    const MeshVertex& va = a.vertices[i];
    const MeshVertex& vb = b.vertices[i];
    MeshVertex& v = out[i];
    v = va;
    for (int k = 0; k < 3; ++k) {
      v.position[k] = va.position[k] * wa + vb.position[k] * wb;
      v.normal[k] = va.normal[k] * wa + vb.normal[k] * wb;
    }
    if (unitNormals) {
      const float length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                     v.normal[2] * v.normal[2]);
      if (length > 1e-12f) {
        for (float& n : v.normal) n /= length;
      }
    }
  }
}

void ReleaseMeshBuffers(Mesh& mesh) {
  for (KeyFrame& frame : mesh.frames) {
    if (frame.buffer && plat::HasGLContext()) render::DeleteVertexBuffer(frame.buffer);
    frame.buffer = 0;
  }
}

}  // namespace gfx3d

void PutObject(int object, int frame) {
  gfx3d::DrawObject(object, frame, frame, 0, false);
}

void PutObjectBlended(int object, int from, int to, double t, int flag) {
  gfx3d::DrawObject(object, from, to, t, flag != 0);
}
