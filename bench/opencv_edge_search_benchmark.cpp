// Edge search along a line, the library against the OpenCV way of doing the same job.
//
// The scene: vertical stripes of random widths (12 to 60 pixels), dark 60 and bright 190, edges
// blurred by a Gaussian of 1 pixel, noise of 2 grey levels, in a 3600 x 2200 image. The job: every
// crossing of the grey band [0, 125] along a 4,000-pixel line at 30 degrees (about 110 edges).
//
// - Library: CreatePath of the line, then one FindNextTransitionSingle with the band as transition
//   function (type 0), polarity 0 (all edges), an ordinal that is never reached and "go on", so
//   that it walks the whole line in raster steps and passes every transition through its tests.
// - OpenCV: a cv::LineIterator (8-connected) from the start pixel to the end pixel reads the
//   profile into a buffer, then a plain loop records every band crossing.
//
// The two walks do not visit the same pixels: the line path takes steps of about one pixel along
// the line (4,000 raster positions), the iterator one pixel per step of the major axis (3,465).
// Both figures are reported; the ratio compares the time for the whole line, the job a caller has.
//
// Throughput on both cores: 64 lines of 1,000 pixels over the same image, one path (or iterator)
// per thread, each thread searching the lines in turn; with 1 and 2 threads.
//
// The Canny type along a line: lines of 250, 1,000 and 4,000 pixels at 30 degrees over the same
// scene; the job is the transition function and the first edge.
// - Library: bCreateTransitionFunction type 3 (threshold 20, kernel row 2, sigma 1.0) on the
//   line, then FindNextTransition (polarity 0) for the first edge.
// - OpenCV: a cv::LineIterator reads the profile into a 1 x N matrix, cv::GaussianBlur 5 x 1
//   (sigma 1.0, replicated borders) and cv::Sobel with ksize 1 (the central difference) give the
//   gradient, a loop finds the first local maximum of |gradient| at or above 20.
// Times per pixel divide by the line's length in pixels for both.
//
// The circle walk: full circles of radius 50 and 500 about the image centre, crossing the stripes;
// every crossing of the grey band, as for the line.
// - Library: OVectorPath_Circle (double) and OVectorPath_Circle_Float, CreatePath, then one
//   FindNextTransitionSingle (type 0, polarity 0, an ordinal never reached, go on).
// - Peer (no OpenCV routine walks a circle): a plain loop over as many samples as the path has
//   steps that computes cos and sin of each sample's angle (std::cos/std::sin for double,
//   cosf/sinf for float), reads the pixel and records the band crossings.
// Times per position divide by the number of steps for both.
//
// The program takes --started_thread (bench/benchmark_process.h).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "benchmark_process.h"
#include "opencv_comparison_support.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

using comparison::kPi;

constexpr int kWidth = 3600;
constexpr int kHeight = 2200;
constexpr double kDark = 60.0;
constexpr double kBright = 190.0;
constexpr double kBlurSigma = 1.0;
constexpr double kNoiseSigma = 2.0;
constexpr int kStripeMin = 12;
constexpr int kStripeMax = 60;
constexpr std::uint32_t kSceneSeed = 2024u;

// Transition function: the grey band [0, 125], in threshold on the dark side.
constexpr int kTransitionBand = OVectorPath::kTransitionBand;
constexpr int kBandLow = 0;
constexpr int kBandHigh = 125;
constexpr int kAllPolarities = OVectorPath::kPolarityAny;
// An ordinal that no line reaches: the search passes every transition through its tests.
constexpr int kNeverReached = INT_MAX;
constexpr int kNoLabel = OVectorPath::kLabelKindNone;

// The long line: 4,000 pixels at 30 degrees, starting at a pixel centre.
constexpr double kLineLength = 4000.0;
constexpr double kLineAngle = kPi / 6.0;
constexpr double kStartX = 40.5;
constexpr double kStartY = 60.5;

// The lines of the throughput test.
constexpr int kShortLines = 64;
constexpr double kShortLength = 1000.0;

struct Line {
    OVector start;
    OVector end;
    cv::Point startPixel;
    cv::Point endPixel;
};

