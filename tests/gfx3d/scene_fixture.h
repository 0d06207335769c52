// The window, the logical screen and the 2D and 3D renderers up (without
// the rest of the engine) for the 3D tests, objects built in memory, and the
// logical screen read back (and written to a picture for a person to see).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image_builders.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"
#include "runtime/gfx2d/gfx2d_service.h"
#include "runtime/gfx3d/gfx3d_service.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"
#include "runtime/runtime.h"
#include "screen_fixture.h"

namespace scenetest {

// Started in the engine's order: 3D, the archives, then the 2D renderer,
// which clears the screen; shut down 3D first as well.
inline void SharedScene() {
  testenv::SharedScreen({[](const WindowChange& change) {
                           Gfx3dStart();
                           FilesStart(plat::ExecutablePath());
                           Gfx2dStart();
                           Gfx2dWindowChanged(change);
                         },
                         [] {
                           Gfx3dShutdown();
                           Gfx2dBeforePresent();
                           Gfx2dShutdown();
                           FilesShutdown();
                         }});
}

struct Colour {
  int r, g, b;
};

// The logical screen, rows bottom-up, RGB.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;

  Colour At(int x, int yTop) const {
    const size_t i = (static_cast<size_t>(height - 1 - yTop) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  bool operator==(const Picture& o) const { return rgb == o.rgb; }

  void Write(const std::string& path) const {
    testimg::WriteBytes(path, testimg::MakeBottomUpRgbPng(width, height, rgb));
  }
};

inline Picture ReadScreen() {
  Picture p;
  p.width = LogicalScreen().width;
  p.height = LogicalScreen().height;
  p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
  const GLuint source = ScreenReadFramebuffer();
  ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
  BindScreen();
  return p;
}

inline void ClearToBlack() {
  BindScreen();
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A square of half-size s centred on (x, y, z), facing +z, one colour, in
// the text form; one key frame per centre.
struct SquareFrame {
  float x, y, z, s;
};
inline std::string SquareObject(const std::vector<SquareFrame>& frames, Colour c) {
  std::string t = "DDDA 1.0 4 0 0 1 0 1 1 0 1 1 ";
  t += std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b);
  t += " 6 0 0 1 1 2 2 0 0 2 2 3 3 " + std::to_string(frames.size());
  for (const SquareFrame& f : frames) {
    t += " 4";
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& k : corners) {
      t += " " + std::to_string(f.x + k[0] * f.s) + " " + std::to_string(f.y + k[1] * f.s) + " " +
           std::to_string(f.z);
    }
  }
  return t;
}

// A 24-bit BMP of size x size pixels: left half colour a, right half b
// (packed red | green << 8 | blue << 16).
inline std::string HalvesBmp(int size, uint32_t a, uint32_t b) {
  const std::vector<uint8_t> bmp =
      testimg::MakeBmp24(size, size, [&](int x, int) { return x < size / 2 ? a : b; });
  return std::string(bmp.begin(), bmp.end());
}

// Loads object text or bytes into slot n through an in-memory name.
inline void LoadObject(int n, const std::string& bytes) {
  const std::string name = MemoryName(bytes.data(), bytes.size());
  ObjectFromFile(RtString(name.c_str()), n);
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedScene();
    ClearToBlack();
  }
  void TearDown() override {
    EndScene3D();
    SelectShader(-1);
    gfx3d::FreeAllObjects();
  }
};

}  // namespace scenetest
