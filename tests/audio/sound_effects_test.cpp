// Effects on the recording mixer: which copy plays, with which gain and pan,
// and what a slot holds after loads that succeed, fail or are refused.
#include "runtime/audio/sound_effects.h"

#include <gtest/gtest.h>

#include <limits>

#include "audio_fixture.h"

namespace audiotest {
namespace {

using Event = plat::RecordingSoundMixer::Event;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string ShortWave(const char* name = "short.wav") {
  WaveBuilder b;
  b.samples = Sine16(2205, 1, 440, 0.5, 22050);
  return WriteFile(name, b.Bytes());
}

class SoundEffects : public RecordedAudio {
 protected:
  const SoundSlot& Slot(int s) { return Audio().slots[static_cast<size_t>(s)]; }
  Event LastPlay() {
    auto plays = mixer().EventsOf(Event::kPlay);
    return plays.empty() ? Event(Event::kStop) : plays.back();
  }
};

TEST_F(SoundEffects, CopiesAreClampedToOneToFour) {
  const RtString name = ShortWave().c_str();
  const struct {
    double asked;
    int loaded;
  } cases[] = {{0, 1}, {-3, 1}, {kNaN, 1}, {2, 2}, {2.9, 2}, {9, 4}, {1e300, 4}};
  for (const auto& c : cases) {
    LoadSound(name, 5, c.asked);
    EXPECT_EQ(Slot(5).copies, c.loaded) << c.asked;
  }
  // Every reload released the previous samples.
  EXPECT_EQ(mixer().LiveChunks(), 1);
}

TEST_F(SoundEffects, ABusySingleCopyIsNotRestarted) {
  LoadSound(ShortWave().c_str(), 3, 1);
  EXPECT_EQ(PlaySound(3, 0, 1), 3 * 256);
  EXPECT_EQ(PlaySound(3, 0, 1), -1);
  EXPECT_EQ(mixer().EventsOf(Event::kPlay).size(), 1u);
  EXPECT_TRUE(mixer().EventsOf(Event::kStop).empty()) << "the playing copy was cut off";
  mixer().Finish(ChannelOf(3, 0));
  EXPECT_EQ(PlaySound(3, 0, 1), 3 * 256);
}

TEST_F(SoundEffects, SeveralCopiesTakeTurnsStoppingOneThatStillPlays) {
  LoadSound(ShortWave().c_str(), 2, 2);
  EXPECT_EQ(PlaySound(2, 0, 1), 2 * 256 + 0);
  EXPECT_EQ(PlaySound(2, 0, 1), 2 * 256 + 1);
  ASSERT_EQ(mixer().EventsOf(Event::kStop).size(), 0u);
  // Both play: the next in turn is copy 0 again, stopped and rewound first.
  EXPECT_EQ(PlaySound(2, 0, 1), 2 * 256 + 0);
  const auto& ev = mixer().events;
  ASSERT_GE(ev.size(), 2u);
  EXPECT_EQ(ev[ev.size() - 2].kind, Event::kStop);
  EXPECT_EQ(ev[ev.size() - 2].channel, ChannelOf(2, 0));
  EXPECT_EQ(ev.back().kind, Event::kPlay);
  EXPECT_EQ(ev.back().channel, ChannelOf(2, 0));
  // An idle current copy is reused rather than advancing.
  mixer().Finish(ChannelOf(2, 0));
  EXPECT_EQ(PlaySound(2, 0, 1), 2 * 256 + 0);
}

TEST_F(SoundEffects, VolumeAndPanBecomeDecibelsAndPanUnits) {
  LoadSound(ShortWave().c_str(), 1, 1);
  const struct {
    double pan, volume;
    int gainMb, panUnits;
  } cases[] = {
      {0, 1, 0, 0},           {0, 0.5, -5000, 0},   {0, 2, 0, 0},          {0, -1, -10000, 0},
      {0, 0.999, -100, 0},    {0, kNaN, -10000, 0}, {0, 1e308, 0, 0},      {3, 1, 0, 10000},
      {-3, 1, 0, -10000},     {-0.25, 1, 0, -2500}, {0.33339, 1, 0, 3333}, {kNaN, 1, 0, 0},
      {-1e308, 1, 0, -10000},
  };
  for (const auto& c : cases) {
    mixer().Finish(ChannelOf(1, 0));
    ASSERT_EQ(PlaySound(1, c.pan, c.volume), 256);
    EXPECT_EQ(LastPlay().gainMb, c.gainMb) << c.volume;
    EXPECT_EQ(LastPlay().pan, c.panUnits) << c.pan;
  }
}

TEST_F(SoundEffects, SlotNumbersAboveTheRangeMeanTheLastSlot) {
  LoadSound(ShortWave().c_str(), 200, 1);
  EXPECT_EQ(Slot(127).copies, 1);
  EXPECT_EQ(PlaySound(300.5, 0, 1), 127 * 256);
  EXPECT_EQ(LastPlay().channel, ChannelOf(127, 0));
  EXPECT_EQ(SoundPlaying(127 * 256), 1);
}

TEST_F(SoundEffects, NegativeOrNaNSlotsDoNothing) {
  const RtString name = ShortWave().c_str();
  LoadSound(name, -1, 1);
  LoadSound(name, kNaN, 1);
  EXPECT_EQ(mixer().LiveChunks(), 0);
  LoadSound(name, 0, 1);
  EXPECT_EQ(PlaySound(-1, 0, 1), -1);
  EXPECT_EQ(PlaySound(-0.5, 0, 1), -1);
  EXPECT_EQ(PlaySound(kNaN, 0, 1), -1);
  EXPECT_TRUE(mixer().EventsOf(Event::kPlay).empty());
}

TEST_F(SoundEffects, SoundPlayingFollowsTheCopy) {
  LoadSound(ShortWave().c_str(), 4, 2);
  const int id = PlaySound(4, 0, 1);
  EXPECT_EQ(SoundPlaying(id), 1);
  EXPECT_EQ(SoundPlaying(id + 1), 0) << "copy 1 never played";
  EXPECT_EQ(SoundPlaying(id + 2), 0) << "no copy 2";
  EXPECT_EQ(SoundPlaying(-1), 0);
  EXPECT_EQ(SoundPlaying(kNaN), 0);
  EXPECT_EQ(SoundPlaying(1e12), 0);
  EXPECT_EQ(SoundPlaying(5 * 256), 0) << "empty slot";
  mixer().Finish(ChannelOf(4, 0));
  EXPECT_EQ(SoundPlaying(id), 0);
}

TEST_F(SoundEffects, StopAllSoundsStopsEveryPlayingCopy) {
  const RtString name = ShortWave().c_str();
  LoadSound(name, 0, 2);
  LoadSound(name, 127, 1);
  PlaySound(0, 0, 1);
  PlaySound(0, 0, 1);
  PlaySound(127, 0, 1);
  StopAllSounds();
  EXPECT_EQ(SoundPlaying(0), 0);
  EXPECT_EQ(SoundPlaying(1), 0);
  EXPECT_EQ(SoundPlaying(127 * 256), 0);
}

TEST_F(SoundEffects, AFileThatCannotBePlayedLeavesTheSlotEmpty) {
  LoadSound(ShortWave().c_str(), 6, 1);
  PlaySound(6, 0, 1);
  WaveBuilder adpcm;
  adpcm.tag = 2;
  adpcm.samples = Sine16(100, 1, 440, 0.5, 22050);
  for (const std::string& name :
       {WriteFile("adpcm.wav", adpcm.Bytes()), WriteFile("text.wav", {'h', 'i'}),
        TestDir() + "/missing.wav", std::string()}) {
    LoadSound(ShortWave().c_str(), 6, 1);
    LoadSound(name.c_str(), 6, 1);
    EXPECT_EQ(Slot(6).copies, 0) << name;
    EXPECT_TRUE(Slot(6).fileName.empty()) << name;
    EXPECT_EQ(PlaySound(6, 0, 1), -1) << name;
  }
  EXPECT_EQ(mixer().LiveChunks(), 0);
}

TEST_F(SoundEffects, CopiesWithoutAChannelAreNotCounted) {
  Start(6);  // channels for slot 0 and half of slot 1
  LoadSound(ShortWave().c_str(), 1, 4);
  EXPECT_EQ(Slot(1).copies, 2);
  EXPECT_EQ(PlaySound(1, 0, 1), 256);
  EXPECT_EQ(PlaySound(1, 0, 1), 257);
  EXPECT_EQ(PlaySound(1, 0, 1), 256) << "wraps after the copies that exist";
  LoadSound(ShortWave().c_str(), 2, 1);
  EXPECT_EQ(Slot(2).copies, 0);
  EXPECT_EQ(mixer().LiveChunks(), 1);
}

TEST_F(SoundEffects, WithoutADeviceNothingLoadsOrPlays) {
  AudioStartWith(nullptr);
  LoadSound(ShortWave().c_str(), 0, 1);
  EXPECT_EQ(Slot(0).copies, 0);
  EXPECT_EQ(PlaySound(0, 0, 1), -1);
  EXPECT_EQ(SoundPlaying(0), 0);
  StopAllSounds();
}

TEST_F(SoundEffects, SamplesReachTheMixerInItsFormatAtTheFilesRate) {
  // Stereo 8-bit at 11,025 Hz: one second must stay one second.
  WaveBuilder b;
  b.bits = 8;
  b.channels = 2;
  b.rate = 11025;
  for (int i = 0; i < 11025 * 2; ++i) b.samples.push_back(static_cast<uint8_t>(128 + (i % 64)));
  LoadSound(WriteFile("u8.wav", b.Bytes()).c_str(), 7, 1);
  const size_t frames = mixer().ChunkSamples(Slot(7).chunk).size() / plat::kMixerFrameBytes;
  EXPECT_NEAR(static_cast<double>(frames), 22050.0, 1) << "the resampler kept the tail back";

  // Six channels are mixed down to the mixer's two, keeping the length.
  WaveBuilder six;
  six.channels = 6;
  six.samples = Sine16(2205, 6, 440, 0.2, 22050);
  LoadSound(WriteFile("six.wav", six.Bytes()).c_str(), 8, 1);
  ASSERT_EQ(Slot(8).copies, 1);
  const size_t sixFrames = mixer().ChunkSamples(Slot(8).chunk).size() / plat::kMixerFrameBytes;
  EXPECT_EQ(sixFrames, 2205u);
}

TEST_F(SoundEffects, ShutdownReleasesEverySlot) {
  const RtString name = ShortWave().c_str();
  LoadSound(name, 0, 4);
  LoadSound(name, 64, 1);
  PlaySound(0, 0, 1);
  AudioShutdown();
  EXPECT_TRUE(Audio().slots.empty());
  EXPECT_EQ(PlaySound(0, 0, 1), -1);
}

}  // namespace
}  // namespace audiotest
