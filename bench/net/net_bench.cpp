// Network benchmarks over loopback.
//
//   bench_net [relay|http|all]
//
// relay: a host and five clients in this process (each link with its own
// worker). One client sends 10,000 messages of 100 bytes to every player;
// four clients receive them. Reported as a burst (sent as fast as the link
// takes them) and paced at 5,000 messages a second: messages per second
// (sent messages whose every copy has arrived) and the send-to-receive
// latency of all copies, p50 and p99.
//
// http: HttpGetFile of a 100 MB body from a server thread on a loopback
// port into a temporary file, in MB/s (10^6 bytes).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

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

int HostSomewhere(NetLink& link) {
  std::mt19937 rng(static_cast<unsigned>(NowNs()));
  for (int i = 0; i < 40; ++i) {
    const int port = 20000 + static_cast<int>(rng() % 40000);
    if (netlink::Host(link, port)) return port;
  }
  return 0;
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
  const int port = HostSomewhere(host);
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
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(listener, 1);
  socklen_t len = sizeof a;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
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
  const int result = HttpGetFile(RtString("127.0.0.1"), RtString("/big"), ntohs(a.sin_port),
                                 RtString(path.c_str()));
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

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "all";
  bool ok = true;
  if (what == "relay" || what == "all") ok = Relay() && ok;
  if (what == "http" || what == "all") ok = Http() && ok;
  return ok ? 0 : 1;
}
