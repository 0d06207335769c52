#include "runtime/host/gl_context_facts.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "runtime/platform/platform.h"

namespace {

// The extension names of the current context, each followed by one blank.
std::string ContextExtensionList() {
  std::string list;
  if (const GLubyte* all = glGetString(GL_EXTENSIONS)) {
    list = reinterpret_cast<const char*>(all);
    list += ' ';
    return list;
  }
  // Core profiles no longer give the list as one text.
  auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(plat::GetProcAddress("glGetStringi"));
  if (!getStringi) return list;
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    if (const GLubyte* one = getStringi(GL_EXTENSIONS, static_cast<GLuint>(i))) {
      list += reinterpret_cast<const char*>(one);
      list += ' ';
    }
  }
  return list;
}

bool InList(const std::string& list, const std::string& name) {
  if (name.empty() || name.find(' ') != std::string::npos) return false;
  const std::string needle = name + ' ';
  for (size_t at = list.find(needle); at != std::string::npos; at = list.find(needle, at + 1)) {
    if (at == 0 || list[at - 1] == ' ') return true;
  }
  return false;
}

}  // namespace

bool GlNameAvailable(const std::string& name) {
  if (!plat::HasGLContext()) return false;
  if (InList(ContextExtensionList(), name)) return true;
  return IsGl11EntryPoint(name.c_str()) && plat::GetProcAddress(name.c_str()) != nullptr;
}
