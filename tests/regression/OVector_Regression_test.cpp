// The regression line without filters: geometry of the fit, orientation, quality figures and the
// answers for bad input.

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <string>

#include "RegressionTestSupport.h"

namespace {

// Pixels and radians; the fixed-point units are 1/65536 pixel, well inside this.
constexpr double kTolerance = 1e-4;

// What a failed call leaves: every output reset.
void ExpectReset(const RegressionCall& call, const std::string& context) {
    EXPECT_FALSE(call.ok || call.found) << context;
    EXPECT_EQ(call.centre, OVector()) << context;
    EXPECT_EQ(call.angle + call.footX + call.sigmaAllOut + call.inlierCount + call.outlierCount +
                  call.maxDistance,
              0.0)
        << context;
}

// Mode 0 fits y over x unless the line is vertical; mode 2 picks the orientation from the
// spreads, a tie staying flat (x and y spreads of 2 with a product sum of 1: a steep fit would
// give slope 2).
TEST(RegressionLine, FitsCentreAndDirectionAndKeepsEveryPoint) {
    // Sums of dx * dy = 82 and dy * dy = 509 about the centre; type 3 filters nothing.
    const PixelPoints kKinked = {{0, 3}, {2, 4}, {4, 5}, {6, 30}};
    const struct {
        const char* name;
        PixelPoints points;
        int mode;
        double centreX, centreY, angle;
        int filter = 0;
    } cases[] = {{"spread tie stays flat", {{0, 0}, {2, 1}, {1, 2}}, 2, 1, 1, std::atan(0.5)},
                 {"vertical, mode 0", {{5, 0}, {5, 1}, {5, 2}}, 0, 5, 1, kPi / 2},
                 {"steep, mode 0: flat fit", {{0, 0}, {1, 4}, {2, 8}}, 0, 1, 4, std::atan(4.0)},
                 {"two points 3-4-5", {{1, 2}, {4, 6}}, 3, 2.5, 4, std::atan2(4.0, 3.0)},
                 {"falling line", {{0, 10}, {10, 5}, {20, 0}}, 2, 10, 5, std::atan(-0.5)},
                 {"type 3 keeps an outlier", kKinked, 2, 3, 10.5, std::atan2(509.0, 82.0), 3}};
    for (const auto& c : cases) {
        RegressionCall call(c.points);
        call.mode = c.mode;
        call.filter = c.filter;
        const OVector* const first = call.points.GetPointerAt(0);
        ASSERT_TRUE(call.Run().ok) << c.name;
        EXPECT_EQ(call.points.GetPointerAt(0), first) << c.name << ": the same objects come back";
        EXPECT_NEAR(call.centre.dX(), c.centreX, kTolerance) << c.name;
        EXPECT_NEAR(call.centre.dY(), c.centreY, kTolerance) << c.name;
        EXPECT_NEAR(call.angle, c.angle, kTolerance) << c.name;
        EXPECT_EQ(call.inlierCount, static_cast<int>(c.points.size())) << c.name;
        EXPECT_EQ(call.outlierCount + call.outliers.GetCount() + call.callbackCalls, 0) << c.name;
        EXPECT_EQ(PixelsOf(call.points), c.points) << c.name;
    }
}

// No point, an empty slot, and sums beyond their exact range: the sums are exact while
// 2 * (largest raw >> 8) <= 3037000499, that is up to 5931641 pixels.
TEST(RegressionBadInput, RejectedPointSetsResetEveryOutput) {
    RegressionCall inside({{0, 0}, {5931641, 0}});
    EXPECT_TRUE(inside.Run().ok && std::abs(inside.centre.dX() - 5931641 / 2.0) < kTolerance);
    RegressionCall rejected[] = {RegressionCall({}), RegressionCall({{0, 0}, {1, 1}}),
                                 RegressionCall({{0, 0}, {5931642, 0}}), RegressionCall({{0, 0}})};
    rejected[1].points.Add(nullptr);
    rejected[3].points.Add(std::make_shared<OVector>(INT64_MAX, INT64_MAX));
    rejected[3].mode = 3;
    rejected[3].farthest = rejected[3].sigmaAll = true;
    for (RegressionCall& call : rejected) {
        ExpectReset(call.Run(), "case " + std::to_string(&call - rejected));
    }
    RegressionCall one({{-3.5, 12.25}});
    EXPECT_FALSE(one.Run().ok);
    EXPECT_EQ(one.centre, OVector(Raw(-3.5), Raw(12.25))) << "centre is the single point";
    EXPECT_EQ(std::pair(one.inlierCount, one.outlierCount), std::pair(1, 0));
}

// A coordinate above -1 pixel is moved onto 0 in the caller's object; -1 pixel or less makes
// the call fail and leaves the points in place (raw units: -65536 is minus one pixel).
TEST(RegressionBadInput, CoordinatesLeftOfOrAboveTheImage) {
    for (bool onY : {false, true}) {
        for (const auto& [raw, accepted] : {std::pair{-65536, false}, std::pair{-65535, true}}) {
            const std::string context = (onY ? "y = " : "x = ") + std::to_string(raw);
            auto tested = std::make_shared<OVector>(onY ? Raw(3) : raw, onY ? raw : Raw(3));
            RegressionCall call({{-0.25, -0.25}, {6, 6}});
            call.points.Add(tested);
            EXPECT_EQ(call.Run().ok, accepted) << context;
            EXPECT_EQ(call.points.GetAt(0)->GetRawX(), 0) << context << ": moved either way";
            EXPECT_EQ(onY ? tested->GetRawY() : tested->GetRawX(), accepted ? 0 : raw) << context;
            if (!accepted) {
                ExpectReset(call, context);
                EXPECT_EQ(call.points.GetCount(), 3) << context << ": points left in place";
            }
        }
    }
}

TEST(RegressionQuality, Mode3ReportsDistancesWhichMode2Omits) {
    // Two rows of points one pixel either side of y = 11: every point is one pixel away, so the
    // first one is the farthest.
    RegressionCall call({{0, 10}, {0, 12}, {10, 10}, {10, 12}});
    call.mode = 3;
    call.farthest = call.sigmaAll = call.sigmaInliers = true;
    ASSERT_TRUE(call.Run().ok && call.found);
    EXPECT_EQ(call.maxDistance, kRawPerPixel);
    EXPECT_EQ(OVector(call.farthestX, call.farthestY), OVector(0, 10));
    EXPECT_NEAR(std::hypot(call.footX, call.footY - 11.0), 0.0, kTolerance) << "foot at (0, 11)";
    EXPECT_NEAR(call.sigmaAllOut, 1.0, kTolerance);
    EXPECT_NEAR(call.sigmaInliersOut, 1.0, kTolerance);
    call.mode = 2;
    ASSERT_TRUE(call.Run().ok && !call.found);
    EXPECT_EQ(call.maxDistance + call.sigmaAllOut + call.sigmaInliersOut, 0.0);
    // A scattered set: (9, 2) is the farthest point, on the positive side of the line, 1.99519
    // pixels = 130756.62 raw from its foot; the distance is rounded to the nearest raw unit (the
    // half added before truncating).
    RegressionCall scattered({{2, 1}, {5, 3}, {9, 2}, {12, 7}});
    scattered.mode = 3;
    scattered.farthest = true;
    ASSERT_TRUE(scattered.Run().ok && scattered.found);
    ASSERT_EQ(OVector(scattered.farthestX, scattered.farthestY), OVector(9, 2));
    const double distance = std::hypot(9.0 - scattered.footX, 2.0 - scattered.footY) * kRawPerPixel;
    EXPECT_EQ(scattered.maxDistance, std::llround(distance)) << std::setprecision(12) << distance;
    // Two points have no farthest point: the first one is reported, with no spread.
    RegressionCall two({{1, 2}, {4, 6}});
    two.mode = 3;
    two.farthest = two.sigmaAll = true;
    ASSERT_TRUE(two.Run().ok && !two.found);
    EXPECT_EQ(OVector(two.farthestX, two.farthestY), OVector(1, 2));
    EXPECT_EQ(two.footX + two.footY + two.sigmaAllOut, 3.0);
}

// Identical sub-pixel points, points far outside the 32-bit distance range, and whole-pixel
// differences up to 65535 whose squares wrap in the consensus searches: defined answers under
// every filter, no undefined arithmetic (the sanitizer build checks).
TEST(RegressionQuality, DegenerateAndFarPointsGiveDefinedAnswers) {
    const PixelPoints cases[] = {{{0.0586, 0}, {0.0586, 0}, {0.0586, 0}},
                                 {{0, 0}, {3000000, 10}, {1000, 3000000}},
                                 {{0, 0}, {0, 65535}, {32767, 0}, {32768, 40000}, {60000, 60000}}};
    for (const PixelPoints& points : cases) {
        for (int filter :
             {0, OVector_Regression::kFilterDETSAC, OVector_Regression::kFilterDETSAC_FPGA}) {
            RegressionCall call(points);
            call.mode = 3;
            call.filter = filter;
            call.inlierDistance = 50000;
            call.searchLevel = 8;
            call.farthest = call.sigmaAll = call.sigmaInliers = true;
            const bool ok = call.Run().ok;
            const std::string context =
                std::to_string(points.size()) + ", filter " + std::to_string(filter);
            EXPECT_TRUE(ok || filter != 0) << context << ": no filter fits";
            EXPECT_TRUE(std::isfinite(call.sigmaAllOut) && call.maxDistance <= (1LL << 31))
                << context;
            EXPECT_EQ(call.points.GetCount(), call.inlierCount) << context;
            EXPECT_EQ(call.inlierCount + call.outlierCount, ok ? int(points.size()) : 0) << context;
        }
    }
}

}  // namespace
