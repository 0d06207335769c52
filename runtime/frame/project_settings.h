// The settings a program fills before EngineStart: the logical screen's
// size, the starting screen mode, the frame rate and the debug switches.
#pragma once

#include <cstdint>

// The window and frame settings EngineStart opens the program with.
struct ProjectSettings {
  // The logical screen's width in pixels: what every 2D position refers
  // to. The window may be larger; the screen is scaled into it.
  int32_t screenWidth = 320;
  int32_t screenHeight = 240;  // The logical screen's height in pixels.
  int32_t fullScreen = 1;      // 1: full screen; 0: a window.
  int32_t frameRate = 60;      // Frames a second EndFrame keeps to.
  int32_t multisample = 0;     // Nonzero: smoothed (multisampled) edges.
  int32_t exclusiveMouse = 0;  // Nonzero: the cursor starts hidden and held.
  // Nonzero: no auto-pause, shader build reports on standard error and the
  // error log ends with the last error's code and line.
  int32_t debugMode = 0;
};

// Hands the filled record to the engine; EngineStart opens the window with
// it. A later call replaces the record as well (the debug switches and the
// exclusive mouse are read where they matter), but the open window changes
// only through SetScreenMode.
void SetProjectSettings(const ProjectSettings& settings);
// The settings in force: what the program handed over, with the screen
// size and mode SetScreenMode and the mode-switch key chose since.
const ProjectSettings& CurrentProjectSettings();
