#include "runtime/host/file_requester.h"

#include <errno.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/host/dialog_window.h"
#include "runtime/host/host_state.h"
#include "runtime/host/process_spawn.h"
#include "runtime/platform/process.h"

namespace {

constexpr size_t kMaxAnswerBytes = 32 * 1024;

struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + 1);
  }
  return parts;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// "Images|*.png;*.bmp|All|*.*": description and pattern list in turns. A
// description without patterns is dropped. "*.*" means every file, also
// those without a dot in their name.
std::vector<FileFilter> ParseFilter(std::string_view filter) {
  std::vector<FileFilter> filters;
  if (filter.empty()) return filters;
  const std::vector<std::string_view> parts = SplitOn(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    FileFilter f;
    f.description = std::string(Trimmed(parts[i]));
    for (std::string_view pattern : SplitOn(parts[i + 1], ';')) {
      pattern = Trimmed(pattern);
      if (pattern.empty()) continue;
      f.patterns.emplace_back(pattern == "*.*" ? "*" : pattern);
    }
    if (f.patterns.empty()) continue;
    if (f.description.empty()) f.description = f.patterns.front();
    filters.push_back(std::move(f));
  }
  return filters;
}

std::string JoinedPatterns(const FileFilter& f) {
  std::string joined;
  for (const std::string& p : f.patterns) {
    if (!joined.empty()) joined += ' ';
    joined += p;
  }
  return joined;
}

std::vector<std::string> ZenityArguments(const std::string& tool, bool open,
                                         const std::vector<FileFilter>& filters,
                                         const std::string& startDir) {
  std::vector<std::string> argv = {tool, "--file-selection"};
  if (!open) argv.push_back("--save");
  if (!startDir.empty()) argv.push_back("--filename=" + startDir);
  for (const FileFilter& f : filters)
    argv.push_back("--file-filter=" + f.description + " | " + JoinedPatterns(f));
  return argv;
}

std::vector<std::string> KdialogArguments(const std::string& tool, bool open,
                                          const std::vector<FileFilter>& filters,
                                          const std::string& startDir) {
  std::vector<std::string> argv = {tool, open ? "--getopenfilename" : "--getsavefilename",
                                   startDir.empty() ? "." : startDir};
  std::string filterText;
  for (const FileFilter& f : filters) {
    if (!filterText.empty()) filterText += '\n';
    filterText += JoinedPatterns(f) + "|" + f.description;
  }
  if (!filterText.empty()) argv.push_back(filterText);
  return argv;
}

// The first line the child writes, at most kMaxAnswerBytes of it; the rest
// is read and dropped, so the child never blocks on a full pipe and a huge
// answer never grows this process. *tooLong when the first line did not
// fit (a cut path would name another file).
std::string ReadFirstLine(int fd, bool* tooLong) {
  std::string line;
  bool ended = false;
  *tooLong = false;
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (ended || *tooLong) continue;
    std::string_view part(chunk, static_cast<size_t>(n));
    const size_t end = part.find('\n');
    if (end != std::string_view::npos) {
      part = part.substr(0, end);
      ended = true;
    }
    if (line.size() + part.size() > kMaxAnswerBytes) {
      *tooLong = true;
      line.clear();
      continue;
    }
    line.append(part);
  }
  return line;
}

RtString NoFile() {
  return RtString("NO_FILE");
}

}  // namespace

RtString FileRequester(int open, const RtString& filter) {
  const std::vector<FileFilter> filters =
      ParseFilter(std::string_view(filter.c_str(), filter.Length()));
  std::string startDir = plat::CurrentDirectory();
  if (!startDir.empty() && startDir.back() != '/') startDir += '/';

  std::vector<std::string> argv;
  if (std::string zenity = FindOnPath("zenity"); !zenity.empty()) {
    argv = ZenityArguments(zenity, open != 0, filters, startDir);
  } else if (std::string kdialog = FindOnPath("kdialog"); !kdialog.empty()) {
    argv = KdialogArguments(kdialog, open != 0, filters, startDir);
  } else {
    HostDebugLine("FILEREQUESTER no dialog program found (zenity or kdialog)\n");
    return NoFile();
  }

  std::string output;
  bool tooLong = false;
  int exitCode = -1;
  {
    WindowAsideForDialog aside;
    int outputRead = -1;
    const pid_t pid = StartProcess(argv, &outputRead);
    if (pid < 0) {
      HostDebugLine("FILEREQUESTER " + argv[0] + " could not be started\n");
      return NoFile();
    }
    output = ReadFirstLine(outputRead, &tooLong);
    close(outputRead);
    exitCode = WaitForExit(pid);
  }

  // Both tools end with 1 when the user cancels; anything else but 0 is a
  // failure of the dialog, which must not pass for a choice.
  if (exitCode == 1) return NoFile();
  if (exitCode != 0) {
    HostDebugLine("FILEREQUESTER " + argv[0] + " failed with exit code " +
                  std::to_string(exitCode) + "\n");
    return NoFile();
  }
  if (tooLong) {
    HostDebugLine("FILEREQUESTER " + argv[0] + " answered with an overlong path\n");
    return NoFile();
  }
  while (!output.empty() && output.back() == '\r') output.pop_back();
  if (output.empty()) return NoFile();
  return RtString(output.c_str());
}
