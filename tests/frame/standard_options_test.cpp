#include "runtime/frame/standard_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"
#include "runtime/core/command_values.h"
#include "runtime/platform/input_devices.h"

namespace {

// Relative names are the user's: taken from the folder the program was
// started in, whatever folder is current when the options are read.
std::string Absolute(const std::string& name) {
  return StartDirectory() + "/" + name;
}

TEST(StandardOptions, TakesItsOwnWordsAndLeavesTheProgramsInOrder) {
  std::string line =
      "--level 3 --replay keys.txt --unpaced --frames 90 --shot 0 first.png --verbose "
      "--shot 20 b.bmp";
  StandardOptions o;
  std::string error;
  ASSERT_TRUE(TakeStandardOptions(line, o, &error)) << error;
  EXPECT_EQ(line, "--level 3 --verbose");
  // Relative names are the start folder's: EngineStart changes folder later.
  EXPECT_EQ(o.replay, Absolute("keys.txt"));
  EXPECT_TRUE(o.unpaced);
  EXPECT_EQ(o.frames, 90);
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[0], std::make_pair(0L, Absolute("first.png")));
  EXPECT_EQ(o.shots[1], std::make_pair(20L, Absolute("b.bmp")));
  EXPECT_TRUE(o.Deterministic());

  std::string plain = "host 27910";
  StandardOptions none;
  ASSERT_TRUE(TakeStandardOptions(plain, none, &error));
  EXPECT_EQ(plain, "host 27910");
  EXPECT_FALSE(none.Deterministic());

  std::string record = "--record-input /tmp/played.txt";
  StandardOptions recording;
  ASSERT_TRUE(TakeStandardOptions(record, recording, &error)) << error;
  EXPECT_EQ(recording.recordInput, "/tmp/played.txt");
  EXPECT_FALSE(recording.Deterministic());
  EXPECT_EQ(record, "");
}

TEST(StandardOptions, ABadOptionChangesNeitherTheLineNorTheOptions) {
  const char* bad[] = {"--replay",
                       "--record-input",
                       "--frames",
                       "--frames 0",
                       "--frames -5",
                       "--frames 12x",
                       "--frames 99999999999999999999",
                       "--shot 10",
                       "--shot x a.png",
                       "--shot -1 a.png",
                       "--record-input r.txt --unpaced",
                       "--replay k.txt --record-input r.txt",
                       "--unpaced --frames 0"};
  for (const char* text : bad) {
    std::string line = std::string("--mine ") + text;
    StandardOptions o;
    o.frames = 7;
    std::string error;
    EXPECT_FALSE(TakeStandardOptions(line, o, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(line, std::string("--mine ") + text);
    EXPECT_EQ(o.frames, 7) << text;
    EXPECT_FALSE(o.unpaced) << text;
    EXPECT_TRUE(o.replay.empty() && o.recordInput.empty() && o.shots.empty()) << text;
  }
}

class StandardOptionsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // A forked child would inherit a GL context without its threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testenv::SharedEngine();
  }
  void TearDown() override {
    EndDeterministicRun();
    plat::InstallInputDevices(nullptr);
  }

  static std::string Temp(const std::string& name) {
    return testenv::PrivateTempDir() + "/" + name;
  }

  // The first pixel of the bottom row of a 24- or 32-bit BMP, as 0xRRGGBB.
  static int FirstBmpPixel(const std::string& path) {
    const std::string bytes = testenv::ReadFile(path);
    if (bytes.size() < 54) return -1;
    const auto u8 = [&bytes](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const size_t at = u8(10) | u8(11) << 8 | u8(12) << 16;
    if (at + 3 > bytes.size()) return -1;
    return u8(at + 2) << 16 | u8(at + 1) << 8 | u8(at);
  }
};

TEST_F(StandardOptionsRun, ShotsHoldTheFrameTheyNameCountedFromTheStart) {
  StandardOptions o;
  o.unpaced = true;
  o.shots = {{0, Temp("shot0.bmp")}, {2, Temp("shot2.bmp")}};
  std::string error;
  ASSERT_TRUE(StartStandardOptions(o, &error)) << error;
  EXPECT_TRUE(DeterministicRunActive());
  const int colours[] = {0x0000FF, 0x00FF00, 0xFF0000};
  for (int colour : colours) {
    FillRect(0, 0, 320, 240, colour);
    EndFrame();
  }
  // Colours are packed red | green << 8 | blue << 16.
  EXPECT_EQ(FirstBmpPixel(Temp("shot0.bmp")), 0xFF0000);
  EXPECT_EQ(FirstBmpPixel(Temp("shot2.bmp")), 0x0000FF);
  EXPECT_FALSE(std::filesystem::exists(Temp("shot1.bmp")));
}

TEST_F(StandardOptionsRun, AShotThatCannotBeWrittenIsReported) {
  StandardOptions o;
  o.shots = {{0, Temp("no/such/folder/shot.png")}};
  o.unpaced = true;
  std::string error;
  ASSERT_TRUE(StartStandardOptions(o, &error)) << error;
  ::testing::internal::CaptureStderr();
  EndFrame();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cannot write the screenshot " + Temp("no/such/folder/shot.png")),
            std::string::npos)
      << said;
}