Line MakeLine(double x0, double y0, double angle, double length) {
    const double x1 = x0 + length * std::cos(angle);
    const double y1 = y0 + length * std::sin(angle);
    Line line{OVector(x0, y0), OVector(x1, y1), {}, {}};
    // The pixels that contain the two points, as OpenCV names them.
    line.startPixel = cv::Point(line.start.iX(), line.start.iY());
    line.endPixel = cv::Point(line.end.iX(), line.end.iY());
    return line;
}

class Scene {
  public:
    Scene() : m_image(kWidth, kHeight) {
        std::mt19937 random(kSceneSeed);
        std::uniform_int_distribution<int> width(kStripeMin, kStripeMax);
        for (int x = 0; x < kWidth; x += width(random)) {
            m_boundaries.push_back(x + 0.5);
        }
        comparison::RenderScene(
            m_image, [this](double x, double y) { return Distance(x, y); }, kDark, kBright,
            kBlurSigma, kNoiseSigma, kSceneSeed);
        m_library = m_image.Library();
        m_long = MakeLine(kStartX, kStartY, kLineAngle, kLineLength);
        // Lines of 1,000 pixels through points of a grid, at angles spread over half a turn.
        for (int k = 0; k < kShortLines; ++k) {
            const double angle = kPi * k / kShortLines;
            const double cx = kWidth / 2.0 + 600.0 * std::cos(2.0 * kPi * k / kShortLines);
            const double cy = kHeight / 2.0 + 300.0 * std::sin(2.0 * kPi * k / kShortLines);
            const double x0 = cx - kShortLength / 2.0 * std::cos(angle);
            const double y0 = cy - kShortLength / 2.0 * std::sin(angle);
            m_short.push_back(MakeLine(x0, y0, angle, kShortLength));
        }
    }

    const std::shared_ptr<OType_Image>& Library() const { return m_library; }
    cv::Mat Mat() { return m_image.Mat(); }
    const Line& Long() const { return m_long; }
    const std::vector<Line>& Short() const { return m_short; }

  private:
    // Signed distance from the nearest stripe boundary; even stripes (counted from the left)
    // are dark.
    double Distance(double x, double /*y*/) const {
        const auto next = std::upper_bound(m_boundaries.begin(), m_boundaries.end(), x);
        const auto stripe = next - m_boundaries.begin();
        const double toLeft = stripe == 0 ? 1e9 : x - *(next - 1);
        const double toRight = next == m_boundaries.end() ? 1e9 : *next - x;
        const double distance = std::min(toLeft, toRight);
        return stripe % 2 == 0 ? -distance : distance;
    }

