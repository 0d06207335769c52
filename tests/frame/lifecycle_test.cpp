// Start-up and every way out of the process. Each case runs the engine in a
// child process so the exit status, the shutdown order and a fresh error log
// can be checked from outside.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "engine_fixture.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/platform/input_devices.h"
#include "runtime/render/gl_extensions.h"
#include "runtime/render/screen_buffer.h"

namespace {

using testenv::LogLines;

// Holds keys down for the engine of this (child) process.
void HoldKeys(std::initializer_list<int> codes) {
  static plat::ScriptedInputDevices keyboard;
  plat::InstallInputDevices(&keyboard);
  for (int code : codes) keyboard.SetKey(code, true);
}

const std::vector<std::string> kStartupLines = {"Init GFX",    "OpenGL Software Emulation",
                                                "FBO",         "Viewport",
                                                "GFX seem OK", "Init Network",
                                                "Init Input",  "Init Sound",
                                                "Init Window", "Init Finalized"};

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testenv::PrivateTempDir();
  }
};

void PrintShutdownSteps() {
  SetShutdownObserver([](const char* step) { std::fprintf(stderr, "step:%s\n", step); });
}

TEST_F(Lifecycle, StartupLogsEachStepOnceAndReplacesAnOlderLog) {
  {
    std::ofstream old(plat::TempDirectory() + "ErrorLog.txt", std::ios::binary);
    old << "line of an earlier run\r\n";
  }
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        const auto& boxes = testenv::Boxes();
        // The warning box waits for the program's first frame.
        std::fprintf(stderr, "boxes at start=%zu\n", boxes.size());
        EndFrame();
        std::fprintf(stderr, "boxes=%zu\n", boxes.size());
        if (boxes.size() == 1) {
          std::fprintf(stderr, "caption=%s\n", boxes[0].caption.c_str());
          std::fprintf(stderr, "german=%d\n",
                       boxes[0].text.find("Grafkkartentreiber, damit er OpenGL\nper HARDWARE") !=
                           std::string::npos);
        }
        std::string exe = plat::ExecutablePath();
        exe.erase(exe.find_last_of('/'));
        std::fprintf(stderr, "cwd_is_exe_dir=%d\n", plat::CurrentDirectory() == exe);
        std::fprintf(stderr, "title=%s\n", plat::GetWindowTitle(g_engine.window).c_str());
        // Start-up shows its own frames before the program draws any.
        std::fprintf(stderr, "shown=%d\n", g_engine.firstFrameShownAt > g_engine.modalWaitMs);
        End();
      },
      ::testing::ExitedWithCode(0),
      "boxes at start=0\nboxes=1\ncaption=!!OpenGL Software "
      "Emulation!!\ngerman=1\ncwd_is_exe_dir=1\n"
      "title=Tester\nshown=1\n");
  EXPECT_EQ(LogLines(), kStartupLines);
}

TEST_F(Lifecycle, EndInAReleaseBuildExitsCleanlyAndAddsNothingToTheLog) {
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        PrintShutdownSteps();
        EndFrame();
        End();
      },
      ::testing::ExitedWithCode(0),
      "step:files\nstep:directory\nstep:music\nstep:renderer\nstep:input\nstep:sound slots\n"
      "step:sound device\nstep:network\nstep:archives\nstep:window\n");
  EXPECT_EQ(LogLines(), kStartupLines);
}

TEST_F(Lifecycle, FatalErrorInADebugBuildReportsTheLineAndExitsWithItsCode) {
  EXPECT_EXIT(
      {
        testenv::StartEngine(0, /*debugMode=*/1);
        PrintShutdownSteps();
        SetDebugLine(2, 41);
        FatalRuntimeError(kErrIndexRange);
      },
      ::testing::ExitedWithCode(9), "step:files\n(.|\n)*step:window\n");
  std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 5u);
  std::vector<std::string> tail(lines.end() - 5, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"-End On Line", "9", "40", "41", "2"}));
}

