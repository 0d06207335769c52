#include "runtime/host/run_program.h"

#include <string>
#include <vector>

#include "runtime/core/runtime_error.h"
#include "runtime/files/file_operations.h"
#include "runtime/files/ini_files.h"
#include "runtime/files/line_files.h"
#include "runtime/host/host_state.h"
#include "runtime/host/process_spawn.h"

double RunProgram(const RtString& commandLine, double wait, double /*show*/, double& exitCode) {
  exitCode = 0;
  std::vector<std::string> argv =
      SplitCommandLine(std::string_view(commandLine.c_str(), commandLine.Length()));
  if (argv.empty()) return 0;
  // Programs written for Windows name other programs with either separator.
  argv[0] = fileops::SystemPath(argv[0].c_str());

  const pid_t pid = StartProcess(argv);
  if (pid < 0) return 0;
  if (wait != 0) {
    const int code = WaitForExit(pid);
    exitCode = code < 0 ? 0 : code;
  } else {
    CollectWhenEnded(pid);
  }
  return 1;
}

void EndAndRun(const RtString& commandLine) {
  // The program starts from the host's shutdown step, which program end runs
  // after the file channels are closed and the window is gone.
  Host().runAtEnd.assign(commandLine.c_str(), commandLine.Length());
  Host().runAtEndPending = true;
  End();
}

void StartProgramQueuedAtEnd() {
  HostState& host = Host();
  if (!host.runAtEndPending) return;
  host.runAtEndPending = false;
  // The INI and line files are written back first, so the next program
  // finds everything this one wrote.
  IniWriteBack();
  SelectLineFile(nullptr);
  double scratch = 0;
  RunProgram(RtString(host.runAtEnd.c_str()), 0, 1, scratch);
}
