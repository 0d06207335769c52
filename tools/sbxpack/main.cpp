// sbxpack: writes, lists and unpacks the runtime's packed archives.
//
//   sbxpack create [--force] ARCHIVE FILE...
//                                    stand-alone archive (absolute offsets);
//                                    replaces an existing file only when it
//                                    is a stand-alone archive or with --force
//   sbxpack append TARGET FILE...    archive appended to TARGET (offsets from
//                                    the end), e.g. onto the game executable
//   sbxpack list ARCHIVE             name, packed size, unpacked size; a
//                                    name's control characters, invalid
//                                    UTF-8 and backslashes print as \xHH
//   sbxpack extract ARCHIVE DIR      unpacks every entry into DIR, never
//                                    through a link found there; names with
//                                    control characters are skipped
//
// Entries are stored under their base names and packed with LZO1X-999.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/byte_order.h"
#include "runtime/files/archive_format.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "sbxpack: %s\n", message.c_str());
  return 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: sbxpack create [--force] ARCHIVE FILE...\n"
               "       sbxpack append TARGET FILE...\n"
               "       sbxpack list ARCHIVE\n"
               "       sbxpack extract ARCHIVE DIR\n");
  return 2;
}

// Reads a regular file of at most maxSize bytes. The size is checked before
// reading (and again while reading, for a file that grows meanwhile) so an
// oversized input is refused at once rather than after gigabytes of reads.
bool ReadWholeFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                   std::string* error) {
  // Opened without waiting: a named pipe nobody writes would otherwise hold
  // the open for ever before fstat could say it is no file.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    *error = "cannot read \"" + path + "\": " + (fd < 0 ? std::strerror(errno) : "not a file");
    if (fd >= 0) close(fd);
    return false;
  }
  const std::string tooLarge =
      "\"" + path + "\" is larger than " + std::to_string(maxSize) + " bytes";
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    *error = tooLarge;
    close(fd);
    return false;
  }
  bytes->clear();
  bytes->reserve(static_cast<size_t>(st.st_size));
  uint8_t buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = "cannot read \"" + path + "\": " + std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    if (bytes->size() + static_cast<size_t>(n) > maxSize) {
      *error = tooLarge;
      close(fd);
      return false;
    }
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  close(fd);
  return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Folded(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Reads and packs every input, refusing what the runtime could not find
// again: lookups go by base name, ignoring letter case.
bool PackInputs(char** paths, int count, std::vector<sbx::PackedFile>* files, std::string* error) {
  std::vector<std::string> seen;
  for (int i = 0; i < count; ++i) {
    const std::string path = paths[i];
    const std::string name = BaseName(path);
    if (name.empty() || name.size() > sbx::kMaxNameLength) {
      *error = "\"" + path + "\": base name must be 1 to 255 bytes";
      return false;
    }
    for (const std::string& other : seen) {
      if (Folded(other) == Folded(name)) {
        *error = "two inputs share the base name \"" + name + "\" (names match ignoring case)";
        return false;
      }
    }
    seen.push_back(name);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, sbx::kMaxUnpackedSize, &bytes, error)) return false;
    sbx::PackedFile file;
    file.name = name;
    file.packed = sbx::PackEntry(bytes.data(), bytes.size());
    if (file.packed.empty()) {
      *error = "cannot compress \"" + path + "\"";
      return false;
    }
    files->push_back(std::move(file));
  }
  return true;
}

// Reads an open file through pread, for looking at a trailer without
// reading the whole file.
class DescriptorSource final : public sbx::ByteSource {
 public:
  DescriptorSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* destination, size_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    auto* out = static_cast<uint8_t*>(destination);
    while (count > 0) {
      const ssize_t n = pread(fd_, out, count, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      count -= static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

// What create may write over without --force: nothing, or a stand-alone
// archive (an archive riding on another file would take its host with it).
bool ReplaceableByCreate(const std::string& path, std::string* why) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    *why = std::strerror(errno);
    return false;
  }
  struct stat st;
  int32_t directory = 0;
  bool archive = false;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    DescriptorSource source(fd, static_cast<uint64_t>(st.st_size));
    archive = sbx::ReadTrailer(source, &directory) == sbx::TrailerStatus::kOk && directory >= 0;
  }
  close(fd);
  if (!archive) *why = "it exists and is not an archive (use --force to replace it)";
  return archive;
}

