// The complete circle measurement: procedures, filter passes, quality figures, result lists and
// the answers for bad input.

#include "circlefit/OCircleFit_OutlierFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "CirclePoints.h"
#include "foundation/FixedPoint.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: agreement of fitted and constructed geometry.
constexpr double kTolerance = 1e-6;
constexpr int kPlain = 0;
constexpr int kChecked = 3;
constexpr int kStdDevFilter = 1;
constexpr int kNoFilter = 0;

// The figures of bComputeCircleFit (arguments 18 to 22, 24 to 28, 30 to 36), by name.
// clang-format off
enum Figure {
    kDev, kDevX, kDevY, kDevCircleX, kDevCircleY,
    kInner, kInnerX, kInnerY, kInnerCircleX, kInnerCircleY,
    kOuter, kOuterX, kOuterY, kOuterCircleX, kOuterCircleY,
    kSigmaAll, kSigmaInliers, kFigureCount
};
// clang-format on
enum Found { kDevFound, kInnerFound, kOuterFound, kFoundCount };

// One call of bComputeCircleFit with every figure switched on and every output kept. The outputs
// start as junk, so that a test sees what the call wrote.
struct Measurement {
    Measurement() {
        inliers.Add(std::make_shared<OVector>(7, 7));
        outliers.Add(std::make_shared<OVector>(7, 7));
        std::fill(std::begin(f), std::end(f), -1.0);
        std::fill(std::begin(found), std::end(found), true);
    }

    bool Run(int mode, PointLists& points, int filterType, int passes, double factor) {
        return Run(mode, points.x, points.y, filterType, passes, factor);
    }

    bool Run(int mode, OFastArrayList<double>& x, OFastArrayList<double>& y, int filterType,
             int passes, double factor) {
        return OCircleFit_OutlierFilter::bComputeCircleFit(
            mode, x, y, true, true, true, true, true, filterType, passes, factor, circle, &inliers,
            &outliers, inlierCount, outlierCount, found[kDevFound], f[kDev], f[kDevX], f[kDevY],
            f[kDevCircleX], f[kDevCircleY], found[kInnerFound], f[kInner], f[kInnerX], f[kInnerY],
            f[kInnerCircleX], f[kInnerCircleY], found[kOuterFound], f[kOuter], f[kOuterX],
            f[kOuterY], f[kOuterCircleX], f[kOuterCircleY], f[kSigmaAll], f[kSigmaInliers],
            [] { return true; });
    }

    // Figures reset and not computed.
    bool NoFigures() const {
        return std::none_of(std::begin(found), std::end(found), [](bool b) { return b; }) &&
               std::all_of(std::begin(f), std::end(f), [](double v) { return v == 0.0; });
    }
    // What a failed call leaves.
    bool NothingWritten() const { return inlierCount == 0 && outlierCount == 0 && NoFigures(); }

    OCircleFit_Circle circle;
    OVector_Array inliers;
    OVector_Array outliers;
    int inlierCount = -1;
    int outlierCount = -1;
    bool found[kFoundCount];
    double f[kFigureCount];
};

// The point as an OVector made from pixels is (rounded raw units).
void ExpectPoint(const OVector_Array& list, int index, double x, double y,
                 const std::string& what) {
    const std::shared_ptr<OVector> p = list.GetAt(index);
    ASSERT_TRUE(p) << what << " " << index;
    EXPECT_EQ(p->GetRawX(), fixedpoint::RawFromDouble(x * fixedpoint::kRawPerPixel))
        << what << " " << index;
    EXPECT_EQ(p->GetRawY(), fixedpoint::RawFromDouble(y * fixedpoint::kRawPerPixel))
        << what << " " << index;
}

// Twenty points on a circle, then one point far outside it (a radius beyond the circle: much
// farther, and the best circle through all 21 points would be one through the far point).
constexpr TrueCircle kRing{100.0, 100.0, 30.0};
constexpr double kFarX = 160.0;
constexpr double kFarY = 100.0;

void AddRingWithFarPoint(PointLists& points) {
    AddArc(points, kRing, 0.0, 360.0, 20);
    points.Add(kFarX, kFarY);
}

