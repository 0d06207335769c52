#include "runtime/net/http_fetch.h"

#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/files/file_stream.h"
#include "runtime/net/socket_internal.h"
#include "runtime/net/sockets.h"

namespace {

std::atomic<int> g_idleTimeoutMs{kHttpIdleTimeoutMs};
std::atomic<int> g_deadlineMs{kHttpDeadlineMs};

constexpr size_t kBlockSize = 1023;
// Room reserved up front for HttpGetText; larger bodies grow the text as
// pieces arrive, so a huge maximum costs nothing until data comes.
constexpr uint32_t kInitialTextRoom = 64 * 1024;

bool SafeRequestPart(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < 0x20 || *p == 0x7F) return false;
  }
  return true;
}

// Where the body goes.
struct Sink {
  std::FILE* file = nullptr;
  bool storeFailed = false;
  RtString* text = nullptr;
  long long room = 0;  // bytes a piece must stay below to be appended
};

void Deliver(Sink& sink, const uint8_t* data, size_t size) {
  if (size == 0) return;
  if (sink.file && std::fwrite(data, 1, size, sink.file) != size) sink.storeFailed = true;
  if (sink.text && static_cast<long long>(size) < sink.room) {
    sink.text->Append(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
    sink.room -= static_cast<long long>(size);
  }
}

// Milliseconds left before the deadline, at most the idle limit; 0 when
// the deadline has passed.
int WaitLimitMs(std::chrono::steady_clock::time_point deadline) {
  const long long left = std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - std::chrono::steady_clock::now())
                             .count();
  if (left <= 0) return 0;
  return static_cast<int>(std::min<long long>(left, g_idleTimeoutMs.load()));
}

// Runs one fetch into the sink. True when the server closed the connection
// after the whole response.
bool Fetch(const RtString& host, const RtString& path, int port, Sink& sink) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(g_deadlineMs.load());
  char request[kHttpRequestLimit];
  size_t requestLength = 0;
  if (!BuildHttpRequest(host.c_str(), path.c_str(), request, sizeof request, &requestLength)) {
    return false;
  }
  if (port == 0) port = 80;
  if (!SockInit()) return false;
  sockaddr_in address;
  if (!netsock::ResolveHost(host.c_str(), port, &address)) {
    SockShutdown();
    return false;
  }
  const int slot = netsock::ConnectSlot(address, WaitLimitMs(deadline));
  if (slot < 0) {
    SockShutdown();
    return false;
  }
  netsock::SetBlocking(slot, true);
  const int fd = netsock::SlotDescriptor(slot);
  bool complete = false;
  if (netsock::SendAll(fd, request, requestLength, WaitLimitMs(deadline))) {
    HttpResponseReader response;
    uint8_t block[kBlockSize];
    for (;;) {
      const int waitMs = WaitLimitMs(deadline);
      if (waitMs == 0) {
        netsock::SetLastError(ETIMEDOUT);
        break;
      }
      pollfd p{fd, POLLIN, 0};
      const int ready = ::poll(&p, 1, waitMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        netsock::SetLastError(ready == 0 ? ETIMEDOUT : netsock::ErrorFromErrno(errno));
        break;
      }
      const ssize_t n = ::recv(fd, block, sizeof block, 0);
      if (n == 0) {
        complete = response.Close();
        if (!complete) netsock::SetLastError(kNetErrConnReset);
        break;
      }
      if (n < 0) {
        if (errno == EINTR) continue;
        netsock::SetLastError(netsock::ErrorFromErrno(errno));
        break;
      }
      const size_t bodyStart = response.Feed(block, static_cast<size_t>(n));
      if (response.state() == HttpResponseReader::State::kHeadersTooLong) {
        netsock::SetLastError(EMSGSIZE);
        break;
      }
      Deliver(sink, block + bodyStart, static_cast<size_t>(n) - bodyStart);
    }
  }
  SockClose(slot);
  SockShutdown();
  return complete;
}

// Creates a new file beside target for the download to go into; its
// descriptor, or -1.
int CreateTemporaryBeside(const std::string& target, std::string* temporaryPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporaryPath =
        target + ".part" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
    const int fd =
        ::open(temporaryPath->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Only a regular file, or nothing, may be replaced by a download: renaming
// over a named pipe, a symbolic link, a device node or a directory would
// swap a special file for a plain one.
bool ReplaceableTarget(const std::string& target) {
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}

}  // namespace

bool BuildHttpRequest(const char* host, const char* path, char* out, size_t outSize,
                      size_t* length) {
  if (!host || !path || !SafeRequestPart(host) || !SafeRequestPart(path)) return false;
  const int n = std::snprintf(out, outSize,
                              "GET %s HTTP/1.0\r\nHost:%s\r\nAccept: */*\r\n"
                              "User-Agent: Brakmor\r\n\r\n",
                              path, host);
  // A cut request would lack its closing empty line and leave the server
  // waiting for the rest.
  if (n < 0 || static_cast<size_t>(n) >= outSize) return false;
  *length = static_cast<size_t>(n);
  return true;
}

size_t HttpHeaderScanner::Scan(const uint8_t* data, size_t size) {
  if (inBody_) return 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\r') continue;
    if (data[i] != '\n') {
      lineFeeds_ = 0;
      continue;
    }
    if (++lineFeeds_ == 2) {
      inBody_ = true;
      return i + 1;
    }
  }
  return size;
}

