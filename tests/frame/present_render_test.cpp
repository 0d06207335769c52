// What the player sees: the logical screen scaled into the window by a whole
// factor with nearest filtering and black borders. The composed window is
// also written to present_300x200_in_640x480.png for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine_fixture.h"
#include "image_builders.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/gfx2d/primitives.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace {

// Fills a rectangle of the logical screen given in top-left coordinates.
void Fill(Renderer*, int x, int y, int w, int h, float red, float green, float blue) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, LogicalScreen().height - y - h, w, h);
  glClearColor(red, green, blue, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 0);
}

std::vector<unsigned char> ReadWindow(int dw, int dh) {
  std::vector<unsigned char> px(static_cast<size_t>(dw) * dh * 3);
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, dw, dh, GL_RGB, GL_UNSIGNED_BYTE, px.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return px;
}

// The 0xRRGGBB colour at (x, yTop), counted from the top, of a bottom-up
// RGB read of a w x h window.
int RgbAt(const std::vector<unsigned char>& px, int w, int h, int x, int yTop) {
  const size_t i = (static_cast<size_t>(h - 1 - yTop) * w + x) * 3;
  return (px[i] << 16) | (px[i + 1] << 8) | px[i + 2];
}

// The program's 320 x 240 screen again, with the 2D state set for it: the
// tests draw with GL of their own on screens of other sizes, and a later
// test in the same process must not draw through their projection.
bool RestoreProgramScreen() {
  if (!CreateScreenBuffer(320, 240)) return false;
  SetDrawArea(0, 0, 0, 0);
  return true;
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

  const std::vector<unsigned char> px = ReadWindow(dw, dh);
  testimg::WriteBytes("present_300x200_in_640x480.png", testimg::MakeBottomUpRgbPng(dw, dh, px));
  auto at = [&](int x, int yTop) { return RgbAt(px, dw, dh, x, yTop); };
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

  ASSERT_TRUE(RestoreProgramScreen());
}

std::vector<unsigned char> ReadScreen() {
  const ScreenBuffer& s = LogicalScreen();
  std::vector<unsigned char> px(static_cast<size_t>(s.width) * s.height * 3);
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, s.width, s.height, GL_RGB, GL_UNSIGNED_BYTE, px.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  BindScreen();
  return px;
}

// A frame that uses colour, depth and stencil, so drawing straight into the
// window can be compared with drawing through the framebuffer object.
void DrawTestFrame(int w, int h) {
  Fill(nullptr, 0, 0, w / 2, h, 0.2f, 0.4f, 0.6f);
  Fill(nullptr, w / 4, h / 4, 1, 1, 1, 1, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_STENCIL_TEST);
  glClear(GL_STENCIL_BUFFER_BIT);
  // A near red square, then a far green one over it: depth keeps the red
  // where they overlap; the stencil marks the red.
  glStencilFunc(GL_ALWAYS, 1, 0xFF);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  auto quad = [](float x, float y, float size, float z) {
    glBegin(GL_QUADS);
    glVertex3f(x, y, z);
    glVertex3f(x + size, y, z);
    glVertex3f(x + size, y + size, z);
    glVertex3f(x, y + size, z);
    glEnd();
  };
  glColor3f(1, 0, 0);
  quad(10, 10, 40, 0.5f);
  glStencilFunc(GL_NOTEQUAL, 1, 0xFF);
  glColor3f(0, 1, 0);
  quad(30, 30, 40, -0.5f);
  // Blending with the destination's alpha reads 1 in both, as from a buffer
  // without alpha.
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_ALPHA, GL_ZERO);
  glColor3f(0, 0, 1);
  quad(100, 10, 20, 0);
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
}

TEST(Presenting, AScreenTheWindowShowsOneToOneIsDrawnInTheWindowItself) {
  Renderer* r = testenv::SharedEngine();
  int dw = 0, dh = 0;
  plat::GetDrawableSize(r->window, &dw, &dh);
  ScreenBuffer& s = LogicalScreen();

  // Reference: the same frame through the framebuffer object and the copy.
  ASSERT_TRUE(CreateScreenBuffer(dw, dh));
  s.allowDirect = false;
  ShowScreen(r->window);
  ASSERT_FALSE(s.direct);
  DrawTestFrame(dw, dh);
  const std::vector<unsigned char> viaCopyScreen = ReadScreen();
  ComposeWindow(r->window);
  const std::vector<unsigned char> viaCopy = ReadWindow(dw, dh);

  s.allowDirect = true;
  ShowScreen(r->window);
  ASSERT_TRUE(s.windowMatches);
  ASSERT_TRUE(s.direct);
  EXPECT_EQ(ScreenReadFramebuffer(), 0u);
  // The frame starts blank.
  const std::vector<unsigned char> blank = ReadScreen();
  EXPECT_TRUE(std::all_of(blank.begin(), blank.end(), [](unsigned char c) { return c == 0; }));
  DrawTestFrame(dw, dh);
  EXPECT_EQ(ReadScreen(), viaCopyScreen);
  ComposeWindow(r->window);
  const std::vector<unsigned char> direct = ReadWindow(dw, dh);
  EXPECT_EQ(direct, viaCopy);
  EXPECT_EQ(s.viewX, 0);
  EXPECT_EQ(s.viewW, dw);
  // The red square's corner kept its red (the depth test), the green one
  // shows beside it, the blue one kept full strength.
  auto at = [&](int x, int yTop) { return RgbAt(direct, dw, dh, x, yTop); };
  EXPECT_EQ(at(45, 45), 0xFF0000);
  EXPECT_EQ(at(60, 60), 0x00FF00);
  EXPECT_EQ(at(110, 15), 0x0000FF);

  // A screen of another size goes back through the copy.
  ASSERT_TRUE(RestoreProgramScreen());
  ShowScreen(r->window);
  EXPECT_FALSE(s.direct);
}

TEST(Presenting, AWindowResizedInTheMiddleOfADirectFrameStillShowsThatFrame) {
  Renderer* r = testenv::SharedEngine();
  int dw = 0, dh = 0;
  plat::GetDrawableSize(r->window, &dw, &dh);
  ScreenBuffer& s = LogicalScreen();
  ASSERT_TRUE(CreateScreenBuffer(dw, dh));
  ShowScreen(r->window);
  ASSERT_TRUE(s.direct);
  Fill(r, 0, 0, dw / 2, dh, 1, 0, 0);
  Fill(r, dw / 2, 0, dw - dw / 2, dh, 0, 0, 1);

  // The window is made half as large mid-frame: the frame is shown whole,
  // shrunk.
  plat::SetWindowClientSize(r->window, dw / 2, dh / 2);
  int nw = 0, nh = 0;
  plat::GetDrawableSize(r->window, &nw, &nh);
  if (nw == dw && nh == dh) {
    plat::SetWindowClientSize(r->window, dw, dh);
    ASSERT_TRUE(RestoreProgramScreen());
    GTEST_SKIP() << "this video driver does not resize its drawable";
  }
  ComposeWindow(r->window);
  EXPECT_FALSE(s.direct);
  const std::vector<unsigned char> px = ReadWindow(nw, nh);
  auto at = [&](int x, int yTop) { return RgbAt(px, nw, nh, x, yTop); };
  EXPECT_EQ(at(s.viewX + 1, s.viewY + 1), 0xFF0000);
  EXPECT_EQ(at(s.viewX + s.viewW - 2, s.viewY + s.viewH - 2), 0x0000FF);

  plat::SetWindowClientSize(r->window, dw, dh);
  ASSERT_TRUE(RestoreProgramScreen());
  ShowScreen(r->window);
}

}  // namespace
