// What the current OpenGL context offers. The one place outside the render
// code that asks GL anything; it answers the platform query "GLEXT:".
#pragma once

#include <string>

// True when name is an extension in the current context's extension list or
// an OpenGL 1.1 entry point the driver resolves. False without a context.
// The driver's address look-up alone cannot tell: it hands out a stub for
// any name that starts with "gl".
bool GlNameAvailable(const std::string& name);

bool IsGl11EntryPoint(const char* name);
