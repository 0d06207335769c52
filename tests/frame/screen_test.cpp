// The logical screen: its framebuffer, its presentation in the window and
// the switches between full screen and a window.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace {

void ReadScreenPixel(Renderer*, int x, int y, unsigned char rgba[4]) {
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  BindScreen();
}

TEST(LogicalScreen, IsAnRgbBufferOfTheProgramsSize) {
  Renderer* r = testenv::SharedEngine();
  EXPECT_EQ(LogicalScreen().width, 320);
  EXPECT_EQ(LogicalScreen().height, 240);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 320);
  EXPECT_EQ(viewport[3], 240);

  glClearColor(0.2f, 0.4f, 0.6f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char px[4];
  ReadScreenPixel(r, 319, 239, px);
  EXPECT_NEAR(px[0], 51, 1);
  EXPECT_NEAR(px[1], 102, 1);
  EXPECT_NEAR(px[2], 153, 1);
  // No alpha channel: whatever is drawn reads back opaque, so screen grabs
  // must use the colour key.
  EXPECT_EQ(px[3], 255);
  glClearColor(0, 0, 0, 0);
}

TEST(LogicalScreen, PresentingScalesByAWholeFactorAndCentres) {
  Renderer* r = testenv::SharedEngine();
  ShowScreen(r->window);
  int dw = 0, dh = 0;
  plat::GetDrawableSize(r->window, &dw, &dh);
  ASSERT_GT(LogicalScreen().viewW, 0);
  EXPECT_EQ(LogicalScreen().viewW % 320, 0);
  EXPECT_EQ(LogicalScreen().viewW / 320, LogicalScreen().viewH / 240);
  EXPECT_EQ(LogicalScreen().viewX, (dw - LogicalScreen().viewW) / 2);
  EXPECT_EQ(LogicalScreen().viewY, (dh - LogicalScreen().viewH) / 2);

  const int s = LogicalScreen().viewW / 320;
  int lx = 0, ly = 0;
  WindowToLogical(LogicalScreen().viewX, LogicalScreen().viewY, &lx, &ly);
  EXPECT_EQ(lx, 0);
  EXPECT_EQ(ly, 0);
  WindowToLogical(LogicalScreen().viewX + 160 * s + s - 1, LogicalScreen().viewY + 120 * s, &lx,
                  &ly);
  EXPECT_EQ(lx, 160);
  EXPECT_EQ(ly, 120);
  WindowToLogical(LogicalScreen().viewX - 1, LogicalScreen().viewY - 1, &lx, &ly);
  EXPECT_EQ(lx, -1);
  EXPECT_EQ(ly, -1);
}

TEST(LogicalScreen, WindowedSizeIsTheLargestWholeScaleInsideMostOfTheDesktop) {
  Renderer* r = testenv::SharedEngine();
  int cw = 0, ch = 0, dw = 0, dh = 0, bits = 0;
  r->WindowedClientSize(&cw, &ch);
  plat::GetDesktopMode(&dw, &dh, &bits);
  const int s = cw / 320;
  EXPECT_EQ(cw, 320 * s);
  EXPECT_EQ(ch, 240 * s);
  EXPECT_LE(cw, dw * 8 / 10 + 320 * (s == 1));
  EXPECT_GT(320 * (s + 1), dw * 8 / 10 < dh * 8 / 10 * 4 / 3 ? dw * 8 / 10 : dh * 8 / 10 * 4 / 3);
}

TEST(ScreenMode, AltEnterTogglesFullScreenAndKeepsTheContext) {
  Renderer* r = testenv::SharedEngine();
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glBindTexture(GL_TEXTURE_2D, 0);

  plat::WindowEvent altEnter;
  altEnter.kind = plat::WindowEvent::kKeyDown;
  altEnter.key = 28;
  altEnter.alt = true;
  plat::PostEvent(altEnter);
  EndFrame();
  EXPECT_EQ(IsFullScreen(), 1);
  EXPECT_EQ(CurrentProjectSettings().fullScreen, 1);
  EXPECT_EQ(g_engine.window, r->window);

  plat::PostEvent(altEnter);
  EndFrame();
  EXPECT_EQ(IsFullScreen(), 0);
  EXPECT_TRUE(glIsTexture(tex));
  glDeleteTextures(1, &tex);

  // A held key repeats; only the first press switches.
  altEnter.repeat = true;
  plat::PostEvent(altEnter);
  EndFrame();
  EXPECT_EQ(IsFullScreen(), 0);
}

TEST(ScreenMode, SetScreenModeResizesTheLogicalScreen) {
  Renderer* r = testenv::SharedEngine();
  SetScreenMode(400, 300, 0);
  EXPECT_EQ(LogicalScreen().width, 400);
  EXPECT_EQ(LogicalScreen().height, 300);
  EXPECT_EQ(CurrentProjectSettings().screenWidth, 400);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char px[4];
  ReadScreenPixel(r, 399, 299, px);
  EXPECT_EQ(px[0], 255);
  glClearColor(0, 0, 0, 0);
  // Zero keeps the current size.
  SetScreenMode(0, 0, 0);
  EXPECT_EQ(LogicalScreen().width, 400);
  SetScreenMode(320, 240, 0);
  EXPECT_EQ(LogicalScreen().width, 320);
}

TEST(SoftwareRenderer, MesaRasterisersCountAsSoftware) {
  EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(IsSoftwareRenderer("softpipe"));
  EXPECT_TRUE(IsSoftwareRenderer("Mesa Windows GDI Driver"));
  EXPECT_FALSE(IsSoftwareRenderer("Mesa Intel(R) UHD Graphics 620"));
  EXPECT_FALSE(IsSoftwareRenderer(nullptr));
}

}  // namespace
