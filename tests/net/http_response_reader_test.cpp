// The response reader the fetch runs on, fed by hand: what ends a response
// well or badly must not depend on how the bytes were cut into blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "fuzz/http_drive.h"
#include "runtime/net/http_fetch.h"

namespace {

using State = HttpResponseReader::State;

struct Outcome {
  State state = State::kHeaders;
  std::string body;
  int status = -1;
  long long length = -1;
};

// Feeds text in blocks of blockSize bytes, then closes when asked.
Outcome Read(const std::string& text, size_t blockSize, bool close = true) {
  HttpResponseReader reader;
  Outcome out;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size(); at += blockSize) {
    const size_t n = std::min(blockSize, text.size() - at);
    const size_t bodyStart = reader.Feed(bytes + at, n);
    EXPECT_LE(bodyStart, n);
    out.body.append(text, at + bodyStart, n - bodyStart);
  }
  if (close) reader.Close();
  out.state = reader.state();
  out.status = reader.Status();
  out.length = reader.ContentLength();
  EXPECT_EQ(reader.BodyBytes(), static_cast<long long>(out.body.size()));
  return out;
}

TEST(HttpResponseReader, SameOutcomeWhateverTheBlockSize) {
  struct Case {
    std::string text;
    State state;
    std::string body;
    int status;
  };
  const Case cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", State::kComplete, "hello", 200},
      // Bytes past the declared length are still body; only a short body
      // is a cut one.
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nmore", State::kComplete, "more", 404},
      {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort", State::kTruncated, "short", 200},
      // No length: the close ends the body, and an empty one is whole.
      {"HTTP/1.0 200 OK\n\n", State::kComplete, "", 200},
      {"HTTP/1.0 200 OK\nServer: x\n\nabc\n\ndef", State::kComplete, "abc\n\ndef", 200},
      // Closed inside the headers.
      {"HTTP/1.0 200 OK\r\nContent-Len", State::kTruncated, "", -1},
      {"", State::kTruncated, "", -1},
      // No status line is still a response; the status is only reported.
      {"garbage\n\nbody", State::kComplete, "body", -1},
  };
  for (const Case& c : cases) {
    for (size_t block = 1; block <= c.text.size() + 1; ++block) {
      const Outcome got = Read(c.text, block);
      EXPECT_EQ(got.state, c.state) << c.text << " in blocks of " << block;
      EXPECT_EQ(got.body, c.body) << c.text << " in blocks of " << block;
      EXPECT_EQ(got.status, c.status) << c.text << " in blocks of " << block;
    }
  }
}

TEST(HttpResponseReader, StatesBeforeTheCloseAndAfterTheEnd) {
  const std::string text = "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc";
  EXPECT_EQ(Read(text.substr(0, 10), 4, false).state, State::kHeaders);
  const Outcome open = Read(text, 7, false);
  EXPECT_EQ(open.state, State::kBody);
  EXPECT_EQ(open.length, 3);

  // Nothing more is taken once the response has ended.
  HttpResponseReader reader;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  reader.Feed(bytes, text.size());
  EXPECT_TRUE(reader.Close());
  EXPECT_TRUE(reader.Ended());
  EXPECT_EQ(reader.Feed(bytes, 3), 3u);
  EXPECT_EQ(reader.BodyBytes(), 3);
  EXPECT_TRUE(reader.Close());
}

TEST(HttpResponseReader, HeaderBlockLimit) {
  // Exactly at the limit is taken; one byte more ends the read, and the
  // rest of the stream is not looked at.
  const std::string tail = "\r\n\r\n";
  std::string atLimit = "HTTP/1.0 200 OK\r\nX: ";
  atLimit += std::string(kHttpHeaderLimit - atLimit.size() - tail.size(), 'x') + tail;
  ASSERT_EQ(atLimit.size(), kHttpHeaderLimit);
  for (const size_t block : {size_t{1023}, size_t{1} << 20}) {
    const Outcome fits = Read(atLimit + "body", block);
    EXPECT_EQ(fits.state, State::kComplete) << block;
    EXPECT_EQ(fits.body, "body") << block;
    const Outcome over = Read("X" + atLimit + "body", block);
    EXPECT_EQ(over.state, State::kHeadersTooLong) << block;
    EXPECT_EQ(over.body, "") << block;
  }
}

TEST(HttpStatusCode, OnlyAWellFormedStatusLine) {
  const std::pair<const char*, int> cases[] = {
      {"HTTP/1.0 200 OK\r\n", 200}, {"HTTP/1.1 302\r\n", 302}, {"HTTP/2.0  503 Busy\n", 503},
      {"HTTP/1.0 200", 200},        {"http/1.0 200 OK\n", -1}, {"HTTP/1.0 20 OK\n", -1},
      {"HTTP/1.0 2000 OK\n", -1},   {"HTTP/1.0200 OK\n", -1},  {"HTTP/.0 200 OK\n", -1},
      {"HTTP/1. 200 OK\n", -1},     {"HTTP/1.0 2x0 OK\n", -1}, {"HTTP/", -1},
      {"ICY 200 OK\r\n", -1},       {"HTTP/1.0 200OK\n", -1},  {"HTTP/1.0 020 OK\n", -1},
  };
  for (const auto& [line, code] : cases) {
    EXPECT_EQ(HttpStatusCode(line, std::strlen(line)), code) << line;
  }
}

// Inputs the fuzzer found, in regressions/http/ beside this file, in its
// format (http_drive.h).
TEST(HttpResponseReader, KeptFuzzInputsReadConsistently) {
  const std::filesystem::path folder =
      std::filesystem::path(TEST_SOURCE_DIR) / "regressions" / "http";
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(
        httpdrive::ReadsConsistently(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        << entry.path();
    ++seen;
  }
  EXPECT_GE(seen, 1);
}

}  // namespace
