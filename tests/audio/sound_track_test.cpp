#include "runtime/audio/sound_track.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

SoundTrack::Samples Constant(int frames, int16_t left, int16_t right) {
  auto s = std::make_shared<std::vector<int16_t>>();
  for (int i = 0; i < frames; ++i) {
    s->push_back(left);
    s->push_back(right);
  }
  return s;
}

// A ramp 1, 2, 3 ... on both sides, so a position can be read off a sample.
SoundTrack::Samples Ramp(int frames) {
  auto s = std::make_shared<std::vector<int16_t>>();
  for (int i = 1; i <= frames; ++i) {
    s->push_back(static_cast<int16_t>(i));
    s->push_back(static_cast<int16_t>(i));
  }
  return s;
}

std::vector<int16_t> Mix(SoundTrack& t, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, -1);
  t.Mix(out.data(), frames);
  return out;
}

TEST(SoundTrack, EffectsPlayAtTheirGainAndPanAndAddUpWithClipping) {
  SoundTrack t;
  t.Play(0, 7, Constant(4, 10000, 10000), 0, 0);
  t.Play(1, 8, Constant(2, 10000, 10000), -600, 0);  // -6 dB: about half
  std::vector<int16_t> out = Mix(t, 3);
  EXPECT_EQ(out[0], 10000 + 5012);
  EXPECT_EQ(out[1], 10000 + 5012);
  EXPECT_EQ(out[4], 10000);  // the short one has ended
  // Pan takes the far side down by its amount; the near side keeps its gain.
  SoundTrack p;
  p.Play(0, 1, Constant(1, 10000, 10000), 0, 10000);
  p.Play(1, 2, Constant(1, 10000, 10000), -10000, 0);  // the bottom is silence
  out = Mix(p, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 10000);
  // Loud sounds together clip instead of wrapping round.
  SoundTrack c;
  c.Play(0, 1, Constant(1, 30000, -30000), 0, 0);
  c.Play(1, 1, Constant(1, 30000, -30000), 0, 0);
  out = Mix(c, 1);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
}

TEST(SoundTrack, AChannelPlaysOneSoundAndStopsOnRequestOrUnload) {
  SoundTrack t;
  t.Play(3, 1, Ramp(10), 0, 0);
  EXPECT_EQ(Mix(t, 2)[2], 2);
  t.Play(3, 1, Ramp(10), 0, 0);  // a new play cuts the old one off
  EXPECT_EQ(Mix(t, 1)[0], 1);
  t.Stop(3);
  EXPECT_FALSE(t.Active());
  EXPECT_EQ(Mix(t, 1)[0], 0);
  t.Play(0, 5, Ramp(10), 0, 0);
  t.Play(1, 6, Ramp(10), 0, 0);
  t.FreeSound(5);
  EXPECT_EQ(Mix(t, 1)[0], 1);   // only sound 6 is left
  t.Play(2, 9, nullptr, 0, 0);  // nothing to play is silence, not a crash
  const std::vector<int16_t> rest = Mix(t, 10);
  EXPECT_EQ(rest[16], 10);  // sound 6 to its end
  EXPECT_EQ(rest[18], 0);
  EXPECT_FALSE(t.Active());
}

TEST(SoundTrack, MusicPlaysAtItsVolumeAndLoopsOnlyWhenRestartedWhilePlaying) {
  SoundTrack t;
  t.OpenMusic(Ramp(4));
  EXPECT_EQ(Mix(t, 1)[0], 0);  // opened, not started
  t.StartMusic();
  t.SetMusicVolume(500);  // the player's steps: 64 of 128
  std::vector<int16_t> out = Mix(t, 2);
  EXPECT_EQ(out[0], 0);  // 1 * 0.5 rounds to even
  EXPECT_EQ(out[2], 1);
  t.SetMusicVolume(1000);
  // A piece that was not restarted ends with its samples.
  out = Mix(t, 4);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[2], 4);
  EXPECT_EQ(out[4], 0);
  EXPECT_FALSE(t.Active());
  // A start after the end plays it again from the top.
  t.StartMusic();
  EXPECT_EQ(Mix(t, 1)[0], 1);
  // A restart while it plays is a loop: it goes on and wraps at its end.
  t.StartMusic();
  out = Mix(t, 5);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[4], 4);
  EXPECT_EQ(out[6], 1);
  EXPECT_EQ(out[8], 2);
  EXPECT_TRUE(t.Active());
  // A new piece forgets the loop.
  t.OpenMusic(Ramp(2));
  t.StartMusic();
  out = Mix(t, 3);
  EXPECT_EQ(out[2], 2);
  EXPECT_EQ(out[4], 0);
  t.CloseMusic();
  t.StartMusic();  // nothing open: silence
  EXPECT_EQ(Mix(t, 1)[0], 0);
}

TEST(SoundTrack, EachVideoFrameGetsItsShareOfTheSamples) {
  EXPECT_EQ(SoundTrack::FramesBefore(0, 60), 0);
  EXPECT_EQ(SoundTrack::FramesBefore(1, 60), 367);
  EXPECT_EQ(SoundTrack::FramesBefore(2, 60), 735);
  EXPECT_EQ(SoundTrack::FramesBefore(60, 60), 22050);
  // Over a long run the shares add up exactly: nothing drifts.
  EXPECT_EQ(SoundTrack::FramesBefore(60 * 3600, 60), int64_t{22050} * 3600);
  EXPECT_EQ(SoundTrack::Gain(0), 1.0f);
  EXPECT_EQ(SoundTrack::Gain(-10000), 0.0f);
  EXPECT_NEAR(SoundTrack::Gain(-2000), 0.1f, 1e-6);
}

}  // namespace
