#include "runtime/core/command_values.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "runtime/platform/process.h"

namespace {

std::mutex g_startMutex;
std::string g_startDirectory;

}  // namespace

bool ParseWholeInteger(const std::string& text, long long lowest, long long highest,
                       long long* value) {
  if (text.empty()) return false;
  const char first = text[0];
  // strtoll would skip leading blanks and take a "+"; neither is a number
  // typed on purpose.
  if (!(first == '-' || (first >= '0' && first <= '9'))) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  if (parsed < lowest || parsed > highest) return false;
  *value = parsed;
  return true;
}

void RememberStartDirectory() {
  std::lock_guard<std::mutex> hold(g_startMutex);
  if (g_startDirectory.empty()) g_startDirectory = plat::CurrentDirectory();
}

std::string StartDirectory() {
  RememberStartDirectory();
  std::lock_guard<std::mutex> hold(g_startMutex);
  std::string dir = g_startDirectory;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string UserPath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  const std::string dir = StartDirectory();
  if (dir.empty()) return path;
  return dir == "/" ? "/" + path : dir + "/" + path;
}
