// The renderer: creating the window and its OpenGL context, the
// software-renderer check, the window procedure and the renderer's teardown.
#include "runtime/frame/renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/audio/audio_service.h"
#include "runtime/core/error_log.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/deterministic_run.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/input/input_service.h"
#include "runtime/input/key_codes.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/input_devices.h"
#include "runtime/platform/window.h"
#include "runtime/render/gl_info.h"
#include "runtime/render/screen_buffer.h"

namespace {

bool g_softwareReported = false;
std::string g_rendererName;
bool g_rendererNameFetched = false;

constexpr const char* kSoftwareCaption = "!!OpenGL Software Emulation!!";
constexpr const char* kSoftwareText =
    "Please update your GFX adapter's driver\nso it can render OpenGL by HARDWARE\n\n\n"
    "Bitte aktualisieren Sie Ihren\nGrafkkartentreiber, damit er OpenGL\nper HARDWARE "
    "unterst\xC3\xBCtzt!";

// The box waits for the program's first frame: by then a scripted run that
// the program starts after EngineStart is known, and must not be held up.
bool g_softwareBoxPending = false;
bool g_softwareBoxAllowed = true;

void CheckSoftwareRenderer() {
  if (g_softwareReported) return;
  if (!g_rendererNameFetched) {
    g_rendererName = GlRendererName();
    g_rendererNameFetched = true;
  }
  if (!IsSoftwareRenderer(g_rendererName.c_str())) return;
  g_softwareReported = true;
  g_softwareBoxPending = true;
  AppendErrorLog("OpenGL Software Emulation");
}

// Keys come from a script rather than a person: nobody is there to answer.
bool InputIsScripted() {
  return DeterministicRunActive() ||
         dynamic_cast<plat::ScriptedInputDevices*>(&plat::ActiveInputDevices()) != nullptr;
}

}  // namespace

bool SoftwareRendererBoxWanted(bool programAllows, const char* environmentValue, bool scripted,
                               bool displayShowsBoxes) {
  const bool environmentForbids =
      environmentValue && *environmentValue && std::strcmp(environmentValue, "0") != 0;
  return programAllows && !environmentForbids && !scripted && displayShowsBoxes;
}

void SetSoftwareRendererBox(int flag) {
  g_softwareBoxAllowed = flag != 0;
}

void ShowPendingSoftwareRendererBox() {
  if (!g_softwareBoxPending) return;
  g_softwareBoxPending = false;
  if (!SoftwareRendererBoxWanted(g_softwareBoxAllowed, std::getenv(kNoSoftwareBoxVariable),
                                 InputIsScripted(), plat::DisplayShowsBoxes())) {
    return;
  }
  const double shown = plat::NowMs();
  plat::ShowMessageBox(plat::BoxIcon::kWarning, kSoftwareCaption, kSoftwareText);
  const double waited = plat::NowMs() - shown;
  g_engine.modalWaitMs += waited;
  // The time the box was up is not the program's: its frame time and
  // elapsed time go on from where they were, and the schedule from now.
  FrameClock& clock = FrameClockState();
  clock.frameTimeNow += waited;
  clock.startTime += waited;
  clock.nextFrameTime = plat::NowMs();
  // The box took the focus from the window; that is no reason to pause,
  // and without a window manager the focus may never come back by itself.
  plat::PollEvents(HandleWindowEvent);
  if (g_engine.paused) {
    g_engine.paused = 0;
    if (g_engine.window) plat::SetWindowTitle(g_engine.window, g_engine.appName.c_str());
  }
  if (g_engine.window) plat::RaiseWindow(g_engine.window);
}

bool IsSoftwareRenderer(const char* name) {
  if (!name) return false;
  if (std::strcmp(name, "Mesa Windows GDI Driver") == 0) return true;
  // Mesa's CPU rasterisers; GDI's generic format has no counterpart here.
  return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") ||
         std::strstr(name, "Software Rasterizer");
}

