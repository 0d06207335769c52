// Line-addressed text files: a program reads or writes line N of a file
// directly. One file at a time is held in a cache of 256 lines; it is written
// back when another file is selected and at program end.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/core/rt_string.h"

// The text of that line (0-based), "NO_FILE" when the file cannot be loaded,
// "NO_DATA" for an empty line, a line past the file's end or a line outside
// 0..255 (which also records runtime error 7). Trailing characters below 32
// are removed.
RtString ReadFileLine(const RtString& file, int line);
// That line read as a number; 0 for anything that is not one.
void ReadFileLineNumber(const RtString& file, int line, double& value);
// That line read as an integer; 0 for anything that is not one.
void ReadFileLineInt(const RtString& file, int line, int& value);
// Stores text (at most 1023 bytes, up to its first NUL) as that line. A file
// that does not exist yet is created when it is written back. Text holding
// CR or LF is refused (nothing changes, runtime error 7 is recorded): it
// would split the line and shift every later one.
void WriteFileLine(const RtString& file, int line, const RtString& text);
// Stores the number's text (10 significant digits) as that line.
void WriteFileLineNumber(const RtString& file, int line, double value);

// Makes name the cached file, writing back the previous one first when it
// holds changes. A null name only writes back and empties the cache (program
// end). 0 on success; 3 (also recorded as runtime error 3) when the new file
// cannot be loaded.
int SelectLineFile(const char* name);

namespace linefile {

inline constexpr int kLineSlots = 256;
inline constexpr size_t kMaxLineBytes = 1024;

struct Line {
  std::string text;
  // The line was longer than a slot and went on in the next slot with no
  // line end in between; written back the same way so the file keeps it.
  bool continued = false;
};

// Splits bytes into at most kLineSlots lines the way a text line is read
// (LF or CR LF ends a line, a line longer than kMaxLineBytes is cut and goes
// on in the next slot). Returns the number of bytes consumed; whatever is
// left after the last slot belongs to none.
size_t SplitLines(const char* bytes, size_t size, std::vector<Line>& lines);

}  // namespace linefile
