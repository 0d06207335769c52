// The multiplayer link: wire format, the owner lock, and host plus clients
// (separate links in one process) numbering, relaying, answering queries and
// reporting departures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "runtime/net/net_service.h"
#include "runtime/net/socket_internal.h"
#include "runtime/runtime.h"

namespace {

using nettest::Receive;
using nettest::WaitFor;

TEST(NetWire, HeaderIsLittleEndianAndReaderNeedsWholeMessages) {
  const std::string bytes = nettest::Wire(kNetText, -1, 0x1234, "hi");
  ASSERT_EQ(bytes.size(), kNetHeaderSize + 2);
  EXPECT_EQ(bytes.substr(0, 7), std::string("\x03\x02\x00\xff\xff\x34\x12", 7));

  NetMessageReader reader;
  NetWireMessage m;
  const std::string two = bytes + nettest::Wire(kNetQueryCount, 0, 7, "");
  for (size_t i = 0; i < two.size(); ++i) {
    if (i < bytes.size()) {
      EXPECT_EQ(reader.Next(m), NetMessageReader::kNeedMore);
    }
    reader.Feed(reinterpret_cast<const uint8_t*>(&two[i]), 1);
    if (i == bytes.size() - 1) {
      ASSERT_EQ(reader.Next(m), NetMessageReader::kMessage);
      EXPECT_EQ(m.type, kNetText);
      EXPECT_EQ(m.target, -1);
      EXPECT_EQ(m.sender, 0x1234);
      EXPECT_EQ(m.body, "hi");
    }
  }
  ASSERT_EQ(reader.Next(m), NetMessageReader::kMessage);
  EXPECT_EQ(m.type, kNetQueryCount);
  EXPECT_EQ(m.body, "");
  EXPECT_EQ(reader.Pending(), 0u);

  // An announced body over the limit cannot be skipped safely: the reader
  // refuses everything after it.
  const uint8_t oversized[] = {3, 0x01, 0x04, 0, 0, 0, 0};  // 1025 bytes
  reader.Feed(oversized, sizeof oversized);
  EXPECT_EQ(reader.Next(m), NetMessageReader::kBadLength);
  reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(reader.Next(m), NetMessageReader::kBadLength);
  EXPECT_EQ(reader.Pending(), 0u);

  NetWireMessage tooLong;
  tooLong.body.assign(kNetMaxBody + 1, 'x');
  std::string out;
  EXPECT_FALSE(EncodeNetMessage(tooLong, out));
  EXPECT_TRUE(out.empty());
}

TEST(NetWire, PlayerRecordRoundTripsAndTerminatesNames) {
  NetPlayerRecord r;
  r.slot = -1;
  r.number = kNetAwaitingAnnounce;
  r.hidden = 1;
  std::strcpy(r.name, "alice");
  const std::string body = EncodePlayerRecord(r);
  ASSERT_EQ(body.size(), kNetPlayerRecordSize);
  const NetPlayerRecord back = DecodePlayerRecord(body);
  EXPECT_EQ(back.slot, -1);
  EXPECT_EQ(back.number, kNetAwaitingAnnounce);
  EXPECT_EQ(back.hidden, 1);
  EXPECT_STREQ(back.name, "alice");
  // A hostile record without a terminator, or a short one, still decodes to
  // a bounded name.
  EXPECT_EQ(std::strlen(DecodePlayerRecord(std::string(400, 'n')).name), 127u);
  EXPECT_STREQ(DecodePlayerRecord(std::string(10, 'n')).name, "nn");
}

TEST(NetOwnerLockTest, RemembersItsOwner) {
  NetOwnerLock* lock = nullptr;
  ASSERT_EQ(NetLockCreate(&lock), 0);
  EXPECT_EQ(NetLock(lock), 0);
  EXPECT_EQ(NetLock(lock), 36);
  int foreignUnlock = 0;
  std::thread([&] { foreignUnlock = NetUnlock(lock); }).join();
  EXPECT_EQ(foreignUnlock, 1);
  EXPECT_EQ(NetUnlock(lock), 0);
  EXPECT_EQ(NetUnlock(lock), 1);
  EXPECT_EQ(NetLock(nullptr), 22);
  EXPECT_EQ(NetUnlock(nullptr), 22);
  EXPECT_EQ(NetLockCreate(nullptr), 22);
  EXPECT_EQ(NetLockDestroy(lock), 0);
}

class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = nettest::HostSomewhere(host_);
    ASSERT_NE(port_, 0);
  }
  void TearDown() override {
    netlink::Leave(a_);
    netlink::Leave(b_);
    netlink::Leave(host_);
    EXPECT_EQ(netsock::UsedSlotCount(), 0);
    EXPECT_FALSE(netsock::LayerStarted());
  }
  NetLink host_, a_, b_;
  int port_ = 0;
};

