// Line fit of 1,000 edge points, the library against cv::fitLine on the same points.
//
// The points: evenly spread along 900 pixels of a line at 22 degrees through (500, 400), Gaussian
// noise of 0.5 pixel across the line, every tenth point moved 5 to 40 pixels off it.
//
// - Library: OVector_Regression::bComputeRegressionLine, mode 2 (fit along the axis of larger
//   spread, no quality figures), without filter, with the standard-deviation filter (5 passes,
//   2 standard deviations) and with DETSAC (inlier distance 2 pixels) at search levels 0, 4, 8.
// - OpenCV: cv::fitLine with DIST_L2 (orthogonal least squares) and DIST_HUBER (iteratively
//   reweighted, OpenCV's outlier-robust choice), reps and aeps 0.01.
//
// DETSAC growth: the same line with 300 to 10,000 points (up to 11 points per pixel of its
// length, as a dense edge list gives), at search levels 0, 4 and 8 and with the exhaustive
// fixed-width search; the library alone, OpenCV's fits have no counterpart of the search levels.
//
// A filtered fit replaces its points by the inliers, so every call needs a fresh copy of the
// input. The library's calls take their inputs from a pool of 4 copies; refilling the pool (and
// releasing the results of the previous calls) happens with the timer paused, once every 64
// calls, so that the pause costs next to nothing per call. OpenCV's fit leaves its input alone.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "benchmark_process.h"
#include "opencv_comparison_support.h"

namespace {

using comparison::kPi;

constexpr int kPoints = 1000;
constexpr double kLineX = 500.0;
constexpr double kLineY = 400.0;
constexpr double kLineAngle = 22.0 * kPi / 180.0;
constexpr double kLineLength = 900.0;
constexpr double kNoiseSigma = 0.5;
constexpr std::uint32_t kSeed = 7u;
constexpr double kFitLineAccuracy = 0.01;  // reps and aeps of cv::fitLine

comparison::PointSet MakePoints(int count = kPoints) {
    return comparison::LinePoints(count, kLineX, kLineY, kLineAngle, kLineLength, kNoiseSigma,
                                  kSeed);
}

constexpr std::size_t kPoolSize = 4;

void RunLibrary(benchmark::State& state, int filter, int searchLevel, int count = kPoints) {
    const comparison::PointSet points = MakePoints(count);
    OVector_Array source;
    comparison::FillArray(points, source);
    std::vector<OVector_Array> inputs(kPoolSize);
    std::vector<OVector_Array> outliers(kPoolSize);
    std::size_t next = kPoolSize;  // refill before the first call
    comparison::LineResult line;
    for (auto _ : state) {
        if (next == kPoolSize) {
            state.PauseTiming();
            for (std::size_t k = 0; k < kPoolSize; ++k) {
                inputs[k].RemoveAll();
                outliers[k].RemoveAll();
                for (int p = 0; p < source.GetCount(); ++p) {
                    inputs[k].Add(source.GetAt(p));
                }
            }
            next = 0;
            state.ResumeTiming();
        }
        const bool ok =
            comparison::MeasureLine(inputs[next], filter, searchLevel, line, &outliers[next]);
        benchmark::DoNotOptimize(ok);
        ++next;
    }
    state.counters["inliers"] = line.inliers;
    state.counters["angle_error_deg"] = (line.angle - kLineAngle) * 180.0 / kPi;
}

void BM_LineFit_Library_NoFilter(benchmark::State& state) {
    RunLibrary(state, comparison::kLineNoFilter, 0);
}
void BM_LineFit_Library_StdDev(benchmark::State& state) {
    RunLibrary(state, OVector_Regression::kFilterStdDev, 0);
}
void BM_LineFit_Library_DETSAC(benchmark::State& state) {
    RunLibrary(state, OVector_Regression::kFilterDETSAC, static_cast<int>(state.range(0)));
}
void BM_LineFit_Library_DETSAC_Growth(benchmark::State& state) {
    RunLibrary(state, OVector_Regression::kFilterDETSAC, static_cast<int>(state.range(1)),
               static_cast<int>(state.range(0)));
}
void BM_LineFit_Library_DETSAC_FixedWidth(benchmark::State& state) {
    RunLibrary(state, OVector_Regression::kFilterDETSAC_FPGA, 0, static_cast<int>(state.range(0)));
}

void RunOpenCV(benchmark::State& state, int distance) {
    const std::vector<cv::Point2f> points = MakePoints().OpenCV();
    cv::Vec4f line;
    for (auto _ : state) {
        cv::fitLine(points, line, distance, 0.0, kFitLineAccuracy, kFitLineAccuracy);
        benchmark::DoNotOptimize(line);
    }
    double angle = std::atan2(line[1], line[0]);
    if (angle < -kPi / 2.0) {
        angle += kPi;
    } else if (angle > kPi / 2.0) {
        angle -= kPi;
    }
    state.counters["angle_error_deg"] = (angle - kLineAngle) * 180.0 / kPi;
}

void BM_LineFit_FitLineL2(benchmark::State& state) {
    RunOpenCV(state, cv::DIST_L2);
}
void BM_LineFit_FitLineHuber(benchmark::State& state) {
    RunOpenCV(state, cv::DIST_HUBER);
}

BENCHMARK(BM_LineFit_Library_NoFilter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineFit_Library_StdDev)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineFit_Library_DETSAC)
    ->ArgName("level")
    ->Arg(0)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineFit_Library_DETSAC_Growth)
    ->ArgNames({"points", "level"})
    ->ArgsProduct({{1000, 3000, 10000}, {0, 4}})
    ->Args({300, 8})
    ->Args({1000, 8})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineFit_Library_DETSAC_FixedWidth)
    ->ArgName("points")
    ->Arg(100)
    ->Arg(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineFit_FitLineL2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineFit_FitLineHuber)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return benchmark_process::Main(argc, argv);
}
