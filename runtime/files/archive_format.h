// The packed archive's on-disk layout, shared by the runtime's reader and the
// packer tool so the two can never disagree about it.
//
// Layout (little-endian): packed entries, a directory of {length byte, name,
// int32 offset, int32 packed size} records closed by a 0 byte, and a 7-byte
// trailer of "sbX" plus the int32 directory offset D. With D >= 0 every
// offset counts from the start of the file; with D < 0 every offset counts
// from its end, so the archive can ride on the end of any other file. Each
// packed entry is a uint32 unpacked size followed by an LZO1X stream.
//
// Nothing here trusts the file: every offset and size is checked against the
// real file size before a byte is read, and unpacked sizes are capped by
// what the packed bytes could possibly expand to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sbx {

inline constexpr uint8_t kMagic[3] = {0x73, 0x62, 0x58};  // "sbX"
inline constexpr size_t kTrailerSize = 7;
inline constexpr size_t kMaxNameLength = 255;
// The unpacked size prefix of every packed entry.
inline constexpr size_t kUnpackedSizeField = 4;
// LZO1X cannot produce more than about 255 output bytes per input byte (a
// long match costs one zero byte per 255 of length); a little slack covers
// the stream's fixed overhead.
inline constexpr uint64_t kMaxExpansion = 256;
inline constexpr uint64_t kExpansionSlack = 1024;
// Unpacked entries are addressed through int32 sizes.
inline constexpr uint64_t kMaxUnpackedSize = 0x7FFFFFFF;

// Random access to the bytes of an archive file. ReadAt succeeds only when
// every asked byte lies inside the file and arrives.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  virtual bool ReadAt(uint64_t offset, void* destination, size_t count) = 0;
};

// An archive held whole in memory (tests, fuzzing, the packer's checks).
class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* destination, size_t count) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

enum class TrailerStatus {
  kOk,
  kTooShort,  // fewer than 7 bytes: cannot be an archive
  kNoMagic,
  kReadFailed,
};

TrailerStatus ReadTrailer(ByteSource& source, int32_t* directoryOffset);

// Turns an offset stored in the archive into a position in the file, using
// the directory offset's sign to pick the origin. False when the position
// falls outside the file.
bool ResolvePosition(uint64_t fileSize, int32_t directoryOffset, int32_t stored,
                     uint64_t* position);

struct DirectoryEntry {
  std::string name;
  int32_t offset = 0;      // as stored
  int32_t packedSize = 0;  // as stored
  uint64_t position = 0;   // resolved start of the packed bytes
};

enum class DirectoryStatus {
  kEnd,      // the terminator was reached
  kStopped,  // the visitor asked to stop
  kCorrupt,  // the directory runs off the file or an entry points outside it
};

// Visits every directory entry in order until the terminator, a corrupt
// record, or visit returning false. An entry is only handed to visit once
// its packed bytes are known to lie inside the file and to hold at least the
// unpacked-size field.
DirectoryStatus WalkDirectory(ByteSource& source, int32_t directoryOffset,
                              const std::function<bool(const DirectoryEntry&)>& visit);

// Case-insensitive (ASCII) equality of a stored entry name and a base name.
bool NameMatches(const std::string& stored, const char* baseName, size_t baseLength);

// The unpacked bytes of one entry. The buffer always exists (at least one
// byte) so an empty entry still has an address.
struct Unpacked {
  std::unique_ptr<uint8_t[]> bytes;
  size_t length = 0;
};

enum class UnpackStatus {
  kOk,
  kDamaged,  // stream error or implausible size: the result is empty
  kNoMemory,
};

// Unpacks a packed entry (size field + LZO1X stream) with the bounds-checked
// decompressor. A damaged entry gives an empty result, not a failure, so a
// bad entry reads as an empty file.
UnpackStatus UnpackEntry(const uint8_t* packed, size_t packedSize, Unpacked* out);

// ---- writing (the packer) ----

// Packs bytes as an archive entry: unpacked size, then LZO1X-999 output.
std::vector<uint8_t> PackEntry(const uint8_t* data, size_t size);

struct PackedFile {
  std::string name;
  std::vector<uint8_t> packed;
};

// Lays out packed entries, directory and trailer. With fromEnd the archive
// is meant to be appended to a file of hostSize bytes and every position is
// stored relative to the end of the result; otherwise positions are absolute
// and hostSize must be 0. False (with a reason) when the result would not
// fit the format's int32 offsets or a name is empty or longer than 255 bytes.
bool BuildArchive(const std::vector<PackedFile>& files, bool fromEnd, uint64_t hostSize,
                  std::vector<uint8_t>* archive, std::string* error);

}  // namespace sbx
