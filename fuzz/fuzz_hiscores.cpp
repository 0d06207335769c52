// Hiscores.dat as the game reads it at start.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/hiscores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<zelvo::HiscoreEntry> rows;
  if (zelvo::DecodeHiscores(bytes, zelvo::kHiscoreRows, rows) && rows.size() != zelvo::kHiscoreRows)
    __builtin_trap();
  return 0;
}
