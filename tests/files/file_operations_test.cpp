#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "files_fixture.h"
#include "runtime/files/file_stream.h"

namespace {

using filetest::Exists;
using filetest::ReadBytes;
using filetest::WriteBytes;

class FileOps : public filetest::FilesTest {};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST_F(FileOps, ExistenceAndSizeSeeOnlyReadableFiles) {
  WriteBytes("five.bin", "12345");
  std::filesystem::create_directory("sub");
  WriteBytes("sub/inner.txt", "abc");

  EXPECT_EQ(FileExists("five.bin"), 1);
  EXPECT_EQ(FileSize("five.bin"), 5);
  EXPECT_EQ(FileExists("sub\\inner.txt"), 1);
  EXPECT_EQ(FileSize("sub\\inner.txt"), 3);

  EXPECT_EQ(FileExists("missing.bin"), 0);
  EXPECT_EQ(FileSize("missing.bin"), 0);
  EXPECT_EQ(FileExists(""), 0);
  static const uint8_t bytes[26] = {};
  EXPECT_EQ(FileSize(MemoryName(bytes, sizeof bytes).c_str()), 26);
  // A directory is not a file, although the C library would open one.
  EXPECT_EQ(FileExists("sub"), 0);
  EXPECT_EQ(FileSize("sub"), 0);
}

TEST_F(FileOps, DeleteRemovesFilesButNeverDirectories) {
  WriteBytes("gone.txt", "x");
  std::filesystem::create_directory("sub");
  WriteBytes("sub/inner.txt", "x");
  std::filesystem::create_directory("empty");

  EXPECT_EQ(DeleteFile("gone.txt"), 1);
  EXPECT_FALSE(Exists("gone.txt"));
  EXPECT_EQ(DeleteFile("gone.txt"), 0);
  EXPECT_EQ(DeleteFile("sub\\inner.txt"), 1);
  EXPECT_EQ(DeleteFile("empty"), 0);
  EXPECT_TRUE(std::filesystem::is_directory("empty"));
  EXPECT_EQ(DeleteFile(""), 0);
}

TEST_F(FileOps, CopyReplacesTheDestinationByteForByte) {
  // Several whole blocks and a remainder.
  const std::string source = Pattern(3 * 4096 + 123);
  WriteBytes("src.bin", source);
  WriteBytes("dst.bin", Pattern(50000));

  CopyFile("src.bin", "dst.bin");
  EXPECT_EQ(ReadBytes("dst.bin"), source);

  static const char memory[] = "from memory";
  CopyFile(MemoryName(memory, 11).c_str(), "mem.txt");
  EXPECT_EQ(ReadBytes("mem.txt"), "from memory");
}

TEST_F(FileOps, CopyLeavesTheDestinationAloneWhenItCannotStart) {
  WriteBytes("dst.bin", "keep me");
  CopyFile("missing.bin", "dst.bin");
  EXPECT_EQ(ReadBytes("dst.bin"), "keep me");

  std::filesystem::create_directory("folder");
  CopyFile("folder", "dst.bin");
  EXPECT_EQ(ReadBytes("dst.bin"), "keep me");

  WriteBytes("src.bin", "data");
  CopyFile("src.bin", "mem://       4.    1000");
  CopyFile("src.bin", "folder");
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
  EXPECT_FALSE(Exists("mem:"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
}

TEST_F(FileOps, ReplaceFileKeepsPermissionsAndTheOldFileOnFailure) {
  WriteBytes("settings.txt", "old");
  ASSERT_EQ(chmod("settings.txt", 0640), 0);

  EXPECT_TRUE(fileops::ReplaceFile("settings.txt",
                                   [](std::FILE* out) { return std::fputs("new", out) >= 0; }));
  EXPECT_EQ(ReadBytes("settings.txt"), "new");
  struct stat st;
  ASSERT_EQ(stat("settings.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  EXPECT_FALSE(fileops::ReplaceFile("settings.txt", [](std::FILE* out) {
    std::fputs("half", out);
    return false;
  }));
  EXPECT_EQ(ReadBytes("settings.txt"), "new");
  // No temporary file is left behind either way.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);

  std::filesystem::create_directory("folder");
  EXPECT_FALSE(fileops::ReplaceFile("folder", [](std::FILE*) { return true; }));
  EXPECT_FALSE(fileops::ReplaceFile("no/such/dir/x", [](std::FILE*) { return true; }));
}

}  // namespace

namespace filetest {
namespace {

// Every loader reads its file whole through these. A named pipe nobody
// writes used to hold the program for ever, and a device such as /dev/zero
// was read until memory ran out; both, and folders, now fail at once (the
// loaders above the file layer: tests/frame/pipes_and_devices_test.cpp).
TEST_F(FileOps, LoadersRefusePipesDevicesAndFoldersAtOnce) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  ASSERT_EQ(mkdir("folder", 0700), 0);
  const auto start = std::chrono::steady_clock::now();
  for (const char* name : {"pipe", "/dev/zero", "folder"}) {
    FileStream stream;
    EXPECT_FALSE(OpenStream(stream, name)) << name;
    EXPECT_EQ(FileExists(RtString(name)), 0) << name;
    EXPECT_EQ(FileSize(RtString(name)), 0) << name;
    EXPECT_EQ(OpenFile(3, RtString(name), 1), 0) << name;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

  // Writing a file over a pipe nobody reads does not wait either; the pipe
  // is replaced, as any old file is.
  EXPECT_EQ(OpenFile(3, RtString("pipe"), 0), 1);
  CloseFile(3);
  struct stat st;
  ASSERT_EQ(stat("pipe", &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

}  // namespace
}  // namespace filetest
