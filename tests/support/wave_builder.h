// Wave files assembled byte by byte, shared by the audio tests (which break
// one part at a time) and the sound benchmark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/core/byte_order.h"

namespace testwave {

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

}  // namespace testwave
