#include "runtime/core/load_report.h"

#include <cstdio>

#include "runtime/core/error_log.h"

namespace {

bool g_toStandardError = false;

}  // namespace

std::string LoadFailureLine(const char* command, const char* file, const std::string& reason) {
  std::string line = command ? command : "";
  line += ": cannot load \"";
  for (const char* p = file ? file : ""; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    line += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  line += "\": ";
  line += reason;
  return line;
}

void ReportLoadFailure(const char* command, const char* file, const std::string& reason) {
  const std::string line = LoadFailureLine(command, file, reason);
  AppendErrorLog(line.c_str());
  if (g_toStandardError) std::fprintf(stderr, "%s\n", line.c_str());
}

void SetLoadFailuresToStandardError(bool on) {
  g_toStandardError = on;
}
