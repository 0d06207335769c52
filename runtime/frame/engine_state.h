// The process-wide record through which every command reaches the services,
// and the settings a program fills before the engine starts.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/rt_string.h"

// Services owned by the engine; each is defined by its own subsystem.
class RareDEZazovire;
class Dovurezi3D;
struct NetLink;
struct InputState;
class SoundDevice;
struct SoundSlot;
struct ArchiveSource;
namespace plat {
struct Window;
}

struct ProjectSettings {
  int32_t screenWidth = 320;
  int32_t screenHeight = 240;
  int32_t fullScreen = 1;
  int32_t frameRate = 60;
  int32_t multisample = 0;
  int32_t exclusiveMouse = 0;
  int32_t debugMode = 0;
};

struct EngineState {
  RareDEZazovire* renderer = nullptr;
  Dovurezi3D* renderer3D = nullptr;
  NetLink* network = nullptr;
  InputState* input = nullptr;
  SoundDevice* soundDevice = nullptr;
  SoundSlot* soundSlots = nullptr;
  ArchiveSource* dataArchive = nullptr;
  ArchiveSource* musicArchive = nullptr;
  plat::Window* window = nullptr;
  RtString appName;
  uint8_t autoPause = 1;
  uint8_t paused = 0;
  uint8_t escapeQuits = 1;
  int32_t currentFont = 0;
  double frameTimeNow = 0;
  double frameTimePrev = 0;
  double startTime = 0;
  double errorCode = 0;
  double errorLine = 0;
  double currentModule = 0;
  double currentLine = 0;
  RtString commandLine;

  // Held keys in scan-code numbering, sampled once per frame (0x80 = down).
  uint8_t keys[256] = {};
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

extern ProjectSettings g_settings;
extern EngineState g_engine;

// Appends one line (CR LF ended) to the error log; a null text writes "NULL".
void AppendErrorLog(const char* text);
// The system's temporary directory followed directly by "ErrorLog.txt".
std::string ErrorLogPath();
plat::Window* MainWindowHandle();
