#include "runtime/frame/startup.h"

#include <cstdio>
#include <string>

#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/renderer.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/frame/service_hooks.h"
#include "runtime/platform/platform.h"

void EngineStart(void* instance, void*, const char*, int showCommand, const char* title) {
  if (!title) title = "";
  std::remove(ErrorLogPath().c_str());
  g_engine.autoPause = 1;
  // The clock needs no choosing: the platform's is monotonic and finer than
  // a millisecond everywhere.
  AppendErrorLog("Init GFX");

  g_engine.renderer = new RareDEZazovire();
  if (!CreateGLWindow(g_engine.renderer, instance, g_settings.screenWidth, g_settings.screenHeight,
                      0, g_settings.frameRate, g_settings.multisample, g_settings.fullScreen)) {
    return;
  }
  g_engine.window = g_engine.renderer->window;
  plat::SetWindowTitle(g_engine.window, title);
  g_engine.appName = RtString(title);

  // startTime is still 0, so this is the raw clock.
  hooks::SeedRandom(static_cast<int>(static_cast<long long>(ElapsedTime())));

  AppendErrorLog("Init Network");
  hooks::CreateNetwork();
  hooks::Create3DRenderer();
  AppendErrorLog("Init Input");
  hooks::CreateInput();
  AppendErrorLog("Init Sound");
  hooks::CreateSound();

  AppendErrorLog("Init Window");
  if (g_settings.fullScreen == 0)
    EnterWindowed(g_engine.renderer);
  else
    EnterFullScreen(g_engine.renderer);
  g_engine.window = g_engine.renderer->window;
  hooks::AttachInputAndSound(g_engine.window, instance, g_settings.exclusiveMouse != 0);

  g_engine.currentFont = 0;
  const std::string exePath = plat::ExecutablePath();
  hooks::CreateArchives(exePath);
  const size_t cut = exePath.find_last_of("/\\");
  if (cut != std::string::npos) plat::SetCurrentDirectory(exePath.substr(0, cut));

  hooks::ClearScreen();
  g_engine.frameTimeNow = g_engine.frameTimePrev = g_engine.startTime = TimerNow();
  PresentFrame(g_engine.renderer);
  hooks::ResetDrawArea();

  hooks::LoadBuiltInFont();
  hooks::ShowLoadingText();
  EndFrame();
  hooks::LoadDefaultFont();

  g_engine.paused = 0;
  g_engine.frameTimeNow = g_engine.frameTimePrev = g_engine.startTime = TimerNow();
  if (showCommand == 0) HideWindow(g_engine.renderer);
  hooks::ApplyMouseMode();
  hooks::EnsureProcessExitCleanup();
  g_engine.started = true;
  AppendErrorLog("Init Finalized");
}