    comparison::SharedGreyImage m_image;
    std::vector<double> m_boundaries;
    std::shared_ptr<OType_Image> m_library;
    Line m_long;
    std::vector<Line> m_short;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

bool InBand(unsigned char grey) {
    return grey >= kBandLow && grey <= kBandHigh;
}

// The library's job: one search over the whole line with every transition passed through the
// tests. Answers false (the ordinal is never reached).
bool SearchLine(OVectorPath_Line& path, const Line& line,
                const std::shared_ptr<OType_Image>& image) {
    path.CreatePath(line.start, line.end);
    int index = -1;
    OVector point;
    double angle = 0.0;
    return path.FindNextTransitionSingle(image, kNeverReached, kAllPolarities, 0, -1, index, point,
                                         angle, nullptr, kNoLabel, 0, true);
}

// OpenCV's job: read the profile with the iterator, then find the band crossings. Answers the
// number of crossings; `profile` must hold the longest line, `crossings` is refilled.
int SearchLineOpenCV(cv::Mat& image, const Line& line, std::vector<unsigned char>& profile,
                     std::vector<int>& crossings) {
    cv::LineIterator it(image, line.startPixel, line.endPixel, 8);
    const int count = it.count;
    for (int i = 0; i < count; ++i, ++it) {
        profile[static_cast<std::size_t>(i)] = **it;
    }
    crossings.clear();
    bool previous = InBand(profile[0]);
    for (int i = 1; i < count; ++i) {
        const bool now = InBand(profile[static_cast<std::size_t>(i)]);
        if (now != previous) {
            // As the library reports it: the last position inside the band.
            crossings.push_back(now ? i : i - 1);
            previous = now;
        }
    }
    return static_cast<int>(crossings.size());
}

OVectorPath_Line MakeSearchPath(const std::shared_ptr<OType_Image>& image) {
    OVectorPath_Line path;
    path.bCreateTransitionFunction(kTransitionBand, kBandLow, kBandHigh, 0, 0, image);
    return path;
}

// Raster positions of the line path and the transitions the library finds on it, counted outside
// the timed loop (one search per transition).
void CountLibrary(const Line& line, const std::shared_ptr<OType_Image>& image, int& positions,
                  int& edges) {
    OVectorPath_Line path = MakeSearchPath(image);
    path.CreatePath(line.start, line.end);
    positions = 0;
    while (path.MoveNextRaster()) {
        ++positions;
    }
    path.Reset();
    edges = 0;
    int index = -1;
    OVector point;
    double angle = 0.0;
    while (path.FindNextTransitionSingle(image, 1, kAllPolarities, 0, -1, index, point, angle,
                                         nullptr, kNoLabel, 0, false)) {
        ++edges;
    }
}

void ReportPerPixel(benchmark::State& state, int pixels, int edges) {
    state.counters["pixels_per_line"] = pixels;
    state.counters["edges"] = edges;
    // Seconds per pixel visited, printed with an SI prefix (for example 2.1ns).
    state.counters["time_per_pixel"] = benchmark::Counter(
        static_cast<double>(pixels),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_EdgeSearchLine_Library(benchmark::State& state) {
    Scene& scene = TheScene();
    OVectorPath_Line path = MakeSearchPath(scene.Library());
    for (auto _ : state) {
        const bool reached = SearchLine(path, scene.Long(), scene.Library());
        benchmark::DoNotOptimize(reached);
    }
    int positions = 0;
    int edges = 0;
    CountLibrary(scene.Long(), scene.Library(), positions, edges);
    ReportPerPixel(state, positions, edges);
}
BENCHMARK(BM_EdgeSearchLine_Library)->Unit(benchmark::kMicrosecond);

void BM_EdgeSearchLine_OpenCV(benchmark::State& state) {
    Scene& scene = TheScene();
    cv::Mat image = scene.Mat();
    std::vector<unsigned char> profile(static_cast<std::size_t>(kWidth + kHeight));
    std::vector<int> crossings;
    crossings.reserve(profile.size());
    int edges = 0;
    for (auto _ : state) {
        edges = SearchLineOpenCV(image, scene.Long(), profile, crossings);
        benchmark::DoNotOptimize(crossings.data());
    }
    const cv::LineIterator it(image, scene.Long().startPixel, scene.Long().endPixel, 8);
    ReportPerPixel(state, it.count, edges);
}
BENCHMARK(BM_EdgeSearchLine_OpenCV)->Unit(benchmark::kMicrosecond);

// Throughput on both cores: every thread owns its path (paths are not shared between threads) and
// searches the 64 lines in turn over the one shared image. Items are lines searched.
void BM_ParallelLines_Library(benchmark::State& state) {
    Scene& scene = TheScene();
    OVectorPath_Line path = MakeSearchPath(scene.Library());
    const std::vector<Line>& lines = scene.Short();
    std::size_t next = static_cast<std::size_t>(state.thread_index());
    for (auto _ : state) {
        const bool reached = SearchLine(path, lines[next % lines.size()], scene.Library());
        benchmark::DoNotOptimize(reached);
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParallelLines_Library)->Threads(1)->Threads(2)->UseRealTime();

void BM_ParallelLines_OpenCV(benchmark::State& state) {
    Scene& scene = TheScene();
    cv::Mat image = scene.Mat();
    const std::vector<Line>& lines = scene.Short();
    std::vector<unsigned char> profile(static_cast<std::size_t>(kWidth + kHeight));
    std::vector<int> crossings;
    crossings.reserve(profile.size());
    std::size_t next = static_cast<std::size_t>(state.thread_index());
    for (auto _ : state) {
        const int edges = SearchLineOpenCV(image, lines[next % lines.size()], profile, crossings);
        benchmark::DoNotOptimize(edges);
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParallelLines_OpenCV)->Threads(1)->Threads(2)->UseRealTime();

// --- The Canny type along a line ---------------------------------------------------------------

constexpr int kTransitionCanny = OVectorPath::kTransitionCanny;
constexpr int kCannyThreshold = 20;
constexpr int kCannySigmaIndex = 2;  // kernel row 2: sigma 1.0
constexpr double kCannySigma = 1.0;  // the same sigma for OpenCV's kernel
constexpr int kGaussTaps = 5;
constexpr int kSobelCentralDifference = 1;

void ReportPerLinePixel(benchmark::State& state, double length, int edgeIndex) {
    state.counters["first_edge"] = edgeIndex;
    // Seconds per pixel of the line's length, printed with an SI prefix.
    state.counters["time_per_pixel"] = benchmark::Counter(
        length, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CannyLine_Library(benchmark::State& state) {
    Scene& scene = TheScene();
    const auto length = static_cast<double>(state.range(0));
    const Line line = MakeLine(kStartX, kStartY, kLineAngle, length);
    OVectorPath_Line path(line.start, line.end);
    int index = -1;
    for (auto _ : state) {
        path.Reset();
        path.bCreateTransitionFunction(kTransitionCanny, kCannyThreshold, 0, 0, kCannySigmaIndex,
                                       scene.Library());
        OVector point;
        double angle = 0.0;
        const bool found = path.FindNextTransition(scene.Library(), kAllPolarities, 0, -1, index,
                                                   point, angle, nullptr, kNoLabel, 0);
        benchmark::DoNotOptimize(found);
    }
    ReportPerLinePixel(state, length, index);
}
BENCHMARK(BM_CannyLine_Library)
    ->ArgName("pixels")
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond);

// The first local maximum of |gradient| at or above the threshold (strictly above the left
// neighbour, at least the right one), or -1.
int FirstPeak(const cv::Mat& gradient, int threshold) {
    const auto* const g = gradient.ptr<std::int16_t>(0);
    for (int i = 1; i + 1 < gradient.cols; ++i) {
        const int magnitude = std::abs(g[i]);
        if (magnitude >= threshold && magnitude > std::abs(g[i - 1]) &&
            magnitude >= std::abs(g[i + 1])) {
            return i;
        }
    }
    return -1;
}

void BM_CannyLine_OpenCV(benchmark::State& state) {
    Scene& scene = TheScene();
    cv::Mat image = scene.Mat();
    const auto length = static_cast<double>(state.range(0));
    const Line line = MakeLine(kStartX, kStartY, kLineAngle, length);
    cv::Mat smoothed;
    cv::Mat gradient;
    int edge = -1;
    for (auto _ : state) {
        cv::LineIterator it(image, line.startPixel, line.endPixel, 8);
        cv::Mat profile(1, it.count, CV_8UC1);
        auto* const samples = profile.ptr<unsigned char>(0);
        for (int i = 0; i < it.count; ++i, ++it) {
            samples[i] = **it;
        }
        cv::GaussianBlur(profile, smoothed, cv::Size(kGaussTaps, 1), kCannySigma, 0.0,
                         cv::BORDER_REPLICATE);
        cv::Sobel(smoothed, gradient, CV_16S, 1, 0, kSobelCentralDifference, 1.0, 0.0,
                  cv::BORDER_REPLICATE);
        edge = FirstPeak(gradient, kCannyThreshold);
        benchmark::DoNotOptimize(edge);
    }
    ReportPerLinePixel(state, length, edge);
}
BENCHMARK(BM_CannyLine_OpenCV)
    ->ArgName("pixels")
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond);

// --- The circle walk -------------------------------------------------------------------------

constexpr double kCircleCentreX = kWidth / 2.0 + 0.5;
constexpr double kCircleCentreY = kHeight / 2.0 + 0.5;
constexpr double kFullTurnDegrees = 360.0;

void ReportPerPosition(benchmark::State& state, int positions, int edges) {
    state.counters["positions"] = positions;
    state.counters["edges"] = edges;
    state.counters["time_per_position"] = benchmark::Counter(
        static_cast<double>(positions),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The number of transitions the library finds on a circle (one search per transition).
int CountCircleEdges(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    path.Reset();
    int edges = 0;
    int index = -1;
    OVector point;
    double angle = 0.0;
    while (path.FindNextTransitionSingle(image, 1, kAllPolarities, 0, -1, index, point, angle,
                                         nullptr, kNoLabel, 0, false)) {
        ++edges;
    }
    return edges;
}

template <class Circle, class Real>
void RunCircleLibrary(benchmark::State& state) {
    Scene& scene = TheScene();
    const auto radius = static_cast<Real>(state.range(0));
    const OVector centre(kCircleCentreX, kCircleCentreY);
    Circle path;
    path.bCreateTransitionFunction(kTransitionBand, kBandLow, kBandHigh, 0, 0, scene.Library());
    for (auto _ : state) {
        path.CreatePath(centre, radius, Real(0), static_cast<Real>(kFullTurnDegrees));
        int index = -1;
        OVector point;
        double angle = 0.0;
        const bool reached =
            path.FindNextTransitionSingle(scene.Library(), kNeverReached, kAllPolarities, 0, -1,
                                          index, point, angle, nullptr, kNoLabel, 0, true);
        benchmark::DoNotOptimize(reached);
    }
    ReportPerPosition(state, path.GetCount(), CountCircleEdges(path, scene.Library()));
}

void BM_CircleWalk_Library(benchmark::State& state) {
    RunCircleLibrary<OVectorPath_Circle, double>(state);
}
void BM_CircleWalk_LibraryFloat(benchmark::State& state) {
    RunCircleLibrary<OVectorPath_Circle_Float, float>(state);
}

// The peer: cos and sin per sample in the given precision, the pixel read, the band crossings
// recorded. Answers the number of crossings.
template <class Real>
int WalkCirclePlainly(cv::Mat& image, Real radius, int samples, std::vector<int>& crossings) {
    const Real centreX = static_cast<Real>(kCircleCentreX);
    const Real centreY = static_cast<Real>(kCircleCentreY);
    const Real step = static_cast<Real>(2.0 * kPi) / static_cast<Real>(samples);
    crossings.clear();
    bool previous = false;
    for (int k = 0; k < samples; ++k) {
        const Real angle = step * static_cast<Real>(k);
        const int x = static_cast<int>(std::floor(centreX + radius * std::cos(angle)));
        const int y = static_cast<int>(std::floor(centreY + radius * std::sin(angle)));
        const bool in = x >= 0 && y >= 0 && x < image.cols && y < image.rows &&
                        InBand(image.at<unsigned char>(y, x));
        if (k > 0 && in != previous) {
            crossings.push_back(k);
        }
        previous = in;
    }
    return static_cast<int>(crossings.size());
}

template <class Circle, class Real>
void RunCirclePlain(benchmark::State& state) {
    Scene& scene = TheScene();
    cv::Mat image = scene.Mat();
    const auto radius = static_cast<Real>(state.range(0));
    Circle path(OVector(kCircleCentreX, kCircleCentreY), radius, Real(0),
                static_cast<Real>(kFullTurnDegrees));
    const int samples = path.GetCount();
    std::vector<int> crossings;
    crossings.reserve(static_cast<std::size_t>(samples));
    int edges = 0;
    for (auto _ : state) {
        edges = WalkCirclePlainly(image, radius, samples, crossings);
        benchmark::DoNotOptimize(crossings.data());
    }
    ReportPerPosition(state, samples, edges);
}

void BM_CircleWalk_Plain(benchmark::State& state) {
    RunCirclePlain<OVectorPath_Circle, double>(state);
}
void BM_CircleWalk_PlainFloat(benchmark::State& state) {
    RunCirclePlain<OVectorPath_Circle_Float, float>(state);
}

BENCHMARK(BM_CircleWalk_Library)
    ->ArgName("radius")
    ->Arg(50)
    ->Arg(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CircleWalk_Plain)->ArgName("radius")->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CircleWalk_LibraryFloat)
    ->ArgName("radius")
    ->Arg(50)
    ->Arg(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CircleWalk_PlainFloat)
    ->ArgName("radius")
    ->Arg(50)
    ->Arg(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return benchmark_process::Main(argc, argv);
}
