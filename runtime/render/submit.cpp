// The 2D stream is a client-side array drawn with the primitive each call
// asked for: quads as GL_QUADS, the clamped fans one fan each through a
// multi-draw, so the driver cuts every primitive into the same triangles as
// one glBegin/glEnd per primitive did and the pictures stay pixel-exact.
// On llvmpipe a draw call costs about as much as 60 to 80 quads of 32 x 32
// pixels; one draw per frame of sprites instead of one per sprite is where
// the time went.
#include "runtime/render/submit.h"

#include <algorithm>
#include <vector>

#include "runtime/render/draw_state.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/render_state.h"

namespace render {

namespace {

// What the stream holds: one primitive type at a time, since a change of
// type (or of wrap mode, for the fans) needs a draw of its own anyway.
enum class Run : uint8_t { None, Quads, Fans, Points, Lines };

// x, y, z, u, v per vertex. Points and lines draw without the texture
// coordinate array, with the current coordinate, as they always did.
constexpr int kFloats = 5;
// A bound on the stream's memory (320 KiB): a flush in the middle of a run
// draws the same picture, and past a few thousand quads a longer draw saves
// nothing measurable.
constexpr size_t kMaxVertices = 16384;

// Pixels a run of texel-for-pixel quads must cover before it is drawn with
// nearest filtering in place of linear: the two filter changes around the
// draw cost about as much as bilinear filtering of a few hundred pixels on a
// software rasteriser.
constexpr int64_t kNearestStandInPixels = 4096;

struct Batch {
  Run run = Run::None;
  size_t count = 0;
  // Whether every quad of the run maps its texels one to one onto whole
  // pixels, and how many pixels they cover.
  bool texelExact = true;
  int64_t texelExactPixels = 0;
  std::vector<float> vertices;
  std::vector<GLint> fanFirsts;
  std::vector<GLsizei> fanCounts;
};

Batch& Stream() {
  static Batch batch;
  return batch;
}

// Room for `n` more vertices of `run`, drawing what is there first when the
// type changes or the stream is full.
float* Append(Run run, size_t n) {
  Batch& b = Stream();
  if (b.run != run || b.count + n > kMaxVertices) {
    // Drawing the stream out here changes neither the binding nor the
    // filter, so the filter the caller just set stays known: forgetting it
    // would make the next sprite's filter call draw the stream again, one
    // draw per sprite. An empty stream needs no draw at all.
    if (b.count > 0) {
      const bool filterKnown = Render().filterKnown;
      FlushBatch();
      Render().filterKnown = filterKnown;
    }
    b.run = run;
    b.texelExact = true;
    b.texelExactPixels = 0;
  }
  const size_t needed = (b.count + n) * kFloats;
  if (b.vertices.size() < needed)
    b.vertices.resize(std::max(needed, std::min(b.vertices.size() * 2, kMaxVertices * kFloats)));
  float* v = &b.vertices[b.count * kFloats];
  b.count += n;
  return v;
}

void Put(float*& v, float x, float y, float z, float u, float t) {
  v[0] = x;
  v[1] = y;
  v[2] = z;
  v[3] = u;
  v[4] = t;
  v += kFloats;
}

void DrawFans(const Batch& b) {
  const GLsizei fans = static_cast<GLsizei>(b.count / 4);
  if (ext::glMultiDrawArrays) {
    Batch& s = Stream();
    if (s.fanFirsts.size() < b.count / 4) {
      s.fanFirsts.resize(b.count / 4);
      s.fanCounts.resize(b.count / 4);
      for (size_t i = 0; i < s.fanFirsts.size(); ++i) {
        s.fanFirsts[i] = static_cast<GLint>(i * 4);
        s.fanCounts[i] = 4;
      }
    }
    ext::glMultiDrawArrays(GL_TRIANGLE_FAN, s.fanFirsts.data(), s.fanCounts.data(), fans);
  } else {
    for (GLsizei i = 0; i < fans; ++i) glDrawArrays(GL_TRIANGLE_FAN, i * 4, 4);
  }
}

// Replace hands the texel on as it is; modulate multiplies it by the
// fragment's colour first. Under opaque white both give the same bytes, but
// a software rasteriser pays for the multiply on every pixel. The setting
// stays until another draw needs the other one, so a frame of sprites
// switches it once.
void UseTextureEnvironment(bool replace) {
  RenderState& r = Render();
  if (r.replaceEnvironment == (replace ? 1 : 0)) return;
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, replace ? GL_REPLACE : GL_MODULATE);
  r.replaceEnvironment = replace ? 1 : 0;
}

// Lighting makes the fragment's colour from the lights, not the current
// colour, so only unlit draws may skip it.
bool ColourIsOpaqueWhite() {
  return Render().colourOpaqueWhite && !glIsEnabled(GL_LIGHTING);
}

bool NearestStandsInForLinear(const Batch& b) {
  const RenderState& r = Render();
  return b.texelExact && b.texelExactPixels >= kNearestStandInPixels && r.filterKnown &&
         r.filter == static_cast<int>(Filter::Linear) && r.unit0Enabled == 1 && UnitsArePixels();
}

void SetTextureFilter(GLint filter) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

}  // namespace

