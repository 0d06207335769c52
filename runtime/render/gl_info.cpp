#include "runtime/render/gl_info.h"

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
