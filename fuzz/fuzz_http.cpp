// HTTP responses as the fetch reads them: the bytes arrive in blocks of any
// size (the first input byte picks it), the header scanner finds the body,
// and the header block gives the declared length.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/net/http_fetch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t blockSize = 1 + data[0] % 64;
  ++data;
  --size;
  HttpHeaderScanner scanner;
  std::string headers;
  size_t bodyBytes = 0;
  for (size_t at = 0; at < size; at += blockSize) {
    const size_t n = size - at < blockSize ? size - at : blockSize;
    size_t bodyStart = 0;
    if (!scanner.InBody()) {
      bodyStart = scanner.Scan(data + at, n);
      if (bodyStart > n) __builtin_trap();
      headers.append(reinterpret_cast<const char*>(data + at), bodyStart);
      if (scanner.InBody() && HttpContentLength(headers.data(), headers.size()) < -1)
        __builtin_trap();
    }
    if (scanner.InBody()) bodyBytes += n - bodyStart;
  }
  if (headers.size() + bodyBytes != size) __builtin_trap();
  return 0;
}
