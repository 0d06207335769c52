// Shared pieces of the audio tests: wave files built byte by byte, a private
// directory, and a subsystem started on the recording mixer.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/audio/audio_service.h"
#include "runtime/audio/audio_state.h"
#include "runtime/core/byte_order.h"
#include "runtime/platform/sound_mixer_recorder.h"
#include "wave_builder.h"

namespace audiotest {

using testwave::PutId;
using testwave::WaveBuilder;

// frames of a 16-bit sine at amplitude (0..1) on every channel.
inline std::vector<uint8_t> Sine16(int frames, int channels, double hz, double amplitude,
                                   int rate) {
  std::vector<uint8_t> out;
  for (int i = 0; i < frames; ++i) {
    const double s = amplitude * 32767 * std::sin(2 * M_PI * hz * i / rate);
    for (int c = 0; c < channels; ++c) AppendLe16(out, static_cast<uint16_t>(std::lround(s)));
  }
  return out;
}

inline std::string TestDir() {
  static std::string dir = [] {
    // Beside a started engine the folder is the engine fixture's own: its
    // death tests look for their log where their parent's TMPDIR points.
    if (const char* engineDir = getenv("RT_TEST_TMPDIR")) return std::string(engineDir);
    char tmpl[] = "/tmp/audio_test_XXXXXX";
    const char* made = mkdtemp(tmpl);
    std::string d = made ? made : "/tmp";
    setenv("TMPDIR", d.c_str(), 1);
    return d;
  }();
  return dir;
}

inline std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = TestDir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The subsystem on a recording mixer with a channel for every copy.
class RecordedAudio : public ::testing::Test {
 protected:
  void SetUp() override { Start(512); }
  void TearDown() override { AudioShutdown(); }
  void Start(int channels) {
    auto mixer = std::make_unique<plat::RecordingSoundMixer>(channels);
    mixer_ = mixer.get();
    AudioStartWith(std::move(mixer));
  }
  plat::RecordingSoundMixer& mixer() { return *mixer_; }

 private:
  plat::RecordingSoundMixer* mixer_ = nullptr;
};

}  // namespace audiotest
