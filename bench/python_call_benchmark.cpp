// The C++ peer of bench/python_benchmark.py: the same searches on the same scene, called directly,
// so that the difference of the two is the cost of the Python call. Scene: a 256 x 256 image,
// grey 200 left of column 128 and 40 from it on; a 64-step line across the edge with the band
// 0..100 as its transition function.
//   BM_ResetAndFindNext: Reset and one FindNextTransition that walks 32 pixels to the edge.
//   BM_FindNextAtEnd:    FindNextTransition on a path already at its end (one evaluation): the
//                        floor of a search call.
//
// Calipers, on the same image with a texture added (grey + (37 x + 91 y) mod 11 - 5, so that the
// calipers estimate a noise), all 64 x 9 pixels across the edge:
//   BM_Caliper:        one MeasureEdges (default settings) from (96.5, 100.5) to (160.5, 100.5).
//   BM_CaliperOutside: one MeasureEdges on a caliper outside the image: the floor of a call.
//   BM_CalipersLoop:   1000 calipers at rows 10.5 + 0.235 k, one MeasureEdges each, the first
//                      edge of each copied into arrays (as the vectorised Python call gives them
//                      back).
//   BM_CalipersMany:     the same 1000 through the many-regions call, copied likewise.
//   BM_ParallelCalipers: every 16th of those calipers (63) per iteration on 1 and 2 threads over
//                        the one image (wall clock).
//
// Metrology tools, with the settings the Python benchmark passes:
//   BM_FindCircle: find circle with its default rake (36 calipers of 40 x 5 px, outwards, rising)
//                  on a dark disc (centre (128.3, 127.6), radius 60.2) in the bright textured
//                  plate, expected at (128, 128) with radius 60.
//   BM_FindCircleOutside: a rake of one caliper outside the image (centre (1000, 1000)): the
//                  floor of a call.
//   BM_FindLine:   find line with its default rake (25 calipers) on the caliper scene's edge,
//                  expected from (128.5, 20.5) to (128.5, 235.5).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "caliper/OCaliper.h"
#include "metrology/OMetrology.h"
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

constexpr int kTextureX = 37;
constexpr int kTextureY = 91;
constexpr int kTexturePeriod = 11;
constexpr int kTextureHalf = 5;
constexpr double kCaliperStartX = 96.5;
constexpr double kCaliperEndX = 160.5;
constexpr double kCaliperRow = 100.5;
constexpr double kCaliperWidth = 9.0;
constexpr double kOutsideShift = 300.0;
constexpr int kManyCalipers = 1000;
constexpr double kFirstRow = 10.5;
constexpr double kRowSpacing = 0.235;
constexpr int kParallelEvery = 16;

// The textured plate: a pixel is dark where dark(x, y) holds at its centre, bright elsewhere.
template <class Dark>
OType_Image TexturedPlate(Dark dark) {
    OType_Image image(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const int texture = (kTextureX * x + kTextureY * y) % kTexturePeriod - kTextureHalf;
            image.SetPixel_Grey(x, y, (dark(x + 0.5, y + 0.5) ? kDark : kBright) + texture);
        }
    }
    return image;
}

const OType_Image& CaliperScene() {
    static const OType_Image scene =
        TexturedPlate([](double x, double /*y*/) { return x >= kEdgeColumn; });
    return scene;
}

OCaliperLine CaliperAt(double row, double shift = 0.0) {
    return {kCaliperStartX + shift, row, kCaliperEndX + shift, row, kCaliperWidth};
}

std::vector<OCaliperLine> ManyCalipers() {
    std::vector<OCaliperLine> calipers;
    for (int k = 0; k < kManyCalipers; ++k) {
        calipers.push_back(CaliperAt(kFirstRow + kRowSpacing * k));
    }
    return calipers;
}

void BM_Caliper(benchmark::State& state) {
    const OCaliperLine caliper = CaliperAt(kCaliperRow);
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        OCaliperEdgeResult result = OCaliper::MeasureEdges(CaliperScene(), caliper, settings);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_Caliper);

void BM_CaliperOutside(benchmark::State& state) {
    const OCaliperLine caliper = CaliperAt(kCaliperRow, kOutsideShift);
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        OCaliperEdgeResult result = OCaliper::MeasureEdges(CaliperScene(), caliper, settings);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_CaliperOutside);

