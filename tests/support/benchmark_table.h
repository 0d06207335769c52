// A benchmark reporter that prints the usual table and keeps every result's
// time per iteration (wall-clock and CPU, in seconds) by name, so a
// benchmark can print ratios measured in the same run when it finishes.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class BenchmarkTable : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double wall = 0;
    double cpu = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      std::string name = run.benchmark_name();
      const size_t fixed = name.find("/iterations:");
      if (fixed != std::string::npos) name.resize(fixed);
      const double iterations = static_cast<double>(run.iterations);
      times_[name] = {run.real_accumulated_time / iterations,
                      run.cpu_accumulated_time / iterations};
    }
  }

  // Times of a benchmark by its name (arguments included), or zeros.
  Times Of(const std::string& name) const {
    const auto it = times_.find(name);
    return it == times_.end() ? Times{} : it->second;
  }
  const std::map<std::string, Times>& All() const { return times_; }

 private:
  std::map<std::string, Times> times_;
};
