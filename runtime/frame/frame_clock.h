// Frame pacing and frame timing in one record: the absolute schedule the
// frame wait holds, and the frame times programs read. The time itself comes
// from the installed clock (platform/clock.h): real, or a deterministic
// run's stepped clock.
#pragma once

struct FrameClock {
  // Milliseconds per frame (see MsPerFrameFor) and the TimerNow value at
  // which the next frame may be shown.
  double msPerFrame = 1000.0 / 60.0;
  double nextFrameTime = 0;
  // TimerNow at the latest and the previous EndFrame, and at the end of
  // start-up (ElapsedTime counts from it).
  double frameTimeNow = 0;
  double frameTimePrev = 0;
  double startTime = 0;
  // How close to the slot the wait stops sleeping and spins; it follows the
  // spread of the wake-up lateness it sees.
  double spinMs = 0.25;
  // The latest sleeps' lateness. Its minimum is the timer's steady offset,
  // which the wait takes off every sleep instead of spinning through it.
  // Two sleeps: one delay alone never counts as the timer's offset, and a
  // timer that turns late is caught up with within two frames.
  static constexpr int kLatenessWindow = 2;
  double recentLateness[kLatenessWindow] = {};
  int latenessCount = 0;
};

FrameClock& FrameClockState();

// Milliseconds per frame for a frame rate: 1000 / n for a positive whole
// rate n, else 2 (at most 500 frames a second).
double MsPerFrameFor(double fps);

// Milliseconds on the installed clock.
double TimerNow();
// Milliseconds since the end of start-up.
double ElapsedTime();
// Milliseconds between the latest two frame ends (never 0); a stepped
// clock's frame time exactly.
double FrameTime();
