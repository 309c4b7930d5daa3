// The complete circle measurement: procedures, filter passes, quality figures, result lists and
// the answers for bad input.

#include "circlefit/OCircleFit_OutlierFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>

#include "CirclePoints.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: agreement of fitted and constructed geometry.
constexpr double kTolerance = 1e-6;
constexpr int kPlain = OCircleFit_OutlierFilter::kModePlain;
constexpr int kChecked = OCircleFit_OutlierFilter::kModeChecked;
constexpr int kStdDevFilter = OCircleFit_OutlierFilter::kFilterStdDev;

// The figures of bComputeCircleFit in argument order: three deviations of five values each
// (the deviation, the point, its nearest point on the circle), then the two sigmas.
enum Figure { kDev = 0, kInner = 5, kOuter = 10, kSigmaAll = 15, kSigmaInliers = 16 };
enum Offset { kX = 1, kY, kCircleX, kCircleY };

// One call with every figure switched on and every output kept. The outputs start as junk, so
// that a test sees what the call wrote.
struct Measurement {
    Measurement(double x, double y, double r) : circle(x, y, r, kLargeSigma, 0) {
        inliers.Add(std::make_shared<OVector>(7, 7));
        outliers.Add(std::make_shared<OVector>(7, 7));
        std::fill(std::begin(f), std::end(f), -1.0);
    }

    bool Run(int mode, PointLists& points, int filterType, int passes, double factor) {
        return OCircleFit_OutlierFilter::bComputeCircleFit(
            mode, points.x, points.y, true, true, true, true, true, filterType, passes, factor,
            circle, &inliers, &outliers, inlierCount, outlierCount, found[0], f[0], f[1], f[2],
            f[3], f[4], found[1], f[5], f[6], f[7], f[8], f[9], found[2], f[10], f[11], f[12],
            f[13], f[14], f[15], f[16], [] { return true; });
    }

    bool NoFigures() const {
        return !found[0] && !found[1] && !found[2] && std::count(f, f + 17, 0.0) == 17;
    }
    // What a failed call leaves: counts and figures reset, lists and circle untouched.
    bool NothingWritten() const {
        return inlierCount == 0 && outlierCount == 0 && NoFigures() &&
               inliers.GetCount() + outliers.GetCount() == 2;
    }

    OCircleFit_Circle circle;
    OVector_Array inliers;
    OVector_Array outliers;
    int inlierCount = -1;
    int outlierCount = -1;
    bool found[3] = {true, true, true};
    double f[17];
};

// Twenty points on a circle, then one point far outside it (the best circle through all 21
// would pass near the far point). The filter drops it; without a filter pass (type 0 or 2, or
// no passes) every point is an inlier and the outlier list is emptied.
TEST(OCircleFitOutlierFilter, TheFarPointIsDroppedOnlyByFilterPasses) {
    constexpr TrueCircle kRing{100.0, 100.0, 30.0};
    constexpr double kFarX = 160.0;
    // Mode, filter type, passes, outliers.
    const int cases[][4] = {{kChecked, kStdDevFilter, 5, 1},
                            {kPlain, kStdDevFilter, 5, 1},
                            {kChecked, 0, 5, 0},
                            {kChecked, 2, 5, 0},
                            {kChecked, 1, 0, 0}};
    for (const auto& [mode, type, passes, outliers] : cases) {
        PointLists points(21);
        AddArc(points, kRing, 0.0, 360.0, 20);
        points.Add(kFarX, kRing.y);
        Measurement m(95.0, 105.0, 35.0);
        ASSERT_TRUE(m.Run(mode, points, type, passes, 2.0)) << mode << type << passes;
        ASSERT_EQ(std::pair(m.inlierCount, m.outlierCount), std::pair(21 - outliers, outliers));
        ASSERT_EQ(std::pair(m.inliers.GetCount(), m.outliers.GetCount()),
                  std::pair(21 - outliers, outliers));
        if (outliers == 0) {
            continue;
        }
        const OCircleFit_Circle& c = m.circle;
        EXPECT_LT(std::hypot(c.m_dCenterX - kRing.x, c.m_dCenterY - kRing.y, c.m_dRadius - kRing.r),
                  kTolerance);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(*m.inliers.GetAt(i), OVector(points.x[i], points.y[i])) << i;
        }
        EXPECT_EQ(*m.outliers.GetAt(0), OVector(kFarX, kRing.y));
        if (mode == kPlain) {
            EXPECT_TRUE(m.NoFigures()) << "no figures below mode 3";
            continue;
        }
        // The far point is the worst and the farthest outside: 60 from the centre, radius 30.
        for (const auto& [found, dev] : {std::pair{0, kDev}, std::pair{2, kOuter}}) {
            EXPECT_TRUE(m.found[found]) << dev;
            EXPECT_NEAR(m.f[dev], kFarX - kRing.x - kRing.r, kTolerance) << dev;
            EXPECT_EQ(m.f[dev + kX], kFarX) << dev;
            EXPECT_NEAR(m.f[dev + kCircleX], kRing.x + kRing.r, kTolerance) << dev;
            EXPECT_NEAR(m.f[dev + kCircleY], kRing.y, kTolerance) << dev;
        }
        EXPECT_LT(m.f[kInner] + m.f[kSigmaInliers], kTolerance) << "ring points lie on the circle";
        // Distances: twenty of 30, one of 60 (all input points count).
        const double mean = (20 * 30.0 + 60.0) / 21;
        EXPECT_NEAR(m.f[kSigmaAll], std::sqrt((20 * 900.0 + 3600.0) / 21 - mean * mean),
                    kTolerance);
    }
}

