#include "runtime/frame/program_end.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/error_log.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/engine_state.h"
#include "runtime/input/input_service.h"
#include "runtime/platform/process.h"
#include "runtime/platform/window.h"

namespace {

int Truncated(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace

void ShutdownAndExit() {
  if (g_settings.debugMode) {
    const RuntimeErrorState& e = RuntimeErrors();
    char line[32];
    AppendErrorLog("-End On Line");
    std::snprintf(line, sizeof line, "%d", Truncated(e.errorCode));
    AppendErrorLog(line);
    std::snprintf(line, sizeof line, "%d", Truncated(e.errorLine - 1));
    AppendErrorLog(line);
    std::snprintf(line, sizeof line, "%d", Truncated(e.currentLine));
    AppendErrorLog(line);
    std::snprintf(line, sizeof line, "%d", Truncated(e.currentModule));
    AppendErrorLog(line);
  }
  ShutdownEngine();
  std::fflush(stdout);
  std::fflush(stderr);
  // A fatal error must not look like success to whoever started us: the
  // exit status carries the runtime error code (0 for a normal end).
  std::exit(ExitStatusForError());
}

int DebugBreakpoint(int line) {
  if (!plat::DebuggerAttached()) return 0;
  plat::HideWindow(g_engine.window);
  char text[32];
  std::snprintf(text, sizeof text, "BP%x", static_cast<unsigned>(line));
  plat::DebugOutput(text);
  g_engine.paused = 0;
  InputFrame();
  g_engine.debugBreakShown = true;
  return 1;
}

void DebugPrint(const RtString& text) {
  if (!plat::DebuggerAttached()) return;
  std::string out = "TX";
  out.append(text.c_str(), text.Length());
  plat::DebugOutput(out.c_str());
}

void StdOut(const RtString& text) {
  std::fwrite(text.c_str(), 1, text.Length(), stdout);
  std::fflush(stdout);
}

void StdErr(const RtString& text) {
  std::fwrite(text.c_str(), 1, text.Length(), stderr);
  std::fflush(stderr);
}

RtString StdIn() {
  char buf[4096];
  if (!std::fgets(buf, 4095, stdin)) return RtString();
  size_t n = std::strlen(buf);
  if (n > 0 && buf[n - 1] == '\n') buf[--n] = '\0';
  return RtString(buf);
}

void OpenConsole() {
  // A process started without a terminal gets the controlling one, if any;
  // one that already talks to a terminal keeps it. Standard error stays.
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) return;
  if (access("/dev/tty", R_OK | W_OK) != 0) return;
  if (!isatty(STDIN_FILENO)) std::freopen("/dev/tty", "r", stdin);
  if (!isatty(STDOUT_FILENO)) std::freopen("/dev/tty", "w", stdout);
}
