// What the program's end (End with the handler the process entry installs)
// does to what the lower layers still hold: open channels, changed INI and
// line files, unpacked temporary files, a running multiplayer link and the
// program queued to run next.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "archive_fixture.h"
#include "files_fixture.h"
#include "loopback_peers.h"
#include "runtime/files/files_service.h"
#include "runtime/net/net_service.h"
#include "runtime/runtime.h"
#include "test_env.h"

namespace {

const std::string kHostChild = HOST_TEST_CHILD;

std::string HostTempPath(const std::string& name) {
  return testenv::PrivateTempDir() + "/" + name;
}

TEST(ProgramEndChannels, ProgramEndClosesEveryChannel) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The program's end closes what is still open (seen from the first step
  // after the files are closed).
  static const char bytes[] = "data";
  const std::string mem = MemoryName(bytes, 4);
  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        OpenFile(5, mem.c_str(), 1);
        std::fprintf(stderr, "before=%d\n", EndOfFile(5));
        SetShutdownObserver([](const char* step) {
          if (std::strcmp(step, "directory") == 0) std::fprintf(stderr, "after=%d\n", EndOfFile(5));
        });
        End();
      },
      ::testing::ExitedWithCode(0), "before=0\nafter=1\n");
}

using ProgramEndArchives = archivetest::ArchiveTest;

TEST_F(ProgramEndArchives, ProgramEndDeletesTemporaryFiles) {
  archivetest::Spill(Path("sound.sbx"), archivetest::Archive({{"0.mp3", "music"}}));
  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        FilesStart(Path("sound.sbx"));
        std::string destination;
        if (ResolveAssetName(MusicArchive(), "0.mp3", destination, false)) {
          std::fprintf(stderr, "unpacked=%d\n", archivetest::Exists(destination) ? 1 : 0);
        }
        End();
      },
      ::testing::ExitedWithCode(0), "unpacked=1");
  for (char a = 'A'; a <= 'Z'; ++a) {
    for (char b = 'A'; b <= 'Z'; ++b) {
      EXPECT_FALSE(archivetest::Exists(Path(std::string("sbx") + a + b + "0.mp3")));
    }
  }
}

using ProgramEndFiles = filetest::FilesTest;

// A death test's child runs the test body again up to its statement, so
// each statement sets up its own files.
TEST_F(ProgramEndFiles, ProgramEndThroughEndWritesTheChangedIniFileBack) {
  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        filetest::WriteBytes("end.ini", "; comment\r\n[S]\r\nk=1\r\n");
        IniOpen("end.ini");
        IniPut("S", "k", "2");
        End();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(filetest::ReadBytes("end.ini"), "[S]\r\nk=2\r\n");
}

TEST_F(ProgramEndFiles, ProgramEndThroughEndWritesPendingLinesBack) {
  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        WriteFileLine("end.txt", 0, "via End");
        End();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(filetest::ReadBytes("end.txt"), "via End\r\n");
}

TEST(ProgramEndNet, ProgramEndStopsARunningLink) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        ASSERT_NE(nettest::HostSomewhere(NetLinkInstance()), 0);
        const int me = NetCreatePlayer(RtString("me"));
        NetSendMessage(me, 0, RtString("last words"));
        End();
      },
      ::testing::ExitedWithCode(0), "");
}

// The next program reads what this one wrote: the INI file and the line
// file reach the disk before it starts.
TEST(ProgramEndHost, EndAndRunWritesFilesBackBeforeTheNextProgramStarts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string ini = HostTempPath("settings.ini");
  const std::string lines = HostTempPath("lines.txt");
  const std::string iniSeen = HostTempPath("settings.seen");
  const std::string linesSeen = HostTempPath("lines.seen");
  for (const std::string& f : {iniSeen, linesSeen}) unlink(f.c_str());
  { std::ofstream(ini) << "[game]\r\nlevel=1\r\n"; }
  { std::ofstream(lines) << "old\r\n"; }

  EXPECT_EXIT(
      {
        SetProgramExitHandler(ShutdownAndExit);
        IniOpen(ini.c_str());
        IniPut("game", "level", "9");
        WriteFileLine(lines.c_str(), 0, "new");
        // Runs before the runtime's own exit clean-up: files left for that
        // would reach the disk only after the next program has read them.
        std::atexit([] { usleep(300 * 1000); });
        EndAndRun((kHostChild + " --copy " + ini + " " + iniSeen + " " + lines + " " + linesSeen)
                      .c_str());
      },
      testing::ExitedWithCode(0), "");

  std::string seenIni, seenLines;
  for (int tries = 0; tries < 200 && (seenIni.empty() || seenLines.empty()); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    seenIni = testenv::ReadFile(iniSeen);
    seenLines = testenv::ReadFile(linesSeen);
  }
  EXPECT_NE(seenIni.find("level=9"), std::string::npos) << seenIni;
  EXPECT_EQ(seenLines.rfind("new", 0), 0u) << seenLines;
}

}  // namespace
