#include "runtime/files/archive_format.h"

#include <lzo/lzo1x.h>

#include <cstring>
#include <new>

#include "runtime/core/byte_order.h"

namespace sbx {

namespace {

bool LzoReady() {
  static const bool ready = lzo_init() == LZO_E_OK;
  return ready;
}

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool MemorySource::ReadAt(uint64_t offset, void* destination, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (count > 0) std::memcpy(destination, data_ + offset, count);
  return true;
}

TrailerStatus ReadTrailer(ByteSource& source, int32_t* directoryOffset) {
  const uint64_t size = source.Size();
  if (size < kTrailerSize) return TrailerStatus::kTooShort;
  uint8_t trailer[kTrailerSize];
  if (!source.ReadAt(size - kTrailerSize, trailer, kTrailerSize)) return TrailerStatus::kReadFailed;
  if (std::memcmp(trailer, kMagic, sizeof kMagic) != 0) return TrailerStatus::kNoMagic;
  *directoryOffset = static_cast<int32_t>(LoadLe32(trailer + 3));
  return TrailerStatus::kOk;
}

bool ResolvePosition(uint64_t fileSize, int32_t directoryOffset, int32_t stored,
                     uint64_t* position) {
  if (directoryOffset >= 0) {
    if (stored < 0 || static_cast<uint64_t>(stored) >= fileSize) return false;
    *position = static_cast<uint64_t>(stored);
    return true;
  }
  // Measured from the end: only a negative distance that stays inside the
  // file names a byte of it.
  if (stored >= 0) return false;
  const uint64_t back = static_cast<uint64_t>(-static_cast<int64_t>(stored));
  if (back > fileSize) return false;
  *position = fileSize - back;
  return true;
}

DirectoryStatus WalkDirectory(ByteSource& source, int32_t directoryOffset,
                              const std::function<bool(const DirectoryEntry&)>& visit) {
  const uint64_t size = source.Size();
  uint64_t pos = 0;
  if (!ResolvePosition(size, directoryOffset, directoryOffset, &pos)) {
    return DirectoryStatus::kCorrupt;
  }
  DirectoryEntry entry;
  char name[kMaxNameLength];
  for (;;) {
    uint8_t length = 0;
    if (!source.ReadAt(pos, &length, 1)) return DirectoryStatus::kCorrupt;
    pos += 1;
    if (length == 0) return DirectoryStatus::kEnd;
    uint8_t fields[8];
    if (!source.ReadAt(pos, name, length) || !source.ReadAt(pos + length, fields, sizeof fields)) {
      return DirectoryStatus::kCorrupt;
    }
    pos += length + sizeof fields;
    entry.name.assign(name, length);
    entry.offset = static_cast<int32_t>(LoadLe32(fields));
    entry.packedSize = static_cast<int32_t>(LoadLe32(fields + 4));
    uint64_t start = 0;
    if (entry.packedSize < static_cast<int32_t>(kUnpackedSizeField) ||
        !ResolvePosition(size, directoryOffset, entry.offset, &start) ||
        static_cast<uint64_t>(entry.packedSize) > size - start) {
      return DirectoryStatus::kCorrupt;
    }
    entry.position = start;
    if (!visit(entry)) return DirectoryStatus::kStopped;
  }
}

bool NameMatches(const std::string& stored, const char* baseName, size_t baseLength) {
  if (stored.size() != baseLength) return false;
  for (size_t i = 0; i < baseLength; ++i) {
    if (FoldCase(stored[i]) != FoldCase(baseName[i])) return false;
  }
  return true;
}

UnpackStatus UnpackEntry(const uint8_t* packed, size_t packedSize, Unpacked* out) {
  out->bytes.reset();
  out->length = 0;
  uint64_t unpackedSize = 0;
  bool plausible = packedSize >= kUnpackedSizeField;
  if (plausible) {
    unpackedSize = LoadLe32(packed);
    const uint64_t streamSize = packedSize - kUnpackedSizeField;
    plausible = unpackedSize <= kMaxUnpackedSize &&
                unpackedSize <= streamSize * kMaxExpansion + kExpansionSlack;
  }
  const size_t room = plausible ? static_cast<size_t>(unpackedSize) : 0;
  out->bytes.reset(new (std::nothrow) uint8_t[room > 0 ? room : 1]);
  if (!out->bytes) return UnpackStatus::kNoMemory;
  if (!plausible || !LzoReady()) return UnpackStatus::kDamaged;

  lzo_uint produced = room;
  const int rc = lzo1x_decompress_safe(packed + kUnpackedSizeField,
                                       static_cast<lzo_uint>(packedSize - kUnpackedSizeField),
                                       out->bytes.get(), &produced, nullptr);
  // A stream that ends short of its declared size is as damaged as one the
  // decompressor rejects; its unwritten tail must never be read.
  if (rc != LZO_E_OK || produced != room) return UnpackStatus::kDamaged;
  out->length = room;
  return UnpackStatus::kOk;
}

std::vector<uint8_t> PackEntry(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packed;
  if (size > kMaxUnpackedSize || !LzoReady()) return packed;
  packed.resize(kUnpackedSizeField + size + size / 16 + 64 + 3);
  std::vector<uint8_t> work(LZO1X_999_MEM_COMPRESS);
  lzo_uint written = 0;
  static const uint8_t kNothing = 0;
  const int rc = lzo1x_999_compress(size > 0 ? data : &kNothing, static_cast<lzo_uint>(size),
                                    packed.data() + kUnpackedSizeField, &written, work.data());
  if (rc != LZO_E_OK) {
    packed.clear();
    return packed;
  }
  packed.resize(kUnpackedSizeField + written);
  const uint32_t u = static_cast<uint32_t>(size);
  for (int i = 0; i < 4; ++i) packed[i] = static_cast<uint8_t>(u >> (8 * i));
  return packed;
}

bool BuildArchive(const std::vector<PackedFile>& files, bool fromEnd, uint64_t hostSize,
                  std::vector<uint8_t>* archive, std::string* error) {
  constexpr uint64_t kInt32Max = 0x7FFFFFFF;
  uint64_t dataSize = 0;
  uint64_t directorySize = 1;
  for (const PackedFile& f : files) {
    if (f.name.empty() || f.name.size() > kMaxNameLength) {
      *error = "entry name must be 1 to 255 bytes: \"" + f.name + "\"";
      return false;
    }
    if (f.packed.size() < kUnpackedSizeField) {
      *error = "entry \"" + f.name + "\" has no packed data";
      return false;
    }
    dataSize += f.packed.size();
    directorySize += 1 + f.name.size() + 8;
  }
  const uint64_t total = dataSize + directorySize + kTrailerSize;
  if (total > kInt32Max || (!fromEnd && hostSize != 0)) {
    *error = "archive would exceed 2 GiB";
    return false;
  }
  const uint64_t finalSize = hostSize + total;
  // Every stored position is either absolute or a negative distance from the
  // end of the finished file.
  auto stored = [&](uint64_t positionInArchive) {
    const uint64_t absolute = hostSize + positionInArchive;
    return fromEnd ? static_cast<uint32_t>(-static_cast<int64_t>(finalSize - absolute))
                   : static_cast<uint32_t>(absolute);
  };

  archive->clear();
  archive->reserve(total);
  std::vector<uint32_t> offsets;
  for (const PackedFile& f : files) {
    offsets.push_back(stored(archive->size()));
    archive->insert(archive->end(), f.packed.begin(), f.packed.end());
  }
  const uint32_t directory = stored(archive->size());
  for (size_t i = 0; i < files.size(); ++i) {
    archive->push_back(static_cast<uint8_t>(files[i].name.size()));
    archive->insert(archive->end(), files[i].name.begin(), files[i].name.end());
    AppendLe32(*archive, offsets[i]);
    AppendLe32(*archive, static_cast<uint32_t>(files[i].packed.size()));
  }
  archive->push_back(0);
  archive->insert(archive->end(), kMagic, kMagic + sizeof kMagic);
  AppendLe32(*archive, directory);
  return true;
}

}  // namespace sbx
