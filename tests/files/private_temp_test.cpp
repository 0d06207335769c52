// Unpacked archive entries live in a folder of the process's own: two
// programs resolving the same entries at once never see each other's
// files, and the folder goes with its process however that ends.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive_fixture.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/private_temp.h"
#include "runtime/platform/process.h"

extern char** environ;

namespace archivetest {
namespace {

struct Child {
  pid_t pid = -1;
  std::string out;  // file receiving its standard output
};

Child Spawn(const std::vector<std::string>& args, const std::string& out) {
  Child child;
  child.out = out;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    child.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// The exit status, or -1 when the child did not exit normally.
int Wait(const Child& child) {
  int status = 0;
  if (child.pid < 0 || waitpid(child.pid, &status, 0) != child.pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The private folder the child printed first.
std::string FolderOf(const Child& child) {
  std::string text = Slurp(child.out);
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
  const Child first = Spawn(args, Path("first.out"));
  const Child second = Spawn(args, Path("second.out"));
  ASSERT_GT(first.pid, 0);
  ASSERT_GT(second.pid, 0);
  EXPECT_EQ(Wait(first), 0) << "the first program lost or saw a changed file";
  EXPECT_EQ(Wait(second), 0) << "the second program lost or saw a changed file";

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
  const Child fatal = Spawn(ResolverArgs("3", "fatal"), Path("fatal.out"));
  EXPECT_EQ(Wait(fatal), kErrFileIo);
  const std::string fatalFolder = FolderOf(fatal);
  ASSERT_FALSE(fatalFolder.empty());
  EXPECT_FALSE(Exists(fatalFolder));

  // A process that ends without its exit handlers leaves its folder...
  const Child crashed = Spawn(ResolverArgs("3", "vanish"), Path("crashed.out"));
  EXPECT_EQ(Wait(crashed), 0);
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
