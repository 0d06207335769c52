#include "runtime/platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace plat {

namespace {

void Explain(std::string* error, const std::string& path, const std::string& why) {
  if (error) *error = path + ": " + why;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory, not a regular file";
  if (S_ISFIFO(mode)) return "a named pipe, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
  if (S_ISSOCK(mode)) return "a socket, not a regular file";
  return "not a regular file";
}

template <typename Buffer>
bool ReadInto(const std::string& path, Buffer& buffer, uint64_t limit, std::string* error) {
  buffer.clear();
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    Explain(error, path, std::strerror(errno));
    ::close(fd);
    return false;
  }
  const uint64_t size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
  if (size > limit) {
    Explain(
        error, path,
        "too large (" + std::to_string(size) + " bytes, at most " + std::to_string(limit) + ")");
    ::close(fd);
    return false;
  }
  try {
    buffer.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    Explain(error, path, "not enough memory for " + std::to_string(size) + " bytes");
    ::close(fd);
    return false;
  }
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n =
        ::read(fd, reinterpret_cast<char*>(buffer.data()) + done, buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Explain(error, path, std::strerror(errno));
      ::close(fd);
      buffer.clear();
      return false;
    }
    if (n == 0) break;  // shrank meanwhile: what is there is the file
    done += static_cast<size_t>(n);
  }
  buffer.resize(done);
  ::close(fd);
  return true;
}

}  // namespace

int OpenRegularFile(const std::string& path, std::string* error) {
  if (path.empty()) {
    if (error) *error = "no file name";
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Explain(error, path, std::strerror(errno));
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    Explain(error, path, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    Explain(error, path, KindOf(st.st_mode));
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    Explain(error, path, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  return fd;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit,
                   std::string* error) {
  return ReadInto(path, bytes, limit, error);
}

bool ReadWholeFile(const std::string& path, std::string& text, uint64_t limit, std::string* error) {
  return ReadInto(path, text, limit, error);
}

}  // namespace plat
