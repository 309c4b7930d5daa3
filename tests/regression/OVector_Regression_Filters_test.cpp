// The outlier filters of the regression: the DETSAC schedule and searches (exact and fixed-width)
// and the standard-deviation band, alone and inside the fit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "RegressionTestSupport.h"

namespace {

// Radians: the direction of a noisy line fitted from its inliers.
constexpr double kTolerance = 0.01;

constexpr int kDETSAC = OVector_Regression::kFilterDETSAC;
constexpr int kFixedWidth = OVector_Regression::kFilterDETSAC_FPGA;

TEST(DETSACSchedule, StepsFollowTheSearchLevel) {
    struct Case {
        std::int64_t n;
        int level;
        std::int64_t anchor, partner, vote;
    };
    // Level 8 is exhaustive; below 8 points every level is.
    const Case cases[] = {{100, 0, 24, 10, 4}, {100, 8, 1, 1, 1}, {7, 0, 1, 1, 1}, {7, 8, 1, 1, 1}};
    for (const Case& c : cases) {
        const auto s = OVector_RegressionTestAccess::GetSchedule(c.n, c.level);
        const std::string context =
            "n = " + std::to_string(c.n) + ", level " + std::to_string(c.level);
        EXPECT_EQ(s.iAnchorStep, c.anchor) << context;
        EXPECT_EQ(s.iPartnerStep, c.partner) << context;
        EXPECT_EQ(s.iVoteStep, c.vote) << context;
    }
}

struct SplitCase {
    const char* name;
    int filter;
    int inlierDistance;
    int level;
    PixelPoints points;
    PixelPoints inliers;  // empty: the filter fails
    PixelPoints outliers;
};

class ConsensusSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(ConsensusSplit, KeepsExactlyThePointsOfTheWinningLine) {
    const SplitCase& c = GetParam();
    RegressionCall call(c.points);
    call.filter = c.filter;
    call.inlierDistance = c.inlierDistance;
    call.searchLevel = c.level;
    call.Run();
    EXPECT_EQ(call.ok, !c.inliers.empty()) << c.name;
    EXPECT_EQ(PixelsOf(call.points), c.inliers) << c.name;
    EXPECT_EQ(call.ok ? PixelsOf(call.outliers) : PixelPoints{}, c.outliers) << c.name;
    EXPECT_EQ(call.inlierCount, static_cast<int>(c.inliers.size())) << c.name;
    EXPECT_EQ(call.outlierCount, static_cast<int>(c.outliers.size())) << c.name;
    EXPECT_EQ(call.callbackCalls, 0) << c.name;
}

// Two lines in the picture: B (x = 1500) comes first; A (y = 0) gains two votes in the fixed-width
// search from points 2048 pixels below it, which alias onto it in 11-bit coordinates.
const PixelPoints kAliasedLines = {{1500, 100}, {1500, 600}, {1500, 1100}, {0, 0},
                                   {500, 0},    {1000, 0},   {200, 2048},  {700, 2048}};
const PixelPoints kLineB = {{1500, 100}, {1500, 600}, {1500, 1100}};
const PixelPoints kLineA = {{0, 0}, {500, 0}, {1000, 0}};
const PixelPoints kFourPoints = {{0, 0}, {10, 0}, {20, 0}, {10, 10}};
const PixelPoints kOnePixel = {{3.1, 4.2}, {3.5, 4.9}, {3.9, 4.0}, {3.2, 4.6}};

INSTANTIATE_TEST_SUITE_P(
    Regression, ConsensusSplit,
    testing::Values(
        SplitCase{"FourPoints", kDETSAC, 1, 0, kFourPoints, {{0, 0}, {10, 0}, {20, 0}}, {{10, 10}}},
        SplitCase{"FourPointsAndAPointFarAway",
                  kDETSAC,
                  1,
                  0,
                  {{0, 0}, {10, 0}, {20, 0}, {10, 10}, {5, 20000}},
                  {{0, 0}, {10, 0}, {20, 0}},
                  {{10, 10}, {5, 20000}}},
        SplitCase{"FourPointsFixedWidth",
                  kFixedWidth,
                  1,
                  0,
                  kFourPoints,
                  {{0, 0}, {10, 0}, {20, 0}},
                  {{10, 10}}},
        SplitCase{"TwoPoints", kDETSAC, 1, 0, {{2, 3}, {9, 1}}, {{2, 3}, {9, 1}}, {}},
        SplitCase{"DistanceZeroOnlyOnTheLine",
                  kDETSAC,
                  0,
                  8,
                  {{0, 0}, {3, 1}, {6, 2}, {4, 2}, {9, 3}},
                  {{0, 0}, {3, 1}, {6, 2}, {9, 3}},
                  {{4, 2}}},
        SplitCase{"OnePixel", kDETSAC, 1, 8, kOnePixel, {}, {}},
        SplitCase{"OnePixelFixedWidth", kFixedWidth, 1, 0, kOnePixel, {}, {}},
        SplitCase{"LevelBelowRange", kDETSAC, 1, -1, kFourPoints, {}, {}},
        SplitCase{"LevelAboveRange", kDETSAC, 1, 9, kFourPoints, {}, {}},
        SplitCase{"LevelIgnoredByFixedWidth",
                  kFixedWidth,
                  1,
                  9,
                  {{2, 3}, {900, 1}},
                  {{2, 3}, {900, 1}},
                  {}},
        SplitCase{"Apart2048", kDETSAC, 1, 0, {{0, 0}, {2048, 0}}, {{0, 0}, {2048, 0}}, {}},
        SplitCase{"Apart2048FixedWidth", kFixedWidth, 1, 0, {{0, 0}, {2048, 0}}, {}, {}},
        SplitCase{"AliasedLinesExact",
                  kDETSAC,
                  1,
                  8,
                  kAliasedLines,
                  kLineB,
                  {{0, 0}, {500, 0}, {1000, 0}, {200, 2048}, {700, 2048}}},
        SplitCase{"AliasedLinesFixedWidth",
                  kFixedWidth,
                  1,
                  0,
                  kAliasedLines,
                  kLineA,
                  {{1500, 100}, {1500, 600}, {1500, 1100}, {200, 2048}, {700, 2048}}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(DETSACFarApart, SquaredDistancesBeyond32BitsGiveAConsistentAnswer) {
    // Whole-pixel differences up to 65535: the squares wrap, the answer stays well defined.
    const PixelPoints points = {{0, 0}, {0, 65535}, {32767, 0}, {32768, 40000}, {60000, 60000}};
    for (int filter : {kDETSAC, kFixedWidth}) {
        RegressionCall call(points);
        call.filter = filter;
        call.inlierDistance = 50000;
        call.searchLevel = 8;
        call.Run();
        const std::string context = "filter " + std::to_string(filter);
        if (call.ok) {
            EXPECT_EQ(call.inlierCount + call.outlierCount, 5) << context;
            EXPECT_EQ(call.points.GetCount(), call.inlierCount) << context;
        } else {
            EXPECT_EQ(call.points.GetCount(), 0) << context;
        }
    }
}

TEST(StdDevFilter, ThreePointsByMode) {
    struct Case {
        const char* name;
        int mode;
        PixelPoints points;
        std::int64_t kept;
    };
    // Flat slope 0, band of one standard deviation: the residual is -y. Equal residuals leave
    // nothing to remove; y = 30 lies 20 pixels from the mean against a spread of 14 pixels; of
    // y = 100 and y = -100, both 82 pixels out, only the first may go.
    const Case cases[] = {
        {"equal residuals, mode 2", 2, {{0, 5}, {10, 5}, {20, 5}}, 3},
        {"outlier, mode 2", 2, {{0, 0}, {10, 0}, {20, 30}}, 2},
        {"outlier, mode 0: too few to judge", 0, {{0, 0}, {10, 0}, {20, 30}}, 3},
        {"two far points, mode 2: the last one must stay", 2, {{0, 0}, {10, 100}, {20, -100}}, 2},
    };
    for (const Case& c : cases) {
        RawPoints in(c.points);
        RawList keptX(3), keptY(3), removedX(3), removedY(3);
        OVector_RegressionTestAccess::StdDev(c.mode, in.xs, in.ys, 0, 0.0, 1.0, keptX, keptY,
                                             removedX, removedY);
        EXPECT_EQ(keptX.GetCount(), c.kept) << c.name;
        EXPECT_EQ(removedX.GetCount() + keptX.GetCount(), 3) << c.name;
        EXPECT_EQ(keptX[0], in.xs[0]) << c.name << ": the first point is never an outlier here";
    }
}

// A noisy line y = x / 2 + 20 (noise up to 0.6 pixel) with every tenth point moved
// 25 pixels off it, alternately up and down.
PixelPoints NoisyLine(PixelPoints& onLine, PixelPoints& offLine) {
    PixelPoints all;
    for (int k = 0; k < 100; ++k) {
        const double x = 2.0 * k + 1.0;
        const double noise = ((k * 3) % 7 - 3) * 0.2;
        double y = x / 2.0 + 20.0 + noise;
        if (k % 10 == 3) {
            y += (k % 20 == 3) ? 25.0 : -15.0;
        }
        y = static_cast<double>(Raw(y)) / kRawPerPixel;  // as the points hold it
        if (k % 10 == 3) {
            offLine.emplace_back(x, y);
        } else {
            onLine.emplace_back(x, y);
        }
        all.emplace_back(x, y);
    }
    return all;
}

struct NoisyCase {
    const char* name;
    int filter;
    int level;
};

class NoisyLineFilters : public testing::TestWithParam<NoisyCase> {};

TEST_P(NoisyLineFilters, RecoverTheLineAndItsInliers) {
    const NoisyCase& c = GetParam();
    PixelPoints onLine;
    PixelPoints offLine;
    RegressionCall call(NoisyLine(onLine, offLine));
    call.filter = c.filter;
    call.searchLevel = c.level;
    call.iterations = 5;
    call.sigmaFactor = 2.0;
    call.inlierDistance = 3;
    call.mode = 3;
    call.sigmaAll = call.sigmaInliers = true;
    call.Run();
    ASSERT_TRUE(call.ok) << c.name;
    EXPECT_EQ(PixelsOf(call.points), onLine) << c.name;
    EXPECT_EQ(PixelsOf(call.outliers), offLine) << c.name;
    EXPECT_NEAR(call.angle, std::atan(0.5), kTolerance) << c.name;
    EXPECT_LT(call.sigmaInliersOut, 0.5) << c.name;
    EXPECT_GT(call.sigmaAllOut, 3.0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Regression, NoisyLineFilters,
    testing::Values(NoisyCase{"StdDev", OVector_Regression::kFilterStdDev, 0},
                    NoisyCase{"DETSACLevel0", kDETSAC, 0}, NoisyCase{"DETSACLevel4", kDETSAC, 4},
                    NoisyCase{"DETSACLevel8", kDETSAC, 8}, NoisyCase{"FixedWidth", kFixedWidth, 0}),
    [](const testing::TestParamInfo<NoisyCase>& info) { return std::string(info.param.name); });

}  // namespace
