#include "runtime/files/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/files/archive_format.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"
#include "runtime/files/private_temp.h"

namespace {

// Random access over an open stream, either kind. The real size of a disk
// file is taken from the system so archives riding on large files still
// measure their positions from the true end.
class StreamSource final : public sbx::ByteSource {
 public:
  explicit StreamSource(FileStream& stream) : stream_(stream) {
    struct stat st;
    if (stream_.handle) {
      size_ = fstat(fileno(stream_.handle), &st) == 0 && st.st_size > 0
                  ? static_cast<uint64_t>(st.st_size)
                  : 0;
    } else {
      size_ = stream_.size > 0 ? static_cast<uint64_t>(stream_.size) : 0;
    }
  }

  uint64_t Size() const override { return size_; }

  bool ReadAt(uint64_t offset, void* destination, size_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    if (!stream_.handle) {
      std::memcpy(destination, stream_.data + offset, count);
      return true;
    }
    // The directory is read front to back; only jumps need a seek.
    if (offset != cursor_) {
      if (fseeko(stream_.handle, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    }
    const size_t got = std::fread(destination, 1, count, stream_.handle);
    cursor_ = offset + got;
    return got == count;
  }

 private:
  FileStream& stream_;
  uint64_t size_ = 0;
  uint64_t cursor_ = 0;
};

// Writes the whole buffer to a fresh file; false when anything already has
// the name (creation never follows or replaces what is there).
bool WriteNewFile(const std::string& path, const uint8_t* bytes, size_t length) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  while (length > 0) {
    const ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    bytes += n;
    length -= static_cast<size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  // A half-written entry would read as a valid but wrong file.
  if (!ok) unlink(path.c_str());
  return ok;
}

}  // namespace

void ArchiveSource::ReleaseEntry() {
  memoryFile.reset();
  memorySize = 0;
  if (!tempFile.empty()) {
    unlink(tempFile.c_str());
    tempFile.clear();
  }
}

bool ResolveAssetName(ArchiveSource* archive, const char* name, std::string& destination,
                      bool inMemory) {
  // A "mem://" name of this archive's own unpacked entry (a name handed
  // back in by a loader) must not free the bytes it points to.
  const uint8_t* named = nullptr;
  int32_t namedSize = 0;
  if (archive && archive->memoryFile && ParseMemoryName(name, &named, &namedSize) &&
      named == archive->memoryFile.get()) {
    destination = name;
    return true;
  }
  if (archive) archive->ReleaseEntry();
  if (!name || !*name) {
    destination.clear();
    return false;
  }

  FileStream probe;
  if (OpenStream(probe, name)) {
    CloseStream(probe);
    destination = name;
    return true;
  }
  // A malformed in-memory name is no archive entry's name either.
  if (IsMemoryName(name)) {
    destination.clear();
    return false;
  }

  if (!archive || !archive->enabled) return false;
  if (archive->path.empty()) {
    archive->enabled = 0;
    return false;
  }

  FileStream file;
  if (!OpenStream(file, archive->path.c_str())) {
    archive->enabled = 0;
    return false;
  }
  StreamSource source(file);

  int32_t directory = 0;
  switch (sbx::ReadTrailer(source, &directory)) {
    case sbx::TrailerStatus::kOk:
      break;
    case sbx::TrailerStatus::kTooShort:
    case sbx::TrailerStatus::kNoMagic:
      CloseStream(file);
      archive->enabled = 0;
      return false;
    case sbx::TrailerStatus::kReadFailed:
      CloseStream(file);
      destination.clear();
      return false;
  }

  const char* base = name;
  for (const char* p = name; *p; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  const size_t baseLength = std::strlen(base);

  sbx::DirectoryEntry found;
  const sbx::DirectoryStatus walked =
      sbx::WalkDirectory(source, directory, [&](const sbx::DirectoryEntry& entry) {
        if (!sbx::NameMatches(entry.name, base, baseLength)) return true;
        found = entry;
        return false;
      });
  // The packed bytes lie inside the file (the walk checked), so this
  // allocation is bounded by the archive's own size.
  std::vector<uint8_t> packed;
  bool read = false;
  if (walked == sbx::DirectoryStatus::kStopped) {
    try {
      packed.resize(static_cast<size_t>(found.packedSize));
      read = source.ReadAt(found.position, packed.data(), packed.size());
    } catch (const std::bad_alloc&) {
      read = false;
    }
  }
  CloseStream(file);
  if (!read) {
    destination.clear();
    return false;
  }

  sbx::Unpacked unpacked;
  if (sbx::UnpackEntry(packed.data(), packed.size(), &unpacked) == sbx::UnpackStatus::kNoMemory) {
    destination.clear();
    return false;
  }
  packed = {};

  if (inMemory) {
    archive->memoryFile = std::move(unpacked.bytes);
    archive->memorySize = unpacked.length;
    destination = MemoryName(archive->memoryFile.get(), archive->memorySize);
    return true;
  }

  // The process's own folder: another program resolving the same entry
  // writes and deletes its own copy, never this one.
  const std::string folder = files::PrivateTempFolder();
  if (folder.empty()) {
    destination.clear();
    return false;
  }
  std::string stem = folder + "sbx";
  stem += static_cast<char>('A' + static_cast<uint8_t>(found.offset) % 26);
  stem += static_cast<char>('A' + static_cast<uint8_t>(found.packedSize) % 26);
  // The other archive of this process (or music that took its file over)
  // may hold the plain name; the entry's name stays last for its extension.
  std::string path = stem + found.name;
  bool written = false;
  for (int serial = 1; serial <= 100 && !written; ++serial) {
    written = WriteNewFile(path, unpacked.bytes.get(), unpacked.length);
    if (!written && errno != EEXIST) break;
    if (!written) path = stem + std::to_string(serial) + "-" + found.name;
  }
  if (!written) {
    destination.clear();
    return false;
  }
  archive->tempFile = path;
  destination = path;
  return true;
}

void SetArchiveFiles(const RtString& dataArchive, const RtString& musicArchive) {
  ArchiveSource* archives[2] = {DataArchive(), MusicArchive()};
  const RtString* paths[2] = {&dataArchive, &musicArchive};
  for (int i = 0; i < 2; ++i) {
    if (!archives[i]) continue;
    archives[i]->enabled = 1;
    archives[i]->ReleaseEntry();
    archives[i]->path.assign(paths[i]->c_str());
  }
}
