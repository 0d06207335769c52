// PROGRAM_NAME: a paper plane crosses a 320 x 240 window under a line of
// text until Escape (or the close box) ends the program.
//
// Every program of the runtime also takes the standard options:
//   --replay FILE, --unpaced, --frames N, --shot FRAME FILE,
//   --record-input FILE, --record VIDEO, --record-scale N
// for example `PROGRAM_NAME --unpaced --frames 30 --shot 20 out.png` runs
// 30 frames without a display's pace and writes frame 20 to out.png, and
// `PROGRAM_NAME --unpaced --frames 300 --record run.mp4` makes a video of
// the first five seconds.
#include <brakmor/runtime.h>

#include <cmath>
#include <string>

namespace {

constexpr const char* kName = "PROGRAM_NAME";
constexpr int kPlane = 1;  // sprite slot

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  // Before EngineStart: a replay or a frame limit starts with the engine.
  const std::string ownOptions = UseStandardOptions(commandLine, kName);
  SetCommandLine(RtString(ownOptions.c_str()));

  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  settings.frameRate = 60;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, ownOptions.c_str(), showCommand, kName);
  if (!MainWindowHandle()) {
    StdErr(RtString((std::string(kName) + ": no window could be opened\n").c_str()));
    FatalRuntimeError(kErrInvalidArgument);
  }
  ClearRuntimeError();

  // The runtime starts in the program's folder, where the build copied
  // assets/. Pixels of the colour key (0x8000FF by default) stay clear.
  if (!SpriteFromFile(RtString("assets/sprite.png"), kPlane)) {
    StdErr(RtString((std::string(kName) + ": cannot load assets/sprite.png\n").c_str()));
    FatalRuntimeError(kErrFileIo);
  }
  int planeWidth = 0, planeHeight = 0;
  SpriteSize(kPlane, planeWidth, planeHeight);

  const int sky = 0xE8A858;  // colours pack as red | green << 8 | blue << 16
  for (long frame = 0;; ++frame) {
    FillRect(0, 0, 320, 240, sky);
    const int x = static_cast<int>(frame * 2 % (320 + planeWidth)) - planeWidth;
    const int y = 120 + static_cast<int>(30 * std::sin(frame / 20.0)) - planeHeight / 2;
    PutSprite(kPlane, x, y);
    DrawText(RtString("Hello from PROGRAM_NAME - Escape ends"), 8, 8);
    // Shows the frame and waits for the next; Escape ends the program here.
    EndFrame();
  }
}
