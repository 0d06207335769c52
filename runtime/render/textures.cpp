#include "runtime/render/textures.h"

#include "runtime/render/gl_extensions.h"
#include "runtime/render/render_state.h"
#include "runtime/render/submit.h"

namespace render {
namespace {

GLint GlFilter(Filter filter) {
  switch (filter) {
    case Filter::Nearest:
      return GL_NEAREST;
    case Filter::Linear:
      return GL_LINEAR;
    case Filter::LinearMipmapLinear:
      return GL_LINEAR_MIPMAP_LINEAR;
  }
  return GL_LINEAR;
}

void BindOnUnit0(GLuint texture) {
  RenderState& r = Render();
  if (r.unit0Texture == texture) return;
  FlushBatch();
  glBindTexture(GL_TEXTURE_2D, texture);
  r.unit0Texture = texture;
}

}  // namespace

int QueryMaxTextureSize() {
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  return size > 0 ? size : 0;
}

uint32_t CreateTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  return name;
}

void DeleteTextures(const uint32_t* textures, size_t count) {
  FlushBatch();
  // The driver unbinds a deleted texture, and the next one made may get its
  // name: a cache still naming it would skip binding the new one.
  RenderState& r = Render();
  for (size_t i = 0; i < count; ++i)
    if (textures[i] != 0 && textures[i] == r.unit0Texture) ForgetBoundTexture();
  glDeleteTextures(static_cast<GLsizei>(count), textures);
}

void BindTexture(uint32_t texture) {
  FlushBatch();
  glBindTexture(GL_TEXTURE_2D, texture);
}

void ResetUnpacking() {
  FlushBatch();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void SetSampling(Filter magnify, Filter minify) {
  FlushBatch();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GlFilter(magnify));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GlFilter(minify));
}

void SetFilter(Filter filter) {
  RenderState& r = Render();
  const int asked = static_cast<int>(filter);
  // Every rebinding draws the stream first, so a filter set since the last
  // draw is still in force on the texture the waiting quads sample.
  if (r.filterKnown && r.filter == asked && BatchPending()) return;
  FlushBatch();
  r.filterKnown = true;
  r.filter = asked;
  const GLint f = GlFilter(filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
}

void UploadLevel(int level, int width, int height, TexelOrder order, const void* texels) {
  FlushBatch();
  glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0,
               order == TexelOrder::Bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

void CopyReadTargetToTexture(int x, int y, int width, int height) {
  FlushBatch();
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
}

namespace {

void ReadTexture(uint32_t texture, GLenum format, void* out) {
  FlushBatch();
  glBindTexture(GL_TEXTURE_2D, texture);
  // Rows of three or one byte per texel are not padded to 4 bytes.
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

}  // namespace

void ReadTextureBgr(uint32_t texture, void* out) {
  ReadTexture(texture, GL_BGR, out);
}

void ReadTextureAlpha(uint32_t texture, void* out) {
  ReadTexture(texture, GL_ALPHA, out);
}

void EnableTexturing(bool on) {
  RenderState& r = Render();
  if (r.unit0Enabled == (on ? 1 : 0)) return;
  FlushBatch();
  if (on)
    glEnable(GL_TEXTURE_2D);
  else
    glDisable(GL_TEXTURE_2D);
  r.unit0Enabled = on ? 1 : 0;
}

void BindDrawTextures(bool textured, uint32_t first, bool withSecond, uint32_t second) {
  RenderState& r = Render();
  if (!ext::glActiveTextureARB) {
    if (!textured) {
      EnableTexturing(false);
      FlushBatch();
      glEnable(GL_COLOR_MATERIAL);
      return;
    }
    BindOnUnit0(first);
    EnableTexturing(true);
    return;
  }
  if (withSecond) {
    FlushBatch();
    ext::glActiveTextureARB(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, first);
    glEnable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0);
    r.secondUnitMayBeOn = true;
  } else if (r.secondUnitMayBeOn) {
    FlushBatch();
    ext::glActiveTextureARB(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0);
    r.secondUnitMayBeOn = false;
  }
  if (!textured) {
    EnableTexturing(false);
    BindOnUnit0(0);
    return;
  }
  BindOnUnit0(withSecond ? second : first);
  EnableTexturing(true);
}

void ForgetBoundTexture() {
  RenderState& r = Render();
  r.unit0Texture = RenderState::kUnknownTexture;
  r.unit0Enabled = -1;
}

void ForgetTextureUnits() {
  Render().secondUnitMayBeOn = true;
  ForgetBoundTexture();
}

}  // namespace render
