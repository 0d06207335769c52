// File channels over disk files and in-memory files: byte layouts, line
// splitting, end-of-file rules and the runtime errors that end the program.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/files/file_stream.h"
#include "runtime/runtime.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Spill(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class Channels : public ::testing::Test {
 protected:
  // A death test's child runs the test again from the start. It works in a
  // folder of its own (the parent may hold the same files open, and open
  // files keep other writers out) inside the parent's, which the parent
  // removes.
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (const char* inherited = getenv("RT_CHANNELS_TEST_DIR")) {
      std::string tmpl = std::string(inherited) + "/child_XXXXXX";
      ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
      dir_ = tmpl;
      return;
    }
    char tmpl[] = "/tmp/rt_channels_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("RT_CHANNELS_TEST_DIR", tmpl, 1);
  }
  void TearDown() override {
    CloseAllFiles();
    unsetenv("RT_CHANNELS_TEST_DIR");
    std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string Path(const char* name) const { return dir_ + "/" + name; }

  // Opens channel 0 for reading over the bytes, either as a disk file or as
  // an in-memory file kept alive by the fixture.
  void OpenOver(const std::string& bytes, bool inMemory) {
    if (inMemory) {
      memory_.assign(bytes.begin(), bytes.end());
      memory_.push_back('#');  // a byte past the end that must never be read
      ASSERT_EQ(OpenFile(0, MemoryName(memory_.data(), bytes.size()).c_str(), 1), 1);
    } else {
      Spill(Path("in.bin"), bytes);
      ASSERT_EQ(OpenFile(0, Path("in.bin").c_str(), 1), 1);
    }
  }

  std::string dir_;
  std::vector<char> memory_;
};

class BothKinds : public Channels, public ::testing::WithParamInterface<bool> {};

TEST_P(BothKinds, CrLfLinesSplitCleanlyAndTheLastLineNeedsNoLineEnd) {
  OpenOver(std::string("12\r\n\r\nab", 8), GetParam());
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line, "12");
  EXPECT_EQ(FilePosition(0), 4);
  ReadLine(0, line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(line.Length(), 0u);
  EXPECT_EQ(EndOfFile(0), 0);
  ReadLine(0, line);
  EXPECT_EQ(line, "ab");
  EXPECT_EQ(EndOfFile(0), 1);
  EXPECT_EQ(FilePosition(0), 8);
  EXPECT_EXIT(ReadLine(0, line), ::testing::ExitedWithCode(3), "");
}

TEST_P(BothKinds, LongLinesComeBackInPiecesOf1024) {
  const std::string longLine(1500, 'x');
  OpenOver(longLine + "\nend", GetParam());
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line.Length(), 1024u);
  ReadLine(0, line);
  EXPECT_EQ(line.Length(), 476u);
  EXPECT_EQ(std::string(line.c_str()), std::string(476, 'x'));
  ReadLine(0, line);
  EXPECT_EQ(line, "end");
}

TEST_P(BothKinds, LoneCrAtTheEndStaysAndInnerZeroEndsTheLine) {
  OpenOver(std::string("a\0b\n\r", 5), GetParam());
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line.Length(), 1u);
  EXPECT_EQ(line, "a");
  ReadLine(0, line);
  EXPECT_EQ(line, "\r");
}

// Line ends fall on every offset of the 64-byte blocks; each line must come
// back whole and the reads in between must continue where the line ended.
TEST_P(BothKinds, RandomLinesMatchAPlainSplit) {
  std::mt19937 rng(7);
  std::string file;
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) {
    const int length = static_cast<int>(rng() % 200);
    std::string text;
    for (int k = 0; k < length; ++k) text += static_cast<char>('a' + rng() % 26);
    expected.push_back(text);
    file += text + (rng() % 2 ? "\r\n" : "\n");
  }
  OpenOver(file, GetParam());
  RtString line;
  for (size_t i = 0; i < expected.size(); ++i) {
    ReadLine(0, line);
    ASSERT_EQ(std::string(line.c_str(), line.Length()), expected[i]) << "line " << i;
  }
  EXPECT_EQ(EndOfFile(0), 1);
  EXPECT_EQ(FilePosition(0), static_cast<int>(file.size()));
}

TEST_P(BothKinds, LastLineOfExactlyOneBlockIsReadNotAnError) {
  OpenOver("first\n" + std::string(64, 'y'), GetParam());
  RtString line;
  ReadLine(0, line);
  ReadLine(0, line);
  EXPECT_EQ(std::string(line.c_str()), std::string(64, 'y'));
  EXPECT_EQ(EndOfFile(0), 1);
}

