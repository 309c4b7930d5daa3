// Sub-pixel refinement of a found edge, per call. OpenCV has no routine for this job
// (cv::cornerSubPix refines corners in 2-D, a different job), so the peers are what an OpenCV user
// writes by hand: the seven samples around the edge read with cv::LineIterator, the gradient, and
// a parabola through the largest |gradient| and its two neighbours.
//
// - Library: OSubpixelCalculation::CalculateTransitionOnPath on a horizontal line path, called
//   through the base class as a search's caller does (seven path queries, the fixed-point filter
//   chain, the point and angle at the refined index).
// - OpenCV, cv::Sobel: the gradient by cv::Sobel (ksize 1, the central difference) on the 1 x 7
//   profile; most of its time is the set-up of OpenCV's filter for so short an input.
// - Plain loop: the same parabola with the central difference computed in a loop; not OpenCV, the
//   lower bound of any hand-written peer.
// The scene: a vertical step from 40 to 210 at x = 64.3, blurred by a Gaussian of 1 pixel.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include <opencv2/imgproc.hpp>

#include "opencv_comparison_support.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 8;
constexpr double kEdgeX = 64.3;
constexpr double kDark = 40.0;
constexpr double kBright = 210.0;
constexpr double kBlurSigma = 1.0;
constexpr int kMidGrey = 125;
constexpr int kMethod = 1;
constexpr int kHalfWindow = 3;  // three samples on either side of the edge index
constexpr int kWindow = 2 * kHalfWindow + 1;
constexpr int kSobelCentralDifference = 1;

struct Scene {
    Scene() : image(kWidth, kHeight) {
        comparison::RenderScene(
            image, [](double x, double) { return x - kEdgeX; }, kDark, kBright, kBlurSigma, 0.0,
            1u);
        library = image.Library();
        line.CreatePath(OVector(0.5, 3.5), OVector(kWidth - 0.5, 3.5));
        // The edge index as the search reports it: the last position on the dark side.
        OVector point;
        for (int k = 0; line.GetVectorAt(k, point) && library->GetPixel_Grey(point) <= kMidGrey;
             ++k) {
            edgeIndex = k;
        }
    }
    comparison::SharedGreyImage image;
    std::shared_ptr<OType_Image> library;
    OVectorPath_Line line;
    int edgeIndex = 0;
};

void ReportPerCall(benchmark::State& state, double position) {
    state.counters["error_px"] = position - kEdgeX;
    // Seconds per call, printed with an SI prefix (for example 120ns).
    state.counters["time_per_call"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Subpixel_Library(benchmark::State& state) {
    Scene scene;
    OVectorPath* path = &scene.line;
    benchmark::DoNotOptimize(path);  // the compiler cannot see the dynamic type
    OVector point;
    double angle = 0.0;
    for (auto _ : state) {
        const int ok = OSubpixelCalculation::CalculateTransitionOnPath(
            scene.library.get(), path, kMethod, scene.edgeIndex, point, angle);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(point);
    }
    ReportPerCall(state, point.dX());
}
BENCHMARK(BM_Subpixel_Library);

// Offset of the parabola's vertex from the middle of three values, in samples.
double ParabolaVertex(double left, double middle, double right) {
    const double curvature = left - 2.0 * middle + right;
    return curvature == 0.0 ? 0.0 : 0.5 * (left - right) / curvature;
}

// The refined x from the gradient of the seven samples: a parabola through the largest |gradient|
// (inner samples 1..5) and its neighbours.
template <class Gradient>
double Refine(const cv::Mat& profile, const cv::Point& first, Gradient gradient) {
    double g[kWindow];
    gradient(profile, g);
    int peak = 1;
    for (int k = 2; k < kWindow - 1; ++k) {
        if (std::fabs(g[k]) > std::fabs(g[peak])) {
            peak = k;
        }
    }
    const double offset =
        peak >= 2 && peak <= kWindow - 3
            ? ParabolaVertex(std::fabs(g[peak - 1]), std::fabs(g[peak]), std::fabs(g[peak + 1]))
            : 0.0;
    // The samples are pixels: sample k lies at the centre of pixel first.x + k.
    return first.x + peak + offset + 0.5;
}

template <class Gradient>
void RunPeer(benchmark::State& state, Gradient gradient) {
    Scene scene;
    cv::Mat image = scene.image.Mat();
    OVector startPoint;
    OVector endPoint;
    scene.line.GetVectorAt(scene.edgeIndex - kHalfWindow, startPoint);
    scene.line.GetVectorAt(scene.edgeIndex + kHalfWindow, endPoint);
    const cv::Point first(startPoint.iX(), startPoint.iY());
    const cv::Point last(endPoint.iX(), endPoint.iY());
    cv::Mat profile(1, kWindow, CV_8UC1);
    double x = 0.0;
    for (auto _ : state) {
        cv::LineIterator it(image, first, last, 8);
        for (int k = 0; k < it.count && k < kWindow; ++k, ++it) {
            profile.at<unsigned char>(0, k) = **it;
        }
        x = Refine(profile, first, gradient);
        benchmark::DoNotOptimize(x);
    }
    ReportPerCall(state, x);
}

void BM_Subpixel_OpenCVSobelParabola(benchmark::State& state) {
    cv::Mat gradient(1, kWindow, CV_16SC1);
    RunPeer(state, [&gradient](const cv::Mat& profile, double* g) {
        cv::Sobel(profile, gradient, CV_16S, 1, 0, kSobelCentralDifference, 1.0, 0.0,
                  cv::BORDER_REPLICATE);
        for (int k = 0; k < kWindow; ++k) {
            g[k] = gradient.at<short>(0, k);
        }
    });
}
BENCHMARK(BM_Subpixel_OpenCVSobelParabola);

void BM_Subpixel_PlainParabola(benchmark::State& state) {
    RunPeer(state, [](const cv::Mat& profile, double* g) {
        const unsigned char* s = profile.ptr<unsigned char>(0);
        g[0] = g[kWindow - 1] = 0.0;
        for (int k = 1; k < kWindow - 1; ++k) {
            g[k] = static_cast<double>(s[k + 1]) - static_cast<double>(s[k - 1]);
        }
    });
}
BENCHMARK(BM_Subpixel_PlainParabola);

}  // namespace

BENCHMARK_MAIN();
