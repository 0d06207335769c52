// The GL state the scene commands leave behind, and the shader slots, on a
// real (llvmpipe) context.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/gfx3d/gfx3d_service.h"
#include "runtime/gfx3d/shader_program.h"
#include "scene_fixture.h"

using namespace scenetest;

namespace {

std::vector<float> Projection() {
  std::vector<float> m(16);
  glGetFloatv(GL_PROJECTION_MATRIX, m.data());
  return m;
}

GLint CurrentProgram() {
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return program;
}

using SceneState = SceneTest;

TEST_F(SceneState, PerspectiveFromFieldOfViewAndTheAreasAspect) {
  BeginScene3D(1, 100, 45);
  const auto p = Projection();
  EXPECT_NEAR(p[0], 1.81066, 1e-4);
  EXPECT_NEAR(p[5], 2.41421, 1e-4);
  EXPECT_NEAR(p[10], -101.0 / 99.0, 1e-5);
  EXPECT_FLOAT_EQ(p[11], -1);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 320);
  EXPECT_EQ(viewport[3], 240);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

TEST_F(SceneState, UnusableClipDistancesKeepThePreviousProjection) {
  BeginScene3D(1, 100, 45);
  const auto good = Projection();
  for (double nearClip : {0.0, -1.0}) {
    BeginScene3D(nearClip, 100, 45);
    EXPECT_EQ(Projection(), good) << nearClip;
  }
  BeginScene3D(5, 5, 45);
  EXPECT_EQ(Projection(), good);
  BeginScene3D(1, 100, -360);  // tan(180 degrees): a box without area
  EXPECT_EQ(Projection(), good);
  for (float v : Projection()) EXPECT_TRUE(std::isfinite(v));
  // A negative field of view is orthographic.
  BeginScene3D(1, 100, -45);
  const auto ortho = Projection();
  EXPECT_FLOAT_EQ(ortho[11], 0);
  EXPECT_FLOAT_EQ(ortho[15], 1);
  EXPECT_NEAR(ortho[5], 1 / (100 * std::tan(22.5 * M_PI / 180)), 1e-6);
}

TEST_F(SceneState, LightsFollowTheSpotRules) {
  BeginScene3D(1, 100, 45);
  SetLight(1, 0xFF, 0, 0, 0, 0, 0, -2, 180);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
  float position[4], diffuse[4], cutoff = 0, direction[3];
  glGetLightfv(GL_LIGHT1, GL_POSITION, position);
  EXPECT_FLOAT_EQ(position[2], 1);  // towards the light, normalised
  EXPECT_FLOAT_EQ(position[3], 0);  // directional
  glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  EXPECT_FLOAT_EQ(diffuse[0], 1);
  EXPECT_FLOAT_EQ(diffuse[1], 0);

  SetLight(9, 0xFFFFFF, 1, 2, 3, 0, 0, 0, 120);  // light 1 again: a point light
  glGetLightfv(GL_LIGHT1, GL_POSITION, position);
  glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, &cutoff);
  EXPECT_FLOAT_EQ(position[1], 2);
  EXPECT_FLOAT_EQ(position[3], 1);
  EXPECT_FLOAT_EQ(cutoff, 180);

  SetLight(2, 0xFFFFFF, 0, 5, 0, 0, -3, 0, 30);
  glGetLightfv(GL_LIGHT2, GL_SPOT_CUTOFF, &cutoff);
  glGetLightfv(GL_LIGHT2, GL_SPOT_DIRECTION, direction);
  EXPECT_FLOAT_EQ(cutoff, 30);
  EXPECT_FLOAT_EQ(direction[1], -1);

