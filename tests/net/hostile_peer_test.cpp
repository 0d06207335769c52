// Peers that do not follow the protocol: the host drops them, keeps serving
// the well-behaved client, and holds on to no memory or descriptors for them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "runtime/net/socket_internal.h"
#include "runtime/runtime.h"

namespace {

using nettest::JoinRequest;
using nettest::RawPeer;
using nettest::Receive;
using nettest::WaitFor;
using nettest::Wire;

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = nettest::HostSomewhere(host_);
    ASSERT_NE(port_, 0);
    hostPlayer_ = netlink::CreatePlayer(host_, RtString("keeper"));
    ASSERT_EQ(netlink::Join(client_, "127.0.0.1", port_), 1);
    clientPlayer_ = netlink::CreatePlayer(client_, RtString("good"));
    ASSERT_LT(clientPlayer_, kNetNoNumber);
    ASSERT_TRUE(StillServed());
  }
  void TearDown() override {
    netlink::Leave(client_);
    netlink::Leave(host_);
    EXPECT_EQ(netsock::UsedSlotCount(), 0);
  }
  // The well-behaved client and the host still exchange messages.
  bool StillServed() {
    const std::string text = "ping " + std::to_string(++round_);
    if (!netlink::SendMessage(client_, clientPlayer_, hostPlayer_, RtString(text.c_str()))) {
      return false;
    }
    if (Receive(host_, hostPlayer_) != text) return false;
    if (!netlink::SendMessage(host_, hostPlayer_, clientPlayer_, RtString(text.c_str()))) {
      return false;
    }
    return Receive(client_, clientPlayer_) == text;
  }
  // Clients the host holds besides its own connection and the good client.
  int Strangers() { return host_.clientCount.load() - 2; }

  NetLink host_, client_;
  int port_ = 0;
  int hostPlayer_ = 0, clientPlayer_ = 0;
  int round_ = 0;
};

TEST_F(Hostile, OversizedLengthGarbageAndUnknownTypesAreDropped) {
  {
    RawPeer peer(port_);
    ASSERT_TRUE(peer.connected());
    ASSERT_TRUE(peer.Send(JoinRequest("liar")));
    NetWireMessage answer;
    ASSERT_TRUE(peer.Read(answer));
    const int liar = static_cast<uint16_t>(answer.target);
    ASSERT_TRUE(liar >= kNetFirstPlayer && liar <= kNetLastNumber);
    // Claims a body of 60000 bytes.
    ASSERT_TRUE(peer.Send(std::string("\x03\x60\xea\xff\xff\x00\x00", 7)));
    EXPECT_TRUE(peer.ClosedByHost());
    // Its player is gone and reported.
    ASSERT_TRUE(WaitFor([&] { return netlink::PlayerLeft(host_) == liar; }));
  }
  {
    RawPeer peer(port_);
    ASSERT_TRUE(peer.Send("GET / HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(peer.ClosedByHost());
  }
  {
    RawPeer peer(port_);
    // A join answer is the host's to send, not a client's.
    ASSERT_TRUE(peer.Send(Wire(kNetJoinAnswer, 0, 0, "")));
    EXPECT_TRUE(peer.ClosedByHost());
  }
  EXPECT_TRUE(StillServed());
  EXPECT_TRUE(WaitFor([&] { return Strangers() == 0; }));
  EXPECT_EQ(netlink::PlayerCount(client_), 2);
}

TEST_F(Hostile, HalfMessageThenSilenceStallsNobody) {
  RawPeer peer(port_);
  ASSERT_TRUE(peer.Send(JoinRequest("stuck")));
  NetWireMessage answer;
  ASSERT_TRUE(peer.Read(answer));
  const int stuck = static_cast<uint16_t>(answer.target);
  // Header promising 100 bytes, then only 10 of them.
  std::string half = Wire(kNetText, -1, static_cast<int16_t>(stuck), std::string(100, 'z'));
  half.resize(kNetHeaderSize + 10);
  ASSERT_TRUE(peer.Send(half));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(StillServed());
  EXPECT_LE(host_.bufferedBytes.load(), 4096u);
  // The rest of it never comes: the peer vanishes mid-message.
  peer.Close();
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerLeft(host_) == stuck; }));
  EXPECT_TRUE(WaitFor([&] { return Strangers() == 0; }));
  EXPECT_TRUE(StillServed());
  // The partial broadcast was never delivered.
  EXPECT_EQ(netlink::ReceiveMessage(client_, clientPlayer_), "");
}

