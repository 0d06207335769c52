// The logical screen: a framebuffer object of the program's screen size that
// stands for the back buffer, and its presentation in the window.
#include <algorithm>
#include <cmath>

#include "runtime/render/screen_buffer.h"
#include "runtime/render/submit.h"

#include "runtime/platform/window.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/render_state.h"

using namespace ext;

namespace {
ScreenBuffer g_screen;

// Whether the window's own buffers hold what the framebuffer object holds,
// so drawing there instead changes no pixel: no alpha channel (blending with
// the destination's alpha reads 1, as from an RGB8 buffer) and the same
// depth and stencil precision.
bool WindowBuffersMatchScreen() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  glGetIntegerv(GL_ALPHA_BITS, &alpha);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  return red == 8 && green == 8 && blue == 8 && alpha == 0 && depth == 24 && stencil == 8;
}

}  // namespace

ScreenBuffer& LogicalScreen() {
  return g_screen;
}

bool CreateScreenBuffer(int width, int height) {
  render::FlushBatch();
  DestroyScreenBuffer();
  ScreenBuffer& s = g_screen;
  s.width = width;
  s.height = height;
  if (!LoadFramebufferEntryPoints()) return false;
  const int w = std::max(1, static_cast<int>(s.width));
  const int h = std::max(1, static_cast<int>(s.height));
  s.windowMatches = WindowBuffersMatchScreen();

  GLuint ids[2];
  glGenRenderbuffers(2, ids);
  s.colour = ids[0];
  s.depth = ids[1];
  glGenFramebuffers(1, &s.fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
  if (s.samples > 0 && glRenderbufferStorageMultisample) {
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, s.samples, GL_RGB8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, s.depth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, s.samples, GL_DEPTH24_STENCIL8, w, h);
  } else {
    s.samples = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, s.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  }
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, s.depth);
  bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

  if (ok && s.samples > 0) {
    glGenRenderbuffers(1, &s.resolveColour);
    glBindRenderbuffer(GL_RENDERBUFFER, s.resolveColour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
    glGenFramebuffers(1, &s.resolveFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, s.resolveFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              s.resolveColour);
    ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (!ok) {
    DestroyScreenBuffer();
    return false;
  }
  BindScreen();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  return true;
}

void DestroyScreenBuffer() {
  render::FlushBatch();
  ScreenBuffer& s = g_screen;
  if (!glDeleteFramebuffers || !glDeleteRenderbuffers || !plat::HasGLContext()) {
    s.fbo = s.colour = s.depth = s.resolveFbo = s.resolveColour = 0;
    s.direct = false;
    return;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const GLuint fbos[2] = {s.fbo, s.resolveFbo};
  const GLuint rbs[3] = {s.colour, s.depth, s.resolveColour};
  glDeleteFramebuffers(2, fbos);
  glDeleteRenderbuffers(3, rbs);
  s.fbo = s.colour = s.depth = s.resolveFbo = s.resolveColour = 0;
  s.direct = false;
}

void FinishDrawing() {
  render::FlushBatch();
  if (plat::HasGLContext()) glFinish();
}

void BindScreen() {
  render::FlushBatch();
  const ScreenBuffer& s = g_screen;
  if (glBindFramebuffer) glBindFramebuffer(GL_FRAMEBUFFER, ScreenDrawFramebuffer());
  glViewport(0, 0, s.width, s.height);
  render::NoteViewport(s.width, s.height);
}

uint32_t ScreenDrawFramebuffer() {
  render::FlushBatch();
  return g_screen.direct ? 0 : g_screen.fbo;
}

void ChooseScreenTarget(plat::Window* window) {
  render::FlushBatch();
  ScreenBuffer& s = g_screen;
  int dw = 0, dh = 0;
  if (window) plat::GetDrawableSize(window, &dw, &dh);
  s.direct = s.fbo != 0 && s.allowDirect && s.windowMatches && s.samples <= 0 && dw == s.width &&
             dh == s.height;
}

uint32_t ScreenReadFramebuffer() {
  render::FlushBatch();
  const ScreenBuffer& s = g_screen;
  if (s.direct) return 0;
  if (s.samples <= 0 || !s.resolveFbo) return s.fbo;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, s.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.resolveFbo);
  glBlitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
  return s.resolveFbo;
}

namespace {

// After a swap: picks where the next frame is drawn and clears it, whatever
// draw area is set, so the whole frame starts clean.
void StartNextFrame(plat::Window* window) {
  ChooseScreenTarget(window);
  BindScreen();
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace

void ShowScreen(plat::Window* window) {
  render::FlushBatch();
  if (!window) return;
  ComposeWindow(window);
  plat::SwapBuffers(window);
  StartNextFrame(window);
}

namespace {

// Where the logical screen lands in a window of dw x dh physical pixels.
void PlaceView(ScreenBuffer& s, int dw, int dh) {
  const int w = std::max(1, static_cast<int>(s.width));
  const int h = std::max(1, static_cast<int>(s.height));
  // Whole-number scaling keeps every logical pixel the same size; a window
  // smaller than the screen shows it shrunk rather than cut.
  const int scale = std::min(dw / w, dh / h);
  int outW = w * scale, outH = h * scale;
  if (scale < 1) {
    const double f = std::min(static_cast<double>(dw) / w, static_cast<double>(dh) / h);
    outW = std::max(1, static_cast<int>(w * f));
    outH = std::max(1, static_cast<int>(h * f));
  }
  s.viewW = outW;
  s.viewH = outH;
  s.viewX = (dw - outW) / 2;
  s.viewY = (dh - outH) / 2;
}

// Clears the window's back buffer to black, whatever scissor and clear
// colour the program has set.
void ClearWindow(int dw, int dh) {
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, dw, dh);
  render::NoteViewport(dw, dh);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace

void ComposeWindow(plat::Window* window) {
  render::FlushBatch();
  ScreenBuffer& s = g_screen;
  if (!window) return;
  int dw = 0, dh = 0;
  plat::GetDrawableSize(window, &dw, &dh);
  PlaceView(s, dw, dh);
  if (s.direct) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (dw == s.width && dh == s.height) return;
  }
  if (s.fbo && glBlitFramebuffer) {
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    if (s.direct) {
      // The window changed size while the frame was drawn into it: the
      // frame lies in its bottom-left corner; move it into the framebuffer
      // object and scale it from there like any other.
      glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.fbo);
      glBlitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
      s.direct = false;
    }
    // Borders need black; a picture that fills the window replaces every
    // pixel anyway.
    if (s.viewX != 0 || s.viewY != 0 || s.viewW != dw || s.viewH != dh) ClearWindow(dw, dh);
    const int w = std::max(1, static_cast<int>(s.width));
    const int h = std::max(1, static_cast<int>(s.height));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
    // viewY counts from the top, GL's window rows from the bottom.
    glBlitFramebuffer(0, 0, w, h, s.viewX, dh - s.viewY - s.viewH, s.viewX + s.viewW, dh - s.viewY,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (scissor) glEnable(GL_SCISSOR_TEST);
  }
}

void ShowBlankScreen(plat::Window* window) {
  render::FlushBatch();
  if (!window) return;
  int dw = 0, dh = 0;
  plat::GetDrawableSize(window, &dw, &dh);
  PlaceView(g_screen, dw, dh);
  ClearWindow(dw, dh);
  plat::SwapBuffers(window);
  StartNextFrame(window);
}

void WindowToLogical(int wx, int wy, int* lx, int* ly) {
  const ScreenBuffer& s = g_screen;
  const int vw = s.viewW > 0 ? s.viewW : std::max(1, static_cast<int>(s.width));
  const int vh = s.viewH > 0 ? s.viewH : std::max(1, static_cast<int>(s.height));
  // Floor, not truncation, so positions left of or above the picture stay
  // negative instead of collapsing onto pixel 0.
  *lx = static_cast<int>(std::floor(static_cast<double>(wx - s.viewX) * s.width / vw));
  *ly = static_cast<int>(std::floor(static_cast<double>(wy - s.viewY) * s.height / vh));
}
