// Small helpers for the stand-alone benchmarks: a clock, medians and
// percentiles, and the one line each benchmark prints per figure. Every
// benchmark measures its peer or limit in the same run and prints the ratio,
// so a figure is read against the machine it ran on.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace cratemark::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The value below which `fraction` of the samples lie (nearest rank).
inline double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t rank =
      std::min(samples.size() - 1, static_cast<std::size_t>(fraction * samples.size()));
  return samples[rank];
}

inline double Median(std::vector<double> samples) { return Percentile(std::move(samples), 0.5); }

// Runs `step` `count` times and returns the median time of one run, seconds.
template <typename Step>
double MedianTime(int count, Step&& step) {
  std::vector<double> samples;
  samples.reserve(count);
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    step();
    samples.push_back(SecondsSince(start));
  }
  return Median(std::move(samples));
}

// "name: figure unit" padded into one column.
inline void PrintFigure(const std::string& name, double value, const char* unit) {
  std::printf("  %-48s %12.3f %s\n", name.c_str(), value, unit);
}

// The ratio against the goal, and whether the goal is met. `at_most`: the
// ratio must not exceed the goal (else it must reach it).
inline bool PrintRatio(const std::string& name, double ratio, double goal, bool at_most) {
  const bool met = at_most ? ratio <= goal : ratio >= goal;
  std::printf("  %-48s %12.2fx  (goal %s %.2fx: %s)\n", name.c_str(), ratio,
              at_most ? "<=" : ">=", goal, met ? "met" : "NOT met");
  return met;
}

}  // namespace cratemark::bench
