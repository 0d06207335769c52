// The monotonic clock and the precise sleep every timing command builds on,
// and the clock the program's timing commands read: the real one, or a
// stepped one that a deterministic run installs.
#pragma once

namespace plat {

// Monotonic milliseconds with sub-millisecond resolution. Always real time
// (or the test clock), whichever clock is installed: pacing needs it.
double NowMs();
// Sleeps for ms milliseconds with the system's finest timer (no whole-ms
// rounding); 0 or less returns at once.
void SleepMs(double ms);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double NowMs() const = 0;
  // The exact length of a frame on a clock that advances by frames, 0 on
  // one that runs by itself.
  virtual double FrameMs() const = 0;
  // Whether a frame shown on this clock still waits for its slot in real
  // time (false: the frame wait returns at once).
  virtual bool PacedInRealTime() const = 0;
};

// The machine's monotonic clock (NowMs above).
class RealClock final : public Clock {
 public:
  double NowMs() const override;
  double FrameMs() const override { return 0; }
  bool PacedInRealTime() const override { return true; }
};

// A clock that advances one fixed frame time per ended frame. It reads
// origin plus frames times frame time: counting frames instead of summing
// milliseconds keeps every run's readings identical however long it lasts.
class SteppedClock final : public Clock {
 public:
  SteppedClock(double frameMs, bool paced) : frameMs_(frameMs), paced_(paced) {}
  double NowMs() const override { return originMs_ + static_cast<double>(frames_) * frameMs_; }
  double FrameMs() const override { return frameMs_; }
  bool PacedInRealTime() const override { return paced_; }

  void Step() { ++frames_; }
  long long Frames() const { return frames_; }
  // Reads ms from here on; the frame count starts again at 0.
  void Set(double ms) {
    originMs_ = ms;
    frames_ = 0;
  }

 private:
  double frameMs_;
  bool paced_;
  double originMs_ = 0;
  long long frames_ = 0;
};

// The clock every timing command reads: the real clock unless another was
// installed. Installing null restores the real clock; the caller keeps the
// installed clock alive until it is replaced.
Clock& ActiveClock();
void InstallClock(Clock* clock);

}  // namespace plat
