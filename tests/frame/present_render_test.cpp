// What the player sees: the logical screen scaled into the window by a whole
// factor with nearest filtering and black borders. The composed window is
// also written to present_300x200_in_640x480.png for a person to look at.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "engine_fixture.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace {

void WritePng(const char* path, int w, int h, const std::vector<unsigned char>& rgbBottomUp) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = h - 1; y >= 0; --y)
    png_write_row(png, const_cast<png_bytep>(&rgbBottomUp[static_cast<size_t>(y) * w * 3]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// Fills a rectangle of the logical screen given in top-left coordinates.
void Fill(Renderer*, int x, int y, int w, int h, float red, float green, float blue) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, LogicalScreen().height - y - h, w, h);
  glClearColor(red, green, blue, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 0);
}

TEST(Presenting, ScalesByTheLargestWholeFactorWithBlackBorders) {
  Renderer* r = testenv::SharedEngine();
  int dw = 0, dh = 0;
  plat::GetDrawableSize(r->window, &dw, &dh);
  ASSERT_EQ(dw, 640);  // the windowed size for 320 x 240 on the offscreen desktop
  ASSERT_EQ(dh, 480);

  // A 300 x 200 screen fits twice (not three times) into 640 x 480, leaving
  // borders on all four sides.
  ASSERT_TRUE(CreateScreenBuffer(300, 200));
  Fill(r, 0, 0, 150, 200, 1, 0, 0);
  Fill(r, 150, 0, 150, 200, 0, 0, 1);
  Fill(r, 0, 0, 1, 1, 1, 1, 1);      // top-left pixel
  Fill(r, 299, 199, 1, 1, 0, 1, 0);  // bottom-right pixel
  ComposeWindow(r->window);

  EXPECT_EQ(LogicalScreen().viewW, 600);
  EXPECT_EQ(LogicalScreen().viewH, 400);
  EXPECT_EQ(LogicalScreen().viewX, 20);
  EXPECT_EQ(LogicalScreen().viewY, 40);

  std::vector<unsigned char> px(static_cast<size_t>(dw) * dh * 3);
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, dw, dh, GL_RGB, GL_UNSIGNED_BYTE, px.data());
  WritePng("present_300x200_in_640x480.png", dw, dh, px);
  auto at = [&](int x, int yTop) {
    const size_t i = (static_cast<size_t>(dh - 1 - yTop) * dw + x) * 3;
    return (px[i] << 16) | (px[i + 1] << 8) | px[i + 2];
  };
  // Each logical pixel is a crisp 2 x 2 block.
  EXPECT_EQ(at(20, 40), 0xFFFFFF);
  EXPECT_EQ(at(21, 41), 0xFFFFFF);
  EXPECT_EQ(at(22, 40), 0xFF0000);
  EXPECT_EQ(at(20 + 599, 40 + 399), 0x00FF00);
  EXPECT_EQ(at(20 + 598, 40 + 398), 0x00FF00);
  EXPECT_EQ(at(20 + 597, 40 + 397), 0x0000FF);
  EXPECT_EQ(at(20 + 299, 200), 0xFF0000);
  EXPECT_EQ(at(20 + 300, 200), 0x0000FF);
  // Borders stay black on every side.
  EXPECT_EQ(at(19, 200), 0);
  EXPECT_EQ(at(20 + 600, 200), 0);
  EXPECT_EQ(at(300, 39), 0);
  EXPECT_EQ(at(300, 40 + 400), 0);

  ASSERT_TRUE(CreateScreenBuffer(320, 240));
}

}  // namespace
