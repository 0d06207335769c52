// The HTTP fetch against a scripted server on a loopback port: the request
// text, the header end across blocks, where the body goes, the text's room
// rule and the idle limit.
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "runtime/net/socket_internal.h"
#include "runtime/runtime.h"

namespace {

struct Step {
  std::string bytes;
  int pauseMs = 0;  // before the bytes are written
};

// Serves one connection: reads the request, writes the steps, then closes
// (or holds the connection open for holdMs first, or resets it instead of
// closing).
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<Step> steps, int holdMs = 0, bool reset = false)
      : steps_(std::move(steps)), holdMs_(holdMs), reset_(reset) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener_, 4);
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    thread_.join();
    ::close(listener_);
  }
  int port() const { return port_; }
  // Valid once the fetch has returned.
  const std::string& request() const { return request_; }

 private:
  void Serve() {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) return;
    const int fd = ::accept(listener_, nullptr, nullptr);
    if (fd < 0) return;
    char buf[2048];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      pollfd q{fd, POLLIN, 0};
      if (::poll(&q, 1, 5000) <= 0) break;
      const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      request_.append(buf, static_cast<size_t>(n));
    }
    bool clientGone = false;
    for (const Step& s : steps_) {
      if (s.pauseMs) std::this_thread::sleep_for(std::chrono::milliseconds(s.pauseMs));
      // The client gone: no point dripping on or holding.
      if (::send(fd, s.bytes.data(), s.bytes.size(), MSG_NOSIGNAL) < 0) {
        clientGone = true;
        break;
      }
    }
    if (holdMs_ && !clientGone) std::this_thread::sleep_for(std::chrono::milliseconds(holdMs_));
    if (reset_) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(fd);
  }

  std::vector<Step> steps_;
  int holdMs_;
  bool reset_;
  int listener_ = -1;
  int port_ = 0;
  std::string request_;
  std::thread thread_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string TempFile(const char* name) {
  return std::string(::testing::TempDir()) + name + std::to_string(::getpid());
}

const RtString kLocal("127.0.0.1");

TEST(HttpHeaderScanner, CountsLineFeedsAcrossBlocksIgnoringCr) {
  const std::string text = "HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody";
  // Every split point gives the same body.
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    HttpHeaderScanner s;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::string body;
    size_t at = s.Scan(bytes, cut);
    if (s.InBody()) body.append(text, at, cut - at);
    at = s.Scan(bytes + cut, text.size() - cut);
    if (s.InBody()) body.append(text, cut + at, std::string::npos);
    EXPECT_EQ(body, "body") << "cut at " << cut;
  }
  // A CR between the line feeds does not break the pair; any other byte
  // does.
  HttpHeaderScanner crs;
  const std::string a = "X\n\r\r\nY";
  EXPECT_EQ(crs.Scan(reinterpret_cast<const uint8_t*>(a.data()), a.size()), 5u);
  HttpHeaderScanner other;
  const std::string b = "X\n \nY";
  EXPECT_EQ(other.Scan(reinterpret_cast<const uint8_t*>(b.data()), b.size()), b.size());
  EXPECT_FALSE(other.InBody());
}

TEST(HttpRequest, ExactTextAndLimits) {
  char out[kHttpRequestLimit];
  size_t len = 0;
  ASSERT_TRUE(BuildHttpRequest("example.test", "/a?b=c", out, sizeof out, &len));
  EXPECT_EQ(std::string(out, len),
            "GET /a?b=c HTTP/1.0\r\nHost:example.test\r\nAccept: */*\r\n"
            "User-Agent: Brakmor\r\n\r\n");
  // Too long for the buffer, or able to inject header lines: refused.
  const std::string longPath = "/" + std::string(1000, 'p');
  EXPECT_FALSE(BuildHttpRequest("h", longPath.c_str(), out, sizeof out, &len));
  EXPECT_FALSE(BuildHttpRequest("h", "/x\r\nEvil: 1", out, sizeof out, &len));
  EXPECT_FALSE(BuildHttpRequest("h\n", "/", out, sizeof out, &len));
}

TEST(HttpFetch, BareLineFeedHeadersAndTheRequestSent) {
  ScriptedServer server({{"HTTP/1.0 200 OK\nContent-Type: text/plain\n\nhello"}});
  EXPECT_EQ(HttpGetText(kLocal, RtString("/doc.txt"), server.port(), 100), "hello");
  EXPECT_EQ(server.request(),
            "GET /doc.txt HTTP/1.0\r\nHost:127.0.0.1\r\nAccept: */*\r\n"
            "User-Agent: Brakmor\r\n\r\n");
  EXPECT_FALSE(netsock::LayerStarted());
}

