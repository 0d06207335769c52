// BMP files as the sprite loader decodes them: the same entry takes any
// bytes, tries the BMP reader and then the PNG reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/gfx2d/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  gfx2d::ImageBuffer image;
  // One call keys magenta out, as sprites are loaded; the other keys nothing.
  if (gfx2d::DecodeImageBytes(bytes, "fuzz.bmp", 0xFF00FF, image) &&
      image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4)
    __builtin_trap();
  gfx2d::DecodeImageBytes(bytes, "fuzz.bmp", -1, image);
  return 0;
}
