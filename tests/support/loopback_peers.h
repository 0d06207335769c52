// Helpers the multiplayer link tests and the network benchmark share: hosting
// on a free loopback port, waiting for a condition, and raw peers that speak bytes directly.
#pragma once

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "runtime/net/multiplayer_link.h"

namespace nettest {

// The loopback address at port (0: any free port, for bind).
inline sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

// A socket listening on a free loopback port with the given backlog; the
// port in *port. -1 when none could be had.
inline int ListenOnLoopback(int backlog, int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(fd, backlog) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

// Connects a new socket (of type, e.g. SOCK_STREAM | SOCK_NONBLOCK) to the
// loopback port; the socket, or -1 when a blocking connect failed.
inline int ConnectToLoopback(int port, int type = SOCK_STREAM) {
  const int fd = ::socket(AF_INET, type, 0);
  const sockaddr_in a = Loopback(port);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 &&
      !(type & SOCK_NONBLOCK)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Hosts on a random high port (tests run in parallel processes); the port,
// or 0 when none could be had.
inline int HostSomewhere(NetLink& link) {
  std::mt19937 rng(
      static_cast<unsigned>(::getpid()) * 7919u +
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 40; ++attempt) {
    const int port = 20000 + static_cast<int>(rng() % 40000);
    if (netlink::Host(link, port)) return port;
  }
  return 0;
}

template <typename F>
bool WaitFor(F condition, int ms = 3000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// The next message for a local player, waiting for it to arrive.
inline std::string Receive(NetLink& link, int player, int ms = 3000) {
  std::string got;
  WaitFor(
      [&] {
        RtString t = netlink::ReceiveMessage(link, player);
        got.assign(t.c_str(), t.Length());
        return !got.empty();
      },
      ms);
  return got;
}

inline int OpenDescriptors() {
  int count = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d)) ++count;
    ::closedir(d);
  }
  return count;
}

// A peer that writes raw bytes to the host.
class RawPeer {
 public:
  explicit RawPeer(int port, int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const sockaddr_in a = Loopback(port);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
  }
  ~RawPeer() { Close(); }
  bool connected() const { return connected_; }
  int fd() const { return fd_; }
  bool Send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  // Reads one whole message (blocking up to ms).
  bool Read(NetWireMessage& out, int ms = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      if (reader_.Next(out) == NetMessageReader::kMessage) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      uint8_t buf[4096];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) return false;
      reader_.Feed(buf, static_cast<size_t>(n));
    }
  }
  // True once the host has closed the connection.
  bool ClosedByHost(int ms = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      uint8_t buf[4096];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) return true;
    }
    return false;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  NetMessageReader reader_;
};

inline std::string Wire(uint8_t type, int16_t target, int16_t sender, const std::string& body) {
  NetWireMessage m;
  m.type = type;
  m.target = target;
  m.sender = sender;
  m.body = body;
  std::string out;
  EncodeNetMessage(m, out);
  return out;
}

inline std::string JoinRequest(const char* name) {
  NetPlayerRecord r;
  std::snprintf(r.name, sizeof r.name, "%s", name);
  return Wire(kNetJoin, 0, 0, EncodePlayerRecord(r));
}

// A listener whose one-place accept queue is taken: further connects get
// no answer at all, as with an address where nothing is switched on.
class SilentListener {
 public:
  SilentListener() {
    listener_ = ListenOnLoopback(0, &port_);
    filler_ = ConnectToLoopback(port_);
    filled_ = listener_ >= 0 && filler_ >= 0;
  }
  ~SilentListener() {
    ::close(filler_);
    ::close(listener_);
  }
  int port() const { return port_; }
  bool filled() const { return filled_; }
  // Whether a plain connect really goes unanswered for a while.
  bool Unanswered() const {
    const int fd = ConnectToLoopback(port_, SOCK_STREAM | SOCK_NONBLOCK);
    pollfd p{fd, POLLOUT, 0};
    const bool silent = ::poll(&p, 1, 300) == 0;
    ::close(fd);
    return silent;
  }

 private:
  int listener_ = -1, filler_ = -1, port_ = 0;
  bool filled_ = false;
};

}  // namespace nettest
