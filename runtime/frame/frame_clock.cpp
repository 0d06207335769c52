#include "runtime/frame/frame_clock.h"

#include <cmath>
#include <limits>

#include "runtime/platform/clock.h"

namespace {
FrameClock g_clock;
}

FrameClock& FrameClockState() {
  return g_clock;
}

double MsPerFrameFor(double fps) {
  // Truncation to a whole rate; anything that does not make a positive
  // whole number (NaN, below 1) paces at 2 ms.
  if (!(fps >= 1)) return 2.0;
  const double n = std::trunc(std::min(fps, static_cast<double>(std::numeric_limits<int>::max())));
  return 1000.0 / n;
}

double TimerNow() {
  return plat::ActiveClock().NowMs();
}

double ElapsedTime() {
  return TimerNow() - g_clock.startTime;
}

double FrameTime() {
  // Exact on a stepped clock, not a difference of two large readings.
  const double stepped = plat::ActiveClock().FrameMs();
  if (stepped > 0) return stepped;
  const double d = g_clock.frameTimeNow - g_clock.frameTimePrev;
  return d > 0 ? d : 1.0;
}
