// Decoding image files (BMP, then PNG; never chosen by extension) into RGBA
// buffers, with one colour turned transparent by the colour key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gfx2d {

// A decoded image: 4 bytes per pixel (red, green, blue, alpha), top row
// first, no row padding.
struct ImageBuffer {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;

  uint8_t* Pixel(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* Pixel(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * 4];
  }
};

// Whole contents of a disk file or a "mem://" file.
bool ReadImageBytes(const char* name, std::vector<uint8_t>& bytes);

// Each decoder fails (false) on anything it cannot read completely, on
// images wider or higher than maxSide, and on images whose decoding would
// hold more than budget::kImageBytes (checked from the header, before any
// pixel memory is allocated; the refusal is logged). key -1 keys nothing.
bool DecodeBmp(const uint8_t* data, size_t size, int32_t key, int maxSide, ImageBuffer& image);
// name is unused (failures print nothing; the loading commands report them
// in the error log).
bool DecodePng(const uint8_t* data, size_t size, const char* name, int32_t key, int maxSide,
               ImageBuffer& image);

// The BMP reader, then the PNG reader on the same bytes.
bool LoadImageFile(const char* name, int32_t key, ImageBuffer& image);
bool DecodeImageBytes(const std::vector<uint8_t>& bytes, const char* name, int32_t key,
                      ImageBuffer& image);

}  // namespace gfx2d
