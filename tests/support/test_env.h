// What every test process of the runtime shares, from the platform layer
// up: a private temporary directory (so parallel tests never share an error
// log), message boxes recorded instead of shown, the error log's lines and
// a virtual clock.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/platform/process.h"
#include "runtime/platform/test_backend.h"

namespace testenv {

struct BoxRecord {
  std::string caption, text;
};

inline std::vector<BoxRecord>& Boxes() {
  static std::vector<BoxRecord> boxes;
  return boxes;
}

// Gives this process its own TMPDIR, once.
inline std::string PrivateTempDir() {
  static std::string dir = [] {
    // A death test's child inherits its parent's directory, so both look at
    // the same log.
    if (const char* inherited = getenv("RT_TEST_TMPDIR")) {
      setenv("TMPDIR", inherited, 1);
      return std::string(inherited);
    }
    char tmpl[] = "/tmp/rt_test_XXXXXX";
    const char* made = mkdtemp(tmpl);
    std::string d = made ? made : "/tmp";
    setenv("TMPDIR", d.c_str(), 1);
    setenv("RT_TEST_TMPDIR", d.c_str(), 1);
    return d;
  }();
  return dir;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::vector<std::string> LogLines() {
  std::string all = ReadFile(plat::TempDirectory() + "ErrorLog.txt");
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(all.substr(pos));
      break;
    }
    lines.push_back(all.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// Message boxes land in Boxes() instead of waiting for a person.
inline void RecordMessageBoxes() {
  plat::SetMessageBoxRecorder([](plat::BoxIcon, const std::string& c, const std::string& t) {
    Boxes().push_back({c, t});
  });
}

// A virtual clock: sleeping advances it exactly, and every reading moves it
// on a little, as real time does while the frame wait spins.
struct FakeClock {
  double now = 1000.0;
  double tick = 0.001;
  double slept = 0;
  int sleeps = 0;
  std::function<void()> onSleep;

  void Install() {
    plat::SetTestClock(
        [this] {
          now += tick;
          return now;
        },
        [this](double ms) {
          now += ms;
          slept += ms;
          ++sleeps;
          if (onSleep) onSleep();
        });
  }
  ~FakeClock() { plat::SetTestClock(nullptr, nullptr); }
};

}  // namespace testenv
