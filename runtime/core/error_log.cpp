#include "runtime/core/error_log.h"

#include <cstdio>

#include "runtime/platform/process.h"

std::string ErrorLogPath() {
  return plat::TempDirectory() + "ErrorLog.txt";
}

void AppendErrorLog(const char* text) {
  const std::string path = ErrorLogPath();
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) continue;
    std::fputs(text ? text : "NULL", f);
    std::fputs("\r\n", f);
    std::fclose(f);
    return;
  }
  // Every attempt failed: the line is dropped, diagnostics must never stop
  // the program.
}
