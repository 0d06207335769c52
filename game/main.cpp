// The paper-plane game's start: settings, the engine, then the game's main
// function, which never returns. The harness options (--replay, --trace,
// --unpaced, --frames, --shot, --atlas, --timing) run the game as the
// runtime's deterministic run: a scripted player and a virtual clock; see
// README.md.
#include <string>

#include "game/autopilot.h"
#include "game/game_io.h"
#include "game/harness.h"
#include "game/screens.h"
#include "game/startup.h"
#include "runtime/runtime.h"

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  SetCommandLine(RtString(commandLine));
  zelvo::HarnessOptions options;
  std::string error;
  std::string harnessLine = commandLine ? commandLine : "";
  const bool autopilot = zelvo::TakeAutopilotOption(harnessLine);
  if (!zelvo::ParseHarnessOptions(harnessLine, options, &error)) {
    StdErr(RtString(("zelvo2: " + error + "\n").c_str()));
    FatalRuntimeError(kErrInvalidArgument);
  }
  if (autopilot) {
    if (!options.replay.empty()) {
      StdErr(RtString("zelvo2: --autopilot flies its own replay, not --replay's\n"));
      FatalRuntimeError(kErrInvalidArgument);
    }
    // Read after the engine's start, which makes the run directory current.
    options.replay = zelvo::kAutopilotScript;
  }

  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 1;
  settings.frameRate = 60;
  SetProjectSettings(settings);
  SetProgramBuildStamp(__DATE__, __TIME__);
  const bool scripted = options.Active() || !options.atlas.empty();
  if (scripted) {
    // Before the engine starts, so that no sound device is opened and frame
    // 0 of the replay is the game's first frame.
    DeterministicRunOptions run;
    run.paced = !options.unpaced && options.atlas.empty();
    run.replayFile = options.replay;
    if (!StartDeterministicRun(run, &error)) {
      StdErr(RtString(("zelvo2: --replay: " + error + "\n").c_str()));
      FatalRuntimeError(kErrFileIo);
    }
  }
  EngineStart(instance, previousInstance, commandLine, showCommand, "Zelvo2");
  if (!MainWindowHandle()) {
    StdErr(RtString("zelvo2: no window could be opened\n"));
    FatalRuntimeError(kErrInvalidArgument);
  }
  ClearRuntimeError();

  zelvo::SetIo(&zelvo::RuntimeIo());
  static zelvo::HarnessIo harness;
  if (scripted) {
    harness.Attach();
    if (!options.trace.empty() && !harness.OpenTrace(options.trace)) {
      StdErr(RtString(("zelvo2: --trace: cannot write " + options.trace + "\n").c_str()));
      FatalRuntimeError(kErrFileIo);
    }
    if (!options.timing.empty() && !harness.OpenTiming(options.timing)) {
      StdErr(RtString(("zelvo2: --timing: cannot write " + options.timing + "\n").c_str()));
      FatalRuntimeError(kErrFileIo);
    }
    harness.SetFrameLimit(options.frames);
    for (const auto& [frame, file] : options.shots) harness.AddScreenshot(frame, file);
    zelvo::SetIo(&harness);
    // A scripted run must not stop when its window loses the focus.
    SetAutoPause(0);
  }
  zelvo::GameMain([&options] {
    if (!options.atlas.empty()) {
      zelvo::DispatchOnce();  // the Loading screen
      zelvo::DrawRoomAtlas(options.atlas);
      End();
    }
  });
}
