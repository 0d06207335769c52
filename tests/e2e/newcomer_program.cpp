// A first program as someone new to the runtime writes it from the public
// header alone: a sprite on the default colour key drawn scaled and rotated,
// a line of text, a sound on a letter key, Escape to end. Two of its loads
// name files that are not there, as a first program's often do.
//
//   newcomer_program ASSETS REPLAY SHOT
//
// ASSETS holds ship.bmp and beep.wav; REPLAY drives the keys; SHOT is the
// screen written at frame 30. What it did goes to standard error: standard
// output stays empty.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "runtime/runtime.h"

namespace {

constexpr int kShip = 1, kMissing = 2;
constexpr int kBeep = 0, kMissingSound = 1;

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  std::istringstream args(commandLine);
  std::string assets, replay, shot;
  args >> assets >> replay >> shot;
  if (shot.empty()) {
    std::fprintf(stderr, "usage: newcomer_program ASSETS REPLAY SHOT\n");
    std::exit(2);
  }
  DeterministicRunOptions run;
  run.paced = true;
  run.replayFile = replay;
  std::string error;
  if (!StartDeterministicRun(run, &error)) {
    std::fprintf(stderr, "newcomer_program: %s\n", error.c_str());
    std::exit(2);
  }

  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Newcomer");
  if (!MainWindowHandle()) std::exit(3);

  const bool loaded = SpriteFromFile(RtString((assets + "/ship.bmp").c_str()), kShip);
  SpriteFromFile(RtString((assets + "/no-such-picture.png").c_str()), kMissing);
  LoadSound(RtString((assets + "/beep.wav").c_str()), kBeep, 1);
  LoadSound(RtString((assets + "/no-such-sound.wav").c_str()), kMissingSound, 1);
  std::fprintf(stderr, "sprite loaded: %d\n", loaded ? 1 : 0);

  int played = 0, failedPlays = 0;
  bool aWasDown = false;
  for (int frame = 0;; ++frame) {
    FillRect(0, 0, 320, 240, Rgb(20, 40, 90));
    PutSpriteScaled(kShip, 40, 40, 3, 3);
    PutSpriteRotated(kShip, 200, 100, frame * 4);
    // The slot whose load failed draws nothing, and says nothing either.
    PutSprite(kMissing, 100, 150);
    DrawText(RtString("Press A"), 8, 8);
    const bool aDown = KeyDown(keys::kA) != 0;
    if (aDown && !aWasDown) {
      if (PlaySound(kBeep, 0, 1) >= 0) ++played;
      if (PlaySound(kMissingSound, 0, 1) < 0) ++failedPlays;
      std::fprintf(stderr, "sounds played: %d, not played: %d\n", played, failedPlays);
    }
    aWasDown = aDown;
    if (frame == 30) ScreenToFile(RtString(shot.c_str()));
    // A held Escape from the replay ends the program in this frame end.
    EndFrame();
  }
}