int Create(const std::string& archivePath, char** inputs, int count, bool force) {
  std::string why;
  if (!force && !ReplaceableByCreate(archivePath, &why)) {
    return Fail("will not overwrite \"" + archivePath + "\": " + why);
  }
  std::vector<sbx::PackedFile> files;
  std::vector<uint8_t> archive;
  std::string error;
  if (!PackInputs(inputs, count, &files, &error) ||
      !sbx::BuildArchive(files, false, 0, &archive, &error)) {
    return Fail(error);
  }
  // Written beside the target and renamed, so a failed run never leaves a
  // half archive under the real name. The name is unique: two runs packing
  // to one target never write into each other's file.
  std::string temp = archivePath + ".partial.XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Fail("cannot create \"" + temp + "\": " + std::strerror(errno));
  const mode_t mask = umask(0);
  umask(mask);
  (void)fchmod(fd, 0644 & ~mask);
  const bool written = WriteAll(fd, archive.data(), archive.size());
  if (close(fd) != 0 || !written || std::rename(temp.c_str(), archivePath.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    unlink(temp.c_str());
    return Fail("cannot write \"" + archivePath + "\": " + reason);
  }
  return 0;
}

int Append(const std::string& targetPath, char** inputs, int count) {
  const int fd = open(targetPath.c_str(), O_WRONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) close(fd);
    return Fail("cannot open \"" + targetPath + "\" for appending");
  }
  std::vector<sbx::PackedFile> files;
  std::vector<uint8_t> archive;
  std::string error;
  const uint64_t hostSize = static_cast<uint64_t>(st.st_size);
  if (!PackInputs(inputs, count, &files, &error) ||
      !sbx::BuildArchive(files, true, hostSize, &archive, &error)) {
    close(fd);
    return Fail(error);
  }
  const bool written = lseek(fd, 0, SEEK_END) == static_cast<off_t>(hostSize) &&
                       WriteAll(fd, archive.data(), archive.size());
  if (!written) {
    const std::string reason = std::strerror(errno);
    // Give the target back as it was rather than with a torn archive.
    if (ftruncate(fd, static_cast<off_t>(hostSize)) != 0) {
      std::fprintf(stderr, "sbxpack: could not restore \"%s\"\n", targetPath.c_str());
    }
    close(fd);
    return Fail("cannot append to \"" + targetPath + "\": " + reason);
  }
  if (close(fd) != 0) return Fail("cannot append to \"" + targetPath + "\"");
  return 0;
}

// Reads the archive and its directory; false with a message when either is
// missing or damaged.
bool OpenArchive(const std::string& path, std::vector<uint8_t>* bytes, int32_t* directory,
                 std::vector<sbx::DirectoryEntry>* entries, std::string* error) {
  if (!ReadWholeFile(path, SIZE_MAX, bytes, error)) return false;
  sbx::MemorySource source(bytes->data(), bytes->size());
  if (sbx::ReadTrailer(source, directory) != sbx::TrailerStatus::kOk) {
    *error = "\"" + path + "\" is not an archive (no sbX trailer at its end)";
    return false;
  }
  const sbx::DirectoryStatus status =
      sbx::WalkDirectory(source, *directory, [&](const sbx::DirectoryEntry& entry) {
        entries->push_back(entry);
        return true;
      });
  if (status != sbx::DirectoryStatus::kEnd) {
    *error = "\"" + path + "\" has a damaged directory (after " + std::to_string(entries->size()) +
             " entries)";
    return false;
  }
  return true;
}

uint32_t UnpackedSize(const std::vector<uint8_t>& bytes, const sbx::DirectoryEntry& entry) {
  return LoadLe32(bytes.data() + entry.position);
}