TEST_F(Lifecycle, FatalErrorInAReleaseBuildKeepsTheLogQuietButNotTheStatus) {
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        FatalRuntimeError(kErrInvalidArgument);
      },
      ::testing::ExitedWithCode(7), "");
  EXPECT_EQ(LogLines(), kStartupLines);
}

TEST_F(Lifecycle, EscapeEndsTheProgramOnlyWhileEscapeQuits) {
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        HoldKeys({1});
        EndFrame();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        SetEscapeQuits(0);
        HoldKeys({1});
        EndFrame();
        EndFrame();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(42), "");
}

TEST_F(Lifecycle, AltF4AndTheCloseBoxEndTheProgram) {
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        SetEscapeQuits(0);
        HoldKeys({56, 62});
        EndFrame();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        testenv::StartEngine();
        PrintShutdownSteps();
        plat::WindowEvent close;
        close.kind = plat::WindowEvent::kCloseRequested;
        plat::PostEvent(close);
        EndFrame();
        std::_Exit(42);
      },
      ::testing::ExitedWithCode(0), "step:renderer\n(.|\n)*step:window\n");
}

TEST_F(Lifecycle, HiddenStartKeepsRunning) {
  EXPECT_EXIT(
      {
        testenv::PrivateTempDir();
        ProjectSettings settings;
        settings.fullScreen = 0;
        SetProjectSettings(settings);
        plat::SetMessageBoxRecorder([](plat::BoxIcon, const std::string&, const std::string&) {});
        EngineStart(nullptr, nullptr, "", 0, "Hidden");
        std::fprintf(stderr, "visible=%d\n", plat::IsWindowVisible(g_engine.window));
        EndFrame();
        End();
      },
      ::testing::ExitedWithCode(0), "visible=0\n");
  EXPECT_EQ(LogLines().back(), "Init Finalized");
}

TEST(DebugOutput, StaysSilentWithoutADebugger) {
  // The test runner is not traced, so nothing may reach the debugger stream.
  ::testing::internal::CaptureStderr();
  DebugPrint(RtString("hello"));
  EXPECT_EQ(DebugBreakpoint(12), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(ErrorLog, NullTextWritesNullAndLinesEndInCrLf) {
  testenv::PrivateTempDir();
  std::remove(ErrorLogPath().c_str());
  AppendErrorLog(nullptr);
  AppendErrorLog("second");
  EXPECT_EQ(testenv::ReadFile(ErrorLogPath()), "NULL\r\nsecond\r\n");
}

}  // namespace

namespace {

TEST(ConsoleInput, StdInDropsOneLineFeedAndKeepsAnUnfinishedLastLine) {
  char path[] = "/tmp/rt_stdin_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const char text[] = "first line\n\nlast without end";
  ASSERT_EQ(write(fd, text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
  close(fd);
  ASSERT_NE(std::freopen(path, "r", stdin), nullptr);
  EXPECT_STREQ(StdIn().c_str(), "first line");
  EXPECT_STREQ(StdIn().c_str(), "");
  EXPECT_STREQ(StdIn().c_str(), "last without end");
  EXPECT_EQ(StdIn().Length(), 0u);  // end of input
  std::remove(path);
}

TEST_F(Lifecycle, MultisampledScreenStillReadsBackAndPresents) {
  EXPECT_EXIT(
      {
        testenv::PrivateTempDir();
        plat::SetMessageBoxRecorder([](plat::BoxIcon, const std::string&, const std::string&) {});
        ProjectSettings settings;
        settings.fullScreen = 0;
        settings.multisample = 1;
        SetProjectSettings(settings);
        EngineStart(nullptr, nullptr, "", 1, "Samples");
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        unsigned char px[4] = {};
        ext::glBindFramebuffer(GL_READ_FRAMEBUFFER, ScreenReadFramebuffer());
        glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        std::fprintf(stderr, "samples=%d green=%d\n", LogicalScreen().samples > 1, px[1]);
        EndFrame();
        End();
      },
      ::testing::ExitedWithCode(0), "samples=1 green=255\n");
}

}  // namespace
