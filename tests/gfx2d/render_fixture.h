// The window, the logical screen and the 2D renderer up (without the rest
// of the engine), a fresh black screen per test,
// and the finished picture of every test written to gfx2d_pictures/ for a
// person to look at.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image_builders.h"
#include "runtime/files/files_service.h"
#include "runtime/gfx2d/gfx2d_service.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"
#include "runtime/runtime.h"
#include "screen_fixture.h"

class Render2d : public testing::Test {
 public:
  static void SetUpTestSuite() {
    testenv::SharedScreen({[](const WindowChange& change) {
                             FilesStart(plat::ExecutablePath());
                             Gfx2dStart();
                             Gfx2dWindowChanged(change);
                           },
                           [] {
                             Gfx2dBeforePresent();
                             Gfx2dShutdown();
                             FilesShutdown();
                           }});
  }

  void SetUp() override {
    SelectSurface(-1);
    SetColourKey(0x8000FF);
    Gfx2dFrame();
    ClearScreen();
  }

  void TearDown() override {
    std::filesystem::create_directories("gfx2d_pictures");
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name =
        std::string("gfx2d_pictures/") + info->test_suite_name() + "_" + info->name() + ".png";
    SelectSurface(-1);
    ScreenToFile(RtString(name.c_str()));
  }

  // The logical screen as packed colours, read in one go.
  static std::vector<uint32_t> Screen() {
    const int w = LogicalScreen().width, h = LogicalScreen().height;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    ext::glBindFramebuffer(GL_FRAMEBUFFER, LogicalScreen().fbo);
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = &rgb[(static_cast<size_t>(h - 1 - y) * w + x) * 3];
        out[static_cast<size_t>(y) * w + x] = p[0] | p[1] << 8 | p[2] << 16;
      }
    return out;
  }
  static int Width() { return LogicalScreen().width; }
  static int Height() { return LogicalScreen().height; }
  static uint32_t At(const std::vector<uint32_t>& s, int x, int y) {
    return s[static_cast<size_t>(y) * Width() + x];
  }
  // The smallest rectangle holding every pixel that differs from colour.
  struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  };
  static Box PaintedBox(const std::vector<uint32_t>& s, uint32_t background = 0) {
    Box b;
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        if (At(s, x, y) != background) {
          b.left = std::min(b.left, x);
          b.right = std::max(b.right, x);
          b.top = std::min(b.top, y);
          b.bottom = std::max(b.bottom, y);
        }
    return b;
  }

  static std::string TempPath(const std::string& name) {
    return testenv::PrivateTempDir() + "/" + name;
  }
  // Writes a 24-bit BMP (colour(x, y) packed like the runtime's colours)
  // and loads it into the slot.
  static bool LoadBmp(int slot, int w, int h, const std::function<uint32_t(int, int)>& colour) {
    const std::string path = TempPath("sprite_" + std::to_string(slot) + ".bmp");
    testimg::WriteBytes(path, testimg::MakeBmp24(w, h, colour));
    return SpriteFromFile(RtString(path.c_str()), slot);
  }
  // An RGBA PNG with every pixel the same.
  static bool LoadRgbaPng(int slot, int w, int h, uint32_t rgba) {
    testimg::PngFields s;
    s.width = w;
    s.height = h;
    s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < w * h; ++i)
      s.rows.insert(s.rows.end(),
                    {uint8_t(rgba >> 24), uint8_t(rgba >> 16), uint8_t(rgba >> 8), uint8_t(rgba)});
    const std::string path = TempPath("rgba_" + std::to_string(slot) + ".png");
    testimg::WriteBytes(path, testimg::MakePng(s));
    return SpriteFromFile(RtString(path.c_str()), slot);
  }
};
