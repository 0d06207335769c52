#include "runtime/net/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "runtime/net/socket_internal.h"

namespace {

struct SocketSlot {
  int fd = -1;  // -1: the slot is free
  sockaddr_in address{};
  uint8_t udp = 0;
};

// The table is reached from the main thread and the multiplayer worker at
// once, so slot bookkeeping is serialised here; the sends and receives
// themselves run outside the lock.
std::mutex g_tableMutex;
SocketSlot g_slots[kSocketSlotCount];
int g_startCount = 0;
std::atomic<int> g_lastError{0};

// Largest receive a single SockReceive makes room for; a stream delivers the
// rest on the next call and no datagram is larger.
constexpr int kMaxReceive = 1 << 20;
// The listing of local addresses stays within this many characters.
constexpr size_t kAddressListLimit = 4095;

bool ValidSlot(int slot) {
  return slot >= 0 && slot < kSocketSlotCount;
}

// Lowest free slot, or -1 with last error kNetErrNoSlot. Caller holds the
// table lock.
int FindFreeSlotLocked() {
  for (int i = 0; i < kSocketSlotCount; ++i) {
    if (g_slots[i].fd < 0) return i;
  }
  g_lastError = kNetErrNoSlot;
  return -1;
}

// Puts an open descriptor into a slot. Caller holds the table lock.
void Occupy(int slot, int fd, const sockaddr_in& address, bool udp) {
  g_slots[slot].fd = fd;
  g_slots[slot].address = address;
  g_slots[slot].udp = udp ? 1 : 0;
}

void CloseDescriptor(int fd, bool udp) {
  if (!udp) ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

void KeepErrno() {
  g_lastError = netsock::ErrorFromErrno(errno);
}

bool MakeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Snapshot of a used slot taken under the lock.
bool ReadSlot(int slot, SocketSlot* out) {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  if (g_startCount <= 0) {
    g_lastError = kNetErrNotStarted;
    return false;
  }
  if (!ValidSlot(slot) || g_slots[slot].fd < 0) {
    g_lastError = EBADF;
    return false;
  }
  *out = g_slots[slot];
  return true;
}

bool StartedOrFail() {
  if (g_startCount > 0) return true;
  g_lastError = kNetErrNotStarted;
  return false;
}

int SendBytes(const SocketSlot& s, const char* data, size_t size, const sockaddr_in* to) {
  size_t sent = 0;
  while (sent < size) {
    ssize_t n;
    if (to) {
      n = ::sendto(s.fd, data + sent, size - sent, MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(to), sizeof *to);
    } else {
      n = ::send(s.fd, data + sent, size - sent, MSG_NOSIGNAL);
    }
    if (n >= 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    KeepErrno();
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // Wait for room rather than spinning on the would-block error.
      pollfd p{s.fd, POLLOUT, 0};
      ::poll(&p, 1, 100);
      continue;
    }
    return -1;
  }
  g_lastError = 0;
  return static_cast<int>(sent);
}

}  // namespace

namespace netsock {

int ErrorFromErrno(int err) {
  if (err == EAGAIN || err == EWOULDBLOCK || err == EINPROGRESS) return kNetErrWouldBlock;
  if (err == ECONNRESET) return kNetErrConnReset;
  return err;
}

void SetLastError(int code) {
  g_lastError = code;
}

bool LayerStarted() {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  return g_startCount > 0;
}

std::string ListLocalAddresses(const char* separator, int* count) {
  std::string list;
  int listed = 0;
  ifaddrs* all = nullptr;
  if (::getifaddrs(&all) == 0) {
    for (ifaddrs* a = all; a; a = a->ifa_next) {
      if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
      if (!(a->ifa_flags & IFF_UP)) continue;
      char text[INET_ADDRSTRLEN] = {};
      const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
      if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
      if (std::strncmp(text, "127.", 4) == 0) continue;
      if (list.size() + std::strlen(text) + std::strlen(separator) > kAddressListLimit) break;
      list += text;
      list += separator;
      ++listed;
    }
    ::freeifaddrs(all);
  }
  if (count) *count = listed;
  return list;
}

bool ResolveHost(const char* name, int port, sockaddr_in* out) {
  std::memset(out, 0, sizeof *out);
  out->sin_family = AF_INET;
  out->sin_port = htons(static_cast<uint16_t>(port));
  std::string host = name ? name : "";
  if (host.empty()) {
    int count = 0;
    std::string list = ListLocalAddresses("|", &count);
    host = count > 0 ? list.substr(0, list.find('|')) : "127.0.0.1";
  }
  if (::inet_pton(AF_INET, host.c_str(), &out->sin_addr) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || !found) {
    g_lastError = rc == EAI_SYSTEM ? ErrorFromErrno(errno) : kNetErrHostNotFound;
    if (found) ::freeaddrinfo(found);
    out->sin_addr.s_addr = 0;
    return false;
  }
  out->sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return true;
}

namespace {

// Connects a non-blocking descriptor within timeoutMs. False with errno
// set (ETIMEDOUT when the peer never answered).
bool ConnectWithin(int fd, const sockaddr_in& address, int timeoutMs) {
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (errno != EINPROGRESS && errno != EINTR) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const long long left = std::chrono::duration_cast<std::chrono::milliseconds>(
                               deadline - std::chrono::steady_clock::now())
                               .count();
    if (left <= 0) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd p{fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return false;
    if (ready == 0) continue;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return false;
    if (error == 0) return true;
    errno = error;
    return false;
  }
}

}  // namespace

int ConnectSlot(const sockaddr_in& address, int timeoutMs) {
  int slot;
  int fd;
  {
    std::lock_guard<std::mutex> guard(g_tableMutex);
    if (!StartedOrFail()) return -1;
    slot = FindFreeSlotLocked();
    if (slot < 0) return -1;
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      KeepErrno();
      return -1;
    }
    // Reserved now so a concurrent open cannot take the same slot while the
    // connect below waits.
    Occupy(slot, fd, address, false);
  }
  bool connected;
  if (timeoutMs < 0) {
    int rc;
    do {
      rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    connected = rc == 0 && MakeNonBlocking(fd);
  } else {
    connected = MakeNonBlocking(fd) && ConnectWithin(fd, address, timeoutMs);
  }
  if (!connected) {
    KeepErrno();
    std::lock_guard<std::mutex> guard(g_tableMutex);
    g_slots[slot].fd = -1;
    ::close(fd);
    return -1;
  }
  g_lastError = 0;
  return slot;
}

int SlotDescriptor(int slot) {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  return ValidSlot(slot) ? g_slots[slot].fd : -1;
}

int SetBlocking(int slot, bool blocking) {
  const int fd = SlotDescriptor(slot);
  if (fd < 0) return -1;
  const int flags = ::fcntl(fd, F_GETFL, 0);
  const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  if (flags < 0 || ::fcntl(fd, F_SETFL, wanted) != 0) {
    KeepErrno();
  } else {
    g_lastError = 0;
  }
  return g_lastError;
}

int SlotLocalPort(int slot) {
  const int fd = SlotDescriptor(slot);
  if (fd < 0) return -1;
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return -1;
  return ntohs(a.sin_port);
}

int UsedSlotCount() {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  int used = 0;
  for (const SocketSlot& s : g_slots) used += s.fd >= 0;
  return used;
}

bool SendAll(int fd, const void* data, size_t size, int timeoutMs) {
  const char* bytes = static_cast<const char*>(data);
  size_t sent = 0;
  auto lastProgress = std::chrono::steady_clock::now();
  while (sent < size) {
    const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      lastProgress = std::chrono::steady_clock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      KeepErrno();
      return false;
    }
    int wait = 100;
    if (timeoutMs >= 0) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - lastProgress)
                              .count();
      if (waited >= timeoutMs) {
        g_lastError = kNetErrWouldBlock;
        return false;
      }
      wait = static_cast<int>(std::min<long long>(wait, timeoutMs - waited));
    }
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, wait);
  }
  return true;
}

}  // namespace netsock

