// Sub-pixel refinement of an edge on a line path: one CalculateTransitionOnPath per iteration on a
// horizontal line over a blurred step, called through the base class as a search's caller does.
// The peer reads the same seven samples along the path and does nothing else, so the difference
// is the filter chain plus the two fractional path queries. Counter time_per_call: time per call.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "foundation/OType_Image.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 8;
constexpr int kEdgeIndex = 64;  // the last dark position; the step lies between 64 and 65
constexpr int kSamplesBefore = 3;
constexpr int kSampleCount = 7;

// A row-constant image with a step from 30 to 220, blurred over three pixels.
OType_Image MakeImage() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int grey = x < kEdgeIndex ? 30 : 220;
            if (x == kEdgeIndex) {
                grey = 80;
            } else if (x == kEdgeIndex + 1) {
                grey = 170;
            }
            pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] =
                static_cast<unsigned char>(grey);
        }
    }
    return OType_Image(kWidth, kHeight, std::move(pixels));
}

OVectorPath_Line MakeLine() {
    return OVectorPath_Line(OVector(0.5, 3.5), OVector(kWidth - 0.5, 3.5));
}

void ReportPerCall(benchmark::State& state) {
    // Inverted rate: seconds per call, printed with an SI prefix (for example 120ns).
    state.counters["time_per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CalculateTransitionOnLine(benchmark::State& state) {
    OType_Image image = MakeImage();
    OVectorPath_Line line = MakeLine();
    OVectorPath* path = &line;
    benchmark::DoNotOptimize(path);  // the compiler cannot see the dynamic type
    OVector point;
    double angle = 0.0;
    if (OSubpixelCalculation::CalculateTransitionOnPath(&image, path, 1, kEdgeIndex, point,
                                                        angle) != 1) {
        state.SkipWithError("the edge was not refined");
        return;
    }
    for (auto _ : state) {
        const int ok = OSubpixelCalculation::CalculateTransitionOnPath(&image, path, 1, kEdgeIndex,
                                                                       point, angle);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(point);
        benchmark::DoNotOptimize(angle);
    }
    ReportPerCall(state);
}
BENCHMARK(BM_CalculateTransitionOnLine);

void BM_ReadSevenSamplesOnLine(benchmark::State& state) {
    OType_Image image = MakeImage();
    OVectorPath_Line line = MakeLine();
    OVectorPath* path = &line;
    benchmark::DoNotOptimize(path);
    for (auto _ : state) {
        int grey[kSampleCount];
        for (int k = 0; k < kSampleCount; ++k) {
            OVector sample;
            path->GetVectorAt(kEdgeIndex - kSamplesBefore + k, sample);
            grey[k] = image.GetPixel_Grey(sample);
        }
        benchmark::DoNotOptimize(grey);
    }
    ReportPerCall(state);
}
BENCHMARK(BM_ReadSevenSamplesOnLine);

}  // namespace

BENCHMARK_MAIN();
