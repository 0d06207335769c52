// The multiplayer link: a small client-server message system. One machine
// hosts (it listens and also connects to itself, so host and clients behave
// alike); every machine creates local players; the host numbers them from
// 101, relays text messages between them, answers queries about the player
// list and reports players that left. Numbers rise until the last one has
// been given out; then the lowest number no player holds is given again.
// One worker thread per link does all socket work; the commands talk to it
// through queues under one lock. The messages they exchange are in
// link_wire.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/rt_string.h"
#include "runtime/net/link_wire.h"

// The port NetHost and NetJoin use for a port below 1.
inline constexpr int kNetDefaultPort = 27910;
// How long a command waits for the host (admission, query answers).
inline constexpr int kNetReplyTimeoutMs = 5000;

// Memory a peer can make this machine hold is bounded both ways:
// - Per connection (host): relayed data a client does not read piles up to
//   1 MiB; then that connection is closed. The host's own connection is
//   never closed: while 2 MiB wait for it no other connection is read.
// - Per local player (host and clients): texts received but not yet taken
//   by ReceiveMessage are kept up to kNetMaxQueuedTexts texts and
//   kNetMaxQueuedTextBytes bytes; beyond either the oldest are dropped, so
//   a player that reads rarely (or never) while another floods it still
//   gets the latest texts and the queue stays small.
inline constexpr size_t kNetMaxQueuedTexts = 4096;
inline constexpr size_t kNetMaxQueuedTextBytes = 1024 * 1024;

// ---- link state ----

// A lock that remembers its owning thread: locking again by the owner
// reports 36 instead of deadlocking, unlocking by another thread is refused
// with 1; a missing lock gives 22 and a failed creation 12.
class NetOwnerLock {
 public:
  int Lock();
  int Unlock();
  bool HeldByCaller() const;

 private:
  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
};
int NetLockCreate(NetOwnerLock** out);
int NetLockDestroy(NetOwnerLock* lock);
int NetLock(NetOwnerLock* lock);
int NetUnlock(NetOwnerLock* lock);

struct NetTextMessage {
  int16_t sender = 0;
  std::string text;
};

struct NetPlayer {
  int32_t slot = -1;  // client connection on the host; -1 for a local player
  uint16_t number = kNetNoNumber;
  uint8_t hidden = 0;
  uint8_t host = 0;
  char name[128] = {};
  std::deque<NetTextMessage> messages;  // local players: received texts
  size_t messageBytes = 0;              // local players: text bytes queued
  uint64_t localId = 0;                 // local players: stable handle
};

struct NetReply {
  uint8_t type = 0;
  std::string body;
};

struct NetLink {
  // Guarded by lock.
  uint16_t nextNumber = kNetFirstPlayer;
  uint16_t ownNumber = 0;
  int listenSlot = -1;
  int connectionSlot = -1;
  std::vector<NetPlayer> localPlayers;
  std::vector<NetPlayer> players;  // host: the whole game
  std::deque<NetReply> replies;
  std::deque<uint16_t> left;  // host: departed player numbers, oldest first
  uint8_t host = 0;
  uint8_t stopRequest = 1;
  uint8_t running = 0;
  uint8_t accepting = 1;
  int16_t lastSender = 0;
  uint64_t nextLocalId = 1;
  bool socketLayerStarted = false;
  NetOwnerLock lock;

  // Serialises writes to the connection slot (commands and worker).
  std::mutex sendMutex;
  std::thread worker;
  int wakeFd = -1;  // eventfd that cuts the worker's wait short

  // Worker statistics for tests: client connections and bytes buffered for
  // them right now.
  std::atomic<int> clientCount{0};
  std::atomic<size_t> bufferedBytes{0};

  NetLink();
  ~NetLink();
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;
};

// The process's link, created on first use so programs
// without a window can use the network commands.
NetLink& NetLinkInstance();
// Stops the process's link and frees it (program end).
void NetLinkShutdown();

// ---- commands on the process's link ----

// Leaves any game, then hosts one on the TCP port (below 1: 27910) of every
// local address. 1 on success, 0 when the port cannot be opened.
int NetHost(int port);
// Leaves any game, then joins the one hosted at host (a name or dotted
// address) and port (below 1: 27910). 1 when the host answered within
// kNetReplyTimeoutMs, else 0.
int NetJoin(const RtString& host, int port);
// Leaves the game: closes the connection and forgets the local players.
void NetLeave();
// 1 while the link to the game runs, else 0 (also after the host went away).
int NetIsConnected();
// Host: nonzero (the default) admits new players, 0 turns them away.
void NetAllowJoin(int flag);
// The new player's number, or kNetNoNumber or above when the host did not
// admit it. An empty name creates a hidden player named "query".
int NetCreatePlayer(const RtString& name);
// Removes a local player from the game; the player's number on success,
// 0 (or below, for a number below 1) on failure.
int NetRemovePlayer(int player);
// target 0 sends to every other visible player.
int NetSendMessage(int sender, int target, const RtString& text);
// The oldest text message waiting for the local player, or the empty text.
RtString NetReceiveMessage(int player);
// The sender of the message NetReceiveMessage returned last (0 before any).
int NetLastSender();
// How many visible players the game has (asked of the host; 0 on no
// answer).
int NetPlayerCount();
// The index-th visible player (0 is the first), 0 when none.
int NetPlayerId(int index);
// The player's name (asked of the host), or "NO_DATA".
RtString NetPlayerName(int player);
// Host: the number of a player that left since the last call (oldest
// first), or 0.
int NetPlayerLeft();

// ---- the same on any link (several links live in one test process) ----

namespace netlink {
int Host(NetLink& link, int port);
int Join(NetLink& link, const char* host, int port);
void Leave(NetLink& link);
int IsConnected(NetLink& link);
void AllowJoin(NetLink& link, int flag);
int CreatePlayer(NetLink& link, const RtString& name);
int RemovePlayer(NetLink& link, int player);
int SendMessage(NetLink& link, int sender, int target, const RtString& text);
RtString ReceiveMessage(NetLink& link, int player);
int LastSender(NetLink& link);
int PlayerCount(NetLink& link);
int PlayerId(NetLink& link, int index);
RtString PlayerName(NetLink& link, int player);
int PlayerLeft(NetLink& link);
}  // namespace netlink