// In the checked mode a pass must lower sigma: from a guess with sigma 0, which the fit of the
// ring alone gives back unchanged, no pass is taken and the far point stays.
TEST(OCircleFitOutlierFilter, APassThatOnlyEqualsSigmaIsNotTaken) {
    PointLists points(21);
    AddArc(points, {100.0, 100.0, 30.0}, 0.0, 360.0, 20);
    points.Add(160.0, 100.0);
    Measurement m(95.0, 105.0, 35.0);
    m.circle.m_dSigma = 0.0;
    ASSERT_TRUE(m.Run(kChecked, points, kStdDevFilter, 5, 2.0));
    EXPECT_EQ(std::pair(m.inlierCount, m.outlierCount), std::pair(21, 0));
}

TEST(OCircleFitOutlierFilter, AtLeastThreePointsAreKept) {
    PointLists three(3);
    AddArc(three, {10.0, -5.0, 4.0}, 30.0, 360.0, 3);
    Measurement m3(11.0, -4.0, 5.0);
    ASSERT_TRUE(m3.Run(kChecked, three, kStdDevFilter, 5, 0.0));
    EXPECT_EQ(std::pair(m3.inlierCount, m3.outlierCount), std::pair(3, 0));
    EXPECT_NEAR(m3.circle.m_dRadius, 4.0, kTolerance);
    EXPECT_FALSE(m3.found[0]) << "no quality figures below four points";

    // Six points at very different distances from any centre: with a factor of 0 the band is
    // the mean +- 1 squared pixel and holds none of them, so the first three are dropped and
    // the last three kept by the minimum rule; the next pass has three points only.
    PointLists six(6);
    const double radii[] = {2.0, 40.0, 5.0, 30.0, 12.0, 22.0};
    for (int i = 0; i < 6; ++i) {
        six.Add(radii[i] * std::cos(i * kPi / 3.0), radii[i] * std::sin(i * kPi / 3.0));
    }
    Measurement m(1.0, 1.0, 20.0);
    ASSERT_TRUE(m.Run(kPlain, six, kStdDevFilter, 5, 0.0));
    ASSERT_EQ(std::pair(m.inlierCount, m.outlierCount), std::pair(3, 3));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(*m.outliers.GetAt(i), OVector(six.x[i], six.y[i])) << "dropped " << i;
        EXPECT_EQ(*m.inliers.GetAt(i), OVector(six.x[i + 3], six.y[i + 3])) << "kept " << i;
    }
}