// Length of the well-formed UTF-8 sequence at s[i] that is no control
// character, or 0.
size_t PrintableSequence(const std::string& s, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  // The C1 controls include the terminal's one-byte escape introducers.
  if (code >= 0x80 && code <= 0x9F) return 0;
  return length;
}

// A stored name as it may reach a terminal: control characters, bytes that
// are not well-formed UTF-8 and the backslash itself become \xHH escapes,
// so no name can move the cursor, recolour the screen or fake a line.
std::string Escaped(const std::string& name) {
  std::string out;
  for (size_t i = 0; i < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (const size_t length = c >= 0x80 ? PrintableSequence(name, i) : 0) {
      out.append(name, i, length);
      i += length;
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", c);
    out += escape;
    ++i;
  }
  return out;
}

int List(const std::string& archivePath) {
  std::vector<uint8_t> bytes;
  int32_t directory = 0;
  std::vector<sbx::DirectoryEntry> entries;
  std::string error;
  if (!OpenArchive(archivePath, &bytes, &directory, &entries, &error)) return Fail(error);
  for (const sbx::DirectoryEntry& entry : entries) {
    std::printf("%s\t%d\t%u\n", Escaped(entry.name).c_str(), entry.packedSize,
                UnpackedSize(bytes, entry));
  }
  return 0;
}

// A stored name becomes a file name inside DIR only when it cannot climb
// out of it or hide a second path inside, and holds no control character
// (a line break or escape sequence in a file name misleads every later
// listing of the folder).
bool SafeEntryName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return name.find_first_of("/\\") == std::string::npos;
}

// Opens name inside the folder for writing, emptied. A symbolic link is
// never followed, and a hard link, device or pipe planted there is refused
// rather than written through. The descriptor, or -1 with why.
int OpenEntryForWriting(int dirFd, const std::string& name, std::string* why) {
  const int fd =
      openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    *why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
    *why = "it is not a plain file of its own";
    close(fd);
    return -1;
  }
  if (ftruncate(fd, 0) != 0) {
    *why = std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

int Extract(const std::string& archivePath, const std::string& dir) {
  std::vector<uint8_t> bytes;
  int32_t directory = 0;
  std::vector<sbx::DirectoryEntry> entries;
  std::string error;
  if (!OpenArchive(archivePath, &bytes, &directory, &entries, &error)) return Fail(error);
  if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    return Fail("cannot create \"" + dir + "\": " + std::strerror(errno));
  }
  // Every entry is opened relative to the folder itself, so nothing found
  // inside it can redirect a write elsewhere.
  const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return Fail("cannot open \"" + dir + "\": " + std::strerror(errno));
  int status = 0;
  for (const sbx::DirectoryEntry& entry : entries) {
    if (!SafeEntryName(entry.name)) {
      status = Fail("skipping entry with unsafe name \"" + Escaped(entry.name) + "\"");
      continue;
    }
    sbx::Unpacked unpacked;
    const sbx::UnpackStatus result = sbx::UnpackEntry(
        bytes.data() + entry.position, static_cast<size_t>(entry.packedSize), &unpacked);
    if (result != sbx::UnpackStatus::kOk) {
      status = Fail("entry \"" + Escaped(entry.name) + "\" is damaged; not written");
      continue;
    }
    const std::string path = dir + "/" + entry.name;
    std::string why;
    const int fd = OpenEntryForWriting(dirFd, entry.name, &why);
    if (fd < 0) {
      status = Fail("cannot write \"" + path + "\": " + why);
      continue;
    }
    const bool written = WriteAll(fd, unpacked.bytes.get(), unpacked.length);
    if (close(fd) != 0 || !written) status = Fail("cannot write \"" + path + "\"");
  }
  close(dirFd);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "create" && argc >= 5 && std::strcmp(argv[2], "--force") == 0) {
    return Create(argv[3], argv + 4, argc - 4, true);
  }
  if (command == "create" && argc >= 4) return Create(argv[2], argv + 3, argc - 3, false);
  if (command == "append" && argc >= 4) return Append(argv[2], argv + 3, argc - 3);
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
  return Usage();
}
