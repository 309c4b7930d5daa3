// The outlier filters of the regression: the DETSAC schedule and searches (exact and fixed-width)
// and the standard-deviation band, alone and inside the fit.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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
        const auto s = regression_detail::GetDETSACSchedule(c[0], static_cast<int>(c[1]));
        EXPECT_EQ(std::tuple(s.iAnchorStep, s.iPartnerStep, s.iVoteStep),
                  std::tuple(c[2], c[3], c[4]))
            << "n = " << c[0] << ", level " << c[1];
    }
}

// Two lines in the picture: B (x = 1500) comes first; A (y = 0) gains two votes in the fixed-width
// search from points 2048 pixels below it, which alias onto it in 11-bit coordinates.
const PixelPoints kLineB = {{1500, 100}, {1500, 600}, {1500, 1100}};
const PixelPoints kLineA = {{0, 0}, {500, 0}, {1000, 0}};
const PixelPoints kAllButB = {{0, 0}, {500, 0}, {1000, 0}, {200, 2048}, {700, 2048}};
const PixelPoints kAllButA = {{1500, 100}, {1500, 600}, {1500, 1100}, {200, 2048}, {700, 2048}};
const PixelPoints kPicture = {{1500, 100}, {1500, 600}, {1500, 1100}, {0, 0},
                              {500, 0},    {1000, 0},   {200, 2048},  {700, 2048}};
const PixelPoints kOnDiagonal = {{0, 0}, {3, 1}, {6, 2}, {9, 3}};
const PixelPoints kBesideIt = {{0, 0}, {3, 1}, {6, 2}, {9, 3}, {4, 2}};
const PixelPoints kTwo = {{2, 3}, {9, 1}};
const PixelPoints kTwoFar = {{2, 3}, {900, 1}};
const PixelPoints kOnePixel = {{3.1, 4.2}, {3.5, 4.9}, {3.9, 4.0}, {3.2, 4.6}};

TEST(ConsensusSplit, KeepsExactlyThePointsOfTheWinningLine) {
    const struct {
        const char* name;
        int filter, inlierDistance, level;
        PixelPoints points, inliers, outliers;  // no inliers: the filter fails
    } cases[] = {{"two points", kDETSAC, 1, 0, kTwo, kTwo, {}},
                 {"distance 0: only on the line", kDETSAC, 0, 8, kBesideIt, kOnDiagonal, {{4, 2}}},
                 {"one pixel", kDETSAC, 1, 8, kOnePixel, {}, {}},
                 {"one pixel, fixed width", kFixedWidth, 1, 0, kOnePixel, {}, {}},
                 {"level below range", kDETSAC, 1, -1, kTwo, {}, {}},
                 {"level above range", kDETSAC, 1, 9, kTwo, {}, {}},
                 {"level ignored by fixed width", kFixedWidth, 1, 9, kTwoFar, kTwoFar, {}},
                 {"2048 apart", kDETSAC, 1, 0, {{0, 0}, {2048, 0}}, {{0, 0}, {2048, 0}}, {}},
                 {"2048 apart, fixed width", kFixedWidth, 1, 0, {{0, 0}, {2048, 0}}, {}, {}},
                 {"aliased lines, exact", kDETSAC, 1, 8, kPicture, kLineB, kAllButB},
                 {"aliased lines, fixed width", kFixedWidth, 1, 0, kPicture, kLineA, kAllButA}};
    for (const auto& c : cases) {
        RegressionCall call(c.points);
        call.filter = c.filter;
        call.inlierDistance = c.inlierDistance;
        call.searchLevel = c.level;
        call.Run();
        EXPECT_EQ(call.ok, !c.inliers.empty()) << c.name;
        EXPECT_EQ(PixelsOf(call.points), c.inliers) << c.name;
        EXPECT_EQ(call.ok ? PixelsOf(call.outliers) : PixelPoints{}, c.outliers) << c.name;
        EXPECT_EQ(call.inlierCount + 100 * call.outlierCount,
                  int(c.inliers.size() + 100 * c.outliers.size()))
            << c.name;
    }
}

