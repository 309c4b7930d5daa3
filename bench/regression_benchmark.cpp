// Speed of the regression line: the plain fit of 1000 points, the std-dev filter, DETSAC at search
// levels 0, 4 and 8, and the exhaustive fixed-width DETSAC at 100 and 300 points.
//
// Targets (Release): the plain fit of 1000 points within 20 us, DETSAC level 8 on 300 points
// within 30 ms.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "regression/OVector_Regression.h"

namespace {

constexpr std::int64_t kRawPerPixel = fixedpoint::kRawOne;
constexpr int kNoFilter = OVector_Regression::kFilterNone;
constexpr int kStdDevPasses = 5;
constexpr double kSigmaFactor = 2.0;
constexpr int kInlierDistance = 2;

// Points along y = 0.4 x + 30 over up to 1000 pixels with a deterministic scatter of up to
// half a pixel, every seventh point moved 40 pixels off the line: the kind of edge list a line
// measurement produces.
OVector_Array EdgePoints(int count) {
    OVector_Array points;
    const double step = 1000.0 / count;
    for (int k = 0; k < count; ++k) {
        const double x = 5.0 + step * k;
        double y = 30.0 + 0.4 * x + ((k * 37) % 11 - 5) * 0.1;
        if (k % 7 == 3) {
            y += 40.0;
        }
        points.Add(std::make_shared<OVector>(static_cast<std::int64_t>(x * kRawPerPixel),
                                             static_cast<std::int64_t>(y * kRawPerPixel)));
    }
    return points;
}

// One fit per iteration. A filtered fit replaces its points by the inliers, so each iteration
// starts from a fresh copy, made (and the previous results released) outside the timed region. The
// plain fit keeps every point, so its output is the next input and nothing but the fit is timed
// (pausing the timer costs about as much as a tenth of the fit).
void RunFit(benchmark::State& state, int count, int filter, int level) {
    const OVector_Array source = EdgePoints(count);
    OVector_Array points;
    OVector_Array outliers;
    for (int k = 0; k < source.GetCount(); ++k) {
        points.Add(source.GetAt(k));
    }
    const bool refill = filter != kNoFilter;
    for (auto _ : state) {
        if (refill) {
            state.PauseTiming();
            points.RemoveAll();
            outliers.RemoveAll();
            for (int k = 0; k < source.GetCount(); ++k) {
                points.Add(source.GetAt(k));
            }
            state.ResumeTiming();
        }

        double angle = 0.0;
        OVector centre;
        int inliers = 0;
        int rejected = 0;
        bool found = false;
        std::int64_t distance = 0;
        std::int64_t farthestX = 0;
        std::int64_t farthestY = 0;
        double footX = 0.0;
        double footY = 0.0;
        double sigmaAll = 0.0;
        double sigmaInliers = 0.0;
        const bool ok = OVector_Regression::bComputeRegressionLine(
            2, points, false, false, false, filter, kStdDevPasses, kSigmaFactor, kInlierDistance,
            level, angle, centre, &outliers, inliers, rejected, found, distance, farthestX,
            farthestY, footX, footY, sigmaAll, sigmaInliers, nullptr);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(angle);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_Fit1000_NoFilter(benchmark::State& state) {
    RunFit(state, 1000, kNoFilter, 0);
}
void BM_Fit1000_StdDev(benchmark::State& state) {
    RunFit(state, 1000, OVector_Regression::kFilterStdDev, 0);
}
void BM_Fit1000_DETSAC(benchmark::State& state) {
    RunFit(state, 1000, OVector_Regression::kFilterDETSAC, static_cast<int>(state.range(0)));
}
void BM_Fit300_DETSAC_Level8(benchmark::State& state) {
    RunFit(state, 300, OVector_Regression::kFilterDETSAC, 8);
}
void BM_Fit_DETSAC_FixedWidth(benchmark::State& state) {
    RunFit(state, static_cast<int>(state.range(0)), OVector_Regression::kFilterDETSAC_FPGA, 0);
}

BENCHMARK(BM_Fit1000_NoFilter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fit1000_StdDev)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fit1000_DETSAC)->Arg(0)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fit300_DETSAC_Level8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fit_DETSAC_FixedWidth)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
