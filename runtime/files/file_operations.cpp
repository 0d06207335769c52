#include "runtime/files/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "runtime/files/file_stream.h"
#include "runtime/platform/process.h"

namespace fileops {

std::string SystemPath(const char* name) {
  std::string path = name ? name : "";
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool IsMemoryName(const char* name) {
  return name && std::strncmp(name, "mem://", 6) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::string dir = plat::CurrentDirectory();
  if (dir.empty()) return path;
  if (dir.back() != '/') dir.push_back('/');
  return dir + path;
}

bool ReplaceFile(const std::string& path, const std::function<bool(std::FILE*)>& writeBody) {
  if (path.empty() || IsDirectory(path)) return false;
  // A name of our own beside the target: rename() is only atomic within one
  // file system, and O_EXCL keeps us from clobbering anything already there.
  static unsigned serial = 0;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = path + ".~" + std::to_string(::getpid()) + "." + std::to_string(serial++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  struct stat old;
  if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    (void)::fchmod(fd, old.st_mode & 07777);
  }

  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }
  bool ok = writeBody(file);
  ok = std::fflush(file) == 0 && ok;
  // The data must be on the disk before the rename makes it the only copy.
  ok = ::fsync(::fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace fileops

namespace {

// Opens name for reading; a directory is not a file even where the C
// library would open one.
bool OpenReadable(FileStream& stream, const char* name) {
  if (!name || !*name) return false;
  std::string path = fileops::IsMemoryName(name) ? std::string(name) : fileops::SystemPath(name);
  if (!fileops::IsMemoryName(name) && fileops::IsDirectory(path)) return false;
  return OpenStream(stream, path.c_str());
}

}  // namespace

int FileExists(const RtString& name) {
  if (fileops::IsMemoryName(name.c_str())) return 1;
  FileStream stream;
  if (!OpenReadable(stream, name.c_str())) return 0;
  CloseStream(stream);
  return 1;
}

int FileSize(const RtString& name) {
  FileStream stream;
  if (!OpenReadable(stream, name.c_str())) return 0;
  const int size = stream.size;
  CloseStream(stream);
  return size;
}

int DeleteFile(const RtString& name) {
  if (name.Length() == 0 || fileops::IsMemoryName(name.c_str())) return 0;
  // unlink, unlike remove(), refuses directories.
  return ::unlink(fileops::SystemPath(name.c_str()).c_str()) == 0 ? 1 : 0;
}

void CopyFile(const RtString& source, const RtString& destination) {
  FileStream in;
  if (!OpenReadable(in, source.c_str())) return;
  if (destination.Length() == 0 || fileops::IsMemoryName(destination.c_str())) {
    CloseStream(in);
    return;
  }
  const std::string target = fileops::SystemPath(destination.c_str());
  if (fileops::IsDirectory(target)) {
    CloseStream(in);
    return;
  }
  ::unlink(target.c_str());
  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (!out) {
    CloseStream(in);
    return;
  }

  uint8_t block[4096];
  int32_t remaining = std::max<int32_t>(in.size, 0);
  bool ok = true;
  while (ok && remaining > 0) {
    const int32_t count = std::min<int32_t>(remaining, sizeof block);
    ok = ReadStream(in, block, count) &&
         std::fwrite(block, 1, static_cast<size_t>(count), out) == static_cast<size_t>(count);
    remaining -= count;
  }
  ok = std::fclose(out) == 0 && ok;
  CloseStream(in);
  if (!ok) ::unlink(target.c_str());
}
