// Programmable shaders: up to 255 programs, each built from a vertex and a
// fragment shader file, selected by number, fed named float uniforms.
#pragma once

#include "runtime/core/rt_string.h"

// Builds slot's program (0 to 254) from two source files (disk or "mem://"
// names). A file that cannot be opened leaves that stage out, so two
// unreadable files succeed with no program. False when a stage does not
// compile, the program does not link, the slot is invalid or the driver
// has no shader objects.
bool ShaderFromFiles(int slot, const RtString& vertexFile, const RtString& fragmentFile);
// Makes slot 0 to 254 current; anything else returns to the fixed pipeline.
void SelectShader(int slot);
// Sets a float uniform of the current program.
void SetShaderFloat(const RtString& name, double value);
