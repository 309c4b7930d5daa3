// The regression line without filters: geometry of the fit, orientation, quality figures and the
// answers for bad input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "RegressionTestSupport.h"

namespace {

// Pixels and radians; the fixed-point units are 1/65536 pixel, well inside this.
constexpr double kTolerance = 1e-4;

void ExpectReset(const RegressionCall& call, const std::string& context) {
    EXPECT_FALSE(call.ok) << context;
    EXPECT_EQ(call.angle, 0.0) << context;
    EXPECT_EQ(call.centre, OVector(std::int64_t{0}, std::int64_t{0})) << context;
    EXPECT_EQ(call.inlierCount, 0) << context;
    EXPECT_EQ(call.outlierCount, 0) << context;
    EXPECT_FALSE(call.found) << context;
    EXPECT_EQ(call.maxDistance, 0) << context;
    EXPECT_EQ(call.footX, 0.0) << context;
    EXPECT_EQ(call.sigmaAllOut, 0.0) << context;
}

struct LineCase {
    const char* name;
    PixelPoints points;
    int mode;
    double centreX;
    double centreY;
    double angle;
    int filter = 0;
};

class LineGeometry : public testing::TestWithParam<LineCase> {};

TEST_P(LineGeometry, FitsCentreAndDirectionAndKeepsEveryPoint) {
    const LineCase& c = GetParam();
    RegressionCall call(c.points);
    call.mode = c.mode;
    call.filter = c.filter;
    call.Run();
    ASSERT_TRUE(call.ok) << c.name;
    EXPECT_NEAR(call.centre.dX(), c.centreX, kTolerance) << c.name;
    EXPECT_NEAR(call.centre.dY(), c.centreY, kTolerance) << c.name;
    EXPECT_NEAR(call.angle, c.angle, kTolerance) << c.name;
    EXPECT_EQ(call.inlierCount, static_cast<int>(c.points.size())) << c.name;
    EXPECT_EQ(call.outlierCount, 0) << c.name;
    EXPECT_EQ(PixelsOf(call.points), c.points) << c.name;
    EXPECT_EQ(call.outliers.GetCount(), 0) << c.name;
    EXPECT_EQ(call.callbackCalls, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Regression, LineGeometry,
    testing::Values(LineCase{"DiagonalTieStaysFlat", {{0, 0}, {1, 1}, {2, 2}}, 2, 1, 1, kPi / 4},
                    LineCase{"VerticalMode0", {{5, 0}, {5, 1}, {5, 2}}, 0, 5, 1, kPi / 2},
                    LineCase{"VerticalMode2", {{5, 0}, {5, 1}, {5, 2}}, 2, 5, 1, kPi / 2},
                    LineCase{"TwoPoints345", {{1, 2}, {4, 6}}, 3, 2.5, 4, std::atan2(4.0, 3.0)},
                    LineCase{"Horizontal", {{0, 7}, {4, 7}, {9, 7}}, 1, 13.0 / 3, 7, 0},
                    LineCase{"FallingLine", {{0, 10}, {10, 5}, {20, 0}}, 2, 10, 5, std::atan(-0.5)},
                    // Sums of dx * dy = 82 and dy * dy = 509 about the centre; type 3 filters
                    // nothing.
                    LineCase{"FilterType3KeepsAnOutlier",
                             {{0, 3}, {2, 4}, {4, 5}, {6, 30}},
                             2,
                             3,
                             10.5,
                             std::atan2(509.0, 82.0),
                             3}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

struct OrientationCase {
    const char* name;
    PixelPoints points;
    int mode;
    int steep;
    double slope;
};

TEST(RegressionStage1, OrientationAndSlopeConventions) {
    const OrientationCase cases[] = {
        {"vertical, mode 0: turns vertical", {{5, 0}, {5, 1}, {5, 2}}, 0, 1, 1e10},
        {"vertical, mode 2: steep from the start", {{5, 0}, {5, 1}, {5, 2}}, 2, 1, 1e10},
        {"diagonal tie, mode 2: flat", {{0, 0}, {1, 1}, {2, 2}}, 2, 0, 1.0},
        {"steep line, mode 0: flat fit", {{0, 0}, {1, 4}, {2, 8}}, 0, 0, 4.0},
        {"steep line, mode 2: steep fit", {{0, 0}, {1, 4}, {2, 8}}, 2, 1, 4.0},
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
    RegressionCall none({});
    none.Run();
    ExpectReset(none, "no point");

    RegressionCall one({{-3.5, 12.25}});
    one.Run();
    EXPECT_FALSE(one.ok);
    EXPECT_EQ(one.centre, OVector(Raw(-3.5), Raw(12.25))) << "centre is the single point";
    EXPECT_EQ(one.inlierCount, 1);
    EXPECT_EQ(one.outlierCount, 0);
    EXPECT_EQ(one.points.GetCount(), 1) << "the single point stays";

    RegressionCall withGap({{0, 0}, {1, 1}});
    withGap.points.Add(nullptr);
    withGap.Run();
    ExpectReset(withGap, "empty slot");
}

TEST(RegressionBadInput, CoordinatesLeftOfOrAboveTheImage) {
    struct Case {
        std::int64_t raw;
        bool accepted;
    };
    // Raw units: -65536 is minus one pixel.
    const Case cases[] = {{-65537, false}, {-65536, false}, {-65535, true},
                          {-32768, true},  {-1, true},      {0, true}};
    for (bool onY : {false, true}) {
        for (const Case& c : cases) {
            const std::string context = (onY ? "y = " : "x = ") + std::to_string(c.raw);
            auto moved =
                std::make_shared<OVector>(onY ? Raw(1) : Raw(-0.25), onY ? Raw(-0.25) : Raw(1));
            auto tested = onY ? std::make_shared<OVector>(Raw(3), c.raw)
                              : std::make_shared<OVector>(c.raw, Raw(3));
            RegressionCall call({});
            call.points.Add(moved);
            call.points.Add(tested);
            call.points.Add(std::make_shared<OVector>(Raw(6), Raw(6)));
            call.Run();
            EXPECT_EQ(call.ok, c.accepted) << context;
            // The earlier point's -0.25 pixel is moved onto 0 in the caller's object either way.
            EXPECT_EQ(onY ? moved->GetRawY() : moved->GetRawX(), 0) << context;
            if (c.accepted) {
                EXPECT_EQ(onY ? tested->GetRawY() : tested->GetRawX(), 0) << context;
            } else {
                ExpectReset(call, context);
                EXPECT_EQ(call.points.GetCount(), 3) << context << ": points left in place";
                EXPECT_EQ(onY ? tested->GetRawY() : tested->GetRawX(), c.raw) << context;
            }
        }
    }
}

TEST(RegressionBadInput, SumsBeyondTheirExactRangeAreRejected) {
    // Two points: exact while 2 * (largest raw >> 8) <= 3037000499, up to 5931641 pixels.
    RegressionCall inside({{0, 0}, {5931641, 0}});
    inside.Run();
    ASSERT_TRUE(inside.ok);
    EXPECT_NEAR(inside.centre.dX(), 5931641 / 2.0, kTolerance);
    EXPECT_NEAR(inside.angle, 0.0, kTolerance);

    RegressionCall beyond({{0, 0}, {5931642, 0}});
    beyond.Run();
    ExpectReset(beyond, "one pixel farther");
    EXPECT_EQ(beyond.points.GetCount(), 2);

    RegressionCall huge({});
    huge.points.Add(std::make_shared<OVector>(std::numeric_limits<std::int64_t>::max(),
                                              std::numeric_limits<std::int64_t>::max()));
    huge.points.Add(std::make_shared<OVector>(std::int64_t{0}, std::int64_t{0}));
    huge.mode = 3;
    huge.farthest = huge.sigmaAll = true;
    huge.Run();
    ExpectReset(huge, "largest raw coordinates");
}

TEST(RegressionBadInput, ManyPointsFitExactlyUpToTheLimit) {
    // 100000 points on y = x within 100 pixels: the sums stay exact.
    constexpr int kCount = 100000;
    PixelPoints diagonal;
    for (int k = 0; k < kCount; ++k) {
        diagonal.emplace_back(k % 100, k % 100);
    }
    RegressionCall call(diagonal);
    call.Run();
    ASSERT_TRUE(call.ok);
    EXPECT_NEAR(call.angle, kPi / 4, kTolerance);
    EXPECT_NEAR(call.centre.dX(), 49.5, kTolerance);
    EXPECT_EQ(call.inlierCount, kCount);

    // One point at 120 pixels takes the set beyond the exact range.
    diagonal.back() = {120, 120};
    RegressionCall beyond(diagonal);
    beyond.Run();
    ExpectReset(beyond, "100000 points up to 120 pixels");
}

TEST(RegressionQuality, Mode3ReportsDistancesWhichMode2Omits) {
    // Two rows of points one pixel either side of y = 11.
    const PixelPoints rows = {{0, 10}, {0, 12}, {10, 10}, {10, 12}};
    for (int mode : {2, 3}) {
        RegressionCall call(rows);
        call.mode = mode;
        call.farthest = call.sigmaAll = call.sigmaInliers = true;
        call.Run();
        const std::string context = "mode " + std::to_string(mode);
        ASSERT_TRUE(call.ok) << context;
        EXPECT_NEAR(call.angle, 0.0, kTolerance) << context;
        EXPECT_NEAR(call.centre.dY(), 11.0, kTolerance) << context;
        if (mode == 2) {
            EXPECT_FALSE(call.found) << context;
            EXPECT_EQ(call.maxDistance, 0) << context;
            EXPECT_EQ(call.sigmaAllOut, 0.0) << context;
            EXPECT_EQ(call.sigmaInliersOut, 0.0) << context;
            continue;
        }
        EXPECT_TRUE(call.found) << context;
        EXPECT_NEAR(static_cast<double>(call.maxDistance) / kRawPerPixel, 1.0, kTolerance)
            << context;
        // Every point is one pixel away: the first one is the farthest.
        EXPECT_EQ(call.farthestX, Raw(0)) << context;
        EXPECT_EQ(call.farthestY, Raw(10)) << context;
        EXPECT_NEAR(call.footX, 0.0, kTolerance) << context;
        EXPECT_NEAR(call.footY, 11.0, kTolerance) << context;
        EXPECT_NEAR(call.sigmaAllOut, 1.0, kTolerance) << context;
        EXPECT_NEAR(call.sigmaInliersOut, 1.0, kTolerance) << context;
    }
}

TEST(RegressionQuality, FarthestPointAndItsFootOnASlopedLine) {
    // Points on y = x except (4, 0), whose foot on the fitted line lies on the diagonal.
    RegressionCall call({{0, 0}, {2, 2}, {4, 0}, {6, 6}, {8, 8}});
    call.mode = 3;
    call.farthest = true;
    call.Run();
    ASSERT_TRUE(call.ok);
    ASSERT_TRUE(call.found);
    EXPECT_EQ(call.farthestX, Raw(4));
    EXPECT_EQ(call.farthestY, Raw(0));
    // The foot is the point of the line nearest (4, 0); its distance is the reported one.
    const double slope = std::tan(call.angle);
    const double intercept = call.centre.dY() - call.centre.dX() * slope;
    EXPECT_NEAR(call.footY, slope * call.footX + intercept, kTolerance);
    const double dx = 4.0 - call.footX;
    const double dy = 0.0 - call.footY;
    EXPECT_NEAR(dx + dy * slope, 0.0, kTolerance) << "foot is perpendicular";
    EXPECT_NEAR(std::hypot(dx, dy), static_cast<double>(call.maxDistance) / kRawPerPixel,
                kTolerance);
}

TEST(RegressionQuality, TwoPointsHaveNoFarthestPoint) {
    RegressionCall call({{1, 2}, {4, 6}});
    call.mode = 3;
    call.farthest = call.sigmaAll = true;
    call.Run();
    ASSERT_TRUE(call.ok);
    EXPECT_FALSE(call.found);
    EXPECT_EQ(call.farthestX, Raw(1));
    EXPECT_EQ(call.farthestY, Raw(2));
    EXPECT_EQ(call.footX, 1.0);
    EXPECT_EQ(call.footY, 2.0);
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
        call.Run();
        EXPECT_TRUE(call.ok);
        EXPECT_TRUE(std::isfinite(call.sigmaAllOut));
        EXPECT_LE(call.maxDistance, std::int64_t{1} << 31);
    }
}

}  // namespace
