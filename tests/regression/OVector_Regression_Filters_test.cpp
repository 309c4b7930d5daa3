// The outlier filters of the regression: the DETSAC schedule and searches (exact and fixed-width)
// and the standard-deviation band, alone and inside the fit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "RegressionTestSupport.h"

namespace {

// Radians: the direction of a noisy line fitted from its inliers.
constexpr double kTolerance = 0.01;

constexpr int kDETSAC = OVector_Regression::kFilterDETSAC;
constexpr int kFixedWidth = OVector_Regression::kFilterDETSAC_FPGA;

TEST(DETSACSchedule, StepsFollowTheSearchLevel) {
    // n, level, then the anchor, partner and vote steps. Level 8 is exhaustive; below 8 points
    // every level is.
    const std::int64_t cases[][5] = {{100, 0, 24, 10, 4}, {100, 8, 1, 1, 1}, {7, 0, 1, 1, 1}};
    for (const auto& c : cases) {
        const auto s = OVector_RegressionTestAccess::GetSchedule(c[0], static_cast<int>(c[1]));
        EXPECT_EQ(s.iAnchorStep, c[2]) << "n = " << c[0] << ", level " << c[1];
        EXPECT_EQ(s.iPartnerStep, c[3]) << "n = " << c[0] << ", level " << c[1];
        EXPECT_EQ(s.iVoteStep, c[4]) << "n = " << c[0] << ", level " << c[1];
    }
}

// Two lines in the picture: B (x = 1500) comes first; A (y = 0) gains two votes in the fixed-width
// search from points 2048 pixels below it, which alias onto it in 11-bit coordinates.
const PixelPoints kLineB = {{1500, 100}, {1500, 600}, {1500, 1100}};
const PixelPoints kLineA = {{0, 0}, {500, 0}, {1000, 0}};
const PixelPoints kAliased = {{200, 2048}, {700, 2048}};
const PixelPoints kOnX = {{0, 0}, {10, 0}, {20, 0}};
const PixelPoints kAbove = {{10, 10}};
const PixelPoints kOnDiagonal = {{0, 0}, {3, 1}, {6, 2}, {9, 3}};
const PixelPoints kBeside = {{4, 2}};
const PixelPoints kTwo = {{2, 3}, {9, 1}};
const PixelPoints kTwoFar = {{2, 3}, {900, 1}};
const PixelPoints k2048 = {{0, 0}, {2048, 0}};
const PixelPoints kOnePixel = {{3.1, 4.2}, {3.5, 4.9}, {3.9, 4.0}, {3.2, 4.6}};

PixelPoints Join(std::initializer_list<PixelPoints> parts) {
    PixelPoints all;
    for (const PixelPoints& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(ConsensusSplit, KeepsExactlyThePointsOfTheWinningLine) {
    const struct {
        const char* name;
        int filter, inlierDistance, level;
        PixelPoints points, inliers, outliers;  // no inliers: the filter fails
    } cases[] = {
        {"four points", kDETSAC, 1, 0, Join({kOnX, kAbove}), kOnX, kAbove},
        {"four points, fixed width", kFixedWidth, 1, 0, Join({kOnX, kAbove}), kOnX, kAbove},
        {"two points", kDETSAC, 1, 0, kTwo, kTwo, {}},
        {"distance 0: only on the line", kDETSAC, 0, 8, Join({kOnDiagonal, kBeside}), kOnDiagonal,
         kBeside},
        {"one pixel", kDETSAC, 1, 8, kOnePixel, {}, {}},
        {"one pixel, fixed width", kFixedWidth, 1, 0, kOnePixel, {}, {}},
        {"level below range", kDETSAC, 1, -1, kTwo, {}, {}},
        {"level above range", kDETSAC, 1, 9, kTwo, {}, {}},
        {"level ignored by fixed width", kFixedWidth, 1, 9, kTwoFar, kTwoFar, {}},
        {"2048 apart", kDETSAC, 1, 0, k2048, k2048, {}},
        {"2048 apart, fixed width", kFixedWidth, 1, 0, k2048, {}, {}},
        {"aliased lines, exact", kDETSAC, 1, 8, Join({kLineB, kLineA, kAliased}), kLineB,
         Join({kLineA, kAliased})},
        {"aliased lines, fixed width", kFixedWidth, 1, 0, Join({kLineB, kLineA, kAliased}), kLineA,
         Join({kLineB, kAliased})}};
    for (const auto& c : cases) {
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
    }
}

TEST(DETSACFarApart, SquaredDistancesBeyond32BitsGiveAConsistentAnswer) {
    // Whole-pixel differences up to 65535: the squares wrap, the answer stays well defined.
    const PixelPoints points = {{0, 0}, {0, 65535}, {32767, 0}, {32768, 40000}, {60000, 60000}};
    for (int filter : {kDETSAC, kFixedWidth}) {
        RegressionCall call(points);
        call.filter = filter;
        call.inlierDistance = 50000;
        call.searchLevel = 8;
        call.Run();
        EXPECT_EQ(call.points.GetCount(), call.inlierCount) << "filter " << filter;
        EXPECT_EQ(call.inlierCount + call.outlierCount, call.ok ? 5 : 0) << "filter " << filter;
    }
}

TEST(StdDevFilter, ThreePointsByMode) {
    // Flat slope 0, band of one standard deviation: the residual is -y. Residuals within a pixel
    // stay, the band being at least one pixel wide on each side; y = 30 lies 20 pixels from the
    // mean against a spread of 14 pixels; of y = 100 and y = -100, both 82 pixels out, only the
    // first may go.
    const struct {
        const char* name;
        int mode;
        PixelPoints points;
        std::int64_t kept;
    } cases[] = {
        {"residuals within a pixel, mode 2", 2, {{0, 5}, {10, 5.5}, {20, 5}}, 3},
        {"outlier, mode 2", 2, {{0, 0}, {10, 0}, {20, 30}}, 2},
        {"outlier, mode 0: too few to judge", 0, {{0, 0}, {10, 0}, {20, 30}}, 3},
        {"two far points, mode 2: the last one must stay", 2, {{0, 0}, {10, 100}, {20, -100}}, 2},
    };
    for (const auto& c : cases) {
        RawPoints in(c.points);
        RawList keptX(3), keptY(3), removedX(3), removedY(3);
        OVector_RegressionTestAccess::StdDev(c.mode, in.xs, in.ys, 0, 0.0, 1.0, keptX, keptY,
                                             removedX, removedY);
        EXPECT_EQ(keptX.GetCount(), c.kept) << c.name;
        EXPECT_EQ(removedX.GetCount() + keptX.GetCount(), 3) << c.name;
        EXPECT_EQ(keptX[0], in.xs[0]) << c.name << ": the first point is never an outlier here";
    }
}

// A noisy line y = x / 2 + 20 (noise up to 0.6 pixel) with every tenth point moved off it,
// alternately 25 pixels up and 15 down; coordinates as the points hold them.
PixelPoints NoisyLine(PixelPoints& onLine, PixelPoints& offLine) {
    PixelPoints all;
    for (int k = 0; k < 100; ++k) {
        const double x = 2.0 * k + 1.0;
        const double noise = ((k * 3) % 7 - 3) * 0.2;
        const double off = k % 10 != 3 ? 0.0 : (k % 20 == 3 ? 25.0 : -15.0);
        const double y = static_cast<double>(Raw(x / 2.0 + 20.0 + noise + off)) / kRawPerPixel;
        (off != 0.0 ? offLine : onLine).emplace_back(x, y);
        all.emplace_back(x, y);
    }
    return all;
}

TEST(NoisyLineFilters, RecoverTheLineAndItsInliers) {
    PixelPoints onLine;
    PixelPoints offLine;
    const PixelPoints all = NoisyLine(onLine, offLine);
    const std::pair<int, int> filters[] = {
        {OVector_Regression::kFilterStdDev, 0}, {kDETSAC, 0}, {kDETSAC, 8}, {kFixedWidth, 0}};
    for (const auto& [filter, level] : filters) {
        RegressionCall call(all);
        call.filter = filter;
        call.searchLevel = level;
        call.iterations = 5;
        call.inlierDistance = 3;
        call.mode = 3;
        call.sigmaAll = call.sigmaInliers = true;
        call.Run();
        const std::string context = std::to_string(filter) + ", level " + std::to_string(level);
        ASSERT_TRUE(call.ok) << context;
        EXPECT_EQ(PixelsOf(call.points), onLine) << context;
        EXPECT_EQ(PixelsOf(call.outliers), offLine) << context;
        EXPECT_NEAR(call.angle, std::atan(0.5), kTolerance) << context;
        EXPECT_LT(call.sigmaInliersOut, 0.5) << context;
        EXPECT_GT(call.sigmaAllOut, 3.0) << context;
    }
}

}  // namespace
