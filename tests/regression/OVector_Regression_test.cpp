// The regression line without filters: geometry of the fit, orientation, quality figures and the
// answers for bad input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "RegressionTestSupport.h"

namespace {

// Pixels and radians; the fixed-point units are 1/65536 pixel, well inside this.
constexpr double kTolerance = 1e-4;

// What a failed call leaves: every output reset.
void ExpectReset(const RegressionCall& call, const std::string& context) {
    EXPECT_FALSE(call.ok || call.found) << context;
    EXPECT_EQ(call.centre, OVector()) << context;
    EXPECT_EQ(call.angle + call.footX + call.sigmaAllOut, 0.0) << context;
    EXPECT_EQ(call.inlierCount + call.outlierCount + call.maxDistance, 0) << context;
}

TEST(RegressionLine, FitsCentreAndDirectionAndKeepsEveryPoint) {
    const struct {
        const char* name;
        PixelPoints points;
        int mode;
        double centreX, centreY, angle;
        int filter = 0;
    } cases[] = {{"diagonal tie stays flat", {{0, 0}, {1, 1}, {2, 2}}, 2, 1, 1, kPi / 4},
                 {"vertical, mode 0", {{5, 0}, {5, 1}, {5, 2}}, 0, 5, 1, kPi / 2},
                 {"vertical, mode 2", {{5, 0}, {5, 1}, {5, 2}}, 2, 5, 1, kPi / 2},
                 {"two points 3-4-5", {{1, 2}, {4, 6}}, 3, 2.5, 4, std::atan2(4.0, 3.0)},
                 {"falling line", {{0, 10}, {10, 5}, {20, 0}}, 2, 10, 5, std::atan(-0.5)},
                 // Sums of dx * dy = 82 and dy * dy = 509 about the centre; type 3 filters nothing.
                 {"type 3 keeps an outlier",
                  {{0, 3}, {2, 4}, {4, 5}, {6, 30}},
                  2,
                  3,
                  10.5,
                  std::atan2(509.0, 82.0),
                  3}};
    for (const auto& c : cases) {
        RegressionCall call(c.points);
        call.mode = c.mode;
        call.filter = c.filter;
        call.Run();
        ASSERT_TRUE(call.ok) << c.name;
        EXPECT_NEAR(call.centre.dX(), c.centreX, kTolerance) << c.name;
        EXPECT_NEAR(call.centre.dY(), c.centreY, kTolerance) << c.name;
        EXPECT_NEAR(call.angle, c.angle, kTolerance) << c.name;
        EXPECT_EQ(call.inlierCount, static_cast<int>(c.points.size())) << c.name;
        EXPECT_EQ(call.outlierCount + call.outliers.GetCount() + call.callbackCalls, 0) << c.name;
        EXPECT_EQ(PixelsOf(call.points), c.points) << c.name;
    }
}

TEST(RegressionStage1, OrientationAndSlopeConventions) {
    const struct {
        const char* name;
        PixelPoints points;
        int mode, steep;
        double slope;
    } cases[] = {
        {"vertical, mode 0: turns vertical", {{5, 0}, {5, 1}, {5, 2}}, 0, 1, 1e10},
        {"diagonal tie, mode 2: flat", {{0, 0}, {1, 1}, {2, 2}}, 2, 0, 1.0},
        {"steep line, mode 0: flat fit", {{0, 0}, {1, 4}, {2, 8}}, 0, 0, 4.0},
        {"one pixel, mode 2: flat, slope 0", {{3, 3}, {3, 3}}, 2, 0, 0.0},
    };
    for (const auto& c : cases) {
        RawPoints raw(c.points);
        int steep = -1;
        double slope = -1.0;
        OVector_RegressionTestAccess::Stage1(c.mode, raw.xs, raw.ys, steep, slope);
        EXPECT_EQ(steep, c.steep) << c.name;
        EXPECT_NEAR(slope, c.slope, kTolerance) << c.name;
    }
}

TEST(RegressionBadInput, NoPointOnePointAndEmptySlot) {
    ExpectReset(RegressionCall({}).Run(), "no point");
    RegressionCall one({{-3.5, 12.25}});
    EXPECT_FALSE(one.Run().ok);
    EXPECT_EQ(one.centre, OVector(Raw(-3.5), Raw(12.25))) << "centre is the single point";
    EXPECT_EQ(std::pair(one.inlierCount, one.outlierCount), std::pair(1, 0));
    EXPECT_EQ(one.points.GetCount(), 1) << "the single point stays";

    RegressionCall withGap({{0, 0}, {1, 1}});
    withGap.points.Add(nullptr);
    withGap.Run();
    ExpectReset(withGap, "empty slot");
}

// A coordinate above -1 pixel is moved onto 0 in the caller's object; -1 pixel or less makes
// the call fail and leaves the points in place (raw units: -65536 is minus one pixel).
TEST(RegressionBadInput, CoordinatesLeftOfOrAboveTheImage) {
    const std::pair<std::int64_t, bool> cases[] = {
        {-65537, false}, {-65536, false}, {-65535, true}, {-1, true}};
    for (bool onY : {false, true}) {
        for (const auto& [raw, accepted] : cases) {
            const std::string context = (onY ? "y = " : "x = ") + std::to_string(raw);
            auto tested = std::make_shared<OVector>(onY ? Raw(3) : raw, onY ? raw : Raw(3));
            RegressionCall call({{-0.25, -0.25}});
            call.points.Add(tested);
            call.points.Add(std::make_shared<OVector>(Raw(6), Raw(6)));
            call.Run();
            EXPECT_EQ(call.ok, accepted) << context;
            EXPECT_EQ(call.points.GetAt(0)->GetRawX(), 0) << context << ": moved either way";
            EXPECT_EQ(onY ? tested->GetRawY() : tested->GetRawX(), accepted ? 0 : raw) << context;
            if (!accepted) {
                ExpectReset(call, context);
                EXPECT_EQ(call.points.GetCount(), 3) << context << ": points left in place";
            }
        }
    }
}

// Two points: the sums are exact while 2 * (largest raw >> 8) <= 3037000499, that is up to
// 5931641 pixels; one pixel farther, and the largest raw coordinates, are rejected.
TEST(RegressionBadInput, SumsBeyondTheirExactRangeAreRejected) {
    RegressionCall inside({{0, 0}, {5931641, 0}});
    ASSERT_TRUE(inside.Run().ok);
    EXPECT_NEAR(inside.centre.dX(), 5931641 / 2.0, kTolerance);
    ExpectReset(RegressionCall({{0, 0}, {5931642, 0}}).Run(), "one pixel farther");
    RegressionCall huge({{0, 0}});
    huge.points.Add(std::make_shared<OVector>(INT64_MAX, INT64_MAX));
    huge.mode = 3;
    huge.farthest = huge.sigmaAll = true;
    ExpectReset(huge.Run(), "largest raw coordinates");
}

TEST(RegressionQuality, Mode3ReportsDistancesWhichMode2Omits) {
    // Two rows of points one pixel either side of y = 11.
    const PixelPoints rows = {{0, 10}, {0, 12}, {10, 10}, {10, 12}};
    for (int mode : {2, 3}) {
        RegressionCall call(rows);
        call.mode = mode;
        call.farthest = call.sigmaAll = call.sigmaInliers = true;
        const std::string context = "mode " + std::to_string(mode);
        ASSERT_TRUE(call.Run().ok) << context;
        if (mode == 2) {
            EXPECT_FALSE(call.found) << context;
            EXPECT_EQ(call.maxDistance + call.sigmaAllOut + call.sigmaInliersOut, 0.0) << context;
            continue;
        }
        EXPECT_TRUE(call.found) << context;
        EXPECT_NEAR(static_cast<double>(call.maxDistance) / kRawPerPixel, 1.0, kTolerance)
            << context;
        // Every point is one pixel away: the first one is the farthest.
        EXPECT_EQ(OVector(call.farthestX, call.farthestY), OVector(0, 10)) << context;
        EXPECT_NEAR(call.footX, 0.0, kTolerance) << context;
        EXPECT_NEAR(call.footY, 11.0, kTolerance) << context;
        EXPECT_NEAR(call.sigmaAllOut, 1.0, kTolerance) << context;
        EXPECT_NEAR(call.sigmaInliersOut, 1.0, kTolerance) << context;
    }
}

TEST(RegressionQuality, FarthestPointAndItsFootOnASlopedLine) {
    // Points on y = x except (4, 0): it is the farthest, and its foot is the nearest point of the
    // fitted line, at the reported distance.
    RegressionCall call({{0, 0}, {2, 2}, {4, 0}, {6, 6}, {8, 8}});
    call.mode = 3;
    call.farthest = true;
    call.Run();
    ASSERT_TRUE(call.ok && call.found);
    EXPECT_EQ(OVector(call.farthestX, call.farthestY), OVector(4, 0));
    const double dx = 4.0 - call.footX;
    const double dy = 0.0 - call.footY;
    EXPECT_NEAR(dx * std::cos(call.angle) + dy * std::sin(call.angle), 0.0, kTolerance);
    EXPECT_NEAR((call.footX - call.centre.dX()) * std::sin(call.angle) -
                    (call.footY - call.centre.dY()) * std::cos(call.angle),
                0.0, kTolerance)
        << "the foot lies on the line";
    EXPECT_NEAR(std::hypot(dx, dy), static_cast<double>(call.maxDistance) / kRawPerPixel,
                kTolerance);
}

TEST(RegressionQuality, TwoPointsHaveNoFarthestPoint) {
    RegressionCall call({{1, 2}, {4, 6}});
    call.mode = 3;
    call.farthest = call.sigmaAll = true;
    ASSERT_TRUE(call.Run().ok);
    EXPECT_FALSE(call.found);
    EXPECT_EQ(OVector(call.farthestX, call.farthestY), OVector(1, 2)) << "the first point";
    EXPECT_EQ(call.footX + call.footY, 3.0);
    EXPECT_EQ(call.sigmaAllOut, 0.0);
}

TEST(RegressionQuality, DegenerateAndFarPointsGiveDefinedFigures) {
    // Identical sub-pixel points (a steep fit of slope 0) and points far outside the 32-bit
    // distance range: defined answers, no undefined arithmetic.
    const PixelPoints cases[] = {{{0.0586, 0}, {0.0586, 0}, {0.0586, 0}},
                                 {{0, 0}, {3000000, 10}, {1000, 3000000}}};
    for (const PixelPoints& points : cases) {
        RegressionCall call(points);
        call.mode = 3;
        call.farthest = call.sigmaAll = call.sigmaInliers = true;
        EXPECT_TRUE(call.Run().ok && std::isfinite(call.sigmaAllOut));
        EXPECT_LE(call.maxDistance, std::int64_t{1} << 31);
    }
}

}  // namespace
