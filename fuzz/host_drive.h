// Plays a script of connection events against the host's message handling,
// the way the link's worker would with real sockets: connections open and
// close, their peers send bytes in pieces of any size and read what the host
// queued for them, time passes, the door opens and shuts. One connection's
// peer is a receiving machine that files what it reads as the worker does,
// and hostile hosts can send that machine anything. After every step the
// host's and the receiver's state must make sense.
//
// Script: a byte per step, its low 3 bits the kind and the rest the
// connection it is about (by position, modulo the connections open):
//   0, 1  the peer sends the next (1 + byte) bytes
//   2     a hostile host sends the receiver the next (1 + byte) bytes
//   3     the peer reads (1 + byte) * 64 bytes of its backlog (byte 255:
//         all of it)
//   4     byte * 16 ms pass
//   5     about connection 0: the host shuts its door, or opens it again;
//         about connection k > 0: the game has run long, only k numbers
//         are left unused before the host must reuse freed ones
//   6     a new connection is accepted (at most kMaxConnections)
//   7     the connection closes (the host's own connection stays)
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/net/link_host.h"
#include "runtime/net/link_internal.h"
#include "runtime/net/link_wire.h"

namespace hostdrive {

// One message as it goes on the wire.
inline std::string MessageBytes(const NetWireMessage& m) {
  std::string bytes;
  EncodeNetMessage(m, bytes);
  return bytes;
}

// A client's join request for a player called name.
inline std::string JoinBytes(const char* name, bool hidden) {
  NetPlayerRecord record;
  record.hidden = hidden ? 1 : 0;
  std::snprintf(record.name, sizeof record.name, "%s", name);
  return MessageBytes(
      {kNetJoin, 0, static_cast<int16_t>(kNetAwaitingAnswer), EncodePlayerRecord(record)});
}

using netlink_internal::Clock;
using netlink_internal::HostClient;

inline constexpr size_t kMaxConnections = 8;
inline constexpr int kOwnSlot = 1000;
// The connection whose peer is the receiving machine.
inline constexpr int kReceiverSlot = 1001;
inline constexpr size_t kReceiverPlayers = 4;

enum Kind : uint8_t {
  kSend = 0,
  kSendToo = 1,  // sending is the common step: two kinds of eight
  kHostileHost = 2,
  kPeerReads = 3,
  kTimePasses = 4,
  kToggleDoor = 5,
  kOpen = 6,
  kClose = 7,
};

// Builds scripts for seeds and tests.
class Script {
 public:
  Script& Send(size_t connection, const std::string& bytes) {
    return Pieces(kSend, connection, bytes);
  }
  Script& Hostile(const std::string& bytes) { return Pieces(kHostileHost, 0, bytes); }
  Script& Reads(size_t connection, uint8_t amount = 255) {
    return Step(kPeerReads, connection, amount);
  }
  Script& Wait(uint8_t sixteenths) { return Step(kTimePasses, 0, sixteenths); }
  Script& ToggleDoor() { return Op(kToggleDoor, 0); }
  Script& NumbersLeft(uint8_t unused) { return Op(kToggleDoor, unused % 32); }
  Script& Open() { return Op(kOpen, 0); }
  Script& Close(size_t connection) { return Op(kClose, connection); }
  const std::string& bytes() const { return bytes_; }

 private:
  Script& Op(Kind kind, size_t connection) {
    bytes_ += static_cast<char>(kind | (connection << 3));
    return *this;
  }
  Script& Step(Kind kind, size_t connection, uint8_t value) {
    Op(kind, connection);
    bytes_ += static_cast<char>(value);
    return *this;
  }
  Script& Pieces(Kind kind, size_t connection, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); at += 256) {
      const size_t n = std::min<size_t>(256, bytes.size() - at);
      Step(kind, connection, static_cast<uint8_t>(n - 1));
      bytes_.append(bytes, at, n);
    }
    return *this;
  }
  std::string bytes_;
};

