// The paper-plane game's start: settings, the engine, then the game's main
// function, which never returns. The runtime's standard options (--replay,
// --unpaced, --frames, --shot, --record-input) and the game's own (--trace,
// --atlas, --timing) run the game as the runtime's deterministic run: a
// scripted player and a virtual clock; see README.md.
#include <string>

#include "game/autopilot.h"
#include "game/game_io.h"
#include "game/harness.h"
#include "game/hiscores.h"
#include "game/install_layout.h"
#include "game/screens.h"
#include "game/settings_file.h"
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
  const std::string dataFolder = zelvo::DataFolder();
  if (autopilot) {
    if (!options.standard.replay.empty()) {
      StdErr(RtString("zelvo2: --autopilot flies its own replay, not --replay's\n"));
      FatalRuntimeError(kErrInvalidArgument);
    }
    options.standard.replay = dataFolder + "/" + zelvo::kAutopilotScript;
  }
  // The atlas draws every room at once: no frame waits.
  if (!options.atlas.empty()) options.standard.unpaced = true;
  const bool installed = !zelvo::InstalledDataFolder(zelvo::ProgramFolder()).empty();
  if (installed) zelvo::KeepHiscoresInUserFolder();

  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 1;
  settings.frameRate = 60;
  SetProjectSettings(settings);
  SetProgramBuildStamp(__DATE__, __TIME__);
  const bool scripted = options.Active();
  // Before the engine starts, so that the sound layer starts on the run's
  // recorder and frame 0 of the replay is the game's first frame. A trace or
  // timing alone still needs the deterministic run, at the real pace.
  if (scripted && !options.standard.Deterministic()) {
    DeterministicRunOptions run;
    run.paced = true;
    if (!StartDeterministicRun(run, &error)) {
      StdErr(RtString(("zelvo2: " + error + "\n").c_str()));
      FatalRuntimeError(kErrFileIo);
    }
  }
  if (!StartStandardOptions(options.standard, &error)) {
    StdErr(RtString(("zelvo2: " + error + "\n").c_str()));
    FatalRuntimeError(kErrFileIo);
  }
  EngineStart(instance, previousInstance, commandLine, showCommand, "Zelvo2");
  if (!MainWindowHandle()) {
    StdErr(RtString("zelvo2: no window could be opened\n"));
    FatalRuntimeError(kErrInvalidArgument);
  }
  ClearRuntimeError();
  // The engine starts in the program's folder; an installed copy reads its
  // data from share/zelvo2.
  if (installed && !SetCurrentDir(RtString(dataFolder.c_str()))) {
    StdErr(RtString(("zelvo2: cannot enter the data folder " + dataFolder + "\n").c_str()));
    FatalRuntimeError(kErrFileIo);
  }

  zelvo::SetIo(&zelvo::RuntimeIo());
  // A player's volumes and speed are remembered; a scripted run starts from
  // the defaults, as its script was made from them, and changes nothing.
  if (!scripted) {
    const std::string settingsFile = zelvo::SettingsFilePath();
    if (!settingsFile.empty()) zelvo::Game().settings = zelvo::LoadSettingsFile(settingsFile);
    zelvo::KeepSettingsIn(settingsFile, zelvo::Game().settings);
  }
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
