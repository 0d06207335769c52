// The state dispatcher and the screens around play: Menu, Options, Hiscore
// view, Game over, Game complete and Credits.
#pragma once

#include <functional>

#include "game/zelvo.h"

namespace zelvo {

// The main function: set-up, then the state dispatch; never returns.
// afterSetUp runs between the two (the harness changes the pacing there).
[[noreturn]] void GameMain(const std::function<void()>& afterSetUp = {});
// One pass of the dispatcher: re-reads the hiscores, stops the music,
// selects the screen's font and runs the screen until the state changes.
void DispatchOnce();

void RunMenu();
void RunOptions();
void HandleOptionKeys();
void RunHiscoreView();
void RunGameOver();
void RunGameComplete();
void RunCredits();

// The menu's and the Options screen's cursor: moves one step per press of
// Down or Up within 0..last, playing the cursor sound every frame a key is
// held.
struct CursorKeys {
  bool downHeld = false;
  bool upHeld = false;
};
void StepCursor(int& selection, int last, CursorKeys& keys);

}  // namespace zelvo