TEST_F(Hostile, ForeignLeaveIsIgnored) {
  RawPeer peer(port_);
  ASSERT_TRUE(peer.Send(Wire(kNetLeave, 0, static_cast<int16_t>(clientPlayer_), "")));
  ASSERT_TRUE(peer.Send(Wire(kNetQueryCount, 0, 0, "")));
  NetWireMessage answer;
  ASSERT_TRUE(peer.Read(answer));
  EXPECT_EQ(answer.type, kNetQueryCount);
  EXPECT_EQ(answer.body, std::string("\x02\x00", 2));
  EXPECT_EQ(netlink::PlayerLeft(host_), 0);
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, ConnectDisconnectCyclesLeaveNothingBehind) {
  const int descriptors = nettest::OpenDescriptors();
  const int slots = netsock::UsedSlotCount();
  for (int i = 0; i < 200; ++i) {
    RawPeer peer(port_);
    ASSERT_TRUE(peer.connected());
    if (i % 2) peer.Send(JoinRequest("flicker"));
    peer.Close();
    // In batches below the listen backlog, so no connect waits out a SYN
    // retry.
    if (i % 8 == 7) {
      ASSERT_TRUE(WaitFor([&] { return Strangers() == 0; })) << "cycle " << i;
    }
  }
  ASSERT_TRUE(
      WaitFor([&] { return Strangers() == 0 && netsock::UsedSlotCount() == slots; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return nettest::OpenDescriptors() == descriptors; }));
  EXPECT_TRUE(StillServed());
  EXPECT_EQ(netlink::PlayerCount(client_), 2);
  int reported = 0;
  while (netlink::PlayerLeft(host_)) ++reported;
  EXPECT_LE(reported, 100);
}

TEST_F(Hostile, FloodWithoutReadingIsCutOff) {
  // Queries whose answers the peer never reads: the host must not keep them
  // all.
  RawPeer peer(port_, 4096);
  ASSERT_TRUE(peer.connected());
  const std::string query = Wire(kNetQueryAlive, 0, 0, "");
  std::string burst;
  for (int i = 0; i < 4096; ++i) burst += query;
  size_t peak = 0;
  bool cut = false;
  for (int i = 0; i < 2000 && !cut; ++i) {
    const ssize_t n = ::send(peer.fd(), burst.data(), burst.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) cut = true;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    peak = std::max(peak, host_.bufferedBytes.load());
  }
  EXPECT_TRUE(cut);
  EXPECT_LE(peak, 2u * 1024 * 1024);
  EXPECT_TRUE(WaitFor([&] { return Strangers() == 0; }));
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, JoinFloodIsBounded) {
  RawPeer peer(port_);
  std::string joins;
  for (int i = 0; i < 400; ++i) joins += JoinRequest("clone");
  ASSERT_TRUE(peer.Send(joins));
  int admitted = 0, refused = 0;
  NetWireMessage answer;
  while (admitted + refused < 400 && peer.Read(answer)) {
    if (static_cast<uint16_t>(answer.target) < kNetNoNumber) {
      ++admitted;
    } else {
      ++refused;
    }
  }
  // A burst is admitted, the rest refused, each with an answer.
  EXPECT_EQ(admitted, 32);
  EXPECT_EQ(refused, 368);
  EXPECT_TRUE(StillServed());
  // Given time, the connection may join again.
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  ASSERT_TRUE(peer.Send(JoinRequest("later")));
  ASSERT_TRUE(peer.Read(answer));
  EXPECT_LT(static_cast<uint16_t>(answer.target), kNetNoNumber);
}