long long HttpContentLength(const char* headers, size_t size) {
  static constexpr char kName[] = "content-length:";
  constexpr size_t kNameLength = sizeof kName - 1;
  size_t lineStart = 0;
  while (lineStart < size) {
    const char* lineEnd =
        static_cast<const char*>(std::memchr(headers + lineStart, '\n', size - lineStart));
    const size_t end = lineEnd ? static_cast<size_t>(lineEnd - headers) : size;
    if (end - lineStart > kNameLength &&
        ::strncasecmp(headers + lineStart, kName, kNameLength) == 0) {
      size_t i = lineStart + kNameLength;
      while (i < end && (headers[i] == ' ' || headers[i] == '\t')) ++i;
      long long value = 0;
      size_t digits = 0;
      for (; i < end && headers[i] >= '0' && headers[i] <= '9'; ++i, ++digits) {
        if (value > (LLONG_MAX - 9) / 10) return -1;
        value = value * 10 + (headers[i] - '0');
      }
      while (i < end && (headers[i] == ' ' || headers[i] == '\t' || headers[i] == '\r')) ++i;
      return digits > 0 && i == end ? value : -1;
    }
    lineStart = end + 1;
  }
  return -1;
}

int HttpStatusCode(const char* headers, size_t size) {
  // "HTTP/" digits "." digits, blanks, then exactly three digits.
  static constexpr char kName[] = "HTTP/";
  constexpr size_t kNameLength = sizeof kName - 1;
  if (size < kNameLength || std::memcmp(headers, kName, kNameLength) != 0) return -1;
  size_t i = kNameLength;
  const auto digits = [&] {
    const size_t start = i;
    while (i < size && headers[i] >= '0' && headers[i] <= '9') ++i;
    return i - start;
  };
  if (digits() == 0 || i >= size || headers[i++] != '.' || digits() == 0) return -1;
  const size_t blanks = i;
  while (i < size && headers[i] == ' ') ++i;
  if (i == blanks) return -1;
  const size_t codeStart = i;
  // A code starts at 1; "020" is no status.
  if (digits() != 3 || headers[codeStart] == '0') return -1;
  if (i < size && headers[i] != ' ' && headers[i] != '\r' && headers[i] != '\n') return -1;
  return (headers[codeStart] - '0') * 100 + (headers[codeStart + 1] - '0') * 10 +
         (headers[codeStart + 2] - '0');
}

size_t HttpResponseReader::Feed(const uint8_t* data, size_t size) {
  if (state_ == State::kBody) {
    bodyBytes_ += static_cast<long long>(size);
    return 0;
  }
  if (state_ != State::kHeaders) return size;
  const size_t bodyStart = scanner_.Scan(data, size);
  if (headers_.size() + bodyStart > kHttpHeaderLimit) {
    state_ = State::kHeadersTooLong;
    return size;
  }
  headers_.append(reinterpret_cast<const char*>(data), bodyStart);
  if (!scanner_.InBody()) return size;
  state_ = State::kBody;
  status_ = HttpStatusCode(headers_.data(), headers_.size());
  contentLength_ = HttpContentLength(headers_.data(), headers_.size());
  bodyBytes_ = static_cast<long long>(size - bodyStart);
  return bodyStart;
}

bool HttpResponseReader::Close() {
  if (state_ == State::kHeaders) {
    state_ = State::kTruncated;
  } else if (state_ == State::kBody) {
    state_ = bodyBytes_ >= contentLength_ ? State::kComplete : State::kTruncated;
  }
  return state_ == State::kComplete;
}

void SetHttpIdleTimeoutMs(int ms) {
  g_idleTimeoutMs = ms > 0 ? ms : kHttpIdleTimeoutMs;
}

void SetHttpDeadlineMs(int ms) {
  g_deadlineMs = ms > 0 ? ms : kHttpDeadlineMs;
}

int HttpGetFile(const RtString& host, const RtString& path, int port, const RtString& fileName) {
  Sink sink;
  std::string targetPath;
  std::string temporaryPath;
  const bool wantFile = fileName.Length() > 0;
  if (wantFile) {
    // An in-memory name cannot take a download; the body is then not stored.
    if (!IsMemoryName(fileName.c_str())) {
      targetPath = SystemPath(fileName.c_str());
      if (!ReplaceableTarget(targetPath)) return 0;
      const int fd = CreateTemporaryBeside(targetPath, &temporaryPath);
      if (fd >= 0) {
        sink.file = ::fdopen(fd, "w+b");
        if (!sink.file) ::close(fd);
      }
    }
    if (!sink.file) sink.storeFailed = true;
  }
  const bool complete = Fetch(host, path, port, sink);
  if (sink.file && std::fclose(sink.file) != 0) sink.storeFailed = true;
  const bool stored = complete && !sink.storeFailed;
  if (!temporaryPath.empty()) {
    // Checked again: the target may have changed during the download.
    if (!stored || !ReplaceableTarget(targetPath) ||
        std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
      ::unlink(temporaryPath.c_str());
      return 0;
    }
  }
  return stored ? 1 : 0;
}

RtString HttpGetText(const RtString& host, const RtString& path, int port, int maxLength) {
  if (maxLength < 0) maxLength = 0;
  RtString text;
  const long long room = static_cast<long long>(maxLength) + 2;
  text.Reserve(static_cast<uint32_t>(room < kInitialTextRoom ? room : kInitialTextRoom), false);
  Sink sink;
  sink.text = &text;
  sink.room = static_cast<long long>(maxLength) + 1;
  Fetch(host, path, port, sink);
  text.Truncate(static_cast<int>(std::strlen(text.c_str())));
  return text;
}
