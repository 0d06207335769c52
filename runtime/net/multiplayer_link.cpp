#include "runtime/net/multiplayer_link.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <new>

#include "runtime/net/link_internal.h"
#include "runtime/net/net_service.h"
#include "runtime/net/socket_internal.h"
#include "runtime/net/sockets.h"

using netlink_internal::Guard;
using netlink_internal::LeaveSequence;
using netlink_internal::NoDelay;
using netlink_internal::StartWorker;
using netlink_internal::ValidNumber;
using netlink_internal::Wake;

namespace netlink_internal {

void Wake(NetLink& link) {
  if (link.wakeFd >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(link.wakeFd, &one, sizeof one);
  }
}

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

void NoDelay(int slot) {
  const int one = 1;
  ::setsockopt(netsock::SlotDescriptor(slot), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace netlink_internal

namespace {

constexpr int kCommandPollMs = 2;
constexpr int kListenBacklog = 128;

using Clock = std::chrono::steady_clock;

void CopyName(char (&dest)[128], const char* src) {
  std::memset(dest, 0, sizeof dest);
  std::strncpy(dest, src, sizeof dest - 1);
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
    if (Clock::now() >= deadline) {
      // A host that has shut its door ignores the request. Were the player
      // kept waiting, the answer to the next request would be taken for
      // this one and every later player would get its predecessor's number.
      Guard guard(link);
      auto& locals = link.localPlayers;
      for (size_t i = 0; i < locals.size(); ++i) {
        if (locals[i].localId != id) continue;
        number = locals[i].number;
        if (!ValidNumber(number)) locals.erase(locals.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
      return number;
    }
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
  const int connection = netsock::ResolveHost(host, port, &address)
                             ? netsock::ConnectSlot(address, kNetReplyTimeoutMs)
                             : -1;
  if (connection < 0) {
    LeaveSequence(link, true);
    return 0;
  }
  BeginSession(link, connection, false);
  NetReply reply;
  if (!Query(link, kNetQueryAlive, std::string(), reply) || NetBodyU16(reply.body) != 1) {
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
      p.messageBytes -= text.size();
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
  return NetBodyU16(reply.body);
}

int PlayerId(NetLink& link, int index) {
  if (index < 0 || index > 0xFFFF) return 0;
  NetReply reply;
  if (!Query(link, kNetQueryPlayer, NetU16Body(static_cast<uint16_t>(index)), reply)) return 0;
  return NetBodyU16(reply.body);
}

RtString PlayerName(NetLink& link, int player) {
  if (!ValidNumber(player)) return RtString("NO_DATA");
  NetReply reply;
  if (!Query(link, kNetQueryName, NetU16Body(static_cast<uint16_t>(player)), reply)) {
    return RtString("NO_DATA");
  }
  CutAtZero(reply.body);
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
