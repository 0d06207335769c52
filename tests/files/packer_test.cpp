// The packer tool end to end: what it writes the runtime reads back, and
// what it must refuse it refuses without touching its output.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "archive_fixture.h"

namespace {

using archivetest::Archive;
using archivetest::ArchiveTest;
using archivetest::Exists;
using archivetest::MemoryContent;
using archivetest::SampleBytes;
using archivetest::Slurp;
using archivetest::Spill;

struct Result {
  int status = -1;
  std::string output;  // standard output and standard error together
};

Result RunCommand(const std::string& command) {
  Result result;
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

class Packer : public ArchiveTest {
 protected:
  Result Pack(const std::string& args) { return RunCommand(Quote(SBXPACK_EXE) + " " + args); }
};

TEST_F(Packer, CreatedArchivesRoundTripEmptySmallAndLargeEntries) {
  const std::string empty;
  const std::string small = "small file\r\n";
  const std::string large = SampleBytes(10 * 1024 * 1024, 21);
  ASSERT_EQ(mkdir(Path("in").c_str(), 0755), 0);
  Spill(Path("in/empty.dat"), empty);
  Spill(Path("in/Small.txt"), small);
  Spill(Path("in/large.bin"), large);
  const Result made = Pack("create " + Quote(Path("data.sbx")) + " " + Quote(Path("in/empty.dat")) +
                           " " + Quote(Path("in/Small.txt")) + " " + Quote(Path("in/large.bin")));
  ASSERT_EQ(made.status, 0) << made.output;
  // Nothing beside the archive: the file it was written into became it.
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "data.sbx" || name == "in" || name.rfind("brakmor-", 0) == 0)
        << "left behind: " << name;
  }
  const std::string archiveBytes = Slurp(Path("data.sbx"));
  EXPECT_LT(archiveBytes.size(), large.size() / 2);  // compressed, not stored

  ArchiveSource archive;
  archive.path = Path("data.sbx");
  std::string destination;
  for (const auto& [name, bytes] :
       {std::pair{"empty.dat", empty}, {"small.txt", small}, {"large.bin", large}}) {
    ASSERT_TRUE(ResolveAssetName(&archive, name, destination, true)) << name;
    EXPECT_TRUE(MemoryContent(destination) == bytes) << name;
    ASSERT_TRUE(ResolveAssetName(&archive, name, destination, false)) << name;
    EXPECT_TRUE(Slurp(destination) == bytes) << name;
  }

  const Result listed = Pack("list " + Quote(Path("data.sbx")));
  ASSERT_EQ(listed.status, 0) << listed.output;
  std::istringstream lines(listed.output);
  std::string name;
  long packed = 0, unpacked = 0;
  std::vector<std::string> names;
  long packedTotal = 0;
  while (lines >> name >> packed >> unpacked) {
    names.push_back(name);
    packedTotal += packed;
    if (name == "large.bin") {
      EXPECT_EQ(unpacked, static_cast<long>(large.size()));
    }
    if (name == "empty.dat") {
      EXPECT_EQ(unpacked, 0);
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"empty.dat", "Small.txt", "large.bin"}));
  EXPECT_LT(packedTotal, static_cast<long>(archiveBytes.size()));

  const Result extracted = Pack("extract " + Quote(Path("data.sbx")) + " " + Quote(Path("out")));
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  EXPECT_EQ(Slurp(Path("out/empty.dat")), empty);
  EXPECT_EQ(Slurp(Path("out/Small.txt")), small);
  EXPECT_TRUE(Slurp(Path("out/large.bin")) == large);
}