TEST(HttpFetch, EmptyLineSplitAcrossBlocks) {
  ScriptedServer server({{"HTTP/1.0 200 OK\r\nX: y\r\n\r", 0}, {"\nBODY", 80}});
  EXPECT_EQ(HttpGetText(kLocal, RtString("/"), server.port(), 100), "BODY");
}

TEST(HttpFetch, ZeroByteBodyWholeInFileCutInText) {
  std::string body("abc");
  body.push_back('\0');
  body += "def";
  const std::string path = TempFile("http_zero");
  {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\n" + body}});
    EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), server.port(), RtString(path.c_str())), 1);
  }
  EXPECT_EQ(Slurp(path), body);
  {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\n" + body}});
    const RtString text = HttpGetText(kLocal, RtString("/"), server.port(), 100);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(text.Length(), 3u);
  }
  std::remove(path.c_str());
}

TEST(HttpFetch, TextKeepsOnlyPiecesThatFit) {
  {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\nabcd"}});
    EXPECT_EQ(HttpGetText(kLocal, RtString("/"), server.port(), 10), "abcd");
  }
  {
    // A piece exactly as long as the maximum still fits.
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\n", 0}, {"0123456789", 60}});
    EXPECT_EQ(HttpGetText(kLocal, RtString("/"), server.port(), 10), "0123456789");
  }
  {
    // The 2000-byte pieces are dropped whole; the small one after them is
    // kept, not a 10-byte prefix of the first.
    ScriptedServer server(
        {{"HTTP/1.0 200 OK\r\n\r\n", 0}, {std::string(2000, 'A'), 60}, {"xyz", 120}});
    EXPECT_EQ(HttpGetText(kLocal, RtString("/"), server.port(), 10), "xyz");
  }
}

TEST(HttpFetch, IdleServerEndsTheFetch) {
  SetHttpIdleTimeoutMs(300);
  const std::string path = TempFile("http_idle");
  {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\npart"}}, 1500);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), server.port(), RtString(path.c_str())), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_FALSE(std::ifstream(path).good());
  }
  {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\npart"}}, 1500);
    EXPECT_EQ(HttpGetText(kLocal, RtString("/"), server.port(), 100), "part");
  }
  SetHttpIdleTimeoutMs(0);
  std::remove(path.c_str());
  EXPECT_FALSE(netsock::LayerStarted());
}

TEST(HttpFetch, FailuresGiveZeroOrEmpty) {
  int closedPort;
  {
    ScriptedServer probe({});
    closedPort = probe.port();
    // Let the server thread finish: connect once and drop it.
    ASSERT_EQ(SockInit(), 1);
    SockClose(TcpConnect(kLocal, closedPort));
    SockShutdown();
  }
  EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), closedPort, RtString()), 0);
  EXPECT_EQ(HttpGetText(kLocal, RtString("/"), closedPort, 100), "");
  EXPECT_EQ(HttpGetText(RtString("no-such-host.invalid"), RtString("/"), closedPort, 100), "");
  EXPECT_EQ(HttpGetFile(kLocal, RtString("/a\r\nb"), closedPort, RtString()), 0);
  EXPECT_FALSE(netsock::LayerStarted());

  // The download itself succeeds but the body cannot be stored: not a
  // success.
  ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\nbody"}});
  EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), server.port(),
                        RtString("/nonexistent-dir-for-test/out.bin")),
            0);
}

TEST(HttpContentLength, FirstHeaderLineAnyCase) {
  const std::string h =
      "HTTP/1.0 200 OK\r\nX-Content-Length: 9\r\ncontent-LENGTH:  42 \r\n"
      "Content-Length: 7\r\n\r\n";
  EXPECT_EQ(HttpContentLength(h.data(), h.size()), 42);
  const std::string none = "HTTP/1.0 200 OK\nServer: x\n\n";
  EXPECT_EQ(HttpContentLength(none.data(), none.size()), -1);
  for (const char* bad : {"Content-Length: 12x\n", "Content-Length: -5\n", "Content-Length:\n",
                          "Content-Length: 99999999999999999999999\n"}) {
    EXPECT_EQ(HttpContentLength(bad, std::strlen(bad)), -1) << bad;
  }
}

// A fetch that fails for any reason leaves the file as it was, and leaves
// nothing else beside it.
class HttpFetchReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::string(::testing::TempDir()) + "http_replace" + std::to_string(::getpid());
    ::mkdir(dir_.c_str(), 0755);
    path_ = dir_ + "/target.bin";
    std::ofstream(path_, std::ios::binary) << "old contents";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    ::rmdir(dir_.c_str());
    SetHttpIdleTimeoutMs(0);
    SetHttpDeadlineMs(0);
  }
  int Fetch(int port) { return HttpGetFile(kLocal, RtString("/"), port, RtString(path_.c_str())); }
  int FilesInDir() {
    int count = 0;
    if (DIR* d = ::opendir(dir_.c_str())) {
      while (dirent* e = ::readdir(d)) count += e->d_name[0] != '.';
      ::closedir(d);
    }
    return count;
  }
  void ExpectUntouched() {
    EXPECT_EQ(Slurp(path_), "old contents");
    EXPECT_EQ(FilesInDir(), 1);
  }
  std::string dir_;
  std::string path_;
};

