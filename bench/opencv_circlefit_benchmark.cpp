// Circle fit of 100, 1,000 and 10,000 edge points, the library against cv::fitEllipse and
// cv::fitEllipseDirect on the same points.
//
// The points: a circle of radius 200 around (320, 240), at random angles of a full turn or of a
// 90 degree arc, radial Gaussian noise of 0.5 pixel, every tenth point moved 5 to 40 pixels off
// the circle (outliers as clutter gives them).
//
// - Library: OCircleFit_OutlierFilter::bComputeCircleFit, plain procedure (mode 0, no quality
//   figures, no result lists), without and with the standard-deviation filter (5 passes, band of
//   2 standard deviations). The guess is what the circle path of the search gives: 3, -2 and +4
//   pixels off in centre and radius, with sigma 1e10 (any first fit is better).
// - OpenCV: cv::fitEllipse (least squares with its own stabilisation) and cv::fitEllipseDirect
//   (Fitzgibbon's direct fit) of the same points as float; neither has an outlier filter.
// Arguments: point count, arc in degrees.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "benchmark_process.h"
#include "opencv_comparison_support.h"

namespace {

using comparison::kPi;

constexpr double kCentreX = 320.0;
constexpr double kCentreY = 240.0;
constexpr double kRadius = 200.0;
constexpr double kNoiseSigma = 0.5;
constexpr std::uint32_t kSeed = 42u;

// The guess a circle path of the search gives.
constexpr double kGuessOffsetX = 3.0;
constexpr double kGuessOffsetY = -2.0;
constexpr double kGuessOffsetR = 4.0;
constexpr double kGuessSigma = 1e10;

comparison::PointSet MakePoints(const benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const double sweep = static_cast<double>(state.range(1)) * kPi / 180.0;
    return comparison::CirclePoints(n, kCentreX, kCentreY, kRadius, sweep, kNoiseSigma, kSeed);
}

void Label(benchmark::State& state, double radius) {
    state.counters["radius_error_px"] = radius - kRadius;
    state.SetLabel("arc" + std::to_string(state.range(1)));
}

void RunLibrary(benchmark::State& state, bool filter) {
    const comparison::PointSet points = MakePoints(state);
    const auto n = static_cast<std::int64_t>(points.Size());
    OFastArrayList<double> xs(n);
    OFastArrayList<double> ys(n);
    points.FillLists(xs, ys);
    OCircleFit_Circle circle;
    for (auto _ : state) {
        circle = OCircleFit_Circle(kCentreX + kGuessOffsetX, kCentreY + kGuessOffsetY,
                                   kRadius + kGuessOffsetR, kGuessSigma, 0);
        const bool ok = comparison::MeasureCircle(xs, ys, filter, circle);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(circle);
    }
    Label(state, circle.m_dRadius);
}

void BM_CircleFit_Library_NoFilter(benchmark::State& state) {
    RunLibrary(state, false);
}
void BM_CircleFit_Library_Filter(benchmark::State& state) {
    RunLibrary(state, true);
}

// The radius of an ellipse as a circle: the mean of its semi-axes.
double CircleRadius(const cv::RotatedRect& ellipse) {
    return (ellipse.size.width + ellipse.size.height) / 4.0;
}

template <cv::RotatedRect (*Fit)(cv::InputArray)>
void RunOpenCV(benchmark::State& state) {
    const std::vector<cv::Point2f> points = MakePoints(state).OpenCV();
    cv::RotatedRect ellipse;
    for (auto _ : state) {
        ellipse = Fit(points);
        benchmark::DoNotOptimize(ellipse);
    }
    Label(state, CircleRadius(ellipse));
}

void BM_CircleFit_FitEllipse(benchmark::State& state) {
    RunOpenCV<cv::fitEllipse>(state);
}
void BM_CircleFit_FitEllipseDirect(benchmark::State& state) {
    RunOpenCV<cv::fitEllipseDirect>(state);
}

void CircleCases(benchmark::internal::Benchmark* cases) {
    cases->ArgNames({"points", "arc"})
        ->ArgsProduct({{100, 1000, 10000}, {360, 90}})
        ->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_CircleFit_Library_NoFilter)->Apply(CircleCases);
BENCHMARK(BM_CircleFit_Library_Filter)->Apply(CircleCases);
BENCHMARK(BM_CircleFit_FitEllipse)->Apply(CircleCases);
BENCHMARK(BM_CircleFit_FitEllipseDirect)->Apply(CircleCases);

}  // namespace

int main(int argc, char** argv) {
    return benchmark_process::Main(argc, argv);
}