TEST(OCircleFitOutlierFilter, QualityFiguresOfTwoRings) {
    // Eight points alternately at radius 9 and 11 around the origin: the fit is the circle of
    // radius 10, every point deviates by 1, and the distances have a standard deviation of 1.
    PointLists points(8);
    for (int i = 0; i < 8; ++i) {
        const double r = i % 2 == 0 ? 9.0 : 11.0;
        points.Add(r * std::cos(i * kPi / 4.0), r * std::sin(i * kPi / 4.0));
    }
    Measurement m(0.5, 0.5, 8.0);
    ASSERT_TRUE(m.Run(kChecked, points, 0, 0, 2.0));
    EXPECT_NEAR(m.circle.m_dRadius, 10.0, kTolerance);
    for (int figure : {kDev, kInner, kOuter, kSigmaAll, kSigmaInliers}) {
        EXPECT_NEAR(m.f[figure], 1.0, kTolerance) << "figure " << figure;
    }
    // Inner points lie at radius 9, outer ones at 11; each maps to radius 10 in its direction.
    for (const auto& [dev, r] : {std::pair{kInner, 9.0}, std::pair{kOuter, 11.0}}) {
        EXPECT_NEAR(std::hypot(m.f[dev + kX], m.f[dev + kY]), r, kTolerance) << r;
        EXPECT_NEAR(std::hypot(m.f[dev + kCircleX] * r / 10.0 - m.f[dev + kX],
                               m.f[dev + kCircleY] * r / 10.0 - m.f[dev + kY]),
                    0.0, kTolerance)
            << r;
    }
}

TEST(OCircleFitOutlierFilter, CheckedModeRejectsFarCentresAndHugeRadii) {
    const std::tuple<int, TrueCircle, bool> cases[] = {
        // mode, circle, accepted
        {kChecked, {10000.5, 0.0, 50.0}, false},
        {kChecked, {0.0, -10000.5, 50.0}, false},
        {kChecked, {0.0, 0.0, 20000.5}, false},
        {kChecked, {9999.5, -9999.5, 50.0}, true},
        {2, {10000.5, 0.0, 50.0}, true}};  // no limit below mode 3
    for (const auto& [mode, c, accepted] : cases) {
        PointLists points(24);
        AddArc(points, c, 0.0, 40.0, 24);  // an arc, so that huge circles stay well posed
        Measurement m(c.x + 0.5, c.y - 0.5, c.r * 1.01);
        EXPECT_EQ(m.Run(mode, points, kStdDevFilter, 3, 2.0), accepted) << c.x;
        // Only check that a fit was written back: far out, the fit is poorly conditioned.
        EXPECT_GE(m.circle.m_iIterations, 1) << c.x << ": the fit is written back";
        EXPECT_TRUE(accepted || m.NothingWritten()) << c.x;
    }
}

TEST(OCircleFitOutlierFilter, BadInputAnswersFalseAndWritesNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        int countX, countY;
        double y3;  // point 3's y, off the circle
        OCircleFit_Circle guess;
    } cases[] = {{2, 2, 0.0, {1, 2, 10}},       {8, 7, 0.0, {1, 2, 10}}, {8, 8, nan, {1, 2, 10}},
                 {8, 8, -HUGE_VAL, {1, 2, 10}}, {8, 8, 0.0, {1, 2, 0}},  {8, 8, 0.0, {nan, 2, 10}}};
    for (const auto& c : cases) {
        PointLists points(8);
        for (int i = 0; i < c.countX; ++i) {
            points.x.Add(1.0 + 10.0 * std::cos(i * kPi / 4.0));
        }
        for (int i = 0; i < c.countY; ++i) {
            points.y.Add(i == 3 ? c.y3 : 2.0 + 10.0 * std::sin(i * kPi / 4.0));
        }
        Measurement m(c.guess.m_dCenterX, c.guess.m_dCenterY, c.guess.m_dRadius);
        EXPECT_FALSE(m.Run(kChecked, points, kStdDevFilter, 5, 2.0)) << c.countX << ", " << c.y3;
        EXPECT_TRUE(m.NothingWritten()) << c.countX << ", " << c.y3;
        EXPECT_EQ(m.circle.m_dRadius, c.guess.m_dRadius) << "circle unchanged";
    }
}

}  // namespace
