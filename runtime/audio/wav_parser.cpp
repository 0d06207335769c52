#include "runtime/audio/wav_parser.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "runtime/core/byte_order.h"
#include "runtime/files/file_stream.h"

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr int kMaxChannels = 8;

struct Chunk {
  const uint8_t* id = nullptr;
  size_t bodyOffset = 0;
  uint32_t declaredSize = 0;
};

// Walks the chunk headers from offset; false once no complete header is left.
bool NextChunk(const uint8_t* bytes, size_t size, size_t& offset, Chunk& chunk) {
  if (offset > size || size - offset < 8) return false;
  chunk.id = bytes + offset;
  chunk.declaredSize = LoadLe32(bytes + offset + 4);
  chunk.bodyOffset = offset + 8;
  // RIFF keeps every chunk on an even offset: an odd body is followed by a
  // pad byte that belongs to no chunk.
  const uint64_t next =
      static_cast<uint64_t>(chunk.bodyOffset) + chunk.declaredSize + (chunk.declaredSize & 1u);
  offset = next > size ? size + 1 : static_cast<size_t>(next);
  return true;
}

// Maps the format fields to a layout the converter takes, or says why not.
WaveStatus LayoutFor(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits,
                     const uint8_t* fmt, uint32_t fmtSize, plat::PcmLayout& out) {
  if (channels == 0 || rate == 0 || align == 0 || bits == 0) return WaveStatus::kBadFormat;
  if (tag == kTagExtensible) {
    // The real tag is the start of the sub-format GUID.
    if (fmtSize < 40) return WaveStatus::kBadFormat;
    tag = LoadLe16(fmt + 24);
  }
  if (tag != kTagPcm && tag != kTagFloat) return WaveStatus::kNotPcm;
  using E = plat::PcmLayout::Encoding;
  if (tag == kTagFloat) {
    if (bits != 32) return WaveStatus::kNotPcm;
    out.encoding = E::kFloat32;
  } else {
    switch (bits) {
      case 8:
        out.encoding = E::kUnsigned8;
        break;
      case 16:
        out.encoding = E::kSigned16;
        break;
      case 24:
        out.encoding = E::kSigned24;
        break;
      case 32:
        out.encoding = E::kSigned32;
        break;
      default:
        return WaveStatus::kBadFormat;
    }
  }
  if (channels > kMaxChannels) return WaveStatus::kBadFormat;
  // A block align that disagrees with channels x sample size would make us
  // read the samples out of step.
  if (align != channels * (bits / 8)) return WaveStatus::kBadFormat;
  // Rates beyond any real recording only make the converter allocate huge
  // or tiny buffers.
  if (rate < 1000 || rate > 384000) return WaveStatus::kBadFormat;
  out.channels = channels;
  out.rate = static_cast<int>(rate);
  return WaveStatus::kOk;
}

}  // namespace

WaveStatus ParseWave(const uint8_t* bytes, size_t size, WaveSound& out) {
  out = WaveSound{};
  if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
      std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    return WaveStatus::kNotRiffWave;
  }
  size_t offset = 12;
  Chunk chunk;
  bool haveFormat = false;
  while (NextChunk(bytes, size, offset, chunk)) {
    if (std::memcmp(chunk.id, "fmt ", 4) == 0) {
      haveFormat = true;
      break;
    }
  }
  if (!haveFormat || chunk.declaredSize < 16 || size - chunk.bodyOffset < 16) {
    return WaveStatus::kNoFormat;
  }
  const uint8_t* fmt = bytes + chunk.bodyOffset;
  const uint32_t fmtPresent =
      static_cast<uint32_t>(std::min<size_t>(chunk.declaredSize, size - chunk.bodyOffset));
  const WaveStatus format =
      LayoutFor(LoadLe16(fmt), LoadLe16(fmt + 2), LoadLe32(fmt + 4), LoadLe16(fmt + 12),
                LoadLe16(fmt + 14), fmt, fmtPresent, out.layout);
  if (format != WaveStatus::kOk) return format;
  const size_t frameBytes = LoadLe16(fmt + 12);

  while (NextChunk(bytes, size, offset, chunk)) {
    if (std::memcmp(chunk.id, "data", 4) != 0) continue;
    size_t present = size - chunk.bodyOffset;
    if (chunk.declaredSize < present) present = chunk.declaredSize;
    present -= present % frameBytes;
    if (present == 0) return WaveStatus::kNoData;
    out.samples.assign(bytes + chunk.bodyOffset, bytes + chunk.bodyOffset + present);
    return WaveStatus::kOk;
  }
  return WaveStatus::kNoData;
}

WaveStatus ReadWaveFile(const char* name, WaveSound& out) {
  out = WaveSound{};
  FileStream stream;
  if (!name || !*name || !OpenStream(stream, name)) return WaveStatus::kUnreadable;
  // The stream's size stops at the int32 limit: a longer file would be read
  // cut short, so it is refused before any of it is held in memory.
  struct stat st;
  if (stream.handle && (fstat(fileno(stream.handle), &st) != 0 || st.st_size > INT32_MAX)) {
    CloseStream(stream);
    return WaveStatus::kUnreadable;
  }
  std::vector<uint8_t> bytes;
  bool read = false;
  try {
    bytes.resize(static_cast<size_t>(stream.size > 0 ? stream.size : 0));
    read = ReadStream(stream, bytes.data(), stream.size);
  } catch (const std::bad_alloc&) {
    read = false;
  }
  CloseStream(stream);
  if (!read) return WaveStatus::kUnreadable;
  try {
    return ParseWave(bytes.data(), bytes.size(), out);
  } catch (const std::bad_alloc&) {
    out = WaveSound{};
    return WaveStatus::kUnreadable;
  }
}