class Session {
 public:
  Session() {
    host_.host = 1;
    now_ = Clock::time_point{} + std::chrono::hours(1);
    Accept(kOwnSlot).own = true;
    Accept(kReceiverSlot);
    for (size_t i = 0; i < kReceiverPlayers; ++i) {
      NetPlayer p;
      p.number = kNetAwaitingAnswer;
      receiver_.localPlayers.push_back(std::move(p));
    }
  }

  // Plays the script; false at the first step after which something does
  // not hold.
  bool Play(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size) {
      const uint8_t op = data[at++];
      const Kind kind = static_cast<Kind>(op & 7);
      HostClient& c = clients_[(op >> 3) % clients_.size()];
      const uint8_t value = at < size ? data[at] : 0;
      switch (kind) {
        case kSend:
        case kSendToo: {
          ++at;
          const size_t n = std::min<size_t>(1u + value, size - std::min(at, size));
          Send(c, data + at, n);
          at += n;
          break;
        }
        case kHostileHost: {
          ++at;
          const size_t n = std::min<size_t>(1u + value, size - std::min(at, size));
          if (!FromHostileHost(data + at, n)) return false;
          at += n;
          break;
        }
        case kPeerReads:
          ++at;
          if (!PeerReads(c, value == 255 ? c.Backlog() : (1u + value) * 64u)) return false;
          break;
        case kTimePasses:
          ++at;
          now_ += std::chrono::milliseconds(16 * value);
          for (HostClient& each : clients_) each.Refill(now_);
          break;
        case kToggleDoor:
          if (op >> 3) {
            // Ages the game: a host's counter only ever moves on, so the
            // numbers below it were handed out once and are never given
            // again from it (moving it back would hand out numbers in use,
            // which no real game can do).
            netlink_internal::Guard guard(host_);
            const auto aged = static_cast<uint16_t>(kNetLastNumber + 1 - (op >> 3));
            if (aged > host_.nextNumber) host_.nextNumber = aged;
          } else {
            host_.accepting = !host_.accepting;
          }
          break;
        case kOpen:
          if (clients_.size() < kMaxConnections) Accept(nextSlot_++);
          break;
        case kClose:
          if (!c.own) c.drop = true;
          break;
      }
      CloseDropped();
      if (!Holds()) return false;
    }
    return true;
  }

  NetLink& host() { return host_; }
  NetLink& receiver() { return receiver_; }
  std::vector<HostClient>& clients() { return clients_; }

 private:
  HostClient& Accept(int slot) {
    HostClient c;
    c.slot = slot;
    c.acceptedAt = c.refilledAt = now_;
    clients_.push_back(std::move(c));
    peers_.emplace_back();
    return clients_.back();
  }

  size_t IndexOf(const HostClient& c) const { return static_cast<size_t>(&c - clients_.data()); }

  // A throttled connection is not read; what its peer sends meanwhile is
  // as good as never sent, which a hostile peer could do anyway.
  void Send(HostClient& c, const uint8_t* data, size_t n) {
    if (c.Throttled()) return;
    std::vector<netlink_internal::FromClient> messages;
    netlink_internal::HostTakeBytes(c, data, n, messages);
    netlink_internal::Guard guard(host_);
    netlink_internal::HandleClientMessages(host_, clients_, messages);
  }

  // What a peer reads must be messages the host sends, well formed; the
  // receiving machine's peer files them.
  bool PeerReads(HostClient& c, size_t amount) {
    amount = std::min(amount, c.Backlog());
    NetMessageReader& peer = peers_[IndexOf(c)];
    peer.Feed(reinterpret_cast<const uint8_t*>(c.out.data() + c.outSent), amount);
    c.outSent += amount;
    c.Settle();
    NetWireMessage m;
    NetMessageReader::Result r;
    while ((r = peer.Next(m)) == NetMessageReader::kMessage) {
      if (!HostSent(m)) return false;
      if (c.slot == kReceiverSlot) {
        netlink_internal::Guard guard(receiver_);
        netlink_internal::HandleHostMessage(receiver_, m);
      }
    }
    return r == NetMessageReader::kNeedMore;
  }

  static bool HostSent(const NetWireMessage& m) {
    const uint16_t target = static_cast<uint16_t>(m.target);
    switch (m.type) {
      case kNetText:
        return netlink_internal::ValidNumber(target) &&
               std::memchr(m.body.data(), 0, m.body.size()) == nullptr;
      case kNetJoinAnswer:
        return m.sender == 0 && m.body.empty() &&
               (netlink_internal::ValidNumber(target) || target == kNetNoNumber);
      case kNetQueryCount:
      case kNetQueryPlayer:
      case kNetQueryAlive:
        return m.sender == 0 && m.body.size() == 2;
      case kNetQueryName:
        return m.sender == 0 && m.body.size() <= sizeof(NetPlayer::name);
      default:
        return false;
    }
  }

  // Bytes from a host that follows no rules, filed as the worker would
  // until the stream turns bad (which ends the worker's link).
  bool FromHostileHost(const uint8_t* data, size_t n) {
    if (hostileGone_) return true;
    hostile_.Feed(data, n);
    NetWireMessage m;
    NetMessageReader::Result r;
    while ((r = hostile_.Next(m)) == NetMessageReader::kMessage) {
      netlink_internal::Guard guard(receiver_);
      netlink_internal::HandleHostMessage(receiver_, m);
    }
    hostileGone_ = r == NetMessageReader::kBadLength;
    return true;
  }

  void CloseDropped() {
    for (size_t i = 0; i < clients_.size();) {
      if (!clients_[i].drop) {
        ++i;
        continue;
      }
      {
        netlink_internal::Guard guard(host_);
        netlink_internal::RemoveClientPlayers(host_, clients_[i].slot);
      }
      clients_[i] = std::move(clients_.back());
      clients_.pop_back();
      peers_[i] = std::move(peers_.back());
      peers_.pop_back();
    }
    // A script can make even the host's own connection speak nonsense and
    // be dropped; a fresh one keeps the script something to talk about.
    if (clients_.empty()) Accept(nextSlot_++).own = true;
  }

  bool Holds() const {
    // Each player has a number of its own and a connection that is open,
    // and no connection has more than its share.
    std::vector<uint16_t> numbers;
    std::vector<size_t> perClient(clients_.size(), 0);
    numbers.reserve(host_.players.size());
    for (const NetPlayer& p : host_.players) {
      if (!netlink_internal::ValidNumber(p.number)) return false;
      numbers.push_back(p.number);
      size_t i = 0;
      while (i < clients_.size() && clients_[i].slot != p.slot) ++i;
      if (i == clients_.size()) return false;
      if (++perClient[i] > netlink_internal::kMaxPlayersPerClient) return false;
    }
    std::sort(numbers.begin(), numbers.end());
    if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end()) return false;
    for (const HostClient& c : clients_) {
      if (c.outSent > c.out.size()) return false;
    }
    for (const uint16_t n : host_.left) {
      if (!netlink_internal::ValidNumber(n)) return false;
    }
    for (const NetPlayer& p : receiver_.localPlayers) {
      if (!netlink_internal::ValidNumber(p.number) && p.number != kNetAwaitingAnswer &&
          p.number != kNetNoNumber) {
        return false;
      }
      size_t bytes = 0;
      for (const NetTextMessage& t : p.messages) {
        if (std::memchr(t.text.data(), 0, t.text.size())) return false;
        bytes += t.text.size();
      }
      if (bytes != p.messageBytes || bytes > kNetMaxQueuedTextBytes ||
          p.messages.size() > kNetMaxQueuedTexts) {
        return false;
      }
    }
    return receiver_.replies.size() <= netlink_internal::kMaxReplies;
  }

  NetLink host_;
  NetLink receiver_;
  std::vector<HostClient> clients_;
  std::vector<NetMessageReader> peers_;  // what each connection's peer has read
  NetMessageReader hostile_;
  bool hostileGone_ = false;
  Clock::time_point now_;
  int nextSlot_ = kReceiverSlot + 1;
};

}  // namespace hostdrive
