// The engine's lifecycle in one list, top to bottom: the start-up order,
// the window hand-over, the steps of every frame and the shutdown order.
// Each subsystem's own start, frame, window and shutdown functions do their
// part; only this file decides when.
#include "runtime/frame/lifecycle.h"

#include <cstdio>
#include <functional>
#include <string>

#include "runtime/audio/audio_service.h"
#include "runtime/core/command_values.h"
#include "runtime/core/error_log.h"
#include "runtime/core/load_report.h"
#include "runtime/core/random.h"
#include "runtime/core/runtime_error.h"
#include "runtime/files/files_service.h"
#include "runtime/frame/deterministic_run_internal.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/renderer.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/frame/startup.h"
#include "runtime/frame/video_recording.h"
#include "runtime/gfx2d/gfx2d_service.h"
#include "runtime/gfx3d/gfx3d_service.h"
#include "runtime/gfx3d/shader_program.h"
#include "runtime/host/host_service.h"
#include "runtime/input/input_service.h"
#include "runtime/net/net_service.h"
#include "runtime/platform/process.h"
#include "runtime/platform/window.h"

namespace {

std::function<void(const char*)> g_shutdownObserver;
bool g_shutdownDone = false;

void Step(const char* name) {
  if (g_shutdownObserver) g_shutdownObserver(name);
}

// A deterministic run that waits for the engine has its recording mixer
// ready; every other start opens the device.
void StartSound() {
  if (auto mixer = TakeDeterministicMixer()) {
    AudioStartWith(std::move(mixer));
  } else {
    AudioStart();
  }
}

void ResetFrameTimes() {
  FrameClock& clock = FrameClockState();
  clock.frameTimeNow = clock.frameTimePrev = clock.startTime = TimerNow();
}

}  // namespace

// ---- start-up ----

void EngineStart(void* instance, void*, const char*, int showCommand, const char* title) {
  if (!title) title = "";
  std::remove(ErrorLogPath().c_str());
  g_engine.autoPause = 1;
  // Someone debugging sees a failed load where the program runs.
  SetLoadFailuresToStandardError(g_settings.debugMode != 0);
  // The clock needs no choosing: the platform's is monotonic and finer than
  // a millisecond everywhere.
  AppendErrorLog("Init GFX");

  g_engine.renderer = new Renderer();
  if (!CreateGLWindow(g_engine.renderer, instance, g_settings.screenWidth, g_settings.screenHeight,
                      0, g_settings.frameRate, g_settings.multisample, g_settings.fullScreen)) {
    return;
  }
  g_engine.window = g_engine.renderer->window;
  plat::SetWindowTitle(g_engine.window, title);
  g_engine.appName = RtString(title);

  // startTime is still 0, so this is the raw clock.
  RandomSeed(static_cast<int>(static_cast<long long>(ElapsedTime())));

  AppendErrorLog("Init Network");
  NetStart();
  Gfx3dStart();
  // Shader build reports go to the debug output only in debug mode.
  if (g_settings.debugMode) gfx3d::SetShaderReporter(gfx3d::ReportToDebugOutput);
  AppendErrorLog("Init Input");
  InputStart();
  AppendErrorLog("Init Sound");
  StartSound();
  HostStart();

  AppendErrorLog("Init Window");
  if (g_settings.fullScreen == 0)
    EnterWindowed(g_engine.renderer);
  else
    EnterFullScreen(g_engine.renderer);
  g_engine.window = g_engine.renderer->window;
  SubsystemsWindowChanged({g_engine.window, g_settings.exclusiveMouse != 0});

  const std::string exePath = plat::ExecutablePath();
  FilesStart(exePath);
  // A program with an entry of its own still gets the user's directory.
  RememberStartDirectory();
  const size_t cut = exePath.find_last_of("/\\");
  if (cut != std::string::npos) plat::SetCurrentDirectory(exePath.substr(0, cut));

  // The 2D subsystem clears the screen, draws "Loading..." in the built-in
  // font and loads the default font; this frame end shows the text.
  ResetFrameTimes();
  PresentBlankFrame(g_engine.renderer);
  Gfx2dStart();
  EndFrame();

  g_engine.paused = 0;
  ResetFrameTimes();
  if (showCommand == 0) HideWindow(g_engine.renderer);
  // Only the cursor depends on whether the window shows.
  InputWindowChanged({g_engine.window, g_settings.exclusiveMouse != 0});
  EnsureFilesWrittenBackAtExit();
  g_engine.started = true;
  FinishDeterministicRunStart();
  AppendErrorLog("Init Finalized");
}

// ---- restarts ----

void RestartSound() {
  AudioShutdown();
  StartSound();
}

// ---- window and frames ----

void SubsystemsWindowChanged(const WindowChange& change) {
  Gfx2dWindowChanged(change);
  InputWindowChanged(change);
  AudioWindowChanged(change);
  HostWindowChanged(change);
}

void SubsystemFramesBeforePresent() {
  InputFrame();
  if (QuitKeysHeld() || WatcherQuitKeysPressed()) End();
  Gfx3dFrame();
  AudioFrame();
}

void SubsystemFramesAfterPresent() {
  Gfx2dFrame();
}

// ---- shutdown ----

// Tests watch the shutdown order through this.
void SetShutdownObserver(std::function<void(const char*)> observer) {
  g_shutdownObserver = std::move(observer);
}

void ShutdownEngine() {
  if (g_shutdownDone) return;
  g_shutdownDone = true;

  // First, while nothing is torn down: a video that cannot be completed
  // must make the program's end a failure, not pass for success.
  std::string videoError;
  if (!FinishVideoRecording(&videoError)) {
    StdErr(RtString((videoError + "\n").c_str()));
    if (RuntimeErrors().errorCode == 0) SetRuntimeError(kErrFileIo);
  }

  Step("files");
  FilesCloseChannels();

  Step("directory");
  std::string dir = plat::ExecutablePath();
  while (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir.pop_back();
  if (!dir.empty()) plat::SetCurrentDirectory(dir);

  Step("music");
  AudioStopMusic();

  Step("renderer");
  Gfx3dShutdown();
  if (Renderer* r = g_engine.renderer) {
    // The 2D graphics release their textures while the context is current.
    if (r->window && plat::HasGLContext()) {
      plat::MakeCurrent(r->window);
      Gfx2dBeforePresent();
      Gfx2dShutdown();
    }
    DestroyRenderer(r);
    delete r;
    g_engine.renderer = nullptr;
  }

  Step("input");
  InputShutdown();

  // The sound layer releases its slots last to first, then the device.
  Step("sound slots");
  Step("sound device");
  AudioShutdown();

  Step("network");
  NetShutdown();

  Step("archives");
  FilesShutdown();
  HostShutdown();

  Step("window");
  g_engine.window = nullptr;
  plat::Quit();
}
