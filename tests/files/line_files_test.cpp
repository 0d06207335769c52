#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "files_fixture.h"
#include "runtime/files/file_stream.h"

namespace {

using filetest::Exists;
using filetest::ReadBytes;
using filetest::WriteBytes;

class LineFiles : public filetest::FilesTest {};

TEST_F(LineFiles, ANewFileReachesTheDiskOnlyWhenAnotherIsSelected) {
  WriteFileLine("new.txt", 3, "hello");
  EXPECT_FALSE(Exists("new.txt"));
  // The cache keeps serving the file it is building.
  EXPECT_STREQ(ReadFileLine("new.txt", 3).c_str(), "hello");
  EXPECT_STREQ(ReadFileLine("new.txt", 1).c_str(), "NO_DATA");

  EXPECT_EQ(SelectLineFile("other.txt"), 3);
  EXPECT_EQ(ReadBytes("new.txt"), "\r\n\r\n\r\nhello\r\n");
  EXPECT_STREQ(ReadFileLine("new.txt", 3).c_str(), "hello");
}

TEST_F(LineFiles, LinesReadWithEitherLineEndAndLoseTrailingControlCharacters) {
  static const char bytes[] = "12\r\n\r\nab\n   \nx\t\r\n\t\nnul\0tail\r\n\x01";
  WriteBytes("in.txt", std::string(bytes, sizeof bytes - 1));
  EXPECT_STREQ(ReadFileLine("in.txt", 0).c_str(), "12");
  EXPECT_STREQ(ReadFileLine("in.txt", 1).c_str(), "NO_DATA");
  EXPECT_STREQ(ReadFileLine("in.txt", 2).c_str(), "ab");
  EXPECT_STREQ(ReadFileLine("in.txt", 3).c_str(), "   ");
  EXPECT_STREQ(ReadFileLine("in.txt", 4).c_str(), "x");
  EXPECT_STREQ(ReadFileLine("in.txt", 5).c_str(), "NO_DATA");
  EXPECT_EQ(ReadFileLine("in.txt", 6), RtString("nul"));
  EXPECT_STREQ(ReadFileLine("in.txt", 7).c_str(), "NO_DATA");
  EXPECT_STREQ(ReadFileLine("in.txt", 8).c_str(), "NO_DATA");
  EXPECT_STREQ(ReadFileLine("in.txt", 255).c_str(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().errorCode, 0);
}

TEST_F(LineFiles, LinesOutsideTheCacheRecordErrorSevenAndChangeNothing) {
  WriteBytes("in.txt", "a\r\n");
  EXPECT_STREQ(ReadFileLine("in.txt", 300).c_str(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().errorCode, 7);
  SetRuntimeError(0);
  EXPECT_STREQ(ReadFileLine("in.txt", -1).c_str(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().errorCode, 7);

  SetRuntimeError(0);
  WriteFileLine("in.txt", 256, "x");
  WriteFileLine("in.txt", -1, "x");
  EXPECT_EQ(RuntimeErrors().errorCode, 7);
  SelectLineFile(nullptr);
  EXPECT_EQ(ReadBytes("in.txt"), "a\r\n");
}

TEST_F(LineFiles, TextWithALineBreakIsRefusedAndShiftsNothing) {
  WriteBytes("lines.txt", "zero\r\none\r\ntwo\r\n");
  for (const char* text : {"a\r\nb", "a\nb", "a\r", "\n"}) {
    SetRuntimeError(0);
    WriteFileLine("lines.txt", 0, text);
    EXPECT_EQ(RuntimeErrors().errorCode, 7);
  }
  EXPECT_STREQ(ReadFileLine("lines.txt", 0).c_str(), "zero");
  // A break past the stored 1023 bytes never reaches the file.
  SetRuntimeError(0);
  WriteFileLine("lines.txt", 1, (std::string(1100, 'x') + "\r\n").c_str());
  EXPECT_EQ(RuntimeErrors().errorCode, 0);
  SelectLineFile(nullptr);
  EXPECT_EQ(ReadBytes("lines.txt"), "zero\r\n" + std::string(1023, 'x') + "\r\ntwo\r\n");
}

TEST_F(LineFiles, AMissingFileIsReportedEveryTimeUntilItAppears) {
  EXPECT_STREQ(ReadFileLine("later.txt", 0).c_str(), "NO_FILE");
  EXPECT_EQ(RuntimeErrors().errorCode, 3);
  SetRuntimeError(0);
  EXPECT_STREQ(ReadFileLine("later.txt", 0).c_str(), "NO_FILE");
  EXPECT_EQ(RuntimeErrors().errorCode, 3);

  WriteBytes("later.txt", "here\r\n");
  EXPECT_STREQ(ReadFileLine("later.txt", 0).c_str(), "here");

  std::filesystem::create_directory("folder");
  EXPECT_STREQ(ReadFileLine("folder", 0).c_str(), "NO_FILE");
  WriteFileLine("folder", 0, "x");
  SetRuntimeError(0);
  SelectLineFile(nullptr);
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
  EXPECT_EQ(RuntimeErrors().errorCode, 0);
  EXPECT_STREQ(ReadFileLine("", 0).c_str(), "NO_FILE");
}

TEST_F(LineFiles, NumbersAreWrittenAsTextAndLongTextIsCutToTheSlot) {
  WriteFileLineNumber("n.txt", 0, 0.5);
  WriteFileLineNumber("n.txt", 1, 1.0 / 3.0);
  WriteFileLine("n.txt", 2, "42abc");
  WriteFileLine("n.txt", 3, RtString(std::string(5000, 'q').c_str()));
  SelectLineFile(nullptr);
  EXPECT_EQ(ReadBytes("n.txt"),
            "0.5\r\n0.3333333333\r\n42abc\r\n" + std::string(1023, 'q') + "\r\n");

  double number = -1;
  int integer = -1;
  ReadFileLineNumber("n.txt", 0, number);
  EXPECT_EQ(number, 0.5);
  ReadFileLineInt("n.txt", 2, integer);
  EXPECT_EQ(integer, 42);
  ReadFileLineInt("n.txt", 9, integer);
  EXPECT_EQ(integer, 0);
}

// Write-back must not change lines the program never touched, whatever the
// file held.
TEST_F(LineFiles, WriteBackKeepsLongLinesAndLinesPastTheCache) {
  const std::string longLine(1500, 'L');
  WriteBytes("long.txt", longLine + "\r\nnext\nlast");
  EXPECT_EQ(ReadFileLine("long.txt", 0), RtString(longLine.substr(0, 1024).c_str()));
  EXPECT_EQ(ReadFileLine("long.txt", 1), RtString(longLine.substr(1024).c_str()));
  EXPECT_STREQ(ReadFileLine("long.txt", 2).c_str(), "next");
  WriteFileLine("long.txt", 3, "changed");
  SelectLineFile(nullptr);
  EXPECT_EQ(ReadBytes("long.txt"), longLine + "\r\nnext\r\nchanged\r\n");

  // Cuts that fall between a CR and its LF.
  const std::string edge = std::string(1023, 'x') + "\r\n" + std::string(2047, 'y') + "\r\nz";
  WriteBytes("edge.txt", edge);
  EXPECT_STREQ(ReadFileLine("edge.txt", 5).c_str(), "z");
  WriteFileLine("edge.txt", 6, "end");
  SelectLineFile(nullptr);
  EXPECT_EQ(ReadBytes("edge.txt"), edge + "\r\nend\r\n");

  std::string many;
  for (int i = 0; i < 300; ++i) many += "line " + std::to_string(i) + "\r\n";
  WriteBytes("many.txt", many);
  EXPECT_STREQ(ReadFileLine("many.txt", 255).c_str(), "line 255");
  WriteFileLine("many.txt", 5, "five");
  SelectLineFile(nullptr);
  std::string expected = many;
  expected.replace(expected.find("line 5\r\n"), 6, "five");
  EXPECT_EQ(ReadBytes("many.txt"), expected);
}

TEST_F(LineFiles, WriteBackOfArbitraryBytesChangesOnlyLineEnds) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(random() % 300000, '\0');
    const int spread = 1 + static_cast<int>(random() % 3000);
    for (char& c : bytes) {
      const int r = static_cast<int>(random() % spread);
      c = r == 0 ? '\n' : (r == 1 ? '\r' : static_cast<char>(random()));
    }
    WriteBytes("any.bin", bytes);
    WriteFileLine("any.bin", 0, "first");
    SelectLineFile(nullptr);
    const std::string after = ReadBytes("any.bin");
    // Line 0 is replaced; every other line keeps its bytes and gets CR LF.
    auto normalise = [](const std::string& s, bool dropFirst) {
      std::string out;
      size_t pos = 0, line = 0;
      while (pos < s.size()) {
        size_t end = s.find('\n', pos);
        if (end == std::string::npos) end = s.size();
        std::string text = s.substr(pos, end - pos);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (!(dropFirst && line == 0)) out += text + "\n";
        pos = end + 1;
        ++line;
      }
      return out;
    };
    // A first line of a slot's size or more was cut: its rest is the start
    // of the next slot and stays in the file as a line of its own.
    const size_t firstEnd = std::min(bytes.find('\n'), bytes.size());
    const std::string original =
        firstEnd >= 1024 ? normalise(bytes.substr(1024), false) : normalise(bytes, true);
    ASSERT_EQ(normalise(after, true), original) << "round " << round;
  }
}

TEST_F(LineFiles, AnInMemoryFileIsReadButNeverWritten) {
  static const char bytes[] = "one\r\ntwo\r\n";
  const std::string name = MemoryName(bytes, 10);
  EXPECT_STREQ(ReadFileLine(name.c_str(), 1).c_str(), "two");
  WriteFileLine(name.c_str(), 0, "changed");
  EXPECT_STREQ(ReadFileLine(name.c_str(), 0).c_str(), "changed");
  SelectLineFile(nullptr);
  EXPECT_STREQ(bytes, "one\r\ntwo\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 0);
}

// A death test's child runs the test body again up to its statement, so
// each statement sets up its own files.
TEST_F(LineFiles, ProcessExitWritesPendingLinesBack) {
  EXPECT_EXIT(
      {
        WriteBytes("end.txt", "a\r\nb\r\n");
        WriteFileLine("end.txt", 1, "B");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadBytes("end.txt"), "a\r\nB\r\n");
}

}  // namespace

namespace {

class WriteBackPlace : public filetest::FilesTest {};

TEST_F(WriteBackPlace, ChangingDirectoryDoesNotRedirectTheWriteBack) {
  std::filesystem::create_directory("elsewhere");
  WriteFileLine("lines.txt", 0, "kept");
  IniOpen("conf.ini");
  IniPut("S", "k", "v");
  ASSERT_EQ(SetCurrentDir("elsewhere"), 1);
  SelectLineFile(nullptr);
  IniOpen("");
  ASSERT_EQ(SetCurrentDir(".."), 1);
  EXPECT_EQ(ReadBytes("lines.txt"), "kept\r\n");
  EXPECT_EQ(ReadBytes("conf.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("elsewhere"), {}), 0);
}

}  // namespace
