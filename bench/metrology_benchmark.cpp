// Speed of the metrology tools on a plate like edgemeasure's demo (640 x 480, a dark hole of
// radius 72.6 px, a tilted straight edge, a slot; blur 1.2 px, noise 2.5 grey levels): find
// circle with 36 calipers of 40 x 5 px and the filtered fit, find line with 25 calipers of
// 40 x 5 px and DETSAC, measure width with a rake of 5 calipers; and beside each, in the same
// program, what edgemeasure did before the calipers: the path search with its sub-pixel
// refinement on the same axes and the library's fits.
//
// Also one caliper across a bright bar 3 px wide (blur 1, noise 2): its two edges are close, so
// the pair is measured by the joint fit of two blurred steps, the calipers' costliest path.
//
// Targets (Release): find circle within 100 us, find line within 60 us.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "caliper/OCaliper.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OVector_Array.h"
#include "metrology/OMetrology.h"
#include "paths/OVectorPath_Line.h"
#include "regression/OVector_Regression.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kDark = 40.0;
constexpr double kPlate = 185.0;
constexpr double kGround = 30.0;
constexpr double kBlur = 1.2;
constexpr double kNoise = 2.5;

constexpr double kHoleX = 210.35;
constexpr double kHoleY = 225.80;
constexpr double kHoleRadius = 72.60;
constexpr double kEdgeX = 520.30;  // the edge at y = 240, tilted 3 degrees
constexpr double kEdgeTiltDeg = 3.0;
constexpr double kSlotLeft = 372.25;
constexpr double kSlotRight = 408.95;

constexpr int kBandHigh = 113;
constexpr int kPolarityEntering = 1;
constexpr int kPolarityLeaving = 2;
constexpr int kRefineMethod = 1;

double Step(double d) {
    return 0.5 * std::erfc(-d / (kBlur * std::sqrt(2.0)));
}

// Each pixel the blurred steps of the scene at its centre, with noise (fixed seed).
std::vector<unsigned char> RenderPlate() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, kNoise);
    const double tilt = std::tan(kEdgeTiltDeg * kPi / 180.0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double edge = (kEdgeX + (py - 240.0) * tilt - px) / std::sqrt(1.0 + tilt * tilt);
            const double hole = std::hypot(px - kHoleX, py - kHoleY) - kHoleRadius;
            const double slot = std::min(px - kSlotLeft, kSlotRight - px);
            double grey = kGround + (kPlate - kGround) * Step(edge);
            grey = kDark + (grey - kDark) * Step(hole) * Step(-slot);
            pixels[static_cast<std::size_t>(y) * kWidth + x] =
                static_cast<unsigned char>(std::clamp(std::lround(grey + noise(random)), 0L, 255L));
        }
    }
    return pixels;
}

struct Plate {
    std::vector<unsigned char> pixels = RenderPlate();
    OType_Image view{kWidth, kHeight, pixels.data(), kWidth};
    std::shared_ptr<OType_Image> shared =
        std::make_shared<OType_Image>(kWidth, kHeight, pixels.data(), kWidth);
};

const Plate& ThePlate() {
    static const Plate plate;
    return plate;
}

OFindCircleSettings HoleSettings() {
    OFindCircleSettings s;
    s.centerX = 210.5;
    s.centerY = 225.5;
    s.radius = 73.0;
    s.edge.polarity = OCaliperPolarity::Rising;
    return s;
}

OFindLineSettings EdgeSettings() {
    OFindLineSettings s;
    s.startX = 520.5;
    s.startY = 40.5;
    s.endX = 520.5;
    s.endY = 440.5;
    s.search = OLineSearch::RightToLeft;  // from the plate on the left to the ground
    s.edge.polarity = OCaliperPolarity::Falling;
    return s;
}

