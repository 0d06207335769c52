// Line files as the line commands split them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/files/line_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<linefile::Line> lines;
  const size_t used = linefile::SplitLines(reinterpret_cast<const char*>(data), size, lines);
  if (used > size || lines.size() > static_cast<size_t>(linefile::kLineSlots)) __builtin_trap();
  for (const linefile::Line& line : lines) {
    if (line.text.size() > linefile::kMaxLineBytes) __builtin_trap();
  }
  return 0;
}