void UseModulatingEnvironment() {
  UseTextureEnvironment(false);
}

bool BatchPending() {
  return Stream().count > 0;
}

void FlushBatch() {
  Batch& b = Stream();
  const bool nearestStandIn = b.run == Run::Quads && NearestStandsInForLinear(b);
  // State set while primitives waited is only known to be in force until
  // they are drawn; past that, anything may have changed it.
  Render().filterKnown = false;
  if (b.count == 0) return;
  const bool textured = b.run == Run::Quads || b.run == Run::Fans;
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, kFloats * sizeof(float), b.vertices.data());
  if (textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, kFloats * sizeof(float), b.vertices.data() + 3);
    // With texturing off (a filled rectangle) the environment plays no
    // part and stays as it is, so fills between sprites switch nothing.
    if (Render().unit0Enabled != 0) UseTextureEnvironment(ColourIsOpaqueWhite());
  }
  const GLsizei count = static_cast<GLsizei>(b.count);
  switch (b.run) {
    case Run::Quads:
      if (nearestStandIn) {
        // Every pixel centre falls on a texel centre, where linear
        // filtering reads that one texel: nearest gives the same bytes for
        // a quarter of the texel reads. The texture keeps its filter.
        SetTextureFilter(GL_NEAREST);
        glDrawArrays(GL_QUADS, 0, count);
        SetTextureFilter(GL_LINEAR);
      } else {
        glDrawArrays(GL_QUADS, 0, count);
      }
      break;
    case Run::Fans:
      if (Render().unit0Enabled == 0) {
        // Filled rectangles sample nothing; each wrap change would cost
        // the driver a revalidation of its texture state.
        DrawFans(b);
        break;
      }
      // Clamped so filtering does not wrap round to the opposite edge; the
      // other draws expect repeat.
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      DrawFans(b);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
      break;
    case Run::Points:
      glDrawArrays(GL_POINTS, 0, count);
      break;
    case Run::Lines:
      glDrawArrays(GL_LINES, 0, count);
      break;
    case Run::None:
      break;
  }
  if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  b.count = 0;
  b.run = Run::None;
}

void DrawQuad(const float quad[4][4]) {
  float* v = Append(Run::Fans, 4);
  for (int i = 0; i < 4; ++i) Put(v, quad[i][0], quad[i][1], 0, quad[i][2], quad[i][3]);
}

void DrawPixelQuad(int x, int y, int width, int height, float u0, float u1, float vb, float vt,
                   bool texelsArePixels) {
  float* v = Append(Run::Quads, 4);
  Batch& b = Stream();
  if (texelsArePixels && width > 0 && height > 0)
    b.texelExactPixels += static_cast<int64_t>(width) * height;
  else
    b.texelExact = false;
  const float left = static_cast<float>(x), top = static_cast<float>(y);
  const float right = static_cast<float>(x + width), bottom = static_cast<float>(y + height);
  Put(v, right, top, 0, u1, vt);
  Put(v, left, top, 0, u0, vt);
  Put(v, left, bottom, 0, u0, vb);
  Put(v, right, bottom, 0, u1, vb);
}

void DrawTexturedQuads(const float* corners, size_t cornerCount) {
  // Four corners a quad: a stream too short for all of them takes them in
  // parts, whole quads each.
  while (cornerCount >= 4) {
    const size_t part = std::min(cornerCount - cornerCount % 4, kMaxVertices);
    float* v = Append(Run::Quads, part);
    Stream().texelExact = false;
    std::copy_n(corners, part * kFloats, v);
    corners += part * kFloats;
    cornerCount -= part;
  }
}