  SetLight(2, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  SetLight(1, 0, 0, 0, 0, 0, 0, 0, -30);  // a negative angle is off too
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

  // A new scene switches the lights themselves off.
  SetLight(3, 0xFFFFFF, 0, 0, 0, 0, 0, -1, 180);
  BeginScene3D(1, 100, 45);
  EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(gfx3d::Gfx3d().lightsInUse, 0);
}

TEST_F(SceneState, ShadowLightAndItsPassEndWithTheFrame) {
  BeginScene3D(1, 100, 45);
  SetLight(-3, 0x00FF00, 4, 5, 6, 0, 0, 0, 1);
  const auto& g = gfx3d::Gfx3d();
  EXPECT_EQ(g.shadowLight.mode, 3);
  EXPECT_TRUE(g.shadowLight.on);
  EXPECT_FLOAT_EQ(g.shadowLight.position[2], 6);
  EXPECT_TRUE(g.shadowPassActive);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  Gfx3dFrame();
  EXPECT_FALSE(g.shadowPassActive);
  SetLight(-1, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(g.shadowLight.mode, 1);
  EXPECT_FALSE(g.shadowLight.on);
}

TEST_F(SceneState, FogModesAndColourMinusOneOff) {
  BeginScene3D(2, 50, 45);
  SetFog(0x0000FF, 0, 0, 0);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLint mode = 0;
  float start = 0, end = 0, colour[4];
  glGetIntegerv(GL_FOG_MODE, &mode);
  glGetFloatv(GL_FOG_START, &start);
  glGetFloatv(GL_FOG_END, &end);
  glGetFloatv(GL_FOG_COLOR, colour);
  EXPECT_EQ(mode, GL_LINEAR);
  EXPECT_FLOAT_EQ(start, 2);  // 0, 0: the scene's clip distances
  EXPECT_FLOAT_EQ(end, 50);
  EXPECT_FLOAT_EQ(colour[0], 1);
  EXPECT_FLOAT_EQ(colour[2], 0);
  SetFog(0xFFFFFF, 1, 0.25, 0);
  float density = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  glGetFloatv(GL_FOG_DENSITY, &density);
  EXPECT_EQ(mode, GL_EXP);
  EXPECT_FLOAT_EQ(density, 0.25f);
  SetFog(-1, 0, 5, 10);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(SceneState, CullingSidesAndTextureGenerationLastOnlyOneDraw) {
  BeginScene3D(1, 100, 45);
  GLint front = 0;
  SetFaceCulling(1);
  glGetIntegerv(GL_FRONT_FACE, &front);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_EQ(front, GL_CW);
  SetFaceCulling(-0.5);
  glGetIntegerv(GL_FRONT_FACE, &front);
  EXPECT_EQ(front, GL_CCW);
  SetFaceCulling(0);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

  LoadObject(1, SquareObject({{0, 0, -5, 1}}, {255, 255, 255}));
  SetEnvironmentMapping(1);
  PutObject(1, 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- shaders ----

class Shaders : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    char tmpl[] = "/tmp/rt_shader_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    gfx3d::SetShaderReporter([this](const char* m) { reports_.push_back(m); });
  }
  void TearDown() override {
    gfx3d::SetShaderReporter(nullptr);
    SceneTest::TearDown();
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }
  RtString File(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name) << text;
    return RtString((dir_ + "/" + name).c_str());
  }

  std::string dir_;
  std::vector<std::string> reports_;
};

const char* kVertex = "void main() { gl_Position = ftransform(); gl_FrontColor = gl_Color; }";
const char* kFragment =
    "uniform float time;\n"
    "void main() { gl_FragColor = vec4(time, 0.0, 1.0, 1.0); }";

TEST_F(Shaders, BuildSelectAndSetUniforms) {
  ASSERT_TRUE(ShaderFromFiles(3, File("a.vert", kVertex), File("a.frag", kFragment)));
  EXPECT_TRUE(reports_.empty());
  const uint32_t program = gfx3d::Gfx3d().shaders[3].program;
  ASSERT_NE(program, 0u);
  SelectShader(3);
  EXPECT_EQ(CurrentProgram(), static_cast<GLint>(program));
  SetShaderFloat(RtString("time"), 0.5);
  EXPECT_TRUE(reports_.empty());
  SetShaderFloat(RtString("speed"), 1);
  SelectTextures3D(-1, -1);  // the sampler names this program lacks
  gfx3d::SetShaderAttribute("weight", 1);
  EXPECT_EQ(reports_,
            (std::vector<std::string>{"undefined uniform:speed", "undefined uniform:TextureID1",
                                      "undefined uniform:TextureID2", "undefined attrib:weight"}));
  for (int none : {255, -1}) {
    SelectShader(3);
    SelectShader(none);
    EXPECT_EQ(CurrentProgram(), 0) << none;
    EXPECT_EQ(gfx3d::Gfx3d().currentShader, -1);
  }
  // The frame end switches shaders off.
  SelectShader(3);
  Gfx3dFrame();
  EXPECT_EQ(CurrentProgram(), 0);
}

TEST_F(Shaders, ACompileErrorReportsTheLogThenTheStage) {
  EXPECT_FALSE(ShaderFromFiles(4, File("b.vert", kVertex), File("b.frag", "void main() { oops }")));
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_FALSE(reports_[0].empty());
  EXPECT_NE(reports_[0], "fragment shader failed");
  EXPECT_EQ(reports_[1], "fragment shader failed");
  EXPECT_EQ(gfx3d::Gfx3d().shaders[4].program, 0u);
  SelectShader(4);
  EXPECT_EQ(CurrentProgram(), 0);
}

TEST_F(Shaders, AProgramThatDoesNotLinkIsNotKept) {
  ASSERT_TRUE(ShaderFromFiles(5, File("d.vert", kVertex), File("d.frag", kFragment)));
  SelectShader(5);
  // The fragment stage reads a varying the vertex stage never writes.
  EXPECT_FALSE(ShaderFromFiles(
      5, File("e.vert", kVertex),
      File("e.frag", "varying float shade;\nvoid main() { gl_FragColor = vec4(shade); }")));
  ASSERT_GE(reports_.size(), 1u);
  EXPECT_EQ(reports_.back(), "link shader failed");
  EXPECT_EQ(gfx3d::Gfx3d().shaders[5].program, 0u);
  SelectShader(5);
  EXPECT_EQ(CurrentProgram(), 0);
}

TEST_F(Shaders, SlotsAndUnreadableFiles) {
  const RtString vert = File("c.vert", kVertex), frag = File("c.frag", kFragment);
  EXPECT_FALSE(ShaderFromFiles(255, vert, frag));
  EXPECT_FALSE(ShaderFromFiles(-1, vert, frag));
  // Nothing to compile succeeds with no program.
  EXPECT_TRUE(ShaderFromFiles(0, RtString("/nonexistent/a"), RtString("/nonexistent/b")));
  EXPECT_EQ(gfx3d::Gfx3d().shaders[0].program, 0u);
  // Its slot selects the fixed pipeline and has no uniforms to complain of.
  while (glGetError() != GL_NO_ERROR) {
  }
  SelectShader(0);
  SetShaderFloat(RtString("time"), 1);
  EXPECT_EQ(CurrentProgram(), 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // One stage alone builds.
  EXPECT_TRUE(ShaderFromFiles(1, RtString("/nonexistent/a"), frag));
  EXPECT_NE(gfx3d::Gfx3d().shaders[1].program, 0u);
  // A rebuild replaces the slot's objects.
  const uint32_t first = gfx3d::Gfx3d().shaders[1].program;
  EXPECT_TRUE(ShaderFromFiles(1, vert, frag));
  EXPECT_NE(gfx3d::Gfx3d().shaders[1].program, 0u);
  EXPECT_NE(gfx3d::Gfx3d().shaders[1].vertexShader, 0u);
  (void)first;
  EXPECT_TRUE(reports_.empty());
}

// Runs in a child whose driver hides the shader-object extension.
TEST(NoShaderSupport, ReportsOnceThenFailsSilently) {
  if (!getenv("RT_NO_SHADER_CHILD")) {
    const std::string cmd =
        "RT_NO_SHADER_CHILD=1 MESA_EXTENSION_OVERRIDE='-GL_ARB_fragment_program "
        "-GL_ARB_fragment_program_shadow' /proc/" +
        std::to_string(getpid()) + "/exe --gtest_filter=NoShaderSupport.* > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return;
  }
  scenetest::SharedScene();
  std::vector<std::string> reports;
  gfx3d::SetShaderReporter([&](const char* m) { reports.push_back(m); });
  EXPECT_FALSE(ShaderFromFiles(0, RtString("a"), RtString("b")));
  EXPECT_FALSE(ShaderFromFiles(0, RtString("a"), RtString("b")));
  EXPECT_EQ(reports, std::vector<std::string>{"No OpenGL 2.0 Shader Support"});
  SelectShader(0);  // nothing to call: no effect
  gfx3d::SetShaderReporter(nullptr);
}

}  // namespace
