#include "runtime/files/line_files.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/core/conversion.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"

namespace linefile {

size_t SplitLines(const char* bytes, size_t size, std::vector<Line>& lines) {
  lines.clear();
  size_t pos = 0;
  while (lines.size() < static_cast<size_t>(kLineSlots) && pos < size) {
    const char* start = bytes + pos;
    const size_t avail = std::min(size - pos, kMaxLineBytes);
    Line line;
    if (const void* feed = std::memchr(start, '\n', avail)) {
      const size_t n = static_cast<size_t>(static_cast<const char*>(feed) - start);
      line.text.assign(start, n);
      pos += n + 1;
    } else if (pos + avail == size) {
      line.text.assign(start, avail);
      pos += avail;
    } else {
      line.text.assign(start, avail);
      line.continued = true;
      pos += avail;
    }
    // A finished line sheds the CR of its CR LF end; a cut one keeps every
    // byte so that writing it back restores the original line, except a CR
    // whose LF starts the next slot: that slot is written with a CR LF.
    const bool lineEndFollows =
        line.continued && bytes[pos] == '\n' && lines.size() + 1 < static_cast<size_t>(kLineSlots);
    if ((!line.continued || lineEndFollows) && !line.text.empty() && line.text.back() == '\r') {
      line.text.pop_back();
    }
    lines.push_back(std::move(line));
  }
  return pos;
}

}  // namespace linefile

namespace {

using linefile::kLineSlots;
using linefile::kMaxLineBytes;
using linefile::Line;

// Enough for every slot at its longest, each with its line feed.
constexpr size_t kMaxCachedBytes = kLineSlots * (kMaxLineBytes + 1);

struct LineFileCache {
  std::string fileName;  // as the program named it; empty = none selected
  std::string diskPath;  // absolute, where a write-back goes
  std::vector<Line> lines = std::vector<Line>(kLineSlots);
  int lastLine = 0;
  bool dirty = false;
  bool loaded = false;
  // A file longer than the cache keeps its remaining bytes on write-back:
  // an archived file's are held here, a disk file's are copied from it then.
  std::string tail;
  std::string tailPath;
  long tailOffset = -1;
};

LineFileCache& Cache() {
  // Never destroyed: the process-exit write-back may run after static
  // destructors have started.
  static LineFileCache* cache = new LineFileCache;
  return *cache;
}

void Clear(LineFileCache& c) {
  for (Line& line : c.lines) {
    line.text.clear();
    line.text.shrink_to_fit();
    line.continued = false;
  }
  c.lastLine = 0;
  c.dirty = false;
  c.loaded = false;
  c.fileName.clear();
  c.diskPath.clear();
  c.tail.clear();
  c.tailPath.clear();
  c.tailOffset = -1;
}

bool CopyTailFromDisk(const LineFileCache& c, std::FILE* out) {
  std::FILE* in = std::fopen(c.tailPath.c_str(), "rb");
  // The original is gone: what the cache holds is all there is left to save.
  if (!in) return true;
  bool ok = std::fseek(in, c.tailOffset, SEEK_SET) == 0;
  char block[4096];
  while (ok) {
    const size_t got = std::fread(block, 1, sizeof block, in);
    if (got > 0 && std::fwrite(block, 1, got, out) != got) ok = false;
    if (got < sizeof block) {
      ok = ok && !std::ferror(in);
      break;
    }
  }
  std::fclose(in);
  return ok;
}

bool WriteBack(const LineFileCache& c) {
  return fileops::ReplaceFile(c.diskPath, [&c](std::FILE* out) {
    for (int i = 0; i <= c.lastLine; ++i) {
      const Line& line = c.lines[static_cast<size_t>(i)];
      if (!line.text.empty() &&
          std::fwrite(line.text.data(), 1, line.text.size(), out) != line.text.size()) {
        return false;
      }
      if (!line.continued && std::fwrite("\r\n", 1, 2, out) != 2) return false;
    }
    if (!c.tail.empty()) return std::fwrite(c.tail.data(), 1, c.tail.size(), out) == c.tail.size();
    if (c.tailOffset >= 0) return CopyTailFromDisk(c, out);
    return true;
  });
}

bool Load(LineFileCache& c, const char* name) {
  std::string resolved;
  if (!ResolveAssetName(DataArchive(), fileops::SystemPath(name).c_str(), resolved, true)) {
    return false;
  }
  const bool inMemory = fileops::IsMemoryName(resolved.c_str());
  if (!inMemory && fileops::IsDirectory(resolved)) return false;
  FileStream stream;
  if (!OpenStream(stream, resolved.c_str())) return false;

  const size_t size = static_cast<size_t>(std::max<int32_t>(stream.size, 0));
  std::vector<char> bytes(std::min(size, kMaxCachedBytes));
  if (!bytes.empty() && !ReadStream(stream, bytes.data(), static_cast<int32_t>(bytes.size()))) {
    CloseStream(stream);
    return false;
  }
  std::vector<Line> lines;
  const size_t used = linefile::SplitLines(bytes.data(), bytes.size(), lines);
  if (used < size) {
    if (inMemory) {
      c.tail.assign(bytes.data() + used, bytes.size() - used);
      const size_t rest = size - bytes.size();
      if (rest > 0) {
        const size_t from = c.tail.size();
        c.tail.resize(from + rest);
        if (!ReadStream(stream, c.tail.data() + from, static_cast<int32_t>(rest))) {
          CloseStream(stream);
          c.tail.clear();
          return false;
        }
      }
    } else {
      c.tailPath = fileops::AbsolutePath(resolved);
      c.tailOffset = static_cast<long>(used);
    }
  }
  CloseStream(stream);

  for (size_t i = 0; i < lines.size(); ++i) c.lines[i] = std::move(lines[i]);
  c.lastLine = lines.empty() ? 0 : static_cast<int>(lines.size()) - 1;
  c.loaded = true;
  return true;
}

bool LineInRange(int line) {
  return line >= 0 && line < kLineSlots;
}

}  // namespace

