// The process entry of every program of the runtime.
#include <string>

#include "runtime/core/command_values.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/startup.h"

int main(int argc, char** argv) {
  // Before anything can change it: command-line paths are the user's.
  RememberStartDirectory();
  SetProgramExitHandler(ShutdownAndExit);
  // Programs see one command-line text, arguments joined by blanks.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine.push_back(' ');
    commandLine.append(argv[i]);
  }
  ProgramStart(nullptr, nullptr, commandLine.c_str(), 1);
  return 0;
}