// Joins a raw peer; its player number, or 0.
int JoinRaw(RawPeer& peer, const char* name) {
  NetWireMessage answer;
  if (!peer.Send(JoinRequest(name)) || !peer.Read(answer)) return 0;
  const int number = static_cast<uint16_t>(answer.target);
  return number < kNetNoNumber ? number : 0;
}

// Joins a raw peer's hidden player, as a query player is joined.
int JoinRawHidden(RawPeer& peer) {
  NetPlayerRecord r;
  r.hidden = 1;
  std::snprintf(r.name, sizeof r.name, "query");
  NetWireMessage answer;
  if (!peer.Send(Wire(kNetJoin, 0, 0, EncodePlayerRecord(r))) || !peer.Read(answer)) return 0;
  const int number = static_cast<uint16_t>(answer.target);
  return number < kNetNoNumber ? number : 0;
}

// The departures the host reports, sorted, once at least count are in.
std::vector<int> Departures(NetLink& host, size_t count) {
  std::vector<int> got;
  WaitFor([&] {
    for (int n = netlink::PlayerLeft(host); n; n = netlink::PlayerLeft(host)) got.push_back(n);
    return got.size() >= count;
  });
  std::sort(got.begin(), got.end());
  return got;
}

TEST_F(Hostile, HiddenPlayersDeparturesAreReportedOnceLikeAnyOther) {
  {
    RawPeer peer(port_);
    const int seen = JoinRaw(peer, "seen");
    const int hidden = JoinRawHidden(peer);
    ASSERT_NE(seen, 0);
    ASSERT_NE(hidden, 0);
    EXPECT_EQ(netlink::PlayerCount(client_), 3);
    // Leaving by message.
    ASSERT_TRUE(peer.Send(Wire(kNetLeave, 0, static_cast<int16_t>(hidden), "")));
    EXPECT_EQ(Departures(host_, 1), std::vector<int>{hidden});
    EXPECT_EQ(netlink::PlayerName(client_, hidden), "NO_DATA");
    // The closed connection reports only the player still left.
    peer.Close();
    EXPECT_EQ(Departures(host_, 1), std::vector<int>{seen});
  }
  {
    RawPeer peer(port_);
    const int seen = JoinRaw(peer, "seen");
    const int hidden = JoinRawHidden(peer);
    ASSERT_NE(hidden, 0);
    peer.Close();
    EXPECT_EQ(Departures(host_, 2), (std::vector<int>{seen, hidden}));
  }
  EXPECT_EQ(netlink::PlayerLeft(host_), 0);
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, ShutDoorLeavesJoinRequestsUnanswered) {
  RawPeer peer(port_);
  const int early = JoinRaw(peer, "early");
  ASSERT_NE(early, 0);
  netlink::AllowJoin(host_, 0);
  ASSERT_TRUE(peer.Send(JoinRequest("shut out")));
  ASSERT_TRUE(peer.Send(JoinRequest("shut out too")));
  // The query behind the requests is answered first: they were read and
  // passed over.
  ASSERT_TRUE(peer.Send(Wire(kNetQueryCount, 0, 0, "")));
  NetWireMessage answer;
  ASSERT_TRUE(peer.Read(answer));
  EXPECT_EQ(answer.type, kNetQueryCount);
  EXPECT_EQ(answer.body, std::string("\x03\x00", 2));
  EXPECT_FALSE(peer.Read(answer, 300));
  // Once open, the next request is answered, and the ignored ones were
  // not admitted behind the peer's back.
  netlink::AllowJoin(host_, 1);
  const int later = JoinRaw(peer, "later");
  EXPECT_TRUE(later >= kNetFirstPlayer && later <= kNetLastNumber);
  EXPECT_EQ(netlink::PlayerCount(client_), 4);
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, ZeroBytesEndTextsAndNames) {
  RawPeer peer(port_);
  std::string record = EncodePlayerRecord(NetPlayerRecord{});
  record.replace(8, 7, std::string("Bob\0xyz", 7));
  ASSERT_TRUE(peer.Send(Wire(kNetJoin, 0, 0, record)));
  NetWireMessage answer;
  ASSERT_TRUE(peer.Read(answer));
  const int bob = static_cast<uint16_t>(answer.target);
  ASSERT_LT(bob, kNetNoNumber);
  const RtString name = netlink::PlayerName(client_, bob);
  EXPECT_EQ(std::string(name.c_str(), name.Length()), "Bob");

  const auto from = static_cast<int16_t>(bob);
  ASSERT_TRUE(peer.Send(
      Wire(kNetText, static_cast<int16_t>(hostPlayer_), from, std::string("hi\0there", 8))));
  EXPECT_EQ(Receive(host_, hostPlayer_), "hi");
  ASSERT_TRUE(peer.Send(Wire(kNetText, -1, from, std::string("all\0", 4))));
  EXPECT_EQ(Receive(host_, hostPlayer_), "all");
  EXPECT_EQ(Receive(client_, clientPlayer_), "all");
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, NumbersAreReusedLowestFirstOnceTheRangeIsUsedUp) {
  {
    // Pretend a long game has handed out nearly every number.
    ASSERT_EQ(NetLock(&host_.lock), 0);
    host_.nextNumber = kNetLastNumber - 1;
    NetUnlock(&host_.lock);
  }
  RawPeer peer(port_);
  EXPECT_EQ(JoinRaw(peer, "a"), kNetLastNumber - 1);
  EXPECT_EQ(JoinRaw(peer, "b"), kNetLastNumber);
  // 101 to 103 are the keeper, the client's query player and its good one.
  const int reused = JoinRaw(peer, "c");
  EXPECT_EQ(reused, 104);
  EXPECT_EQ(JoinRaw(peer, "d"), 105);
  ASSERT_TRUE(peer.Send(Wire(kNetLeave, 0, static_cast<int16_t>(reused), "")));
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerLeft(host_) == reused; }));
  EXPECT_EQ(JoinRaw(peer, "e"), reused);
  EXPECT_EQ(netlink::PlayerCount(client_), 6);
  EXPECT_TRUE(StillServed());
}

