// What the benchmarks that time their iterations themselves share.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

namespace quillmoor::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

// For BENCHMARK(...)->Apply(ManualTime<iterations, unit>): the benchmark runs iterations
// times, each timed by the benchmark itself (SetIterationTime), and reports in unit.
template <int kIterations, benchmark::TimeUnit kUnit>
void ManualTime(benchmark::internal::Benchmark* benchmark) {
    benchmark->Iterations(kIterations)->UseManualTime()->Unit(kUnit);
}

}  // namespace quillmoor::bench
