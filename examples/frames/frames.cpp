// The smallest program of the runtime: a window that runs frames until
// Escape, Alt+F4 or the close box ends it.
//
//   frames                      run until ended
//   frames --bench N [T0]       run N frames, then print a pacing report;
//                               T0 is the launch time in seconds since the
//                               epoch (bash's $EPOCHREALTIME), for the
//                               start-up time
#include <cstdlib>
#include <cstring>

#include "examples/frames/pacing_report.h"
#include "runtime/runtime.h"

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  SetCommandLine(RtString(commandLine));
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  settings.frameRate = 60;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Frames");
  if (!MainWindowHandle()) {
    StdErr(RtString("frames: no window could be opened\n"));
    FatalRuntimeError(kErrInvalidArgument);
  }
  ClearRuntimeError();

  if (std::strncmp(commandLine, "--bench", 7) == 0) {
    char* rest = nullptr;
    const long frames = std::strtol(commandLine + 7, &rest, 10);
    const double launchedAt = std::strtod(rest, nullptr);
    RunPacingReport(frames > 1 ? static_cast<int>(frames) : 600, launchedAt);
    End();
  }
  for (;;) EndFrame();
}
