#include "runtime/files/ini_files.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/core/runtime_error.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/file_stream.h"
#include "runtime/files/files_service.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool EndsName(char c) {
  return IsBlank(c) || c == '=';
}

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Lines arrive one at a time (without their line feed); a section is kept
// only once it turns out to hold an entry.
class IniParser {
 public:
  explicit IniParser(std::vector<IniSection>& sections) : sections_(sections) {}

  void Line(const char* s, size_t n) {
    // A line is text: it ends at an inner NUL as it would after a line read.
    n = ::strnlen(s, n);
    size_t i = 0;
    while (i < n && IsBlank(s[i])) ++i;
    if (i == n || s[i] == ';') return;

    if (s[i] == '[') {
      ++i;
      while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
      size_t end = i;
      while (end < n && !EndsName(s[end])) ++end;
      if (end > i && s[end - 1] == ']') --end;
      Store();
      current_.name.assign(s + i, end - i);
      return;
    }

    size_t keyEnd = i;
    while (keyEnd < n && !EndsName(s[keyEnd])) ++keyEnd;
    size_t k = keyEnd;
    while (k < n && IsBlank(s[k])) ++k;
    if (k == n || s[k] != '=') return;
    ++k;
    while (k < n && IsBlank(s[k])) ++k;
    size_t valueEnd = n;
    while (valueEnd > k && static_cast<unsigned char>(s[valueEnd - 1]) < 32) --valueEnd;
    if (valueEnd == k) return;
    current_.entries.push_back({std::string(s + i, keyEnd - i), std::string(s + k, valueEnd - k)});
  }

  void Finish() { Store(); }

 private:
  void Store() {
    if (!current_.entries.empty()) sections_.push_back(std::move(current_));
    current_ = IniSection();
  }

  std::vector<IniSection>& sections_;
  IniSection current_;
};

// Splits a run of bytes at line feeds; the unfinished last line waits in
// pending for the next run.
void FeedLines(IniParser& parser, std::string& pending, const char* bytes, size_t size) {
  while (size > 0) {
    const void* feed = std::memchr(bytes, '\n', size);
    if (!feed) {
      pending.append(bytes, size);
      return;
    }
    const size_t n = static_cast<size_t>(static_cast<const char*>(feed) - bytes);
    if (pending.empty()) {
      parser.Line(bytes, n);
    } else {
      pending.append(bytes, n);
      parser.Line(pending.data(), pending.size());
      pending.clear();
    }
    bytes += n + 1;
    size -= n + 1;
  }
}

IniCache& OpenIni() {
  // Never destroyed: the process-exit write-back may run after static
  // destructors have started.
  static IniCache* cache = new IniCache;
  return *cache;
}

IniSection* FindSection(IniCache& cache, const char* name) {
  for (IniSection& section : cache.sections) {
    if (SameIgnoringCase(section.name, name)) return &section;
  }
  return nullptr;
}

}  // namespace

void ParseIniText(IniCache& cache, const char* bytes, size_t size) {
  cache.sections.clear();
  IniParser parser(cache.sections);
  std::string pending;
  if (bytes) FeedLines(parser, pending, bytes, size);
  if (!pending.empty()) parser.Line(pending.data(), pending.size());
  parser.Finish();
}

