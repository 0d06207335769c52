// The play loop (screen 6): the run's frame order, the plane, crashes, the
// room slide, the clock, the score, the pause and the head-up display.
#pragma once

#include "game/zelvo.h"

namespace zelvo {

// Resets the run and the course, then plays until the screen changes.
void StartNewGame();
// The run's reset without playing (the harness and tests start here).
void ResetRun();
void PlayLoop();

// Starts a level set at the current room: the plane form, the set's music.
// False when the run is over (room 51 reached, or the screen changed).
bool StartLevelSet();

enum class FrameEnd {
  kContinue,       // the next frame follows
  kLevelSetDone,   // a level set's last room was left: fade, then a new set
  kScreenChanged,  // GameState is no longer Play
};
// One frame of play, steps 1 to 15, without the frame step.
FrameEnd PlayFrame();
// What follows a frame's step: leaves the loop when the screen changed.
FrameEnd AfterFrameStep();
// Between two level sets: the sound, the music stopped and the fade to the
// "complete" sign.
void ChangeLevelSet();

void UpdatePlaneControl();
void UpdateCrash();
void DrawStartPrompt();
void DrawHud();
void UpdatePause();

// 1 when the time gathered in the slot (0..99) reaches the period.
int SecondsTimer(int slot, double seconds);
// Forgets the timers' gathered time (tests).
void ResetSecondsTimers();
// The time a timer slot has gathered, so that a saved run can be put back
// exactly (the course solver).
double SecondsTimerGathered(int slot);
void SetSecondsTimerGathered(int slot, double ms);

// Whether a room starts a level set (and so ends the one before).
bool StartsLevelSet(double room);

}  // namespace zelvo
