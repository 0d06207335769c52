// Volumes go to the driver from memory, a caster at a time, with the same
// matrix sequence the caster was drawn with: the caps that lie on the
// caster's surface then get exactly its depths and fail the "less" test on
// every pixel, instead of flickering between lit and shadowed.
#include "runtime/render/stencil_shadows.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <initializer_list>

#include "runtime/render/gl_extensions.h"
#include "runtime/render/submit.h"

namespace render {
namespace {

// Window depth of the darkening quad: just short of the cleared depth, so
// pixels where nothing was drawn (depth 1) are left alone. Volumes reach
// infinity and clamp to depth 1 there, so their count means nothing.
constexpr float kSurfaceDepthLimit = 0.99999f;

bool HasDepthClamp() {
  if (ext::HasExtension("GL_ARB_depth_clamp") || ext::HasExtension("GL_NV_depth_clamp"))
    return true;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return false;
  const int major = std::atoi(version);
  const char* dot = version;
  while (*dot && *dot != '.') ++dot;
  const int minor = *dot ? std::atoi(dot + 1) : 0;
  return major > 3 || (major == 3 && minor >= 2);
}

void DrawVolumes(const ShadowVolume* volumes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const ShadowVolume& v = volumes[i];
    if (v.cornerCount < 3) continue;
    glFrontFace(v.mirrored ? GL_CW : GL_CCW);
    glLoadMatrixf(v.view);
    glMultMatrixf(v.model);
    glVertexPointer(4, GL_FLOAT, 0, v.corners);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(v.cornerCount));
  }
}

}  // namespace

bool CanDrawStencilShadows() {
  GLint stencilBits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  return stencilBits > 0 && HasDepthClamp();
}

void DrawStencilShadows(const ShadowVolume* volumes, size_t count, const float darkening[3]) {
  FlushBatch();
  if (count == 0) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
               GL_POLYGON_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();

  glStencilMask(~0u);
  glClearStencil(0);
  glClear(GL_STENCIL_BUFFER_BIT);

  // Counting touches neither colour nor depth.
  for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_TEXTURE_2D, GL_BLEND, GL_ALPHA_TEST, GL_TEXTURE_GEN_S,
                     GL_TEXTURE_GEN_T, GL_COLOR_MATERIAL, GL_DITHER})
    glDisable(cap);
  // A second texture unit left on would tint the darkening.
  if (ext::glActiveTextureARB) {
    ext::glActiveTextureARB(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0);
  }
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDepthMask(GL_FALSE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_DEPTH_CLAMP);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 0, ~0u);
  glEnable(GL_CULL_FACE);
  glEnableClientState(GL_VERTEX_ARRAY);
  // All increments before all decrements: no count goes below zero on the
  // way, so wrapping and saturating arithmetic agree.
  glCullFace(GL_FRONT);
  glStencilOp(GL_KEEP, GL_INCR_WRAP, GL_KEEP);
  DrawVolumes(volumes, count);
  glCullFace(GL_BACK);
  glStencilOp(GL_KEEP, GL_DECR_WRAP, GL_KEEP);
  DrawVolumes(volumes, count);
  glDisableClientState(GL_VERTEX_ARRAY);

  // The darkening: one quad over the viewport at nearly the far depth,
  // passing where a surface lies in front of it and the count is not zero.
  glDisable(GL_DEPTH_CLAMP);
  glDisable(GL_CULL_FACE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilFunc(GL_NOTEQUAL, 0, ~0u);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glDepthFunc(GL_GREATER);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float z = kSurfaceDepthLimit * 2 - 1;
  glColor4f(darkening[0], darkening[1], darkening[2], 1);
  glBegin(GL_QUADS);
  glVertex3f(-1, -1, z);
  glVertex3f(1, -1, z);
  glVertex3f(1, 1, z);
  glVertex3f(-1, 1, z);
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace render
