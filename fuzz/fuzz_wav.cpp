// Wave files as a sound slot loads them: parsed, then converted to the
// mixer's format.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/audio/wav_parser.h"
#include "runtime/platform/sound_mixer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WaveSound wave;
  if (ParseWave(data, size, wave) != WaveStatus::kOk) return 0;
  std::vector<uint8_t> converted;
  plat::ConvertToMixerFormat(wave.layout, wave.samples.data(), wave.samples.size(), converted);
  return 0;
}
