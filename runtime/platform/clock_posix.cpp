// The real clock: CLOCK_MONOTONIC, and sleeps against an absolute deadline.
#include <time.h>

#include <cerrno>
#include <functional>

#include "runtime/platform/clock.h"
#include "runtime/platform/test_backend.h"

namespace plat {
namespace {

std::function<double()> g_testNow;
std::function<void(double)> g_testSleep;
Clock* g_installed = nullptr;

double RealNowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1.0e6;
}

void RealSleepMs(double ms) {
  if (!(ms > 0)) return;
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

double RealClock::NowMs() const {
  return plat::NowMs();
}

Clock& ActiveClock() {
  static RealClock real;
  return g_installed ? *g_installed : real;
}

void InstallClock(Clock* clock) {
  g_installed = clock;
}

void SetTestClock(std::function<double()> now, std::function<void(double)> sleep) {
  g_testNow = std::move(now);
  g_testSleep = std::move(sleep);
}
}  // namespace plat
