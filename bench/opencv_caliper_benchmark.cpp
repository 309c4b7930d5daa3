// Precision calipers side by side with the OpenCV way of measuring the same edge.
//
// Scene: a straight edge at 30 degrees (blur 1 pixel, grey 50 to 200, noise 2 grey levels) in a
// 512 x 512 image. Library: OCaliper::MeasureEdges (sigma 1, strongest edge), the whole job:
// profile, filter, edges, sub-pixel position and uncertainty. OpenCV: the rectangle resampled by
// cv::warpAffine (bilinear, the caliper's samples as the output pixels), cv::reduce to the mean
// profile, cv::Sobel (central difference) and a parabola through the strongest gradient; its
// matrices are kept between calls, as a careful user keeps them. Counters: error_px, the signed
// distance of the measured point from the true edge.
//
// - 64 x 9 and 1000 x 1 calipers across the edge, one call per iteration.
// - 64 calipers of 64 x 9 along the edge per iteration on 1 and 2 threads over the one shared
//   image (wall clock, calipers per second), and the same 64 through the many-calipers call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "caliper/OCaliper.h"
#include "opencv_comparison_support.h"

namespace {

using comparison::kPi;

constexpr int kImageSize = 1200;
constexpr double kAngle = 30.0 * kPi / 180.0;
constexpr double kDark = 50.0;
constexpr double kBright = 200.0;
constexpr double kBlur = 1.0;
constexpr double kNoise = 2.0;
constexpr int kSobelCentralDifference = 1;
constexpr int kParallelCalipers = 64;
constexpr double kParallelSpacing = 8.0;

struct Edge {
    double px, py, nx, ny;  // a point on the edge and the unit normal towards the bright side
    double operator()(double x, double y) const { return (x - px) * nx + (y - py) * ny; }
};

const Edge kEdge{kImageSize / 2.0 + 0.3, kImageSize / 2.0 - 0.2, std::cos(kAngle),
                 std::sin(kAngle)};

comparison::SharedGreyImage& Scene() {
    static comparison::SharedGreyImage image = [] {
        comparison::SharedGreyImage scene(kImageSize, kImageSize);
        comparison::RenderScene(scene, kEdge, kDark, kBright, kBlur, kNoise, 17);
        return scene;
    }();
    return image;
}

// A caliper of the given length and width across the edge, centred `along` pixels down it.
OCaliperLine Across(double length, double width, double along) {
    const double cx = kEdge.px - kEdge.ny * along;
    const double cy = kEdge.py + kEdge.nx * along;
    const double h = 0.5 * length;
    return {cx - h * kEdge.nx, cy - h * kEdge.ny, cx + h * kEdge.nx, cy + h * kEdge.ny, width};
}

// The OpenCV way, with its matrices kept between calls.
struct OpenCVCaliper {
    cv::Mat patch;
    cv::Mat profile;
    cv::Mat gradient;