TEST_F(Hostile, TextsUnderAnotherConnectionsPlayerAreNotRelayed) {
  RawPeer stranger(port_);
  RawPeer member(port_);
  const int memberPlayer = JoinRaw(member, "member");
  ASSERT_NE(memberPlayer, 0);
  // Never joined, or joined as someone else: both speak as the good client.
  ASSERT_TRUE(stranger.Send(Wire(kNetText, static_cast<int16_t>(hostPlayer_),
                                 static_cast<int16_t>(clientPlayer_), "forged 1")));
  ASSERT_TRUE(member.Send(Wire(kNetText, -1, static_cast<int16_t>(clientPlayer_), "forged 2")));
  // Under its own number the member is heard.
  ASSERT_TRUE(member.Send(Wire(kNetText, static_cast<int16_t>(hostPlayer_),
                               static_cast<int16_t>(memberPlayer), "honest")));
  EXPECT_EQ(Receive(host_, hostPlayer_), "honest");
  EXPECT_EQ(netlink::LastSender(host_), memberPlayer);
  EXPECT_TRUE(StillServed());
  EXPECT_EQ(netlink::ReceiveMessage(client_, clientPlayer_), "");
  // Persisting in it costs the connection.
  std::string forged;
  for (int i = 0; i < 20; ++i) {
    forged += Wire(kNetText, -1, static_cast<int16_t>(hostPlayer_), "forged");
  }
  ASSERT_TRUE(member.Send(forged));
  EXPECT_TRUE(member.ClosedByHost());
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerLeft(host_) == memberPlayer; }));
  EXPECT_TRUE(StillServed());
  EXPECT_EQ(netlink::ReceiveMessage(client_, clientPlayer_), "");
  EXPECT_EQ(netlink::ReceiveMessage(host_, hostPlayer_), "");
}

