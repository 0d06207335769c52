// Reads PCM wave files (RIFF/WAVE) from disk or from an in-memory file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/platform/sound_mixer.h"

struct WaveSound {
  plat::PcmLayout layout;
  // Whole frames only, in the file's layout.
  std::vector<uint8_t> samples;
};

enum class WaveStatus {
  kOk,
  kUnreadable,   // no such file, or it could not be read
  kNotRiffWave,  // no "RIFF" ... "WAVE" header
  kNoFormat,     // no complete "fmt " chunk of at least 16 bytes
  kBadFormat,    // a format no real file has (zero rate, channels, bits, align)
  kNotPcm,       // compressed or otherwise not plain samples
  kNoData,       // no "data" chunk after the format, or no whole frame in it
};

// Parses a whole wave file held in memory. Chunks before "fmt " and between
// it and "data" are skipped (odd sizes are followed by a pad byte); a data
// chunk that claims more than the file holds is cut to the bytes present.
WaveStatus ParseWave(const uint8_t* bytes, size_t size, WaveSound& out);
// Reads the file (a disk path or a "mem://" name) and parses it.
WaveStatus ReadWaveFile(const char* name, WaveSound& out);
