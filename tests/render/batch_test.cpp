// The 2D vertex stream: primitives wait in it, and whatever changes how
// they look or reads the pixels must draw them first, in order, each under
// the state it was given.
#include <GL/gl.h>

#include <vector>

#include "render_fixture.h"
#include "runtime/render/draw_state.h"
#include "runtime/render/submit.h"
#include "runtime/render/textures.h"

namespace {

using Stream = RenderLayer;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// A texture of one colour per texel, side x side, RGBA rows.
uint32_t MakeTexture(int side, const std::vector<uint8_t>& rgba) {
  const uint32_t texture = render::CreateTexture();
  render::BindDrawTextures(true, texture, false, 0);
  render::ResetUnpacking();
  render::SetSampling(render::Filter::Nearest, render::Filter::Nearest);
  render::UploadLevel(0, side, side, render::TexelOrder::Rgba, rgba.data());
  return texture;
}

uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  return MakeTexture(1, {r, g, b, 255});
}

TEST_F(Stream, PrimitivesWaitUntilSomethingReadsThem) {
  render::SetColour(1, 1, 1, 1);
  render::DrawPixelQuad(0, 0, 4, 4, 0, 1, 0, 1);
  render::DrawPixelQuad(6, 0, 4, 4, 0, 1, 0, 1);
  EXPECT_TRUE(render::BatchPending());
  // Reading the screen draws the stream first.
  EXPECT_EQ(ScreenPixel(1, 1), kWhite);
  EXPECT_FALSE(render::BatchPending());
  EXPECT_EQ(ScreenPixel(7, 1), kWhite);
  for (GLenum cap : {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY}) EXPECT_FALSE(glIsEnabled(cap));
}

TEST_F(Stream, EachQuadKeepsTheColourAndTextureItWasDrawnWith) {
  render::SetColour(1, 0, 0, 1);
  render::DrawPixelQuad(0, 0, 4, 4, 0, 1, 0, 1);
  render::SetColour(0, 1, 0, 1);
  render::DrawPixelQuad(4, 0, 4, 4, 0, 1, 0, 1);
  const uint32_t blue = SolidTexture(0, 0, 255);
  const uint32_t white = SolidTexture(255, 255, 255);
  render::SetColour(1, 1, 1, 1);
  render::BindDrawTextures(true, blue, false, 0);
  render::DrawPixelQuad(8, 0, 4, 4, 0, 1, 0, 1);
  render::BindDrawTextures(true, white, false, 0);
  render::DrawPixelQuad(12, 0, 4, 4, 0, 1, 0, 1);
  render::BindDrawTextures(true, blue, false, 0);
  render::DrawPixelQuad(16, 0, 4, 4, 0, 1, 0, 1);
  EXPECT_EQ(ScreenPixel(1, 1), kRed);
  EXPECT_EQ(ScreenPixel(5, 1), kGreen);
  EXPECT_EQ(ScreenPixel(9, 1), kBlue);
  EXPECT_EQ(ScreenPixel(13, 1), kWhite);
  EXPECT_EQ(ScreenPixel(17, 1), kBlue);
  const uint32_t both[2] = {blue, white};
  render::DeleteTextures(both, 2);
}

TEST_F(Stream, AFilterChangeOnTheSameTextureEndsTheRunBeforeIt) {
  // Black and white halves: nearest keeps the edge hard, linear blends it.
  const uint32_t texture = MakeTexture(2, {0, 0, 0, 255, 255, 255, 255, 255,  //
                                           0, 0, 0, 255, 255, 255, 255, 255});
  render::SetColour(1, 1, 1, 1);
  render::SetFilter(render::Filter::Nearest);
  render::DrawPixelQuad(0, 0, 16, 4, 0, 1, 0, 1);
  render::SetFilter(render::Filter::Nearest);
  render::DrawPixelQuad(0, 4, 16, 4, 0, 1, 0, 1);
  render::SetFilter(render::Filter::Linear);
  render::DrawPixelQuad(0, 8, 16, 4, 0, 1, 0, 1);
  // Texel centres at 4 and 12: a pixel between them is grey only when
  // linear filtering was in force for that quad.
  const uint32_t nearest = ScreenPixel(6, 1), again = ScreenPixel(6, 5);
  const uint32_t linear = ScreenPixel(6, 9);
  EXPECT_EQ(nearest, 0u);
  EXPECT_EQ(again, 0u);
  EXPECT_GT(linear & 0xFF, 0x10u);
  EXPECT_LT(linear & 0xFF, 0xF0u);
  render::DeleteTexture(texture);
}

