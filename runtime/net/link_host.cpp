#include "runtime/net/link_host.h"

#include <algorithm>
#include <cstring>

#include "runtime/net/link_internal.h"

namespace netlink_internal {

void HostClient::Refill(Clock::time_point now) {
  const double seconds = std::chrono::duration<double>(now - refilledAt).count();
  refilledAt = now;
  sendAllowance = std::min(kSendAllowanceBurst, sendAllowance + seconds * kSendAllowancePerSecond);
  joinAllowance = std::min(kJoinBurst, joinAllowance + seconds * kJoinsPerSecond);
}

void HostClient::Settle() {
  if (outSent == out.size()) {
    out.clear();
    outSent = 0;
  } else if (outSent > 64 * 1024) {
    out.erase(0, outSent);
    outSent = 0;
  }
  if (Backlog() > kMaxClientBacklog && !own) drop = true;
}

namespace {

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

void Queue(HostClient& c, const NetWireMessage& m) {
  EncodeNetMessage(m, c.out);
}

bool Visible(const NetPlayer& p) {
  return !p.hidden && p.number < kNetNoNumber;
}

HostClient* ClientBySlot(std::vector<HostClient>& clients, int slot) {
  for (HostClient& c : clients) {
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

}  // namespace

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

// Host side: one message from a client. Caller holds the lock.
void HandleClientMessage(NetLink& link, std::vector<HostClient>& clients, HostClient& from,
                         const NetWireMessage& m) {
  const uint16_t sender = static_cast<uint16_t>(m.sender);
  // Everything a message makes the host send counts against its
  // connection's allowance.
  const auto deliver = [&from](HostClient& to, const NetWireMessage& message) {
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
        HostClient* to = ClientBySlot(clients, p.slot);
        if (!to) continue;
        relay.target = static_cast<int16_t>(p.number);
        deliver(*to, relay);
      }
    } else {
      const uint16_t target = static_cast<uint16_t>(m.target);
      for (const NetPlayer& p : link.players) {
        if (p.number != target) continue;
        if (HostClient* to = ClientBySlot(clients, p.slot)) deliver(*to, relay);
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

void HandleClientMessages(NetLink& link, std::vector<HostClient>& clients,
                          const std::vector<FromClient>& messages) {
  for (const auto& [slot, m] : messages) {
    if (HostClient* from = ClientBySlot(clients, slot))
      HandleClientMessage(link, clients, *from, m);
  }
}

void HostTakeBytes(HostClient& from, const uint8_t* data, size_t size,
                   std::vector<FromClient>& out) {
  if (from.drop) return;
  from.reader.Feed(data, size);
  NetWireMessage m;
  NetMessageReader::Result r;
  while ((r = from.reader.Next(m)) == NetMessageReader::kMessage) {
    // A peer speaking something else cannot be trusted with the rest of
    // its stream either.
    if (!ClientMayProduce(m.type)) {
      from.drop = true;
      return;
    }
    out.emplace_back(from.slot, std::move(m));
  }
  if (r == NetMessageReader::kBadLength) from.drop = true;
}

}  // namespace netlink_internal