int SockInit() {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  if (g_startCount > 0) {
    ++g_startCount;
    return 1;
  }
  // Nothing to load on this platform; every slot is free at a first start
  // because the last stop closed them all.
  for (SocketSlot& s : g_slots) s = SocketSlot{};
  g_startCount = 1;
  return 1;
}

int SockShutdown() {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  // A stray extra stop must not leave the count negative, which would make
  // the next start look like a repeat start of a stopped layer.
  if (g_startCount <= 0) return g_lastError;
  if (--g_startCount > 0) return g_lastError;
  for (SocketSlot& s : g_slots) {
    if (s.fd < 0) continue;
    CloseDescriptor(s.fd, s.udp != 0);
    s = SocketSlot{};
  }
  return g_lastError;
}

int TcpListen(int port) {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  if (!StartedOrFail()) return -1;
  const int slot = FindFreeSlotLocked();
  if (slot < 0) return -1;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    KeepErrno();
    return -1;
  }
  // A restarted host must be able to listen again while old connections to
  // the port linger in TIME_WAIT; this does not let two listeners share it.
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 10) != 0 ||
      !MakeNonBlocking(fd)) {
    KeepErrno();
    ::close(fd);
    return -1;
  }
  Occupy(slot, fd, a, false);
  g_lastError = 0;
  return slot;
}

