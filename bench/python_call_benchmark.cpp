// The C++ peer of bench/python_benchmark.py: the same searches on the same scene, called directly,
// so that the difference of the two is the cost of the Python call. Scene: a 256 x 256 image,
// grey 200 left of column 128 and 40 from it on; a 64-step line across the edge with the band
// 0..100 as its transition function.
//   BM_ResetAndFindNext: Reset and one FindNextTransition that walks 32 pixels to the edge.
//   BM_FindNextAtEnd:    FindNextTransition on a path already at its end (one evaluation): the
//                        floor of a search call.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kSize = 256;
constexpr int kEdgeColumn = 128;
constexpr int kBright = 200;
constexpr int kDark = 40;
constexpr int kBandHigh = 100;

std::shared_ptr<OType_Image> MakeScene() {
    auto image = std::make_shared<OType_Image>(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            image->SetPixel_Grey(x, y, x < kEdgeColumn ? kBright : kDark);
        }
    }
    return image;
}

OVectorPath_Line MakeLine(const std::shared_ptr<OType_Image>& image) {
    OVectorPath_Line line(OVector(96.5, 100.5), OVector(160.5, 100.5));
    line.bCreateTransitionFunction(OVectorPath::kTransitionBand, 0, kBandHigh, 0, 0, image);
    return line;
}

bool FindNext(OVectorPath_Line& line, const std::shared_ptr<OType_Image>& image, int& index) {
    OVector point;
    double angle = 0.0;
    return line.FindNextTransition(image, 0, 0, 0, index, point, angle, nullptr, 0, 0);
}

void BM_ResetAndFindNext(benchmark::State& state) {
    const auto image = MakeScene();
    OVectorPath_Line line = MakeLine(image);
    int index = -1;
    for (auto _ : state) {
        line.Reset();
        benchmark::DoNotOptimize(FindNext(line, image, index));
    }
    state.counters["index"] = index;
}
BENCHMARK(BM_ResetAndFindNext);

void BM_FindNextAtEnd(benchmark::State& state) {
    const auto image = MakeScene();
    OVectorPath_Line line = MakeLine(image);
    OVector end;
    line.MoveEnd(end);
    int index = -1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindNext(line, image, index));
    }
}
BENCHMARK(BM_FindNextAtEnd);

}  // namespace

BENCHMARK_MAIN();
