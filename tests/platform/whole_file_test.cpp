// Whole-file reads take regular files only, and only as much as the file
// had: a pipe nobody writes, a device or a directory fails at once.
#include "runtime/platform/whole_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

namespace {

class WholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rt_whole_file_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

TEST_F(WholeFileTest, ReadsRegularFilesWholeWithinTheBound) {
  const std::string path = Path("data.bin");
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::ofstream(path, std::ios::binary) << bytes;

  std::string text;
  std::vector<uint8_t> raw;
  std::string error;
  ASSERT_TRUE(plat::ReadWholeFile(path, text, plat::kWholeFileLimit, &error)) << error;
  EXPECT_EQ(text, bytes);
  ASSERT_TRUE(plat::ReadWholeFile(path, raw, bytes.size(), &error)) << error;
  EXPECT_EQ(std::string(raw.begin(), raw.end()), bytes);

  // One byte over the bound is refused, and says so.
  text = "stale";
  EXPECT_FALSE(plat::ReadWholeFile(path, text, bytes.size() - 1, &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  EXPECT_TRUE(text.empty());

  std::ofstream(Path("empty"), std::ios::binary).flush();
  ASSERT_TRUE(plat::ReadWholeFile(Path("empty"), text, 10, &error)) << error;
  EXPECT_TRUE(text.empty());

  EXPECT_FALSE(plat::ReadWholeFile(Path("missing"), text, 10, &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_FALSE(plat::ReadWholeFile("", text, 10, &error));
}

TEST_F(WholeFileTest, PipesDevicesAndFoldersFailAtOnceWithTheirKind) {
  const std::string fifo = Path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path, kind;
  } refused[] = {{fifo, "named pipe"}, {"/dev/zero", "device"}, {dir_, "directory"}};
  for (const auto& r : refused) {
    const auto start = std::chrono::steady_clock::now();
    std::string text, error;
    EXPECT_FALSE(plat::ReadWholeFile(r.path, text, plat::kWholeFileLimit, &error)) << r.path;
    EXPECT_NE(error.find(r.kind), std::string::npos) << error;
    EXPECT_EQ(plat::OpenRegularFile(r.path), -1) << r.path;
    // Nobody writes the pipe: a blocking open would never return.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << r.path;
  }
}

TEST_F(WholeFileTest, OpenedFilesReadBlockingAndCloseOnExec) {
  const std::string path = Path("f");
  std::ofstream(path) << "abc";
  const int fd = plat::OpenRegularFile(path);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  char got[4] = {};
  EXPECT_EQ(read(fd, got, 3), 3);
  EXPECT_STREQ(got, "abc");
  close(fd);
}

}  // namespace