OMeasureWidthSettings SlotSettings() {
    OMeasureWidthSettings s;
    s.startX = 352.5;
    s.startY = 240.5;
    s.endX = 429.5;
    s.endY = 240.5;
    s.calipers = 5;
    s.pair.firstPolarity = OCaliperPolarity::Falling;
    s.pair.secondPolarity = OCaliperPolarity::Rising;
    return s;
}

// The path method's refined first transition on an axis, into `points` when found.
void PathEdge(const std::shared_ptr<OType_Image>& image, const OCaliperLine& axis, int polarity,
              std::vector<double>& xs, std::vector<double>& ys) {
    OVectorPath_Line path(OVector(axis.startX, axis.startY), OVector(axis.endX, axis.endY));
    path.bCreateTransitionFunction(OVectorPath::kTransitionBand, 0, kBandHigh, 0, 0, image);
    int index = -1;
    OVector point;
    double angle = 0.0;
    if (!path.FindNextTransition(image, polarity, 0, 0, index, point, angle, nullptr, 0, 0)) {
        return;
    }
    OVector refined;
    if (OSubpixelCalculation::CalculateTransitionOnPath(image.get(), &path, kRefineMethod, index,
                                                        refined, angle) == 1) {
        xs.push_back(refined.dX());
        ys.push_back(refined.dY());
    }
}

void BM_FindCircle(benchmark::State& state) {
    const Plate& plate = ThePlate();
    const OFindCircleSettings settings = HoleSettings();
    for (auto _ : state) {
        OFindCircleResult result = OMetrology::FindCircle(plate.view, settings);
        benchmark::DoNotOptimize(result.radius);
    }
}
BENCHMARK(BM_FindCircle);

// The path search on the same 36 axes, then OCircleFit_OutlierFilter (mode 3, 5 passes of 2
// sigma) from the centroid's guess, as edgemeasure made it.
void BM_FindCircle_PathMethod(benchmark::State& state) {
    const Plate& plate = ThePlate();
    const std::vector<OCaliperLine> axes = OMetrology::CircleCalipers(HoleSettings());
    for (auto _ : state) {
        std::vector<double> xs;
        std::vector<double> ys;
        for (const OCaliperLine& axis : axes) {
            PathEdge(plate.shared, axis, kPolarityLeaving, xs, ys);
        }
        const auto n = static_cast<std::int64_t>(xs.size());
        OFastArrayList<double> lx(n);
        OFastArrayList<double> ly(n);
        double mx = 0.0;
        double my = 0.0;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            lx.Add(xs[k]);
            ly.Add(ys[k]);
            mx += xs[k] / n;
            my += ys[k] / n;
        }
        double mr = 0.0;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            mr += std::hypot(xs[k] - mx, ys[k] - my) / n;
        }
        OCircleFit_Circle circle(mx, my, mr, 1e10, 0);
        OVector_Array inliers;
        OVector_Array outliers;
        int ni = 0;
        int no = 0;
        bool f[3] = {};
        double v[17] = {};
        OCircleFit_OutlierFilter::bComputeCircleFit(
            3, lx, ly, true, true, true, true, true, 1, 5, 2.0, circle, &inliers, &outliers, ni, no,
            f[0], v[0], v[1], v[2], v[3], v[4], f[1], v[5], v[6], v[7], v[8], v[9], f[2], v[10],
            v[11], v[12], v[13], v[14], v[15], v[16], {});
        benchmark::DoNotOptimize(circle.m_dRadius);
    }
}
BENCHMARK(BM_FindCircle_PathMethod);

void BM_FindLine(benchmark::State& state) {
    const Plate& plate = ThePlate();
    const OFindLineSettings settings = EdgeSettings();
    for (auto _ : state) {
        OFindLineResult result = OMetrology::FindLine(plate.view, settings);
        benchmark::DoNotOptimize(result.angle);
    }
}
BENCHMARK(BM_FindLine);

