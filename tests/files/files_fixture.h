// Each test works in a fresh directory of its own, which is also the current
// directory. A death test's child re-runs SetUp; it is handed the parent's
// directory through the environment so both look at the same files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/runtime.h"

namespace filetest {

inline constexpr char kDirVariable[] = "FILES_DIRS_TEST_DIR";

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (const char* inherited = getenv(kDirVariable)) {
      dir_ = inherited;
      child_ = true;
    } else {
      std::string tmpl = std::filesystem::temp_directory_path().string() + "/files_dirs_XXXXXX";
      ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
      dir_ = tmpl;
      setenv(kDirVariable, dir_.c_str(), 1);
    }
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    SetRuntimeError(0);
  }

  void TearDown() override {
    if (child_) return;
    // Leave no cached file behind for the next test of this process.
    SelectLineFile(nullptr);
    IniOpen(RtString(""));
    unsetenv(kDirVariable);
    ASSERT_EQ(chdir("/"), 0);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string dir_;
  bool child_ = false;
};

}  // namespace filetest
