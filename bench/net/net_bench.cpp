// Network benchmarks over loopback.
//
//   bench_net [relay|http|flood|all] [flood seconds] [flooders]
//
// relay: a host and five clients in this process (each link with its own
// worker). One client sends 10,000 messages of 100 bytes to every player;
// four clients receive them. Reported as a burst (sent as fast as the link
// takes them) and paced at 5,000 messages a second: messages per second
// (sent messages whose every copy has arrived) and the send-to-receive
// latency of all copies, p50 and p99.
//
// flood: a host whose own player echoes a well-behaved client's message
// every 100 ms while raw clients broadcast 1 KiB texts as fast as their
// sockets take them (20 s and ten flooders unless given). Reported: whether
// the host stayed up, the good client's losses, its one-way latency p50,
// p99 and max, and the host's buffered bytes and process size over time.
//
// http: HttpGetFile of a 100 MB body from a server thread on a loopback
// port into a temporary file, in MB/s (10^6 bytes).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "runtime/runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMessages = 10000;
constexpr int kReceivers = 4;
constexpr size_t kMessageSize = 100;

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

double Percentile(std::vector<double>& v, double p) {
  if (v.empty()) return 0;
  const size_t k = static_cast<size_t>(p * static_cast<double>(v.size() - 1));
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
  return v[k];
}

// One run: the sender sends kMessages (paced at rate per second, 0 for as
// fast as possible); returns false when copies went missing.
bool RelayRun(NetLink& sender, int senderPlayer, std::vector<NetLink*>& receivers,
              std::vector<int>& players, double rate, const char* label) {
  std::vector<std::vector<double>> latencies(kReceivers);
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  const auto limit = Clock::now() + std::chrono::seconds(60);
  for (int r = 0; r < kReceivers; ++r) {
    threads.emplace_back([&, r] {
      auto& mine = latencies[static_cast<size_t>(r)];
      mine.reserve(kMessages);
      while (static_cast<int>(mine.size()) < kMessages && Clock::now() < limit) {
        RtString text = netlink::ReceiveMessage(*receivers[static_cast<size_t>(r)],
                                                players[static_cast<size_t>(r)]);
        if (text.Length() == 0) {
          std::this_thread::sleep_for(std::chrono::microseconds(200));
          continue;
        }
        const long long sent = std::strtoll(text.c_str(), nullptr, 10);
        mine.push_back(static_cast<double>(NowNs() - sent) / 1e6);
      }
      ++finished;
    });
  }
  const long long start = NowNs();
  for (int i = 0; i < kMessages; ++i) {
    if (rate > 0) {
      const long long due = start + static_cast<long long>(i * 1e9 / rate);
      while (NowNs() < due) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    char text[kMessageSize + 1];
    const int n = std::snprintf(text, sizeof text, "%lld ", NowNs());
    std::memset(text + n, 'x', kMessageSize - static_cast<size_t>(n));
    text[kMessageSize] = '\0';
    if (!netlink::SendMessage(sender, senderPlayer, 0, RtString(text))) {
      std::fprintf(stderr, "send %d failed\n", i);
      break;
    }
  }
  for (std::thread& t : threads) t.join();
  const double seconds = static_cast<double>(NowNs() - start) / 1e9;
  std::vector<double> all;
  size_t copies = 0;
  for (auto& v : latencies) {
    copies += v.size();
    all.insert(all.end(), v.begin(), v.end());
  }
  std::printf(
      "relay %-6s %d messages x %d receivers in %.3f s: %.0f messages/s "
      "(%.0f copies/s), latency p50 %.2f ms, p99 %.2f ms, max %.2f ms%s\n",
      label, kMessages, kReceivers, seconds, kMessages / seconds,
      static_cast<double>(copies) / seconds, Percentile(all, 0.5), Percentile(all, 0.99),
      all.empty() ? 0 : *std::max_element(all.begin(), all.end()),
      copies == static_cast<size_t>(kMessages) * kReceivers ? "" : "  (COPIES MISSING)");
  return copies == static_cast<size_t>(kMessages) * kReceivers;
}

bool Relay() {
  NetLink host;
  const int port = nettest::HostSomewhere(host);
  if (!port) {
    std::fprintf(stderr, "could not host\n");
    return false;
  }
  NetLink sender;
  std::vector<NetLink*> receivers;
  std::vector<int> players;
  if (!netlink::Join(sender, "127.0.0.1", port)) return false;
  const int senderPlayer = netlink::CreatePlayer(sender, RtString("sender"));
  std::vector<std::unique_ptr<NetLink>> links;
  for (int r = 0; r < kReceivers; ++r) {
    links.push_back(std::make_unique<NetLink>());
    if (!netlink::Join(*links.back(), "127.0.0.1", port)) return false;
    receivers.push_back(links.back().get());
    players.push_back(netlink::CreatePlayer(*links.back(), RtString("receiver")));
  }
  bool ok = RelayRun(sender, senderPlayer, receivers, players, 0, "burst");
  ok = RelayRun(sender, senderPlayer, receivers, players, 5000, "paced") && ok;
  for (auto& l : links) netlink::Leave(*l);
  netlink::Leave(sender);
  netlink::Leave(host);
  return ok;
}

bool Http() {
  constexpr size_t kBody = 100 * 1000 * 1000;
  int port = 0;
  const int listener = nettest::ListenOnLoopback(1, &port);
  if (listener < 0) return false;
  std::thread server([listener] {
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) return;
    char request[2048];
    ::recv(fd, request, sizeof request, 0);
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";
    ::send(fd, header.data(), header.size(), MSG_NOSIGNAL);
    std::vector<char> block(1 << 20, 'b');
    for (size_t sent = 0; sent < kBody;) {
      const size_t n = std::min(block.size(), kBody - sent);
      const ssize_t w = ::send(fd, block.data(), n, MSG_NOSIGNAL);
      if (w <= 0) break;
      sent += static_cast<size_t>(w);
    }
    ::close(fd);
  });
  const std::string path = "/tmp/bench_net_http_" + std::to_string(::getpid());
  const long long start = NowNs();
  const int result =
      HttpGetFile(RtString("127.0.0.1"), RtString("/big"), port, RtString(path.c_str()));
  const double seconds = static_cast<double>(NowNs() - start) / 1e9;
  server.join();
  ::close(listener);
  FILE* f = std::fopen(path.c_str(), "rb");
  long size = -1;
  if (f) {
    std::fseek(f, 0, SEEK_END);
    size = std::ftell(f);
    std::fclose(f);
  }
  std::remove(path.c_str());
  std::printf("http   HttpGetFile of %zu bytes in %.3f s: %.1f MB/s (result %d, file %ld bytes)\n",
              kBody, seconds, static_cast<double>(kBody) / 1e6 / seconds, result, size);
  return result == 1 && size == static_cast<long>(kBody);
}