int TcpAccept(int listenSlot, int32_t& ip) {
  SocketSlot listener;
  if (!ReadSlot(listenSlot, &listener)) return -1;
  if (listener.udp) {
    g_lastError = 0;
    return -1;
  }
  sockaddr_in peer{};
  socklen_t len = sizeof peer;
  int fd;
  do {
    fd = ::accept4(listener.fd, reinterpret_cast<sockaddr*>(&peer), &len,
                   SOCK_NONBLOCK | SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    KeepErrno();
    return -1;
  }
  std::lock_guard<std::mutex> guard(g_tableMutex);
  const int slot = FindFreeSlotLocked();
  if (slot < 0) {
    ::close(fd);
    return -1;
  }
  Occupy(slot, fd, listener.address, false);
  ip = static_cast<int32_t>(ntohl(peer.sin_addr.s_addr));
  g_lastError = 0;
  return slot;
}

int TcpConnect(const RtString& host, int port) {
  {
    std::lock_guard<std::mutex> guard(g_tableMutex);
    if (!StartedOrFail()) return -1;
  }
  sockaddr_in a;
  // A name that does not resolve must fail here: the zero address would
  // otherwise reach the local machine.
  if (!netsock::ResolveHost(host.c_str(), port, &a)) return -1;
  if (a.sin_addr.s_addr == 0 && a.sin_port == 0) return -1;
  return netsock::ConnectSlot(a);
}

int UdpOpen(int port) {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  if (!StartedOrFail()) return -1;
  const int slot = FindFreeSlotLocked();
  if (slot < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    KeepErrno();
    return -1;
  }
  if (port != 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    KeepErrno();
    ::close(fd);
    return -1;
  }
  const int one = 1;
  if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0) {
    const char oneChar = '1';
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &oneChar, 1);
  }
  if (!MakeNonBlocking(fd)) {
    KeepErrno();
    ::close(fd);
    return -1;
  }
  Occupy(slot, fd, a, true);
  g_lastError = 0;
  return slot;
}

int SockSend(int slot, const RtString& text) {
  SocketSlot s;
  if (!ReadSlot(slot, &s)) return -1;
  if (s.udp) {
    g_lastError = EDESTADDRREQ;
    return -1;
  }
  if (text.Length() == 0) return 0;
  return SendBytes(s, text.c_str(), text.Length(), nullptr);
}

