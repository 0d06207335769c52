#include "runtime/frame/deterministic_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "engine_fixture.h"
#include "runtime/audio/audio_state.h"
#include "runtime/frame/deterministic_run_internal.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/sound_mixer_recorder.h"

namespace {

class DeterministicRunTest : public ::testing::Test {
 protected:
  void SetUp() override { testenv::SharedEngine(); }
  void TearDown() override { EndDeterministicRun(); }

  void Start(DeterministicRunOptions options = {}) {
    std::string error;
    ASSERT_TRUE(StartDeterministicRun(options, &error)) << error;
  }

  // A mono 8-bit wave of the given length at the mixer's rate.
  static std::string WriteWave(const std::string& name, int samples) {
    const std::string path = testenv::PrivateTempDir() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + static_cast<uint32_t>(samples));
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(22050);
    u16(1);
    u16(8);
    out.write("data", 4);
    u32(static_cast<uint32_t>(samples));
    out.write(std::string(static_cast<size_t>(samples), '\x80').data(), samples);
    return path;
  }
};

TEST_F(DeterministicRunTest, FramesAdvanceTheClockExactlyWithoutWaiting) {
  DeterministicRunOptions options;
  options.frameMs = 60000;  // a real wait would outlast the test's timeout
  Start(options);
  const double clock0 = DeterministicClockMs();
  const double elapsed0 = ElapsedTime();
  EXPECT_EQ(FrameTime(), 60000);
  const double realStart = plat::NowMs();
  for (int i = 0; i < 3; ++i) EndFrame();
  EXPECT_LT(plat::NowMs() - realStart, 20000);
  EXPECT_EQ(DeterministicClockMs(), clock0 + 3 * 60000.0);
  EXPECT_EQ(ElapsedTime(), elapsed0 + 3 * 60000.0);
  EXPECT_EQ(TimerNow(), DeterministicClockMs());
  EXPECT_EQ(FrameTime(), 60000);
  EXPECT_EQ(DeterministicFrame(), 3);

  // Many frames of 1000/60 ms sum to exactly the product, not a drifting sum.
  Start();
  for (int i = 0; i < 600; ++i) EndFrame();
  EXPECT_EQ(DeterministicClockMs(), 600 * (1000.0 / 60.0));

  // A solver's rewind: the clock moves, the next frames advance from there.
  SetDeterministicClockMs(5000);
  EXPECT_EQ(DeterministicClockMs(), 5000);
  EXPECT_DOUBLE_EQ(FrameTime(), 1000.0 / 60.0);
  EndFrame();
  EXPECT_DOUBLE_EQ(DeterministicClockMs(), 5000 + 1000.0 / 60.0);
  EXPECT_EQ(DeterministicFrame(), 601);

  const double realBeforeEnd = plat::NowMs();
  EndDeterministicRun();
  EXPECT_FALSE(DeterministicRunActive());
  // Back on the real clock, without a jump in the elapsed time: it goes on
  // from the virtual reading by the real time that has passed since.
  const double elapsed = ElapsedTime();
  EXPECT_GE(elapsed, 5000 + 1000.0 / 60.0 - 1);
  EXPECT_LE(elapsed, 5000 + 1000.0 / 60.0 + (plat::NowMs() - realBeforeEnd) + 1);
}

TEST_F(DeterministicRunTest, ScriptedKeysReachKeyDown) {
  Start();
  EXPECT_EQ(KeyDown(keys::kRight), 0);
  ScriptKey(keys::kRight, true);
  EndFrame();
  EXPECT_EQ(KeyDown(keys::kRight), 1);
  EXPECT_EQ(KeyDown(keys::kRight), 1);  // held: every read
  EXPECT_TRUE(ScriptKeyHeld(keys::kRight));
  ScriptKey(keys::kRight, false);
  EndFrame();
  EXPECT_EQ(KeyDown(keys::kRight), 0);

  ScriptTap(keys::kReturn);
  EXPECT_FALSE(ScriptKeyHeld(keys::kReturn));
  EndFrame();
  EXPECT_EQ(KeyDown(keys::kReturn), 1);
  EXPECT_EQ(KeyDown(keys::kReturn), 0);  // a tap reads once

  ScriptKey(keys::kUp, true);
  ScriptKey(keys::kDown, true);
  EndFrame();
  EXPECT_EQ(KeyDown(keys::kUp) + KeyDown(keys::kDown), 2);
  ScriptReleaseAllKeys();
  EndFrame();
  EXPECT_EQ(KeyDown(keys::kUp) + KeyDown(keys::kDown), 0);
}

