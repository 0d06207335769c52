// Runtime errors and the one way out of the process. Every subsystem may
// raise a fatal error; the frame installs the handler that shuts the engine
// down, so nothing here depends on the layers above.
#pragma once

// Runtime error codes passed to SetRuntimeError before ExitProgram.
enum RuntimeErrorCode {
  kErrNone = 0,
  kErrFileIo = 3,
  kErrInvalidArgument = 7,
  kErrAppendMultiDim = 8,
  kErrIndexRange = 9,
  kErrNoMoreData = 20,
};

// The error state a program's end report reads.
struct RuntimeErrorState {
  double errorCode = 0;
  double errorLine = 0;
  double currentModule = 0;
  double currentLine = 0;
};
const RuntimeErrorState& RuntimeErrors();

double SetRuntimeError(double code);
void SetDebugLine(int module, int line);
// Programs start with a clean error state after EngineStart.
void ClearRuntimeError();

// Ends the program normally (error code 0).
[[noreturn]] void End();
// Ends the program with the current error code as its exit status.
[[noreturn]] void ExitProgram();
// Shorthand for the fatal pair SetRuntimeError(code); ExitProgram().
[[noreturn]] void FatalRuntimeError(int code);

// What ExitProgram runs: shuts the engine down and ends the process. Without
// one installed the process just exits with the error code.
using ProgramExitHandler = void (*)();
void SetProgramExitHandler(ProgramExitHandler handler);
// The exit status for the current error code: 0..255 as is, anything else 1.
int ExitStatusForError();
