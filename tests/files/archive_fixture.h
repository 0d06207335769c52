// Each test works in a fresh directory that is also the system temporary
// directory, so unpacked temporary files land where the test can see them.
// A death test's child is handed its parent's directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/files/archive.h"
#include "runtime/files/archive_format.h"
#include "runtime/files/file_stream.h"

namespace archivetest {

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void Spill(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline void Spill(const std::string& path, const std::vector<uint8_t>& bytes) {
  Spill(path, std::string(bytes.begin(), bytes.end()));
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Text-like bytes that compress the way real assets do.
inline std::string SampleBytes(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"plane ", "room ", "wind ",  "shelf ",  "spike ",
                                       "ghost ", "\r\n",  "board ", "meteor ", "cloud "};
  std::mt19937 rng(seed);
  std::string out;
  out.reserve(size + 8);
  while (out.size() < size) {
    if (rng() % 5 == 0) {
      out += static_cast<char>(rng() & 0xFF);
    } else {
      out += kWords[rng() % 10];
    }
  }
  out.resize(size);
  return out;
}

// The content of one file held by an ArchiveSource's memory name.
inline std::string MemoryContent(const std::string& name) {
  FileStream stream;
  if (!OpenStream(stream, name.c_str())) return "<not openable>";
  std::string out(static_cast<size_t>(stream.size), '\0');
  ReadStream(stream, out.data(), stream.size);
  CloseStream(stream);
  return out;
}

inline std::vector<uint8_t> Archive(const std::vector<std::pair<std::string, std::string>>& files,
                                    bool fromEnd = false, uint64_t hostSize = 0) {
  std::vector<sbx::PackedFile> packed;
  for (const auto& [name, bytes] : files) {
    packed.push_back(
        {name, sbx::PackEntry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())});
  }
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(sbx::BuildArchive(packed, fromEnd, hostSize, &out, &error)) << error;
  return out;
}

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (const char* inherited = getenv("RT_ARCHIVE_TEST_DIR")) {
      dir_ = inherited;
    } else {
      char tmpl[] = "/tmp/rt_archive_XXXXXX";
      ASSERT_NE(mkdtemp(tmpl), nullptr);
      dir_ = tmpl;
      setenv("RT_ARCHIVE_TEST_DIR", tmpl, 1);
      owner_ = true;
    }
    // The next test of the binary must find the temporary folder it had:
    // this one is removed below.
    if (const char* before = getenv("TMPDIR")) savedTmpdir_ = before;
    setenv("TMPDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (!owner_) return;
    if (savedTmpdir_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", savedTmpdir_.c_str(), 1);
    unsetenv("RT_ARCHIVE_TEST_DIR");
    const std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  std::string savedTmpdir_;
  bool owner_ = false;
};

}  // namespace archivetest
