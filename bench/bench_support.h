#pragma once

// What every benchmark here shares: each pairs its work with a baseline
// measured in the same run and reports both, and their ratio, as counters.
// Times are the thread's CPU time, which other processes on a busy machine
// disturb far less than the wall clock.

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

namespace bench {

inline double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The CPU time of every thread of the process, for work that runs on a
// thread of its own (the importer's large-stack thread) while the caller waits.
inline double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Sums the CPU time of the spans it is started and stopped around, on the
// calling thread's clock unless given the process's.
class CpuStopwatch {
 public:
  explicit CpuStopwatch(double (*clock)() = ThreadCpuSeconds) : clock_(clock) {}
  void Start() { started_ = clock_(); }
  // Returns the span just ended.
  double Stop() {
    const double span = clock_() - started_;
    total_ += span;
    return span;
  }
  double Seconds() const { return total_; }

 private:
  double (*clock_)();
  double started_ = 0;
  double total_ = 0;
};

// CPU seconds per call of `work`, called until at least `minSeconds` of CPU
// time have gone by (and at least `minCalls` times).
template <class Work>
double SecondsPerCall(Work&& work, double minSeconds = 0.05, long minCalls = 3) {
  long calls = 0;
  const double start = ThreadCpuSeconds();
  double elapsed = 0;
  while (calls < minCalls || elapsed < minSeconds) {
    work();
    ++calls;
    elapsed = ThreadCpuSeconds() - start;
  }
  return elapsed / static_cast<double>(calls);
}

// Reports the work and the baseline as `unit` per second (items done per
// CPU second) and the work's speed as a fraction of the baseline's.
inline void ReportRates(benchmark::State& state, const char* unit, double items, double workSeconds,
                        double baselineSeconds, double target) {
  const double work = items / workSeconds;
  const double baseline = items / baselineSeconds;
  state.counters[unit] = work;
  state.counters[std::string("baseline_") + unit] = baseline;
  state.counters["ratio_to_baseline"] = work / baseline;
  state.counters[std::string("target_") + unit] = target;
}

}  // namespace bench
