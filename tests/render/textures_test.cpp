#include <GL/gl.h>
#include <GL/glext.h>

#include "render_fixture.h"
#include "runtime/render/framebuffers.h"
#include "runtime/render/textures.h"

namespace {

using TextureCache = RenderLayer;

TEST_F(TextureCache, SkipsWhatItBoundAndRebindsOnceForgotten) {
  const uint32_t a = render::CreateTexture(), b = render::CreateTexture();
  render::BindDrawTextures(true, a, false, 0);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), a);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

  // Bound past the cache and not forgotten: the cache still believes in a,
  // which shows it sends nothing for a binding it holds.
  render::BindTexture(b);
  render::BindDrawTextures(true, a, false, 0);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), b);

  render::ForgetBoundTexture();
  render::BindDrawTextures(true, a, false, 0);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), a);

  render::BindDrawTextures(false, 0, false, 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);

  // Texturing switched on behind its back is switched off again once the
  // cache forgets.
  glEnable(GL_TEXTURE_2D);
  render::ForgetBoundTexture();
  render::BindDrawTextures(false, 0, false, 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  const uint32_t both[2] = {a, b};
  render::DeleteTextures(both, 2);
  render::ForgetBoundTexture();
}

TEST_F(TextureCache, TwoTexturesPutTheFirstOnTheSecondUnitUntilOneIsAsked) {
  if (Integer(GL_MAX_TEXTURE_UNITS) < 2) GTEST_SKIP() << "one texture unit";
  const uint32_t first = render::CreateTexture(), second = render::CreateTexture();
  render::BindDrawTextures(true, first, true, second);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), second);
  EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
  glActiveTexture(GL_TEXTURE1);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), first);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glActiveTexture(GL_TEXTURE0);

  render::BindDrawTextures(true, first, false, 0);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_TEXTURE_BINDING_2D)), first);
  glActiveTexture(GL_TEXTURE1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glActiveTexture(GL_TEXTURE0);

  const uint32_t both[2] = {first, second};
  render::DeleteTextures(both, 2);
  render::ForgetBoundTexture();
}

using TextureData = RenderLayer;

// Three texels a row: rows of the read-backs are not padded to four bytes,
// and the pack alignment is the driver's default again afterwards.
TEST_F(TextureData, ReadsBackAsUploadedInBothOrdersWithUnpaddedRows) {
  const uint8_t rgba[2][3][4] = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}},
                                 {{13, 14, 15, 16}, {17, 18, 19, 20}, {21, 22, 23, 24}}};
  const uint32_t texture = render::CreateTexture();
  render::BindTexture(texture);
  render::ResetUnpacking();
  render::SetSampling(render::Filter::Nearest, render::Filter::Nearest);
  render::UploadLevel(0, 3, 2, render::TexelOrder::Rgba, rgba);

  uint8_t bgr[2][3][3] = {};
  render::ReadTextureBgr(texture, bgr);
  uint8_t alpha[2][3] = {};
  render::ReadTextureAlpha(texture, alpha);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(bgr[y][x][0], rgba[y][x][2]) << x << "," << y;
      EXPECT_EQ(bgr[y][x][1], rgba[y][x][1]) << x << "," << y;
      EXPECT_EQ(bgr[y][x][2], rgba[y][x][0]) << x << "," << y;
      EXPECT_EQ(alpha[y][x], rgba[y][x][3]) << x << "," << y;
    }
  EXPECT_EQ(Integer(GL_PACK_ALIGNMENT), 4);

  // BGRA texels land as the same colours.
  const uint8_t bgra[4] = {30, 20, 10, 40};
  render::UploadLevel(0, 1, 1, render::TexelOrder::Bgra, bgra);
  uint8_t back[3] = {};
  render::ReadTextureBgr(texture, back);
  EXPECT_EQ(back[0], 30);
  EXPECT_EQ(back[1], 20);
  EXPECT_EQ(back[2], 10);

  render::DeleteTexture(texture);
  render::ForgetBoundTexture();
}

using TextureTargets = RenderLayer;

TEST_F(TextureTargets, DrawIntoTheTextureAndReadBackExactly) {
  if (!render::CanMakeTextureTargets()) GTEST_SKIP() << "no framebuffer objects";
  const uint32_t texture = render::CreateTexture();
  render::BindTexture(texture);
  render::SetSampling(render::Filter::Nearest, render::Filter::Nearest);
  render::UploadLevel(0, 8, 8, render::TexelOrder::Rgba, nullptr);
  uint32_t framebuffer = 0, depth = 0;
  ASSERT_TRUE(render::CreateTextureTarget(texture, 8, 8, &framebuffer, &depth));
  EXPECT_NE(framebuffer, 0u);
  EXPECT_NE(depth, 0u);
  EXPECT_EQ(static_cast<uint32_t>(Integer(GL_FRAMEBUFFER_BINDING)), framebuffer);

  render::SetViewport(0, 0, 8, 8);
  render::SetClearColour(1, 0, 0, 1);
  render::ClearColour();
  render::SetClearColour(0, 0, 0, 1);
  // Odd width: the read-back rows are three bytes a pixel, unpadded.
  uint8_t rgb[3][3][3] = {};
  render::ReadPixels(2, 2, 3, 3, render::PixelLayout::Rgb, rgb);
  for (auto& row : rgb)
    for (auto& p : row) {
      EXPECT_EQ(p[0], 255);
      EXPECT_EQ(p[1], 0);
      EXPECT_EQ(p[2], 0);
    }
  uint8_t bgra[4] = {};
  render::ReadPixels(0, 0, 1, 1, render::PixelLayout::Bgra, bgra);
  EXPECT_EQ(bgra[0], 0);
  EXPECT_EQ(bgra[2], 255);

  // The texture holds what was drawn.
  uint8_t texel[8][8][3] = {};
  render::ReadTextureBgr(texture, texel);
  EXPECT_EQ(texel[7][7][2], 255);

  render::DeleteTextureTarget(framebuffer, depth);
  render::DeleteTextureTarget(0, 0);
  render::DeleteTexture(texture);
  render::ForgetBoundTexture();
}

}  // namespace
