// Unpacked archive entries live in a folder of the process's own: two
// programs resolving the same entries at once never see each other's
// files, and the folder goes with its process however that ends.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive_fixture.h"
#include "child_process.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/private_temp.h"
#include "runtime/platform/process.h"

namespace archivetest {
namespace {

using testchild::Child;
using testchild::Spawn;
using testchild::Wait;

struct Started {
  Child child;
  std::string out;
};

Started Start(const std::vector<std::string>& args, const std::string& out) {
  return {Spawn(args, out), out};
}

// The private folder the child printed first.
std::string FolderOf(const Started& run) {
  std::string text = Slurp(run.out);
  const size_t line = text.find('\n');
  return line == std::string::npos ? text : text.substr(0, line);
}

class PrivateTempTest : public ArchiveTest {
 protected:
  // An archive of three entries, one large enough that writing it takes a
  // while, and the originals beside it.
  std::vector<std::string> ResolverArgs(const std::string& rounds, const std::string& end) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"menu.ogg", SampleBytes(400000, 1)},
        {"level.ogg", SampleBytes(30000, 2)},
        {"click.wav", SampleBytes(700, 3)}};
    Spill(Path("sound.sbx"), Archive(entries));
    std::vector<std::string> args = {ARCHIVE_RESOLVER_EXE, Path("sound.sbx"), rounds, end};
    for (const auto& [name, bytes] : entries) {
      Spill(Path("original-" + name), bytes);
      args.push_back("music/" + name);
      args.push_back(Path("original-" + name));
    }
    return args;
  }
};

TEST_F(PrivateTempTest, TwoProgramsResolvingTheSameEntriesKeepTheirOwnCopies) {
  const std::vector<std::string> args = ResolverArgs("200", "exit");
  const Started first = Start(args, Path("first.out"));
  const Started second = Start(args, Path("second.out"));
  ASSERT_GT(first.child.pid, 0);
  ASSERT_GT(second.child.pid, 0);
  EXPECT_EQ(Wait(first.child), 0) << "the first program lost or saw a changed file";
  EXPECT_EQ(Wait(second.child), 0) << "the second program lost or saw a changed file";

  const std::string a = FolderOf(first);
  const std::string b = FolderOf(second);
  EXPECT_NE(a, b);
  for (const std::string& folder : {a, b}) {
    EXPECT_EQ(folder.rfind(dir_ + "/brakmor-", 0), 0u) << folder;
    EXPECT_FALSE(Exists(folder)) << "left behind at exit: " << folder;
  }
}

TEST_F(PrivateTempTest, FolderIsOwnerOnlyAndFollowsTheTemporaryDirectory) {
  const std::string folder = files::PrivateTempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.rfind(plat::TempDirectory() + "brakmor-" + std::to_string(getpid()) + "-", 0),
            0u)
      << folder;
  struct stat st;
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(files::PrivateTempFolder(), folder);

  // Removed by someone else: the next use makes a new one instead of
  // failing every later unpack.
  ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
  const std::string again = files::PrivateTempFolder();
  ASSERT_FALSE(again.empty());
  EXPECT_TRUE(Exists(again));

  files::RemovePrivateTempFolder();
  EXPECT_FALSE(Exists(again));
}

TEST_F(PrivateTempTest, FolderGoesOnFatalErrorsAndAbandonedOnesAtTheNextStart) {
  const Started fatal = Start(ResolverArgs("3", "fatal"), Path("fatal.out"));
  EXPECT_EQ(Wait(fatal.child), kErrFileIo);
  const std::string fatalFolder = FolderOf(fatal);
  ASSERT_FALSE(fatalFolder.empty());
  EXPECT_FALSE(Exists(fatalFolder));

  // A process that ends without its exit handlers leaves its folder...
  const Started crashed = Start(ResolverArgs("3", "vanish"), Path("crashed.out"));
  EXPECT_EQ(Wait(crashed.child), 0);
  const std::string abandoned = FolderOf(crashed);
  ASSERT_FALSE(abandoned.empty());
  EXPECT_TRUE(Exists(abandoned));

  // ...which the next program clears away, but never the folder of a
  // process that still runs, nor anything that is not such a folder.
  const std::string running = Path("brakmor-" + std::to_string(getppid()) + "-keep00");
  const std::string other = Path("brakmor-notes");
  ASSERT_EQ(mkdir(running.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(other.c_str(), 0700), 0);
  EXPECT_EQ(files::RemoveAbandonedTempFolders(dir_), 1);
  EXPECT_FALSE(Exists(abandoned));
  EXPECT_TRUE(Exists(running));
  EXPECT_TRUE(Exists(other));

  // A folder whose number now belongs to another process but whose lock
  // is free is kept too: only a gone process's folder is certain to be
  // abandoned.
  const std::string reused = Path("brakmor-1-reused");
  ASSERT_EQ(mkdir(reused.c_str(), 0700), 0);
  EXPECT_EQ(files::RemoveAbandonedTempFolders(dir_), 0);
  EXPECT_TRUE(Exists(reused));
}

TEST_F(PrivateTempTest, BothArchivesOfOneProgramMayHoldTheSameEntry) {
  Spill(Path("data.sbx"), Archive({{"theme.ogg", "theme bytes"}}));
  ArchiveSource data, music;
  data.path = music.path = Path("data.sbx");
  std::string fromData, fromMusic;
  ASSERT_TRUE(ResolveAssetName(&data, "theme.ogg", fromData, false));
  ASSERT_TRUE(ResolveAssetName(&music, "theme.ogg", fromMusic, false));
  EXPECT_NE(fromData, fromMusic);
  EXPECT_EQ(fromMusic.substr(fromMusic.size() - 9), "theme.ogg");
  data.ReleaseEntry();
  EXPECT_EQ(Slurp(fromMusic), "theme bytes");
  music.ReleaseEntry();
  EXPECT_FALSE(Exists(fromMusic));
}

}  // namespace
}  // namespace archivetest
