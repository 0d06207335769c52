// Uncompressed BMP files with core (12-byte) or info (40-byte) headers.
// Every size is checked against the bytes present before it is used, so a
// crafted header can neither read outside the file nor ask for a huge buffer
// the file could not fill.
#include <cstring>
#include <new>

#include "runtime/core/byte_order.h"
#include "runtime/core/load_budget.h"
#include "runtime/gfx2d/gfx2d_state.h"
#include "runtime/gfx2d/image_decode.h"

namespace gfx2d {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

struct BmpHeader {
  uint32_t pixelOffset = 0;
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // negative: rows stored top-down
  uint16_t bitCount = 0;
  uint32_t compression = 0;
};

bool ParseHeader(const uint8_t* data, size_t size, BmpHeader& h) {
  if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
  h.pixelOffset = LoadLe32(data + 10);
  h.headerSize = LoadLe32(data + 14);
  if (h.headerSize != kCoreHeaderSize && h.headerSize != kInfoHeaderSize) return false;
  if (kFileHeaderSize + h.headerSize > h.pixelOffset || h.pixelOffset > size) return false;
  const uint8_t* p = data + kFileHeaderSize;
  if (h.headerSize == kCoreHeaderSize) {
    h.width = LoadLe16(p + 4);
    h.height = LoadLe16(p + 6);
    h.bitCount = LoadLe16(p + 10);
  } else {
    h.width = static_cast<int32_t>(LoadLe32(p + 4));
    h.height = static_cast<int32_t>(LoadLe32(p + 8));
    h.bitCount = LoadLe16(p + 14);
    h.compression = LoadLe32(p + 16);
  }
  return true;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, int32_t key, int maxSide, ImageBuffer& image) {
  BmpHeader h;
  if (!data || !ParseHeader(data, size, h)) return false;
  const int bpp = h.bitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  // Run-length and bit-field files would decode as noise; refuse them.
  if (h.compression != 0) return false;
  const bool topDown = h.height < 0;
  const int64_t width = h.width;
  const int64_t height = topDown ? -h.height : h.height;
  if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return false;

  // Indices past a short palette read black rather than past the table.
  uint8_t palette[256][3] = {};
  if (bpp <= 8) {
    const size_t entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
    const size_t paletteStart = kFileHeaderSize + h.headerSize;
    size_t entries = (h.pixelOffset - paletteStart) / entrySize;
    if (entries > (1u << bpp)) entries = 1u << bpp;
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* e = data + paletteStart + i * entrySize;
      palette[i][0] = e[2];  // stored blue, green, red
      palette[i][1] = e[1];
      palette[i][2] = e[0];
    }
  }

  const uint64_t stride = ((static_cast<uint64_t>(bpp) * width + 31) / 32) * 4;
  if (stride * static_cast<uint64_t>(height) > size - h.pixelOffset) return false;
  const uint8_t* pixelData = data + h.pixelOffset;
  // A bit a pixel in the file becomes four bytes in the picture.
  if (!budget::Fits("image", nullptr, static_cast<uint64_t>(width * height * 4),
                    budget::kImageBytes)) {
    return false;
  }

  try {
    image.pixels.assign(static_cast<size_t>(width * height * 4), 0);
  } catch (const std::bad_alloc&) {
    image = ImageBuffer{};
    return false;
  }
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  for (int64_t y = 0; y < height; ++y) {
    const int64_t fileRow = topDown ? y : height - 1 - y;
    const uint8_t* row = pixelData + fileRow * stride;
    uint8_t* out = image.Pixel(0, static_cast<int>(y));
    for (int64_t x = 0; x < width; ++x, out += 4) {
      if (bpp <= 8) {
        int index;
        if (bpp == 1)
          index = row[x / 8] >> (7 - x % 8) & 1;
        else if (bpp == 4)
          index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        else
          index = row[x];
        std::memcpy(out, palette[index], 3);
      } else {
        const uint8_t* px = row + x * (bpp / 8);
        out[0] = px[2];
        out[1] = px[1];
        out[2] = px[0];
      }
      out[3] = 255;
      if (key != kNoColourKey && (out[0] | out[1] << 8 | out[2] << 16) == key)
        std::memset(out, 0, 4);
    }
  }
  return true;
}

}  // namespace gfx2d
