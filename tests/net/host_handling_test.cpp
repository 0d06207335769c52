// The host's message handling without sockets, driven by the same scripts
// the fuzzer plays: how a connection's bytes are cut, who a text reaches,
// which peers are dropped, and what the receiving machine files.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/host_drive.h"

namespace {

using hostdrive::Script;
using hostdrive::Session;

std::string Join(const char* name, bool hidden = false) {
  return hostdrive::JoinBytes(name, hidden);
}

std::string Wire(uint8_t type, int16_t target, int16_t sender, const std::string& body = "") {
  return hostdrive::MessageBytes({type, target, sender, body});
}

bool Play(Session& session, const Script& script) {
  const std::string& s = script.bytes();
  return session.Play(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

// Everything queued for a connection, as its peer would read it.
std::vector<NetWireMessage> Queued(const netlink_internal::HostClient& c) {
  NetMessageReader reader;
  reader.Feed(reinterpret_cast<const uint8_t*>(c.out.data() + c.outSent), c.Backlog());
  std::vector<NetWireMessage> out;
  NetWireMessage m;
  while (reader.Next(m) == NetMessageReader::kMessage) out.push_back(m);
  return out;
}

const netlink_internal::HostClient* BySlot(Session& s, int slot) {
  for (const auto& c : s.clients()) {
    if (c.slot == slot) return &c;
  }
  return nullptr;
}

// Own connection 0, the receiving machine's connection 1, and a third one:
// players 101 (host), 102 (receiver), 103 hidden query (receiver), 104.
Script ThreePlayers() {
  Script s;
  s.Send(0, Join("keeper")).Send(1, Join("one") + Join("query", true)).Open().Send(2, Join("two"));
  return s;
}

TEST(HostHandling, JoinsAreNumberedInOrderHoweverTheBytesArrive) {
  const std::string joins = Join("a") + Join("b");
  Script whole, bytewise;
  whole.Send(1, joins);
  for (const char byte : joins) bytewise.Send(1, std::string(1, byte));
  for (const Script* script : {&whole, &bytewise}) {
    Session s;
    ASSERT_TRUE(Play(s, *script));
    ASSERT_EQ(s.host().players.size(), 2u);
    EXPECT_EQ(s.host().players[0].number, 101);
    EXPECT_STREQ(s.host().players[1].name, "b");
    const auto answers = Queued(*BySlot(s, hostdrive::kReceiverSlot));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].type, kNetJoinAnswer);
    EXPECT_EQ(answers[1].target, 102);
  }
  // The receiving machine pairs the answers with its waiting players in
  // order; the rest keep waiting.
  Session s;
  ASSERT_TRUE(Play(s, Script(whole).Reads(1)));
  const auto& locals = s.receiver().localPlayers;
  EXPECT_EQ(locals[0].number, 101);
  EXPECT_EQ(locals[1].number, 102);
  EXPECT_EQ(locals[2].number, kNetAwaitingAnswer);
}

TEST(HostHandling, TextsReachVisiblePlayersOnOtherConnectionsCutAtZero) {
  Session s;
  Script script = ThreePlayers();
  script.Reads(0).Reads(1).Reads(2).Send(2, Wire(kNetText, -1, 104, std::string("hi\0junk", 7)));
  ASSERT_TRUE(Play(s, script));
  for (const int slot : {hostdrive::kOwnSlot, hostdrive::kReceiverSlot}) {
    const auto got = Queued(*BySlot(s, slot));
    ASSERT_EQ(got.size(), 1u) << slot;
    EXPECT_EQ(got[0].body, "hi") << slot;
    EXPECT_EQ(got[0].sender, 104) << slot;
    // Addressed to the receiver's visible player, not its hidden one.
    EXPECT_EQ(got[0].target, slot == hostdrive::kOwnSlot ? 101 : 102) << slot;
  }
  EXPECT_TRUE(Queued(*BySlot(s, hostdrive::kReceiverSlot + 1)).empty());

  // Filed for the receiving machine's player (once it has its number).
  ASSERT_TRUE(Play(s, Script().Reads(1)));
  const auto& messages = s.receiver().localPlayers[0].messages;
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "hi");
}

