// A loaded 3D object: key frames of fully expanded triangle lists (three
// consecutive vertices per triangle) sharing one colour table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gfx3d {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

// Laid out for interleaved vertex arrays: position, normal, texture
// coordinate and colour are read straight from this record.
struct MeshVertex {
  float position[3] = {0, 0, 0};
  // All zero when the file gave no usable normal; the triangle's face normal
  // takes its place once the mesh is complete.
  float normal[3] = {0, 0, 0};
  float uv[2] = {0, 0};
  float rgb[3] = {1, 1, 1};
  uint32_t colour = 0xFFFFFFFFu;
  // Wide enough that a text file's colours never share an index.
  uint32_t colourIndex = 0;
};

struct KeyFrame {
  std::vector<MeshVertex> vertices;
  // One unit normal per triangle, (0, 0, 0) for a triangle without area.
  std::vector<Vec3> faceNormals;
  // The vertices in a vertex buffer, made at the frame's first draw (0: not
  // yet, or drawn from memory); freed with the object (ReleaseMeshBuffers).
  uint32_t buffer = 0;
};

struct Mesh {
  std::vector<KeyFrame> frames;
  std::vector<uint32_t> colours;
  bool loaded = false;

  void Clear() {
    frames.clear();
    frames.shrink_to_fit();
    colours.clear();
    colours.shrink_to_fit();
    loaded = false;
  }
  // Vertices of the first frame: a mesh with none is not drawn.
  size_t FirstFrameVertexCount() const { return frames.empty() ? 0 : frames[0].vertices.size(); }
};

// Packed 0x00BBGGRR colour to floats; the four values from 0xFFFFFFFC up
// stand for white.
void SetVertexColour(MeshVertex& vertex, uint32_t colour);
// Face normals of every triangle of every frame, and those normals for the
// vertices that came without one.
void DeriveTriangleData(Mesh& mesh);
// Unit face normal of a triangle, (0, 0, 0) when it has no area.
Vec3 FaceNormal(const float* a, const float* b, const float* c);

}  // namespace gfx3d
