#include "runtime/frame/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/audio/audio_service.h"
#include "runtime/core/runtime_error.h"
#include "runtime/frame/deterministic_run_internal.h"
#include "runtime/frame/engine_state.h"
#include "runtime/frame/frame_clock.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/renderer.h"
#include "runtime/frame/screen_mode.h"
#include "runtime/gfx2d/gfx2d_service.h"
#include "runtime/gfx3d/gfx3d_service.h"
#include "runtime/input/input_service.h"
#include "runtime/platform/clock.h"
#include "runtime/render/screen_buffer.h"

namespace {

// The platform's sleep is precise to a few tens of microseconds, so the
// wait sleeps until this close to the slot and spins only the rest. Late
// wake-ups come in two kinds: a timer that is always late by about the
// same amount, which the wait takes off the next sleeps, and a busy
// machine's scattered delays, which the spin margin grows to cover up to
// kMaxSpinMs and shrinks back from within about ten frames: such delays
// mostly come alone, so a margin kept wide for long after one costs spin
// time and rarely catches the next. Delays longer than that come
// from a crowded scheduler, which a longer spin would only crowd further,
// so the cap also bounds the wait's CPU.
// The spin reads the clock only: pumping window messages there costs a
// socket round trip per turn and was most of the wait's CPU.
constexpr double kSpinMs = 0.25;
constexpr double kMaxSpinMs = 0.75;
constexpr double kMaxSteadyLatenessMs = 2.0;
constexpr double kSpinShrink = 0.9;
// Messages are dispatched at least this often while waiting, whatever the
// frame rate, so the window never stops answering. Longer than a frame at
// 60 Hz, so such a frame sleeps once: every wake-up costs a pair of context
// switches and a round of messages.
constexpr double kMaxSleepMs = 20.0;
// The pause loop checks for reactivation this often.
constexpr double kPauseSleepMs = 100.0;

// The least lateness among the latest sleeps: what every sleep costs.
double SteadyLateness(const FrameClock& clock) {
  if (clock.latenessCount == 0) return 0;
  const int n = std::min(clock.latenessCount, FrameClock::kLatenessWindow);
  return std::min(*std::min_element(clock.recentLateness, clock.recentLateness + n),
                  kMaxSteadyLatenessMs);
}

void RecordLateness(FrameClock& clock, double late) {
  clock.recentLateness[clock.latenessCount % FrameClock::kLatenessWindow] = late;
  ++clock.latenessCount;
  // Wraps without changing which samples the window holds.
  if (clock.latenessCount == 2 * FrameClock::kLatenessWindow)
    clock.latenessCount = FrameClock::kLatenessWindow;
}

// Tells the core it is in a spin, which lets a sibling hardware thread run.
inline void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

void Delay(double ms) {
  if (!(ms >= 1)) return;  // also rejects NaN
  const double whole =
      std::trunc(std::min(ms, static_cast<double>(std::numeric_limits<int>::max())));
  plat::SleepMs(whole);
}

void SetFrameRate(double fps) {
  FrameClockState().msPerFrame = MsPerFrameFor(fps);
}

int IsFullScreen() {
  return g_engine.renderer && g_engine.renderer->fullScreen ? 1 : 0;
}

void SetAutoPause(int flag) {
  g_engine.autoPause = flag != 0 ? 1 : 0;
}

int PumpMessages(Renderer*) {
  plat::PollEvents(HandleWindowEvent);
  return 1;
}

namespace {

// Holds the absolute schedule: returns at the frame's slot, keeping the
// window answering meanwhile. Returns the milliseconds waited plus one.
double WaitForFrameSlot(Renderer* r) {
  FrameClock& clock = FrameClockState();
  if (g_engine.firstFrameShownAt == 0) g_engine.firstFrameShownAt = TimerNow();
  if (!plat::ActiveClock().PacedInRealTime()) {
    PumpMessages(r);
    return 1;
  }

  // The wait keeps real time even when the program reads a stepped clock.
  const double start = plat::NowMs();
  double t = start;
  PumpMessages(r);
  for (;;) {
    t = plat::NowMs();
    const double steady = SteadyLateness(clock);
    const double untilSpin = clock.nextFrameTime - t - clock.spinMs - steady;
    const double asked = std::min(untilSpin, kMaxSleepMs);
    if (asked <= 0) break;
    plat::SleepMs(asked);
    const double woke = plat::NowMs();
    const double late = std::max(0.0, woke - t - asked);
    RecordLateness(clock, late);
    // Only the sleep that ends in the spin can make the frame late; an
    // earlier one's delay is made up by the sleep after it.
    if (asked == untilSpin) {
      const double spread = std::max(0.0, late - steady);
      clock.spinMs =
          std::clamp(std::max(spread + 0.1, clock.spinMs * kSpinShrink), kSpinMs, kMaxSpinMs);
    }
    // Another sleep follows: answer the window between the two.
    if (clock.nextFrameTime - woke > clock.spinMs + SteadyLateness(clock)) PumpMessages(r);
  }
  while (t <= clock.nextFrameTime) {
    SpinPause();
    t = plat::NowMs();
  }
  clock.nextFrameTime += clock.msPerFrame;
  if (clock.msPerFrame > 0) {
    // Missed slots are skipped, never caught up: jump straight to the first
    // slot after now instead of adding one period at a time.
    if (t > clock.nextFrameTime) {
      const double behind = std::floor((t - clock.nextFrameTime) / clock.msPerFrame) + 1;
      clock.nextFrameTime += behind * clock.msPerFrame;
    }
  }
  return (t - start) + 1;
}

}  // namespace

double PresentFrame(Renderer* r) {
  if (!r) return 1;
  Gfx2dBeforePresent();
  ShowScreen(r->window);
  return WaitForFrameSlot(r);
}

double PresentBlankFrame(Renderer* r) {
  if (!r) return 1;
  ShowBlankScreen(r->window);
  return WaitForFrameSlot(r);
}

void EndFrame() {
  Renderer* r = g_engine.renderer;
  FrameClock& clock = FrameClockState();
  if (g_settings.debugMode && g_engine.debugBreakShown) {
    g_engine.debugBreakShown = false;
    plat::ShowWindow(g_engine.window);
    plat::RaiseWindow(g_engine.window);
  }
  if (g_engine.started) ShowPendingSoftwareRendererBox();
  BeginDeterministicFrame();
  clock.frameTimePrev = clock.frameTimeNow;
  clock.frameTimeNow = TimerNow();

  // Music started since the last frame, with the application focused, ends
  // the pause (a later deactivation has already dropped that request).
  if (AudioTakePauseRelease()) g_engine.paused = 0;
  while (g_engine.paused) {
    AudioFrame();
    PumpMessages(r);
    if (!g_engine.paused) break;
    plat::SleepMs(kPauseSleepMs);
  }

  SubsystemFramesBeforePresent();
  PumpMessages(r);
  if (g_engine.modeToggleRequested) {
    g_engine.modeToggleRequested = false;
    if (r) {
      g_settings.fullScreen = r->fullScreen ? 0 : 1;
      ApplyScreenMode(0, 0, g_settings.fullScreen);
    }
  }
  PresentFrame(r);
  SubsystemFramesAfterPresent();
  EndDeterministicFrame();
}

void SetScreenMode(int width, int height, int fullScreen) {
  g_settings.screenWidth = width;
  g_settings.screenHeight = height;
  g_settings.fullScreen = fullScreen;
  ApplyScreenMode(width, height, fullScreen);
  for (int i = 0; i < 5; ++i) EndFrame();
}