// The arrays the vectorised call fills: the first edge of each caliper (NaN where none), its
// noise and status.
struct EdgeColumns {
    explicit EdgeColumns(std::size_t n)
        : x(n), y(n), position(n), amplitude(n), score(n), sigma(n), noise(n), status(n) {}
    void Set(std::size_t k, const OCaliperEdgeResult& r) {
        const double none = std::nan("");
        const bool found = r.Ok() && !r.edges.empty();
        const OCaliperEdge e =
            found ? r.edges.front() : OCaliperEdge{none, none, none, none, none, none};
        x[k] = e.x;
        y[k] = e.y;
        position[k] = e.position;
        amplitude[k] = e.amplitude;
        score[k] = e.score;
        sigma[k] = e.sigma;
        noise[k] = r.Ok() ? r.noise : none;
        status[k] = static_cast<std::int8_t>(r.status);
    }
    std::vector<double> x, y, position, amplitude, score, sigma, noise;
    std::vector<std::int8_t> status;
};

void BM_CalipersLoop(benchmark::State& state) {
    const std::vector<OCaliperLine> calipers = ManyCalipers();
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        EdgeColumns columns(calipers.size());
        for (std::size_t k = 0; k < calipers.size(); ++k) {
            columns.Set(k, OCaliper::MeasureEdges(CaliperScene(), calipers[k], settings));
        }
        benchmark::DoNotOptimize(columns);
    }
}
BENCHMARK(BM_CalipersLoop);

void BM_CalipersMany(benchmark::State& state) {
    const std::vector<OCaliperLine> calipers = ManyCalipers();
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        EdgeColumns columns(calipers.size());
        const std::vector<OCaliperEdgeResult> results =
            OCaliper::MeasureEdges(CaliperScene(), calipers, settings);
        for (std::size_t k = 0; k < results.size(); ++k) {
            columns.Set(k, results[k]);
        }
        benchmark::DoNotOptimize(columns);
    }
}
BENCHMARK(BM_CalipersMany);

void BM_ParallelCalipers(benchmark::State& state) {
    std::vector<OCaliperLine> calipers;
    const std::vector<OCaliperLine> all = ManyCalipers();
    for (std::size_t k = 0; k < all.size(); k += kParallelEvery) {
        calipers.push_back(all[k]);
    }
    const OCaliperEdgeSettings settings;
    for (auto _ : state) {
        for (const OCaliperLine& caliper : calipers) {
            OCaliperEdgeResult result = OCaliper::MeasureEdges(CaliperScene(), caliper, settings);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(calipers.size()));
}
BENCHMARK(BM_ParallelCalipers)->UseRealTime()->Threads(1)->Threads(2);

constexpr double kDiscX = 128.3;
constexpr double kDiscY = 127.6;
constexpr double kDiscRadius = 60.2;
constexpr double kExpectedCentre = 128.0;
constexpr double kExpectedRadius = 60.0;
constexpr double kOutsideCentre = 1000.0;
constexpr double kLineX = 128.5;
constexpr double kLineTop = 20.5;
constexpr double kLineBottom = 235.5;

// The textured plate with a dark disc: a pixel is dark when its centre lies inside the disc.
const OType_Image& DiscScene() {
    static const OType_Image scene = TexturedPlate(
        [](double x, double y) { return std::hypot(x - kDiscX, y - kDiscY) < kDiscRadius; });
    return scene;
}

// Find circle on the disc with its calipers around (centre, centre): the full rake where the
// disc is, or a single caliper outside the image (the call's fixed cost).
void RunFindCircle(benchmark::State& state, double centre, int calipers) {
    OFindCircleSettings hole;
    hole.centerX = centre;
    hole.centerY = centre;
    hole.radius = kExpectedRadius;
    hole.calipers = calipers;
    hole.edge.polarity = OCaliperPolarity::Rising;
    for (auto _ : state) {
        OFindCircleResult result = OMetrology::FindCircle(DiscScene(), hole);
        benchmark::DoNotOptimize(result);
    }
}

void BM_FindCircle(benchmark::State& state) {
    RunFindCircle(state, kExpectedCentre, OFindCircleSettings{}.calipers);
}
BENCHMARK(BM_FindCircle);

void BM_FindCircleOutside(benchmark::State& state) {
    RunFindCircle(state, kOutsideCentre, 1);
}
BENCHMARK(BM_FindCircleOutside);

void BM_FindLine(benchmark::State& state) {
    OFindLineSettings edge;
    edge.startX = kLineX;
    edge.startY = kLineTop;
    edge.endX = kLineX;
    edge.endY = kLineBottom;
    for (auto _ : state) {
        OFindLineResult result = OMetrology::FindLine(CaliperScene(), edge);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_FindLine);

}  // namespace

BENCHMARK_MAIN();
