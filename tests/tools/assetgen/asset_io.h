// Readers for the generated files, independent of the generator's own code so
// the tests judge the files as the game will see them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assettest {

std::string RunDir();    // where the game finds gfx/ and sound/
std::string MusicDir();  // staging folder of the music pieces

struct Png {
  int w = 0, h = 0;
  bool has_alpha = false;  // RGBA file (otherwise RGB or grey)
  bool colour = false;
  int bit_depth = 0;
  std::vector<uint8_t> rgba;  // straight RGBA, 8 bit
  // Transparent the way the game loads it: the colour key for RGB files,
  // zero alpha for RGBA files.
  bool Transparent(int x, int y) const;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};

// False (with a message) when the file is missing or not a PNG.
bool ReadPng(const std::string& path, Png& out, std::string& error);

struct Wav {
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  bool has_data = false;
  std::vector<int16_t> samples;  // only for 16-bit PCM
};
bool ReadWav(const std::string& path, Wav& out, std::string& error);

std::vector<uint8_t> ReadBytes(const std::string& path);

// Decodes an MP3 completely with libmpg123.
struct Mp3Info {
  long rate = 0;
  int channels = 0;
  size_t frames = 0;         // samples per channel
  std::vector<int16_t> pcm;  // interleaved
};
bool DecodeMp3(const std::string& path, Mp3Info& out, std::string& error);

}  // namespace assettest
