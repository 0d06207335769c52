#include "runtime/frame/standard_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"
#include "image_builders.h"
#include "runtime/core/byte_order.h"
#include "runtime/core/command_values.h"
#include "runtime/frame/video_recording.h"
#include "runtime/platform/input_devices.h"
#include "video_probe.h"
#include "wave_builder.h"

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

  // A video is of a deterministic run, paced unless told otherwise.
  std::string video = "--record run.webm --record-scale 3 --keep";
  StandardOptions filmed;
  ASSERT_TRUE(TakeStandardOptions(video, filmed, &error)) << error;
  EXPECT_EQ(video, "--keep");
  EXPECT_EQ(filmed.record, Absolute("run.webm"));
  EXPECT_EQ(filmed.recordScale, 3);
  EXPECT_TRUE(filmed.Deterministic());
  EXPECT_FALSE(filmed.unpaced);
  video = "--record run.mp4";
  StandardOptions plainScale;
  ASSERT_TRUE(TakeStandardOptions(video, plainScale, &error)) << error;
  EXPECT_EQ(plainScale.recordScale, 2);
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
                       "--unpaced --frames 0",
                       "--record",
                       "--record-scale 2",
                       "--record v.mp4 --record-scale",
                       "--record v.mp4 --record-scale 0",
                       "--record v.mp4 --record-scale 9",
                       "--record v.mp4 --record-scale 2x",
                       "--record v.mp4 --record-input r.txt"};
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
    EXPECT_TRUE(o.record.empty()) << text;
    EXPECT_EQ(o.recordScale, 2) << text;
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

// The picture of each frame and the sound asked for in it land at that
// frame's place in the video: an effect played in frame 6 is heard from
// 6/60 s, music started in frame 12 from 12/60 s, at its volume.
TEST_F(StandardOptionsRun, AVideoHoldsEveryFrameWithTheSoundWhereItWasAsked) {
  const std::string file = Temp("frames.mkv");
  StandardOptions o;
  o.unpaced = true;
  o.record = file;
  o.recordScale = 1;
  std::string error;
  ASSERT_TRUE(StartStandardOptions(o, &error)) << error;
  ASSERT_TRUE(VideoRecordingActive());
  testwave::WaveBuilder effect;  // 22,050 Hz mono: a square wave, 0.5 s
  testwave::WaveBuilder piece = effect;
  for (int i = 0; i < 11025; ++i) AppendLe16(effect.samples, (i / 25) % 2 ? 12000 : -12000);
  for (int i = 0; i < 22050; ++i) AppendLe16(piece.samples, (i / 50) % 2 ? 8000 : -8000);
  testimg::WriteBytes(Temp("effect.wav"), effect.Bytes());
  testimg::WriteBytes(Temp("piece.wav"), piece.Bytes());
  LoadSound(RtString(Temp("effect.wav").c_str()), 2, 1);
  for (int frame = 0; frame < 60; ++frame) {
    FillRect(0, 0, 320, 240, frame * 4);  // blue rising, as red | green << 8 | blue << 16
    if (frame == 6) PlaySound(2, -1, 1);  // hard left
    if (frame == 12) {
      PlayMusic(RtString(Temp("piece.wav").c_str()), 0);
      SetMusicVolume(0.5);
    }
    EndFrame();
  }
  ASSERT_TRUE(FinishVideoRecording(&error)) << error;
  EXPECT_FALSE(VideoRecordingActive());

  const testvideo::Probe p = testvideo::ReadVideo(file, {0, 59});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.frames, 60);
  EXPECT_EQ(p.width, 320);
  EXPECT_EQ(p.height, 240);
  ASSERT_EQ(p.pictures.size(), 2u);
  const uint8_t* last = &p.pictures[1][(120 * 320 + 160) * 3];
  EXPECT_NEAR(last[0], 236, 3);  // 59 * 4 in the red byte
  EXPECT_NEAR(p.pictures[0][0], 0, 3);
  auto rms = [&p](int channel, double from, double to) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = static_cast<size_t>(from * p.soundRate);
         i < static_cast<size_t>(to * p.soundRate) && 2 * i + 1 < p.sound.size(); ++i, ++n) {
      sum += static_cast<double>(p.sound[2 * i + channel]) * p.sound[2 * i + channel];
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
  };
  EXPECT_LT(rms(0, 0.0, 0.09), 300);    // nothing before frame 6
  EXPECT_GT(rms(0, 0.11, 0.19), 9000);  // the effect, on the left only
  EXPECT_LT(rms(1, 0.11, 0.19), 300);
  EXPECT_GT(rms(1, 0.21, 0.6), 2500);  // the music on both sides from frame 12
  EXPECT_LT(rms(1, 0.21, 0.6), 5500);  // at half its 8000
}

TEST_F(StandardOptionsRun, AVideoThatCannotBeWrittenStopsTheStartAndLeavesNothing) {
  StandardOptions o;
  o.unpaced = true;
  o.record = Temp("no/such/folder/run.mp4");
  std::string error;
  EXPECT_FALSE(StartStandardOptions(o, &error));
  EXPECT_NE(error.find("--record: cannot write " + o.record), std::string::npos) << error;
  EXPECT_FALSE(DeterministicRunActive());
  EXPECT_FALSE(VideoRecordingActive());
  o.record = Temp("run.avi");
  EXPECT_FALSE(StartStandardOptions(o, &error));
  EXPECT_NE(error.find(".mp4, .mkv or .webm"), std::string::npos) << error;
  for (const auto& e : std::filesystem::directory_iterator(testenv::PrivateTempDir())) {
    EXPECT_EQ(e.path().filename().string().find("run."), std::string::npos) << e.path();
  }
  EXPECT_EXIT(UseStandardOptions(("--record " + Temp("none/x.mp4")).c_str(), "demo"),
              ::testing::ExitedWithCode(kErrFileIo), "demo: --record: cannot write");
}

TEST_F(StandardOptionsRun, UseStandardOptionsEndsTheProgramOnABadOption) {
  EXPECT_EXIT(UseStandardOptions("--frames none", "demo"),
              ::testing::ExitedWithCode(kErrInvalidArgument),
              "demo: --frames needs a positive count");
  EXPECT_EXIT(UseStandardOptions(("--replay " + Temp("absent.replay")).c_str(), "demo"),
              ::testing::ExitedWithCode(kErrFileIo), "demo: ");
}

}  // namespace
