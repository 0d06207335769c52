#include <GL/gl.h>

#include "render_fixture.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/submit.h"

namespace {

using Submission = RenderLayer;

constexpr uint32_t kWhite = 0xFFFFFF;

// The untextured quad covers exactly the pixels from (x, y) up to, not
// including, (x + w, y + h): sprite placement depends on it.
TEST_F(Submission, PixelQuadCoversItsRectangleExactly) {
  render::BindDrawTextures(false, 0, false, 0);
  render::SetColour(1, 1, 1, 1);
  render::DrawPixelQuad(10, 20, 4, 3, 0, 1, 0, 1);
  for (int y = 18; y < 25; ++y)
    for (int x = 8; x < 16; ++x) {
      const bool inside = x >= 10 && x < 14 && y >= 20 && y < 23;
      EXPECT_EQ(ScreenPixel(x, y), inside ? kWhite : 0u) << x << "," << y;
    }
}

TEST_F(Submission, QuadFanSamplesClampedAndLeavesRepeatBehind) {
  const uint32_t texture = render::CreateTexture();
  render::BindDrawTextures(true, texture, false, 0);
  const uint8_t texels[2][2][4] = {{{255, 0, 0, 255}, {0, 255, 0, 255}},
                                   {{0, 0, 255, 255}, {255, 255, 255, 255}}};
  render::ResetUnpacking();
  render::SetSampling(render::Filter::Nearest, render::Filter::Nearest);
  render::UploadLevel(0, 2, 2, render::TexelOrder::Rgba, texels);
  render::SetColour(1, 1, 1, 1);
  // u, v run past 1: clamped, the far texels fill the overhang rather than
  // the texture repeating.
  const float quad[4][4] = {{0, 8, 0, 0}, {8, 8, 2, 0}, {8, 0, 2, 2}, {0, 0, 0, 2}};
  render::DrawQuad(quad);
  EXPECT_EQ(ScreenPixel(7, 0), kWhite);
  EXPECT_EQ(ScreenPixel(0, 7), 0x0000FFu);
  GLint wrap = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(wrap, GL_REPEAT);
  render::DeleteTexture(texture);
  render::ForgetBoundTexture();
}

TEST_F(Submission, FilledFanLeavesTextureStateAlone) {
  // Texturing off: the fan samples nothing, so it has no wrap to clamp.
  render::BindDrawTextures(false, 0, false, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
  render::SetColour(0, 0, 1, 1);
  const float quad[4][4] = {{0, 4, 0, 0}, {4, 4, 0, 0}, {4, 0, 0, 0}, {0, 0, 0, 0}};
  render::DrawQuad(quad);
  EXPECT_EQ(ScreenPixel(1, 1), 0xFF0000u);
  GLint wrap = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(wrap, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
}

TEST_F(Submission, LineLeavesOutItsLastPixel) {
  render::BindDrawTextures(false, 0, false, 0);
  render::SetColour(1, 1, 1, 1);
  render::PushPixelCentreOffset();
  render::DrawLine(2, 5, 6, 5);
  render::DrawPoint(9, 9);
  render::PopPixelCentreOffset();
  for (int x = 2; x < 6; ++x) EXPECT_EQ(ScreenPixel(x, 5), kWhite) << x;
  EXPECT_EQ(ScreenPixel(6, 5), 0u);
  EXPECT_EQ(ScreenPixel(9, 9), kWhite);
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(Submission, ColouredFanShadesItsVerticesAndRestoresTheFlatState) {
  render::BindDrawTextures(false, 0, false, 0);
  // x, y, u, v, r, g, b, a: red along the top, green along the bottom,
  // wound to face the viewer as sprites are.
  const float fan[4][8] = {{0, 0, 0, 0, 1, 0, 0, 1},
                           {0, 16, 0, 0, 0, 1, 0, 1},
                           {16, 16, 0, 0, 0, 1, 0, 1},
                           {16, 0, 0, 0, 1, 0, 0, 1}};
  render::DrawColouredFan(&fan[0][0], 4, false, render::Filter::Nearest, 0.5f);
  const uint32_t top = ScreenPixel(8, 0), bottom = ScreenPixel(8, 15);
  EXPECT_GT(top & 0xFF, 0xE0u);
  EXPECT_GT(bottom >> 8 & 0xFF, 0xE0u);
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_FALSE(glIsEnabled(GL_DITHER));
  EXPECT_EQ(Integer(GL_SHADE_MODEL), GL_FLAT);
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 1);
  EXPECT_FLOAT_EQ(colour[3], 0.5f);
}

TEST_F(Submission, MeshDrawLeavesNoArraysMatrixOrTextureGenerationBehind) {
  struct Vertex {
    float position[3], normal[3], uv[2], rgb[3];
  };
  const Vertex triangle[3] = {{{0, 0, 0}, {0, 0, 1}, {0, 0}, {1, 1, 1}},
                              {{16, 0, 0}, {0, 0, 1}, {1, 0}, {1, 1, 1}},
                              {{0, 16, 0}, {0, 0, 1}, {0, 1}, {1, 1, 1}}};
  render::MeshArrays mesh;
  mesh.position = triangle[0].position;
  mesh.normal = triangle[0].normal;
  mesh.uv = triangle[0].uv;
  mesh.colour = triangle[0].rgb;
  mesh.stride = sizeof(Vertex);
  mesh.count = 3;
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  const float shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 20, 20, 0, 1};
  render::StopCulling();
  render::DrawMesh(mesh, shift, true, true, 0.25f);
  EXPECT_EQ(ScreenPixel(22, 22), kWhite);
  EXPECT_EQ(ScreenPixel(2, 2), 0u);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]) << i;
  for (GLenum cap : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY,
                     GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    EXPECT_FALSE(glIsEnabled(cap)) << cap;
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[3], 0.25f);
}

}  // namespace