TEST_F(Stream, SettingTheSameFilterAgainKeepsTheRunGoing) {
  // Each sprite sets its filter before its quad; the same filter again must
  // not draw the waiting quads, or a run of sprites becomes a draw each.
  const uint32_t texture = SolidTexture(0, 0, 255);
  render::SetColour(1, 1, 1, 1);
  const float fan[4][4] = {{20, 4, 0, 0}, {24, 4, 1, 0}, {24, 0, 1, 1}, {20, 0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    render::SetFilter(render::Filter::Linear);
    EXPECT_EQ(render::BatchPending(), i > 0) << "quad " << i;
    render::DrawPixelQuad(i * 4, 0, 4, 4, 0, 1, 0, 1);
  }
  // A clamped fan after the quads draws them out, which changes no filter.
  render::SetFilter(render::Filter::Linear);
  render::DrawQuad(fan);
  render::SetFilter(render::Filter::Linear);
  EXPECT_TRUE(render::BatchPending());
  EXPECT_EQ(ScreenPixel(9, 1), kBlue);
  EXPECT_EQ(ScreenPixel(21, 1), kBlue);
  render::DeleteTexture(texture);
}

TEST_F(Stream, DrawOrderHoldsAcrossQuadsFansLinesAndPoints) {
  render::SetColour(1, 1, 1, 1);
  render::BindDrawTextures(false, 0, false, 0);
  // Overlapping shapes in turn; what is drawn last must end on top, so the
  // colours differ per shape and each shape changes the colour.
  const float fan[4][4] = {{0, 8, 0, 0}, {8, 8, 0, 0}, {8, 0, 0, 0}, {0, 0, 0, 0}};
  render::SetColour(1, 0, 0, 1);
  render::DrawPixelQuad(0, 0, 8, 8, 0, 0, 0, 0);
  render::SetColour(0, 1, 0, 1);
  render::DrawQuad(fan);
  render::SetColour(0, 0, 1, 1);
  render::PushPixelCentreOffset();
  render::DrawLine(0, 3, 8, 3);
  render::DrawPoint(5, 6);
  render::PopPixelCentreOffset();
  EXPECT_EQ(ScreenPixel(1, 1), kGreen);
  EXPECT_EQ(ScreenPixel(2, 3), kBlue);
  EXPECT_EQ(ScreenPixel(5, 6), kBlue);
  EXPECT_EQ(ScreenPixel(5, 5), kGreen);
}

TEST_F(Stream, RunsLongerThanTheStreamHoldsLoseNothing) {
  render::SetColour(1, 1, 1, 1);
  render::BindDrawTextures(false, 0, false, 0);
  // A one-pixel quad on every pixel of a 160 x 120 block: 19,200 quads,
  // more than the stream takes in one draw.
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) render::DrawPixelQuad(x, y, 1, 1, 0, 0, 0, 0);
  // Text-like quads in one call, 5,000 of them (x, y, z, u, v a corner).
  std::vector<float> corners;
  for (int i = 0; i < 5000; ++i) {
    const float x = static_cast<float>(160 + i % 100), y = static_cast<float>(i / 100);
    const float corner[4][2] = {{x, y + 1}, {x + 1, y + 1}, {x + 1, y}, {x, y}};
    for (const auto& c : corner) corners.insert(corners.end(), {c[0], c[1], 0, 0, 0});
  }
  render::DrawTexturedQuads(corners.data(), corners.size() / 5);
  // The block in one read: rows bottom-up, three bytes a pixel.
  const int height = LogicalScreen().height;
  std::vector<uint8_t> rgb(260 * 120 * 3);
  render::BindReadTarget(ScreenReadFramebuffer());
  render::ReadPixels(0, height - 120, 260, 120, render::PixelLayout::Rgb, rgb.data());
  BindScreen();
  int missing = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 260; ++x) {
      const bool drawn = x < 160 || y < 50;
      const uint8_t* p = &rgb[(static_cast<size_t>(119 - y) * 260 + x) * 3];
      if ((p[0] == 255 && p[1] == 255 && p[2] == 255) != drawn) ++missing;
    }
  EXPECT_EQ(missing, 0);
}

TEST_F(Stream, DeletingATextureDrawsTheQuadsThatSampleItFirst) {
  const uint32_t texture = SolidTexture(255, 0, 0);
  render::SetColour(1, 1, 1, 1);
  render::DrawPixelQuad(0, 0, 4, 4, 0, 1, 0, 1);
  render::DeleteTexture(texture);
  EXPECT_EQ(ScreenPixel(1, 1), kRed);
  // The deleted name is no longer taken for bound: a new texture that gets
  // it is bound for real.
  const uint32_t green = SolidTexture(0, 255, 0);
  render::BindDrawTextures(true, green, false, 0);
  render::DrawPixelQuad(4, 0, 4, 4, 0, 1, 0, 1);
  EXPECT_EQ(ScreenPixel(5, 1), kGreen);
  render::DeleteTexture(green);
}

}  // namespace
