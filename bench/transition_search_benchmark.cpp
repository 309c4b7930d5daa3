// The transition search walking a whole path: FindNextTransitionSingle asked for a transition that
// never comes (ordinal far beyond the edges, going on to the end), so every call evaluates every
// raster pixel of the path. Paths: a 4,000-pixel horizontal line with the grey band (type 0) and
// with the moving-mean hysteresis (type 1), and a 360-degree circle of radius 500 with type 0; the
// bare raster walk of the same line is the peer. The image holds stripes 50 pixels wide, so the
// searches also meet transitions. Counter time_per_pixel: time per raster pixel of the path.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kLinePixels = 4000;
constexpr int kCircleRadius = 500;
constexpr int kImageSize = 4100;
constexpr int kStripeWidth = 50;
constexpr unsigned char kDark = 50;
constexpr unsigned char kBright = 200;

// Transition functions: the band [0, 128] and the absolute deviation from the mean of the two
// previous values, entering above 40 and leaving above 10.
constexpr int kBandType = 0;
constexpr int kBandLow = 0;
constexpr int kBandHigh = 128;
constexpr int kDeviationType = 1;
constexpr int kLeaveThreshold = 10;
constexpr int kEnterThreshold = 40;
constexpr int kDepth = 2;

// An ordinal no path here reaches: the search walks to the end.
constexpr int kUnreachedOrdinal = 1 << 30;

std::shared_ptr<OType_Image> StripedImage() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kImageSize) * kImageSize);
    for (int y = 0; y < kImageSize; ++y) {
        for (int x = 0; x < kImageSize; ++x) {
            const bool dark = ((x / kStripeWidth) + (y / kStripeWidth)) % 2 == 0;
            pixels[static_cast<std::size_t>(y) * kImageSize + x] = dark ? kDark : kBright;
        }
    }
    return std::make_shared<OType_Image>(kImageSize, kImageSize, std::move(pixels));
}

OVectorPath_Line MakeLine() {
    return OVectorPath_Line(OVector(20.5, 20.5), OVector(20.5 + kLinePixels, 20.5));
}

OVectorPath_Circle MakeCircle() {
    const double centre = kImageSize / 2 + 0.5;
    return OVectorPath_Circle(OVector(centre, centre), kCircleRadius, 0.0, 360.0);
}

// Raster positions of one walk from the start, the evaluation before the first step included.
std::int64_t RasterPixels(OVectorPath& path) {
    std::int64_t pixels = 1;
    path.Reset();
    while (path.MoveNextRaster()) {
        ++pixels;
    }
    path.Reset();
    return pixels;
}

void ReportPerPixel(benchmark::State& state, std::int64_t pixelsPerWalk) {
    // Inverted rate: seconds per pixel, printed with an SI prefix (for example 3.9ns).
    state.counters["time_per_pixel"] =
        benchmark::Counter(static_cast<double>(pixelsPerWalk * state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pixels_per_walk"] = static_cast<double>(pixelsPerWalk);
}

void SearchWholePath(benchmark::State& state, OVectorPath& path, int type, int param1, int param2,
                     int param3) {
    const std::shared_ptr<OType_Image> image = StripedImage();
    const std::int64_t pixels = RasterPixels(path);
    for (auto _ : state) {
        path.Reset();
        path.bCreateTransitionFunction(type, param1, param2, param3, 0, image);
        int index = 0;
        OVector point;
        double angle = 0.0;
        const bool found = path.FindNextTransitionSingle(image, kUnreachedOrdinal, 0, 0, 0, index,
                                                         point, angle, nullptr, 0, 0, true);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(index);
    }
    ReportPerPixel(state, pixels);
}

void BM_SearchLine_Band(benchmark::State& state) {
    OVectorPath_Line line = MakeLine();
    SearchWholePath(state, line, kBandType, kBandLow, kBandHigh, kDepth);
}
BENCHMARK(BM_SearchLine_Band);

void BM_SearchLine_Deviation(benchmark::State& state) {
    OVectorPath_Line line = MakeLine();
    SearchWholePath(state, line, kDeviationType, kLeaveThreshold, kEnterThreshold, kDepth);
}
BENCHMARK(BM_SearchLine_Deviation);

void BM_SearchCircle_Band(benchmark::State& state) {
    OVectorPath_Circle circle = MakeCircle();
    SearchWholePath(state, circle, kBandType, kBandLow, kBandHigh, kDepth);
}
BENCHMARK(BM_SearchCircle_Band);

// The peer: the bare raster walk of the same line, without evaluations.
void BM_LineRasterWalk(benchmark::State& state) {
    OVectorPath_Line line = MakeLine();
    const std::int64_t pixels = RasterPixels(line);
    for (auto _ : state) {
        line.Reset();
        while (line.MoveNextRaster()) {
        }
        benchmark::ClobberMemory();
    }
    ReportPerPixel(state, pixels);
}
BENCHMARK(BM_LineRasterWalk);

}  // namespace

BENCHMARK_MAIN();
