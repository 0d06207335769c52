// Facts about the current OpenGL context, and fetching its entry points.
#pragma once

#include <string>

// GL_RENDERER of the current context ("" without one).
std::string GlRendererName();
// Number of samples the screen may use for a multisample request, or 0.
int ChooseMultisampleFormat(int samples);
// The extension names of the current context, each followed by one blank.
std::string GlExtensionList();

// Fetches the multitexture and shader-object entry points the extension
// list offers; once per context, before anything draws.
void LoadArbFunctions();
// Fetches the framebuffer-object entry points (core names first).
void LoadFramebufferFunctions();
