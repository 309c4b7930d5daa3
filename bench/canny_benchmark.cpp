// Speed of the one-dimensional Canny detector on a long grey profile.
//
// The profile has 1,000,000 samples: plateaus of random grey levels with a few hundred edges
// between them, a little noise, and a few runs of missing samples that split it into segments.
// The figure to watch is time_per_sample (the inverse of items_per_second).

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdint>
#include <random>

#include "edge/OCannyEdge.h"

namespace {

constexpr int kSamples = 1000000;
constexpr int kEdges = 400;
constexpr int kMarkerRuns = 5;
constexpr int kMarkerRunLength = 200;
constexpr int kNoise = 3;       // +- grey levels on every sample
constexpr int kThreshold = 20;  // well above the smoothed noise
constexpr std::uint32_t kSeed = 12345u;

WritableCollection<int> MakeProfile() {
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> level(kNoise, 255 - kNoise);
    std::uniform_int_distribution<int> noise(-kNoise, kNoise);
    WritableCollection<int> profile;
    profile.SetSize(kSamples);
    int* samples = profile.GetData();
    const int plateau = kSamples / kEdges;
    int grey = level(random);
    for (int i = 0; i < kSamples; ++i) {
        if (i % plateau == 0) {
            grey = level(random);
        }
        samples[i] = grey + noise(random);
    }
    const int runSpacing = kSamples / (kMarkerRuns + 1);
    for (int run = 1; run <= kMarkerRuns; ++run) {
        for (int k = 0; k < kMarkerRunLength; ++k) {
            samples[run * runSpacing + k] = INT_MIN;
        }
    }
    return profile;
}

void FindCannyEdgeTransitions(benchmark::State& state) {
    WritableCollection<int> profile = MakeProfile();
    WritableCollection<int> result;
    const bool keepMagnitudes = state.range(0) != 0;
    const int sigmaIndex = static_cast<int>(state.range(1));
    for (auto _ : state) {
        const bool ok = OCannyEdge::bFindCannyEdgeTransitions(profile, kThreshold, sigmaIndex,
                                                              result, keepMagnitudes);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(result.GetData());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
    // Seconds per sample, shown with an SI prefix (for example "3.3ns").
    state.counters["time_per_sample"] = benchmark::Counter(
        static_cast<double>(kSamples),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// Kernel row 2 (sigma 1.0) is the usual one; row 0 (sigma 0.8) has the largest divisor and is
// the slowest to smooth.
BENCHMARK(FindCannyEdgeTransitions)
    ->ArgNames({"keep_magnitudes", "sigma_index"})
    ->ArgsProduct({{0, 1}, {2, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