TEST_F(Hostile, IdleConnectionsNeitherLockOutNewcomersNorStay) {
  std::vector<std::unique_ptr<RawPeer>> idle;
  for (int i = 0; i < 150; ++i) {
    idle.push_back(std::make_unique<RawPeer>(port_));
    ASSERT_TRUE(idle.back()->connected()) << i;
  }
  NetLink newcomer;
  ASSERT_EQ(netlink::Join(newcomer, "127.0.0.1", port_), 1);
  EXPECT_LT(netlink::CreatePlayer(newcomer, RtString("late")), kNetNoNumber);
  EXPECT_TRUE(StillServed());
  // Unjoined connections go after a few seconds; the members stay.
  EXPECT_TRUE(WaitFor([&] { return Strangers() == 1; }, 8000));
  EXPECT_EQ(netlink::PlayerCount(newcomer), 3);
  netlink::Leave(newcomer);
}

// A host that keeps the zero in what it sends: a client of the runtime
// still sees texts and names only up to it.
TEST(HostilePeerHost, ZeroBytesEndTextsAndNamesAClientIsGiven) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  socklen_t length = sizeof a;
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length), 0);
  const int port = ntohs(a.sin_port);

  // Answers joins with 101, 102, ..., the alive query with 1 and name
  // queries with "Bob\0junk"; greets each visible player with a text.
  // Joined on every way out: the client closing its connection ends it.
  std::jthread host([listener] {
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) return;
    NetMessageReader reader;
    int16_t next = kNetFirstPlayer;
    uint8_t buf[4096];
    for (;;) {
      NetWireMessage m;
      std::string reply;
      while (reader.Next(m) == NetMessageReader::kMessage) {
        if (m.type == kNetJoin) {
          const int16_t number = next++;
          reply += Wire(kNetJoinAnswer, number, 0, "");
          if (!DecodePlayerRecord(m.body).hidden) {
            reply += Wire(kNetText, number, 7, std::string("hi\0there", 8));
          }
        } else if (m.type == kNetQueryAlive) {
          reply += Wire(m.type, m.sender, 0, NetU16Body(1));
        } else if (m.type == kNetQueryName) {
          reply += Wire(m.type, m.sender, 0, std::string("Bob\0junk", 8));
        }
      }
      if (!reply.empty()) ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      reader.Feed(buf, static_cast<size_t>(n));
    }
    ::close(fd);
  });

  NetLink client;
  ASSERT_EQ(netlink::Join(client, "127.0.0.1", port), 1);
  const int me = netlink::CreatePlayer(client, RtString("me"));
  ASSERT_TRUE(me >= kNetFirstPlayer && me <= kNetLastNumber);
  EXPECT_EQ(Receive(client, me), "hi");
  EXPECT_EQ(netlink::LastSender(client), 7);
  const RtString name = netlink::PlayerName(client, 200);
  EXPECT_EQ(std::string(name.c_str(), name.Length()), "Bob");
  netlink::Leave(client);
  host.join();
  ::close(listener);
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
}