TEST_F(Game, NumbersRelayAndQueries) {
  const int h1 = netlink::CreatePlayer(host_, RtString("h1"));
  const int h2 = netlink::CreatePlayer(host_, RtString("h2"));
  EXPECT_EQ(h1, 101);
  EXPECT_EQ(h2, 102);
  ASSERT_EQ(netlink::Join(a_, "127.0.0.1", port_), 1);
  const int alice = netlink::CreatePlayer(a_, RtString("alice"));
  ASSERT_EQ(netlink::Join(b_, "127.0.0.1", port_), 1);
  const int bob = netlink::CreatePlayer(b_, RtString("bob"));
  EXPECT_GT(alice, h2);
  EXPECT_GT(bob, alice);
  EXPECT_LT(bob, kNetNoNumber);
  EXPECT_EQ(netlink::IsConnected(a_), 1);

  // Broadcast: every visible player but the sender, once each.
  ASSERT_EQ(netlink::SendMessage(a_, alice, 0, RtString("hello all")), 1);
  EXPECT_EQ(Receive(host_, h1), "hello all");
  EXPECT_EQ(netlink::LastSender(host_), alice);
  EXPECT_EQ(Receive(host_, h2), "hello all");
  EXPECT_EQ(Receive(b_, bob), "hello all");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(netlink::ReceiveMessage(a_, alice), "");
  EXPECT_EQ(netlink::ReceiveMessage(host_, h1), "");
  // The hidden query players receive nothing.
  EXPECT_EQ(netlink::ReceiveMessage(a_, a_.ownNumber), "");
  EXPECT_EQ(netlink::ReceiveMessage(b_, b_.ownNumber), "");

  // Direct messages keep their order and reach only the target.
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(netlink::SendMessage(b_, bob, h2, RtString("m") + i), 1);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Receive(host_, h2), "m" + std::to_string(i));
  EXPECT_EQ(netlink::LastSender(host_), bob);
  EXPECT_EQ(netlink::ReceiveMessage(host_, h1), "");
  EXPECT_EQ(netlink::SendMessage(b_, bob, h2, RtString(std::string(1025, 'x').c_str())), 0);

  // Queries, from a client and from the host itself.
  EXPECT_EQ(netlink::PlayerCount(b_), 4);
  EXPECT_EQ(netlink::PlayerId(b_, 0), h1);
  EXPECT_EQ(netlink::PlayerId(b_, 1), h2);
  EXPECT_EQ(netlink::PlayerId(b_, 2), alice);
  EXPECT_EQ(netlink::PlayerId(b_, 3), bob);
  EXPECT_EQ(netlink::PlayerId(b_, 4), 0);
  EXPECT_EQ(netlink::PlayerName(b_, alice), "alice");
  EXPECT_EQ(netlink::PlayerName(host_, bob), "bob");
  EXPECT_EQ(netlink::PlayerName(host_, 4000), "NO_DATA");
  EXPECT_EQ(netlink::PlayerCount(host_), 4);
}

TEST_F(Game, DeparturesAreReportedOnceOnTheHost) {
  const int h1 = netlink::CreatePlayer(host_, RtString("h1"));
  ASSERT_EQ(netlink::Join(a_, "127.0.0.1", port_), 1);
  const int alice = netlink::CreatePlayer(a_, RtString("alice"));
  const int carol = netlink::CreatePlayer(a_, RtString("carol"));
  ASSERT_EQ(netlink::Join(b_, "127.0.0.1", port_), 1);
  const int bob = netlink::CreatePlayer(b_, RtString("bob"));
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerCount(host_) == 4; }));

  EXPECT_EQ(netlink::RemovePlayer(b_, bob), bob);
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerCount(host_) == 3; }));
  EXPECT_EQ(netlink::PlayerLeft(host_), bob);
  EXPECT_EQ(netlink::PlayerLeft(host_), 0);
  EXPECT_EQ(netlink::PlayerLeft(b_), 0);

  // A client that goes away takes all its players with it, its hidden
  // query player too.
  const int aQuery = a_.ownNumber;
  ASSERT_TRUE(aQuery >= kNetFirstPlayer && aQuery <= kNetLastNumber);
  netlink::Leave(a_);
  ASSERT_TRUE(WaitFor([&] { return netlink::PlayerCount(host_) == 1; }));
  std::vector<int> gone;
  for (int n = netlink::PlayerLeft(host_); n; n = netlink::PlayerLeft(host_)) gone.push_back(n);
  std::sort(gone.begin(), gone.end());
  EXPECT_EQ(gone, (std::vector<int>{aQuery, alice, carol}));
  EXPECT_EQ(netlink::PlayerLeft(host_), 0);
  EXPECT_EQ(netlink::PlayerId(host_, 0), h1);

  // Out-of-range numbers are failures.
  EXPECT_LE(netlink::RemovePlayer(b_, 0), 0);
  EXPECT_LE(netlink::RemovePlayer(b_, 70000), 0);
}

