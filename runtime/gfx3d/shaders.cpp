#include "runtime/gfx3d/shaders.h"

#include <string>
#include <vector>

#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/gfx3d/shader_program.h"
#include "runtime/platform/process.h"
#include "runtime/render/shader_programs.h"

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

void ReportInfoLog(uint32_t object) {
  // Asking the driver costs nothing when no one listens.
  if (!Gfx3d().shaderReporter) return;
  std::string log;
  if (render::ShaderInfoLog(object, log)) Report(log);
}

// Compiles one stage; 0 when the file cannot be read. failed is set when it
// does not compile.
uint32_t CompileStage(render::ShaderStage stage, const char* file, const char* failure,
                      bool& failed) {
  std::vector<char> source;
  if (!ReadSource(file, source)) return 0;
  bool compiled = false;
  const uint32_t shader = render::CompileShader(stage, source.data(), compiled);
  if (!compiled) {
    ReportInfoLog(shader);
    Report(failure);
    failed = true;
  }
  return shader;
}

uint32_t CurrentProgram() {
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
  if (!CurrentProgram()) return;
  const int location = render::UniformLocation(CurrentProgram(), name, render::UniformType::Int);
  if (location == render::kMissingEntryPoint) return;
  if (location == -1) {
    Report(std::string("undefined uniform:") + name);
    return;
  }
  render::SetUniform(location, value);
}

void SetShaderAttribute(const char* name, float value) {
  if (!CurrentProgram()) return;
  const int location = render::AttributeLocation(CurrentProgram(), name);
  if (location == render::kMissingEntryPoint) return;
  if (location == -1) {
    Report(std::string("undefined attrib:") + name);
    return;
  }
  render::SetAttribute(location, value);
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
  if (!render::CanBuildShaders()) {
    if (!g.shaderSupportReported) {
      g.shaderSupportReported = true;
      Report("No OpenGL 2.0 Shader Support");
    }
    return false;
  }
  ShaderSlot& record = g.shaders[slot];
  if (render::CanDeleteShaderObjects()) {
    for (uint32_t object : {record.program, record.vertexShader, record.fragmentShader}) {
      if (object) render::DeleteShaderObject(object);
    }
    record = ShaderSlot{};
  }

  bool failed = false;
  const uint32_t vertex =
      CompileStage(render::ShaderStage::Vertex, vertexFile.c_str(), "vertex shader failed", failed);
  const uint32_t fragment = CompileStage(render::ShaderStage::Fragment, fragmentFile.c_str(),
                                         "fragment shader failed", failed);
  record.vertexShader = vertex;
  record.fragmentShader = fragment;
  if (!failed && (vertex || fragment)) {
    bool linked = false;
    const uint32_t program = render::LinkProgram(vertex, fragment, linked);
    if (linked) {
      record.program = program;
    } else {
      ReportInfoLog(program);
      Report("link shader failed");
      failed = true;
      // Using a program that did not link is refused by the driver, which
      // would leave the previous program running; the slot stays without.
      render::DeleteShaderObject(program);
    }
  }
  return !failed;
}

void SelectShader(int slot) {
  if (!render::CanUsePrograms()) return;
  Gfx3dState& g = Gfx3d();
  if (slot >= 0 && slot < kShaderSlots) {
    g.currentShader = slot;
    render::UseProgram(g.shaders[slot].program);
  } else {
    g.currentShader = -1;
    render::UseProgram(0);
  }
}

void SetShaderFloat(const RtString& name, double value) {
  if (!CurrentProgram()) return;
  const int location =
      render::UniformLocation(CurrentProgram(), name.c_str(), render::UniformType::Float);
  if (location == render::kMissingEntryPoint) return;
  if (location == -1) {
    Report(std::string("undefined uniform:") + name.c_str());
    return;
  }
  render::SetUniform(location, static_cast<float>(value));
}