TEST(OCircleFitOutlierFilter, TheFarPointIsDroppedAndReported) {
    for (int mode : {kChecked, kPlain}) {
        PointLists points(21);
        AddRingWithFarPoint(points);
        Measurement m;
        m.circle = OCircleFit_Circle(95.0, 105.0, 35.0, kLargeSigma, 0);
        ASSERT_TRUE(m.Run(mode, points, kStdDevFilter, 5, 2.0)) << "mode " << mode;

        EXPECT_NEAR(m.circle.m_dCenterX, kRing.x, kTolerance) << "mode " << mode;
        EXPECT_NEAR(m.circle.m_dCenterY, kRing.y, kTolerance) << "mode " << mode;
        EXPECT_NEAR(m.circle.m_dRadius, kRing.r, kTolerance) << "mode " << mode;
        EXPECT_EQ(m.inlierCount, 20) << "mode " << mode;
        EXPECT_EQ(m.outlierCount, 1) << "mode " << mode;
        ASSERT_EQ(m.inliers.GetCount(), 20) << "mode " << mode;
        ASSERT_EQ(m.outliers.GetCount(), 1) << "mode " << mode;
        for (int i = 0; i < 20; ++i) {
            ExpectPoint(m.inliers, i, points.x[i], points.y[i], "inlier");
        }
        ExpectPoint(m.outliers, 0, kFarX, kFarY, "outlier");
        if (mode == kPlain) {
            EXPECT_TRUE(m.NoFigures()) << "no figures below mode 3";
            continue;
        }

        // The far point is the worst and the farthest outside: 60 from the centre, radius 30.
        const double farDeviation = std::hypot(kFarX - kRing.x, kFarY - kRing.y) - kRing.r;
        for (const auto& [which, dev] :
             {std::pair{kDevFound, kDev}, std::pair{kOuterFound, kOuter}}) {
            EXPECT_TRUE(m.found[which]) << which;
            EXPECT_NEAR(m.f[dev], farDeviation, kTolerance) << which;
            EXPECT_EQ(m.f[dev + 1], kFarX) << which;
            EXPECT_EQ(m.f[dev + 2], kFarY) << which;
            EXPECT_NEAR(m.f[dev + 3], kRing.x + kRing.r, kTolerance) << which << ": nearest point";
            EXPECT_NEAR(m.f[dev + 4], kRing.y, kTolerance) << which;
        }
        EXPECT_TRUE(m.found[kInnerFound])
            << "ring points lie on the circle, some a rounding inside";
        EXPECT_LT(m.f[kInner], kTolerance);

        // Distances: twenty of 30, one of 60 (all input points count).
        const double farDistance = kRing.r + farDeviation;
        const double mean = (20 * kRing.r + farDistance) / 21;
        const double variance =
            (20 * kRing.r * kRing.r + farDistance * farDistance) / 21 - mean * mean;
        EXPECT_NEAR(m.f[kSigmaAll], std::sqrt(variance), kTolerance);
        EXPECT_LT(m.f[kSigmaInliers], kTolerance);
    }
}

TEST(OCircleFitOutlierFilter, WithoutTheFilterEveryPointIsAnInlier) {
    for (const auto& [type, passes] :
         {std::pair{kNoFilter, 5}, std::pair{2, 5}, std::pair{kStdDevFilter, 0}}) {
        PointLists points(21);
        AddRingWithFarPoint(points);
        Measurement m;
        m.circle = OCircleFit_Circle(95.0, 105.0, 35.0, kLargeSigma, 0);
        ASSERT_TRUE(m.Run(kChecked, points, type, passes, 2.0)) << "type " << type;
        EXPECT_EQ(m.inlierCount, 21) << "type " << type << ", passes " << passes;
        EXPECT_EQ(m.outlierCount, 0) << "type " << type << ", passes " << passes;
        EXPECT_EQ(m.outliers.GetCount(), 0) << "emptied, even with nothing to report";
    }
}

TEST(OCircleFitOutlierFilter, ThreePointsAreAlwaysKept) {
    PointLists points(3);
    AddArc(points, {10.0, -5.0, 4.0}, 30.0, 360.0, 3);
    Measurement m;
    m.circle = OCircleFit_Circle(11.0, -4.0, 5.0, kLargeSigma, 0);
    ASSERT_TRUE(m.Run(kChecked, points, kStdDevFilter, 5, 0.0));
    EXPECT_EQ(m.inlierCount, 3);
    EXPECT_EQ(m.outlierCount, 0);
    EXPECT_NEAR(m.circle.m_dRadius, 4.0, kTolerance);
    EXPECT_FALSE(m.found[kDevFound]) << "no quality figures below four points";
    EXPECT_EQ(m.f[kSigmaAll], 0.0);
}

