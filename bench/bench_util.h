// A small timing harness shared by the benchmarks: median of repeated runs, side by side.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace orlix::bench {

// Median wall time in seconds of `runs` calls of `body`.
inline double MedianSeconds(int runs, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body();
    const auto stop = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double>(stop - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Median processor time in seconds of `runs` calls of `body`: on a shared machine wall time also
// counts other processes. (Windows' clock() counts wall time.)
inline double MedianCpuSeconds(int runs, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const std::clock_t start = std::clock();
    body();
    times.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline void PrintRatio(const char* what, double measured, double floor) {
  std::printf("%-48s %10.4f s   floor %10.4f s   ratio %.3f\n", what, measured, floor,
              floor > 0 ? measured / floor : 0.0);
}

}  // namespace orlix::bench