bool ParseIniFile(IniCache& cache, const char* name) {
  cache.sections.clear();
  cache.fileName.clear();
  cache.diskPath.clear();
  cache.changed = false;
  cache.writable = true;
  if (!name || !*name) return false;

  const std::string path = fileops::SystemPath(name);
  std::string resolved;
  if (!ResolveAssetName(DataArchive(), path.c_str(), resolved, true)) {
    // Not found anywhere: a new file, created under the name asked for when
    // something is put into it. One that exists but cannot be read is left
    // alone.
    cache.fileName = path;
    cache.diskPath = fileops::AbsolutePath(path);
    cache.writable = ::access(path.c_str(), F_OK) != 0;
    return false;
  }
  cache.fileName = resolved;
  const bool inMemory = fileops::IsMemoryName(resolved.c_str());
  if (!inMemory) cache.diskPath = fileops::AbsolutePath(resolved);
  FileStream stream;
  if ((!inMemory && fileops::IsDirectory(resolved)) || !OpenStream(stream, resolved.c_str())) {
    cache.writable = false;
    return false;
  }

  IniParser parser(cache.sections);
  std::string pending;
  std::vector<char> block(65536);
  int32_t remaining = std::max<int32_t>(stream.size, 0);
  bool ok = true;
  while (remaining > 0) {
    const int32_t count = std::min<int32_t>(remaining, static_cast<int32_t>(block.size()));
    if (!ReadStream(stream, block.data(), count)) {
      ok = false;
      break;
    }
    FeedLines(parser, pending, block.data(), static_cast<size_t>(count));
    remaining -= count;
  }
  CloseStream(stream);
  if (!pending.empty()) parser.Line(pending.data(), pending.size());
  parser.Finish();
  if (!ok) cache.writable = false;
  return ok;
}

RtString IniLookup(const IniCache& cache, const char* section, const char* key) {
  if (!section) section = "";
  if (!key) key = "";
  for (const IniSection& s : cache.sections) {
    if (!SameIgnoringCase(s.name, section)) continue;
    // Only the first section of a name is searched.
    for (const IniEntry& entry : s.entries) {
      if (SameIgnoringCase(entry.key, key)) return RtString(entry.value.c_str());
    }
    break;
  }
  return RtString("NO_DATA");
}

std::string IniText(const IniCache& cache) {
  std::string text;
  for (const IniSection& section : cache.sections) {
    text += '[';
    text += section.name;
    text += "]\r\n";
    for (const IniEntry& entry : section.entries) {
      text += entry.key;
      text += '=';
      text += entry.value;
      text += "\r\n";
    }
  }
  return text;
}

void IniWriteBack() {
  IniCache& cache = OpenIni();
  // An archived file ("mem://" name) has no disk path and stays as it is.
  if (!cache.changed || !cache.writable || cache.diskPath.empty()) return;
  const std::string text = IniText(cache);
  const bool written = fileops::ReplaceFile(cache.diskPath, [&text](std::FILE* out) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
  });
  // A file that cannot be written is given up silently; the program goes on.
  if (written) cache.changed = false;
}

void IniOpen(const RtString& name) {
  EnsureFilesWrittenBackAtExit();
  IniWriteBack();
  ParseIniFile(OpenIni(), name.c_str());
}

RtString IniGet(const RtString& section, const RtString& key) {
  return IniLookup(OpenIni(), section.c_str(), key.c_str());
}

void IniPut(const RtString& section, const RtString& key, const RtString& value) {
  // Each of these would write a line, a section header or a key the file
  // reads back differently from what was put.
  const auto holds = [](const RtString& text, const char* bytes) {
    return std::strpbrk(text.c_str(), bytes) != nullptr;
  };
  if (holds(section, "\r\n]") || holds(key, "\r\n=") || holds(value, "\r\n")) {
    SetRuntimeError(kErrInvalidArgument);
    return;
  }
  IniCache& cache = OpenIni();
  IniSection* found = FindSection(cache, section.c_str());
  if (key.c_str()[0] == '\0') {
    if (!found) return;
    // Deleting moves the last section into the gap.
    if (found != &cache.sections.back()) *found = std::move(cache.sections.back());
    cache.sections.pop_back();
    cache.changed = true;
    return;
  }
  if (!found) {
    cache.sections.push_back({section.c_str(), {}});
    found = &cache.sections.back();
  }
  auto& entries = found->entries;
  auto it = std::find_if(entries.begin(), entries.end(), [&key](const IniEntry& e) {
    return SameIgnoringCase(e.key, key.c_str());
  });
  if (it == entries.end()) {
    entries.push_back({key.c_str(), value.c_str()});
  } else if (value.c_str()[0] != '\0') {
    it->value = value.c_str();
  } else {
    if (&*it != &entries.back()) *it = std::move(entries.back());
    entries.pop_back();
  }
  cache.changed = true;
}