    // The edge point, in the library's coordinates (pixel centres at i + 0.5).
    bool Measure(const cv::Mat& image, const OCaliperLine& c, double& x, double& y) {
        const double length = std::hypot(c.endX - c.startX, c.endY - c.startY);
        const int samples = static_cast<int>(length) + 1;
        const int lines = static_cast<int>(std::ceil(c.width));
        const double ux = (c.endX - c.startX) / length;
        const double uy = (c.endY - c.startY) / length;
        const double first = -0.5 * c.width + 0.5;
        // Output pixel (k, j) reads the source at start + k u + (first + j) n, shifted by half a
        // pixel into OpenCV's convention (pixel centres on whole numbers).
        const cv::Matx23d map(ux, -uy, c.startX - 0.5 - first * uy, uy, ux,
                              c.startY - 0.5 + first * ux);
        cv::warpAffine(image, patch, map, cv::Size(samples, lines),
                       cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
        cv::reduce(patch, profile, 0, cv::REDUCE_AVG, CV_32F);
        cv::Sobel(profile, gradient, CV_32F, 1, 0, kSobelCentralDifference, 1.0, 0.0,
                  cv::BORDER_REPLICATE);
        const float* g = gradient.ptr<float>(0);
        int peak = 1;
        for (int k = 1; k + 1 < samples; ++k) {
            if (std::fabs(g[k]) > std::fabs(g[peak])) {
                peak = k;
            }
        }
        const double l = std::fabs(g[peak - 1]);
        const double m = std::fabs(g[peak]);
        const double r = std::fabs(g[peak + 1]);
        const double curvature = l - 2.0 * m + r;
        const double offset = curvature == 0.0 ? 0.0 : 0.5 * (l - r) / curvature;
        x = c.startX + (peak + offset) * ux;
        y = c.startY + (peak + offset) * uy;
        return true;
    }
};

OType_Image LibraryImage() {
    return OType_Image(kImageSize, kImageSize, Scene().Data(), kImageSize);
}

void BM_Caliper_Library(benchmark::State& state) {
    const OType_Image image = LibraryImage();
    const OCaliperLine caliper =
        Across(static_cast<double>(state.range(0)), static_cast<double>(state.range(1)), 0.0);
    const OCaliperEdgeSettings settings;
    OCaliperEdgeResult result;
    for (auto _ : state) {
        result = OCaliper::MeasureEdges(image, caliper, settings);
        benchmark::DoNotOptimize(result);
    }
    if (!result.Ok()) {
        state.SkipWithError(result.StatusText());
        return;
    }
    state.counters["error_px"] = kEdge(result.edges[0].x, result.edges[0].y);
}
BENCHMARK(BM_Caliper_Library)->ArgNames({"length", "width"})->Args({64, 9})->Args({1000, 1});

void BM_Caliper_OpenCV(benchmark::State& state) {
    const cv::Mat image = Scene().Mat();
    const OCaliperLine caliper =
        Across(static_cast<double>(state.range(0)), static_cast<double>(state.range(1)), 0.0);
    OpenCVCaliper opencv;
    double x = 0.0;
    double y = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(opencv.Measure(image, caliper, x, y));
    }
    state.counters["error_px"] = kEdge(x, y);
}
BENCHMARK(BM_Caliper_OpenCV)->ArgNames({"length", "width"})->Args({64, 9})->Args({1000, 1});

std::vector<OCaliperLine> ParallelCalipers() {
    std::vector<OCaliperLine> calipers;
    for (int k = 0; k < kParallelCalipers; ++k) {
        calipers.push_back(Across(64.0, 9.0, (k - kParallelCalipers / 2) * kParallelSpacing));
    }
    return calipers;
}

// 64 calipers per iteration over the one shared image, on each thread.
void BM_ParallelCalipers_Library(benchmark::State& state) {
    const OType_Image image = LibraryImage();
    const std::vector<OCaliperLine> calipers = ParallelCalipers();
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        for (const OCaliperLine& caliper : calipers) {
            OCaliperEdgeResult result = OCaliper::MeasureEdges(image, caliper, settings);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kParallelCalipers);
}
BENCHMARK(BM_ParallelCalipers_Library)->UseRealTime()->Threads(1)->Threads(2);

void BM_ParallelCalipers_OpenCV(benchmark::State& state) {
    const cv::Mat image = Scene().Mat();
    const std::vector<OCaliperLine> calipers = ParallelCalipers();
    OpenCVCaliper opencv;
    double x = 0.0;
    double y = 0.0;
    for (auto _ : state) {
        for (const OCaliperLine& caliper : calipers) {
            benchmark::DoNotOptimize(opencv.Measure(image, caliper, x, y));
        }
    }
    state.SetItemsProcessed(state.iterations() * kParallelCalipers);
}
BENCHMARK(BM_ParallelCalipers_OpenCV)->UseRealTime()->Threads(1)->Threads(2);

// The same 64 calipers through the many-calipers call.
void BM_ManyCalipers_Library(benchmark::State& state) {
    const OType_Image image = LibraryImage();
    const std::vector<OCaliperLine> calipers = ParallelCalipers();
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        std::vector<OCaliperEdgeResult> results = OCaliper::MeasureEdges(image, calipers, settings);
        benchmark::DoNotOptimize(results);
    }
    state.SetItemsProcessed(state.iterations() * kParallelCalipers);
}
BENCHMARK(BM_ManyCalipers_Library);

}  // namespace

BENCHMARK_MAIN();
