// Full screen, windowed and hidden modes. Full screen is a desktop-sized
// borderless window showing the logical screen at the largest whole scale:
// it stands in for changing the display mode, which today's monitors cannot
// do at small sizes. The same window and GL context serve every mode.
#include "runtime/frame/screen_mode.h"

#include "runtime/core/error_log.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/renderer.h"
#include "runtime/platform/clock.h"
#include "runtime/render/screen_buffer.h"

namespace {
bool g_placed = false;  // the window has been centred once
}

bool EnterFullScreen(Renderer* r) {
  if (!r || !r->window) return false;
  if (!plat::SetFullScreen(r->window, true)) {
    plat::Beep();
    AppendErrorLog("No Fullscreen Mode available");
    EnterWindowed(r);
    return false;
  }
  plat::ShowWindow(r->window);
  plat::RaiseWindow(r->window);
  BindScreen();
  r->fullScreen = 1;
  // A mode change must not be followed by a burst of catch-up frames.
  FrameClockState().nextFrameTime = plat::NowMs();
  return true;
}

bool EnterWindowed(Renderer* r) {
  if (!r || !r->window) return false;
  if (r->fullScreen || plat::IsWindowFullScreen(r->window)) plat::SetFullScreen(r->window, false);
  int cw = 0, ch = 0;
  r->WindowedClientSize(&cw, &ch);
  plat::SetWindowClientSize(r->window, cw, ch);
  if (!g_placed) {
    int dw = 0, dh = 0, bits = 0;
    plat::GetDesktopMode(&dw, &dh, &bits);
    plat::SetWindowPosition(r->window, (dw - cw) / 2, (dh - ch) / 2);
    g_placed = true;
  }
  plat::ShowWindow(r->window);
  plat::RaiseWindow(r->window);
  BindScreen();
  r->fullScreen = 0;
  return true;
}

bool HideWindow(Renderer* r) {
  if (!r || !r->window) return false;
  if (r->fullScreen) plat::SetFullScreen(r->window, false);
  plat::HideWindow(r->window);
  r->fullScreen = 0;
  return true;
}

void ApplyScreenMode(int width, int height, int fullScreen) {
  Renderer* r = g_engine.renderer;
  if (!r) return;
  const ScreenBuffer& screen = LogicalScreen();
  const bool resized =
      (width > 0 && width != screen.width) || (height > 0 && height != screen.height);
  if (resized)
    CreateScreenBuffer(width > 0 ? width : screen.width, height > 0 ? height : screen.height);
  if (fullScreen)
    EnterFullScreen(r);
  else
    EnterWindowed(r);
  g_engine.window = r->window;
  SubsystemsWindowChanged({r->window, g_settings.exclusiveMouse != 0});
}
