#include "runtime/render/shader_programs.h"
#include "runtime/render/submit.h"

#include <vector>

#include "runtime/render/gl_extensions.h"

using namespace ext;

namespace render {

bool CanBuildShaders() {
  return glCreateShaderObjectARB && glShaderSourceARB && glCompileShaderARB &&
         glCreateProgramObjectARB && glAttachObjectARB && glLinkProgramARB;
}

uint32_t CompileShader(ShaderStage stage, const char* source, bool& compiled) {
  compiled = false;
  if (!CanBuildShaders()) return 0;
  const GLhandleARB shader = glCreateShaderObjectARB(
      stage == ShaderStage::Vertex ? GL_VERTEX_SHADER_ARB : GL_FRAGMENT_SHADER_ARB);
  const GLcharARB* text = source;
  glShaderSourceARB(shader, 1, &text, nullptr);
  glCompileShaderARB(shader);
  GLint status = 0;
  if (glGetObjectParameterivARB) {
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  }
  compiled = status != 0;
  return shader;
}

uint32_t LinkProgram(uint32_t vertexShader, uint32_t fragmentShader, bool& linked) {
  linked = false;
  if (!CanBuildShaders()) return 0;
  const GLhandleARB program = glCreateProgramObjectARB();
  if (vertexShader) glAttachObjectARB(program, vertexShader);
  if (fragmentShader) glAttachObjectARB(program, fragmentShader);
  glLinkProgramARB(program);
  GLint status = 0;
  if (glGetObjectParameterivARB) {
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
  }
  linked = status != 0;
  return program;
}

bool CanDeleteShaderObjects() {
  return glDeleteObjectARB != nullptr;
}

void DeleteShaderObject(uint32_t object) {
  FlushBatch();
  if (glDeleteObjectARB) glDeleteObjectARB(object);
}

bool ShaderInfoLog(uint32_t object, std::string& log) {
  if (!glGetObjectParameterivARB || !glGetInfoLogARB) return false;
  GLint length = 0;
  glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  if (length <= 0) return false;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  GLsizei written = 0;
  glGetInfoLogARB(object, length, &written, text.data());
  log = text.data();
  return true;
}

bool CanUsePrograms() {
  return glUseProgramObjectARB != nullptr;
}

void UseProgram(uint32_t program) {
  FlushBatch();
  if (glUseProgramObjectARB) glUseProgramObjectARB(program);
}

int UniformLocation(uint32_t program, const char* name, UniformType type) {
  const bool setter =
      type == UniformType::Int ? glUniform1iARB != nullptr : glUniform1fARB != nullptr;
  if (!glGetUniformLocationARB || !setter) return kMissingEntryPoint;
  return glGetUniformLocationARB(program, name);
}

void SetUniform(int location, int value) {
  FlushBatch();
  if (glUniform1iARB) glUniform1iARB(location, value);
}

void SetUniform(int location, float value) {
  FlushBatch();
  if (glUniform1fARB) glUniform1fARB(location, value);
}

int AttributeLocation(uint32_t program, const char* name) {
  if (!glGetAttribLocationARB || !glVertexAttrib1fARB) return kMissingEntryPoint;
  return glGetAttribLocationARB(program, name);
}

void SetAttribute(int location, float value) {
  FlushBatch();
  if (glVertexAttrib1fARB) glVertexAttrib1fARB(static_cast<GLuint>(location), value);
}

}  // namespace render
