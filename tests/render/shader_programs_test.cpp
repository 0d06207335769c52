#include "runtime/render/shader_programs.h"
#include "render_fixture.h"

namespace {

using ShaderPrograms = RenderLayer;

constexpr const char* kVertex =
    "uniform float scale;\n"
    "void main() { gl_Position = ftransform() * scale; }\n";
constexpr const char* kFragment =
    "uniform int unit;\n"
    "void main() { gl_FragColor = vec4(float(unit)); }\n";

TEST_F(ShaderPrograms, BuildLinkAndFindTheirUniforms) {
  if (!render::CanBuildShaders()) GTEST_SKIP() << "no shader objects";
  bool vertexOk = false, fragmentOk = false, linked = false;
  const uint32_t vertex = render::CompileShader(render::ShaderStage::Vertex, kVertex, vertexOk);
  const uint32_t fragment =
      render::CompileShader(render::ShaderStage::Fragment, kFragment, fragmentOk);
  ASSERT_TRUE(vertexOk);
  ASSERT_TRUE(fragmentOk);
  const uint32_t program = render::LinkProgram(vertex, fragment, linked);
  ASSERT_TRUE(linked);
  EXPECT_GE(render::UniformLocation(program, "scale", render::UniformType::Float), 0);
  EXPECT_GE(render::UniformLocation(program, "unit", render::UniformType::Int), 0);
  EXPECT_EQ(render::UniformLocation(program, "missing", render::UniformType::Int), -1);
  ASSERT_TRUE(render::CanUsePrograms());
  render::UseProgram(program);
  render::UseProgram(0);
  for (uint32_t object : {program, vertex, fragment}) render::DeleteShaderObject(object);
}

TEST_F(ShaderPrograms, ABrokenStageSaysSoAndExplains) {
  if (!render::CanBuildShaders()) GTEST_SKIP() << "no shader objects";
  bool compiled = true;
  const uint32_t shader =
      render::CompileShader(render::ShaderStage::Fragment, "void main() { nonsense; }", compiled);
  EXPECT_FALSE(compiled);
  EXPECT_NE(shader, 0u);
  std::string log;
  EXPECT_TRUE(render::ShaderInfoLog(shader, log));
  EXPECT_FALSE(log.empty());
  bool linked = true;
  const uint32_t program = render::LinkProgram(0, shader, linked);
  EXPECT_FALSE(linked);
  render::DeleteShaderObject(program);
  render::DeleteShaderObject(shader);
}

}  // namespace
