// Numbered sockets over loopback: slot bookkeeping, start counting, the
// non-blocking receive results and UDP datagrams.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "runtime/net/socket_internal.h"
#include "runtime/runtime.h"

namespace {

constexpr int32_t kLoopback = (127 << 24) + 1;

class Sockets : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SockInit(), 1); }
  void TearDown() override {
    SockShutdown();
    EXPECT_FALSE(netsock::LayerStarted());
    EXPECT_EQ(netsock::UsedSlotCount(), 0);
  }
};

// A connected pair over loopback: listener, client end, server end.
struct Pair {
  int listener = -1, client = -1, server = -1;
};

Pair Connect() {
  Pair p;
  p.listener = TcpListen(0);
  const int port = netsock::SlotLocalPort(p.listener);
  p.client = TcpConnect(RtString("127.0.0.1"), port);
  int32_t ip = 0;
  for (int i = 0; i < 200 && p.server < 0; ++i) {
    p.server = TcpAccept(p.listener, ip);
    if (p.server < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(ip, kLoopback);
  return p;
}

// Receives until something arrives (or a second passes).
int ReceiveWaiting(int slot, RtString& text, int maximum) {
  int n = -2;
  for (int i = 0; i < 200 && n == -2; ++i) {
    n = SockReceive(slot, text, maximum);
    if (n == -2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return n;
}

TEST(SocketAddresses, IpNumbersAndTexts) {
  EXPECT_EQ(IpToText(kLoopback), "127.0.0.1");
  EXPECT_EQ(IpToText(static_cast<int32_t>(0xC0A80A01u)), "192.168.10.1");
  EXPECT_EQ(HostToIp(RtString("127.0.0.1")), kLoopback);
  EXPECT_EQ(HostToIp(RtString("localhost")), kLoopback);
  EXPECT_EQ(HostToIp(RtString("no-such-host.invalid")), -1);
  const RtString ips = GetLocalIps();
  EXPECT_EQ(std::string(ips.c_str()).find("127."), std::string::npos);
  if (ips.Length() > 0) {
    EXPECT_NE(ips.c_str()[ips.Length() - 1], '|');
  }
}

TEST(SocketLayer, CommandsNeedAStartedLayer) {
  EXPECT_EQ(TcpListen(0), -1);
  EXPECT_EQ(UdpOpen(0), -1);
  EXPECT_EQ(NetErrorText(), RtString(kNetErrNotStarted) + " Socket layer not started");
  // A stop without a start must not unbalance the count.
  SockShutdown();
  ASSERT_EQ(SockInit(), 1);
  const int slot = TcpListen(0);
  EXPECT_GE(slot, 0);
  SockShutdown();
  EXPECT_FALSE(netsock::LayerStarted());
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
}

TEST(SocketLayer, OnlyTheLastStopClosesSlots) {
  ASSERT_EQ(SockInit(), 1);
  ASSERT_EQ(SockInit(), 1);
  Pair p = Connect();
  ASSERT_GE(p.server, 0);
  SockShutdown();
  EXPECT_EQ(SockSend(p.client, RtString("still")), 5);
  RtString got;
  EXPECT_EQ(ReceiveWaiting(p.server, got, 64), 5);
  EXPECT_EQ(got, "still");
  SockShutdown();
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
  EXPECT_EQ(SockSend(p.client, RtString("gone")), -1);
}

TEST_F(Sockets, LowestFreeSlotAndExhaustion) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < 1200 && limit.rlim_max >= 1200) {
    limit.rlim_cur = 1200;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur < 1200) GTEST_SKIP() << "too few descriptors allowed";
  std::vector<int> slots;
  for (int i = 0; i < kSocketSlotCount; ++i) {
    const int slot = UdpOpen(0);
    ASSERT_EQ(slot, i);
    slots.push_back(slot);
  }
  EXPECT_EQ(TcpListen(0), -1);
  EXPECT_EQ(std::string(NetErrorText().c_str()).rfind("8 ", 0), 0u);
  EXPECT_EQ(TcpConnect(RtString("127.0.0.1"), 1), -1);
  EXPECT_EQ(UdpOpen(0), -1);
  // Freed slots are reused lowest first.
  EXPECT_EQ(SockClose(700), 1);
  EXPECT_EQ(SockClose(5), 1);
  EXPECT_EQ(SockClose(5), 0);
  EXPECT_EQ(TcpListen(0), 5);
  EXPECT_EQ(UdpOpen(0), 700);
}

TEST_F(Sockets, ReceiveResultsOnAConnection) {
  Pair p = Connect();
  ASSERT_GE(p.client, 0);
  ASSERT_GE(p.server, 0);
  RtString text("left over");
  EXPECT_EQ(SockReceive(p.server, text, 100), -2);
  EXPECT_EQ(text.Length(), 0u);
  EXPECT_EQ(NetErrorText().c_str()[0], '1');  // "10035 ..."

  // Binary data counts whole but the text stops at the zero byte.
  RtString binary("ab");
  binary.Append("\0cd", 3);
  EXPECT_EQ(SockSend(p.client, binary), 5);
  EXPECT_EQ(SockSend(p.client, RtString()), 0);
  EXPECT_EQ(ReceiveWaiting(p.server, text, 100), 5);
  EXPECT_EQ(text, "ab");

  // The maximum is honoured; the rest waits for the next call.
  EXPECT_EQ(SockSend(p.client, RtString("0123456789")), 10);
  EXPECT_EQ(ReceiveWaiting(p.server, text, 4), 4);
  EXPECT_EQ(text, "0123");
  EXPECT_EQ(ReceiveWaiting(p.server, text, 100), 6);
  EXPECT_EQ(SockReceive(p.server, text, 0), -1);

  EXPECT_EQ(SockClose(p.client), 1);
  EXPECT_EQ(ReceiveWaiting(p.server, text, 100), 0);
  // A send to a closed peer reports an error instead of killing the
  // process with SIGPIPE.
  int result = 0;
  for (int i = 0; i < 50 && result >= 0; ++i) {
    result = SockSend(p.server, RtString("x"));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(SockClose(p.server), 1);
  EXPECT_EQ(SockClose(p.listener), 1);
}

TEST_F(Sockets, UdpDatagrams) {
  // Port 0 leaves a UDP slot unbound, so the receiver takes a random one.
  int receiver = -1;
  int port = 0;
  for (int attempt = 0; attempt < 40 && receiver < 0; ++attempt) {
    port = 20000 + static_cast<int>((::getpid() * 31 + attempt * 977) % 40000);
    receiver = UdpOpen(port);
  }
  const int sender = UdpOpen(0);
  ASSERT_GE(receiver, 0);
  ASSERT_GE(sender, 0);
  EXPECT_EQ(netsock::SlotLocalPort(receiver), port);
  EXPECT_EQ(UdpSendTo(sender, RtString("hello"), 0, 0), -1);
  EXPECT_EQ(SockSend(sender, RtString("hello")), -1);
  EXPECT_EQ(UdpSendTo(sender, RtString("hello"), kLoopback, port), 5);
  RtString got;
  EXPECT_EQ(ReceiveWaiting(receiver, got, 100), 5);
  EXPECT_EQ(got, "hello");
  EXPECT_EQ(SockReceive(receiver, got, 100), -2);
  int32_t ip = 0;
  EXPECT_EQ(TcpAccept(receiver, ip), -1);
  EXPECT_EQ(NetErrorText(), "0 Success");
  // Closing a UDP slot releases its port at once.
  EXPECT_EQ(SockClose(receiver), 1);
  EXPECT_GE(UdpOpen(port), 0);
}

TEST_F(Sockets, ConnectFailures) {
  const int listener = TcpListen(0);
  const int port = netsock::SlotLocalPort(listener);
  SockClose(listener);
  EXPECT_EQ(TcpConnect(RtString("127.0.0.1"), port), -1);
  EXPECT_EQ(std::string(NetErrorText().c_str()).rfind("111 ", 0), 0u);  // refused
  EXPECT_EQ(TcpConnect(RtString("no-such-host.invalid"), port), -1);
  EXPECT_EQ(netsock::UsedSlotCount(), 0);
}

}  // namespace
