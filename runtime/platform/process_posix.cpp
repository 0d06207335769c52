// Process facts from /proc and the environment.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "runtime/platform/process.h"

namespace plat {

std::string ExecutablePath() {
  char buf[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<size_t>(n));
}

std::string TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  std::string dir = (env && *env) ? env : "/tmp";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string CurrentDirectory() {
  char buf[PATH_MAX + 1];
  if (!getcwd(buf, sizeof buf)) return std::string();
  return buf;
}

bool SetCurrentDirectory(const std::string& dir) {
  return !dir.empty() && chdir(dir.c_str()) == 0;
}

bool DebuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) return std::atoi(line.c_str() + 10) != 0;
  }
  return false;
}

void DebugOutput(const char* text) {
  if (!text) return;
  std::fputs(text, stderr);
  std::fflush(stderr);
}

}  // namespace plat