bool CreateGLWindow(Renderer* r, void* instance, int width, int height, int colourBits,
                    int frameRate, int multisample, int fullScreen) {
  (void)fullScreen;  // the window always starts windowed; the caller picks the mode
  FrameClock& clock = FrameClockState();
  clock.msPerFrame = MsPerFrameFor(frameRate);
  if (!plat::Init()) return false;
  r->instance = instance;
  r->multisample = multisample;

  int deskW = 0, deskH = 0, deskBits = 0;
  plat::GetDesktopMode(&deskW, &deskH, &deskBits);
  if (width <= 0) width = deskW;
  if (height <= 0) height = deskH;
  ScreenBuffer& screen = LogicalScreen();
  screen.width = width;
  screen.height = height;
  r->colourBits = colourBits != 0 ? colourBits : deskBits;
  r->fullScreen = 0;

  int cw = 0, ch = 0;
  r->WindowedClientSize(&cw, &ch);
  if (!r->window) {
    r->window = plat::CreateWindow("Brakmor", cw, ch);
    if (!r->window) return false;
  }
  if (!plat::CreateGLContext(r->window)) {
    plat::DestroyWindow(r->window);
    r->window = nullptr;
    return false;
  }
  plat::SetSwapInterval(0);

  r->multisample = 0;
  CheckSoftwareRenderer();

  clock.nextFrameTime = plat::NowMs();
  LoadArbFunctions();

  AppendErrorLog("FBO");
  LoadFramebufferFunctions();
  // A multisample request is an on/off switch; the driver picks the count.
  screen.samples = multisample ? ChooseMultisampleFormat(0) : 0;
  if (!CreateScreenBuffer(width, height)) {
    std::fprintf(stderr, "the logical screen could not be made (framebuffer objects missing)\n");
    plat::DestroyWindow(r->window);
    r->window = nullptr;
    return false;
  }
  plat::ShowWindow(r->window);
  AppendErrorLog("Viewport");
  BindScreen();
  AppendErrorLog("GFX seem OK");
  r->glReady = 1;
  return true;
}

void DestroyRenderer(Renderer* r) {
  if (!r) return;
  // Leave full screen so the desktop is as it was; a window going away
  // must not be shown, moved or resized first.
  if (r->window && r->fullScreen) plat::SetFullScreen(r->window, false);
  r->fullScreen = 0;
  DestroyScreenBuffer();
  // Releasing the context flushes what the last frame drew, and nothing
  // waits for that work: Mesa's llvmpipe can then still hold it queued when
  // closing the X connection stops its rasteriser threads, and one thread
  // starts the work while the other quits, so closing waits forever (seen
  // in SDL_Quit, when a quit key ended a frame half drawn). Waiting for it
  // here leaves the threads idle.
  FinishDrawing();
  plat::ReleaseCurrent();
  plat::DestroyWindow(r->window);
  r->window = nullptr;
  plat::DestroyGLContext();
  r->glReady = 0;
}

void HandleWindowEvent(const plat::WindowEvent& e) {
  switch (e.kind) {
    case plat::WindowEvent::kActivated:
    case plat::WindowEvent::kDeactivated: {
      if (g_settings.debugMode != 0 || !g_engine.autoPause) return;
      const bool inactive = e.kind == plat::WindowEvent::kDeactivated;
      if (inactive) {
        RtString title = g_engine.appName + " <pause>";
        plat::SetWindowTitle(g_engine.window, title.c_str());
      } else {
        plat::SetWindowTitle(g_engine.window, g_engine.appName.c_str());
      }
      // Overrides a pause release that music asked for before this event.
      AudioTakePauseRelease();
      g_engine.paused = inactive ? 1 : 0;
      return;
    }
    case plat::WindowEvent::kCloseRequested:
      ExitProgram();
    case plat::WindowEvent::kKeyDown:
      // Alt+Enter: the switch every player tries first.
      if (e.key == keys::kReturn && e.alt && !e.repeat) {
        g_engine.modeToggleRequested = true;
        // The switch's Return is not the program's: at a menu it would
        // confirm whatever is chosen.
        InputWithholdKey(keys::kReturn);
      }
      return;
    default:
      return;
  }
}

void Renderer::WindowedClientSize(int* cw, int* ch) const {
  int dw = 0, dh = 0, bits = 0;
  plat::GetDesktopMode(&dw, &dh, &bits);
  const ScreenBuffer& screen = LogicalScreen();
  const int w = std::max(1, static_cast<int>(screen.width));
  const int h = std::max(1, static_cast<int>(screen.height));
  const int scale = std::max(1, std::min(dw * 8 / 10 / w, dh * 8 / 10 / h));
  *cw = w * scale;
  *ch = h * scale;
}
