#include "runtime/net/http_fetch.h"

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/files/file_stream.h"
#include "runtime/net/socket_internal.h"
#include "runtime/net/sockets.h"

namespace {

std::atomic<int> g_idleTimeoutMs{kHttpIdleTimeoutMs};

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

// Runs one fetch into the sink. True when the server closed the connection
// after the response.
bool Fetch(const RtString& host, const RtString& path, int port, Sink& sink) {
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
  const int slot = netsock::ConnectSlot(address);
  if (slot < 0) {
    SockShutdown();
    return false;
  }
  netsock::SetBlocking(slot, true);
  const int fd = netsock::SlotDescriptor(slot);
  bool complete = false;
  if (netsock::SendAll(fd, request, requestLength, g_idleTimeoutMs.load())) {
    HttpHeaderScanner scanner;
    uint8_t block[kBlockSize];
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      const int ready = ::poll(&p, 1, g_idleTimeoutMs.load());
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        netsock::SetLastError(ready == 0 ? ETIMEDOUT : netsock::ErrorFromErrno(errno));
        break;
      }
      const ssize_t n = ::recv(fd, block, sizeof block, 0);
      if (n == 0) {
        complete = true;
        break;
      }
      if (n < 0) {
        if (errno == EINTR) continue;
        netsock::SetLastError(netsock::ErrorFromErrno(errno));
        break;
      }
      size_t bodyStart = 0;
      if (!scanner.InBody()) bodyStart = scanner.Scan(block, static_cast<size_t>(n));
      if (scanner.InBody()) Deliver(sink, block + bodyStart, static_cast<size_t>(n) - bodyStart);
    }
  }
  SockClose(slot);
  SockShutdown();
  return complete;
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

void SetHttpIdleTimeoutMs(int ms) {
  g_idleTimeoutMs = ms > 0 ? ms : kHttpIdleTimeoutMs;
}

int HttpGetFile(const RtString& host, const RtString& path, int port, const RtString& fileName) {
  Sink sink;
  const bool wantFile = fileName.Length() > 0;
  if (wantFile) {
    // An in-memory name cannot take a download; the body is then not stored.
    if (!IsMemoryName(fileName.c_str())) {
      const std::string systemPath = SystemPath(fileName.c_str());
      std::remove(systemPath.c_str());
      sink.file = std::fopen(systemPath.c_str(), "w+b");
    }
    if (!sink.file) sink.storeFailed = true;
  }
  const bool complete = Fetch(host, path, port, sink);
  if (sink.file && std::fclose(sink.file) != 0) sink.storeFailed = true;
  return complete && !sink.storeFailed ? 1 : 0;
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
