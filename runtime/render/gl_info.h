// Facts about the current OpenGL context.
#pragma once

#include <string>

// GL_RENDERER of the current context ("" without one).
std::string GlRendererName();
// Number of samples the screen may use for a multisample request, or 0.
int ChooseMultisampleFormat(int samples);
// The extension names of the current context, each followed by one blank.
std::string GlExtensionList();
