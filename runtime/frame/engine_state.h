// What is truly engine-wide: the renderer and its window, the pause state,
// the program's name and command line, and start-up bookkeeping. Each
// subsystem keeps its own state in its own folder; programs reach this only
// through commands (engine.h).
#pragma once

#include "runtime/core/rt_string.h"
#include "runtime/frame/project_settings.h"

class Renderer;
namespace plat {
struct Window;
}

struct EngineState {
  // Created by EngineStart, destroyed by ShutdownEngine.
  Renderer* renderer = nullptr;
  // Copied from the renderer after every window creation.
  plat::Window* window = nullptr;
  RtString appName;
  uint8_t autoPause = 1;
  uint8_t paused = 0;
  RtString commandLine;

  // Set by the debug break so the next frame shows the window again.
  bool debugBreakShown = false;
  // Alt+Enter asks for the other screen mode; applied between frames so the
  // switch never runs inside message dispatch.
  bool modeToggleRequested = false;
  bool started = false;
  // Milliseconds spent in modal boxes waiting for the user; start-up timings
  // subtract it so they measure the program, not the person.
  double modalWaitMs = 0;
  // TimerNow() when the first frame went to the window (0 before), so a
  // program can tell how long it took to show something.
  double firstFrameShownAt = 0;
};

extern EngineState g_engine;
// The settings in force (SetProjectSettings, CurrentProjectSettings); the
// frame's own code changes the screen fields as the mode changes.
extern ProjectSettings g_settings;
