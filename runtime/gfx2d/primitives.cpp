#include "runtime/gfx2d/primitives.h"

#include <GL/gl.h>

#include "runtime/gfx2d/gfx2d_internal.h"
#include "runtime/gfx2d/gl_entry_points.h"
#include "runtime/gfx2d/screen_target.h"

namespace gfx2d {

int TargetWidth() {
  const Gfx2dState& g = Gfx2d();
  if (g.currentSurface >= 0) return g.sprites[g.surfaces[g.currentSurface].spriteSlot].width;
  return ScreenWidth();
}

int TargetHeight() {
  const Gfx2dState& g = Gfx2d();
  if (g.currentSurface >= 0) return g.sprites[g.surfaces[g.currentSurface].spriteSlot].height;
  return ScreenHeight();
}

void BindCurrentTarget() {
  if (!ext::glBindFramebuffer) return;
  const Gfx2dState& g = Gfx2d();
  const SurfaceSlot* surface = g.currentSurface >= 0 ? &g.surfaces[g.currentSurface] : nullptr;
  if (surface && surface->framebuffer && surface->width > 0)
    ext::glBindFramebuffer(GL_FRAMEBUFFER, surface->framebuffer);
  else
    ext::glBindFramebuffer(GL_FRAMEBUFFER, ScreenFramebuffer());
}

void BindReadTarget() {
  if (!ext::glBindFramebuffer) return;
  const Gfx2dState& g = Gfx2d();
  const SurfaceSlot* surface = g.currentSurface >= 0 ? &g.surfaces[g.currentSurface] : nullptr;
  if (surface && surface->framebuffer && surface->width > 0) {
    ext::glBindFramebuffer(GL_FRAMEBUFFER, surface->framebuffer);
    return;
  }
  const uint32_t source = ScreenReadFramebuffer();
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
}

int32_t StoredKeyColour() {
  // Every target here keeps 8 bits per channel, so the key reads back as
  // itself and no probe pixel needs plotting.
  const int32_t key = Gfx2d().spriteKey;
  return key == 0 ? kNoColourKey : key;
}

void ResetDrawArea(int x, int y, int w, int h) {
  Gfx2dState& g = Gfx2d();
  if (w <= 0 || h <= 0) {
    w = TargetWidth();
    h = TargetHeight();
  }
  g.drawX = x;
  g.drawY = y;
  g.drawWidth = w;
  g.drawHeight = h;
  glViewport(x, TargetHeight() - h - y, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glColor4f(1, 1, 1, 1);
  glClearColor(0, 0, 0, 1);
  for (GLenum cap :
       {GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_STENCIL_TEST, GL_NORMALIZE, GL_LIGHTING,
        GL_COLOR_MATERIAL, GL_DITHER, GL_POLYGON_SMOOTH, GL_POLYGON_OFFSET_LINE, GL_AUTO_NORMAL})
    glDisable(cap);
  glShadeModel(GL_FLAT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
  g.smoothing = true;
  g.secondUnitMayBeOn = true;
  ForgetBoundTexture();
  BindSpriteTexture(-1);
}

namespace {

// Sets the primitive colour and state around one primitive draw.
struct PrimitiveScope {
  explicit PrimitiveScope(int colour) {
    const Gfx2dState& g = Gfx2d();
    glDisable(GL_ALPHA_TEST);
    const GLubyte alpha = colour == g.spriteKey ? 0 : static_cast<GLubyte>(g.currentAlpha * 255.0f);
    glColor4ub(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF, alpha);
    BindSpriteTexture(-1);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    // Integer coordinates then hit pixel centres.
    glTranslatef(0.375f, 0.375f, 0);
  }
  ~PrimitiveScope() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glColor4f(1, 1, 1, Gfx2d().currentAlpha);
    glEnable(GL_ALPHA_TEST);
  }
};

}  // namespace
}  // namespace gfx2d

using namespace gfx2d;

void SetDrawArea(int x, int y, int width, int height) {
  ResetDrawArea(x, y, width, height);
}

void DrawArea(int& x, int& y, int& width, int& height) {
  const Gfx2dState& g = Gfx2d();
  x = g.drawX;
  y = g.drawY;
  width = g.drawWidth;
  height = g.drawHeight;
}

void DrawArea(double& x, double& y, double& width, double& height) {
  int ix, iy, iw, ih;
  DrawArea(ix, iy, iw, ih);
  x = ix;
  y = iy;
  width = iw;
  height = ih;
}

void ScreenSize(int& width, int& height) {
  width = ScreenWidth();
  height = ScreenHeight();
}

void ScreenSize(double& width, double& height) {
  width = ScreenWidth();
  height = ScreenHeight();
}

void ClearScreen() {
  FreeBackgroundSlot(0);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

void PlotPixel(int x, int y, int colour) {
  PrimitiveScope scope(colour);
  glBegin(GL_POINTS);
  glVertex2i(x, y);
  glEnd();
}

void DrawLine(int x1, int y1, int x2, int y2, int colour) {
  PrimitiveScope scope(colour);
  glBegin(GL_LINES);
  glVertex2i(x1, y1);
  glVertex2i(x2, y2);
  glEnd();
  // Lines leave out their last pixel; the point puts it in.
  glBegin(GL_POINTS);
  glVertex2i(x2, y2);
  glEnd();
}

void FillRect(int x, int y, int width, int height, int colour) {
  if (width == 0 || height == 0) return;
  const long long left = width >= 0 ? x : static_cast<long long>(x) + width + 1;
  const long long right = width >= 0 ? static_cast<long long>(x) + width : x + 1LL;
  const long long top = height >= 0 ? y : static_cast<long long>(y) + height + 1;
  const long long bottom = height >= 0 ? static_cast<long long>(y) + height : y + 1LL;
  PrimitiveScope scope(colour);
  const float l = left, r = right, t = top, b = bottom;
  const float quad[4][4] = {{l, b, 0, 0}, {r, b, 0, 0}, {r, t, 0, 0}, {l, t, 0, 0}};
  DrawTexturedQuad(quad);
}

int ReadPixel(int x, int y) {
  const int w = TargetWidth(), h = TargetHeight();
  if (x < 0 || y < 0 || x >= w || y >= h) return 0;
  BindReadTarget();
  GLubyte rgb[3] = {0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, h - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  BindCurrentTarget();
  return rgb[0] | rgb[1] << 8 | rgb[2] << 16;
}
