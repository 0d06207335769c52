#include "runtime/render/draw_state.h"

#include "runtime/render/render_state.h"
#include "runtime/render/submit.h"

#include <GL/gl.h>

#include <initializer_list>

namespace render {

namespace {

void Switch(GLenum cap, bool on) {
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}

}  // namespace

void Reset2DState() {
  FlushBatch();
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glColor4f(1, 1, 1, 1);
  Render().colourOpaqueWhite = true;
  // Code past the render calls (between frames, say) finds the default.
  UseModulatingEnvironment();
  glClearColor(0, 0, 0, 1);
  for (GLenum cap :
       {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_STENCIL_TEST, GL_NORMALIZE, GL_LIGHTING,
        GL_COLOR_MATERIAL, GL_DITHER, GL_POLYGON_SMOOTH, GL_POLYGON_OFFSET_LINE, GL_AUTO_NORMAL})
    glDisable(cap);
  glShadeModel(GL_FLAT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
}

void Reset3DState(float alpha, int lightCount) {
  FlushBatch();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glDisable(GL_CULL_FACE);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glColor4f(1, 1, 1, alpha);
  Render().colourOpaqueWhite = alpha == 1;
  glClearColor(0, 0, 0, 1);
  for (GLenum cap : {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH,
                     GL_POLYGON_OFFSET_LINE, GL_AUTO_NORMAL, GL_STENCIL_TEST, GL_NORMALIZE,
                     GL_LIGHTING, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}) {
    glDisable(cap);
  }
  // Clearing only the bits would leave lights on for the next scene.
  for (int i = 0; i < lightCount; ++i) glDisable(GL_LIGHT0 + i);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DITHER);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_FOG_HINT, GL_NICEST);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

void SetBlending(bool on) {
  FlushBatch();
  Switch(GL_BLEND, on);
}

void SetBlendFunction(Blend blend) {
  FlushBatch();
  glBlendFunc(GL_SRC_ALPHA, blend == Blend::Additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}

void SetAlphaTest(bool on) {
  FlushBatch();
  Switch(GL_ALPHA_TEST, on);
}

void SetColour(float r, float g, float b, float a) {
  FlushBatch();
  glColor4f(r, g, b, a);
  Render().colourOpaqueWhite = r == 1 && g == 1 && b == 1 && a == 1;
}

void SetColourBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  FlushBatch();
  glColor4ub(r, g, b, a);
  Render().colourOpaqueWhite = (r & g & b & a) == 255;
}

void SetFrontFaceClockwise(bool clockwise) {
  FlushBatch();
  glFrontFace(clockwise ? GL_CW : GL_CCW);
}

void CullBackFaces(bool frontClockwise) {
  FlushBatch();
  glFrontFace(frontClockwise ? GL_CW : GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
}

void StopCulling() {
  FlushBatch();
  glDisable(GL_CULL_FACE);
}

void SetStencilTest(bool on) {
  FlushBatch();
  Switch(GL_STENCIL_TEST, on);
}

void SetClearColour(float r, float g, float b, float a) {
  FlushBatch();
  glClearColor(r, g, b, a);
}

void ClearColour() {
  FlushBatch();
  glClear(GL_COLOR_BUFFER_BIT);
}

void ClearDepth() {
  FlushBatch();
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
}

void SetViewport(int x, int y, int width, int height) {
  FlushBatch();
  glViewport(x, y, width, height);
  NoteViewport(width, height);
}

void LoadPixelProjection(int width, int height) {
  FlushBatch();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  RenderState& r = Render();
  r.pixelProjection = true;
  r.projectionWidth = width;
  r.projectionHeight = height;
}

bool UnitsArePixels() {
  const RenderState& r = Render();
  return r.pixelProjection && r.placements == 0 && r.projectionWidth == r.viewportWidth &&
         r.projectionHeight == r.viewportHeight;
}

void LoadProjection(const float* matrix) {
  FlushBatch();
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(matrix);
  Render().pixelProjection = false;
}

void LoadView(const float* matrix) {
  FlushBatch();
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(matrix);
  Render().pixelProjection = false;
}

void PushPlacement(float x, float y, float degrees) {
  FlushBatch();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslatef(x, y, 0);
  glRotatef(degrees, 0, 0, -1);
  ++Render().placements;
}

void PopPlacement() {
  FlushBatch();
  glPopMatrix();
  // A push without its pop leaves the count up: units are then never taken
  // for pixels, which only costs speed.
  if (Render().placements > 0) --Render().placements;
}

void PushPixelCentreOffset() {
  FlushBatch();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glTranslatef(0.375f, 0.375f, 0);
  ++Render().placements;
}

void PopPixelCentreOffset() {
  FlushBatch();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  if (Render().placements > 0) --Render().placements;
}

}  // namespace render
