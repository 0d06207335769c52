#include "runtime/gfx3d/mesh.h"

#include <cmath>

namespace gfx3d {

void SetVertexColour(MeshVertex& vertex, uint32_t colour) {
  vertex.colour = colour;
  if (colour >= 0xFFFFFFFCu) {
    vertex.rgb[0] = vertex.rgb[1] = vertex.rgb[2] = 1.0f;
    return;
  }
  vertex.rgb[0] = static_cast<float>(colour & 0xFF) / 255.0f;
  vertex.rgb[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
  vertex.rgb[2] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
}

Vec3 FaceNormal(const float* a, const float* b, const float* c) {
  const double e1[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
  const double e2[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
  const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                       e1[0] * e2[1] - e1[1] * e2[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  // Collinear or coincident corners have no direction; dividing would give
  // NaN that lighting would spread over the whole picture.
  if (!(length > 1e-20) || !std::isfinite(length)) return Vec3{};
  return Vec3{float(n[0] / length), float(n[1] / length), float(n[2] / length)};
}

void DeriveTriangleData(Mesh& mesh) {
  for (KeyFrame& frame : mesh.frames) {
    const size_t triangles = frame.vertices.size() / 3;
    frame.faceNormals.assign(triangles, Vec3{});
    for (size_t t = 0; t < triangles; ++t) {
      MeshVertex* v = &frame.vertices[t * 3];
      const Vec3 n = FaceNormal(v[0].position, v[1].position, v[2].position);
      frame.faceNormals[t] = n;
      for (int corner = 0; corner < 3; ++corner) {
        float* vn = v[corner].normal;
        if (vn[0] == 0 && vn[1] == 0 && vn[2] == 0) {
          vn[0] = n.x;
          vn[1] = n.y;
          vn[2] = n.z;
        }
      }
    }
  }
}

}  // namespace gfx3d
