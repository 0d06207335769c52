#include "runtime/net/multiplayer_link.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>

#include "runtime/core/byte_order.h"
#include "runtime/net/net_service.h"
#include "runtime/net/socket_internal.h"
#include "runtime/net/sockets.h"

namespace {

constexpr int kPassWaitMs = 10;
constexpr int kCommandPollMs = 2;
constexpr size_t kMaxClients = 128;
constexpr int kAcceptsPerPass = 16;
constexpr int kListenBacklog = 128;
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

// A 16-bit body field, 0 when the body is too short to hold it.
uint16_t GetU16(const std::string& body, size_t at = 0) {
  return Le16At(ByteSpan(body), at);
}

std::string U16Body(uint16_t v) {
  std::string s;
  AppendLe16(s, v);
  return s;
}

bool ValidNumber(int n) {
  return n >= 1 && n <= kNetLastNumber;
}

// The worker and the waiting commands use the owner lock for the link's lists
// and flags; this keeps every exit path unlocking it.
class Guard {
 public:
  // A nested guard finds the lock already held (36) and leaves it to the
  // outer one.
  explicit Guard(NetLink& link) : lock_(link.lock), locked_(lock_.Lock() == 0) {}
  ~Guard() {
    if (locked_) lock_.Unlock();
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  NetOwnerLock& lock_;
  bool locked_;
};

void Wake(NetLink& link) {
  if (link.wakeFd >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(link.wakeFd, &one, sizeof one);
  }
}

void CopyName(char (&dest)[128], const char* src) {
  std::memset(dest, 0, sizeof dest);
  std::strncpy(dest, src, sizeof dest - 1);
}

// Closes the slots and resets the flags. Safe to run twice (worker exit and
// a later explicit leave). An explicit leave also forgets the local players:
// their numbers mean nothing in the next game.
void LeaveSequence(NetLink& link, bool explicitLeave) {
  std::lock_guard<std::mutex> sendGuard(link.sendMutex);
  Guard guard(link);
  if (link.listenSlot >= 0) SockClose(link.listenSlot);
  if (link.connectionSlot >= 0) SockClose(link.connectionSlot);
  link.listenSlot = link.connectionSlot = -1;
  if (link.socketLayerStarted) {
    SockShutdown();
    link.socketLayerStarted = false;
  }
  link.stopRequest = 1;
  link.running = 0;
  link.accepting = 1;
  link.host = 0;
  link.nextNumber = kNetFirstPlayer;
  link.ownNumber = 0;
  link.players.clear();
  link.replies.clear();
  if (explicitLeave) {
    link.localPlayers.clear();
    link.left.clear();
    link.lastSender = 0;
  }
}

// Sends one message to the host over the connection slot. Commands and the
// worker share the slot, so writes are serialised by sendMutex.
bool SendToHost(NetLink& link, const NetWireMessage& message) {
  std::string bytes;
  if (!EncodeNetMessage(message, bytes)) return false;
  std::lock_guard<std::mutex> sendGuard(link.sendMutex);
  int fd = -1;
  {
    Guard guard(link);
    if (!link.running || link.connectionSlot < 0) return false;
    fd = netsock::SlotDescriptor(link.connectionSlot);
  }
  return fd >= 0 && netsock::SendAll(fd, bytes.data(), bytes.size(), kNetReplyTimeoutMs);
}

// Messages are small and sent one by one; without this a message written
// while an earlier one is unacknowledged waits for the peer's delayed ACK.
void NoDelay(int slot) {
  const int one = 1;
  ::setsockopt(netsock::SlotDescriptor(slot), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// ---- the worker ----

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

// Removes the players that came through a client slot; visible ones are
// reported in the left list. Caller holds the lock.
void RemoveClientPlayers(NetLink& link, int slot) {
  auto& table = link.players;
  for (size_t i = 0; i < table.size();) {
    if (table[i].slot == slot) {
      if (Visible(table[i])) link.left.push_back(table[i].number);
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
      size_t mine = 0;
      for (const NetPlayer& p : link.players) mine += p.slot == from.slot;
      answer.type = kNetJoinAnswer;
      answer.target = static_cast<int16_t>(kNetNoNumber);
      // A refusal is answered too: the client matches answers to requests
      // in order, so every request must get exactly one.
      const bool allowed =
          link.accepting && mine < kMaxPlayersPerClient && (from.own || from.joinAllowance >= 1);
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
        if (Visible(p)) link.left.push_back(p.number);
        link.players.erase(link.players.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
      return;
    case kNetQueryCount: {
      uint16_t count = 0;
      for (const NetPlayer& p : link.players) count += Visible(p);
      answer.body = U16Body(count);
      break;
    }
    case kNetQueryPlayer: {
      const uint16_t index = GetU16(m.body);
      uint16_t number = 0;
      uint16_t seen = 0;
      for (const NetPlayer& p : link.players) {
        if (!Visible(p)) continue;
        if (seen++ == index) {
          number = p.number;
          break;
        }
      }
      answer.body = U16Body(number);
      break;
    }
    case kNetQueryName: {
      const uint16_t number = GetU16(m.body);
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
      answer.body = U16Body(1);
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
        p.messages.push_back(NetTextMessage{m.sender, m.body});
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

void StartWorker(NetLink& link) {
  link.worker = std::thread(WorkerMain, &link);
}

// Local player creation shared by NetCreatePlayer and the query player.
int CreatePlayerImpl(NetLink& link, const char* name, bool hidden) {
  uint64_t id;
  {
    Guard guard(link);
    if (!link.running) return kNetNoNumber;
    NetPlayer p;
    p.number = kNetAwaitingAnnounce;
    p.hidden = hidden ? 1 : 0;
    p.host = link.host;
    CopyName(p.name, name);
    p.localId = id = link.nextLocalId++;
    link.localPlayers.push_back(std::move(p));
  }
  Wake(link);
  const auto deadline = Clock::now() + std::chrono::milliseconds(kNetReplyTimeoutMs);
  uint16_t number = kNetAwaitingAnnounce;
  for (;;) {
    bool running;
    {
      Guard guard(link);
      running = link.running != 0;
      auto& locals = link.localPlayers;
      for (size_t i = 0; i < locals.size(); ++i) {
        if (locals[i].localId != id) continue;
        number = locals[i].number;
        // A refused player can never get a number; keep no husk of it.
        if (number == kNetNoNumber) {
          locals.erase(locals.begin() + static_cast<std::ptrdiff_t>(i));
        }
        break;
      }
    }
    if (ValidNumber(number) || number == kNetNoNumber || !running) return number;
    if (Clock::now() >= deadline) return number;
    std::this_thread::sleep_for(std::chrono::milliseconds(kCommandPollMs));
  }
}

bool EnsureOwnNumber(NetLink& link) {
  {
    Guard guard(link);
    if (!link.running) return false;
    if (ValidNumber(link.ownNumber)) return true;
  }
  const int number = CreatePlayerImpl(link, "query", true);
  if (!ValidNumber(number)) return false;
  Guard guard(link);
  link.ownNumber = static_cast<uint16_t>(number);
  return true;
}

// Asks the host and waits for the answer of the same type.
bool Query(NetLink& link, uint8_t type, std::string body, NetReply& reply) {
  if (!EnsureOwnNumber(link)) return false;
  NetWireMessage m;
  m.type = type;
  m.target = 0;
  m.body = std::move(body);
  {
    Guard guard(link);
    link.replies.clear();
    m.sender = static_cast<int16_t>(link.ownNumber);
  }
  if (!SendToHost(link, m)) return false;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kNetReplyTimeoutMs);
  for (;;) {
    {
      Guard guard(link);
      // An answer that arrived late for an earlier query of another kind
      // must not be taken for this one.
      for (auto it = link.replies.begin(); it != link.replies.end(); ++it) {
        if (it->type != type) continue;
        reply = std::move(*it);
        link.replies.erase(it);
        return true;
      }
      if (!link.running) return false;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kCommandPollMs));
  }
}

RtString BytesText(const std::string& bytes) {
  RtString text;
  text.Append(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return text;
}

}  // namespace

// ---- wire format ----

bool EncodeNetMessage(const NetWireMessage& message, std::string& out) {
  if (message.body.size() > kNetMaxBody) return false;
  out.push_back(static_cast<char>(message.type));
  AppendLe16(out, static_cast<uint16_t>(message.body.size()));
  AppendLe16(out, static_cast<uint16_t>(message.target));
  AppendLe16(out, static_cast<uint16_t>(message.sender));
  out += message.body;
  return true;
}

void NetMessageReader::Feed(const uint8_t* data, size_t size) {
  if (failed_ || size == 0) return;
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(reinterpret_cast<const char*>(data), size);
}

NetMessageReader::Result NetMessageReader::Next(NetWireMessage& out) {
  if (failed_) return kBadLength;
  const size_t available = buffer_.size() - consumed_;
  if (available < kNetHeaderSize) return kNeedMore;
  const auto* p = reinterpret_cast<const uint8_t*>(buffer_.data()) + consumed_;
  const size_t length = LoadLe16(p + 1);
  if (length > kNetMaxBody) {
    failed_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    consumed_ = 0;
    return kBadLength;
  }
  if (available < kNetHeaderSize + length) return kNeedMore;
  out.type = p[0];
  out.target = static_cast<int16_t>(LoadLe16(p + 3));
  out.sender = static_cast<int16_t>(LoadLe16(p + 5));
  out.body.assign(reinterpret_cast<const char*>(p + kNetHeaderSize), length);
  consumed_ += kNetHeaderSize + length;
  if (consumed_ == buffer_.size()) {
    buffer_.clear();
    consumed_ = 0;
  }
  return kMessage;
}

std::string EncodePlayerRecord(const NetPlayerRecord& record) {
  std::string out;
  AppendLe32(out, static_cast<uint32_t>(record.slot));
  AppendLe16(out, record.number);
  out.resize(kNetPlayerRecordSize, '\0');
  out[6] = static_cast<char>(record.hidden);
  out[7] = static_cast<char>(record.host);
  std::memcpy(&out[8], record.name, strnlen(record.name, sizeof record.name - 1));
  return out;
}

NetPlayerRecord DecodePlayerRecord(const std::string& body) {
  std::string b = body.substr(0, kNetPlayerRecordSize);
  b.resize(kNetPlayerRecordSize, '\0');
  NetPlayerRecord r;
  r.slot = static_cast<int32_t>(Le32At(ByteSpan(b), 0));
  r.number = GetU16(b, 4);
  r.hidden = static_cast<uint8_t>(b[6]);
  r.host = static_cast<uint8_t>(b[7]);
  std::memcpy(r.name, &b[8], sizeof r.name - 1);
  r.name[sizeof r.name - 1] = '\0';
  return r;
}

// ---- the owner lock ----

int NetOwnerLock::Lock() {
  if (HeldByCaller()) return 36;
  mutex_.lock();
  owner_ = std::this_thread::get_id();
  return 0;
}

int NetOwnerLock::Unlock() {
  if (!HeldByCaller()) return 1;
  owner_ = std::thread::id();
  mutex_.unlock();
  return 0;
}

bool NetOwnerLock::HeldByCaller() const {
  return owner_.load() == std::this_thread::get_id();
}

int NetLockCreate(NetOwnerLock** out) {
  if (!out) return 22;
  *out = new (std::nothrow) NetOwnerLock;
  return *out ? 0 : 12;
}

int NetLockDestroy(NetOwnerLock* lock) {
  if (!lock) return 22;
  delete lock;
  return 0;
}

int NetLock(NetOwnerLock* lock) {
  return lock ? lock->Lock() : 22;
}

int NetUnlock(NetOwnerLock* lock) {
  return lock ? lock->Unlock() : 22;
}

// ---- link ----

NetLink::NetLink() {
  wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

NetLink::~NetLink() {
  netlink::Leave(*this);
  if (wakeFd >= 0) ::close(wakeFd);
}

namespace netlink {

// Hands a connected slot to the worker: the host's own connection to itself
// or a client's connection to the host.
static void BeginSession(NetLink& link, int connection, bool host) {
  NoDelay(connection);
  {
    Guard guard(link);
    link.connectionSlot = connection;
    link.host = host ? 1 : 0;
    link.running = 1;
    link.stopRequest = 0;
  }
  StartWorker(link);
}

int Host(NetLink& link, int port) {
  Leave(link);
  if (port < 1) port = kNetDefaultPort;
  if (!SockInit()) return 0;
  {
    Guard guard(link);
    link.socketLayerStarted = true;
  }
  const int listenSlot = TcpListen(port);
  if (listenSlot < 0) {
    LeaveSequence(link, true);
    return 0;
  }
  // Players tend to join together; a deeper queue than the socket layer's
  // default keeps a burst of connections from overflowing it, which would
  // leave clients half-connected until a SYN retry a second later.
  ::listen(netsock::SlotDescriptor(listenSlot), kListenBacklog);
  {
    Guard guard(link);
    link.listenSlot = listenSlot;
  }
  // The host reaches itself over loopback: that works whatever addresses
  // the machine has and keeps its own traffic off the network.
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_port = htons(static_cast<uint16_t>(port));
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int connection = netsock::ConnectSlot(self);
  if (connection < 0) {
    LeaveSequence(link, true);
    return 0;
  }
  BeginSession(link, connection, true);
  return 1;
}

int Join(NetLink& link, const char* host, int port) {
  Leave(link);
  if (port < 1) port = kNetDefaultPort;
  if (!SockInit()) return 0;
  {
    Guard guard(link);
    link.socketLayerStarted = true;
  }
  sockaddr_in address;
  const int connection =
      netsock::ResolveHost(host, port, &address) ? netsock::ConnectSlot(address) : -1;
  if (connection < 0) {
    LeaveSequence(link, true);
    return 0;
  }
  BeginSession(link, connection, false);
  NetReply reply;
  if (!Query(link, kNetQueryAlive, std::string(), reply) || GetU16(reply.body) != 1) {
    Leave(link);
    return 0;
  }
  return 1;
}

void Leave(NetLink& link) {
  if (link.worker.joinable()) {
    {
      Guard guard(link);
      link.stopRequest = 1;
    }
    Wake(link);
    link.worker.join();
  }
  LeaveSequence(link, true);
}

int IsConnected(NetLink& link) {
  Guard guard(link);
  return link.running;
}

void AllowJoin(NetLink& link, int flag) {
  Guard guard(link);
  link.accepting = flag != 0 ? 1 : 0;
}

int CreatePlayer(NetLink& link, const RtString& name) {
  if (name.Length() == 0) return CreatePlayerImpl(link, "query", true);
  return CreatePlayerImpl(link, name.c_str(), false);
}

int RemovePlayer(NetLink& link, int player) {
  // Out-of-range numbers are failures; none of them may look like a number
  // that was sent.
  if (player < 1) return player - 1;
  if (player > kNetLastNumber) return 0;
  NetWireMessage m;
  m.type = kNetLeave;
  m.target = 0;
  m.sender = static_cast<int16_t>(static_cast<uint16_t>(player));
  if (!SendToHost(link, m)) return 0;
  Guard guard(link);
  auto& locals = link.localPlayers;
  for (size_t i = 0; i < locals.size(); ++i) {
    if (locals[i].number == player) {
      locals.erase(locals.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  if (link.ownNumber == player) link.ownNumber = 0;
  return player;
}

int SendMessage(NetLink& link, int sender, int target, const RtString& text) {
  if (text.Length() > kNetMaxBody) return 0;
  if (sender < 0 || sender > kNetLastNumber || target < -1 || target > kNetLastNumber) return 0;
  NetWireMessage m;
  m.type = kNetText;
  m.target = target == 0 ? -1 : static_cast<int16_t>(static_cast<uint16_t>(target));
  m.sender = static_cast<int16_t>(static_cast<uint16_t>(sender));
  m.body.assign(text.c_str(), text.Length());
  return SendToHost(link, m) ? 1 : 0;
}

RtString ReceiveMessage(NetLink& link, int player) {
  if (!ValidNumber(player)) return RtString();
  std::string text;
  {
    Guard guard(link);
    for (NetPlayer& p : link.localPlayers) {
      if (p.number != player) continue;
      if (p.messages.empty()) break;
      link.lastSender = p.messages.front().sender;
      text = std::move(p.messages.front().text);
      p.messages.pop_front();
      break;
    }
  }
  return BytesText(text);
}

int LastSender(NetLink& link) {
  Guard guard(link);
  return static_cast<uint16_t>(link.lastSender);
}

int PlayerCount(NetLink& link) {
  NetReply reply;
  if (!Query(link, kNetQueryCount, std::string(), reply)) return 0;
  return GetU16(reply.body);
}

int PlayerId(NetLink& link, int index) {
  if (index < 0 || index > 0xFFFF) return 0;
  NetReply reply;
  if (!Query(link, kNetQueryPlayer, U16Body(static_cast<uint16_t>(index)), reply)) return 0;
  return GetU16(reply.body);
}

RtString PlayerName(NetLink& link, int player) {
  if (!ValidNumber(player)) return RtString("NO_DATA");
  NetReply reply;
  if (!Query(link, kNetQueryName, U16Body(static_cast<uint16_t>(player)), reply)) {
    return RtString("NO_DATA");
  }
  return BytesText(reply.body);
}

int PlayerLeft(NetLink& link) {
  Guard guard(link);
  if (!link.host || link.left.empty()) return 0;
  const int number = link.left.front();
  link.left.pop_front();
  return number;
}

}  // namespace netlink

// ---- the process's link ----

namespace {
NetLink* g_link = nullptr;
}

NetLink& NetLinkInstance() {
  if (!g_link) g_link = new NetLink;
  return *g_link;
}

bool NetLinkCreated() {
  return g_link != nullptr;
}

void NetLinkShutdown() {
  if (!g_link) return;
  delete g_link;  // stops the worker and closes the slots
  g_link = nullptr;
}

int NetHost(int port) {
  return netlink::Host(NetLinkInstance(), port);
}
int NetJoin(const RtString& host, int port) {
  return netlink::Join(NetLinkInstance(), host.c_str(), port);
}
void NetLeave() {
  netlink::Leave(NetLinkInstance());
}
int NetIsConnected() {
  return netlink::IsConnected(NetLinkInstance());
}
void NetAllowJoin(int flag) {
  netlink::AllowJoin(NetLinkInstance(), flag);
}
int NetCreatePlayer(const RtString& name) {
  return netlink::CreatePlayer(NetLinkInstance(), name);
}
int NetRemovePlayer(int player) {
  return netlink::RemovePlayer(NetLinkInstance(), player);
}
int NetSendMessage(int sender, int target, const RtString& text) {
  return netlink::SendMessage(NetLinkInstance(), sender, target, text);
}
RtString NetReceiveMessage(int player) {
  return netlink::ReceiveMessage(NetLinkInstance(), player);
}
int NetLastSender() {
  return netlink::LastSender(NetLinkInstance());
}
int NetPlayerCount() {
  return netlink::PlayerCount(NetLinkInstance());
}
int NetPlayerId(int index) {
  return netlink::PlayerId(NetLinkInstance(), index);
}
RtString NetPlayerName(int player) {
  return netlink::PlayerName(NetLinkInstance(), player);
}
int NetPlayerLeft() {
  return netlink::PlayerLeft(NetLinkInstance());
}
