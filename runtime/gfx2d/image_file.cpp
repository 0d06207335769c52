#include <cstdio>
#include <new>

#include "runtime/files/file_stream.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/texture_upload.h"
#include "runtime/platform/whole_file.h"

namespace gfx2d {
namespace {

// No image within the texture limit needs a larger file: 16384 x 16384
// RGBA stored without compression is 1 GiB plus a little framing. A bigger
// file is refused before its bytes are read into memory.
constexpr long kMaxImageFileBytes = 5L << 28;  // 1.25 GiB

}  // namespace

bool ReadImageBytes(const char* name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (!name || !*name) return false;
  if (IsMemoryName(name)) {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    if (!ParseMemoryName(name, &data, &size) || size < 0) return false;
    bytes.assign(data, data + size);
    return true;
  }
  return plat::ReadWholeFile(SystemPath(name), bytes, uint64_t(kMaxImageFileBytes));
}

bool LoadImageFile(const char* name, int32_t key, ImageBuffer& image) {
  std::vector<uint8_t> bytes;
  return ReadImageBytes(name, bytes) && DecodeImageBytes(bytes, name, key, image);
}

bool DecodeImageBytes(const std::vector<uint8_t>& bytes, const char* name, int32_t key,
                      ImageBuffer& image) {
  const int maxSide = MaxTextureSize();
  return DecodeBmp(bytes.data(), bytes.size(), key, maxSide, image) ||
         DecodePng(bytes.data(), bytes.size(), name, key, maxSide, image);
}

}  // namespace gfx2d
