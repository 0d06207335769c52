// Builds image files in memory for the tests, benchmarks and examples: BMPs
// with any header values (so hostile ones too) and PNGs through libpng's
// writer.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "runtime/core/byte_order.h"

namespace testimg {

struct BmpFields {
  int32_t width = 2, height = 2;
  uint16_t bitCount = 24;
  uint32_t headerSize = 40;
  uint32_t compression = 0;
  // Palette entries as 0xRRGGBB; written 4 bytes each (3 for core headers).
  std::vector<uint32_t> palette;
  // Overrides the computed pixel data offset when nonzero.
  uint32_t pixelOffset = 0;
  // Raw pixel rows as stored in the file (bottom-up unless height < 0).
  std::vector<uint8_t> pixelData;
};

inline std::vector<uint8_t> MakeBmp(const BmpFields& s) {
  const bool core = s.headerSize == 12;
  const uint32_t paletteBytes = static_cast<uint32_t>(s.palette.size()) * (core ? 3 : 4);
  const uint32_t offset = s.pixelOffset ? s.pixelOffset : 14 + s.headerSize + paletteBytes;
  std::vector<uint8_t> b = {'B', 'M'};
  AppendLe32(b, static_cast<uint32_t>(offset + s.pixelData.size()));
  AppendLe32(b, 0);
  AppendLe32(b, offset);
  AppendLe32(b, s.headerSize);
  if (core) {
    AppendLe16(b, static_cast<uint16_t>(s.width));
    AppendLe16(b, static_cast<uint16_t>(s.height));
    AppendLe16(b, 1);
    AppendLe16(b, s.bitCount);
  } else {
    AppendLe32(b, static_cast<uint32_t>(s.width));
    AppendLe32(b, static_cast<uint32_t>(s.height));
    AppendLe16(b, 1);
    AppendLe16(b, s.bitCount);
    AppendLe32(b, s.compression);
    for (int i = 0; i < 5; ++i) AppendLe32(b, 0);
    for (uint32_t i = 40; i < s.headerSize; ++i) b.push_back(0);
  }
  for (uint32_t c : s.palette) {
    b.push_back(c & 0xFF);
    b.push_back(c >> 8 & 0xFF);
    b.push_back(c >> 16 & 0xFF);
    if (!core) b.push_back(0);
  }
  b.insert(b.end(), s.pixelData.begin(), s.pixelData.end());
  return b;
}

// A 24-bit BMP; colour(x, y) gives 0xBBGGRR (packed like the runtime's
// colours) for pixel column x, row y from the top.
inline std::vector<uint8_t> MakeBmp24(int w, int h,
                                      const std::function<uint32_t(int, int)>& colour) {
  BmpFields s;
  s.width = w;
  s.height = h;
  const int stride = (w * 3 + 3) / 4 * 4;
  s.pixelData.assign(static_cast<size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      uint8_t* p = &s.pixelData[static_cast<size_t>(h - 1 - y) * stride + x * 3];
      p[0] = c >> 16 & 0xFF;  // blue
      p[1] = c >> 8 & 0xFF;
      p[2] = c & 0xFF;
    }
  return MakeBmp(s);
}

struct PngFields {
  int width = 2, height = 2;
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_RGB;
  bool interlaced = false;
  std::vector<uint8_t> rows;  // packed rows as libpng expects them
  std::vector<png_color> palette;
  std::vector<uint8_t> transparency;  // tRNS alphas for a palette image
};

// Points libpng's writer at out: every byte it writes is appended.
inline void WritePngInto(png_structp png, std::vector<uint8_t>* out) {
  png_set_write_fn(
      png, out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
}

inline std::vector<uint8_t> MakePng(const PngFields& s) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  WritePngInto(png, &out);
  png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty())
    png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
  if (!s.transparency.empty())
    png_set_tRNS(png, info, s.transparency.data(), static_cast<int>(s.transparency.size()),
                 nullptr);
  png_write_info(png, info);
  const size_t rowBytes = s.rows.size() / s.height;
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < s.height; ++y)
      png_write_row(png, const_cast<png_bytep>(&s.rows[y * rowBytes]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// An RGB PNG of rows stored bottom-up, the order GL reads pixels back in.
inline std::vector<uint8_t> MakeBottomUpRgbPng(int width, int height,
                                               const std::vector<uint8_t>& rgb) {
  PngFields s;
  s.width = width;
  s.height = height;
  const size_t row = static_cast<size_t>(width) * 3;
  for (int y = height - 1; y >= 0; --y) {
    const auto start = rgb.begin() + static_cast<std::ptrdiff_t>(y * row);
    s.rows.insert(s.rows.end(), start, start + static_cast<std::ptrdiff_t>(row));
  }
  return MakePng(s);
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testimg
