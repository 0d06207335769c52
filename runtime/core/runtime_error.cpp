#include "runtime/core/runtime_error.h"

#include <cstdio>
#include <cstdlib>

namespace {

RuntimeErrorState g_errors;
ProgramExitHandler g_exitHandler = nullptr;

int Truncated(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace

const RuntimeErrorState& RuntimeErrors() {
  return g_errors;
}

double SetRuntimeError(double code) {
  g_errors.errorCode = code;
  g_errors.errorLine = g_errors.currentLine;
  return code;
}

void SetDebugLine(int module, int line) {
  g_errors.currentModule = module;
  g_errors.currentLine = line;
}

void ClearRuntimeError() {
  g_errors.errorCode = g_errors.errorLine = g_errors.currentLine = 0;
}

int ExitStatusForError() {
  // A fatal error must not look like success to whoever started us.
  const int status = Truncated(g_errors.errorCode);
  return status >= 0 && status <= 255 ? status : 1;
}

void SetProgramExitHandler(ProgramExitHandler handler) {
  g_exitHandler = handler;
}

void End() {
  SetRuntimeError(0);
  ExitProgram();
}

void FatalRuntimeError(int code) {
  SetRuntimeError(code);
  ExitProgram();
}

void ExitProgram() {
  if (g_exitHandler) g_exitHandler();
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(ExitStatusForError());
}
