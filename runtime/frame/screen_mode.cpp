// Full screen, windowed and hidden modes. Full screen is a desktop-sized
// borderless window showing the logical screen at the largest whole scale:
// it stands in for changing the display mode, which today's monitors cannot
// do at small sizes. The same window and GL context serve every mode.
#include "runtime/frame/screen_mode.h"

#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/renderer.h"
#include "runtime/frame/service_hooks.h"

namespace {
bool g_placed = false;  // the window has been centred once
}

bool EnterFullScreen(RareDEZazovire* r) {
  if (!r || !r->window) return false;
  if (!plat::SetFullScreen(r->window, true)) {
    plat::Beep();
    AppendErrorLog("No Fullscreen Mode available");
    EnterWindowed(r);
    return false;
  }
  plat::ShowWindow(r->window);
  plat::RaiseWindow(r->window);
  r->BindScreen();
  hooks::ResetDrawArea();
  r->fullScreen = 1;
  // A mode change must not be followed by a burst of catch-up frames.
  r->nextFrameTime = TimerNow();
  return true;
}

bool EnterWindowed(RareDEZazovire* r) {
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
  r->BindScreen();
  hooks::ResetDrawArea();
  r->fullScreen = 0;
  return true;
}

bool HideWindow(RareDEZazovire* r) {
  if (!r || !r->window) return false;
  if (r->fullScreen) plat::SetFullScreen(r->window, false);
  plat::HideWindow(r->window);
  r->fullScreen = 0;
  return true;
}

void ApplyScreenMode(int width, int height, int fullScreen) {
  RareDEZazovire* r = g_engine.renderer;
  if (!r) return;
  const bool resized =
      (width > 0 && width != r->screenWidth) || (height > 0 && height != r->screenHeight);
  if (width > 0) r->screenWidth = width;
  if (height > 0) r->screenHeight = height;
  if (resized) r->CreateScreenBuffer();
  if (fullScreen)
    EnterFullScreen(r);
  else
    EnterWindowed(r);
  g_engine.window = r->window;
  hooks::ApplyMouseMode();
  hooks::HandOverWindow(r->window);
}

void SetScreenMode(int width, int height, int fullScreen) {
  g_settings.screenWidth = width;
  g_settings.screenHeight = height;
  g_settings.fullScreen = fullScreen;
  ApplyScreenMode(width, height, fullScreen);
  for (int i = 0; i < 5; ++i) EndFrame();
}