// The path search on the same 25 axes, then the regression with DETSAC (level 4, 2 px; mode 3),
// as edgemeasure made it.
void BM_FindLine_PathMethod(benchmark::State& state) {
    const Plate& plate = ThePlate();
    const std::vector<OCaliperLine> axes = OMetrology::LineCalipers(EdgeSettings());
    for (auto _ : state) {
        std::vector<double> xs;
        std::vector<double> ys;
        for (const OCaliperLine& axis : axes) {
            PathEdge(plate.shared, axis, kPolarityEntering, xs, ys);
        }
        OVector_Array points;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            points.Add(std::make_shared<OVector>(xs[k], ys[k]));
        }
        OVector_Array outliers;
        double angle = 0.0;
        OVector centre;
        int ni = 0;
        int no = 0;
        bool found = false;
        std::int64_t d = 0;
        std::int64_t fx = 0;
        std::int64_t fy = 0;
        double footX = 0.0;
        double footY = 0.0;
        double sa = 0.0;
        double si = 0.0;
        OVector_Regression::bComputeRegressionLine(
            3, points, true, true, true, OVector_Regression::kFilterDETSAC, 5, 2.0, 2, 4, angle,
            centre, &outliers, ni, no, found, d, fx, fy, footX, footY, sa, si, nullptr);
        benchmark::DoNotOptimize(angle);
    }
}
BENCHMARK(BM_FindLine_PathMethod);

void BM_MeasureWidth(benchmark::State& state) {
    const Plate& plate = ThePlate();
    const OMeasureWidthSettings settings = SlotSettings();
    for (auto _ : state) {
        OMeasureWidthResult result = OMetrology::MeasureWidth(plate.view, settings);
        benchmark::DoNotOptimize(result.width);
    }
}
BENCHMARK(BM_MeasureWidth);

constexpr int kBarImageSize = 48;
constexpr double kBarWidth = 3.0;
constexpr double kBarBlur = 1.0;
constexpr double kBarNoise = 2.0;
constexpr double kBarAngle = 0.3;  // radians, the bar's normal against the x axis
constexpr double kBarCaliperLength = 28.0;
constexpr double kBarCaliperWidth = 9.0;

// The bar through the image's centre, each pixel the blurred bar at its centre, with noise.
std::vector<unsigned char> RenderBar() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kBarImageSize) * kBarImageSize);
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, kBarNoise);
    const double c = 0.5 * kBarImageSize;
    for (int y = 0; y < kBarImageSize; ++y) {
        for (int x = 0; x < kBarImageSize; ++x) {
            const double across =
                (x + 0.5 - c) * std::cos(kBarAngle) + (y + 0.5 - c) * std::sin(kBarAngle);
            const auto blurred = [](double d) {
                return 0.5 * std::erfc(-d / (kBarBlur * std::sqrt(2.0)));
            };
            const double bar =
                blurred(across + 0.5 * kBarWidth) - blurred(across - 0.5 * kBarWidth);
            const double grey = kGround + (kPlate - kGround) * bar + noise(random);
            pixels[static_cast<std::size_t>(y) * kBarImageSize + x] =
                static_cast<unsigned char>(std::clamp(std::lround(grey), 0L, 255L));
        }
    }
    return pixels;
}

void BM_MeasurePairs_NarrowBar(benchmark::State& state) {
    static std::vector<unsigned char> pixels = RenderBar();
    const OType_Image view(kBarImageSize, kBarImageSize, pixels.data(), kBarImageSize);
    const double c = 0.5 * kBarImageSize;
    const double h = 0.5 * kBarCaliperLength;
    const OCaliperLine caliper{c - h * std::cos(kBarAngle), c - h * std::sin(kBarAngle),
                               c + h * std::cos(kBarAngle), c + h * std::sin(kBarAngle),
                               kBarCaliperWidth};
    const OCaliperPairSettings settings;
    for (auto _ : state) {
        OCaliperPairResult result = OCaliper::MeasurePairs(view, caliper, settings);
        benchmark::DoNotOptimize(result.status);
    }
}
BENCHMARK(BM_MeasurePairs_NarrowBar)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
