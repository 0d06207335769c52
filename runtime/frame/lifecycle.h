// The engine's one lifecycle list (lifecycle.cpp): EngineStart starts every
// subsystem in order, these run their steps of every frame and tell them of
// a new window, and ShutdownEngine (program_end.h) shuts them down.
#pragma once

#include "runtime/render/window_change.h"

// Shuts the sound down and starts it again, on the deterministic run's
// recording mixer when one waits, else on the sound device: how a
// deterministic run begun or ended after start-up swaps the mixer.
void RestartSound();
// Every subsystem that keeps the window hears of a new window or mode.
void SubsystemsWindowChanged(const WindowChange& change);
// The subsystems' steps of a frame: before it is shown (the quit keys end
// the program here) and after.
void SubsystemFramesBeforePresent();
void SubsystemFramesAfterPresent();
