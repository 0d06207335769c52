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
// A client that lets this much relayed data pile up is not reading; it is
// dropped rather than allowed to grow the host's memory.
constexpr size_t kMaxClientBacklog = 1024 * 1024;
// Join requests one connection may have admitted; more are refused so a
// flood of joins cannot grow the player table without bound.
constexpr size_t kMaxPlayersPerClient = 256;
constexpr size_t kMaxReplies = 64;
// What one connection's messages may have queued for the others per second
// (relayed copies and answers), and how far ahead of that it may run. Ample
// for a game; a connection beyond it is not read until its allowance has
// grown back, so its own sending slows down, not its receivers'.
constexpr double kSendAllowancePerSecond = 4.0 * 1024 * 1024;
constexpr double kSendAllowanceBurst = 1024 * 1024;
// The host's own connection is never dropped; while this much waits to be
// sent to it, no other connection is read.
constexpr size_t kOwnBacklogHigh = 2 * 1024 * 1024;
// A connection that has had no player admitted within this time is closed,
// and at most kMaxUnjoinedClients such connections are held (the oldest
// goes first), so idle connections cannot keep newcomers out.
constexpr auto kJoinDeadline = std::chrono::seconds(3);
constexpr size_t kMaxUnjoinedClients = 32;
// Join requests one connection may have admitted: a burst, then a steady
// rate, so cycling join and leave cannot run through the player numbers.
constexpr double kJoinsPerSecond = 4;
constexpr double kJoinBurst = 32;
// Texts under a sender that is not one of the connection's own players;
// one more than this and the connection is dropped.
constexpr int kMaxForgedTexts = 16;

using Clock = std::chrono::steady_clock;

struct Client {
  int slot = -1;
  int fd = -1;
  NetMessageReader reader;
  std::string out;
  size_t outSent = 0;
  bool drop = false;
  bool own = false;     // the host's connection to itself
  bool joined = false;  // a player has been admitted through it
  Clock::time_point acceptedAt;
  Clock::time_point refilledAt;
  double sendAllowance = kSendAllowanceBurst;  // bytes
  double joinAllowance = kJoinBurst;
  int forgedTexts = 0;
  size_t Backlog() const { return out.size() - outSent; }
  bool Throttled() const { return !own && sendAllowance <= 0; }
  void Refill(Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - refilledAt).count();
    refilledAt = now;
    sendAllowance =
        std::min(kSendAllowanceBurst, sendAllowance + seconds * kSendAllowancePerSecond);
    joinAllowance = std::min(kJoinBurst, joinAllowance + seconds * kJoinsPerSecond);
  }
};

enum class ReadOutcome { kOpen, kClosed };

// Reads what is waiting (up to the pass budget) and cuts it into messages.
ReadOutcome ReadMessages(int fd, NetMessageReader& reader, std::vector<NetWireMessage>& out,
                         std::vector<uint8_t>& chunk) {
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
    reader.Feed(chunk.data(), static_cast<size_t>(n));
    NetWireMessage m;
    NetMessageReader::Result r;
    while ((r = reader.Next(m)) == NetMessageReader::kMessage) out.push_back(std::move(m));
    if (r == NetMessageReader::kBadLength) return ReadOutcome::kClosed;
    if (static_cast<size_t>(n) < chunk.size()) break;
  }
  return ReadOutcome::kOpen;
}

bool ClientMayProduce(uint8_t type) {
  switch (type) {
    case kNetJoin:
    case kNetText:
    case kNetLeave:
    case kNetQueryCount:
    case kNetQueryPlayer:
    case kNetQueryName:
    case kNetQueryAlive:
      return true;
    default:
      return false;
  }
}

void Queue(Client& c, const NetWireMessage& m) {
  EncodeNetMessage(m, c.out);
}

bool Visible(const NetPlayer& p) {
  return !p.hidden && p.number < kNetNoNumber;
}