TEST_F(Game, ClosedDoorRefusesNewPlayersAndConnections) {
  ASSERT_EQ(netlink::Join(a_, "127.0.0.1", port_), 1);
  netlink::AllowJoin(host_, 0);
  const int refused = netlink::CreatePlayer(a_, RtString("late"));
  EXPECT_GE(refused, kNetNoNumber);
  // Nobody else gets in while the door is shut.
  EXPECT_EQ(netlink::Join(b_, "127.0.0.1", port_), 0);
  EXPECT_EQ(netlink::IsConnected(b_), 0);

  // Opening again admits players, and the refusal did not shift answers
  // onto the wrong player.
  netlink::AllowJoin(host_, 1);
  const int admitted = netlink::CreatePlayer(a_, RtString("admitted"));
  ASSERT_TRUE(admitted >= kNetFirstPlayer && admitted <= kNetLastNumber);
  EXPECT_EQ(netlink::PlayerName(a_, admitted), "admitted");
  EXPECT_EQ(netlink::PlayerCount(a_), 1);
}

TEST_F(Game, ClientNoticesTheHostGoingAway) {
  const int h1 = netlink::CreatePlayer(host_, RtString("h1"));
  ASSERT_EQ(netlink::Join(a_, "127.0.0.1", port_), 1);
  const int alice = netlink::CreatePlayer(a_, RtString("alice"));
  ASSERT_EQ(netlink::SendMessage(host_, h1, alice, RtString("bye")), 1);
  ASSERT_TRUE(WaitFor([&] {
    a_.lock.Lock();
    const bool has = !a_.localPlayers.empty() && !a_.localPlayers.back().messages.empty();
    a_.lock.Unlock();
    return has;
  }));
  netlink::Leave(host_);
  ASSERT_TRUE(WaitFor([&] { return netlink::IsConnected(a_) == 0; }));
  // What arrived before the host went is still there to read.
  EXPECT_EQ(netlink::ReceiveMessage(a_, alice), "bye");
  EXPECT_EQ(netlink::SendMessage(a_, alice, 0, RtString("anyone?")), 0);
  EXPECT_EQ(netlink::PlayerCount(a_), 0);
  EXPECT_EQ(netlink::PlayerName(a_, h1), "NO_DATA");
}

TEST(NetJoin, AHostThatNeverAnswersFailsWithinTheReplyTime) {
  nettest::SilentListener silent;
  ASSERT_TRUE(silent.filled());
  ASSERT_TRUE(silent.Unanswered());
  NetLink link;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(netlink::Join(link, "127.0.0.1", silent.port()), 0);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(kNetReplyTimeoutMs - 100));
  EXPECT_LT(took, std::chrono::milliseconds(kNetReplyTimeoutMs + 3000));
  EXPECT_EQ(netlink::IsConnected(link), 0);
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
}

TEST(NetCommands, ProcessLinkWorksWithoutEngineAndEndsWithShutdownHook) {
  ASSERT_FALSE(NetLinkCreated());
  EXPECT_EQ(NetIsConnected(), 0);
  ASSERT_TRUE(NetLinkCreated());
  EXPECT_EQ(NetJoin(RtString("127.0.0.1"), 1), 0);
  const int port = nettest::HostSomewhere(NetLinkInstance());
  ASSERT_NE(port, 0);
  const int me = NetCreatePlayer(RtString("me"));
  const int you = NetCreatePlayer(RtString("you"));
  EXPECT_EQ(me, 101);
  EXPECT_EQ(NetSendMessage(me, 0, RtString("ping")), 1);
  std::string got;
  ASSERT_TRUE(WaitFor([&] {
    got = NetReceiveMessage(you).c_str();
    return !got.empty();
  }));
  EXPECT_EQ(got, "ping");
  EXPECT_EQ(NetLastSender(), me);
  EXPECT_EQ(NetPlayerCount(), 2);
  EXPECT_EQ(NetPlayerName(you), "you");
  EXPECT_EQ(NetPlayerLeft(), 0);

  NetShutdown();
  EXPECT_FALSE(NetLinkCreated());
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
  EXPECT_FALSE(netsock::LayerStarted());
}

}  // namespace
