// Tests of the one-dimensional Canny detector: the kernel table against the factor calculation,
// hand-computed transition functions, segments split by markers, thinning, and bad input.

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "edge/CannyFilters.h"
#include "edge/OCannyEdge.h"

// The kernel table and its row for sigma 1.0 are private constants of OCannyEdge that the library
// exports for native callers: read here by their exported names, as a native caller's linker
// finds them.
extern const int kExportedFilterKernel[13][6] __asm__("_ZN10OCannyEdge16m_iaFilterKernelE");
extern const int kExportedIndexForSigma10 __asm__("_ZN10OCannyEdge18m_iIndexForSigma10E");

// The detector's steps (edge/CannyFilters.h), reached through the library's objects.
struct CannyAccess {
    static constexpr int kRows = 13;
    static constexpr int kTaps = 5;

    static int Divisor(int row) { return kExportedFilterKernel[row][0]; }
    static std::vector<unsigned int> Weights(int row) {
        const int* weights = kExportedFilterKernel[row] + 1;
        return std::vector<unsigned int>(weights, weights + kTaps);
    }
    static int IndexForSigma10() { return kExportedIndexForSigma10; }

    static int CalcGaussFactors(float scale, float sigma, WritableCollection<unsigned int>& factors,
                                int& sum) {
        return cannyfilters::CalcGaussFactors(scale, sigma, factors, sum);
    }
    static void Skeletonise(WritableCollection<int>& data, int threshold, bool keep) {
        cannyfilters::SkeletoniseEdgePoints(data, threshold, keep);
    }
};

