// The clock: CLOCK_MONOTONIC, and sleeps against an absolute deadline.
#include <time.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <functional>

#include "runtime/platform/clock.h"
#include "runtime/platform/test_backend.h"

namespace plat {
namespace {

std::function<double()> g_testNow;
std::function<void(double)> g_testSleep;

double RealNowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1.0e6;
}

// Linux lets a sleep end up to 50 microseconds late by default so that
// timers can be grouped; a frame wait spins through whatever a sleep may
// overshoot, so a thread that sleeps here asks for the timer's own
// precision instead.
void TightenTimerSlack() {
#if defined(__linux__)
  thread_local bool tightened = false;
  if (tightened) return;
  tightened = true;
  prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
#endif
}

void RealSleepMs(double ms) {
  if (!(ms > 0)) return;
  TightenTimerSlack();
  // Absolute deadline so an interrupted sleep resumes toward the same point.
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long ns = static_cast<long long>(ms * 1.0e6);
  timespec until;
  until.tv_sec = now.tv_sec + ns / 1000000000LL;
  until.tv_nsec = now.tv_nsec + ns % 1000000000LL;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace

double NowMs() {
  return g_testNow ? g_testNow() : RealNowMs();
}

void SleepMs(double ms) {
  if (g_testSleep) {
    g_testSleep(ms);
    return;
  }
  RealSleepMs(ms);
}

void SetTestClock(std::function<double()> now, std::function<void(double)> sleep) {
  g_testNow = std::move(now);
  g_testSleep = std::move(sleep);
}
}  // namespace plat
