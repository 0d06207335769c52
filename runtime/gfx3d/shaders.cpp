#include "runtime/gfx3d/shaders.h"

#include <string>
#include <vector>

#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/gfx3d/shader_program.h"
#include "runtime/platform/process.h"
#include "runtime/render/gl_extensions.h"

namespace gfx3d {
namespace {

void Report(const std::string& message) {
  const ShaderReporter& reporter = Gfx3d().shaderReporter;
  if (reporter) reporter(message.c_str());
}

// The whole file, NUL-terminated; false when it cannot be opened or read.
bool ReadSource(const char* name, std::vector<char>& text) {
  FileStream stream;
  const std::string path = fileops::SystemPath(name);
  if (!OpenStream(stream, path.c_str())) return false;
  text.assign(static_cast<size_t>(std::max<int32_t>(stream.size, 0)) + 1, '\0');
  const bool read = stream.size <= 0 || ReadStream(stream, text.data(), stream.size);
  CloseStream(stream);
  return read;
}

void ReportInfoLog(GLhandleARB object) {
  if (!Gfx3d().shaderReporter || !ext::glGetObjectParameterivARB || !ext::glGetInfoLogARB) return;
  GLint length = 0;
  ext::glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  if (length <= 0) return;
  std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
  GLsizei written = 0;
  ext::glGetInfoLogARB(object, length, &written, log.data());
  Report(log.data());
}

// Compiles one stage; 0 when the file cannot be read. failed is set when it
// does not compile.
GLhandleARB CompileStage(GLenum type, const char* file, const char* failure, bool& failed) {
  std::vector<char> source;
  if (!ReadSource(file, source)) return 0;
  const GLhandleARB shader = ext::glCreateShaderObjectARB(type);
  const GLcharARB* text = source.data();
  ext::glShaderSourceARB(shader, 1, &text, nullptr);
  ext::glCompileShaderARB(shader);
  GLint compiled = 0;
  if (ext::glGetObjectParameterivARB) {
    ext::glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
  }
  if (!compiled) {
    ReportInfoLog(shader);
    Report(failure);
    failed = true;
  }
  return shader;
}

GLhandleARB CurrentProgram() {
  const Gfx3dState& g = Gfx3d();
  if (g.currentShader < 0 || g.currentShader >= kShaderSlots) return 0;
  return g.shaders[g.currentShader].program;
}

}  // namespace

void SetShaderReporter(ShaderReporter reporter) {
  Gfx3d().shaderReporter = std::move(reporter);
}

void ReportToDebugOutput(const char* message) {
  plat::DebugOutput(message);
  plat::DebugOutput("\n");
}

void SetShaderInt(const char* name, int value) {
  // A selected slot without a program has no uniforms to look up.
  if (!ext::glGetUniformLocationARB || !ext::glUniform1iARB || !CurrentProgram()) return;
  const GLint location = ext::glGetUniformLocationARB(CurrentProgram(), name);
  if (location == -1) {
    Report(std::string("undefined uniform:") + name);
    return;
  }
  ext::glUniform1iARB(location, value);
}

void SetShaderAttribute(const char* name, float value) {
  if (!ext::glGetAttribLocationARB || !ext::glVertexAttrib1fARB || !CurrentProgram()) return;
  const GLint location = ext::glGetAttribLocationARB(CurrentProgram(), name);
  if (location == -1) {
    Report(std::string("undefined attrib:") + name);
    return;
  }
  ext::glVertexAttrib1fARB(static_cast<GLuint>(location), value);
}

void ResetShaderSlots() {
  Gfx3dState& g = Gfx3d();
  for (ShaderSlot& slot : g.shaders) slot = ShaderSlot{};
  g.currentShader = -1;
}

}  // namespace gfx3d

using namespace gfx3d;

bool ShaderFromFiles(int slot, const RtString& vertexFile, const RtString& fragmentFile) {
  // Negative slots would index before the table.
  if (slot < 0 || slot >= kShaderSlots) return false;
  Gfx3dState& g = Gfx3d();
  if (!ext::glCreateShaderObjectARB || !ext::glShaderSourceARB || !ext::glCompileShaderARB ||
      !ext::glCreateProgramObjectARB || !ext::glAttachObjectARB || !ext::glLinkProgramARB) {
    if (!g.shaderSupportReported) {
      g.shaderSupportReported = true;
      Report("No OpenGL 2.0 Shader Support");
    }
    return false;
  }
  ShaderSlot& record = g.shaders[slot];
  if (ext::glDeleteObjectARB) {
    for (uint32_t object : {record.program, record.vertexShader, record.fragmentShader}) {
      if (object) ext::glDeleteObjectARB(object);
    }
    record = ShaderSlot{};
  }

  bool failed = false;
  const GLhandleARB vertex =
      CompileStage(GL_VERTEX_SHADER_ARB, vertexFile.c_str(), "vertex shader failed", failed);
  const GLhandleARB fragment =
      CompileStage(GL_FRAGMENT_SHADER_ARB, fragmentFile.c_str(), "fragment shader failed", failed);
  record.vertexShader = vertex;
  record.fragmentShader = fragment;
  if (!failed && (vertex || fragment)) {
    const GLhandleARB program = ext::glCreateProgramObjectARB();
    if (vertex) ext::glAttachObjectARB(program, vertex);
    if (fragment) ext::glAttachObjectARB(program, fragment);
    ext::glLinkProgramARB(program);
    GLint linked = 0;
    if (ext::glGetObjectParameterivARB) {
      ext::glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    }
    if (linked) {
      record.program = program;
    } else {
      ReportInfoLog(program);
      Report("link shader failed");
      failed = true;
      // Using a program that did not link is refused by the driver, which
      // would leave the previous program running; the slot stays without.
      if (ext::glDeleteObjectARB) ext::glDeleteObjectARB(program);
    }
  }
  return !failed;
}

void SelectShader(int slot) {
  if (!ext::glUseProgramObjectARB) return;
  Gfx3dState& g = Gfx3d();
  if (slot >= 0 && slot < kShaderSlots) {
    g.currentShader = slot;
    ext::glUseProgramObjectARB(g.shaders[slot].program);
  } else {
    g.currentShader = -1;
    ext::glUseProgramObjectARB(0);
  }
}

void SetShaderFloat(const RtString& name, double value) {
  if (!ext::glGetUniformLocationARB || !ext::glUniform1fARB || !CurrentProgram()) return;
  const GLint location = ext::glGetUniformLocationARB(CurrentProgram(), name.c_str());
  if (location == -1) {
    Report(std::string("undefined uniform:") + name.c_str());
    return;
  }
  ext::glUniform1fARB(location, static_cast<float>(value));
}
