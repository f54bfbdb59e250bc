// Runs the registered benchmarks and then prints each one's time as a ratio to a reference measured in
// the same run, so the figure holds on a shared, noisy machine.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>
#include <map>
#include <string>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that figures piped to a file or a script read plainly.
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        times_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
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
  // Prints "name: X ms per call (target: under limit ms)" and returns whether it is under the limit.
  bool print_time_ms(const std::string& name, double limit_ms) const {
    const auto a = times_.find(name);
    if (a == times_.end()) return false;
    const double ms = a->second * 1000.0;
    std::printf("%s: %.3f ms per call (target: under %.1f ms) %s\n", name.c_str(), ms, limit_ms,
                ms < limit_ms ? "ok" : "OVER");
    return ms < limit_ms;
  }
  // Prints "name: N unit per second (target: at least minimum)" for one call per unit, and returns whether
  // it reaches the minimum.
  bool print_rate(const std::string& name, const char* unit, double minimum) const {
    const auto a = times_.find(name);
    if (a == times_.end() || a->second <= 0) return false;
    const double rate = 1.0 / a->second;
    std::printf("%s: %.0f %s per second (target: at least %.0f) %s\n", name.c_str(), rate, unit, minimum,
                rate >= minimum ? "ok" : "UNDER");
    return rate >= minimum;
  }
  // Prints "name: X of real time (target: at most limit)" for one call per `covered_seconds` of output,
  // and returns whether it is within the limit.
  bool print_real_time_ratio(const std::string& name, double covered_seconds, double limit) const {
    const auto a = times_.find(name);
    if (a == times_.end() || covered_seconds <= 0) return false;
    const double ratio = a->second / covered_seconds;
    std::printf("%s: %.4f of real time (target: at most %.2f) %s\n", name.c_str(), ratio, limit,
                ratio <= limit ? "ok" : "OVER");
    return ratio <= limit;
  }
  // Prints "name: X ns per unit (target: at most limit)" for `units` units of work per call, and returns
  // whether it is within the limit.
  bool print_ns_per_unit(const std::string& name, const char* unit, double units, double limit_ns) const {
    const auto a = times_.find(name);
    if (a == times_.end() || units <= 0) return false;
    const double ns = a->second * 1e9 / units;
    std::printf("%s: %.3f ns per %s (target: at most %.1f) %s\n", name.c_str(), ns, unit, limit_ns,
                ns <= limit_ns ? "ok" : "OVER");
    return ns <= limit_ns;
  }

 private:
  std::map<std::string, double> times_;  // seconds per iteration
};

// Runs the benchmarks the command line selects, then lets `print_figures` print the run's figures.
template <typename PrintFigures>
int run_benchmarks(int argc, char** argv, PrintFigures print_figures) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  print_figures(reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