int SelectLineFile(const char* name) {
  LineFileCache& c = Cache();
  if (name) {
    EnsureFilesWrittenBackAtExit();
    // A file that failed to load is tried again, unless the program has
    // already started writing the new file into the empty cache.
    if (c.fileName == name && !c.fileName.empty() && (c.loaded || c.dirty)) return 0;
  }

  if (!c.diskPath.empty() && c.dirty) {
    if (!WriteBack(c)) SetRuntimeError(kErrFileIo);
  }
  Clear(c);
  if (!name) return 0;

  c.fileName = name;
  if (!fileops::IsMemoryName(name)) c.diskPath = fileops::AbsolutePath(fileops::SystemPath(name));
  if (!*name || !Load(c, name)) {
    // Only a file that does not exist yet may be created from the cache; one
    // that exists but could not be read would be replaced by what we never
    // saw of it.
    if (!c.diskPath.empty() && ::access(c.diskPath.c_str(), F_OK) == 0) c.diskPath.clear();
    SetRuntimeError(kErrFileIo);
    return kErrFileIo;
  }
  return 0;
}

RtString ReadFileLine(const RtString& file, int line) {
  if (!LineInRange(line)) {
    SetRuntimeError(kErrInvalidArgument);
    return RtString("NO_DATA");
  }
  if (SelectLineFile(file.c_str()) != 0) return RtString("NO_FILE");
  const std::string& text = Cache().lines[static_cast<size_t>(line)].text;
  // The text as a C string: it ends at an inner NUL.
  size_t n = ::strnlen(text.data(), text.size());
  while (n > 0 && static_cast<unsigned char>(text[n - 1]) < 32) --n;
  if (n == 0) return RtString("NO_DATA");
  RtString result;
  result.Append(text.data(), static_cast<uint32_t>(n));
  return result;
}

void ReadFileLineNumber(const RtString& file, int line, double& value) {
  value = TextToNumber(ReadFileLine(file, line));
}

void ReadFileLineInt(const RtString& file, int line, int& value) {
  value = TextToInt(ReadFileLine(file, line));
}

void WriteFileLine(const RtString& file, int line, const RtString& text) {
  if (!LineInRange(line)) {
    SetRuntimeError(kErrInvalidArgument);
    return;
  }
  const size_t length = ::strnlen(text.c_str(), kMaxLineBytes - 1);
  // A line break inside the text would become a line of its own on disk and
  // move every later line down by one.
  if (std::memchr(text.c_str(), '\n', length) || std::memchr(text.c_str(), '\r', length)) {
    SetRuntimeError(kErrInvalidArgument);
    return;
  }
  SelectLineFile(file.c_str());
  LineFileCache& c = Cache();
  Line& slot = c.lines[static_cast<size_t>(line)];
  slot.text.assign(text.c_str(), length);
  slot.continued = false;
  c.lastLine = std::max(c.lastLine, line);
  c.dirty = true;
}

void WriteFileLineNumber(const RtString& file, int line, double value) {
  WriteFileLine(file, line, RtString(value));
}