TEST_F(DeterministicRunTest, AReplayPlaysByFrame) {
  DeterministicRunOptions options;
  options.replayText = "input-replay 1\n0 keys=205\n2 keys=- tap=28\n5 keys=57\n";
  Start(options);
  std::vector<int> right, enter;
  for (int frame = 0; frame < 4; ++frame) {
    right.push_back(static_cast<int>(KeyDown(keys::kRight)));
    enter.push_back(static_cast<int>(KeyDown(keys::kReturn)));
    EndFrame();
  }
  EXPECT_EQ(right, (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(enter, (std::vector<int>{0, 0, 1, 0}));
  EXPECT_FALSE(ScriptFinished());
  EXPECT_FALSE(ScriptKeyHeld(keys::kSpace));
  EndFrame();
  EXPECT_TRUE(ScriptKeyHeld(keys::kSpace));
  EXPECT_TRUE(ScriptFinished());
}

TEST_F(DeterministicRunTest, AReplaysJoysticksAreTheOnesTheCommandsRead) {
  DeterministicRunOptions options;
  options.replayText =
      "input-replay 1\njoystick Pad One\n1 joy0=16384,0,0,0,0,0,-1,2\n"
      "3 focus=0 keys=31\n4 focus=1 keys=-\n";
  Start(options);
  EXPECT_EQ(JoyCount(), 1);
  EXPECT_EQ(JoyName(0), "Pad One");
  EXPECT_EQ(JoyX(0), 0);
  EndFrame();
  EXPECT_NEAR(JoyX(0), 0.5, 0.001);
  EXPECT_NE(JoyButton(0, 1), 0);
  EXPECT_EQ(JoyButton(0, 0), 0);
  // A key pressed while the window has no focus is not a press.
  EndFrame();
  EndFrame();
  EXPECT_EQ(KeyDown(31), 0);
  EndFrame();
  EXPECT_EQ(KeyDown(31), 0);
  // The system's devices again after the run: none attached here.
  EndDeterministicRun();
  EXPECT_EQ(JoyCount(), 0);
  EXPECT_EQ(JoyName(0), "");
}

TEST_F(DeterministicRunTest, ABadStartChangesNothing) {
  std::string error;
  DeterministicRunOptions options;
  options.frameMs = 0;
  EXPECT_FALSE(StartDeterministicRun(options, &error));
  EXPECT_FALSE(error.empty());
  options.frameMs = 10;
  options.replayText = "not a replay\n";
  EXPECT_FALSE(StartDeterministicRun(options, &error));
  options.replayText.clear();
  options.replayFile = testenv::PrivateTempDir() + "/no_such_replay.txt";
  EXPECT_FALSE(StartDeterministicRun(options, &error));
  EXPECT_FALSE(DeterministicRunActive());
}

TEST_F(DeterministicRunTest, ASoundPlaysForItsLengthInFramesAndIsReported) {
  Start();
  const std::string wave = WriteWave("det_200ms.wav", 4410);  // 200 ms: 12 frames
  LoadSound(RtString(wave.c_str()), 3, 1);
  EndFrame();
  EXPECT_TRUE(AudioRequestedThisFrame().empty());
  const int channel = PlaySound(3, 0, 0.5);
  ASSERT_GE(channel, 0);
  const std::vector<AudioRequest> asked = AudioRequestedThisFrame();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, AudioRequest::Kind::kSound);
  EXPECT_EQ(asked[0].slot, 3);
  EXPECT_LT(asked[0].gainMb, 0);
  int frames = 0;
  while (SoundPlaying(channel) && frames < 100) {
    EndFrame();
    ++frames;
  }
  EXPECT_EQ(frames, 12);
  // Reported in the frame it was asked in only.
  EXPECT_TRUE(AudioRequestedThisFrame().empty());
  std::remove(wave.c_str());
}

TEST_F(DeterministicRunTest, FadeToImageTakesTheSameFramesEveryRun) {
  const std::string picture = testenv::PrivateTempDir() + "/det_fade.bmp";
  ClearScreen();
  FillRect(0, 0, 320, 240, 0x00C000);
  ASSERT_TRUE(ScreenToFile(RtString(picture.c_str())));
  long long counts[2] = {};
  int observed[2] = {};
  for (int run = 0; run < 2; ++run) {
    Start();
    SetDeterministicFrameObserver([&observed, run](DeterministicFrameStep step) {
      if (step == DeterministicFrameStep::kShown) ++observed[run];
    });
    ClearScreen();
    FadeToImage(RtString(picture.c_str()));
    counts[run] = DeterministicFrame();
    EndDeterministicRun();
  }
  // 1500 ms of 1000/60 ms frames, then the frame that shows the picture.
  EXPECT_EQ(counts[0], 91);
  EXPECT_EQ(counts[1], counts[0]);
  EXPECT_EQ(observed[0], 91);
  EXPECT_EQ(observed[1], 91);
  EndFrame();
  EXPECT_EQ(ReadPixel(160, 120), 0x00C000);
  ClearScreen();
  std::remove(picture.c_str());
}

// What a program that stands in for the runtime (the course solver) counts
// on: the queries give the frames the real fade and the real sound end take.
TEST_F(DeterministicRunTest, FadeFramesIsWhatTheFadeTakesAtAnyFrameTime) {
  const std::string picture = testenv::PrivateTempDir() + "/det_fade_times.bmp";
  ClearScreen();
  ASSERT_TRUE(ScreenToFile(RtString(picture.c_str())));
  for (double frameMs : {1000.0 / 60, 10.0, 1000.0 / 30, 7.3, 1499.0, 1600.0}) {
    DeterministicRunOptions options;
    options.frameMs = frameMs;
    Start(options);
    FadeToImage(RtString(picture.c_str()));
    EXPECT_EQ(DeterministicFrame(), FadeFrames(frameMs)) << frameMs;
    EndDeterministicRun();
  }
  EXPECT_EQ(FadeFrames(0), 0);
  EXPECT_EQ(FadeFrames(-5), 0);
  ClearScreen();
  std::remove(picture.c_str());
}

TEST_F(DeterministicRunTest, SoundFramesIsHowLongASoundPlaysOnTheRunsClock) {
  // 200 ms and 500 ms are whole numbers of 60 Hz frames, where a rounding
  // error would show; the others end within a frame.
  for (int samples : {4410, 11025, 2425, 1653, 1}) {
    const std::string wave = WriteWave("det_len_" + std::to_string(samples) + ".wav", samples);
    const double lengthMs = SoundFileLengthMs(RtString(wave.c_str()));
    EXPECT_DOUBLE_EQ(lengthMs, samples * 1000.0 / 22050);
    for (double frameMs : {1000.0 / 60, 10.0, 1000.0 / 30}) {
      DeterministicRunOptions options;
      options.frameMs = frameMs;
      Start(options);
      LoadSound(RtString(wave.c_str()), 3, 1);
      EndFrame();
      const int channel = PlaySound(3, 0, 0.5);
      ASSERT_GE(channel, 0);
      long frames = 0;
      while (SoundPlaying(channel) && frames < 1000) {
        EndFrame();
        ++frames;
      }
      EXPECT_EQ(frames, SoundFrames(lengthMs, frameMs)) << samples << " samples, " << frameMs;
      EndDeterministicRun();
    }
    std::remove(wave.c_str());
  }
  EXPECT_EQ(SoundFrames(-1, 10), 0);
  EXPECT_EQ(SoundFrames(100, 0), 0);
}

// A run someone watches is heard through the device, yet its sounds end
// on the run's clock exactly as in a run nobody hears.
TEST_F(DeterministicRunTest, AWatchedRunIsHeardAndKeepsItsSoundsTime) {
  DeterministicRunOptions options;
  options.watched = true;
  std::string error;
  EXPECT_FALSE(StartDeterministicRun(options, &error)) << "a watched run must be paced";
  EXPECT_FALSE(DeterministicRunActive());

  const std::string wave = WriteWave("det_watched.wav", 4410);  // 200 ms: 12 frames
  for (bool watched : {false, true}) {
    options.paced = true;
    options.watched = watched;
    Start(options);
    EXPECT_EQ(DeterministicRunWatched(), watched);
    const auto* recorder = dynamic_cast<plat::RecordingSoundMixer*>(Audio().mixer.get());
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->PlaysThrough(), watched) << "the dummy device opens for a watched run";
    LoadSound(RtString(wave.c_str()), 3, 1);
    EndFrame();
    const int channel = PlaySound(3, 0, 0.5);
    ASSERT_GE(channel, 0);
    int frames = 0;
    while (SoundPlaying(channel) && frames < 100) {
      EndFrame();
      ++frames;
    }
    EXPECT_EQ(frames, 12) << (watched ? "watched" : "unwatched");
    EndDeterministicRun();
  }
  EXPECT_FALSE(DeterministicRunWatched());
  EXPECT_EQ(dynamic_cast<plat::RecordingSoundMixer*>(Audio().mixer.get()), nullptr)
      << "the device again after the run";
  std::remove(wave.c_str());
}

