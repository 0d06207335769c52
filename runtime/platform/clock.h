// The monotonic clock and the precise sleep every timing command builds on.
#pragma once

namespace plat {

// Monotonic milliseconds with sub-millisecond resolution.
double NowMs();
// Sleeps for ms milliseconds with the system's finest timer (no whole-ms
// rounding); 0 or less returns at once.
void SleepMs(double ms);

}  // namespace plat
