// HTTP responses as the fetch reads them: the bytes arrive in blocks of any
// size and the response reader takes them as HttpGetFile and HttpGetText
// do (http_drive.h).
#include <cstddef>
#include <cstdint>

#include "http_drive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!httpdrive::ReadsConsistently(data, size)) __builtin_trap();
  return 0;
}
