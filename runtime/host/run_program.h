// Starting other programs.
#pragma once

#include "runtime/core/rt_string.h"

// Starts the program named by commandLine, split into arguments the way
// Windows programs split theirs (see SplitCommandLine); no shell ever sees
// it. With wait non-zero, waits for the program to end and stores its exit
// code in exitCode (128 + the signal number when a signal ended it);
// otherwise exitCode stays 0 and the program is collected when it ends. show
// has no meaning here: a program opens its own windows. 1 when the program
// was started, 0 when it could not be.
double RunProgram(const RtString& commandLine, double wait, double show, double& exitCode);

// Ends this program and starts another: the engine is shut down and the
// open INI and line files are written back before the program starts, so it
// reads what this one wrote; this program then ends with code 0.
[[noreturn]] void EndAndRun(const RtString& commandLine);

// Starts the program EndAndRun queued (program end calls it last).
void StartProgramQueuedAtEnd();
