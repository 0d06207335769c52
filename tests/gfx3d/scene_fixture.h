// A started engine for the 3D tests, objects built in memory, and the
// logical screen read back (and written to a picture for a person to see).
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "runtime/files/file_stream.h"
#include "runtime/gfx3d/gfx3d_state.h"
#include "runtime/gfx3d/object_store.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace scenetest {

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
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
      png_destroy_write_struct(&png, &info);
      std::fclose(f);
      return;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
      png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(y) * width * 3]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
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
  const int row = size * 3;
  std::string bmp(54 + static_cast<size_t>(row) * size, '\0');
  auto put32 = [&](int at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bmp[at + k] = static_cast<char>(v >> (8 * k));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, size);
  put32(22, size);
  bmp[26] = 1;
  bmp[28] = 24;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint32_t c = x < size / 2 ? a : b;
      char* p = &bmp[54 + y * row + x * 3];
      p[0] = static_cast<char>(c >> 16);
      p[1] = static_cast<char>(c >> 8);
      p[2] = static_cast<char>(c);
    }
  }
  return bmp;
}

// Loads object text or bytes into slot n through an in-memory name.
inline void LoadObject(int n, const std::string& bytes) {
  const std::string name = MemoryName(bytes.data(), bytes.size());
  ObjectFromFile(RtString(name.c_str()), n);
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::SharedEngine();
    ClearToBlack();
  }
  void TearDown() override {
    EndScene3D();
    SelectShader(-1);
    gfx3d::FreeAllObjects();
  }
};

}  // namespace scenetest
