// The shader operations the 3D renderer uses internally.
#pragma once

#include "runtime/gfx3d/gfx3d_state.h"

namespace gfx3d {

// Installs (or with an empty function removes) the receiver of the shader
// builder's reports. The engine installs one in debug mode only.
void SetShaderReporter(ShaderReporter reporter);
// The reporter for debug mode: the message and a line feed to the debug
// output.
void ReportToDebugOutput(const char* message);
// Sets an integer uniform of the current program (the texture samplers).
void SetShaderInt(const char* name, int value);
// Sets a float vertex attribute of the current program by name.
void SetShaderAttribute(const char* name, float value);
// Forgets every slot (the context that held the objects is going away).
void ResetShaderSlots();

}  // namespace gfx3d