TEST_P(BothKinds, TypedReadsAreLittleEndianAndSigned) {
  const unsigned char bytes[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0xFE, 0xFF, 0xFF, 0xFF,
                                 0xCD, 0xCC, 0xCC, 0x3D, 0x9A, 0x99, 0x99, 0x99, 0x99,
                                 0x99, 0xB9, 0x3F, 'a',  'b',  0,    'c',  'd'};
  OpenOver(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes), GetParam());
  int i = 0;
  double d = 0;
  ReadWord(0, i);
  EXPECT_EQ(i, -1);
  FileSeek(0, 0, 0);
  ReadUWord(0, i);
  EXPECT_EQ(i, 65535);
  ReadUWord(0, d);
  EXPECT_EQ(d, 65535);
  ReadByte(0, i);
  EXPECT_EQ(i, -128);
  FileSeek(0, -1, 1);
  ReadUByte(0, d);
  EXPECT_EQ(d, 128);
  ReadULong(0, d);
  EXPECT_EQ(d, 4294967294.0);
  FileSeek(0, -4, 1);
  ReadULong(0, i);
  EXPECT_EQ(i, -2);
  ReadFloat(0, d);
  EXPECT_EQ(d, 0.10000000149011612);
  ReadDouble(0, d);
  EXPECT_EQ(d, 0.1);
  RtString text;
  ReadText(0, text, 5);
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(text.Length(), 2u);
  EXPECT_EQ(FilePosition(0), static_cast<int>(sizeof bytes));
  ReadText(0, text, 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(FilePosition(0), static_cast<int>(sizeof bytes));
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, BothKinds, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Memory" : "Disk"; });

TEST_F(Channels, WritesProduceExactBytes) {
  ASSERT_EQ(OpenFile(1, Path("out.bin").c_str(), 0), 1);
  WriteFloat(1, 0.1);
  WriteText(1, "abc");
  WriteLine(1, "abc");
  WriteWord(1, -1);
  WriteByte(1, 300);
  WriteLong(1, 4294967295.0);
  WriteULong(1, -1e20);  // far outside the int range: still only its low bits
  WriteDouble(1, 0.1);
  WriteLineNumber(1, 0.5);
  WriteLineInt(1, -7);
  WriteText(1, RtString("x") + Chr(0) + "y");
  EXPECT_EQ(FilePosition(1), 0);
  CloseFile(1);
  const std::string expected = std::string("\xCD\xCC\xCC\x3D", 4) + "abc" + "abc\r\n" + "\xFF\xFF" +
                               "\x2C" + "\xFF\xFF\xFF\xFF" + std::string("\x00\x00\xF0\x9C", 4) +
                               "\x9A\x99\x99\x99\x99\x99\xB9\x3F" + "0.5\r\n" + "-7\r\n" +
                               std::string("x\0y", 3);
  EXPECT_EQ(Slurp(Path("out.bin")), expected);
}

TEST_F(Channels, HiscoreStyleRecordsRoundTrip) {
  ASSERT_EQ(OpenFile(0, Path("Hiscores.dat").c_str(), 0), 1);
  for (int row = 0; row < 3; ++row) {
    WriteLong(0, 1000 * row - 1);
    WriteLine(0, RtString("name ") + row + " ");
    WriteWord(0, row * 17);
  }
  CloseFile(0);
  ASSERT_EQ(OpenFile(0, Path("Hiscores.dat").c_str(), 1), 1);
  for (int row = 0; row < 3; ++row) {
    double score = 0, level = 0;
    RtString name;
    ReadLong(0, score);
    ReadLine(0, name);
    ReadWord(0, level);
    EXPECT_EQ(score, 1000 * row - 1);
    EXPECT_EQ(name, RtString("name ") + row + " ");
    EXPECT_EQ(level, row * 17);
  }
  EXPECT_EQ(EndOfFile(0), 1);
}

TEST_F(Channels, OpenModesTruncateAppendAndRefuseMemoryNames) {
  Spill(Path("t.txt"), "old contents");
  ASSERT_EQ(OpenFile(0, Path("t.txt").c_str(), 0), 1);
  WriteText(0, "new");
  CloseFile(0);
  EXPECT_EQ(Slurp(Path("t.txt")), "new");

  ASSERT_EQ(OpenFile(0, Path("a.txt").c_str(), -1), 1);  // created when missing
  WriteText(0, "abc");
  ASSERT_EQ(OpenFile(0, Path("a.txt").c_str(), -1), 1);  // reopening closes the first use
  WriteText(0, "de");
  CloseFile(0);
  EXPECT_EQ(Slurp(Path("a.txt")), "abcde");

  static const char bytes[] = "xyz";
  const std::string mem = MemoryName(bytes, 3);
  EXPECT_EQ(OpenFile(3, mem.c_str(), 0), 0);
  EXPECT_EQ(OpenFile(3, mem.c_str(), -5), 0);
  EXPECT_EQ(OpenFile(3, Path("missing.txt").c_str(), 1), 0);
  EXPECT_EQ(OpenFile(3, dir_.c_str(), 1), 0);  // a directory is not a file
  EXPECT_EQ(EndOfFile(3), 1);
  EXPECT_EXIT(WriteText(3, "x"), ::testing::ExitedWithCode(3), "");
}

TEST_F(Channels, BackslashesReachTheSystemAsSlashes) {
  mkdir(Path("sub").c_str(), 0755);
  std::string name = dir_ + "\\sub\\f.txt";
  ASSERT_EQ(OpenFile(0, name.c_str(), 0), 1);
  WriteLine(0, "hi");
  CloseFile(0);
  EXPECT_EQ(Slurp(Path("sub/f.txt")), "hi\r\n");
  ASSERT_EQ(OpenFile(0, name.c_str(), 1), 1);
}

TEST_F(Channels, SeeksMoveTheWriteAndReadPointers) {
  ASSERT_EQ(OpenFile(0, Path("s.bin").c_str(), 0), 1);
  WriteText(0, "abcd");
  FileSeek(0, 1, 0);
  WriteText(0, "X");
  FileSeek(0, -1, -1);
  WriteText(0, "Y");
  CloseFile(0);
  EXPECT_EQ(Slurp(Path("s.bin")), "aXcY");

  ASSERT_EQ(OpenFile(0, Path("s.bin").c_str(), 1), 1);
  RtString line;
  FileSeek(0, 2, 0);
  int c = 0;
  ReadUByte(0, c);
  EXPECT_EQ(c, 'c');
  FileSeek(0, -3, 1);
  ReadUByte(0, c);
  EXPECT_EQ(c, 'a');
  FileSeek(0, 0, -1);
  EXPECT_EQ(FilePosition(0), 4);
  EXPECT_EQ(EndOfFile(0), 1);
  EXPECT_EXIT(ReadUByte(0, c), ::testing::ExitedWithCode(3), "");
}

TEST_F(Channels, MemoryChannelsDeliverZerosAtTheEndButNeverReadOutside) {
  OpenOver("abc", true);
  FileSeek(0, 0, -1);
  EXPECT_EQ(FilePosition(0), 3);
  EXPECT_EQ(EndOfFile(0), 1);
  int v = -1;
  ReadLong(0, v);
  EXPECT_EQ(v, 0);
  FileSeek(0, 1, 0);
  ReadLong(0, v);  // "bc" then zeros
  EXPECT_EQ(v, 'b' | 'c' << 8);
  EXPECT_EQ(FilePosition(0), 3);
  RtString text;
  ReadText(0, text, 0x7FFFFFFF);  // a huge count costs nothing past the data
  EXPECT_EQ(text, "");
  // Positions outside the data fail the read rather than reach past it.
  FileSeek(0, -2, 0);
  EXPECT_EXIT(ReadLong(0, v), ::testing::ExitedWithCode(3), "");
  FileSeek(0, 5, 0);
  EXPECT_EXIT(ReadByte(0, v), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(ReadLine(0, text), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(WriteByte(0, 1), ::testing::ExitedWithCode(3), "");
}

TEST_F(Channels, ChannelNumbersOutsideZeroToSevenEndTheProgramWithError7) {
  EXPECT_EXIT(OpenFile(8, Path("x").c_str(), 1), ::testing::ExitedWithCode(7), "");
  EXPECT_EXIT(OpenFile(-1, Path("x").c_str(), 0), ::testing::ExitedWithCode(7), "");
  EXPECT_EXIT(EndOfFile(8), ::testing::ExitedWithCode(7), "");
  int v = 0;
  EXPECT_EXIT(ReadByte(100, v), ::testing::ExitedWithCode(7), "");
  EXPECT_EXIT(WriteLine(8, "x"), ::testing::ExitedWithCode(7), "");
  EXPECT_EXIT(FileSeek(8, 0, 0), ::testing::ExitedWithCode(7), "");
}

TEST_F(Channels, DiskReadsAndWritesFailWithError3) {
  Spill(Path("r.bin"), "ab");
  ASSERT_EQ(OpenFile(0, Path("r.bin").c_str(), 1), 1);
  int v = 0;
  EXPECT_EXIT(ReadLong(0, v), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(WriteByte(0, 1), ::testing::ExitedWithCode(3), "");  // opened for reading
  ASSERT_EQ(OpenFile(1, Path("w.bin").c_str(), -1), 1);
  EXPECT_EXIT(ReadByte(1, v), ::testing::ExitedWithCode(3), "");  // opened for appending
  CloseFile(0);
  EXPECT_EXIT(ReadByte(0, v), ::testing::ExitedWithCode(3), "");
  RtString text;
  EXPECT_EXIT(ReadText(0, text, 1), ::testing::ExitedWithCode(3), "");
}

TEST_F(Channels, ASecondWriterOfTheSameFileIsRefused) {
  ASSERT_EQ(OpenFile(0, Path("shared.txt").c_str(), 0), 1);
  WriteText(0, "first");
  EXPECT_EQ(OpenFile(1, Path("shared.txt").c_str(), 0), 0);
  EXPECT_EQ(OpenFile(1, Path("shared.txt").c_str(), -1), 0);
  CloseFile(0);
  EXPECT_EQ(Slurp(Path("shared.txt")), "first");
  EXPECT_EQ(OpenFile(1, Path("shared.txt").c_str(), -1), 1);
}

TEST_F(Channels, ClosingAllFilesClosesEveryChannel) {
  ASSERT_EQ(OpenFile(7, Path("end.txt").c_str(), 0), 1);
  WriteText(7, "kept");
  CloseAllFiles();
  EXPECT_EQ(EndOfFile(7), 1);
  EXPECT_EXIT(WriteText(7, "x"), ::testing::ExitedWithCode(3), "");
}

// What a channel's reads, writes and seeks do to a file, worked out on a
// string: the file pointer that reads and writes act at, and the position
// that only reads and seeks move (writes leave it where it was).
struct ChannelModel {
  std::string file;
  int64_t pointer = 0;
  int64_t position = 0;

  std::string ReadLine() {
    const int64_t limit = std::min<int64_t>(static_cast<int64_t>(file.size()) - pointer, 1024);
    const size_t lf = file.find('\n', static_cast<size_t>(pointer));
    const bool ended = lf != std::string::npos && static_cast<int64_t>(lf) < pointer + limit;
    const int64_t length = ended ? static_cast<int64_t>(lf) - pointer : limit;
    std::string line = file.substr(static_cast<size_t>(pointer), static_cast<size_t>(length));
    const int64_t consumed = length + (ended ? 1 : 0);
    pointer += consumed;
    position += consumed;
    if (!line.empty() && line.back() == '\r' && (line.size() >= 2 || ended)) line.pop_back();
    return line;
  }
  std::string Read(int64_t count) {
    std::string bytes = file.substr(static_cast<size_t>(pointer), static_cast<size_t>(count));
    pointer += count;
    position += count;
    return bytes;
  }
  void Write(const std::string& bytes) {
    if (file.size() < static_cast<size_t>(pointer) + bytes.size()) {
      file.resize(static_cast<size_t>(pointer) + bytes.size());
    }
    file.replace(static_cast<size_t>(pointer), bytes.size(), bytes);
    pointer += static_cast<int64_t>(bytes.size());
  }
  int64_t Left() const { return static_cast<int64_t>(file.size()) - pointer; }
};

// Text with lines from empty to past the line limit, CR LF and LF ends and
// lone CRs, but no zero bytes (which would cut a line short).
std::string RandomLines(std::mt19937& rng, size_t size) {
  std::string text;
  while (text.size() < size) {
    const int length =
        rng() % 8 == 0 ? static_cast<int>(rng() % 2100) : static_cast<int>(rng() % 60);
    for (int k = 0; k < length; ++k)
      text += rng() % 40 == 0 ? '\r' : static_cast<char>('a' + rng() % 26);
    text += rng() % 2 ? "\r\n" : "\n";
  }
  return text;
}

int32_t LittleEndian(const std::string& bytes) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[static_cast<size_t>(i)]);
  return static_cast<int32_t>(v);
}

// Lines, typed reads, long texts and seeks in random order over a file
// larger than a channel's read buffer; a byte delivered twice or skipped
// where the buffer ends or a seek lands shows up as a mismatch.
TEST_P(BothKinds, MixedReadsAndSeeksFollowTheFile) {
  std::mt19937 rng(31);
  ChannelModel model;
  model.file = RandomLines(rng, 300000);
  OpenOver(model.file, GetParam());
  RtString text;
  for (int step = 0; step < 6000; ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step << " at " << model.pointer);
    const int op = static_cast<int>(rng() % 10);
    if (op < 5 && model.Left() > 0) {
      ReadLine(0, text);
      ASSERT_EQ(std::string(text.c_str(), text.Length()), model.ReadLine());
    } else if (op == 5 && model.Left() >= 4) {
      int value = 0;
      ReadLong(0, value);
      ASSERT_EQ(value, LittleEndian(model.Read(4)));
    } else if (op == 6 && model.Left() >= 1) {
      int value = 0;
      ReadUByte(0, value);
      ASSERT_EQ(value, static_cast<uint8_t>(model.Read(1)[0]));
    } else if (op == 7) {
      // Sometimes longer than the buffer, which such reads bypass.
      const int64_t count = std::min<int64_t>(model.Left(), rng() % 3 == 0 ? 70000 : rng() % 3000);
      if (count == 0) continue;
      ReadText(0, text, static_cast<int>(count));
      ASSERT_EQ(std::string(text.c_str(), text.Length()), model.Read(count));
    } else if (op == 8) {
      const int64_t target = rng() % (model.file.size() + 1);
      if (rng() % 2) {
        FileSeek(0, static_cast<int>(target), 0);
      } else {
        FileSeek(0, static_cast<int>(target - model.pointer), 1);
      }
      model.pointer = model.position = target;
    } else if (op == 9) {
      const int64_t back = rng() % 100;
      FileSeek(0, static_cast<int>(-back), -1);
      model.pointer = model.position = static_cast<int64_t>(model.file.size()) - back;
    }
    ASSERT_EQ(FilePosition(0), model.position);
    ASSERT_EQ(EndOfFile(0), model.Left() <= 0 ? 1 : 0);
  }
}

// A channel opened for writing can read back what it wrote. Writes land at
// the file pointer, which a read just before has moved only by what it
// delivered, and reads after a write see the written bytes; the position
// moves with reads and seeks only.
TEST_F(Channels, WritesBetweenReadsLandAtTheFilePointer) {
  std::mt19937 rng(53);
  ChannelModel model;
  ASSERT_EQ(OpenFile(2, Path("rw.txt").c_str(), 0), 1);
  const std::string start = RandomLines(rng, 150000);
  WriteText(2, RtString(start.c_str()));
  model.Write(start);
  RtString text;
  for (int step = 0; step < 5000; ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step << " at " << model.pointer);
    const int op = static_cast<int>(rng() % 8);
    if (op < 3 && model.Left() > 0) {
      ReadLine(2, text);
      ASSERT_EQ(std::string(text.c_str(), text.Length()), model.ReadLine());
    } else if (op == 3 && model.Left() >= 4) {
      int value = 0;
      ReadLong(2, value);
      ASSERT_EQ(value, LittleEndian(model.Read(4)));
    } else if (op == 4) {
      const std::string line = RandomLines(rng, 1).substr(0, 1 + rng() % 40);
      WriteText(2, RtString(line.c_str()));
      model.Write(line);
    } else if (op == 5) {
      WriteLong(2, 0x41424344);
      model.Write("DCBA");
    } else if (op == 6) {
      const int64_t target = rng() % (model.file.size() + 1);
      if (rng() % 2) {
        FileSeek(2, static_cast<int>(target), 0);
        model.position = target;
      } else {
        FileSeek(2, static_cast<int>(target - model.pointer), 1);
        model.position += target - model.pointer;
      }
      model.pointer = target;
    } else if (op == 7) {
      // From the end of what is written; the position counts from the size
      // the channel was opened with, which for a new file is 0.
      const int64_t back = rng() % 50;
      FileSeek(2, static_cast<int>(-back), -1);
      model.pointer = static_cast<int64_t>(model.file.size()) - back;
      model.position = -back;
    }
    ASSERT_EQ(FilePosition(2), model.position);
  }
  CloseFile(2);
  EXPECT_EQ(Slurp(Path("rw.txt")), model.file);
}

}  // namespace