int UdpSendTo(int slot, const RtString& text, int32_t ip, int port) {
  SocketSlot s;
  if (!ReadSlot(slot, &s)) return -1;
  if (!s.udp) {
    if (text.Length() == 0) return 0;
    return SendBytes(s, text.c_str(), text.Length(), nullptr);
  }
  if (ip == 0 && port == 0) {
    g_lastError = EDESTADDRREQ;
    return -1;
  }
  if (text.Length() == 0) return 0;
  sockaddr_in to = s.address;
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(static_cast<uint32_t>(ip));
  to.sin_port = htons(static_cast<uint16_t>(port));
  return SendBytes(s, text.c_str(), text.Length(), &to);
}

int SockReceive(int slot, RtString& text, int maximum) {
  text.Truncate(0);
  SocketSlot s;
  if (!ReadSlot(slot, &s)) return -1;
  // A zero-byte receive would read as "peer closed".
  if (maximum < 1) {
    g_lastError = EINVAL;
    return -1;
  }
  if (maximum > kMaxReceive) maximum = kMaxReceive;
  text.Reserve(static_cast<uint32_t>(maximum) + 1, false);
  ssize_t n;
  do {
    n = ::recv(s.fd, text.Data(), static_cast<size_t>(maximum), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    KeepErrno();
    text.Truncate(0);
    if (g_lastError == kNetErrConnReset) return 0;
    if (g_lastError == kNetErrWouldBlock) return -2;
    return -1;
  }
  g_lastError = 0;
  text.Data()[n] = '\0';
  text.Truncate(static_cast<int>(std::strlen(text.c_str())));
  return static_cast<int>(n);
}

int SockClose(int slot) {
  std::lock_guard<std::mutex> guard(g_tableMutex);
  if (!ValidSlot(slot) || g_slots[slot].fd < 0) return 0;
  // UDP sockets are closed here too: a descriptor left open after its slot
  // is freed could never be reached again.
  CloseDescriptor(g_slots[slot].fd, g_slots[slot].udp != 0);
  g_slots[slot] = SocketSlot{};
  return 1;
}

int32_t HostToIp(const RtString& host) {
  sockaddr_in a;
  if (!netsock::ResolveHost(host.c_str(), 0, &a) || a.sin_addr.s_addr == 0) return -1;
  return static_cast<int32_t>(ntohl(a.sin_addr.s_addr));
}

RtString IpToText(int32_t ip) {
  const uint32_t v = static_cast<uint32_t>(ip);
  char text[20];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(v >> 24),
                static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255),
                static_cast<int>(v & 255));
  return RtString(text);
}

RtString GetLocalIps() {
  int count = 0;
  std::string list = netsock::ListLocalAddresses("|", &count);
  if (count == 0) return RtString();
  list.pop_back();
  return RtString(list.c_str());
}

RtString NetErrorText() {
  const int code = g_lastError;
  const char* message = nullptr;
  char buffer[512];
  switch (code) {
    case kNetErrNoSlot:
      message = "No free socket slot";
      break;
    case kNetErrWouldBlock:
      message = strerror_r(EWOULDBLOCK, buffer, sizeof buffer);
      break;
    case kNetErrConnReset:
      message = strerror_r(ECONNRESET, buffer, sizeof buffer);
      break;
    case kNetErrNotStarted:
      message = "Socket layer not started";
      break;
    case kNetErrHostNotFound:
      message = "Host not found";
      break;
    default:
      message = strerror_r(code, buffer, sizeof buffer);
      if (message && std::strncmp(message, "Unknown error", 13) == 0) message = nullptr;
      break;
  }
  if (!message || !*message) return RtString();
  char text[600];
  std::snprintf(text, sizeof text, "%d %.511s", code, message);
  return RtString(text);
}