// Removes the players that came through a client slot and reports each in
// the left list, hidden ones too: the program saw them join through the
// same table and would otherwise never learn that their numbers are free.
// Caller holds the lock.
void RemoveClientPlayers(NetLink& link, int slot) {
  auto& table = link.players;
  for (size_t i = 0; i < table.size();) {
    if (table[i].slot == slot) {
      link.left.push_back(table[i].number);
      table.erase(table.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

Client* ClientBySlot(std::vector<Client>& clients, int slot) {
  for (Client& c : clients) {
    if (c.slot == slot) return &c;
  }
  return nullptr;
}

// The number for a joining player: the next unused one while the range
// lasts, then the lowest one no player holds; 0 when every one is held.
// Caller holds the lock.
uint16_t TakePlayerNumber(NetLink& link) {
  if (link.nextNumber >= kNetFirstPlayer && link.nextNumber <= kNetLastNumber) {
    return link.nextNumber++;
  }
  std::vector<bool> held(kNetLastNumber + 1u, false);
  for (const NetPlayer& p : link.players) {
    if (p.number <= kNetLastNumber) held[p.number] = true;
  }
  for (uint32_t n = kNetFirstPlayer; n <= kNetLastNumber; ++n) {
    if (!held[n]) return static_cast<uint16_t>(n);
  }
  return 0;
}

bool PlayerOfClient(const NetLink& link, uint16_t number, int slot) {
  for (const NetPlayer& p : link.players) {
    if (p.number == number) return p.slot == slot;
  }
  return false;
}

// Host side: one message from a client. Caller holds the lock.
void HandleClientMessage(NetLink& link, std::vector<Client>& clients, Client& from,
                         const NetWireMessage& m) {
  const uint16_t sender = static_cast<uint16_t>(m.sender);
  // Everything a message makes the host send counts against its
  // connection's allowance.
  const auto deliver = [&from](Client& to, const NetWireMessage& message) {
    Queue(to, message);
    if (!from.own) from.sendAllowance -= static_cast<double>(kNetHeaderSize + message.body.size());
  };
  if (m.type == kNetText) {
    // Only a player that joined through this connection may speak on it.
    if (!PlayerOfClient(link, sender, from.slot)) {
      if (++from.forgedTexts > kMaxForgedTexts) from.drop = true;
      return;
    }
    NetWireMessage relay = m;
    CutAtZero(relay.body);
    if (m.target == -1) {
      for (const NetPlayer& p : link.players) {
        if (p.hidden || p.number == sender) continue;
        Client* to = ClientBySlot(clients, p.slot);
        if (!to) continue;
        relay.target = static_cast<int16_t>(p.number);
        deliver(*to, relay);
      }
    } else {
      const uint16_t target = static_cast<uint16_t>(m.target);
      for (const NetPlayer& p : link.players) {
        if (p.number != target) continue;
        if (Client* to = ClientBySlot(clients, p.slot)) deliver(*to, relay);
        break;
      }
    }
    return;
  }
  if (m.target != 0) return;
  NetWireMessage answer;
  answer.type = m.type;
  answer.target = m.sender;
  answer.sender = 0;
  switch (m.type) {
    case kNetJoin: {
      // While the door is shut a request gets no answer at all; the asker
      // gives up after its reply time and forgets the player, so the
      // answers to later requests still pair up with them in order.
      if (!link.accepting) return;
      size_t mine = 0;
      for (const NetPlayer& p : link.players) mine += p.slot == from.slot;
      answer.type = kNetJoinAnswer;
      answer.target = static_cast<int16_t>(kNetNoNumber);
      // A refusal for any other reason is answered: the client matches
      // answers to requests in order, so every request it still waits for
      // must get exactly one.
      const bool allowed = mine < kMaxPlayersPerClient && (from.own || from.joinAllowance >= 1);
      const uint16_t number = allowed ? TakePlayerNumber(link) : 0;
      if (number != 0) {
        from.joinAllowance -= 1;
        from.joined = true;
        const NetPlayerRecord record = DecodePlayerRecord(m.body);
        NetPlayer p;
        p.slot = from.slot;
        p.number = number;
        p.hidden = record.hidden ? 1 : 0;
        p.host = record.host ? 1 : 0;
        std::memcpy(p.name, record.name, sizeof p.name);
        link.players.push_back(std::move(p));
        answer.target = static_cast<int16_t>(link.players.back().number);
      }
      deliver(from, answer);
      return;
    }
    case kNetLeave:
      // Only a player that joined through this connection may be removed
      // by it.
      for (size_t i = 0; i < link.players.size(); ++i) {
        const NetPlayer& p = link.players[i];
        if (p.number != sender || p.slot != from.slot) continue;
        link.left.push_back(p.number);
        link.players.erase(link.players.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
      return;
    case kNetQueryCount: {
      uint16_t count = 0;
      for (const NetPlayer& p : link.players) count += Visible(p);
      answer.body = NetU16Body(count);
      break;
    }
    case kNetQueryPlayer: {
      const uint16_t index = NetBodyU16(m.body);
      uint16_t number = 0;
      uint16_t seen = 0;
      for (const NetPlayer& p : link.players) {
        if (!Visible(p)) continue;
        if (seen++ == index) {
          number = p.number;
          break;
        }
      }
      answer.body = NetU16Body(number);
      break;
    }
    case kNetQueryName: {
      const uint16_t number = NetBodyU16(m.body);
      answer.body = "NO_DATA";
      for (const NetPlayer& p : link.players) {
        if (p.number == number) {
          answer.body.assign(p.name, strnlen(p.name, sizeof p.name));
          break;
        }
      }
      break;
    }
    case kNetQueryAlive:
      answer.body = NetU16Body(1);
      break;
    default:
      return;
  }
  deliver(from, answer);
}

// Receiving side: one message from the host. Caller holds the lock.
void HandleHostMessage(NetLink& link, const NetWireMessage& m) {
  if (m.type == kNetText) {
    const uint16_t target = static_cast<uint16_t>(m.target);
    for (NetPlayer& p : link.localPlayers) {
      if (p.number == target && ValidNumber(p.number)) {
        // The host cuts what it relays, but a peer acting as host may not.
        NetTextMessage text{m.sender, m.body};
        CutAtZero(text.text);
        // A player that does not keep up loses its oldest texts rather
        // than letting a flooder grow this process without bound.
        while (!p.messages.empty() &&
               (p.messages.size() >= kNetMaxQueuedTexts ||
                p.messageBytes + text.text.size() > kNetMaxQueuedTextBytes)) {
          p.messageBytes -= p.messages.front().text.size();
          p.messages.pop_front();
        }
        p.messageBytes += text.text.size();
        p.messages.push_back(std::move(text));
        break;
      }
    }
    return;
  }
  if (m.sender != 0) return;
  if (m.type == kNetJoinAnswer) {
    for (NetPlayer& p : link.localPlayers) {
      if (p.number == kNetAwaitingAnswer) {
        p.number = static_cast<uint16_t>(m.target);
        if (!ValidNumber(p.number)) p.number = kNetNoNumber;
        break;
      }
    }
  } else if (m.type > 99) {
    if (link.replies.size() >= kMaxReplies) link.replies.pop_front();
    link.replies.push_back(NetReply{m.type, m.body});
  }
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

void FlushClient(Client& c) {
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
  if (c.outSent == c.out.size()) {
    c.out.clear();
    c.outSent = 0;
  } else if (c.outSent > 64 * 1024) {
    c.out.erase(0, c.outSent);
    c.outSent = 0;
  }
  // A peer that does not read its messages is dropped; the host's own
  // connection is drained by this very thread and is never given up.
  if (c.Backlog() > kMaxClientBacklog && !c.own) c.drop = true;
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
void CloseClient(NetLink& link, std::vector<Client>& clients, size_t index) {
  {
    Guard guard(link);
    RemoveClientPlayers(link, clients[index].slot);
  }
  SockClose(clients[index].slot);
  clients[index] = std::move(clients.back());
  clients.pop_back();
}

// The oldest connection that has no player admitted, or clients.size().
size_t OldestUnjoined(const std::vector<Client>& clients, size_t* unjoinedCount) {
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
  std::vector<Client> clients;
  NetMessageReader connectionReader;
  std::vector<uint8_t> chunk(kReadChunk);
  std::vector<pollfd> waits;
  std::vector<NetWireMessage> fromHost;
  std::vector<std::pair<int, NetWireMessage>> fromClients;  // client slot, message
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
    Client* own = nullptr;
    for (Client& c : clients) {
      c.Refill(passStart);
      if (c.own) own = &c;
    }
    const bool ownSwamped = own && own->Backlog() > kOwnBacklogHigh;
    const auto mayRead = [ownSwamped](const Client& c) {
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
    for (const Client& c : clients) {
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
        Client c;
        c.slot = slot;
        c.fd = netsock::SlotDescriptor(slot);
        c.acceptedAt = c.refilledAt = Clock::now();
        c.own = !ownSeen && SameEndpoint(connectionFd, c.fd);
        ownSeen = ownSeen || c.own;
        clients.push_back(std::move(c));
      }
      std::vector<NetWireMessage> got;
      for (Client& c : clients) {
        if (!mayRead(c)) continue;
        got.clear();
        if (ReadMessages(c.fd, c.reader, got, chunk) == ReadOutcome::kClosed) c.drop = true;
        for (NetWireMessage& m : got) {
          // A peer speaking something else cannot be trusted with the
          // rest of its stream either.
          if (!ClientMayProduce(m.type)) {
            c.drop = true;
            break;
          }
          fromClients.emplace_back(c.slot, std::move(m));
        }
      }
    }

    {
      Guard guard(link);
      for (auto& [slot, m] : fromClients) {
        Client* from = ClientBySlot(clients, slot);
        if (from) HandleClientMessage(link, clients, *from, m);
      }
      for (const NetWireMessage& m : fromHost) HandleHostMessage(link, m);
    }

    size_t buffered = connectionReader.Pending();
    const Clock::time_point joinCutoff = Clock::now() - kJoinDeadline;
    for (size_t i = 0; i < clients.size();) {
      Client& c = clients[i];
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

  for (Client& c : clients) SockClose(c.slot);
  link.clientCount = 0;
  link.bufferedBytes = 0;
  LeaveSequence(link, false);
}

}  // namespace

void StartWorker(NetLink& link) {
  link.worker = std::thread(WorkerMain, &link);
}

}  // namespace netlink_internal
