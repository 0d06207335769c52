// Writing BGR pixel rows (bottom row first) as a 24-bit BMP or an RGBA PNG.
// libpng reports errors by longjmp, so the PNG writer keeps every object
// with a destructor outside the frame that calls setjmp.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "runtime/core/byte_order.h"
#include "runtime/files/file_operations.h"
#include "runtime/gfx2d/gfx2d_internal.h"

namespace gfx2d {
namespace {

bool EndsInPng(const std::string& name) {
  if (name.size() <= 4) return false;
  const char* tail = name.c_str() + name.size() - 4;
  return tail[0] == '.' && (tail[1] | 0x20) == 'p' && (tail[2] | 0x20) == 'n' &&
         (tail[3] | 0x20) == 'g';
}

bool WritePngRows(std::FILE* file, const uint8_t* rgba, int width, int height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(rgba + static_cast<size_t>(y) * width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WriteImageFile(const std::string& name, const uint8_t* pixels, int width, int height,
                    int rowLength) {
  if (name.empty() || fileops::IsMemoryName(name.c_str()) || width <= 0 || height <= 0 || !pixels)
    return false;
  const int32_t key = StoredKeyColour();
  auto isKey = [key](const uint8_t* bgr) {
    return key != kNoColourKey && bgr[2] == (key & 0xFF) && bgr[1] == (key >> 8 & 0xFF) &&
           bgr[0] == (key >> 16 & 0xFF);
  };
  const size_t sourceStride = static_cast<size_t>(rowLength) * 3;
  const std::string path = fileops::SystemPath(name.c_str());

  if (EndsInPng(name)) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = pixels + y * sourceStride;
      uint8_t* out = &rgba[static_cast<size_t>(height - 1 - y) * width * 4];
      for (int x = 0; x < width; ++x, in += 3, out += 4) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = isKey(in) ? 0 : 255;
      }
    }
    return fileops::ReplaceFile(
        path, [&](std::FILE* f) { return WritePngRows(f, rgba.data(), width, height); });
  }

  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> bmp;
  bmp.reserve(54 + stride * height);
  bmp.push_back('B');
  bmp.push_back('M');
  AppendLe32(bmp, static_cast<uint32_t>(stride * height + 54));
  AppendLe16(bmp, 0);
  AppendLe16(bmp, 0);
  AppendLe32(bmp, 54);
  AppendLe32(bmp, 40);
  AppendLe32(bmp, width);
  AppendLe32(bmp, height);
  AppendLe16(bmp, 1);
  AppendLe16(bmp, 24);
  AppendLe32(bmp, 0);
  AppendLe32(bmp, 0);
  AppendLe32(bmp, 10000);
  AppendLe32(bmp, 10000);
  AppendLe32(bmp, 0);
  AppendLe32(bmp, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels + y * sourceStride;
    const size_t rowStart = bmp.size();
    for (int x = 0; x < width; ++x, in += 3) {
      // The key colour is written as the default key, which loads transparent.
      if (isKey(in)) {
        bmp.insert(bmp.end(), {128, 0, 255});
      } else {
        bmp.insert(bmp.end(), in, in + 3);
      }
    }
    bmp.resize(rowStart + stride, 0);  // padding bytes are zero
  }
  return fileops::ReplaceFile(
      path, [&](std::FILE* f) { return std::fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size(); });
}

}  // namespace gfx2d