// The program reads only the script; the person's keyboard only ends the
// run, with the keys that end any program.
TEST_F(DeterministicRunTest, ThePersonWatchingEndsTheRunWithTheQuitKeys) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  plat::ScriptedInputDevices watcher;
  SetWatcherKeyboardForTests(&watcher);
  SetEscapeQuits(1);
  DeterministicRunOptions options;
  options.paced = true;
  // Nobody watches an unwatched run: its real keys are not read.
  Start(options);
  watcher.Tap(keys::kEscape);
  EndFrame();
  EXPECT_TRUE(DeterministicRunActive());
  EndDeterministicRun();

  options.watched = true;
  EXPECT_EXIT(
      {
        Start(options);
        watcher.SetKey(keys::kRight, true);
        EndFrame();
        std::fprintf(stderr, "right=%d\n", static_cast<int>(KeyDown(keys::kRight)));
        SetEscapeQuits(0);
        watcher.Tap(keys::kEscape);
        EndFrame();
        std::fprintf(stderr, "escape turned off\n");
        SetEscapeQuits(1);
        watcher.SetFocus(false);
        watcher.Tap(keys::kEscape);
        EndFrame();
        std::fprintf(stderr, "another window's\n");
        watcher.SetFocus(true);
        watcher.Tap(keys::kEscape);
        EndFrame();
        std::fprintf(stderr, "still running\n");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "right=0\nescape turned off\nanother window's\n$");
  EXPECT_EXIT(
      {
        Start(options);
        SetEscapeQuits(0);
        watcher.SetKey(keys::kLeftAlt, true);
        watcher.Tap(keys::kF4);
        EndFrame();
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(0), "");
  SetWatcherKeyboardForTests(nullptr);
}

TEST_F(DeterministicRunTest, SoundFileLengthIsMinusOneForWhatCannotBeLoaded) {
  EXPECT_EQ(SoundFileLengthMs(RtString("no/such/sound.wav")), -1);
  const std::string text = testenv::PrivateTempDir() + "/det_not_a_wave.wav";
  std::ofstream(text) << "not a wave file at all, just some words";
  EXPECT_EQ(SoundFileLengthMs(RtString(text.c_str())), -1);
  std::remove(text.c_str());
}

}  // namespace

namespace {

TEST_F(DeterministicRunTest, InputRecordingRefusesWhatItCannotDoAndWritesAReplay) {
  std::string error;
  EXPECT_FALSE(StartInputRecording("/no/such/folder/keys.replay", &error));
  EXPECT_NE(error.find("/no/such/folder/keys.replay"), std::string::npos) << error;

  const std::string path = testenv::PrivateTempDir() + "/recorded.replay";
  Start();
  error.clear();
  EXPECT_FALSE(StartInputRecording(path, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::ifstream(path).good()) << "a refused recording made its file";
  EndDeterministicRun();

  // With the engine up it records from the next read on; what it wrote
  // must load as a replay.
  ASSERT_TRUE(StartInputRecording(path, &error)) << error;
  EndFrame();
  EndFrame();
  KeyDown(keys::kA);
  DeterministicRunOptions replay;
  replay.replayText = testenv::ReadFile(path);
  EXPECT_EQ(replay.replayText.rfind("input-replay 1\n", 0), 0u) << replay.replayText;
  Start(replay);
  std::remove(path.c_str());
}

}  // namespace
