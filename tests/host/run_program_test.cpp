// Starting programs: argument splitting without a shell, exit codes, the
// no-wait path leaving no zombie, and EndAndRun handing over fresh files.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime/host/process_spawn.h"
#include "runtime/host/run_program.h"
#include "test_env.h"

namespace {

const std::string kChild = HOST_TEST_CHILD;

std::string TempPath(const std::string& name) {
  return testenv::PrivateTempDir() + "/" + name;
}

std::vector<std::string> ReadArgs(const std::string& file) {
  const std::string all = testenv::ReadFile(file);
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\0') {
      args.push_back(all.substr(start, i - start));
      start = i + 1;
    }
  }
  return args;
}

// The arguments the child received for the given tail of its command line.
std::vector<std::string> ArgsFor(const std::string& tail) {
  const std::string out = TempPath("args.bin");
  unlink(out.c_str());
  double exitCode = -1;
  const RtString line = ("\"" + kChild + "\" --args-to " + out + " " + tail).c_str();
  EXPECT_EQ(RunProgram(line, 1, 1, exitCode), 1);
  EXPECT_EQ(exitCode, 0);
  return ReadArgs(out);
}

using Args = std::vector<std::string>;

TEST(RunProgram, SplitsArgumentsByWindowsQuotingRules) {
  EXPECT_EQ(ArgsFor("a  b\tc"), (Args{"a", "b", "c"}));
  EXPECT_EQ(ArgsFor(R"("a b" c"d e"f)"), (Args{"a b", "cd ef"}));
  EXPECT_EQ(ArgsFor(R"("" x "")"), (Args{"", "x", ""}));
  // Backslashes are plain unless a quote follows them.
  EXPECT_EQ(ArgsFor(R"(a\b a\\b C:\dir\)"), (Args{R"(a\b)", R"(a\\b)", R"(C:\dir\)"}));
  // 2n backslashes and a quote: n backslashes, the quote groups.
  EXPECT_EQ(ArgsFor(R"(a\\"b c" "C:\Program Files\\")"),
            (Args{R"(a\b c)", R"(C:\Program Files\)"}));
  // 2n+1 backslashes and a quote: n backslashes and a literal quote.
  EXPECT_EQ(ArgsFor(R"(a\"b a\\\"b "x\"y")"), (Args{R"(a"b)", R"(a\"b)", R"(x"y)"}));
  // A doubled quote inside quotes is a literal one.
  EXPECT_EQ(ArgsFor(R"("a""b" "say ""hi""")"), (Args{R"(a"b)", R"(say "hi")"}));
}

TEST(RunProgram, ShellSyntaxArrivesAsPlainArguments) {
  const std::string victim = TempPath("victim");
  { std::ofstream(victim) << "keep"; }
  EXPECT_EQ(ArgsFor("a; rm -rf " + victim + " && echo $(id) `id` > x | y"),
            (Args{"a;", "rm", "-rf", victim, "&&", "echo", "$(id)", "`id`", ">", "x", "|", "y"}));
  EXPECT_EQ(testenv::ReadFile(victim), "keep");
}

TEST(RunProgram, ProgramPathMayHoldBlanksAndBackslashes) {
  const std::string dir = TempPath("with blank");
  mkdir(dir.c_str(), 0700);
  const std::string copy = dir + "/child";
  unlink(copy.c_str());
  ASSERT_EQ(symlink(kChild.c_str(), copy.c_str()), 0);
  std::string windowsStyle = copy;
  for (char& c : windowsStyle)
    if (c == '/') c = '\\';
  double exitCode = -1;
  EXPECT_EQ(RunProgram(("\"" + windowsStyle + "\" --exit 3").c_str(), 1, 1, exitCode), 1);
  EXPECT_EQ(exitCode, 3);
}

TEST(RunProgram, WaitingGivesTheExitCode) {
  double exitCode = -1;
  EXPECT_EQ(RunProgram((kChild + " --exit 7").c_str(), 1, 0, exitCode), 1);
  EXPECT_EQ(exitCode, 7);
  EXPECT_EQ(RunProgram((kChild + " --exit 0").c_str(), 1, 0, exitCode), 1);
  EXPECT_EQ(exitCode, 0);
  // Only the low byte of an exit status survives; no value keeps the wait
  // going.
  EXPECT_EQ(RunProgram((kChild + " --exit 259").c_str(), 1, 0, exitCode), 1);
  EXPECT_EQ(exitCode, 3);
  // A signal death reads as the shell reports it.
  EXPECT_EQ(RunProgram((kChild + " --killed").c_str(), 1, 0, exitCode), 1);
  EXPECT_EQ(exitCode, 128 + 9);
}

TEST(RunProgram, AProgramThatCannotStartReturnsZero) {
  double exitCode = 5;
  EXPECT_EQ(RunProgram("no-such-program-anywhere-4711 --x", 1, 1, exitCode), 0);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(RunProgram("/etc/hostname", 1, 1, exitCode), 0);  // not executable
  EXPECT_EQ(RunProgram("", 1, 1, exitCode), 0);
  EXPECT_EQ(RunProgram("   ", 0, 1, exitCode), 0);
}

// Children of this process that have ended but were never collected.
int ZombieChildren() {
  int zombies = 0;
  DIR* proc = opendir("/proc");
  if (!proc) return -1;
  while (dirent* entry = readdir(proc)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    const std::string stat = testenv::ReadFile(std::string("/proc/") + entry->d_name + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) != 2) continue;
    if (parent == getpid() && state == 'Z') ++zombies;
  }
  closedir(proc);
  return zombies;
}

TEST(RunProgram, WithoutWaitingReturnsAtOnceAndLeavesNoZombie) {
  double exitCode = -1;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunProgram((kChild + " --sleep 1500").c_str(), 0, 1, exitCode), 1);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(exitCode, 0);
  EXPECT_LT(took, std::chrono::milliseconds(1000));

  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(RunProgram((kChild + " --exit 3").c_str(), 0, 1, exitCode), 1);
  // The children end almost at once; each must be collected soon after.
  int zombies = -1;
  for (int tries = 0; tries < 100; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    zombies = ZombieChildren();
    if (zombies == 0) break;
  }
  EXPECT_EQ(zombies, 0);
}

int ThreadCount() {
  int count = 0;
  if (DIR* task = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(task)) count += entry->d_name[0] != '.';
    closedir(task);
  }
  return count;
}

TEST(RunProgram, ManyChildrenRunningAtOnceShareOneCollector) {
  // Started once first: the collector's own thread may start with it.
  double exitCode = -1;
  ASSERT_EQ(RunProgram((kChild + " --exit 0").c_str(), 0, 1, exitCode), 1);
  const int before = ThreadCount();
  std::vector<pid_t> children;
  for (int i = 0; i < 120; ++i) {
    const pid_t pid = StartProcess({kChild, "--sleep", "20000"});
    ASSERT_GT(pid, 0);
    CollectWhenEnded(pid);
    children.push_back(pid);
  }
  EXPECT_LE(ThreadCount(), before + 1);
  // They end in an order of their own; every one is collected.
  for (size_t i = 0; i < children.size(); i += 2) kill(children[i], SIGTERM);
  for (size_t i = 1; i < children.size(); i += 2) kill(children[i], SIGKILL);
  bool gone = false;
  for (int tries = 0; tries < 200 && !gone; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    gone = ZombieChildren() == 0;
    for (pid_t pid : children) gone = gone && kill(pid, 0) != 0 && errno == ESRCH;
  }
  EXPECT_TRUE(gone);
  EXPECT_LE(ThreadCount(), before + 1);
}

}  // namespace
