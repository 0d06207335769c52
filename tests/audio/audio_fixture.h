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

namespace audiotest {

inline void PutId(std::vector<uint8_t>& v, const char* id) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(id[i]));
}

// A wave file assembled chunk by chunk, so each test can break one thing.
struct WaveBuilder {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  int alignOverride = -1;  // -1: channels x bits / 8
  uint32_t fmtSize = 16;
  std::vector<uint8_t> chunksBeforeFmt;
  std::vector<uint8_t> chunksBeforeData;
  std::vector<uint8_t> samples;
  int64_t declaredDataSize = -1;  // -1: the real size
  bool includeData = true;

  static void AddChunk(std::vector<uint8_t>& to, const char* id, size_t size) {
    PutId(to, id);
    AppendLe32(to, static_cast<uint32_t>(size));
    for (size_t i = 0; i < size; ++i) to.push_back(static_cast<uint8_t>(0xA5 ^ i));
    if (size & 1) to.push_back(0);  // pad byte
  }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> body;
    PutId(body, "WAVE");
    body.insert(body.end(), chunksBeforeFmt.begin(), chunksBeforeFmt.end());
    PutId(body, "fmt ");
    AppendLe32(body, fmtSize);
    const uint16_t align =
        alignOverride >= 0 ? static_cast<uint16_t>(alignOverride) : channels * (bits / 8);
    std::vector<uint8_t> fmt;
    AppendLe16(fmt, tag);
    AppendLe16(fmt, channels);
    AppendLe32(fmt, rate);
    AppendLe32(fmt, rate * align);
    AppendLe16(fmt, align);
    AppendLe16(fmt, bits);
    fmt.resize(fmtSize, 0);
    body.insert(body.end(), fmt.begin(), fmt.end());
    if (fmtSize & 1) body.push_back(0);
    body.insert(body.end(), chunksBeforeData.begin(), chunksBeforeData.end());
    if (includeData) {
      PutId(body, "data");
      AppendLe32(body, declaredDataSize >= 0 ? static_cast<uint32_t>(declaredDataSize)
                                             : static_cast<uint32_t>(samples.size()));
      body.insert(body.end(), samples.begin(), samples.end());
    }
    std::vector<uint8_t> file;
    PutId(file, "RIFF");
    AppendLe32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
  }
};

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