TEST_F(HttpFetchReplace, SuccessReplacesTheFile) {
  ScriptedServer server({{"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nnew"}});
  EXPECT_EQ(Fetch(server.port()), 1);
  EXPECT_EQ(Slurp(path_), "new");
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(HttpFetchReplace, NoServerKeepsTheFile) {
  int closedPort;
  {
    ScriptedServer probe({});
    closedPort = probe.port();
    ASSERT_EQ(SockInit(), 1);
    SockClose(TcpConnect(kLocal, closedPort));
    SockShutdown();
  }
  EXPECT_EQ(Fetch(closedPort), 0);
  ExpectUntouched();
}

TEST_F(HttpFetchReplace, CutResponsesFail) {
  {
    // Closed before the declared length.
    ScriptedServer server({{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"}});
    EXPECT_EQ(Fetch(server.port()), 0);
    ExpectUntouched();
  }
  {
    // Reset in the middle of the body, no length declared.
    ScriptedServer server({{"HTTP/1.0 200 OK\r\n\r\n", 0}, {std::string(5000, 'b'), 30}}, 100,
                          true);
    EXPECT_EQ(Fetch(server.port()), 0);
    ExpectUntouched();
  }
  {
    // Closed inside the headers.
    ScriptedServer server({{"HTTP/1.0 200 OK\r\nContent-"}});
    EXPECT_EQ(Fetch(server.port()), 0);
    ExpectUntouched();
  }
}

TEST_F(HttpFetchReplace, SlowDripEndsAtTheDeadline) {
  SetHttpDeadlineMs(400);
  std::vector<Step> drip{{"HTTP/1.0 200 OK\r\n\r\n"}};
  for (int i = 0; i < 40; ++i) drip.push_back({"x", 50});
  ScriptedServer server(drip);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch(server.port()), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  ExpectUntouched();
}

TEST_F(HttpFetchReplace, EndlessHeaderIsCut) {
  // Header lines without end, faster than any time limit would notice.
  std::vector<Step> endless{{"HTTP/1.0 200 OK\r\n"}};
  for (int i = 0; i < 200; ++i) endless.push_back({"X-Filler: " + std::string(1000, 'f') + "\r\n"});
  ScriptedServer server(endless, 3000);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch(server.port()), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  ExpectUntouched();
  // Text fetches stop there too.
  ScriptedServer again(endless, 3000);
  EXPECT_EQ(HttpGetText(kLocal, RtString("/"), again.port(), 100), "");
}

TEST_F(HttpFetchReplace, PipesLinksAndDevicesAtTheTargetAreNeverReplaced) {
  const std::string fifo = dir_ + "/pipe";
  const std::string link = dir_ + "/link";
  const std::string folder = dir_ + "/folder";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  for (const std::string& target : {fifo, link, folder}) {
    ScriptedServer server({{"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nnew"}});
    // The fetch gives up before connecting; a bare connection ends the
    // server's wait.
    EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), server.port(), RtString(target.c_str())), 0)
        << target;
    const int fd = nettest::ConnectToLoopback(server.port());
    if (fd >= 0) ::close(fd);
  }
  struct stat st;
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(Slurp(path_), "old contents");
  // Nothing left beside them either.
  EXPECT_EQ(FilesInDir(), 4);
  std::remove(fifo.c_str());
  std::remove(link.c_str());
  ::rmdir(folder.c_str());
}

TEST(HttpFetch, AnAddressThatNeverAnswersFailsWithinTheIdleLimit) {
  nettest::SilentListener silent;
  ASSERT_TRUE(silent.filled());
  ASSERT_TRUE(silent.Unanswered());
  SetHttpIdleTimeoutMs(400);
  const std::string path = TempFile("http_silent");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpGetFile(kLocal, RtString("/"), silent.port(), RtString(path.c_str())), 0);
  EXPECT_EQ(HttpGetText(kLocal, RtString("/"), silent.port(), 100), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
  EXPECT_FALSE(std::ifstream(path).good());
  SetHttpIdleTimeoutMs(0);
  // The overall deadline bounds the connect as well.
  SetHttpDeadlineMs(300);
  const auto again = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpGetText(kLocal, RtString("/"), silent.port(), 100), "");
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(2000));
  SetHttpDeadlineMs(0);
  EXPECT_FALSE(netsock::LayerStarted());
}

}  // namespace