// The archive rides on a copy of a real program: the program still runs
// (it lists its own archive) and the runtime finds the entries in it.
TEST_F(Packer, AppendedArchiveRidesOnACopyOfABinary) {
  const std::string program = Slurp(SBXPACK_EXE);
  Spill(Path("host"), program);
  ASSERT_EQ(chmod(Path("host").c_str(), 0755), 0);
  Spill(Path("shot.wav"), SampleBytes(4000, 8));
  Spill(Path("readme.txt"), "hello");
  const Result appended = Pack("append " + Quote(Path("host")) + " " + Quote(Path("shot.wav")) +
                               " " + Quote(Path("readme.txt")));
  ASSERT_EQ(appended.status, 0) << appended.output;
  const std::string carried = Slurp(Path("host"));
  EXPECT_EQ(carried.compare(0, program.size(), program), 0);

  const Result selfList = RunCommand(Quote(Path("host")) + " list " + Quote(Path("host")));
  EXPECT_EQ(selfList.status, 0) << selfList.output;
  EXPECT_NE(selfList.output.find("shot.wav\t"), std::string::npos) << selfList.output;

  ArchiveSource archive;
  archive.path = Path("host");
  std::string destination;
  ASSERT_TRUE(ResolveAssetName(&archive, "sound/SHOT.WAV", destination, true));
  EXPECT_EQ(MemoryContent(destination), SampleBytes(4000, 8));
  ASSERT_TRUE(ResolveAssetName(&archive, "readme.txt", destination, false));
  EXPECT_EQ(Slurp(destination), "hello");
}

TEST_F(Packer, RefusesInputsTheRuntimeCouldNotFindAgain) {
  ASSERT_EQ(mkdir(Path("a").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("b").c_str(), 0755), 0);
  Spill(Path("a/shot.wav"), "one");
  Spill(Path("b/SHOT.wav"), "two");
  Spill(Path("keep.sbx"), "previous contents");
  // A named pipe nobody writes once held the packer at its open for ever.
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  const std::string longName = Path(std::string(256, 'n'));
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {Quote(Path("a/shot.wav")) + " " + Quote(Path("b/SHOT.wav")), "share the base name"},
      {Quote(Path("a/shot.wav")) + " " + Quote(longName), "1 to 255 bytes"},
      {Quote(Path("missing.txt")), "cannot read"},
      {Quote(Path("a")), "not a file"},
      {Quote(Path("pipe")), "not a file"},
  };
  for (const auto& c : cases) {
    // Forced, so the refusal comes from the inputs, not from keep.sbx.
    const Result r = Pack("create --force " + Quote(Path("keep.sbx")) + " " + c.args);
    EXPECT_NE(r.status, 0) << c.args;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    EXPECT_EQ(Slurp(Path("keep.sbx")), "previous contents");
    const Result a = Pack("append " + Quote(Path("keep.sbx")) + " " + c.args);
    EXPECT_NE(a.status, 0) << c.args;
    EXPECT_EQ(Slurp(Path("keep.sbx")), "previous contents");
  }
  for (const char* command : {"list ", "extract "}) {
    const Result r = Pack(command + Quote(Path("keep.sbx")) + " " + Quote(Path("out")));
    EXPECT_NE(r.status, 0);
  }
  const Result r = Pack("list " + Quote(Path("keep.sbx")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("not an archive"), std::string::npos) << r.output;
  EXPECT_NE(Pack("").status, 0);
  EXPECT_NE(Pack("create " + Quote(Path("x.sbx"))).status, 0);
}

TEST_F(Packer, ExtractKeepsHostileNamesInsideTheTargetFolder) {
  Spill(Path("evil.sbx"), Archive({{"../escaped.txt", "no"}, {"..", "no"}, {"fine.txt", "yes"}}));
  const Result r = Pack("extract " + Quote(Path("evil.sbx")) + " " + Quote(Path("out")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("unsafe name"), std::string::npos) << r.output;
  EXPECT_FALSE(Exists(Path("escaped.txt")));
  EXPECT_EQ(Slurp(Path("out/fine.txt")), "yes");
}

TEST_F(Packer, NamesWithControlCharactersAreListedEscapedAndNeverExtracted) {
  Spill(Path("odd.sbx"), Archive({{"two\nlines.txt", "a"},
                                  {"\x1b[2Jred", "b"},
                                  {"bell\x07\x9b", "c"},
                                  {"caf\xc3\xa9 \\x41.txt", "d"},
                                  {"plain.txt", "e"}}));
  const Result listed = Pack("list " + Quote(Path("odd.sbx")));
  EXPECT_EQ(listed.status, 0);
  // Each name starts its own line, escaped; nothing raw reaches the
  // terminal.
  const std::string lines = "\n" + listed.output;
  for (const char* name : {"two\\x0Alines.txt", "\\x1B[2Jred", "bell\\x07\\x9B",
                           "caf\xc3\xa9 \\x5Cx41.txt", "plain.txt"}) {
    EXPECT_NE(lines.find("\n" + std::string(name) + "\t"), std::string::npos) << name;
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 6);
  EXPECT_EQ(listed.output.find('\x1b'), std::string::npos);
  EXPECT_EQ(listed.output.find('\x07'), std::string::npos);

  const Result r = Pack("extract " + Quote(Path("odd.sbx")) + " " + Quote(Path("out")));
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.output.find('\x1b'), std::string::npos);
  EXPECT_EQ(r.output.find("two\nlines"), std::string::npos);
  EXPECT_NE(r.output.find("unsafe name \"two\\x0Alines.txt\""), std::string::npos) << r.output;
  EXPECT_FALSE(Exists(Path("out/two\nlines.txt")));
  EXPECT_FALSE(Exists(Path("out/\x1b[2Jred")));
  EXPECT_FALSE(Exists(Path("out/bell\x07\x9b")));
  EXPECT_EQ(Slurp(Path("out/plain.txt")), "e");
}

