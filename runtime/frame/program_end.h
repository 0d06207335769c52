// The one way out of the process, runtime errors and debug output.
#pragma once

#include "runtime/core/rt_string.h"

// Runtime error codes passed to SetRuntimeError before ExitProgram.
enum RuntimeErrorCode {
  kErrNone = 0,
  kErrFileIo = 3,
  kErrInvalidArgument = 7,
  kErrAppendMultiDim = 8,
  kErrIndexRange = 9,
  kErrNoMoreData = 20,
};

[[noreturn]] void End();
double SetRuntimeError(double code);
void SetDebugLine(int module, int line);
[[noreturn]] void ExitProgram();
void ShutdownEngine();
int DebugBreakpoint(int line);
void DebugPrint(const RtString& text);
void StdOut(const RtString& text);
void StdErr(const RtString& text);
RtString StdIn();
void OpenConsole();

// Shorthand for the fatal pair SetRuntimeError(code); ExitProgram().
[[noreturn]] void FatalRuntimeError(int code);

#include <functional>
// Test seam: called with the name of each shutdown step as it begins.
void SetShutdownObserver(std::function<void(const char*)> observer);
