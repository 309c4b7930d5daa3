// One-dimensional Canny on a 1,000,000-sample profile, the library against the same job done with
// OpenCV's filters.
//
// The profile: plateaus of random grey levels with 400 edges between them and noise of +-3 grey
// levels (the profile of canny_benchmark, without its gaps, which OpenCV has no notion of).
//
// - Library: OCannyEdge::bFindCannyEdgeTransitions with kernel row 2 (sigma 1.0, weights
//   1 14 35 14 1) and threshold 20, levels mode (the transition function a path uses). Its input
//   is the int profile it takes; smoothing, gradient and thinning are all inside the call.
// - OpenCV: the profile as a 1 x N 8-bit matrix (what a cv::LineIterator read gives);
//   cv::GaussianBlur with a 5 x 1 kernel of sigma 1.0 and replicated borders, cv::Sobel with
//   ksize 1 (the central difference [-1 0 1], the library's gradient) into 16-bit, then a plain
//   loop that keeps the local maxima of |gradient| at or above the threshold (first of equal
//   maxima) and writes their magnitude, 0 elsewhere, into an int result of the same length.
//
// The output matrices and the result are allocated once, outside the timed loop; the library's
// result collection is reused as its callers reuse it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "edge/OCannyEdge.h"

namespace {

constexpr int kSamples = 1000000;
constexpr int kEdges = 400;
constexpr int kNoise = 3;
constexpr int kThreshold = 20;
constexpr int kSigmaIndex = 2;      // sigma 1.0
constexpr double kGaussSigma = 1.0;  // the same sigma for OpenCV's kernel
constexpr int kGaussTaps = 5;
constexpr int kSobelCentralDifference = 1;
constexpr std::uint32_t kSeed = 12345u;

std::vector<int> MakeProfile() {
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> level(kNoise, 255 - kNoise);
    std::uniform_int_distribution<int> noise(-kNoise, kNoise);
    std::vector<int> samples(kSamples);
    const int plateau = kSamples / kEdges;
    int grey = level(random);
    for (int i = 0; i < kSamples; ++i) {
        if (i % plateau == 0) {
            grey = level(random);
        }
        samples[static_cast<std::size_t>(i)] = grey + noise(random);
    }
    return samples;
}

void ReportPerSample(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kSamples);
    // Seconds per sample, printed with an SI prefix (for example 3.3ns).
    state.counters["time_per_sample"] = benchmark::Counter(
        static_cast<double>(kSamples),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Canny1D_Library(benchmark::State& state) {
    const std::vector<int> samples = MakeProfile();
    WritableCollection<int> profile;
    profile.SetSize(kSamples);
    std::copy(samples.begin(), samples.end(), profile.GetData());
    WritableCollection<int> result;
    for (auto _ : state) {
        const bool ok =
            OCannyEdge::bFindCannyEdgeTransitions(profile, kThreshold, kSigmaIndex, result, false);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(result.GetData());
    }
    ReportPerSample(state);
}
BENCHMARK(BM_Canny1D_Library)->Unit(benchmark::kMillisecond);

// The local maxima of |gradient| at or above the threshold, magnitude at the peak, 0 elsewhere.
// Of a plateau of equal maxima the first sample is the peak (strictly above the left neighbour,
// at least the right one).
void NonMaximum(const std::int16_t* gradient, int n, int threshold, int* result) {
    result[0] = 0;
    result[n - 1] = 0;
    for (int i = 1; i + 1 < n; ++i) {
        const int g = std::abs(gradient[i]);
        const bool peak = g >= threshold && g > std::abs(gradient[i - 1]) &&
                          g >= std::abs(gradient[i + 1]);
        result[i] = peak ? g : 0;
    }
}

void BM_Canny1D_OpenCV(benchmark::State& state) {
    const std::vector<int> samples = MakeProfile();
    cv::Mat profile(1, kSamples, CV_8UC1);
    for (int i = 0; i < kSamples; ++i) {
        profile.at<unsigned char>(0, i) =
            static_cast<unsigned char>(samples[static_cast<std::size_t>(i)]);
    }
    cv::Mat smoothed(1, kSamples, CV_8UC1);
    cv::Mat gradient(1, kSamples, CV_16SC1);
    std::vector<int> result(kSamples);
    for (auto _ : state) {
        cv::GaussianBlur(profile, smoothed, cv::Size(kGaussTaps, 1), kGaussSigma, 0.0,
                         cv::BORDER_REPLICATE);
        cv::Sobel(smoothed, gradient, CV_16S, 1, 0, kSobelCentralDifference, 1.0, 0.0,
                  cv::BORDER_REPLICATE);
        NonMaximum(gradient.ptr<std::int16_t>(0), kSamples, kThreshold, result.data());
        benchmark::DoNotOptimize(result.data());
    }
    ReportPerSample(state);
}
BENCHMARK(BM_Canny1D_OpenCV)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
