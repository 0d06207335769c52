#include "runtime/files/file_stream.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstring>

#include "runtime/platform/whole_file.h"

namespace {

constexpr char kMemPrefix[] = "mem://";
constexpr size_t kMemPrefixLength = sizeof kMemPrefix - 1;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Blanks, then 1..16 hex digits, ending exactly at stop. Anything else in
// the field makes the name malformed rather than silently a smaller number.
bool ParseHexField(const char* p, char stop, uint64_t* value, const char** end) {
  while (*p == ' ') ++p;
  uint64_t v = 0;
  int digits = 0;
  for (int d; (d = HexDigit(*p)) >= 0; ++p) {
    if (++digits > 16) return false;
    v = v << 4 | static_cast<uint64_t>(d);
  }
  if (digits == 0 || *p != stop) return false;
  *value = v;
  *end = p;
  return true;
}

}  // namespace

bool IsMemoryName(const char* name) {
  return name && std::strncmp(name, kMemPrefix, kMemPrefixLength) == 0;
}

std::string MemoryName(const void* data, size_t size) {
  char text[64];
  std::snprintf(text, sizeof text, "mem://%8zx.%16" PRIxPTR, size,
                reinterpret_cast<uintptr_t>(data));
  return text;
}

bool ParseMemoryName(const char* name, const uint8_t** data, int32_t* size) {
  if (!IsMemoryName(name)) return false;
  uint64_t sizeValue = 0, address = 0;
  const char* p = name + kMemPrefixLength;
  if (!ParseHexField(p, '.', &sizeValue, &p)) return false;
  if (!ParseHexField(p + 1, '\0', &address, &p)) return false;
  if (sizeValue > 0x7FFFFFFF || address == 0 || address > UINTPTR_MAX) return false;
  *data = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
  *size = static_cast<int32_t>(sizeValue);
  return true;
}

std::string SystemPath(const char* name) {
  std::string path = name ? name : "";
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

bool OpenStream(FileStream& stream, const char* name) {
  CloseStream(stream);
  if (!name) return false;
  if (IsMemoryName(name)) {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    if (!ParseMemoryName(name, &data, &size)) return false;
    stream.data = data;
    stream.size = size;
    stream.position = 0;
    return true;
  }
  const std::string path = SystemPath(name);
  // Streams measure their end by the file's size: only a regular file has
  // one (a directory, a pipe nobody writes or a device is refused at once).
  const int fd = plat::OpenRegularFile(path);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return false;
  }
  // Readers keep writers out, as an unshared open does elsewhere; a file
  // system without locks is not a conflict.
  if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    return false;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return false;
  }
  stream.handle = file;
  stream.size = st.st_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(st.st_size);
  stream.position = 0;
  return true;
}

bool ReadStream(FileStream& stream, void* destination, int32_t count) {
  if (count < 0) return false;
  auto* out = static_cast<uint8_t*>(destination);
  const size_t want = static_cast<size_t>(count);
  if (stream.handle) {
    if (stream.lastWasWrite) {
      std::fseek(stream.handle, 0, SEEK_CUR);
      stream.lastWasWrite = false;
    }
    const int64_t moved = static_cast<int64_t>(stream.position) + count;
    stream.position = moved > INT32_MAX ? INT32_MAX : static_cast<int32_t>(moved);
    const size_t got = want > 0 ? std::fread(out, 1, want, stream.handle) : 0;
    if (got < want) std::memset(out + got, 0, want - got);
    return got == want;
  }
  if (stream.data) {
    // A position moved outside the data (seeks are unchecked) must never
    // turn into a read outside it.
    if (stream.position < 0 || stream.position > stream.size) {
      if (want > 0) std::memset(out, 0, want);
      return false;
    }
    const size_t remaining = static_cast<size_t>(stream.size - stream.position);
    const size_t take = want < remaining ? want : remaining;
    if (take > 0) std::memcpy(out, stream.data + stream.position, take);
    if (take < want) std::memset(out + take, 0, want - take);
    stream.position += static_cast<int32_t>(take);
    return true;
  }
  return false;
}

bool WriteStream(FileStream& stream, const void* source, size_t count) {
  if (!stream.handle) return false;
  if (!stream.lastWasWrite) {
    std::fseek(stream.handle, 0, SEEK_CUR);
    stream.lastWasWrite = true;
  }
  if (count == 0) return true;
  return std::fwrite(source, 1, count, stream.handle) == count;
}

void CloseStream(FileStream& stream) {
  if (stream.handle) std::fclose(stream.handle);
  stream.handle = nullptr;
  stream.data = nullptr;
  stream.size = 0;
  stream.position = 0;
  stream.lastWasWrite = false;
}
