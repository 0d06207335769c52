#include "runtime/frame/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/frame/engine_state.h"
#include "runtime/frame/program_end.h"
#include "runtime/frame/renderer.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/frame/service_hooks.h"

namespace {

// The platform's sleep is precise to a few tens of microseconds, so the
// wait sleeps until this close to the slot and spins only the rest. On a
// busy machine wake-ups come later; the margin then grows to cover what was
// seen (up to kMaxSpinMs) and shrinks back slowly once things calm down.
constexpr double kSpinMs = 0.5;
constexpr double kMaxSpinMs = 2.0;
double g_spinMs = kSpinMs;
// Messages are dispatched at least this often while waiting, whatever the
// frame rate, so the window never stops answering.
constexpr double kMaxSleepMs = 10.0;
// The pause loop checks for reactivation this often.
constexpr double kPauseSleepMs = 100.0;

}  // namespace

double TimerNow() {
  return plat::NowMs();
}

double ElapsedTime() {
  return TimerNow() - g_engine.startTime;
}

double FrameTime() {
  const double d = g_engine.frameTimeNow - g_engine.frameTimePrev;
  return d > 0 ? d : 1.0;
}

void Delay(double ms) {
  if (!(ms >= 1)) return;  // also rejects NaN
  const double whole =
      std::trunc(std::min(ms, static_cast<double>(std::numeric_limits<int>::max())));
  plat::SleepMs(whole);
}

double MsPerFrameFor(double fps) {
  // Truncation to a whole rate; anything that does not make a positive
  // whole number (NaN, below 1) paces at 2 ms.
  if (!(fps >= 1)) return 2.0;
  const double n = std::trunc(std::min(fps, static_cast<double>(std::numeric_limits<int>::max())));
  return 1000.0 / n;
}

void SetFrameRate(double fps) {
  if (g_engine.renderer) g_engine.renderer->msPerFrame = MsPerFrameFor(fps);
}

int IsFullScreen() {
  return g_engine.renderer && g_engine.renderer->fullScreen ? 1 : 0;
}

void SetAutoPause(int flag) {
  g_engine.autoPause = flag != 0 ? 1 : 0;
}

int PumpMessages(RareDEZazovire*) {
  plat::PollEvents(HandleWindowEvent);
  return 1;
}

double PresentFrame(RareDEZazovire* r) {
  if (!r) return 1;
  hooks::ReturnDrawingToScreen();
  r->ShowScreen();
  if (g_engine.firstFrameShownAt == 0) g_engine.firstFrameShownAt = TimerNow();

  const double start = TimerNow();
  double t = start;
  for (;;) {
    PumpMessages(r);
    t = TimerNow();
    const double remaining = r->nextFrameTime - t;
    if (remaining > g_spinMs) {
      const double asked = std::min(remaining - g_spinMs, kMaxSleepMs);
      plat::SleepMs(asked);
      const double late = TimerNow() - t - asked;
      g_spinMs = std::clamp(std::max(late + 0.1, g_spinMs * 0.98), kSpinMs, kMaxSpinMs);
      continue;
    }
    if (t > r->nextFrameTime) break;
  }
  r->nextFrameTime += r->msPerFrame;
  if (r->msPerFrame > 0) {
    // Missed slots are skipped, never caught up: jump straight to the first
    // slot after now instead of adding one period at a time.
    if (t > r->nextFrameTime) {
      const double behind = std::floor((t - r->nextFrameTime) / r->msPerFrame) + 1;
      r->nextFrameTime += behind * r->msPerFrame;
    }
  }
  return (t - start) + 1;
}

void EndFrame() {
  RareDEZazovire* r = g_engine.renderer;
  if (g_settings.debugMode && g_engine.debugBreakShown) {
    g_engine.debugBreakShown = false;
    plat::ShowWindow(g_engine.window);
    plat::RaiseWindow(g_engine.window);
  }
  g_engine.frameTimePrev = g_engine.frameTimeNow;
  g_engine.frameTimeNow = TimerNow();

  while (g_engine.paused) {
    hooks::ServiceMusicLoop();
    PumpMessages(r);
    if (!g_engine.paused) break;
    plat::SleepMs(kPauseSleepMs);
  }

  hooks::SampleInput();
  const uint8_t* keys = g_engine.keys;
  if (g_engine.escapeQuits && (keys[1] || keys[129])) End();
  if (keys[56] && keys[62]) End();

  hooks::EndStencilShadowPass();
  hooks::ServiceMusicLoop();
  PumpMessages(r);
  if (g_engine.modeToggleRequested) {
    g_engine.modeToggleRequested = false;
    if (r) {
      g_settings.fullScreen = r->fullScreen ? 0 : 1;
      ApplyScreenMode(0, 0, g_settings.fullScreen);
    }
  }
  PresentFrame(r);
  hooks::ResetFrameDrawState();
  hooks::ResetDrawArea();
}
