#include "runtime/frame/frame_clock.h"

#include <cmath>
#include <limits>

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