namespace {

using Access = CannyAccess;
using Values = std::vector<int>;

constexpr int M = INT_MIN;      // the no-value marker
constexpr int kSigma10Row = 2;  // kernel 1, 14, 35, 14, 1 / 65
constexpr float kTableScale = 0.75f;

template <class T>
void Fill(WritableCollection<T>& collection, const std::vector<T>& values) {
    collection.Assign(values.data(), static_cast<std::int64_t>(values.size()));
}

template <class T>
std::vector<T> ToVector(const WritableCollection<T>& collection) {
    return std::vector<T>(collection.begin(), collection.end());
}

// Runs the detector; the result starts with stale content so that clearing is checked too.
bool RunDetector(const Values& profile, int threshold, int row, bool keep, Values& out) {
    WritableCollection<int> in;
    WritableCollection<int> result;
    Fill(in, profile);
    Fill(result, Values{42, 43});
    const bool ok = OCannyEdge::bFindCannyEdgeTransitions(in, threshold, row, result, keep);
    out = ToVector(result);
    return ok;
}

Values Concat(std::initializer_list<Values> parts) {
    Values all;
    for (const Values& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// ---------------------------------------------------------------------------------------------
// Kernel table and factor calculation

// Every row of the kernel table is the factor calculation at scale 0.75 for sigma 0.8 + 0.1 row.
TEST(CannyGaussFactors, ReproduceEveryKernelRowForScaleThreeQuarters) {
    for (int row = 0; row < Access::kRows; ++row) {
        WritableCollection<unsigned int> factors;
        int sum = -1;
        const auto sigma = static_cast<float>(0.8 + 0.1 * row);
        ASSERT_EQ(Access::CalcGaussFactors(kTableScale, sigma, factors, sum), 1) << "row " << row;
        EXPECT_EQ(ToVector(factors), Access::Weights(row)) << "row " << row;
        EXPECT_EQ(sum, Access::Divisor(row)) << "row " << row;
    }
    EXPECT_EQ(Access::IndexForSigma10(), kSigma10Row);
}

TEST(CannyGaussFactors, UnitScaleAppendsSevenWeightsAndBadInputNone) {
    WritableCollection<unsigned int> factors;
    factors.Add(7u);  // the calculation appends; existing content stays
    int sum = 0;
    ASSERT_EQ(Access::CalcGaussFactors(1.0f, 1.0f, factors, sum), 1);
    EXPECT_EQ(ToVector(factors), (std::vector<unsigned int>{7, 1, 12, 55, 90, 55, 12, 1}));
    EXPECT_EQ(sum, 226);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Scale and sigma outside the domain, and a sigma so small that the outer weight vanishes.
    const std::pair<float, float> bad[] = {{0.0f, 1.0f},  {-0.75f, 1.0f},     {nan, 1.0f},
                                           {1e30f, 1.0f}, {kTableScale, nan}, {kTableScale, 0.01f}};
    for (const auto& [scale, sigma] : bad) {
        factors.RemoveAll();
        sum = 99;
        EXPECT_EQ(Access::CalcGaussFactors(scale, sigma, factors, sum), 0)
            << scale << ", " << sigma;
        EXPECT_EQ(sum + factors.GetCount(), 0) << scale << ", " << sigma;
    }
}

// ---------------------------------------------------------------------------------------------
// Transition functions computed by hand (kernel row 2, threshold 10)
//
// A step 0 -> 200 between samples 9 and 10 smooths (1 14 35 14 1 / 65, truncated) to
// s7..s12 = 0, 3, 46, 153, 196, 200, so the central differences g[k] = s[k+1] - s[k-1] are
// g7..g12 = 3, 46, 150, 150, 47, 4: one run 8..11 with two equal maxima, the first (9) is the peak.

const Values kRising = Concat({Values(10, 0), Values(10, 200)});
const Values kRisingLevels = Concat({Values(9, 1), {150}, Values(10, 0)});
const Values kFalling = Concat({Values(10, 200), Values(10, 0)});
const Values kFallingLevels = Concat({Values(9, 0), {150}, Values(10, 1)});
const Values kRisingGradients = Concat({Values(7, 0), {3, 46, 150, 150, 47, 4}, Values(7, 0)});
// Last sample alone at 200: s5..s8 = 3, 46, 153, 153 (the end repeated), g4..g7 = 3, 46, 150, 107.
const Values kLastHigh = {0, 0, 0, 0, 0, 0, 0, 200};
// Each segment is smoothed with its own end values: no gradient at the gap.
const Values kGap = Concat({Values(6, 50), {M}, Values(6, 180)});
const Values kLowBytes = Concat({Values(10, 256), Values(10, -56)});

TEST(CannyTransitions, HandComputedProfiles) {
    const std::tuple<const char*, Values, bool, Values> cases[] = {
        {"rising step: dark before the peak", kRising, false, kRisingLevels},
        {"falling step: dark after the peak", kFalling, false, kFallingLevels},
        {"rising step magnitudes", kRising, true, kRisingGradients},
        {"run reaching the last sample", kLastHigh, false, {1, 1, 1, 1, 1, 1, 150, 0}},
        {"last sample, magnitudes", kLastHigh, true, {0, 0, 0, 0, 3, 46, 150, 107}},
        {"constant profile", Values(12, 77), false, Values(12, 0)},
        {"one value", {77}, false, {0}},
        {"only markers", Values(6, M), false, Values(6, 0)},
        {"values use their low byte", kLowBytes, false, kRisingLevels},
        {"constant segments around a gap", kGap, false, Values(13, 0)},
        {"markers at both ends", Concat({{M, M}, kRising, {M}}), false,
         Concat({Values(11, 1), {150}, Values(11, 0)})},
    };
    for (const auto& [name, profile, keep, expected] : cases) {
        Values out;
        EXPECT_TRUE(RunDetector(profile, 10, kSigma10Row, keep, out)) << name;
        EXPECT_EQ(out, expected) << name;
    }
}

TEST(CannyTransitions, ThresholdsOfZeroAndBelowActAsOne) {
    // A gentle ramp: gradients of 0 and 1, so a threshold of 0 taken literally would differ.
    const Values ramp = {5, 5, 5, 5, 5, 6, 6, 7, 7, 8, 8, 8, 8, 8, 8};
    Values atOne, out;
    RunDetector(ramp, 1, kSigma10Row, false, atOne);
    for (int threshold : {0, -1, INT_MIN}) {
        EXPECT_TRUE(RunDetector(ramp, threshold, kSigma10Row, false, out) && out == atOne)
            << "threshold " << threshold;
    }
    // No gradient reaches the largest threshold: levels stay 0.
    EXPECT_TRUE(RunDetector(kRising, INT_MAX, kSigma10Row, false, out) && out == Values(20, 0));
}

// Kernel rows outside the table: segments contribute nothing, markers still give zeros. An empty
// profile answers false; as its own result, clearing the result empties the profile.
TEST(CannyTransitions, BadRowsAndEmptyProfiles) {
    for (int row : {-1, 13, INT_MIN, INT_MAX}) {
        Values out;
        EXPECT_TRUE(RunDetector({M, M, 10, 200, 200, M, 5, 5}, 10, row, false, out)) << row;
        EXPECT_EQ(out, Values(3, 0)) << "row " << row;
    }
    Values out;
    EXPECT_FALSE(RunDetector({}, 10, kSigma10Row, false, out));
    EXPECT_TRUE(out.empty());
    WritableCollection<int> both;
    Fill(both, kRising);
    EXPECT_FALSE(OCannyEdge::bFindCannyEdgeTransitions(both, 10, kSigma10Row, both));
    EXPECT_EQ(both.GetCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Thinning on given gradients (threshold 10 unless stated)

TEST(CannySkeleton, ThinsRunsToTheirPeaks) {
    const std::tuple<const char*, Values, int, bool, Values> cases[] = {
        {"equal maxima: the first wins", {0, 5, 9, 9, 3, 0}, 4, false, {1, 1, 9, 0, 0, 0}},
        {"equal maxima, magnitudes", {0, -5, -9, -9, 3, 0}, 4, true, {0, 5, 9, 9, 3, 0}},
        {"first run falling keeps level 0", {0, -20, 0, 0}, 10, false, {0, 20, 1, 1}},
        {"level toggles, any sign", {0, 20, 0, 20, 0, -20, 0}, 10, false, {1, 20, 0, 20, 1, 20, 0}},
        {"magnitude equal to the threshold is strong", {0, 10, 0}, 10, false, {1, 10, 0}},
        {"magnitude equal to the threshold goes on",
         {0, 20, 10, 30, 0},
         10,
         false,
         {1, 1, 1, 30, 0}},
        {"strong alone at the end, rising first", {0, 0, 0, 50}, 10, false, {1, 1, 1, 1}},
        {"strong alone at the end after an edge", {0, 40, 0, 0, -50}, 10, false, {1, 40, 0, 0, 0}},
        {"strong alone at the end at level 1", {0, -40, 0, 0, 50}, 10, true, {0, 40, 0, 0, 1}},
        {"extreme values do not overflow", {0, INT_MIN, 0}, INT_MAX, true, {0, INT_MIN, 0}},
        // Runs and weak stretches longer than the blocks that are tested at once.
        {"a falling run filling a block", Concat({Values(16, 0), Values(20, -20), Values(4, 0)}),
         10, false, Concat({Values(16, 0), {20}, Values(23, 1)})},
        {"values beyond any gradient, weak under a higher threshold", Values(20, 300), 400, false,
         Values(20, 0)},
    };
    for (const auto& [name, gradients, threshold, keep, expected] : cases) {
        WritableCollection<int> data;
        Fill(data, gradients);
        Access::Skeletonise(data, threshold, keep);
        EXPECT_EQ(ToVector(data), expected) << name;
    }
}

}  // namespace