TEST(OCircleFitOutlierFilter, TheLastPointsAreKeptSoThatThreeRemain) {
    // Six points at very different distances from any centre the fit can find: with a factor of
    // 0 the band is the mean +- 1 squared pixel and holds none of them, so the first three are
    // dropped and the last three kept by the minimum rule; the next pass has three points only.
    PointLists points(6);
    const double radii[] = {2.0, 40.0, 5.0, 30.0, 12.0, 22.0};
    for (int i = 0; i < 6; ++i) {
        const double t = i * kPi / 3.0;
        points.Add(radii[i] * std::cos(t), radii[i] * std::sin(t));
    }
    Measurement m;
    m.circle = OCircleFit_Circle(1.0, 1.0, 20.0, kLargeSigma, 0);
    ASSERT_TRUE(m.Run(kPlain, points, kStdDevFilter, 5, 0.0));
    ASSERT_EQ(m.inlierCount, 3);
    ASSERT_EQ(m.outlierCount, 3);
    for (int i = 0; i < 3; ++i) {
        ExpectPoint(m.outliers, i, points.x[i], points.y[i], "dropped");
        ExpectPoint(m.inliers, i, points.x[i + 3], points.y[i + 3], "kept");
    }
}

TEST(OCircleFitOutlierFilter, QualityFiguresOfTwoRings) {
    // Eight points alternately at radius 9 and 11 around the origin: the fit is the circle of
    // radius 10, every point deviates by 1, and the distances have a standard deviation of 1.
    PointLists points(8);
    for (int i = 0; i < 8; ++i) {
        const double r = i % 2 == 0 ? 9.0 : 11.0;
        const double t = i * kPi / 4.0;
        points.Add(r * std::cos(t), r * std::sin(t));
    }
    Measurement m;
    m.circle = OCircleFit_Circle(0.5, 0.5, 8.0, kLargeSigma, 0);
    ASSERT_TRUE(m.Run(kChecked, points, kNoFilter, 0, 2.0));
    EXPECT_NEAR(m.circle.m_dRadius, 10.0, kTolerance);
    EXPECT_NEAR(m.f[kSigmaAll], 1.0, kTolerance);
    EXPECT_NEAR(m.f[kSigmaInliers], 1.0, kTolerance);
    EXPECT_NEAR(m.f[kDev], 1.0, kTolerance);
    EXPECT_NEAR(m.f[kInner], 1.0, kTolerance);
    EXPECT_NEAR(m.f[kOuter], 1.0, kTolerance);
    // Inner points lie at radius 9, outer ones at 11; each maps to radius 10 in its direction.
    EXPECT_NEAR(std::hypot(m.f[kInnerX], m.f[kInnerY]), 9.0, kTolerance);
    EXPECT_NEAR(std::hypot(m.f[kOuterX], m.f[kOuterY]), 11.0, kTolerance);
    EXPECT_NEAR(m.f[kInnerCircleX], m.f[kInnerX] * 10.0 / 9.0, kTolerance);
    EXPECT_NEAR(m.f[kInnerCircleY], m.f[kInnerY] * 10.0 / 9.0, kTolerance);
    EXPECT_NEAR(m.f[kOuterCircleX], m.f[kOuterX] * 10.0 / 11.0, kTolerance);
    EXPECT_NEAR(m.f[kOuterCircleY], m.f[kOuterY] * 10.0 / 11.0, kTolerance);
}

struct PlausibilityCase {
    const char* name;
    int mode;
    TrueCircle circle;
    bool expected;
};

void PrintTo(const PlausibilityCase& c, std::ostream* os) {
    *os << c.name;
}

class OCircleFitPlausibility : public ::testing::TestWithParam<PlausibilityCase> {};