void DrawColouredFan(const float* vertices, int count, bool textured, Filter filter, float alpha) {
  FlushBatch();
  UseTextureEnvironment(false);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DITHER);
  glShadeModel(GL_SMOOTH);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 32, vertices);
  if (textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 32, vertices + 2);
    SetFilter(filter);
  }
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, 32, vertices + 4);
  glDrawArrays(GL_TRIANGLE_FAN, 0, count);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glShadeModel(GL_FLAT);
  if (textured) EnableTexturing(true);
  glColor4f(1, 1, 1, alpha);
  Render().colourOpaqueWhite = alpha == 1;
  glDisable(GL_DITHER);
  glDisable(GL_COLOR_MATERIAL);
}

void DrawPoint(int x, int y) {
  float* v = Append(Run::Points, 1);
  Put(v, static_cast<float>(x), static_cast<float>(y), 0, 0, 0);
}

void DrawLine(int x1, int y1, int x2, int y2) {
  float* v = Append(Run::Lines, 2);
  Put(v, static_cast<float>(x1), static_cast<float>(y1), 0, 0, 0);
  Put(v, static_cast<float>(x2), static_cast<float>(y2), 0, 0, 0);
}

namespace {

void SetTextureCoordinates(const MeshArrays& mesh, bool sphereMap) {
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, static_cast<GLsizei>(mesh.stride), mesh.uv);
  if (sphereMap) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
}

// 2D draws do not touch texture generation, so it must not outlive the
// draw that wanted it.
void ClearTextureCoordinates() {
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

}  // namespace

uint32_t CreateStaticVertexBuffer(const void* data, size_t bytes) {
  if (!ext::glGenBuffersARB || !ext::glBindBufferARB || !ext::glBufferDataARB ||
      !ext::glDeleteBuffersARB || bytes == 0)
    return 0;
  FlushBatch();
  GLuint buffer = 0;
  ext::glGenBuffersARB(1, &buffer);
  if (buffer == 0) return 0;
  while (glGetError() != GL_NO_ERROR) {
  }
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(bytes), data,
                       GL_STATIC_DRAW_ARB);
  const bool stored = glGetError() == GL_NO_ERROR;
  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  if (!stored) {
    // Out of memory: the caller draws from memory as before.
    ext::glDeleteBuffersARB(1, &buffer);
    return 0;
  }
  return buffer;
}

void DeleteVertexBuffer(uint32_t buffer) {
  if (buffer == 0 || !ext::glDeleteBuffersARB) return;
  FlushBatch();
  const GLuint name = buffer;
  ext::glDeleteBuffersARB(1, &name);
}

void DrawMesh(const MeshArrays& mesh, const float* transform, bool normals, bool sphereMap,
              float alpha) {
  FlushBatch();
  UseTextureEnvironment(false);
  const bool buffered = mesh.buffer != 0 && ext::glBindBufferARB;
  if (buffered) ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.buffer);
  const GLsizei stride = static_cast<GLsizei>(mesh.stride);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(transform);

  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, mesh.position);
  glEnableClientState(GL_COLOR_ARRAY);
  if (mesh.rgba) {
    // A pointer is taken relative to the buffer bound when it is given.
    if (buffered) ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glColorPointer(4, GL_FLOAT, 0, mesh.rgba);
    if (buffered) ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh.buffer);
  } else {
    glColorPointer(3, GL_FLOAT, stride, mesh.colour);
  }
  if (normals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, stride, mesh.normal);
  }
  const bool twoUnits = ext::glClientActiveTextureARB && ext::glActiveTextureARB;
  if (twoUnits) {
    ext::glClientActiveTextureARB(GL_TEXTURE1);
    ext::glActiveTextureARB(GL_TEXTURE1);
    SetTextureCoordinates(mesh, sphereMap);
    ext::glClientActiveTextureARB(GL_TEXTURE0);
    ext::glActiveTextureARB(GL_TEXTURE0);
  }
  SetTextureCoordinates(mesh, sphereMap);

  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.count));
  // The 2D stream's arrays live in memory.
  if (buffered) ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);

  ClearTextureCoordinates();
  if (twoUnits) {
    ext::glClientActiveTextureARB(GL_TEXTURE1);
    ext::glActiveTextureARB(GL_TEXTURE1);
    ClearTextureCoordinates();
    ext::glClientActiveTextureARB(GL_TEXTURE0);
    ext::glActiveTextureARB(GL_TEXTURE0);
  }
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
  // The colour array leaves the current colour undefined.
  glColor4f(1, 1, 1, alpha);
  Render().colourOpaqueWhite = alpha == 1;
}

}  // namespace render
