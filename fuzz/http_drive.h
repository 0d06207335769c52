// Plays an HTTP response into the response reader the way the fetch
// does, and checks that what it reports adds up. The first input byte
// picks the block size (low 6 bits) and whether the server closes the
// connection at the end (high bit clear) or leaves it open; the rest is
// what the server sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/net/http_fetch.h"

namespace httpdrive {

inline bool ReadsConsistently(const uint8_t* data, size_t size) {
  using State = HttpResponseReader::State;
  if (size == 0) return true;
  const size_t blockSize = 1 + data[0] % 64;
  const bool closes = (data[0] & 0x80) == 0;
  ++data;
  --size;
  HttpResponseReader reader;
  size_t taken = 0;  // bytes before the reader ended
  long long body = 0;
  for (size_t at = 0; at < size; at += blockSize) {
    const size_t n = size - at < blockSize ? size - at : blockSize;
    const bool wasEnded = reader.Ended();
    const size_t bodyStart = reader.Feed(data + at, n);
    if (bodyStart > n) return false;
    if (reader.Ended()) {
      if (bodyStart != n) return false;
      if (!wasEnded && reader.state() != State::kHeadersTooLong) return false;
      continue;
    }
    taken += n;
    body += static_cast<long long>(n - bodyStart);
  }
  const State before = reader.state();
  if (before == State::kHeadersTooLong) return true;
  if (reader.Headers().size() > kHttpHeaderLimit) return false;
  if (reader.Headers().size() + static_cast<size_t>(body) != taken) return false;
  if (reader.BodyBytes() != body) return false;
  if (before == State::kBody) {
    const int status = reader.Status();
    if (status != -1 && (status < 100 || status > 999)) return false;
    if (reader.ContentLength() < -1) return false;
  } else {
    if (before != State::kHeaders || body != 0) return false;
  }
  if (!closes) return true;
  const bool complete = reader.Close();
  if (complete != (before == State::kBody && body >= reader.ContentLength())) return false;
  return complete == (reader.state() == State::kComplete);
}

}  // namespace httpdrive
