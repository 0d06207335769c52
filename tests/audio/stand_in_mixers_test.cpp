// The mixers that stand in for the sound device: the silent one a machine
// without a device gets, and the recorder that a watched run plays through
// to the real device.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "audio_fixture.h"
#include "runtime/audio/music.h"
#include "runtime/audio/sound_effects.h"
#include "runtime/core/error_log.h"
#include "runtime/platform/test_backend.h"

namespace audiotest {
namespace {

// 200 ms at the mixer's rate.
std::string Wave200Ms(const std::string& name) {
  WaveBuilder b;
  b.samples = Sine16(4410, 1, 440, 0.5, 22050);
  return WriteFile(name, b.Bytes());
}

// SDL keeps its audio subsystem up once it started, so only a new process
// meets a driver that cannot open. The checks run there and report the
// first one that failed.
TEST(NoSoundDevice, SoundsKeepTheirLengthOnTheClockWithoutBeingHeard) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        double now = 5000;
        plat::SetTestClock([&now] { return now; }, [&now](double ms) { now += ms; });
        TestDir();  // the log goes to the test's own temporary folder
        std::remove(ErrorLogPath().c_str());
        AudioStart();
        std::string failed;
        auto check = [&failed](bool ok, const char* what) {
          if (!ok && failed.empty()) failed = what;
        };
        check(Audio().mixer != nullptr && Audio().noDevice, "no silent mixer stands in");
        LoadSound(Wave200Ms("nodev.wav").c_str(), 2, 1);
        const int id = PlaySound(2, 0, 1);
        check(id == 2 * 256, "the sound did not start");
        check(SoundPlaying(id) == 1, "the sound is not playing once started");
        check(PlaySound(2, 0, 1) == -1, "a single copy restarted while it plays");
        now += 199.9;
        check(SoundPlaying(id) == 1, "the sound ended before its length");
        now += 0.1;
        check(SoundPlaying(id) == 0, "the sound plays on after its length");
        check(PlaySound(2, 0, 1) == id, "the sound cannot play again once it ended");

        // Copies overlap as on a device: the second starts while the first
        // plays, and each ends after its own length.
        LoadSound(Wave200Ms("nodev4.wav").c_str(), 3, 4);
        const int first = PlaySound(3, 0, 1);
        now += 100;
        const int second = PlaySound(3, 0, 1);
        check(first == 3 * 256 && second == 3 * 256 + 1, "copies did not take turns");
        now += 100;
        check(SoundPlaying(first) == 0 && SoundPlaying(second) == 1, "copies share one end");
        StopAllSounds();
        check(SoundPlaying(second) == 0, "StopAllSounds left a sound playing");

        // Music cannot be timed without a device: it does not play.
        PlayMusic(RtString(Wave200Ms("nodev_music.wav").c_str()), 0);
        check(MusicPlaying() == 0, "music plays without a device");
        std::ifstream log(ErrorLogPath());
        std::stringstream text;
        text << log.rdbuf();
        check(text.str().find("No sound device") != std::string::npos,
              "the error log does not say that no device opened");
        check(text.str().find("no sound device is open") != std::string::npos,
              "the music's failure does not name the missing device");
        const auto* recorder = dynamic_cast<plat::RecordingSoundMixer*>(Audio().mixer.get());
        check(recorder && recorder->events.empty(), "the stand-in keeps what it was asked");
        AudioShutdown();
        std::fprintf(stderr, "%s\n", failed.c_str());
        std::_Exit(failed.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A recorder that plays through to a device: the device (here a second
// recorder) gets everything, the answers stay the recorder's.
TEST(PlayThrough, TheDeviceHearsEverythingWhileTheRecorderKeepsTime) {
  double now = 0;
  plat::RecordingSoundMixer recorder(8);
  recorder.EndSoundsByClock([&now] { return now; });
  const int early = recorder.AddChunk(std::vector<uint8_t>(4 * 2205, 1));  // 100 ms
  auto owned = std::make_unique<plat::RecordingSoundMixer>(8);
  plat::RecordingSoundMixer& device = *owned;
  recorder.PlayThrough(std::move(owned));
  EXPECT_TRUE(recorder.PlaysThrough());
  // A chunk loaded before the device came is handed over too.
  EXPECT_EQ(device.LiveChunks(), 1);
  const int chunk = recorder.AddChunk(std::vector<uint8_t>(4 * 4410, 2));  // 200 ms
  EXPECT_EQ(device.LiveChunks(), 2);

  ASSERT_TRUE(recorder.Play(3, chunk, -500, 2500));
  ASSERT_EQ(device.EventsOf(plat::RecordingSoundMixer::Event::kPlay).size(), 1u);
  const auto played = device.EventsOf(plat::RecordingSoundMixer::Event::kPlay)[0];
  EXPECT_EQ(played.channel, 3);
  EXPECT_EQ(played.gainMb, -500);
  EXPECT_EQ(played.pan, 2500);
  EXPECT_EQ(device.ChunkSamples(played.chunk), std::vector<uint8_t>(4 * 4410, 2));

  // The device ending early (or late) changes nothing the program reads.
  device.Finish(3);
  now = 199;
  EXPECT_TRUE(recorder.Playing(3));
  now = 200;
  EXPECT_FALSE(recorder.Playing(3));

  recorder.Play(4, early, 0, 0);
  recorder.Stop(4);
  EXPECT_EQ(device.EventsOf(plat::RecordingSoundMixer::Event::kStop).size(), 1u);
  recorder.FreeChunk(early);
  EXPECT_EQ(device.LiveChunks(), 1);

  // Music: the device tells its length and end; its refusal leaves the
  // program's view as it would be without it.
  const std::string piece = Wave200Ms("through.wav");
  device.musicLengthMs = 61000;
  ASSERT_TRUE(recorder.OpenMusic(piece));
  ASSERT_TRUE(recorder.StartMusic());
  recorder.SetMusicVolume(300);
  EXPECT_EQ(recorder.MusicLengthMs(), 61000);
  EXPECT_TRUE(recorder.MusicActive());
  device.musicAtEnd = true;
  EXPECT_FALSE(recorder.MusicActive());
  EXPECT_EQ(device.EventsOf(plat::RecordingSoundMixer::Event::kMusicVolume).back().value, 300);
  recorder.CloseMusic();
  EXPECT_EQ(device.EventsOf(plat::RecordingSoundMixer::Event::kCloseMusic).size(), 1u);
  device.musicOpenFails = true;
  EXPECT_TRUE(recorder.OpenMusic(piece));
  EXPECT_TRUE(recorder.StartMusic());
  EXPECT_EQ(recorder.MusicLengthMs(), 0) << "the recorder's own answer once the device refused";
  EXPECT_TRUE(recorder.MusicActive());

  // Everything the recorder was asked is still in its own events.
  EXPECT_EQ(recorder.EventsOf(plat::RecordingSoundMixer::Event::kPlay).size(), 2u);
  recorder.PlayThrough(nullptr);
  EXPECT_FALSE(recorder.PlaysThrough());
  std::remove(piece.c_str());
}

}  // namespace
}  // namespace audiotest
