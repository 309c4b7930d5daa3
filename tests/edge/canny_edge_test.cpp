// Tests of the one-dimensional Canny detector: the kernel table against the factor calculation,
// hand-computed transition functions, segments split by markers, thinning, and bad input.

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "edge/OCannyEdge.h"

// Reaches the private operations and tables (a friend of OCannyEdge).
struct OCannyEdgeTestAccess {
    static constexpr int kRows = 13;
    static constexpr int kTaps = 5;

    static int Divisor(int row) { return OCannyEdge::m_iaFilterKernel[row][0]; }
    static int Weight(int row, int tap) { return OCannyEdge::m_iaFilterKernel[row][1 + tap]; }
    static int IndexForSigma10() { return OCannyEdge::m_iIndexForSigma10; }

    static int CalcGaussFactors(float scale, float sigma, WritableCollection<unsigned int>& factors,
                                int& sum) {
        return OCannyEdge::iCalcGaussFactors(scale, sigma, factors, sum);
    }
    static void Skeletonise(WritableCollection<int>& data, int threshold, bool keep) {
        OCannyEdge::SkeletoniseEdgePoints(data, threshold, keep);
    }
};

namespace {

using Access = OCannyEdgeTestAccess;
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

Values Detect(const Values& profile, int threshold, bool keep, int row = kSigma10Row) {
    Values out;
    EXPECT_TRUE(RunDetector(profile, threshold, row, keep, out)) << testing::PrintToString(profile);
    return out;
}

Values Repeat(int value, int count) {
    return Values(static_cast<std::size_t>(count), value);
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
        ASSERT_EQ(factors.GetCount(), Access::kTaps) << "row " << row;
        for (int tap = 0; tap < Access::kTaps; ++tap) {
            EXPECT_EQ(static_cast<int>(factors.GetAt(tap)), Access::Weight(row, tap)) << row;
        }
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

const Values kRising = Concat({Repeat(0, 10), Repeat(200, 10)});
const Values kFalling = Concat({Repeat(200, 10), Repeat(0, 10)});
const Values kRisingGradients = Concat({Repeat(0, 7), {3, 46, 150, 150, 47, 4}, Repeat(0, 7)});
// Last sample alone at 200: s5..s8 = 3, 46, 153, 153 (the end repeated), g4..g7 = 3, 46, 150, 107.
const Values kLastHigh = Concat({Repeat(0, 7), {200}});

TEST(CannyTransitions, HandComputedProfiles) {
    const struct {
        const char* name;
        Values profile;
        bool keep;
        Values expected;
    } cases[] = {
        {"rising step: dark before the peak", kRising, false,
         Concat({Repeat(1, 9), {150}, Repeat(0, 10)})},
        {"falling step: dark after the peak", kFalling, false,
         Concat({Repeat(0, 9), {150}, Repeat(1, 10)})},
        {"rising step magnitudes", kRising, true, kRisingGradients},
        {"run reaching the last sample", kLastHigh, false, {1, 1, 1, 1, 1, 1, 150, 0}},
        {"run reaching the last sample, magnitudes",
         kLastHigh,
         true,
         {0, 0, 0, 0, 3, 46, 150, 107}},
        {"constant profile", Repeat(77, 12), false, Repeat(0, 12)},
        {"one value", {77}, false, {0}},
        {"only markers", Repeat(M, 6), false, Repeat(0, 6)},
        {"values use their low byte", Concat({Repeat(256, 10), Repeat(-56, 10)}), false,
         Concat({Repeat(1, 9), {150}, Repeat(0, 10)})},
        // Each segment is smoothed with its own end values: no gradient at the gap.
        {"constant segments around a gap", Concat({Repeat(50, 6), {M}, Repeat(180, 6)}), false,
         Repeat(0, 13)},
        {"markers at both ends", Concat({{M, M}, kRising, {M}}), false,
         Concat({Repeat(1, 11), {150}, Repeat(0, 11)})},
    };
    for (const auto& c : cases) {
        Values out;
        EXPECT_TRUE(RunDetector(c.profile, 10, kSigma10Row, c.keep, out)) << c.name;
        EXPECT_EQ(out, c.expected) << c.name;
    }
}

TEST(CannyTransitions, ThresholdsOfZeroAndBelowActAsOne) {
    // A gentle ramp: gradients of 0 and 1, so a threshold of 0 taken literally would differ.
    const Values ramp = {5, 5, 5, 5, 5, 6, 6, 7, 7, 8, 8, 8, 8, 8, 8};
    for (bool keep : {false, true}) {
        const Values atOne = Detect(ramp, 1, keep);
        for (int threshold : {0, -1, INT_MIN}) {
            EXPECT_EQ(Detect(ramp, threshold, keep), atOne)
                << "threshold " << threshold << " keep " << keep;
        }
    }
    // No gradient reaches the largest threshold: levels stay 0.
    EXPECT_EQ(Detect(kRising, INT_MAX, false), Repeat(0, 20));
}

// Kernel rows outside the table: segments contribute nothing, markers still give zeros. An empty
// profile answers false; as its own result, clearing the result empties the profile.
TEST(CannyTransitions, BadRowsAndEmptyProfiles) {
    for (int row : {-1, 13, INT_MIN, INT_MAX}) {
        Values out;
        EXPECT_TRUE(RunDetector({M, M, 10, 200, 200, M, 5, 5}, 10, row, false, out)) << row;
        EXPECT_EQ(out, Repeat(0, 3)) << "row " << row;
    }
    Values out;
    EXPECT_FALSE(RunDetector({}, 10, kSigma10Row, false, out));
    EXPECT_TRUE(out.empty());
    WritableCollection<int> both;
    Fill(both, kRising);
    EXPECT_FALSE(OCannyEdge::bFindCannyEdgeTransitions(both, 10, kSigma10Row, both));
    EXPECT_EQ(both.GetCount(), 0);
}

// Any int values, markers and lengths, every row: a full-length result of valid values.
TEST(CannyTransitions, RandomProfilesGiveWellFormedResults) {
    std::mt19937 random(20240611u);
    for (int trial = 0; trial < 200; ++trial) {
        Values profile(random() % 61);
        for (int& v : profile) {  // one in six a marker, one in six any int, the rest bytes
            const int k = static_cast<int>(random() % 6);
            v = k == 0 ? M : static_cast<int>(k == 1 ? random() : random() & 0xFF);
        }
        const int threshold = trial % 40 - 5;
        for (int row = 0; row < Access::kRows; ++row) {
            for (bool keep : {false, true}) {
                Values out;
                EXPECT_EQ(RunDetector(profile, threshold, row, keep, out), !profile.empty());
                ASSERT_EQ(out.size(), profile.size())
                    << testing::PrintToString(profile) << " row " << row;
                for (int v : out) {
                    const bool level = v == 0 || v == 1;
                    const bool magnitude = v >= std::max(threshold, 1) && v <= 255;
                    EXPECT_TRUE(keep ? (v >= 0 && v <= 255) : (level || magnitude))
                        << v << " in " << testing::PrintToString(out) << " row " << row << " keep "
                        << keep;
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Thinning on given gradients (threshold 10 unless stated)

TEST(CannySkeleton, ThinsRunsToTheirPeaks) {
    const struct {
        const char* name;
        Values gradients;
        int threshold;
        bool keep;
        Values expected;
    } cases[] = {
        {"equal maxima: the first wins", {0, 5, 9, 9, 3, 0}, 4, false, {1, 1, 9, 0, 0, 0}},
        {"equal maxima, magnitudes", {0, -5, -9, -9, 3, 0}, 4, true, {0, 5, 9, 9, 3, 0}},
        {"first run falling keeps level 0", {0, -20, 0, 0}, 10, false, {0, 20, 1, 1}},
        {"level toggles whatever the sign",
         {0, 20, 0, 20, 0, -20, 0},
         10,
         false,
         {1, 20, 0, 20, 1, 20, 0}},
        {"magnitude equal to the threshold is strong", {0, 10, 0}, 10, false, {1, 10, 0}},
        {"strong alone at the end, rising first", {0, 0, 0, 50}, 10, false, {1, 1, 1, 1}},
        {"strong alone at the end after an edge", {0, 40, 0, 0, -50}, 10, false, {1, 40, 0, 0, 0}},
        {"strong alone at the end at level 1", {0, -40, 0, 0, 50}, 10, true, {0, 40, 0, 0, 1}},
        {"extreme values do not overflow", {0, INT_MIN, 0}, INT_MAX, true, {0, INT_MIN, 0}},
    };
    for (const auto& c : cases) {
        WritableCollection<int> data;
        Fill(data, c.gradients);
        Access::Skeletonise(data, c.threshold, c.keep);
        EXPECT_EQ(ToVector(data), c.expected) << c.name;
    }
}

}  // namespace
