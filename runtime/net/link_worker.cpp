// The multiplayer link's worker thread, one per link, which does all of its
// socket work. On every machine it announces new local players to the host
// and files what the host sends; on the host it also accepts connections
// and relays between them, with per-connection allowances so that one peer
// can neither starve the others nor grow the host's memory.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>
#include <vector>

#include "runtime/net/link_host.h"
#include "runtime/net/link_internal.h"
#include "runtime/net/socket_internal.h"
#include "runtime/net/sockets.h"

namespace netlink_internal {
namespace {

constexpr int kPassWaitMs = 10;
constexpr size_t kMaxClients = 128;
constexpr int kAcceptsPerPass = 16;
// Bytes read from one connection in one pass: enough for hundreds of
// messages, small enough that one busy peer cannot starve the others.
constexpr size_t kReadBudget = 64 * 1024;
constexpr size_t kReadChunk = 16 * 1024;
// The host's own connection is never dropped; while this much waits to be
// sent to it, no other connection is read.
constexpr size_t kOwnBacklogHigh = 2 * 1024 * 1024;
// A connection that has had no player admitted within this time is closed,
// and at most kMaxUnjoinedClients such connections are held (the oldest
// goes first), so idle connections cannot keep newcomers out.
constexpr auto kJoinDeadline = std::chrono::seconds(3);
constexpr size_t kMaxUnjoinedClients = 32;

enum class ReadOutcome { kOpen, kClosed };

// Reads what is waiting (up to the pass budget) and hands each piece to
// take, which returns false when the rest of the stream is of no use.
template <typename Take>
ReadOutcome ReadPieces(int fd, std::vector<uint8_t>& chunk, Take&& take) {
  size_t total = 0;
  while (total < kReadBudget) {
    const ssize_t n = ::recv(fd, chunk.data(), chunk.size(), 0);
    if (n == 0) return ReadOutcome::kClosed;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      netsock::SetLastError(netsock::ErrorFromErrno(errno));
      return ReadOutcome::kClosed;
    }
    total += static_cast<size_t>(n);
    if (!take(chunk.data(), static_cast<size_t>(n))) return ReadOutcome::kClosed;
    if (static_cast<size_t>(n) < chunk.size()) break;
  }
  return ReadOutcome::kOpen;
}

// The connection to the host: whole messages go to out; a length beyond
// the limit ends the link.
ReadOutcome ReadMessages(int fd, NetMessageReader& reader, std::vector<NetWireMessage>& out,
                         std::vector<uint8_t>& chunk) {
  return ReadPieces(fd, chunk, [&](const uint8_t* data, size_t size) {
    reader.Feed(data, size);
    NetWireMessage m;
    NetMessageReader::Result r;
    while ((r = reader.Next(m)) == NetMessageReader::kMessage) out.push_back(std::move(m));
    return r != NetMessageReader::kBadLength;
  });
}

// Announces players waiting for a number. Skipped for this pass when a
// command is writing to the connection, so the worker never waits on one.
bool AnnounceNewPlayers(NetLink& link, int fd) {
  std::unique_lock<std::mutex> sendGuard(link.sendMutex, std::try_to_lock);
  if (!sendGuard.owns_lock()) return true;
  std::string bytes;
  {
    Guard guard(link);
    for (NetPlayer& p : link.localPlayers) {
      if (p.number != kNetAwaitingAnnounce) continue;
      NetPlayerRecord record;
      record.slot = p.slot;
      record.number = p.number;
      record.hidden = p.hidden;
      record.host = p.host;
      std::memcpy(record.name, p.name, sizeof record.name);
      NetWireMessage m;
      m.type = kNetJoin;
      m.target = 0;
      m.sender = 0;
      m.body = EncodePlayerRecord(record);
      EncodeNetMessage(m, bytes);
      p.number = kNetAwaitingAnswer;
    }
  }
  return bytes.empty() || netsock::SendAll(fd, bytes.data(), bytes.size(), kNetReplyTimeoutMs);
}

void FlushClient(HostClient& c) {
  while (c.Backlog() > 0) {
    const ssize_t n = ::send(c.fd, c.out.data() + c.outSent, c.Backlog(), MSG_NOSIGNAL);
    if (n > 0) {
      c.outSent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    c.drop = true;
    return;
  }
  c.Settle();
}

// The local address of a descriptor, to recognise the host's connection to
// itself among the accepted ones.
bool SameEndpoint(int localFd, int acceptedFd) {
  sockaddr_in local{}, peer{};
  socklen_t localLength = sizeof local, peerLength = sizeof peer;
  if (::getsockname(localFd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
      ::getpeername(acceptedFd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
    return false;
  }
  return local.sin_port == peer.sin_port && local.sin_addr.s_addr == peer.sin_addr.s_addr;
}

// Closes a client and removes its players. Index order is not kept.
void CloseClient(NetLink& link, std::vector<HostClient>& clients, size_t index) {
  {
    Guard guard(link);
    RemoveClientPlayers(link, clients[index].slot);
  }
  SockClose(clients[index].slot);
  clients[index] = std::move(clients.back());
  clients.pop_back();
}

// The oldest connection that has no player admitted, or clients.size().
size_t OldestUnjoined(const std::vector<HostClient>& clients, size_t* unjoinedCount) {
  size_t oldest = clients.size();
  *unjoinedCount = 0;
  for (size_t i = 0; i < clients.size(); ++i) {
    if (clients[i].joined || clients[i].own) continue;
    ++*unjoinedCount;
    if (oldest == clients.size() || clients[i].acceptedAt < clients[oldest].acceptedAt) oldest = i;
  }
  return oldest;
}

void WorkerMain(NetLink* linkPtr) {
  NetLink& link = *linkPtr;
  int connectionFd = -1;
  int listenSlot = -1;
  int listenFd = -1;
  bool isHost = false;
  {
    Guard guard(link);
    connectionFd = netsock::SlotDescriptor(link.connectionSlot);
    listenSlot = link.listenSlot;
    listenFd = netsock::SlotDescriptor(listenSlot);
    isHost = link.host != 0;
  }
  std::vector<HostClient> clients;
  NetMessageReader connectionReader;
  std::vector<uint8_t> chunk(kReadChunk);
  std::vector<pollfd> waits;
  std::vector<NetWireMessage> fromHost;
  std::vector<FromClient> fromClients;
  bool ownSeen = false;

  for (;;) {
    bool accepting;
    {
      Guard guard(link);
      if (link.stopRequest) break;
      accepting = link.accepting != 0;
    }
    if (!AnnounceNewPlayers(link, connectionFd)) break;

    // Wait for traffic, a command's wake-up, or the pass interval. A
    // throttled connection's input is left waiting in its socket.
    const Clock::time_point passStart = Clock::now();
    HostClient* own = nullptr;
    for (HostClient& c : clients) {
      c.Refill(passStart);
      if (c.own) own = &c;
    }
    const bool ownSwamped = own && own->Backlog() > kOwnBacklogHigh;
    const auto mayRead = [ownSwamped](const HostClient& c) {
      return c.own || (!ownSwamped && !c.Throttled());
    };
    size_t unjoined = 0;
    OldestUnjoined(clients, &unjoined);
    // Room for a newcomer can always be made by closing an unjoined
    // connection.
    const bool admit =
        isHost && accepting && listenFd >= 0 && (clients.size() < kMaxClients || unjoined > 0);
    waits.clear();
    waits.push_back(pollfd{link.wakeFd, POLLIN, 0});
    waits.push_back(pollfd{connectionFd, POLLIN, 0});
    if (admit) waits.push_back(pollfd{listenFd, POLLIN, 0});
    for (const HostClient& c : clients) {
      const short events =
          static_cast<short>((mayRead(c) ? POLLIN : 0) | (c.Backlog() ? POLLOUT : 0));
      waits.push_back(pollfd{c.fd, events, 0});
    }
    if (::poll(waits.data(), waits.size(), kPassWaitMs) > 0 && (waits[0].revents & POLLIN)) {
      uint64_t drained;
      [[maybe_unused]] ssize_t n = ::read(link.wakeFd, &drained, sizeof drained);
    }

    fromHost.clear();
    const bool hostGone =
        ReadMessages(connectionFd, connectionReader, fromHost, chunk) == ReadOutcome::kClosed;

    fromClients.clear();
    if (isHost) {
      // Several pending connections are taken per pass: with only one, a
      // burst of connections overflows the listen backlog and each client
      // beyond it waits a whole SYN retry.
      for (int i = 0; admit && i < kAcceptsPerPass; ++i) {
        size_t unjoinedNow = 0;
        const size_t oldest = OldestUnjoined(clients, &unjoinedNow);
        if (clients.size() >= kMaxClients && unjoinedNow == 0) break;
        int32_t ip = 0;
        const int slot = TcpAccept(listenSlot, ip);
        if (slot < 0) break;
        if (clients.size() >= kMaxClients || unjoinedNow >= kMaxUnjoinedClients) {
          CloseClient(link, clients, oldest);
        }
        NoDelay(slot);
        HostClient c;
        c.slot = slot;
        c.fd = netsock::SlotDescriptor(slot);
        c.acceptedAt = c.refilledAt = Clock::now();
        c.own = !ownSeen && SameEndpoint(connectionFd, c.fd);
        ownSeen = ownSeen || c.own;
        clients.push_back(std::move(c));
      }
      for (HostClient& c : clients) {
        if (!mayRead(c)) continue;
        const ReadOutcome outcome = ReadPieces(c.fd, chunk, [&](const uint8_t* data, size_t size) {
          HostTakeBytes(c, data, size, fromClients);
          return !c.drop;
        });
        if (outcome == ReadOutcome::kClosed) c.drop = true;
      }
    }

    {
      Guard guard(link);
      HandleClientMessages(link, clients, fromClients);
      for (const NetWireMessage& m : fromHost) HandleHostMessage(link, m);
    }

    size_t buffered = connectionReader.Pending();
    const Clock::time_point joinCutoff = Clock::now() - kJoinDeadline;
    for (size_t i = 0; i < clients.size();) {
      HostClient& c = clients[i];
      if (!c.joined && !c.own && c.acceptedAt < joinCutoff) c.drop = true;
      if (!c.drop) FlushClient(c);
      if (c.drop) {
        CloseClient(link, clients, i);
        continue;
      }
      buffered += c.reader.Pending() + c.Backlog();
      ++i;
    }
    link.clientCount = static_cast<int>(clients.size());
    link.bufferedBytes = buffered;
    if (hostGone) break;
  }

  for (HostClient& c : clients) SockClose(c.slot);
  link.clientCount = 0;
  link.bufferedBytes = 0;
  LeaveSequence(link, false);
}

}  // namespace

void StartWorker(NetLink& link) {
  link.worker = std::thread(WorkerMain, &link);
}

}  // namespace netlink_internal
