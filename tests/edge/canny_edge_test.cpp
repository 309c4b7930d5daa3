// Tests of the one-dimensional Canny detector: the kernel table against the factor calculation,
// hand-computed transition functions, segments split by markers and every kind of bad input.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
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
    static void Gauss(WritableCollection<unsigned char>& in, int row,
                      WritableCollection<unsigned char>& out) {
        OCannyEdge::ApplyGaussFilter(in, row, out);
    }
    static void Sobel(WritableCollection<unsigned char>& in, WritableCollection<int>& out) {
        OCannyEdge::ApplySobelFilter(in, out);
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
    for (const T& v : values) {
        collection.Add(v);
    }
}

template <class T>
std::vector<T> ToVector(const WritableCollection<T>& collection) {
    std::vector<T> values;
    for (std::int64_t i = 0; i < collection.GetCount(); ++i) {
        values.push_back(collection.GetAt(i));
    }
    return values;
}

std::string Show(const Values& values) {
    std::string text;
    for (int v : values) {
        text += (v == M ? std::string("M") : std::to_string(v)) + " ";
    }
    return text;
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
    EXPECT_TRUE(RunDetector(profile, threshold, row, keep, out)) << Show(profile);
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

TEST(CannyGaussFactors, ReproduceEveryKernelRowForScaleThreeQuarters) {
    for (int row = 0; row < Access::kRows; ++row) {
        const auto sigma = static_cast<float>(0.8 + 0.1 * row);
        WritableCollection<unsigned int> factors;
        int sum = -1;
        ASSERT_EQ(Access::CalcGaussFactors(kTableScale, sigma, factors, sum), 1) << "row " << row;
        ASSERT_EQ(factors.GetCount(), Access::kTaps) << "row " << row;
        for (int tap = 0; tap < Access::kTaps; ++tap) {
            EXPECT_EQ(static_cast<int>(factors.GetAt(tap)), Access::Weight(row, tap))
                << "row " << row << " tap " << tap;
        }
        EXPECT_EQ(sum, Access::Divisor(row)) << "row " << row;
    }
}

TEST(CannyGaussFactors, IndexForSigmaOneIsTheRowOfSigmaOne) {
    WritableCollection<unsigned int> factors;
    int sum = 0;
    ASSERT_EQ(Access::CalcGaussFactors(kTableScale, 1.0f, factors, sum), 1);
    const int row = Access::IndexForSigma10();
    EXPECT_EQ(sum, Access::Divisor(row));
    for (int tap = 0; tap < Access::kTaps; ++tap) {
        EXPECT_EQ(static_cast<int>(factors.GetAt(tap)), Access::Weight(row, tap)) << tap;
    }
}

TEST(CannyGaussFactors, UnitScaleGivesSevenWeightsAndAppends) {
    WritableCollection<unsigned int> factors;
    factors.Add(7u);  // the calculation appends; existing content stays
    int sum = 0;
    ASSERT_EQ(Access::CalcGaussFactors(1.0f, 1.0f, factors, sum), 1);
    EXPECT_EQ(ToVector(factors), (std::vector<unsigned int>{7, 1, 12, 55, 90, 55, 12, 1}));
    EXPECT_EQ(sum, 226);
}

TEST(CannyGaussFactors, OutsideTheDomainAnswersZeroAndAppendsNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float scale;
        float sigma;
    };
    const Case cases[] = {
        {"zero scale", 0.0f, 1.0f},        {"negative scale", -0.75f, 1.0f},
        {"nan scale", nan, 1.0f},          {"infinite scale", inf, 1.0f},
        {"huge scale", 1e30f, 1.0f},       {"nan sigma", kTableScale, nan},
        {"zero sigma", kTableScale, 0.0f}, {"vanishing outer weight", kTableScale, 0.01f},
    };
    for (const Case& c : cases) {
        WritableCollection<unsigned int> factors;
        int sum = 99;
        EXPECT_EQ(Access::CalcGaussFactors(c.scale, c.sigma, factors, sum), 0) << c.name;
        EXPECT_EQ(sum, 0) << c.name;
        EXPECT_EQ(factors.GetCount(), 0) << c.name;
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
// Truncation rounds the falling side the other way: s7..s12 = 200, 196, 153, 46, 3, 0, so the
// magnitudes are g7..g12 = 4, 47, 150, 150, 46, 3 (not a mirror image of the rising step).
const Values kFallingGradients = Concat({Repeat(0, 7), {4, 47, 150, 150, 46, 3}, Repeat(0, 7)});
// Last sample alone at 200: s5..s8 = 3, 46, 153, 153 (the end repeated), g4..g7 = 3, 46, 150, 107.
const Values kLastHigh = Concat({Repeat(0, 7), {200}});

struct HandCase {
    const char* name;
    Values profile;
    bool keep;
    Values expected;
};

TEST(CannyTransitions, HandComputedProfiles) {
    const HandCase cases[] = {
        {"rising step: dark before the peak", kRising, false,
         Concat({Repeat(1, 9), {150}, Repeat(0, 10)})},
        {"falling step: dark after the peak", kFalling, false,
         Concat({Repeat(0, 9), {150}, Repeat(1, 10)})},
        {"rising step magnitudes", kRising, true, kRisingGradients},
        {"falling step magnitudes", kFalling, true, kFallingGradients},
        {"run reaching the last sample", kLastHigh, false, {1, 1, 1, 1, 1, 1, 150, 0}},
        {"run reaching the last sample, magnitudes",
         kLastHigh,
         true,
         {0, 0, 0, 0, 3, 46, 150, 107}},
        {"constant profile", Repeat(77, 12), false, Repeat(0, 12)},
        {"constant profile, magnitudes", Repeat(77, 12), true, Repeat(0, 12)},
        {"one value", {77}, false, {0}},
        {"one marker", {M}, false, {0}},
        {"only markers", Repeat(M, 6), false, Repeat(0, 6)},
        {"only markers, magnitudes", Repeat(M, 6), true, Repeat(0, 6)},
        // Each segment is smoothed with its own end values: no gradient at the gap.
        {"constant segments around a gap", Concat({Repeat(50, 6), {M}, Repeat(180, 6)}), false,
         Repeat(0, 13)},
        {"markers at both ends", Concat({{M, M}, kRising, {M}}), false,
         Concat({Repeat(1, 11), {150}, Repeat(0, 11)})},
    };
    for (const HandCase& c : cases) {
        Values out;
        EXPECT_TRUE(RunDetector(c.profile, 10, kSigma10Row, c.keep, out)) << c.name;
        EXPECT_EQ(out, c.expected) << c.name << "\n got " << Show(out);
    }
}

TEST(CannyTransitions, SegmentsDoNotInfluenceEachOther) {
    const Values first = Concat({Repeat(10, 5), Repeat(90, 7)});
    const Values second = Concat({Repeat(200, 6), Repeat(20, 6)});
    const Values gap = Repeat(M, 3);
    for (bool keep : {false, true}) {
        const Values together = Detect(Concat({first, gap, second}), 10, keep);
        const Values alone =
            Concat({Detect(first, 10, keep), Repeat(0, 3), Detect(second, 10, keep)});
        EXPECT_EQ(together, alone) << "keep " << keep;
    }
}

TEST(CannyTransitions, ValuesUseTheirLowByteOnly) {
    // 256 acts as 0 and -56 as 200: the same step seen through wrapped values.
    const Values wrappedUp = Concat({Repeat(256, 10), Repeat(456, 10)});
    const Values wrappedDown = Concat({Repeat(-256, 10), Repeat(-56, 10)});
    for (bool keep : {false, true}) {
        const Values plain = Detect(kRising, 10, keep);
        EXPECT_EQ(Detect(wrappedUp, 10, keep), plain) << "keep " << keep;
        EXPECT_EQ(Detect(wrappedDown, 10, keep), plain) << "keep " << keep;
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

TEST(CannyTransitions, InvalidKernelRowsKeepOnlyMarkerZeros) {
    const Values profile = {M, M, 10, 200, 200, M, 5, 5};
    for (int row : {-1, 13, INT_MIN, INT_MAX}) {
        Values out;
        EXPECT_TRUE(RunDetector(profile, 10, row, false, out)) << "row " << row;
        EXPECT_EQ(out, Repeat(0, 3)) << "row " << row;
        EXPECT_TRUE(RunDetector(kRising, 10, row, false, out)) << "row " << row;
        EXPECT_TRUE(out.empty()) << "row " << row;
    }
}

TEST(CannyTransitions, EmptyProfileAnswersFalseWithEmptyResult) {
    Values out;
    EXPECT_FALSE(RunDetector({}, 10, kSigma10Row, false, out));
    EXPECT_TRUE(out.empty());

    // The same collection as profile and result: clearing the result empties the profile.
    WritableCollection<int> both;
    Fill(both, kRising);
    EXPECT_FALSE(OCannyEdge::bFindCannyEdgeTransitions(both, 10, kSigma10Row, both));
    EXPECT_EQ(both.GetCount(), 0);
}

// Any int values, markers and lengths, every row: a full-length result of valid values.
TEST(CannyTransitions, RandomProfilesGiveWellFormedResults) {
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    std::uniform_int_distribution<int> length(0, 60);
    std::uniform_int_distribution<int> kind(0, 5);
    for (int trial = 0; trial < 200; ++trial) {
        Values profile(static_cast<std::size_t>(length(random)));
        for (int& v : profile) {
            const int k = kind(random);
            v = k == 0 ? M : (k == 1 ? anyInt(random) : anyInt(random) & 0xFF);
        }
        const int threshold = trial % 40 - 5;
        for (int row = 0; row < Access::kRows; ++row) {
            for (bool keep : {false, true}) {
                Values out;
                EXPECT_EQ(RunDetector(profile, threshold, row, keep, out), !profile.empty());
                ASSERT_EQ(out.size(), profile.size()) << Show(profile) << " row " << row;
                for (int v : out) {
                    const bool level = v == 0 || v == 1;
                    const bool magnitude = v >= std::max(threshold, 1) && v <= 255;
                    EXPECT_TRUE(keep ? (v >= 0 && v <= 255) : (level || magnitude))
                        << v << " in " << Show(out) << " row " << row << " keep " << keep;
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Thinning on given gradients (threshold 10 unless stated)

struct ThinCase {
    const char* name;
    Values gradients;
    int threshold;
    bool keep;
    Values expected;
};

TEST(CannySkeleton, ThinsRunsToTheirPeaks) {
    const ThinCase cases[] = {
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
        {"strong alone at the end, rising first, magnitudes",
         {0, 0, 0, 50},
         10,
         true,
         {0, 0, 0, 1}},
        {"strong alone at the end after an edge", {0, 40, 0, 0, -50}, 10, false, {1, 40, 0, 0, 0}},
        {"strong alone at the end after an edge, magnitudes",
         {0, 40, 0, 0, -50},
         10,
         true,
         {0, 40, 0, 0, 0}},
        {"strong alone at the end at level 1", {0, -40, 0, 0, 50}, 10, true, {0, 40, 0, 0, 1}},
        {"single strong sample", {-50}, 10, false, {0}},
        {"extreme values do not overflow", {0, INT_MIN, 0}, INT_MAX, true, {0, INT_MIN, 0}},
    };
    for (const ThinCase& c : cases) {
        WritableCollection<int> data;
        Fill(data, c.gradients);
        Access::Skeletonise(data, c.threshold, c.keep);
        EXPECT_EQ(ToVector(data), c.expected) << c.name << "\n got " << Show(ToVector(data));
    }
}

// Every row smooths with its own weights and divisor: out[t] = sum(w[k] * in[t - 1 + k]) / D,
// truncated, for t = 1..N-4, and the end bytes repeat their neighbours. Runs of 255 reach the
// largest sums.
TEST(CannyFilters, SmoothingUsesTheKernelOfTheGivenRow) {
    std::mt19937 random(7u);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<unsigned char> bytes(64, 255);
    for (std::size_t i = 16; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(byte(random));
    }
    WritableCollection<unsigned char> in;
    Fill(in, bytes);
    for (int row = 0; row < Access::kRows; ++row) {
        WritableCollection<unsigned char> out;
        Access::Gauss(in, row, out);
        const std::int64_t m = in.GetCount() - 2;
        ASSERT_EQ(out.GetCount(), m) << "row " << row;
        for (std::int64_t t = 1; t + 1 < m; ++t) {
            int sum = 0;
            for (int tap = 0; tap < Access::kTaps; ++tap) {
                sum += Access::Weight(row, tap) * in.GetAt(t - 1 + tap);
            }
            EXPECT_EQ(out.GetAt(t), sum / Access::Divisor(row)) << "row " << row << " t " << t;
        }
        EXPECT_EQ(out.GetAt(0), out.GetAt(1)) << "row " << row;
        EXPECT_EQ(out.GetAt(m - 1), out.GetAt(m - 2)) << "row " << row;
    }
}

TEST(CannyFilters, InputsTooShortForTheKernelGiveNothing) {
    for (int count = 0; count < Access::kTaps; ++count) {
        WritableCollection<unsigned char> in;
        WritableCollection<unsigned char> smoothed;
        in.SetSize(count);
        Access::Gauss(in, kSigma10Row, smoothed);
        EXPECT_EQ(smoothed.GetCount(), 0) << count << " bytes";

        WritableCollection<int> gradients;
        gradients.Add(9);
        Access::Sobel(in, gradients);
        EXPECT_EQ(gradients.GetCount(), count < 3 ? 1 : count - 1) << count << " bytes";
    }
}

}  // namespace