TEST_P(OCircleFitPlausibility, CheckedModeRejectsFarCentresAndHugeRadii) {
    const PlausibilityCase& c = GetParam();
    PointLists points(24);
    AddArc(points, c.circle, 0.0, 40.0, 24);  // an arc, so that huge circles stay well posed
    Measurement m;
    m.circle =
        OCircleFit_Circle(c.circle.x + 0.5, c.circle.y - 0.5, c.circle.r * 1.01, kLargeSigma, 0);
    EXPECT_EQ(m.Run(c.mode, points, kStdDevFilter, 3, 2.0), c.expected) << c.name;
    // Far from the origin the fit is poorly conditioned (it works in the caller's frame), so
    // only check that a fit was written back: the guess had no iterations.
    EXPECT_GE(m.circle.m_iIterations, 1) << c.name << ": the fit is written back";
    if (!c.expected) {
        EXPECT_TRUE(m.NothingWritten()) << c.name;
        EXPECT_EQ(m.inliers.GetCount(), 1) << c.name << ": lists untouched";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, OCircleFitPlausibility,
    ::testing::Values(PlausibilityCase{"centreXBeyond", kChecked, {10000.5, 0.0, 50.0}, false},
                      PlausibilityCase{"centreYBeyond", kChecked, {0.0, -10000.5, 50.0}, false},
                      PlausibilityCase{"radiusBeyond", kChecked, {0.0, 0.0, 20000.5}, false},
                      PlausibilityCase{"centreWithin", kChecked, {9999.5, -9999.5, 50.0}, true},
                      PlausibilityCase{"plainModeHasNoLimit", 2, {10000.5, 0.0, 50.0}, true}),
    CaseName());

TEST(OCircleFitOutlierFilter, BadInputAnswersFalseAndWritesNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        int countX;
        int countY;
        int corruptIndex;  // -1: none
        double corruptValue;
        OCircleFit_Circle guess;
    };
    const OCircleFit_Circle good(1.0, 2.0, 10.0, kLargeSigma, 0);
    const Case cases[] = {
        {"two points", 2, 2, -1, 0.0, good},
        {"different counts", 8, 7, -1, 0.0, good},
        {"NaN coordinate", 8, 8, 3, nan, good},
        {"infinite coordinate", 8, 8, 5, inf, good},
        {"guess radius 0", 8, 8, -1, 0.0, {1.0, 2.0, 0.0, kLargeSigma, 0}},
        {"guess centre NaN", 8, 8, -1, 0.0, {nan, 2.0, 10.0, kLargeSigma, 0}},
    };
    for (const Case& c : cases) {
        OFastArrayList<double> x(8), y(8);
        for (int i = 0; i < c.countX; ++i) {
            x.Add(1.0 + 10.0 * std::cos(i * kPi / 4.0));
        }
        for (int i = 0; i < c.countY; ++i) {
            y.Add(2.0 + 10.0 * std::sin(i * kPi / 4.0));
        }
        if (c.corruptIndex >= 0) {
            y[c.corruptIndex] = c.corruptValue;
        }
        Measurement m;
        m.circle = c.guess;
        EXPECT_FALSE(m.Run(kChecked, x, y, kStdDevFilter, 5, 2.0)) << c.name;
        EXPECT_TRUE(m.NothingWritten()) << c.name;
        EXPECT_EQ(m.inliers.GetCount(), 1) << c.name << ": lists untouched";
        EXPECT_EQ(m.outliers.GetCount(), 1) << c.name;
        EXPECT_EQ(m.circle.m_dRadius, c.guess.m_dRadius) << c.name << ": circle unchanged";
    }
}

TEST(OCircleFitOutlierFilter, DegeneratePointSetsGiveADefinedAnswer) {
    struct Case {
        const char* name;
        std::vector<double> x;
        std::vector<double> y;
        bool expectedChecked;
    };
    const Case cases[] = {
        {"collinear", {0, 1, 2, 3, 4, 5, 6, 7}, {1, 3, 5, 7, 9, 11, 13, 15}, false},
        {"all equal", {4, 4, 4, 4, 4, 4}, {4, 4, 4, 4, 4, 4}, true},
        {"duplicates on a circle", {10, 10, -10, -10, 0, 0}, {0, 0, 0, 0, 10, 10}, true},
    };
    for (const Case& c : cases) {
        for (int mode : {kPlain, kChecked}) {
            PointLists points(static_cast<std::int64_t>(c.x.size()));
            for (std::size_t i = 0; i < c.x.size(); ++i) {
                points.Add(c.x[i], c.y[i]);
            }
            Measurement m;
            m.circle = OCircleFit_Circle(1.0, 1.0, 5.0, kLargeSigma, 0);
            const bool ok = m.Run(mode, points, kStdDevFilter, 5, 2.0);
            if (mode == kChecked) {
                EXPECT_EQ(ok, c.expectedChecked) << c.name;
            }
            if (ok) {
                EXPECT_GE(m.inlierCount, 3) << c.name << ", mode " << mode;
                EXPECT_EQ(m.inlierCount + m.outlierCount, static_cast<int>(c.x.size()))
                    << c.name << ", mode " << mode;
            }
        }
    }
}

}  // namespace