// Broadcasts 1 KiB texts as one joined player, as fast as the socket takes
// them, reading (and discarding) what it is sent only when asked to.
void Flood(int port, bool reads, std::atomic<bool>& stop) {
  RawPeer peer(port);
  const int me = JoinRaw(peer, "flooder");
  if (!me) return;
  std::string burst;
  for (int i = 0; i < 32; ++i) {
    burst += Wire(kNetText, -1, static_cast<int16_t>(me), std::string(1024, 'f'));
  }
  ::fcntl(peer.fd(), F_SETFL, ::fcntl(peer.fd(), F_GETFL) | O_NONBLOCK);
  size_t offset = 0;
  uint8_t sink[65536];
  while (!stop) {
    pollfd p{peer.fd(), static_cast<short>(POLLOUT | (reads ? POLLIN : 0)), 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    if (p.revents & (POLLERR | POLLHUP)) return;
    if ((p.revents & POLLIN) && ::recv(peer.fd(), sink, sizeof sink, 0) == 0) return;
    if (p.revents & POLLOUT) {
      const ssize_t n =
          ::send(peer.fd(), burst.data() + offset, burst.size() - offset, MSG_NOSIGNAL);
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
      if (n > 0) offset = (offset + static_cast<size_t>(n)) % burst.size();
    }
  }
}

// Sends text from one player to another and waits for it, passing over
// whatever else the receiver was sent.
bool GetsThrough(NetLink& from, int sender, NetLink& to, int receiver, const std::string& text) {
  if (!netlink::SendMessage(from, sender, receiver, RtString(text.c_str()))) return false;
  return WaitFor([&] {
    for (RtString t = netlink::ReceiveMessage(to, receiver); t.Length() > 0;
         t = netlink::ReceiveMessage(to, receiver)) {
      if (t == text.c_str()) return true;
    }
    return false;
  });
}

TEST_F(Hostile, BroadcastFloodSlowsTheFloodersNotTheOthers) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> flooders;
  // Two that never read what they are sent, as a plain chat client
  // flooding would, and two that do.
  for (int i = 0; i < 4; ++i) flooders.emplace_back(Flood, port_, i >= 2, std::ref(stop));
  size_t peak = 0;
  int lost = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end && netlink::IsConnected(host_)) {
    const std::string text = "ping " + std::to_string(++round_);
    lost += !GetsThrough(client_, clientPlayer_, host_, hostPlayer_, text);
    lost += !GetsThrough(host_, hostPlayer_, client_, clientPlayer_, text);
    peak = std::max(peak, host_.bufferedBytes.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  stop = true;
  for (std::thread& t : flooders) t.join();
  EXPECT_EQ(lost, 0);
  EXPECT_TRUE(netlink::IsConnected(host_));
  EXPECT_TRUE(netlink::IsConnected(client_));
  EXPECT_LE(peak, 4u * 1024 * 1024);
  EXPECT_TRUE(GetsThrough(client_, clientPlayer_, host_, hostPlayer_, "after"));
}

// Texts queued for a local player and their bytes, read under the link's
// lock.
std::pair<size_t, size_t> Queued(NetLink& link, int player) {
  link.lock.Lock();
  size_t count = 0, bytes = 0;
  for (const NetPlayer& p : link.localPlayers) {
    if (p.number != player) continue;
    count = p.messages.size();
    for (const NetTextMessage& m : p.messages) bytes += m.text.size();
  }
  link.lock.Unlock();
  return {count, bytes};
}

TEST_F(Hostile, PlayersThatNeverReadKeepOnlyTheNewestTexts) {
  // The host's own player and the client's player read nothing while two
  // peers broadcast as fast as they can.
  std::atomic<bool> stop{false};
  std::vector<std::thread> flooders;
  for (int i = 0; i < 2; ++i) flooders.emplace_back(Flood, port_, true, std::ref(stop));
  size_t peakBytes = 0, peakCount = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
  while (std::chrono::steady_clock::now() < end) {
    for (NetLink* link : {&host_, &client_}) {
      const auto [count, bytes] = Queued(*link, link == &host_ ? hostPlayer_ : clientPlayer_);
      peakBytes = std::max(peakBytes, bytes);
      peakCount = std::max(peakCount, count);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  stop = true;
  for (std::thread& t : flooders) t.join();
  // The queues filled up to their bound and no further.
  EXPECT_GT(peakBytes, kNetMaxQueuedTextBytes / 2);
  EXPECT_LE(peakBytes, kNetMaxQueuedTextBytes);
  EXPECT_LE(peakCount, kNetMaxQueuedTexts);
  EXPECT_TRUE(netlink::IsConnected(host_));
  EXPECT_TRUE(netlink::IsConnected(client_));
  // What was dropped was the oldest: a text sent now is still delivered,
  // after the flood's newest.
  EXPECT_TRUE(GetsThrough(client_, clientPlayer_, host_, hostPlayer_, "latest"));
  EXPECT_TRUE(GetsThrough(host_, hostPlayer_, client_, clientPlayer_, "latest"));
}

}  // namespace
