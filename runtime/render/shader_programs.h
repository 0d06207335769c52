// GLSL programs through the ARB shader-object entry points, which drivers
// without them leave null: each call says so rather than crash.
#pragma once

#include <cstdint>
#include <string>

namespace render {

enum class ShaderStage { Vertex, Fragment };

// Whether shaders can be compiled and linked at all.
bool CanBuildShaders();
// Compiles NUL-terminated source; compiled tells whether it did. 0 when
// shaders cannot be built.
uint32_t CompileShader(ShaderStage stage, const char* source, bool& compiled);
// Links the stages given (0: none) into a program; linked tells whether it
// did.
uint32_t LinkProgram(uint32_t vertexShader, uint32_t fragmentShader, bool& linked);
// False when objects cannot be deleted (their names then stay valid).
bool CanDeleteShaderObjects();
void DeleteShaderObject(uint32_t object);
// The driver's compile or link messages of an object; false when it has
// none or cannot tell.
bool ShaderInfoLog(uint32_t object, std::string& log);
bool CanUsePrograms();
// 0 returns to fixed function.
void UseProgram(uint32_t program);

// Uniform or attribute location in a program: -1 when it has none,
// kMissingEntryPoint when the driver lacks the look-up or the setter of
// that type.
constexpr int kMissingEntryPoint = -2;
enum class UniformType { Int, Float };
int UniformLocation(uint32_t program, const char* name, UniformType type);
void SetUniform(int location, int value);
void SetUniform(int location, float value);
int AttributeLocation(uint32_t program, const char* name);
void SetAttribute(int location, float value);

}  // namespace render
