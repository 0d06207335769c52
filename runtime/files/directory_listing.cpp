#include "runtime/files/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/files/file_operations.h"
#include "runtime/platform/process.h"

RtString GetCurrentDir() {
  std::string dir = plat::CurrentDirectory();
  if (dir.empty()) return RtString();
  for (char& c : dir) {
    if (c == '\\') c = '/';
  }
  if (dir.back() != '/') dir.push_back('/');
  return RtString(dir.c_str());
}

int SetCurrentDir(const RtString& path) {
  return plat::SetCurrentDirectory(fileops::SystemPath(path.c_str())) ? 1 : 0;
}

namespace {

// A link to a directory is listed as a directory, as the system's own
// directory search reports it.
bool EntryIsDirectory(const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat st;
  return ::stat(entry->d_name, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

double ListDirectory(const RtString& pattern, TextArray& out) {
  std::vector<RtString> directories;
  std::vector<RtString> files;
  if (DIR* dir = ::opendir(".")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (EntryIsDirectory(entry)) {
        directories.emplace_back(entry->d_name);
      } else if (MatchWildcard(pattern.c_str(), entry->d_name)) {
        files.emplace_back(entry->d_name);
      }
    }
    ::closedir(dir);
  }
  const size_t total = directories.size() + files.size();
  DimTextArray(out, static_cast<int64_t>(total));
  size_t n = 0;
  for (auto& name : directories) out.At(static_cast<int64_t>(n++)) = std::move(name);
  for (auto& name : files) out.At(static_cast<int64_t>(n++)) = std::move(name);
  return static_cast<double>(directories.size()) * 65536.0 + static_cast<double>(files.size());
}

namespace {

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool MatchWildcard(const char* pattern, const char* text) {
  if (!pattern) pattern = "";
  if (!text) text = "";
  if (std::strcmp(pattern, "*.*") == 0) return true;

  const char* p = pattern;
  const char* t = text;
  // Where to resume after a mismatch: just past the last "*" run, and the
  // text position that run has swallowed up to.
  const char* starPattern = nullptr;
  const char* starText = nullptr;
  while (*t) {
    if (*p == '*') {
      while (*p == '*') ++p;
      starPattern = p;
      starText = t;
      continue;
    }
    const bool same = (*p == '?') ? (*p && *t != '.') : (*p && FoldCase(*p) == FoldCase(*t));
    if (same) {
      ++p;
      ++t;
    } else if (starPattern) {
      p = starPattern;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

int MatchWildcard(const RtString& pattern, const RtString& text) {
  return MatchWildcard(pattern.c_str(), text.c_str()) ? 1 : 0;
}

int ToForwardSlashes(RtString& text) {
  const uint32_t length = text.Length();
  char* data = text.Data();
  for (uint32_t i = 0; i < length; ++i) {
    if (data[i] == '\\') data[i] = '/';
  }
  return static_cast<int>(length);
}
