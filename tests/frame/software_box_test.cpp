// The software-renderer warning: always a line in the error log, a box only
// for a person at a display. A box is shown once per process, so every start
// runs in a child process (a death test) and reports what it saw.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine_fixture.h"

namespace {

using testenv::LogLines;

class SoftwareBox : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testenv::PrivateTempDir();
  }
};

bool LogHasWarning() {
  const std::vector<std::string> lines = LogLines();
  return std::count(lines.begin(), lines.end(), "OpenGL Software Emulation") == 1;
}

void RunTwoFramesAndReportBoxes() {
  EndFrame();
  EndFrame();
  std::fprintf(stderr, "boxes=%zu\n", testenv::Boxes().size());
  std::_Exit(0);
}

TEST(SoftwareBoxRule, OnlyAPersonAtADisplayWhomNothingForbidsItGetsTheBox) {
  EXPECT_TRUE(SoftwareRendererBoxWanted(true, nullptr, false, true));
  // The environment turns it off with any value but empty or "0".
  EXPECT_TRUE(SoftwareRendererBoxWanted(true, "", false, true));
  EXPECT_TRUE(SoftwareRendererBoxWanted(true, "0", false, true));
  EXPECT_FALSE(SoftwareRendererBoxWanted(true, "1", false, true));
  EXPECT_FALSE(SoftwareRendererBoxWanted(true, "yes", false, true));
  EXPECT_FALSE(SoftwareRendererBoxWanted(false, nullptr, false, true));
  EXPECT_FALSE(SoftwareRendererBoxWanted(true, nullptr, true, true));
  EXPECT_FALSE(SoftwareRendererBoxWanted(true, nullptr, false, false));
}

TEST_F(SoftwareBox, ARunScriptedBeforeOrAfterStartUpNeverShowsTheBox) {
  EXPECT_EXIT(
      {
        std::string error;
        if (!StartDeterministicRun({}, &error)) std::_Exit(3);
        testenv::StartEngine();
        RunTwoFramesAndReportBoxes();
      },
      ::testing::ExitedWithCode(0), "^boxes=0\n$");
  EXPECT_TRUE(LogHasWarning());
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        std::string error;
        if (!StartDeterministicRun({}, &error)) std::_Exit(3);
        RunTwoFramesAndReportBoxes();
      },
      ::testing::ExitedWithCode(0), "^boxes=0\n$");
  EXPECT_TRUE(LogHasWarning());
}

TEST_F(SoftwareBox, TheProgramOrTheEnvironmentTurnsTheBoxOff) {
  EXPECT_EXIT(
      {
        SetSoftwareRendererBox(0);
        testenv::StartEngine();
        RunTwoFramesAndReportBoxes();
      },
      ::testing::ExitedWithCode(0), "^boxes=0\n$");
  EXPECT_TRUE(LogHasWarning());
  EXPECT_EXIT(
      {
        setenv(kNoSoftwareBoxVariable, "1", 1);
        testenv::StartEngine();
        RunTwoFramesAndReportBoxes();
      },
      ::testing::ExitedWithCode(0), "^boxes=0\n$");
  EXPECT_TRUE(LogHasWarning());
  // Turned back on, a person gets it once, however many frames follow.
  EXPECT_EXIT(
      {
        SetSoftwareRendererBox(0);
        SetSoftwareRendererBox(1);
        testenv::StartEngine();
        RunTwoFramesAndReportBoxes();
      },
      ::testing::ExitedWithCode(0), "^boxes=1\n$");
}

// A program started on SDL's offscreen driver, as scripts and CI jobs run
// it: no box (nobody could answer it, and with no display at all its text
// would land on standard error) and nothing on standard output, which
// belongs to the program.
TEST_F(SoftwareBox, AHeadlessStartShowsNoBoxAndPrintsNothing) {
  const std::string out = testenv::PrivateTempDir() + "/stdout.txt";
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        // What the test framework printed so far is not the program's.
        std::fflush(stdout);
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, 1) < 0) std::_Exit(3);
        testenv::InstallProgramEnd();
        ProjectSettings settings;
        settings.fullScreen = 0;
        SetProjectSettings(settings);
        EngineStart(nullptr, nullptr, "", 1, "Headless");
        EndFrame();
        EndFrame();
        std::fflush(stdout);
        std::fprintf(stderr, "ran\n");
        End();
      },
      ::testing::ExitedWithCode(0), "^ran\n$");
  EXPECT_EQ(testenv::ReadFile(out), "");
  EXPECT_TRUE(LogHasWarning());
  std::remove(out.c_str());
}

}  // namespace
