// Circle measurement speed: bComputeCircleFit on noisy edge points of a 90 degree arc and of a
// full circle, with 10 % outliers, with and without the outlier filter; the point-set diameter
// against the plain pair loop it replaces; and the accuracy of the fit under Gaussian noise.
//
//   circlefit_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "circlefit/OCircleFit.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/Angles.h"

namespace {

using angles::kPi;
// A circle as an edge search in a VGA image would meet it.
constexpr double kCentreX = 320.0;
constexpr double kCentreY = 240.0;
constexpr double kRadius = 200.0;
constexpr double kNoiseSigma = 0.5;  // pixels, radial
constexpr int kOutlierEvery = 10;    // every tenth point is an outlier
constexpr double kOutlierMin = 5.0;  // outliers lie 5 to 40 pixels off the circle
constexpr double kOutlierMax = 40.0;
constexpr int kFilterPasses = 5;
constexpr double kSigmaFactor = 2.0;
constexpr int kCheckedMode = OCircleFit_OutlierFilter::kModeChecked;

enum Shape { kArc90 = 0, kFullCircle = 1 };

struct Points {
    explicit Points(int n) : x(n), y(n) {}
    OFastArrayList<double> x;
    OFastArrayList<double> y;
};

// n edge points at random angles of the arc, radially noisy, every tenth one an outlier.
void MakeEdgePoints(Points& points, int n, Shape shape, unsigned seed, bool outliers) {
    std::mt19937 random(seed);
    const double sweep = shape == kArc90 ? kPi / 2.0 : 2.0 * kPi;
    std::uniform_real_distribution<double> angle(0.0, sweep);
    std::normal_distribution<double> noise(0.0, kNoiseSigma);
    std::uniform_real_distribution<double> offset(kOutlierMin, kOutlierMax);
    std::bernoulli_distribution side(0.5);
    for (int i = 0; i < n; ++i) {
        const double t = angle(random);
        double r = kRadius + noise(random);
        if (outliers && i % kOutlierEvery == 0) {
            r += side(random) ? offset(random) : -offset(random);
        }
        points.x.Add(kCentreX + r * std::cos(t));
        points.y.Add(kCentreY + r * std::sin(t));
    }
}

// A guess as the circle path of the search would give it: a few pixels off.
OCircleFit_Circle Guess() {
    return OCircleFit_Circle(kCentreX + 3.0, kCentreY - 2.0, kRadius + 4.0, 1e10, 0);
}

bool Measure(Points& points, bool filter, OCircleFit_Circle& circle) {
    int inliers = 0, outliers = 0;
    bool found[3];
    double figures[17];
    return OCircleFit_OutlierFilter::bComputeCircleFit(
        kCheckedMode, points.x, points.y, true, true, true, true, true, filter ? 1 : 0,
        kFilterPasses, kSigmaFactor, circle, nullptr, nullptr, inliers, outliers, found[0],
        figures[0], figures[1], figures[2], figures[3], figures[4], found[1], figures[5],
        figures[6], figures[7], figures[8], figures[9], found[2], figures[10], figures[11],
        figures[12], figures[13], figures[14], figures[15], figures[16], {});
}

// Args: point count, shape, filter (0/1).
void BM_ComputeCircleFit(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto shape = static_cast<Shape>(state.range(1));
    const bool filter = state.range(2) != 0;
    Points points(n);
    MakeEdgePoints(points, n, shape, 42u, true);
    OCircleFit_Circle circle;
    for (auto _ : state) {
        circle = Guess();
        const bool ok = Measure(points, filter, circle);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(circle);
    }
    state.counters["radiusError"] = circle.m_dRadius - kRadius;
    state.counters["iterations"] = circle.m_iIterations;
    state.SetLabel(std::string(shape == kArc90 ? "arc90" : "circle") +
                   (filter ? "/filter" : "/nofilter"));
}
BENCHMARK(BM_ComputeCircleFit)
    ->ArgsProduct({{100, 1000, 10000}, {kArc90, kFullCircle}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The diameter as OCircleFit_Data computes it, against the pair loop of its definition.
void BM_Diameter_EvalMaxDist(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Points points(n);
    MakeEdgePoints(points, n, kFullCircle, 7u, true);
    OCircleFit_Data data(points.x, points.y);
    for (auto _ : state) {
        data.EvalMaxDist();
        benchmark::DoNotOptimize(data.GetMaxDist());
    }
}
BENCHMARK(BM_Diameter_EvalMaxDist)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Diameter_AllPairs(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Points points(n);
    MakeEdgePoints(points, n, kFullCircle, 7u, true);
    const double* x = points.x.GetBuffer();
    const double* y = points.y.GetBuffer();
    for (auto _ : state) {
        double best = 0.0;
        for (int i = 1; i < n; ++i) {
            for (int j = 0; j < i; ++j) {
                const double value = (x[i] - x[j]) * (x[i] - x[j]) + (y[i] - y[j]) * (y[i] - y[j]);
                if (value > best) {
                    best = value;
                }
            }
        }
        benchmark::DoNotOptimize(std::sqrt(best));
    }
}
BENCHMARK(BM_Diameter_AllPairs)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Accuracy, not speed: 1000 points with Gaussian radial noise of 0.5 pixel and no outliers,
// fitted without the filter, over many independent point sets. Reports the root-mean-square and
// the largest centre error (distance of the fitted from the true centre) and radius error.
void BM_Accuracy_Noise05(benchmark::State& state) {
    constexpr int kPoints = 1000;
    constexpr int kTrials = 200;
    const auto shape = static_cast<Shape>(state.range(0));
    double sumCentre2 = 0.0, sumRadius2 = 0.0, maxCentre = 0.0, maxRadius = 0.0;
    for (auto _ : state) {
        sumCentre2 = sumRadius2 = maxCentre = maxRadius = 0.0;
        for (int trial = 0; trial < kTrials; ++trial) {
            Points points(kPoints);
            MakeEdgePoints(points, kPoints, shape, 1000u + static_cast<unsigned>(trial), false);
            OCircleFit_Circle circle = Guess();
            Measure(points, false, circle);
            const double centre =
                std::hypot(circle.m_dCenterX - kCentreX, circle.m_dCenterY - kCentreY);
            const double radius = std::fabs(circle.m_dRadius - kRadius);
            sumCentre2 += centre * centre;
            sumRadius2 += radius * radius;
            maxCentre = std::max(maxCentre, centre);
            maxRadius = std::max(maxRadius, radius);
        }
    }
    state.counters["centreRms_px"] = std::sqrt(sumCentre2 / kTrials);
    state.counters["centreMax_px"] = maxCentre;
    state.counters["radiusRms_px"] = std::sqrt(sumRadius2 / kTrials);
    state.counters["radiusMax_px"] = maxRadius;
    state.SetLabel(shape == kArc90 ? "arc90" : "circle");
}
BENCHMARK(BM_Accuracy_Noise05)
    ->Arg(kFullCircle)
    ->Arg(kArc90)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