TEST_F(StandardOptionsRun, TheFrameLimitEndsTheProgramAfterThatManyFrames) {
  EXPECT_EXIT(
      {
        StandardOptions o;
        o.unpaced = true;
        o.frames = 3;
        std::string error;
        if (!StartStandardOptions(o, &error)) std::_Exit(99);
        for (int frame = 0;; ++frame) {
          std::fprintf(stderr, "<%d>", frame);
          EndFrame();
        }
      },
      ::testing::ExitedWithCode(0), "<0><1><2>[^<]*$");
}

TEST_F(StandardOptionsRun, WhatCannotStartLeavesNoRunBehind) {
  StandardOptions missing;
  missing.replay = Temp("no-such.replay");
  std::string error;
  EXPECT_FALSE(StartStandardOptions(missing, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(DeterministicRunActive());

  StandardOptions unwritable;
  unwritable.recordInput = Temp("no/such/folder/played.txt");
  error.clear();
  EXPECT_FALSE(StartStandardOptions(unwritable, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(&plat::ActiveInputDevices(), &plat::SdlInputDevices());
}

TEST_F(StandardOptionsRun, ARecordingIsAReplayThatPlaysBack) {
  const std::string played = Temp("played.txt");
  StandardOptions o;
  o.recordInput = played;
  std::string error;
  ASSERT_TRUE(StartStandardOptions(o, &error)) << error;
  // The engine is up, so the recording starts at once.
  EXPECT_NE(&plat::ActiveInputDevices(), &plat::SdlInputDevices());
  for (int i = 0; i < 3; ++i) EndFrame();
  plat::InstallInputDevices(nullptr);
  const std::string text = testenv::ReadFile(played);
  EXPECT_EQ(text.rfind("input-replay 1\n", 0), 0u) << text;

  StandardOptions replay;
  replay.replay = played;
  replay.unpaced = true;
  EXPECT_TRUE(StartStandardOptions(replay, &error)) << error;
}

TEST_F(StandardOptionsRun, OnlyAReplayAtItsRealPaceIsWatched) {
  const std::string replay = Temp("watched.txt");
  std::ofstream(replay) << "input-replay 1\n";
  std::string error;
  for (bool unpaced : {false, true}) {
    StandardOptions o;
    o.replay = replay;
    o.unpaced = unpaced;
    ASSERT_TRUE(StartStandardOptions(o, &error)) << error;
    EXPECT_EQ(DeterministicRunWatched(), !unpaced);
    EndDeterministicRun();
  }
  // A frame limit alone is a script measuring the program, not a demo.
  StandardOptions limited;
  limited.frames = 100;
  ASSERT_TRUE(StartStandardOptions(limited, &error)) << error;
  EXPECT_TRUE(DeterministicRunActive());
  EXPECT_FALSE(DeterministicRunWatched());
  std::remove(replay.c_str());
}

TEST_F(StandardOptionsRun, UseStandardOptionsEndsTheProgramOnABadOption) {
  EXPECT_EXIT(UseStandardOptions("--frames none", "demo"),
              ::testing::ExitedWithCode(kErrInvalidArgument),
              "demo: --frames needs a positive count");
  EXPECT_EXIT(UseStandardOptions(("--replay " + Temp("absent.replay")).c_str(), "demo"),
              ::testing::ExitedWithCode(kErrFileIo), "demo: ");
}

}  // namespace
