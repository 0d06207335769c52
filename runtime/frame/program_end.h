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
// With a debugger attached: hides the window, writes "BP" and the line in
// hexadecimal to standard error and returns 1; without one returns 0 and
// does nothing.
int DebugBreakpoint(int line);
// With a debugger attached writes "TX" and the text to standard error;
// nothing without one.
void DebugPrint(const RtString& text);
// Writes the text's bytes to standard output (no line end added) and
// flushes it.
void StdOut(const RtString& text);
// As StdOut, to standard error.
void StdErr(const RtString& text);
// One line from standard input without its line end (at most 4094 bytes);
// empty at the end of input.
RtString StdIn();
// A program started without a terminal reads and writes the controlling
// terminal from now on, if there is one; otherwise nothing changes.
void OpenConsole();

// Test seam: called with the name of each shutdown step as it begins.
void SetShutdownObserver(std::function<void(const char*)> observer);
