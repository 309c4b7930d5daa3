// Walking a circle path: raster steps around a full circle of radius 500 (3,142 steps of about
// one pixel), double and single precision, called through the base class as the searches call it.
// Every single step evaluates one sine and one cosine. Counter time_per_step: time per raster step.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "foundation/Angles.h"
#include "paths/OVectorPath_Circle.h"

namespace {

constexpr double kRadius = 500.0;
using angles::kFullTurnDegrees;

template <class Circle>
void WalkRaster(benchmark::State& state, Circle circle) {
    OVectorPath* path = &circle;
    benchmark::DoNotOptimize(path);
    std::int64_t steps = 0;
    for (auto _ : state) {
        OVector v;
        path->Reset();
        while (path->MoveNextRaster(v)) {
            ++steps;
        }
        benchmark::DoNotOptimize(v);
    }
    // Inverted rate: seconds per step, printed with an SI prefix (for example 3.9ns).
    state.counters["time_per_step"] = benchmark::Counter(
        static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["steps_per_walk"] =
        static_cast<double>(steps) / static_cast<double>(state.iterations());
}

void BM_CircleMoveNextRaster(benchmark::State& state) {
    WalkRaster(state, OVectorPath_Circle(OVector(600.25, 600.75), kRadius, 0.0, kFullTurnDegrees));
}
BENCHMARK(BM_CircleMoveNextRaster);

void BM_CircleFloatMoveNextRaster(benchmark::State& state) {
    WalkRaster(state, OVectorPath_Circle_Float(OVector(600.25, 600.75), static_cast<float>(kRadius),
                                               0.0f, static_cast<float>(kFullTurnDegrees)));
}
BENCHMARK(BM_CircleFloatMoveNextRaster);

}  // namespace

BENCHMARK_MAIN();
