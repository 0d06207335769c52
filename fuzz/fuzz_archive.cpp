// Archives as the resolver reads them: the trailer, the directory walk, and
// every entry the walk hands out unpacked.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/files/archive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sbx::MemorySource source(data, size);
  int32_t directoryOffset = 0;
  if (sbx::ReadTrailer(source, &directoryOffset) != sbx::TrailerStatus::kOk) return 0;
  std::vector<uint8_t> packed;
  sbx::WalkDirectory(source, directoryOffset, [&](const sbx::DirectoryEntry& entry) {
    // Matching is what the resolver does with every name it walks past.
    sbx::NameMatches(entry.name, "a.bmp", 5);
    packed.resize(static_cast<size_t>(entry.packedSize));
    if (!source.ReadAt(entry.position, packed.data(), packed.size())) __builtin_trap();
    sbx::Unpacked unpacked;
    if (sbx::UnpackEntry(packed.data(), packed.size(), &unpacked) == sbx::UnpackStatus::kOk &&
        !unpacked.bytes)
      __builtin_trap();
    return true;
  });
  return 0;
}
