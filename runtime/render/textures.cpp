#include "runtime/render/textures.h"

#include "runtime/render/gl_extensions.h"
#include "runtime/render/render_state.h"

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
  glDeleteTextures(static_cast<GLsizei>(count), textures);
}

void BindTexture(uint32_t texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
}

void ResetUnpacking() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

void SetSampling(Filter magnify, Filter minify) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GlFilter(magnify));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GlFilter(minify));
}

void SetFilter(Filter filter) {
  const GLint f = GlFilter(filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
}

void UploadLevel(int level, int width, int height, TexelOrder order, const void* texels) {
  glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0,
               order == TexelOrder::Bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

void CopyReadTargetToTexture(int x, int y, int width, int height) {
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
}

namespace {

void ReadTexture(uint32_t texture, GLenum format, void* out) {
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
      glEnable(GL_COLOR_MATERIAL);
      return;
    }
    BindOnUnit0(first);
    EnableTexturing(true);
    return;
  }
  if (withSecond) {
    ext::glActiveTextureARB(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, first);
    glEnable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0);
    r.secondUnitMayBeOn = true;
  } else if (r.secondUnitMayBeOn) {
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
