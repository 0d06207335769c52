// Program end (the shutdown behind ExitProgram, see core/runtime_error.h),
// the debug break and the console streams.
#pragma once

#include <functional>

#include "runtime/core/rt_string.h"

// The exit handler the process entry installs before anything else runs
// (program end shuts the engine down whether or not it was started: files
// and archives work without a window): the end-of-program report in debug
// mode, the engine shut down, the process ended with the error code.
[[noreturn]] void ShutdownAndExit();
// Shuts every subsystem down, once (lifecycle.cpp holds the order).
void ShutdownEngine();
int DebugBreakpoint(int line);
void DebugPrint(const RtString& text);
void StdOut(const RtString& text);
void StdErr(const RtString& text);
RtString StdIn();
void OpenConsole();

// Test seam: called with the name of each shutdown step as it begins.
void SetShutdownObserver(std::function<void(const char*)> observer);
