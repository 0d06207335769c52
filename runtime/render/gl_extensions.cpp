#include "runtime/render/gl_extensions.h"

#include <cstring>
#include <string>

#include "runtime/platform/window.h"

namespace ext {

#define RT_GL_DEFINE(type, name) type name = nullptr;
RT_GL_MULTITEXTURE(RT_GL_DEFINE)
RT_GL_DRAWING(RT_GL_DEFINE)
RT_GL_SHADER_OBJECTS(RT_GL_DEFINE)
RT_GL_FRAMEBUFFER(RT_GL_DEFINE)
#undef RT_GL_DEFINE

bool HasExtension(const char* name) {
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (all) return std::strstr(all, name) != nullptr;
  // Core-profile style listing: one string per extension.
  using GetStringi = const GLubyte* (*)(GLenum, GLuint);
  auto getStringi = reinterpret_cast<GetStringi>(plat::GetProcAddress("glGetStringi"));
  if (!getStringi) return false;
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* e = reinterpret_cast<const char*>(getStringi(GL_EXTENSIONS, i));
    if (e && std::strstr(e, name)) return true;
  }
  return false;
}

void LoadArbEntryPoints() {
#define RT_GL_FETCH(type, name) name = reinterpret_cast<type>(plat::GetProcAddress(#name));
  if (HasExtension("GL_ARB_multitexture")) {
    RT_GL_MULTITEXTURE(RT_GL_FETCH)
  }
  if (HasExtension("GL_ARB_fragment_program")) {
    RT_GL_SHADER_OBJECTS(RT_GL_FETCH)
  }
#undef RT_GL_FETCH
#define RT_GL_FETCH_CORE(type, name)                          \
  name = reinterpret_cast<type>(plat::GetProcAddress(#name)); \
  if (!name) name = reinterpret_cast<type>(plat::GetProcAddress(#name "EXT"));
  RT_GL_DRAWING(RT_GL_FETCH_CORE)
#undef RT_GL_FETCH_CORE
}

bool LoadFramebufferEntryPoints() {
#define RT_GL_FETCH_FB(type, name)                            \
  name = reinterpret_cast<type>(plat::GetProcAddress(#name)); \
  if (!name) name = reinterpret_cast<type>(plat::GetProcAddress(#name "EXT"));
  RT_GL_FRAMEBUFFER(RT_GL_FETCH_FB)
#undef RT_GL_FETCH_FB
  return glGenFramebuffers && glBindFramebuffer && glGenRenderbuffers && glBindRenderbuffer &&
         glRenderbufferStorage && glFramebufferRenderbuffer && glCheckFramebufferStatus &&
         glBlitFramebuffer && glDeleteFramebuffers && glDeleteRenderbuffers;
}

}  // namespace ext
