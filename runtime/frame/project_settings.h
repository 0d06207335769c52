// The settings a program fills before EngineStart: the logical screen's
// size, the starting screen mode, the frame rate and the debug switches.
#pragma once

#include <cstdint>

struct ProjectSettings {
  int32_t screenWidth = 320;
  int32_t screenHeight = 240;
  int32_t fullScreen = 1;
  int32_t frameRate = 60;
  int32_t multisample = 0;
  int32_t exclusiveMouse = 0;
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
