// The settings a program fills before EngineStart.
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

extern ProjectSettings g_settings;
