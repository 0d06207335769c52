// What the real mixer produces: SDL's disk driver writes the mixed output to
// a file, so a played effect can be measured at its level and pan.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio_fixture.h"
#include "runtime/audio/sound_effects.h"
#include "runtime/core/byte_order.h"
#include "runtime/platform/clock.h"

namespace audiotest {
namespace {

struct Peaks {
  int left = 0, right = 0;
  long firstLoud = -1;  // first frame above the noise floor
};

Peaks Measure(const std::vector<uint8_t>& raw) {
  Peaks p;
  const size_t frames = raw.size() / 4;
  for (size_t i = 0; i < frames; ++i) {
    const int16_t l = static_cast<int16_t>(LoadLe16(&raw[i * 4]));
    const int16_t r = static_cast<int16_t>(LoadLe16(&raw[i * 4 + 2]));
    p.left = std::max(p.left, std::abs(static_cast<int>(l)));
    p.right = std::max(p.right, std::abs(static_cast<int>(r)));
    if (p.firstLoud < 0 && (std::abs(l) > 64 || std::abs(r) > 64))
      p.firstLoud = static_cast<long>(i);
  }
  return p;
}

TEST(MixerOutput, AnEffectIsHeardAtItsGainAndPan) {
  const std::string output = TestDir() + "/mixed.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  AudioStart();
  unsetenv("SDL_DISKAUDIOFILE");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_NE(Audio().mixer, nullptr) << "the disk driver did not open";

  WaveBuilder b;
  b.samples = Sine16(22050 / 4, 1, 1000, 0.5, 22050);
  LoadSound(WriteFile("tone.wav", b.Bytes()).c_str(), 9, 1);
  // Volume 0.9 is -10 dB; pan 0.25 takes another 25 dB off the left.
  ASSERT_EQ(PlaySound(9, 0.25, 0.9), 9 * 256);
  for (int waited = 0; SoundPlaying(9 * 256) && waited < 3000; waited += 10) plat::SleepMs(10);
  plat::SleepMs(100);
  AudioShutdown();

  const std::vector<uint8_t> raw = [&] {
    std::ifstream in(output, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  const Peaks p = Measure(raw);
  ASSERT_GE(p.firstLoud, 0) << "nothing audible in " << raw.size() << " bytes";
  const double source = 0.5 * 32767;
  EXPECT_NEAR(p.right / source, std::pow(10.0, -1000 / 2000.0), 0.01);
  EXPECT_NEAR(p.left / source, std::pow(10.0, -3500 / 2000.0), 0.002);
}

}  // namespace
}  // namespace audiotest