TEST_F(Packer, CreateReplacesOnlyArchivesUnlessForced) {
  Spill(Path("a.txt"), "text a");
  Spill(Path("b.txt"), "text b");
  // The classic slip: the first input taken for the archive name.
  Result r = Pack("create " + Quote(Path("a.txt")) + " " + Quote(Path("b.txt")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("not an archive"), std::string::npos) << r.output;
  EXPECT_EQ(Slurp(Path("a.txt")), "text a");

  // A stand-alone archive is rebuilt in place without asking.
  ASSERT_EQ(Pack("create " + Quote(Path("data.sbx")) + " " + Quote(Path("a.txt"))).status, 0);
  r = Pack("create " + Quote(Path("data.sbx")) + " " + Quote(Path("b.txt")));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(Pack("list " + Quote(Path("data.sbx"))).output.find("b.txt"), std::string::npos);

  // An archive riding on another file takes that file with it: refused too.
  Spill(Path("game.bin"), "host program bytes");
  ASSERT_EQ(Pack("append " + Quote(Path("game.bin")) + " " + Quote(Path("a.txt"))).status, 0);
  const std::string withArchive = Slurp(Path("game.bin"));
  EXPECT_NE(Pack("create " + Quote(Path("game.bin")) + " " + Quote(Path("b.txt"))).status, 0);
  EXPECT_EQ(Slurp(Path("game.bin")), withArchive);

  r = Pack("create --force " + Quote(Path("a.txt")) + " " + Quote(Path("b.txt")));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(Pack("list " + Quote(Path("a.txt"))).output.find("b.txt"), std::string::npos);
}

TEST_F(Packer, ExtractNeverWritesThroughLinksInTheTargetFolder) {
  ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
  Spill(Path("victim.txt"), "outside");
  Spill(Path("linked.txt"), "outside too");
  ASSERT_EQ(symlink(Path("victim.txt").c_str(), Path("out/fine.txt").c_str()), 0);
  ASSERT_EQ(link(Path("linked.txt").c_str(), Path("out/hard.txt").c_str()), 0);
  Spill(Path("evil.sbx"),
        Archive({{"fine.txt", "payload"}, {"hard.txt", "payload"}, {"other.txt", "ok"}}));
  const Result r = Pack("extract " + Quote(Path("evil.sbx")) + " " + Quote(Path("out")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("symbolic link"), std::string::npos) << r.output;
  EXPECT_EQ(Slurp(Path("victim.txt")), "outside");
  EXPECT_EQ(Slurp(Path("linked.txt")), "outside too");
  EXPECT_EQ(Slurp(Path("out/other.txt")), "ok");
}

TEST_F(Packer, OversizedInputIsRefusedWithoutReadingIt) {
  // Sparse: costs no disk, but reading it would fill memory with 2.2 GB.
  const std::string huge = Path("huge.bin");
  const int fd = open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 2200LL * 1000 * 1000), 0);
  close(fd);
  const Result r = Pack("create " + Quote(Path("big.sbx")) + " " + Quote(huge));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("is larger than"), std::string::npos) << r.output;
  EXPECT_FALSE(Exists(Path("big.sbx")));
  rusage children{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
  EXPECT_LT(children.ru_maxrss, 512 * 1024) << "kilobytes at peak in a packer run";
}

}  // namespace
