// Walking a line path: raster steps along a 4,000 by 4,000 pixel diagonal (5,657 steps of about
// one pixel), called on the line itself and through the base class as the searches call it, with
// sub-pixel steps as the peer. Counter time_per_step: time per raster (or sub-pixel) step.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kDiagonalPixels = 4000;

OVectorPath_Line MakeDiagonal() {
    return OVectorPath_Line(OVector(0.5, 0.5),
                            OVector(kDiagonalPixels + 0.5, kDiagonalPixels + 0.5));
}

void ReportPerStep(benchmark::State& state, std::int64_t steps) {
    // Inverted rate: seconds per step, printed with an SI prefix (for example 3.9ns).
    state.counters["time_per_step"] = benchmark::Counter(
        static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["steps_per_walk"] =
        static_cast<double>(steps) / static_cast<double>(state.iterations());
}

template <class Path>
std::int64_t WalkRaster(Path& path) {
    std::int64_t steps = 0;
    OVector v;
    path.Reset();
    while (path.MoveNextRaster(v)) {
        ++steps;
    }
    benchmark::DoNotOptimize(v);
    return steps;
}

void BM_LineMoveNextRaster(benchmark::State& state) {
    OVectorPath_Line line = MakeDiagonal();
    std::int64_t steps = 0;
    for (auto _ : state) {
        steps += WalkRaster(line);
    }
    ReportPerStep(state, steps);
}
BENCHMARK(BM_LineMoveNextRaster);

void BM_LineMoveNextRaster_ThroughBase(benchmark::State& state) {
    OVectorPath_Line line = MakeDiagonal();
    OVectorPath* path = &line;
    benchmark::DoNotOptimize(path);  // the compiler cannot see the dynamic type
    std::int64_t steps = 0;
    for (auto _ : state) {
        steps += WalkRaster(*path);
    }
    ReportPerStep(state, steps);
}
BENCHMARK(BM_LineMoveNextRaster_ThroughBase);

void BM_LineMoveNext_ThroughBase(benchmark::State& state) {
    OVectorPath_Line line = MakeDiagonal();
    OVectorPath* path = &line;
    benchmark::DoNotOptimize(path);
    std::int64_t steps = 0;
    for (auto _ : state) {
        OVector v;
        path->Reset();
        while (path->MoveNext(v)) {
            ++steps;
        }
        benchmark::DoNotOptimize(v);
    }
    ReportPerStep(state, steps);
}
BENCHMARK(BM_LineMoveNext_ThroughBase);

}  // namespace

BENCHMARK_MAIN();
