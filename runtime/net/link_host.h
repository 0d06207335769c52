// What the link does with the messages it receives, apart from its sockets:
// the host's side (one client connection's state, the messages cut from its
// bytes, and what each does to the player table and queues for the
// connections) and the receiving side (what a message from the host does to
// the local players and the reply queue). The worker thread feeds these
// from its sockets and sends what they queue; tests and the fuzzer feed them
// bytes directly. Not part of the program-facing header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/net/multiplayer_link.h"

namespace netlink_internal {

using Clock = std::chrono::steady_clock;

// A client that lets this much relayed data pile up is not reading; it is
// dropped rather than allowed to grow the host's memory.
inline constexpr size_t kMaxClientBacklog = 1024 * 1024;
// Join requests one connection may have admitted; more are refused so a
// flood of joins cannot grow the player table without bound.
inline constexpr size_t kMaxPlayersPerClient = 256;
// Answers the host sent that no query has taken yet; beyond this the oldest
// goes.
inline constexpr size_t kMaxReplies = 64;
// What one connection's messages may have queued for the others per second
// (relayed copies and answers), and how far ahead of that it may run. Ample
// for a game; a connection beyond it is not read until its allowance has
// grown back, so its own sending slows down, not its receivers'.
inline constexpr double kSendAllowancePerSecond = 4.0 * 1024 * 1024;
inline constexpr double kSendAllowanceBurst = 1024 * 1024;
// Join requests one connection may have admitted: a burst, then a steady
// rate, so cycling join and leave cannot run through the player numbers.
inline constexpr double kJoinsPerSecond = 4;
inline constexpr double kJoinBurst = 32;
// Texts under a sender that is not one of the connection's own players;
// one more than this and the connection is dropped.
inline constexpr int kMaxForgedTexts = 16;

// One connection the host accepted: what it has sent that is not yet a
// whole message, what waits to be sent to it, and its allowances.
struct HostClient {
  int slot = -1;
  int fd = -1;
  NetMessageReader reader;
  std::string out;  // encoded messages for it; the first outSent are sent
  size_t outSent = 0;
  bool drop = false;    // to be closed at the end of the pass
  bool own = false;     // the host's connection to itself
  bool joined = false;  // a player has been admitted through it
  Clock::time_point acceptedAt;
  Clock::time_point refilledAt;
  double sendAllowance = kSendAllowanceBurst;  // bytes
  double joinAllowance = kJoinBurst;
  int forgedTexts = 0;

  size_t Backlog() const { return out.size() - outSent; }
  bool Throttled() const { return !own && sendAllowance <= 0; }
  // Grows the allowances back for the time since the last refill.
  void Refill(Clock::time_point now);
  // After outSent has advanced: frees what was sent and marks a client that
  // lets too much pile up for dropping (never the host's own connection,
  // which this very thread drains).
  void Settle();
};

// A message cut from a client connection, with the slot it came from.
using FromClient = std::pair<int, NetWireMessage>;

// Bytes just received from a client: appends the whole messages among them
// to out, in order. A length beyond kNetMaxBody or a type only the host may
// send marks the client for dropping; nothing from that point on is taken,
// neither now nor from later bytes.
void HostTakeBytes(HostClient& from, const uint8_t* data, size_t size,
                   std::vector<FromClient>& out);

// Host side: one message from a client, as the host handles it: the player
// table, the left list and the clients' out buffers change; a client may be
// marked for dropping. Caller holds the link's lock.
void HandleClientMessage(NetLink& link, std::vector<HostClient>& clients, HostClient& from,
                         const NetWireMessage& m);

// The messages cut in one pass, in order; those whose client has gone are
// skipped. Caller holds the lock.
void HandleClientMessages(NetLink& link, std::vector<HostClient>& clients,
                          const std::vector<FromClient>& messages);

// Removes the players that came through a client slot and reports each in
// the left list. Caller holds the lock.
void RemoveClientPlayers(NetLink& link, int slot);

// Receiving side: one message from the host, filed for the local players or
// the waiting queries. Caller holds the lock.
void HandleHostMessage(NetLink& link, const NetWireMessage& m);

}  // namespace netlink_internal
