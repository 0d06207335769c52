// Runtime errors and the one way out of the process. Every subsystem may
// raise a fatal error; the frame installs the handler that shuts the engine
// down, so nothing here depends on the layers above.
#pragma once

// Runtime error codes passed to SetRuntimeError before ExitProgram. A fatal
// error ends the program with its code as the exit status.
enum RuntimeErrorCode {
  kErrNone = 0,             // No error.
  kErrFileIo = 3,           // A file could not be read or written.
  kErrInvalidArgument = 7,  // A bad argument, or storage that cannot be had.
  kErrAppendMultiDim = 8,   // Push on an array of more than one dimension.
  kErrIndexRange = 9,       // An array index outside its extent.
  kErrNoMoreData = 20,      // A data table read past its last item.
};

// The error state a program's end report reads.
struct RuntimeErrorState {
  double errorCode = 0;      // The latest recorded error (0: none).
  double errorLine = 0;      // currentLine when it was recorded.
  double currentModule = 0;  // The latest SetDebugLine module.
  double currentLine = 0;    // The latest SetDebugLine line.
};
// The current error state: a command that records an error without ending
// the program (IniPut, WriteFileLine) leaves its code here.
const RuntimeErrorState& RuntimeErrors();

// Records code as the current error (with the current debug line) and
// returns it; the program goes on.
double SetRuntimeError(double code);
// Marks the module and line the program is at, for the end report in debug
// mode.
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
