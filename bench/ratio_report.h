// Runs the registered benchmarks and then prints each one's time as a ratio to a reference measured in
// the same run, so the figure holds on a shared, noisy machine.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) {
        times_[run.benchmark_name()] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "name / reference = ratio (target: at most limit)" and returns whether it is within the limit.
  bool print_ratio(const std::string& name, const std::string& reference, double limit) const {
    const auto a = times_.find(name);
    const auto b = times_.find(reference);
    if (a == times_.end() || b == times_.end() || b->second <= 0) return false;
    const double ratio = a->second / b->second;
    std::printf("%s / %s = %.2f (target: at most %.1f) %s\n", name.c_str(), reference.c_str(), ratio, limit,
                ratio <= limit ? "ok" : "OVER");
    return ratio <= limit;
  }
  // Prints "name: t µs (target: under limit µs)" and returns whether it is under the limit.
  bool print_microseconds(const std::string& name, double limit_us) const {
    const auto a = times_.find(name);
    if (a == times_.end()) return false;
    const double us = a->second * 1e6;
    std::printf("%s: %.1f us (target: under %.0f us) %s\n", name.c_str(), us, limit_us, us < limit_us ? "ok" : "OVER");
    return us < limit_us;
  }

 private:
  std::map<std::string, double> times_;  // seconds per iteration
};

}  // namespace bench
