#include "examples/frames/pacing_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "runtime/runtime.h"

namespace {

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
  return v[std::min(i, v.size() - 1)];
}

double EpochSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The process's own CPU time, every thread (the renderer's too), in ms.
double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(u.ru_utime) + ms(u.ru_stime);
}

// The machine's one-minute load average, so a reader can tell a busy run
// from a slow program; "?" where the system does not say.
std::string MachineLoad() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  if (!(in >> oneMinute)) return "?";
  return oneMinute;
}

}  // namespace

void RunPacingReport(int frames, double launchedAt) {
  const double period = 1000.0 / 60.0;
  // The first frame was shown during start-up; carry its time over from the
  // runtime's clock to the epoch clock the launch time is in.
  const double firstFrameEpoch = EpochSeconds() - (TimerNow() - FirstFrameShownAt()) / 1000.0;
  EndFrame();

  std::vector<double> t;
  t.reserve(static_cast<size_t>(frames));
  const std::string loadBefore = MachineLoad();
  const double cpu0 = ProcessCpuMs();
  const double wall0 = TimerNow();
  for (int k = 0; k < frames; ++k) {
    EndFrame();
    t.push_back(TimerNow());
  }
  const double cpuMs = ProcessCpuMs() - cpu0;
  const double wallMs = TimerNow() - wall0;
  const std::string load = "load " + loadBefore + " -> " + MachineLoad();

  std::vector<double> intervalError, lateness;
  for (size_t k = 1; k < t.size(); ++k)
    intervalError.push_back(std::fabs(t[k] - t[k - 1] - period));
  // The ideal schedule is anchored where the median frame sits, so one late
  // first frame does not skew every other lateness.
  std::vector<double> offsets;
  for (size_t k = 0; k < t.size(); ++k) offsets.push_back(t[k] - t[0] - k * period);
  const double anchor = Percentile(offsets, 0.5);
  for (double o : offsets) lateness.push_back(o - anchor);
  const size_t n = std::min<size_t>(60, t.size() / 2);
  double head = 0, tail = 0;
  for (size_t k = 0; k < n; ++k) {
    head += offsets[k];
    tail += offsets[t.size() - 1 - k];
  }
  const double drift = n ? (tail - head) / static_cast<double>(n) : 0;

  std::printf("frames %zu, period %.3f ms, run %.1f ms\n", t.size(), period, wallMs);
  std::printf("interval error ms: p50 %.4f  p99 %.4f  max %.4f  (%s)\n",
              Percentile(intervalError, 0.5), Percentile(intervalError, 0.99),
              Percentile(intervalError, 1.0), load.c_str());
  std::vector<double> absLate;
  for (double l : lateness) absLate.push_back(std::fabs(l));
  std::printf("lateness vs schedule ms: p50 %.4f  p99 %.4f  max %.4f  (%s)\n",
              Percentile(absLate, 0.5), Percentile(absLate, 0.99), Percentile(absLate, 1.0),
              load.c_str());
  std::printf("drift over the run ms: %.4f\n", drift);
  std::printf("cpu (process, all threads): %.1f ms over %.1f ms = %.2f%% of one core  (%s)\n",
              cpuMs, wallMs, 100.0 * cpuMs / wallMs, load.c_str());
  if (launchedAt > 0) {
    std::printf("launch to first presented frame ms: %.1f  (load %s)\n",
                (firstFrameEpoch - launchedAt) * 1000.0, loadBefore.c_str());
  }
  std::fflush(stdout);
}
