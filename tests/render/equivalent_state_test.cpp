// Cheaper driver state that must draw the same pixels: the 2D layers pick
// nearest filtering for quads that map texels one to one onto pixels, and
// the stream replaces the texel colour instead of modulating it by opaque
// white. Both rest on the driver computing the same bytes either way, which
// these tests check on whatever driver runs them, with texels whose
// neighbours all differ so any leak between them shows.
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "render_fixture.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/submit.h"
#include "runtime/render/textures.h"

namespace {

using EquivalentState = RenderLayer;

constexpr int kSide = 64;

// kSide x kSide texels of scattered colours and alphas (a quarter of them
// fully transparent, some just around the alpha test's threshold).
uint32_t NoiseTexture() {
  std::vector<uint8_t> rgba(kSide * kSide * 4);
  uint32_t seed = 2024;
  for (uint8_t& byte : rgba) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
  }
  for (size_t i = 3; i < rgba.size(); i += 16) rgba[i] = 0;
  for (size_t i = 7; i < rgba.size(); i += 64) rgba[i] = 13;
  const uint32_t texture = render::CreateTexture();
  render::BindDrawTextures(true, texture, false, 0);
  render::ResetUnpacking();
  render::SetSampling(render::Filter::Linear, render::Filter::Linear);
  render::UploadLevel(0, kSide, kSide, render::TexelOrder::Rgba, rgba.data());
  return texture;
}

std::vector<uint8_t> Screen() {
  const int w = LogicalScreen().width, h = LogicalScreen().height;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  render::BindReadTarget(ScreenReadFramebuffer());
  render::ReadPixels(0, 0, w, h, render::PixelLayout::Rgb, rgb.data());
  BindScreen();
  return rgb;
}

// Texel-for-pixel quads of several sizes and texel offsets, at positions
// that cover every pixel phase, the screen's edges and beyond them, blended
// as sprites are.
void DrawTexelExactQuads(render::Filter filter) {
  render::SetClearColour(0.2f, 0.4f, 0.6f, 1);
  render::ClearColour();
  render::SetBlending(true);
  render::SetBlendFunction(render::Blend::Alpha);
  render::SetFilter(filter);
  const float texel = 1.0f / kSide;
  const int sizes[][4] = {{1, 1, 0, 0},     {7, 5, 3, 9},   {32, 32, 0, 0},
                          {17, 40, 21, 11}, {64, 64, 0, 0}, {8, 8, 56, 48}};
  int i = 0;
  for (int y = -30; y < 250; y += 13)
    for (int x = -40; x < 330; x += 29) {
      const int* s = sizes[i++ % 6];
      const float u0 = s[2] * texel, vb = s[3] * texel;
      render::DrawPixelQuad(x, y, s[0], s[1], u0, u0 + s[0] * texel, vb, vb + s[1] * texel);
    }
  render::FlushBatch();
  render::SetBlending(false);
}

TEST_F(EquivalentState, TexelExactQuadsDrawTheSameWithEitherFilter) {
  const uint32_t texture = NoiseTexture();
  render::SetColour(1, 1, 1, 1);
  DrawTexelExactQuads(render::Filter::Linear);
  const std::vector<uint8_t> linear = Screen();
  DrawTexelExactQuads(render::Filter::Nearest);
  const std::vector<uint8_t> nearest = Screen();
  size_t differing = 0;
  for (size_t i = 0; i < linear.size(); ++i) differing += linear[i] != nearest[i];
  EXPECT_EQ(differing, 0u);
  // A half-texel shift is where the two part: the comparison can see it.
  render::SetFilter(render::Filter::Linear);
  render::DrawPixelQuad(0, 0, 64, 64, 0.5f / kSide, 1 + 0.5f / kSide, 0, 1);
  render::FlushBatch();
  EXPECT_NE(Screen(), nearest);
  render::DeleteTexture(texture);
}

// The same quads under glTexEnv replace and modulate, straight to the
// driver so the stream's own choice does not take part.
std::vector<uint8_t> DrawWithEnvironment(GLint mode, float alpha) {
  render::SetClearColour(0.2f, 0.4f, 0.6f, 1);
  render::ClearColour();
  render::SetBlending(true);
  render::SetBlendFunction(render::Blend::Alpha);
  render::SetColour(1, 1, 1, alpha);
  render::SetFilter(render::Filter::Linear);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
  glBegin(GL_QUADS);
  for (int i = 0; i < 12; ++i) {
    // Scaled and shifted so filtering mixes texels.
    const float x = static_cast<float>(i * 25 - 10), y = static_cast<float>(i * 17 - 5);
    const float w = 20.0f + i * 7, h = 15.0f + i * 5;
    glTexCoord2f(0.1f, 0.9f);
    glVertex2f(x, y);
    glTexCoord2f(0.1f, 0.05f);
    glVertex2f(x, y + h);
    glTexCoord2f(0.8f, 0.05f);
    glVertex2f(x + w, y + h);
    glTexCoord2f(0.8f, 0.9f);
    glVertex2f(x + w, y);
  }
  glEnd();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  render::SetBlending(false);
  return Screen();
}

