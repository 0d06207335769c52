#include "runtime/render/gl_info.h"

#include "runtime/platform/window.h"
#include "runtime/render/gl_extensions.h"

std::string GlRendererName() {
  const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  return name ? name : "";
}

int ChooseMultisampleFormat(int samples) {
  if (!ext::glRenderbufferStorageMultisample) return 0;
  GLint maxSamples = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
  if (maxSamples < 2) return 0;
  // No sample count asked for: the common four, or what the driver allows.
  if (samples <= 0) samples = 4;
  while (samples > maxSamples && samples / 2 != 0) samples /= 2;
  return samples >= 2 ? samples : 0;
}

std::string GlExtensionList() {
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

void LoadArbFunctions() {
  ext::LoadArbEntryPoints();
}

void LoadFramebufferFunctions() {
  ext::LoadFramebufferEntryPoints();
}
