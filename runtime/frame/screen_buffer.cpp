// The logical screen: a framebuffer object of the program's screen size that
// stands for the back buffer, and its presentation in the window.
#include <algorithm>
#include <cmath>

#include "runtime/frame/gl_extensions.h"
#include "runtime/frame/renderer.h"

using namespace ext;

bool RareDEZazovire::CreateScreenBuffer() {
  DestroyScreenBuffer();
  if (!LoadFramebufferEntryPoints()) return false;
  const int w = std::max(1, static_cast<int>(screenWidth));
  const int h = std::max(1, static_cast<int>(screenHeight));

  GLuint ids[2];
  glGenRenderbuffers(2, ids);
  screenColour = ids[0];
  screenDepth = ids[1];
  glGenFramebuffers(1, &screenFbo);
  glBindFramebuffer(GL_FRAMEBUFFER, screenFbo);
  if (screenSamples > 0 && glRenderbufferStorageMultisample) {
    glBindRenderbuffer(GL_RENDERBUFFER, screenColour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, screenSamples, GL_RGB8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, screenDepth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, screenSamples, GL_DEPTH24_STENCIL8, w, h);
  } else {
    screenSamples = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, screenColour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, screenDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
  }
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, screenColour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, screenDepth);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, screenDepth);
  bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

  if (ok && screenSamples > 0) {
    glGenRenderbuffers(1, &resolveColour);
    glBindRenderbuffer(GL_RENDERBUFFER, resolveColour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
    glGenFramebuffers(1, &resolveFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, resolveFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColour);
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

void RareDEZazovire::DestroyScreenBuffer() {
  if (!glDeleteFramebuffers || !glDeleteRenderbuffers || !plat::HasGLContext()) {
    screenFbo = screenColour = screenDepth = resolveFbo = resolveColour = 0;
    return;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const GLuint fbos[2] = {screenFbo, resolveFbo};
  const GLuint rbs[3] = {screenColour, screenDepth, resolveColour};
  glDeleteFramebuffers(2, fbos);
  glDeleteRenderbuffers(3, rbs);
  screenFbo = screenColour = screenDepth = resolveFbo = resolveColour = 0;
}

void RareDEZazovire::BindScreen() {
  if (glBindFramebuffer) glBindFramebuffer(GL_FRAMEBUFFER, screenFbo);
  glViewport(0, 0, screenWidth, screenHeight);
}

uint32_t RareDEZazovire::ScreenReadFramebuffer() {
  if (screenSamples <= 0 || !resolveFbo) return screenFbo;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, screenFbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo);
  glBlitFramebuffer(0, 0, screenWidth, screenHeight, 0, 0, screenWidth, screenHeight,
                    GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, screenFbo);
  return resolveFbo;
}

void RareDEZazovire::ShowScreen() {
  if (!window) return;
  ComposeWindow();
  plat::SwapBuffers(window);
  BindScreen();
  // The whole next frame starts clean, whatever draw area is set.
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

void RareDEZazovire::ComposeWindow() {
  if (!window) return;
  int dw = 0, dh = 0;
  plat::GetDrawableSize(window, &dw, &dh);
  const int w = std::max(1, static_cast<int>(screenWidth));
  const int h = std::max(1, static_cast<int>(screenHeight));
  // Whole-number scaling keeps every logical pixel the same size; a window
  // smaller than the screen shows it shrunk rather than cut.
  int scale = std::min(dw / w, dh / h);
  int outW = w * scale, outH = h * scale;
  if (scale < 1) {
    const double f = std::min(static_cast<double>(dw) / w, static_cast<double>(dh) / h);
    outW = std::max(1, static_cast<int>(w * f));
    outH = std::max(1, static_cast<int>(h * f));
  }
  viewW = outW;
  viewH = outH;
  viewX = (dw - outW) / 2;
  viewY = (dh - outH) / 2;

  if (screenFbo && glBlitFramebuffer) {
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glDisable(GL_SCISSOR_TEST);

    const GLuint source = ScreenReadFramebuffer();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, dw, dh);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    // viewY counts from the top, GL's window rows from the bottom.
    glBlitFramebuffer(0, 0, w, h, viewX, dh - viewY - outH, viewX + outW, dh - viewY,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
  }
}

void RareDEZazovire::WindowToLogical(int wx, int wy, int* lx, int* ly) const {
  const int vw = viewW > 0 ? viewW : std::max(1, static_cast<int>(screenWidth));
  const int vh = viewH > 0 ? viewH : std::max(1, static_cast<int>(screenHeight));
  // Floor, not truncation, so positions left of or above the picture stay
  // negative instead of collapsing onto pixel 0.
  *lx = static_cast<int>(std::floor(static_cast<double>(wx - viewX) * screenWidth / vw));
  *ly = static_cast<int>(std::floor(static_cast<double>(wy - viewY) * screenHeight / vh));
}

void RareDEZazovire::WindowedClientSize(int* cw, int* ch) const {
  int dw = 0, dh = 0, bits = 0;
  plat::GetDesktopMode(&dw, &dh, &bits);
  const int w = std::max(1, static_cast<int>(screenWidth));
  const int h = std::max(1, static_cast<int>(screenHeight));
  const int scale = std::max(1, std::min(dw * 8 / 10 / w, dh * 8 / 10 / h));
  *cw = w * scale;
  *ch = h * scale;
}