TEST_F(EquivalentState, ReplaceDrawsAsModulateByOpaqueWhite) {
  const uint32_t texture = NoiseTexture();
  render::FlushBatch();
  EXPECT_EQ(DrawWithEnvironment(GL_REPLACE, 1), DrawWithEnvironment(GL_MODULATE, 1));
  // Under a translucent colour they differ, so the comparison means something.
  EXPECT_NE(DrawWithEnvironment(GL_REPLACE, 0.5f), DrawWithEnvironment(GL_MODULATE, 0.5f));
  render::SetColour(1, 1, 1, 1);
  render::DeleteTexture(texture);
}

GLint BoundFilter(GLenum which) {
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, which, &filter);
  return filter;
}

TEST_F(EquivalentState, TexturesKeepTheirFilterAfterATexelExactRun) {
  // A run big enough to be drawn with nearest standing in for linear.
  const uint32_t texture = NoiseTexture();
  render::SetColour(1, 1, 1, 1);
  render::SetFilter(render::Filter::Linear);
  for (int i = 0; i < 8; ++i) render::DrawPixelQuad(i * 30, 0, kSide, kSide, 0, 1, 0, 1, true);
  render::FlushBatch();
  // Whoever samples the texture next (a 3D object, say) finds it as set.
  EXPECT_EQ(BoundFilter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(BoundFilter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  render::DeleteTexture(texture);
}

TEST_F(EquivalentState, UnitsArePixelsOnlyUnderTheWholeViewportPixelProjection) {
  const int w = LogicalScreen().width, h = LogicalScreen().height;
  EXPECT_TRUE(render::UnitsArePixels());
  render::PushPlacement(10, 10, 30);
  EXPECT_FALSE(render::UnitsArePixels());
  render::PopPlacement();
  EXPECT_TRUE(render::UnitsArePixels());
  render::PushPixelCentreOffset();
  EXPECT_FALSE(render::UnitsArePixels());
  render::PopPixelCentreOffset();
  EXPECT_TRUE(render::UnitsArePixels());
  // A projection of another size than the viewport scales.
  render::LoadPixelProjection(w / 2, h);
  EXPECT_FALSE(render::UnitsArePixels());
  render::SetViewport(5, 5, w / 2, h);
  EXPECT_TRUE(render::UnitsArePixels());
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  render::LoadProjection(identity);
  EXPECT_FALSE(render::UnitsArePixels());
  render::SetViewport(0, 0, w, h);
  render::LoadPixelProjection(w, h);
  EXPECT_TRUE(render::UnitsArePixels());
}

TEST_F(EquivalentState, AColourAfterOpaqueWhiteStillTintsTextures) {
  const uint32_t white = [] {
    const uint32_t t = render::CreateTexture();
    render::BindDrawTextures(true, t, false, 0);
    render::ResetUnpacking();
    render::SetSampling(render::Filter::Nearest, render::Filter::Nearest);
    const uint8_t texel[4] = {255, 255, 255, 255};
    render::UploadLevel(0, 1, 1, render::TexelOrder::Rgba, texel);
    return t;
  }();
  // Opaque white first, so the stream switches to replacing texels...
  render::SetColour(1, 1, 1, 1);
  render::DrawPixelQuad(0, 0, 4, 4, 0, 1, 0, 1);
  // ...then a colour, which must modulate again; so must the coloured fan
  // that follows a white run.
  render::SetColour(1, 0, 0, 1);
  render::DrawPixelQuad(4, 0, 4, 4, 0, 1, 0, 1);
  render::SetColour(1, 1, 1, 1);
  render::DrawPixelQuad(8, 0, 4, 4, 0, 1, 0, 1);
  const float fan[4][8] = {{12, 4, 0, 0, 0, 1, 0, 1},
                           {16, 4, 1, 0, 0, 1, 0, 1},
                           {16, 0, 1, 1, 0, 1, 0, 1},
                           {12, 0, 0, 1, 0, 1, 0, 1}};
  render::DrawColouredFan(&fan[0][0], 4, true, render::Filter::Nearest, 1);
  EXPECT_EQ(ScreenPixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(5, 1), 0x0000FFu);
  EXPECT_EQ(ScreenPixel(9, 1), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(13, 1), 0x00FF00u);
  GLint mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  EXPECT_EQ(mode, GL_MODULATE);
  render::DeleteTexture(white);
}

}  // namespace