TEST(HostHandling, ForgedSendersAreIgnoredThenTheConnectionGoes) {
  Session s;
  Script script = ThreePlayers();
  script.Reads(0).Reads(1).Reads(2);
  // Connection 2 speaks as the receiver's player 102.
  for (int i = 0; i < netlink_internal::kMaxForgedTexts; ++i) {
    script.Send(2, Wire(kNetText, 101, 102, "forged"));
  }
  ASSERT_TRUE(Play(s, script));
  EXPECT_TRUE(Queued(*BySlot(s, hostdrive::kOwnSlot)).empty());
  ASSERT_NE(BySlot(s, hostdrive::kReceiverSlot + 1), nullptr);
  // One more and it is closed; its player is reported as gone.
  ASSERT_TRUE(Play(s, Script().Send(2, Wire(kNetText, 101, 102, "forged"))));
  EXPECT_EQ(BySlot(s, hostdrive::kReceiverSlot + 1), nullptr);
  EXPECT_EQ(s.host().players.size(), 3u);
  EXPECT_EQ(s.host().left, std::deque<uint16_t>{104});
}

TEST(HostHandling, NothingIsTakenAfterAMessageOnlyTheHostSends) {
  Session s;
  // A query before the bad message is answered; the join after it, even in
  // the same piece, and the bytes of later pieces are not taken.
  const std::string stream = Wire(kNetQueryAlive, 0, 0) + Wire(kNetJoinAnswer, 0, 0) + Join("x");
  std::vector<netlink_internal::FromClient> taken;
  netlink_internal::HostClient c;
  c.slot = 7;
  netlink_internal::HostTakeBytes(c, reinterpret_cast<const uint8_t*>(stream.data()), stream.size(),
                                  taken);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].first, 7);
  EXPECT_EQ(taken[0].second.type, kNetQueryAlive);
  EXPECT_TRUE(c.drop);
  const std::string later = Join("y");
  netlink_internal::HostTakeBytes(c, reinterpret_cast<const uint8_t*>(later.data()), later.size(),
                                  taken);
  EXPECT_EQ(taken.size(), 1u);

  // A length beyond the limit is the same.
  netlink_internal::HostClient liar;
  const std::string huge = Wire(kNetQueryAlive, 0, 0) + std::string("\x03\x01\x04\0\0\0\0", 7);
  taken.clear();
  netlink_internal::HostTakeBytes(liar, reinterpret_cast<const uint8_t*>(huge.data()), huge.size(),
                                  taken);
  EXPECT_EQ(taken.size(), 1u);
  EXPECT_TRUE(liar.drop);
}

TEST(HostHandling, APeerThatDoesNotReadIsDroppedButNeverTheHostsOwn) {
  netlink_internal::HostClient client, own;
  own.own = true;
  for (netlink_internal::HostClient* c : {&client, &own}) {
    c->out.assign(netlink_internal::kMaxClientBacklog, 'x');
    c->outSent = 0;
    c->Settle();
    EXPECT_FALSE(c->drop);
    c->out += 'y';
    c->Settle();
    // What was sent is let go first, and only the backlog counts.
    c->outSent = 70 * 1024;
    c->Settle();
    EXPECT_EQ(c->outSent, 0u);
    EXPECT_EQ(c->Backlog(), netlink_internal::kMaxClientBacklog + 1 - 70 * 1024);
  }
  EXPECT_FALSE(own.drop);
  EXPECT_TRUE(client.drop);
}

TEST(HostHandling, QueriesAndTheClosedDoor) {
  Session s;
  Script script = ThreePlayers();
  script.Reads(1)
      .Send(1, Wire(kNetQueryCount, 0, 103) + Wire(kNetQueryPlayer, 0, 103, NetU16Body(2)) +
                   Wire(kNetQueryName, 0, 103, NetU16Body(104)) +
                   Wire(kNetQueryName, 0, 103, NetU16Body(999)))
      .ToggleDoor()
      .Send(2, Join("late"));
  ASSERT_TRUE(Play(s, script));
  const auto answers = Queued(*BySlot(s, hostdrive::kReceiverSlot));
  ASSERT_EQ(answers.size(), 4u);
  EXPECT_EQ(NetBodyU16(answers[0].body), 3);  // the hidden query player is not counted
  EXPECT_EQ(NetBodyU16(answers[1].body), 104);
  EXPECT_EQ(answers[2].body, "two");
  EXPECT_EQ(answers[3].body, "NO_DATA");
  // A request at a shut door gets no answer at all.
  EXPECT_EQ(Queued(*BySlot(s, hostdrive::kReceiverSlot + 1)).size(), 1u);
  EXPECT_EQ(s.host().players.size(), 4u);
}

// Inputs the fuzzer found, in regressions/host/ beside this file, in its
// script format (host_drive.h): every step must leave the host whole.
TEST(HostHandling, KeptFuzzInputsKeepTheHostWhole) {
  const std::filesystem::path folder =
      std::filesystem::path(TEST_SOURCE_DIR) / "regressions" / "host";
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    Session s;
    EXPECT_TRUE(s.Play(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        << entry.path();
    ++seen;
  }
  EXPECT_GE(seen, 1);
}

}  // namespace