// The library's search reaches the winning pair with less work than trying every pair; the plain
// search decides. Random point sets: boxes from 2 to 1024 pixels (the small ones full of repeated
// pixels, ties and voters exactly at the inlier distance), half of them lines of random slope with
// outliers, every search level, inlier distances 0 to 3.
TEST(ConsensusSplit, AgreesWithThePlainSearch) {
    constexpr int kRounds = 300;
    constexpr int kMostPoints = 160;
    constexpr int kLargestBoxBits = 10;
    std::mt19937 random(23);
    const auto below = [&random](int limit) { return static_cast<int>(random() % limit); };
    for (int round = 0; round < kRounds; ++round) {
        const int n = 2 + below(kMostPoints);
        const int box = 2 << below(kLargestBoxBits);
        const bool line = below(2) == 0;
        const int rise = below(2 * box + 1) - box;
        std::vector<std::pair<std::int64_t, std::int64_t>> raw;
        for (int k = 0; k < n; ++k) {
            const int x = below(box);
            const int y = line && below(5) != 0
                              ? std::clamp(box / 2 + rise * x / box + below(3) - 1, 0, box - 1)
                              : below(box);
            raw.emplace_back(std::int64_t{x} * kRawPerPixel + below(kRawPerPixel),
                             std::int64_t{y} * kRawPerPixel + below(kRawPerPixel));
        }
        RegressionCall call({});
        for (const auto& [x, y] : raw) {
            call.points.Add(std::make_shared<OVector>(x, y));
        }
        const PixelPoints all = PixelsOf(call.points);
        call.filter = kDETSAC;
        call.inlierDistance = below(4);
        call.searchLevel = below(9);
        const auto expected = PlainDETSACInliers(raw, call.inlierDistance, call.searchLevel);
        call.Run();
        const std::string context = "round " + std::to_string(round);
        ASSERT_EQ(call.ok, expected.has_value()) << context;
        if (call.ok) {
            PixelPoints inliers, outliers;
            for (std::size_t k = 0; k < all.size(); ++k) {
                ((*expected)[k] ? inliers : outliers).push_back(all[k]);
            }
            EXPECT_EQ(PixelsOf(call.points), inliers) << context;
            EXPECT_EQ(PixelsOf(call.outliers), outliers) << context;
        }
    }
}

TEST(StdDevFilter, ThreePointsByMode) {
    // Flat slope 0, band of one standard deviation: the residual is -y. Residuals within a pixel
    // stay, the band being at least one pixel wide on each side; y = 30 lies 20 pixels from the
    // mean against a spread of 14 pixels; of y = 100 and y = -100, both 82 pixels out, only the
    // first may go.
    const PixelPoints flat = {{0, 5}, {10, 5.5}, {20, 5}}, outlier = {{0, 0}, {10, 0}, {20, 30}},
                      twoFar = {{0, 0}, {10, 100}, {20, -100}};
    const std::tuple<const char*, int, PixelPoints, PixelPoints> cases[] = {
        {"residuals within a pixel, mode 2", 2, flat, flat},
        {"outlier, mode 2", 2, outlier, {{0, 0}, {10, 0}}},
        {"outlier, mode 0: too few to judge", 0, outlier, outlier},
        {"two far points, mode 2: the last one must stay", 2, twoFar, {{0, 0}, {20, -100}}}};
    for (const auto& [name, mode, points, kept] : cases) {
        EXPECT_EQ(StdDevKept(mode, points, 1.0), kept) << name;
    }
}

// A noisy line y = x / 2 + 20 (noise up to 0.6 pixel) with every tenth point moved off it,
// alternately 25 pixels up and 15 down; coordinates as the points hold them. The inliers come back
// as the caller's own objects.
TEST(NoisyLineFilters, RecoverTheLineAndItsInliers) {
    PixelPoints all, onLine, offLine;
    std::vector<int> onLineIndices;
    for (int k = 0; k < 100; ++k) {
        const double x = 2.0 * k + 1.0;
        const double noise = ((k * 3) % 7 - 3) * 0.2;
        const double off = k % 10 != 3 ? 0.0 : (k % 20 == 3 ? 25.0 : -15.0);
        const double y = static_cast<double>(Raw(x / 2.0 + 20.0 + noise + off)) / kRawPerPixel;
        (off != 0.0 ? offLine : onLine).emplace_back(x, y);
        if (off == 0.0) {
            onLineIndices.push_back(k);
        }
        all.emplace_back(x, y);
    }
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
        const std::string context = std::to_string(filter) + ", level " + std::to_string(level);
        std::vector<const OVector*> onLineObjects;
        for (const int k : onLineIndices) {
            onLineObjects.push_back(call.points.GetPointerAt(k));
        }
        ASSERT_TRUE(call.Run().ok) << context;
        EXPECT_EQ(PixelsOf(call.points), onLine) << context;
        for (int k = 0; k < call.points.GetCount(); ++k) {
            EXPECT_EQ(call.points.GetPointerAt(k), onLineObjects[static_cast<std::size_t>(k)])
                << context << ", inlier " << k;
        }
        EXPECT_EQ(PixelsOf(call.outliers), offLine) << context;
        EXPECT_NEAR(call.angle, std::atan(0.5), kTolerance) << context;
        EXPECT_LT(call.sigmaInliersOut, 0.5) << context;
        EXPECT_GT(call.sigmaAllOut, 3.0) << context;
    }
}

}  // namespace
