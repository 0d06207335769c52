#include "runtime/render/framebuffers.h"
#include "runtime/render/submit.h"

#include <unordered_set>

#include "runtime/render/gl_extensions.h"

using namespace ext;

namespace render {

namespace {

// The depth buffers that carry a stencil buffer too (depth and stencil in
// one), so that 3D with shadows can be drawn into a surface as well.
std::unordered_set<uint32_t>& WithStencil() {
  static std::unordered_set<uint32_t> names;
  return names;
}

bool Complete() {
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

}  // namespace

bool HasFramebuffers() {
  return glBindFramebuffer != nullptr;
}

void BindTarget(uint32_t framebuffer) {
  FlushBatch();
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void BindReadTarget(uint32_t framebuffer) {
  FlushBatch();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
}

bool CanMakeTextureTargets() {
  return glGenFramebuffers && glGenRenderbuffers && glBindRenderbuffer && glRenderbufferStorage &&
         glCheckFramebufferStatus && glBindFramebuffer && glFramebufferTexture2D &&
         glFramebufferRenderbuffer && glDeleteFramebuffers && glDeleteRenderbuffers;
}

void AttachTextureTarget(uint32_t framebuffer, uint32_t depthBuffer, uint32_t texture) {
  FlushBatch();
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            WithStencil().count(depthBuffer) ? depthBuffer : 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

bool CreateTextureTarget(uint32_t texture, int width, int height, uint32_t* framebuffer,
                         uint32_t* depthBuffer) {
  FlushBatch();
  glGenFramebuffers(1, framebuffer);
  glGenRenderbuffers(1, depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, *depthBuffer);
  while (glGetError() != GL_NO_ERROR) {
  }
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  if (glGetError() == GL_NO_ERROR) {
    WithStencil().insert(*depthBuffer);
    // Completeness means something only once the attachments are in place.
    AttachTextureTarget(*framebuffer, *depthBuffer, texture);
    if (Complete()) return true;
  }
  // A driver without combined depth and stencil: depth alone, as before.
  WithStencil().erase(*depthBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, *depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  AttachTextureTarget(*framebuffer, *depthBuffer, texture);
  if (Complete()) return true;
  glDeleteFramebuffers(1, framebuffer);
  glDeleteRenderbuffers(1, depthBuffer);
  *framebuffer = *depthBuffer = 0;
  return false;
}

void DeleteTextureTarget(uint32_t framebuffer, uint32_t depthBuffer) {
  FlushBatch();
  if (!glDeleteFramebuffers || !glDeleteRenderbuffers) return;
  if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
  if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
  WithStencil().erase(depthBuffer);
}

int ReadTargetAlphaBits() {
  FlushBatch();
  GLint bits = 0;
  glGetIntegerv(GL_ALPHA_BITS, &bits);
  return bits;
}

void ReadPixels(int x, int y, int width, int height, PixelLayout layout, void* out) {
  FlushBatch();
  if (layout == PixelLayout::Bgra) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
    return;
  }
  // Rows of three bytes per pixel are not padded to 4 bytes.
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, layout == PixelLayout::Rgb ? GL_RGB : GL_BGR, GL_UNSIGNED_BYTE,
               out);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

}  // namespace render