// Resident set size of this process in KiB.
long ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// A raw client that joins, then broadcasts 1 KiB texts whenever its socket
// has room and throws away whatever it is sent.
void Flooder(int port, std::atomic<bool>& stop, std::atomic<long long>& sentBytes) {
  const int fd = nettest::ConnectToLoopback(port);
  if (fd < 0) return;
  NetPlayerRecord record;
  std::snprintf(record.name, sizeof record.name, "flooder");
  NetWireMessage join;
  join.type = kNetJoin;
  join.body = EncodePlayerRecord(record);
  std::string bytes;
  EncodeNetMessage(join, bytes);
  ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  NetMessageReader reader;
  int16_t me = 0;
  uint8_t buf[64 * 1024];
  while (!me && !stop) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    reader.Feed(buf, static_cast<size_t>(n));
    NetWireMessage m;
    while (reader.Next(m) == NetMessageReader::kMessage) {
      if (m.type == kNetJoinAnswer) me = m.target;
    }
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  std::string burst;
  for (int i = 0; i < 64; ++i) burst += nettest::Wire(kNetText, -1, me, std::string(1024, 'f'));
  size_t offset = 0;
  while (me && !stop) {
    pollfd p{fd, POLLIN | POLLOUT, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    if (p.revents & POLLIN) {
      if (::recv(fd, buf, sizeof buf, 0) == 0) break;
    }
    if (p.revents & POLLOUT) {
      const ssize_t n = ::send(fd, burst.data() + offset, burst.size() - offset, MSG_NOSIGNAL);
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
      if (n > 0) {
        sentBytes += n;
        offset = (offset + static_cast<size_t>(n)) % burst.size();
      }
    }
    if (p.revents & (POLLERR | POLLHUP)) break;
  }
  ::close(fd);
}

bool Flood(int seconds, int flooders) {
  NetLink host;
  const int port = nettest::HostSomewhere(host);
  if (!port) return false;
  const int keeper = netlink::CreatePlayer(host, RtString("keeper"));
  NetLink good;
  if (!netlink::Join(good, "127.0.0.1", port)) return false;
  const int goodPlayer = netlink::CreatePlayer(good, RtString("good"));
  std::atomic<bool> stop{false};
  std::atomic<long long> floodBytes{0};

  // The host's player: drains everything, echoes what the good client sends.
  std::atomic<long long> floodCopiesAtHost{0};
  std::thread keeperThread([&] {
    while (!stop) {
      RtString text = netlink::ReceiveMessage(host, keeper);
      if (text.Length() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      if (netlink::LastSender(host) == goodPlayer) {
        netlink::SendMessage(host, keeper, goodPlayer, text);
      } else {
        ++floodCopiesAtHost;
      }
    }
  });
  std::vector<std::thread> floodThreads;
  for (int i = 0; i < flooders; ++i) {
    floodThreads.emplace_back([&] { Flooder(port, stop, floodBytes); });
  }

  std::vector<double> latencies;
  int sent = 0, echoed = 0;
  long peakBuffered = 0, rssEarly = 0;
  bool hostUp = true;
  const long long start = NowNs();
  const long long end = start + static_cast<long long>(seconds) * 1000000000LL;
  long long nextSend = start;
  while (NowNs() < end + 500000000LL) {
    const long long now = NowNs();
    if (now >= nextSend && now < end) {
      char text[64];
      std::snprintf(text, sizeof text, "%lld", now);
      if (netlink::SendMessage(good, goodPlayer, keeper, RtString(text))) ++sent;
      nextSend += 100000000LL;
    }
    for (RtString t = netlink::ReceiveMessage(good, goodPlayer); t.Length() > 0;
         t = netlink::ReceiveMessage(good, goodPlayer)) {
      if (netlink::LastSender(good) != keeper) continue;
      ++echoed;
      latencies.push_back(static_cast<double>(NowNs() - std::strtoll(t.c_str(), nullptr, 10)) /
                          1e6);
    }
    peakBuffered = std::max(peakBuffered, static_cast<long>(host.bufferedBytes.load()));
    if (!rssEarly && now - start > 2000000000LL) rssEarly = ResidentKiB();
    if (!netlink::IsConnected(host)) hostUp = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const long rssLate = ResidentKiB();
  const int clientsAtEnd = host.clientCount.load();
  stop = true;
  for (std::thread& t : floodThreads) t.join();
  keeperThread.join();
  const bool goodUp = netlink::IsConnected(good) != 0;
  std::printf(
      "flood  %d flooders for %d s (%.1f MB offered): host %s, good client %s, "
      "clients at end %d; good client %d sent, %d echoed back (%d lost), round trip "
      "p50 %.2f ms, p99 %.2f ms, max %.2f ms; flood copies at the host's player %lld; "
      "host buffered peak %.1f KiB; process RSS %ld KiB at 2 s, %ld KiB at end\n",
      flooders, seconds, static_cast<double>(floodBytes.load()) / 1e6, hostUp ? "up" : "DOWN",
      goodUp ? "connected" : "DROPPED", clientsAtEnd, sent, echoed, sent - echoed,
      Percentile(latencies, 0.5), Percentile(latencies, 0.99),
      latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end()),
      floodCopiesAtHost.load(), static_cast<double>(peakBuffered) / 1024, rssEarly, rssLate);
  netlink::Leave(good);
  netlink::Leave(host);
  return hostUp && goodUp && sent == echoed && sent > 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Program end (a fatal runtime error too) shuts the engine down.
  SetProgramExitHandler(ShutdownAndExit);
  const std::string what = argc > 1 ? argv[1] : "all";
  bool ok = true;
  if (what == "relay" || what == "all") ok = Relay() && ok;
  if (what == "http" || what == "all") ok = Http() && ok;
  if (what == "flood" || what == "all") {
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    const int flooders = argc > 3 ? std::atoi(argv[3]) : 10;
    ok = Flood(seconds > 0 ? seconds : 20, flooders > 0 ? flooders : 10) && ok;
  }
  return ok ? 0 : 1;
}
