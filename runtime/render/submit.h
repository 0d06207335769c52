// Vertex submission: every primitive the 2D and 3D layers draw reaches the
// driver here. The 2D primitives (quads, points, lines) collect in one
// vertex stream that reaches the driver in as few draws as the state
// allows: every render call that changes what a draw looks like, or reads
// or shows pixels, draws the stream first, so pictures come out as if each
// primitive had been drawn at once, in the same order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/render/textures.h"

namespace render {

// Draws what the stream holds. Render calls do so themselves; code that
// talks to the driver past them (benchmarks, tests) calls it first, and
// UseModulatingEnvironment if it draws textured under a colour of its own:
// while the colour is opaque white the stream leaves unit 0's texture
// environment at replace, which draws the same under that colour only.
void FlushBatch();
void UseModulatingEnvironment();
// Whether drawn primitives wait in the stream.
bool BatchPending();

// x, y, u, v per corner, drawn as one fan with the texture clamped at its
// edges (so filtering does not wrap round to the opposite side).
void DrawQuad(const float quad[4][4]);
// An upright quad of whole pixels from (x, y) to (x + width, y + height),
// y downwards; u from u0 (left) to u1, v from vt (top) to vb. The caller
// says whether u and v span exactly width x height texels from a texel's
// edge (exact in floating point): such quads may then be drawn with a
// cheaper filter that gives the same pixels.
void DrawPixelQuad(int x, int y, int width, int height, float u0, float u1, float vb, float vt,
                   bool texelsArePixels = false);
// Quads of x, y, z, u, v per corner, four corners each, in one call.
void DrawTexturedQuads(const float* corners, size_t cornerCount);
// A fan of x, y, u, v, r, g, b, a per vertex in smooth shading; u and v are
// read only when textured (then filtered as asked). White at alpha is the
// current colour afterwards. Drawn at once.
void DrawColouredFan(const float* vertices, int count, bool textured, Filter filter, float alpha);
void DrawPoint(int x, int y);
// Leaves out the last pixel, as GL lines do.
void DrawLine(int x1, int y1, int x2, int y2);

// Interleaved vertex arrays of one triangle list, `stride` bytes apart.
struct MeshArrays {
  const float* position = nullptr;  // x, y, z
  const float* normal = nullptr;    // x, y, z
  const float* uv = nullptr;        // u, v
  const float* colour = nullptr;    // r, g, b
  // r, g, b, a per vertex, tightly packed in memory (even when the rest is
  // in a buffer); replaces `colour` when set.
  const float* rgba = nullptr;
  size_t stride = 0;
  size_t count = 0;
  // A vertex buffer holding the arrays: the pointers above are then byte
  // offsets into it. 0: they point into memory.
  uint32_t buffer = 0;
};
// A vertex buffer filled once with `bytes` of vertices and drawn many times
// (an object's key frame), or 0 when the driver has no buffer objects.
uint32_t CreateStaticVertexBuffer(const void* data, size_t bytes);
// Zero names are skipped.
void DeleteVertexBuffer(uint32_t buffer);
// Draws the triangles through `transform` (column-major) after the view,
// with the texture coordinates on both units (sphere-mapped when asked) and
// normals when lit or sphere-mapped. White at alpha is the current colour
// afterwards. Drawn at once.
void DrawMesh(const MeshArrays& mesh, const float* transform, bool normals, bool sphereMap,
              float alpha);

}  // namespace render
