// Engine-wide commands: the window handle, the command line, and the
// start-up timings a program may report.
#pragma once

#include "runtime/core/rt_string.h"

namespace plat {
struct Window;
}

// The program's window; null when EngineStart could not open one, in which
// case the program should End.
plat::Window* MainWindowHandle();
// The process command line, as the program stored it before EngineStart.
void SetCommandLine(const RtString& commandLine);
// The command line: the program's arguments joined by blanks.
RtString CommandLine();
// TimerNow() when the first frame reached the window (0 before).
double FirstFrameShownAt();
// Milliseconds spent waiting for the user in modal boxes so far.
double ModalWaitMs();
