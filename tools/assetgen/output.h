// Writers for the generated files. Everything written here is a pure function
// of its input: no timestamps, no encoder version strings that could vary
// between runs on the same machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace assetgen {

enum class PngKind {
  kOpaque,  // RGB, every pixel must be opaque
  kKeyed,   // RGB, transparent pixels written as the key colour
};

// Throws std::runtime_error on I/O failure or when an opaque image has a hole.
void WritePng(const std::string& path, const Image& img, PngKind kind);

// 16-bit PCM mono RIFF/WAVE.
void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate);

// Encodes interleaved stereo float samples (-1..1) at 44.1 kHz to MP3.
void WriteMp3(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right, int kbps);

void MakeDirs(const std::string& path);  // mkdir -p of the directory part
void WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace assetgen
