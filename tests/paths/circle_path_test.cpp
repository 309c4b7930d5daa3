// OVectorPath_Circle and OVectorPath_Circle_Float: step counts and end points, walks in both
// directions (running angle against direct index queries), raster steps and the two raster lists,
// zero-step and unbuilt paths, and agreement of the two precisions.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "paths/OVectorPath_Circle.h"

namespace {

// Positions are compared in pixels: the float circle and the running angle agree with the
// direct double computation to well within a thousandth of a pixel on these radii.
constexpr double kPixelTolerance = 1e-3;
constexpr double kDegree = 3.141592653589793 / 180.0;

class CircleProbe : public OVectorPath_Circle {
  public:
    using OVectorPath_Circle::OVectorPath_Circle;
    bool FullCircle() const { return m_bFullCircle; }
};

class CircleFloatProbe : public OVectorPath_Circle_Float {
  public:
    using OVectorPath_Circle_Float::OVectorPath_Circle_Float;
    bool FullCircle() const { return m_bFullCircle; }
};

enum class Precision { Double, Float };

void PrintTo(Precision precision, std::ostream* os) {
    *os << (precision == Precision::Double ? "double" : "float");
}

struct Arc {
    OVector center;
    double radius;
    double startDeg;
    double sweepDeg;
};

// One circle path of either class, used through the base interface.
struct CirclePath {
    std::unique_ptr<OVectorPath> path;
    bool (*fullCircle)(const OVectorPath&);

    OVectorPath* operator->() const { return path.get(); }
    bool FullCircle() const { return fullCircle(*path); }
};

CirclePath Make(Precision precision, const Arc& a) {
    if (precision == Precision::Double) {
        return {
            std::make_unique<CircleProbe>(a.center, a.radius, a.startDeg, a.sweepDeg),
            [](const OVectorPath& p) { return static_cast<const CircleProbe&>(p).FullCircle(); }};
    }
    return {
        std::make_unique<CircleFloatProbe>(a.center, static_cast<float>(a.radius),
                                           static_cast<float>(a.startDeg),
                                           static_cast<float>(a.sweepDeg)),
        [](const OVectorPath& p) { return static_cast<const CircleFloatProbe&>(p).FullCircle(); }};
}

CirclePath MakeUnbuilt(Precision precision) {
    if (precision == Precision::Double) {
        return {std::make_unique<CircleProbe>(), [](const OVectorPath& p) {
                    return static_cast<const CircleProbe&>(p).FullCircle();
                }};
    }
    return {std::make_unique<CircleFloatProbe>(), [](const OVectorPath& p) {
                return static_cast<const CircleFloatProbe&>(p).FullCircle();
            }};
}

const Arc kFull{OVector(100, 100), 10.0, 0.0, 360.0};
const Arc kQuarter{OVector(100, 100), 10.0, 0.0, 90.0};
const Arc kQuarterBack{OVector(100, 100), 10.0, 0.0, -90.0};

int Index(OVectorPath& path) {
    int index = 0;
    path.CurrentPos(index);
    return index;
}

double Angle(OVectorPath& path) {
    double angle = 0.0;
    path.CurrentAngle_Rad(angle);
    return angle;
}

double Distance(const OVector& a, const OVector& b) {
    return std::hypot(a.dX() - b.dX(), a.dY() - b.dY());
}

bool SamePixel(const OVector& a, const OVector& b) {
    return a.iX() == b.iX() && a.iY() == b.iY();
}

std::string Describe(const OVector& v) {
    return "(" + std::to_string(v.dX()) + ", " + std::to_string(v.dY()) + ")";
}

const OVector kSentinel(std::int64_t{-777}, std::int64_t{-777});

class CirclePathTest : public testing::TestWithParam<Precision> {};

TEST_P(CirclePathTest, StepCountIsTheRoundedArcLength) {
    const double r103 = 10.3 / (360.0 * kDegree);  // sweep * radius = 10.3 for a full turn
    struct Case {
        const char* what;
        Arc arc;
        int steps;
        bool fullCircle;
    };
    const Case cases[] = {
        {"full circle, 62.83 + 0.5", kFull, 63, true},
        {"quarter, 15.71 + 0.5", kQuarter, 16, false},
        {"negative quarter, |-15.71 + 0.5|", kQuarterBack, 15, false},
        {"10.3", {OVector(0, 0), r103, 0.0, 360.0}, 10, true},
        {"-10.3: 0.5 added before the absolute value",
         {OVector(0, 0), r103, 0.0, -360.0},
         9,
         false},
        {"negative radius", {OVector(0, 0), -10.0, 0.0, 90.0}, 15, false},
        {"zero sweep", {OVector(5, 5), 10.0, 30.0, 0.0}, 0, false},
        {"zero radius", {OVector(5, 5), 0.0, 0.0, 360.0}, 0, true},
        {"shorter than half a pixel", {OVector(5, 5), 0.05, 0.0, 360.0}, 0, true},
    };
    for (const Case& c : cases) {
        const CirclePath circle = Make(GetParam(), c.arc);
        EXPECT_EQ(circle->GetCount(), c.steps) << c.what;
        EXPECT_EQ(circle.FullCircle(), c.fullCircle) << c.what;
        EXPECT_EQ(circle->GetPathType(), OVectorPath::kPathTypeCircle);
        EXPECT_EQ(Index(*circle.path), -1) << c.what;
    }
}

TEST_P(CirclePathTest, EndPointsOfSpecialAngles) {
    struct Case {
        const char* what;
        Arc arc;
        OVector start;
        OVector end;
    };
    const Case cases[] = {
        {"full circle ends on its start", kFull, OVector(110, 100), OVector(110, 100)},
        {"quarter ends below the centre", kQuarter, OVector(110, 100), OVector(100, 110)},
        {"negative quarter ends above", kQuarterBack, OVector(110, 100), OVector(100, 90)},
        {"end angle 0",
         {OVector(100, 100), 10.0, -90.0, 90.0},
         OVector(100, 90),
         OVector(110, 100)},
    };
    for (const Case& c : cases) {
        const CirclePath circle = Make(GetParam(), c.arc);
        OVector start;
        OVector end;
        ASSERT_TRUE(circle->MoveStart(start));
        EXPECT_EQ(start, c.start) << c.what << ": " << Describe(start);
        ASSERT_TRUE(circle->MoveEnd(end));
        EXPECT_EQ(end, c.end) << c.what << ": " << Describe(end);
        EXPECT_EQ(Index(*circle.path), circle->GetCount()) << c.what;
        EXPECT_NEAR(Angle(*circle.path), (c.arc.startDeg + c.arc.sweepDeg) * kDegree, 1e-6)
            << c.what;
        OVector computedEnd;
        circle->GetEndVector(computedEnd);  // computed afresh from start + count * step
        EXPECT_LT(Distance(computedEnd, c.end), kPixelTolerance) << c.what;
    }
}

// The running angle of the moves agrees with the direct index queries up to rounding, in both
// directions, and the walk visits count + 1 positions.
TEST_P(CirclePathTest, WalksBothWaysAlongTheDirectPositions) {
    for (const Arc& arc : {kFull, kQuarter, kQuarterBack}) {
        const CirclePath circle = Make(GetParam(), arc);
        const int n = circle->GetCount();
        OVector v;
        ASSERT_TRUE(circle->MoveNext(v));
        EXPECT_EQ(v, OVector(110, 100));
        EXPECT_EQ(Angle(*circle.path), 0.0);
        int visited = 1;
        while (circle->MoveNext(v)) {
            ++visited;
            const int i = Index(*circle.path);
            OVector direct;
            double directAngle = 0.0;
            ASSERT_TRUE(circle->GetVectorAt(i, direct));
            ASSERT_TRUE(circle->GetAngle_RadAt(i, directAngle));
            EXPECT_LT(Distance(v, direct), kPixelTolerance) << "sweep " << arc.sweepDeg << " " << i;
            EXPECT_NEAR(Angle(*circle.path) * arc.radius, directAngle * arc.radius,
                        kPixelTolerance);
            if (arc.sweepDeg < 0) {
                EXPECT_LT(v.dY(), 100.0) << "a negative sweep runs above the centre, " << i;
            }
        }
        EXPECT_EQ(visited, n + 1) << "sweep " << arc.sweepDeg;
        EXPECT_FALSE(circle->MoveNextRaster(v));
        while (circle->MovePrev(v)) {
            --visited;
        }
        EXPECT_EQ(visited, 1);
        EXPECT_EQ(Index(*circle.path), 0);
        EXPECT_LT(Distance(v, OVector(110, 100)), kPixelTolerance);
        EXPECT_NEAR(Angle(*circle.path) * arc.radius, 0.0, kPixelTolerance);
        OVector_Array list;
        EXPECT_EQ(circle->GetVectorPath(list), n) << "the end position is not listed";
    }
}

TEST_P(CirclePathTest, MovesOutsideThePathChangeNothing) {
    const CirclePath circle = Make(GetParam(), kQuarter);
    const int n = circle->GetCount();
    OVector v = kSentinel;
    EXPECT_FALSE(circle->MovePrev(v));  // before the start
    EXPECT_FALSE(circle->MovePrevRaster(v));
    ASSERT_TRUE(circle->MoveTo(3, v));
    const OVector at3 = v;
    v = kSentinel;
    EXPECT_FALSE(circle->MoveTo(n + 1, v));
    EXPECT_FALSE(circle->MoveTo(-1, v));
    EXPECT_EQ(v, kSentinel);
    EXPECT_EQ(Index(*circle.path), 3);
    circle->CurrentVector(v);
    EXPECT_EQ(v, at3);
    EXPECT_TRUE(circle->MoveTo(n, v));
    circle->MoveStart(v);
    EXPECT_FALSE(circle->MovePrev(v));  // at index 0
    EXPECT_EQ(Index(*circle.path), 0);
}

TEST_P(CirclePathTest, FractionalQueriesInterpolateTheAngle) {
    const CirclePath circle = Make(GetParam(), {OVector(50.5, 60.25), 30.0, 20.0, -135.0});
    const int n = circle->GetCount();
    double a0 = 0.0;
    double a1 = 0.0;
    double half = 0.0;
    circle->GetAngle_RadAt(0, a0);
    circle->GetAngle_RadAt(1, a1);
    ASSERT_TRUE(circle->GetAngle_RadAt(0.5, half));
    EXPECT_NEAR(half * 30.0, (a0 + a1) / 2 * 30.0, kPixelTolerance);
    OVector halfway;
    ASSERT_TRUE(circle->GetVectorAt(0.5, halfway));
    const OVector expected(50.5 + 30.0 * std::cos(half), 60.25 + 30.0 * std::sin(half));
    EXPECT_LT(Distance(halfway, expected), kPixelTolerance);
    OVector halfwayFloat;
    float halfFloat = 0.0f;
    ASSERT_TRUE(circle->GetVectorAt(0.5f, halfwayFloat));
    ASSERT_TRUE(circle->GetAngle_RadAt(0.5f, halfFloat));
    EXPECT_LT(Distance(halfwayFloat, expected), kPixelTolerance);
    EXPECT_NEAR(halfFloat * 30.0, half * 30.0, kPixelTolerance);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double t : {-0.1, n + 0.1}) {
        OVector v = kSentinel;
        double angle = 7.0;
        float fAngle = 7.0f;
        EXPECT_FALSE(circle->GetVectorAt(t, v)) << t;
        EXPECT_FALSE(circle->GetVectorAt(static_cast<float>(t), v)) << t;
        EXPECT_FALSE(circle->GetAngle_RadAt(t, angle)) << t;
        EXPECT_FALSE(circle->GetAngle_RadAt(static_cast<float>(t), fAngle)) << t;
        EXPECT_EQ(v, kSentinel);
        EXPECT_EQ(angle, 7.0);
        EXPECT_EQ(fAngle, 7.0f);
    }
    // NaN passes the range test (it is neither below 0 nor above the count) and answers a NaN
    // angle; its point saturates far outside every image.
    double nanAngle = 0.0;
    OVector nanPoint;
    EXPECT_TRUE(circle->GetAngle_RadAt(nan, nanAngle));
    EXPECT_TRUE(std::isnan(nanAngle));
    EXPECT_TRUE(circle->GetVectorAt(nan, nanPoint));
    EXPECT_LT(nanPoint.iX(), 0);
    double last = 0.0;
    EXPECT_TRUE(circle->GetAngle_RadAt(static_cast<double>(n), last));
    EXPECT_FALSE(circle->GetAngle_RadAt(n + 1, last));
}

// Each raster step enters a new pixel or ends at the last index. The double circle lists the walk
// without its final position; the float circle lists the whole walk, ending on index n.
TEST_P(CirclePathTest, RasterListsFollowTheRasterWalk) {
    const Arc arcs[] = {kFull,
                        kQuarterBack,
                        {OVector(20.3, -7.9), 17.5, 200.0, 230.0},
                        {OVector(5, 5), 0.0, 0.0, 90.0}};
    for (const Arc& arc : arcs) {
        const CirclePath circle = Make(GetParam(), arc);
        std::vector<OVector> walk;
        OVector v;
        while (circle->MoveNextRaster(v)) {
            const int i = Index(*circle.path);
            if (!walk.empty()) {
                EXPECT_TRUE(!SamePixel(v, walk.back()) || i == circle->GetCount())
                    << "radius " << arc.radius << " index " << i;
            }
            walk.push_back(v);
        }
        if (GetParam() == Precision::Double) {
            walk.pop_back();
        }
        OVector_Array list;
        ASSERT_EQ(circle->GetVectorPathRaster(list), static_cast<int>(walk.size()))
            << "radius " << arc.radius;
        for (int i = 0; i < list.GetCount(); ++i) {
            EXPECT_EQ(*list.GetAt(i), walk[static_cast<std::size_t>(i)]) << "entry " << i;
        }
    }
}

TEST_P(CirclePathTest, RasterStepsBackStopAtTheStart) {
    // One step of 0.6 pixels: positions 0 and 1 share the pixel (200, 100).
    const CirclePath circle =
        Make(GetParam(), {OVector(100.5, 100.2), 100.0, 0.0, 0.006 / kDegree});
    ASSERT_EQ(circle->GetCount(), 1);
    OVector v;
    ASSERT_TRUE(circle->MoveNextRaster(v));
    ASSERT_TRUE(circle->MoveNextRaster(v));  // no new pixel: stops on the last index
    EXPECT_EQ(Index(*circle.path), 1);
    ASSERT_TRUE(circle->MovePrevRaster(v));
    EXPECT_EQ(Index(*circle.path), 0);
    EXPECT_EQ(v, OVector(200.5, 100.2));
    EXPECT_FALSE(circle->MovePrevRaster(v));
}

// Zero steps: the angular step sweep / 0 is never used, so index 0 is the start everywhere and no
// query answers an angle that is not a number.
TEST_P(CirclePathTest, ZeroStepPathsAnswerTheStart) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Arc arcs[] = {{OVector(5, 5), 10.0, 30.0, 0.0},   // zero sweep
                        {OVector(5, 5), 0.0, 30.0, 360.0},  // zero radius
                        {OVector(5, 5), 0.05, 30.0, 90.0},  // shorter than half a pixel
                        {OVector(5, 5), 10.0, 30.0, nan},   // sweep not a number
                        {OVector(5, 5), 10.0, 30.0, inf}};  // endless sweep
    for (const Arc& arc : arcs) {
        const CirclePath circle = Make(GetParam(), arc);
        ASSERT_EQ(circle->GetCount(), 0) << "radius " << arc.radius << " sweep " << arc.sweepDeg;
        OVector start;
        circle->GetStartVector(start);
        double angle = 0.0;
        float fAngle = 0.0f;
        ASSERT_TRUE(circle->GetAngle_RadAt(0, angle));
        EXPECT_NEAR(angle, 30.0 * kDegree, 1e-6);
        ASSERT_TRUE(circle->GetAngle_RadAt(0.0f, fAngle));
        EXPECT_NEAR(fAngle, 30.0 * kDegree, 1e-6);
        const std::function<bool(OVector&)> queries[] = {
            [&](OVector& v) { return circle->GetVectorAt(0, v); },
            [&](OVector& v) { return circle->GetVectorAt(0.0, v); },
            [&](OVector& v) { return circle->GetVectorAt(0.0f, v); },
            [&](OVector& v) { return circle->GetEndVector(v); },
            [&](OVector& v) { return circle->MoveTo(0, v); },
        };
        for (const auto& query : queries) {
            OVector v = kSentinel;
            EXPECT_TRUE(query(v));
            EXPECT_LT(Distance(v, start), kPixelTolerance) << "sweep " << arc.sweepDeg;
        }
        EXPECT_NEAR(Angle(*circle.path), 30.0 * kDegree, 1e-6);
        OVector v;
        circle->Reset();
        EXPECT_TRUE(circle->MoveNext(v));
        EXPECT_EQ(v, start);
        EXPECT_FALSE(circle->MoveNext(v));
        OVector_Array list;
        EXPECT_EQ(circle->GetVectorPath(list), 0);
        EXPECT_EQ(circle->GetVectorPathRaster(list), GetParam() == Precision::Float ? 1 : 0);
    }
}

TEST_P(CirclePathTest, UnbuiltPathHasNoPositions) {
    const CirclePath circle = MakeUnbuilt(GetParam());
    EXPECT_EQ(circle->GetCount(), -1);
    EXPECT_EQ(circle->GetPathType(), OVectorPath::kPathTypeCircle);
    EXPECT_EQ(Index(*circle.path), -1);
    EXPECT_FALSE(circle.FullCircle());
    OVector v = kSentinel;
    EXPECT_FALSE(circle->MoveNext(v));
    EXPECT_FALSE(circle->MoveNextRaster(v));
    EXPECT_FALSE(circle->GetVectorAt(0, v));
    EXPECT_FALSE(circle->MoveTo(0, v));
    EXPECT_EQ(v, kSentinel);
    OVector_Array list;
    EXPECT_EQ(circle->GetVectorPath(list), 0);
    EXPECT_EQ(circle->GetVectorPathRaster(list), GetParam() == Precision::Float ? 1 : 0);
}

TEST_P(CirclePathTest, RebuildingKeepsTheFullCircleMark) {
    CirclePath circle = Make(GetParam(), kFull);
    OVector v;
    circle->MoveNext(v);
    circle->MoveNext(v);
    if (GetParam() == Precision::Double) {
        static_cast<OVectorPath_Circle&>(*circle.path).CreatePath(OVector(0, 0), 5.0, 0.0, 90.0);
    } else {
        static_cast<OVectorPath_Circle_Float&>(*circle.path)
            .CreatePath(OVector(0, 0), 5.0f, 0.0f, 90.0f);
    }
    EXPECT_TRUE(circle.FullCircle());
    EXPECT_EQ(circle->GetCount(), 8);
    EXPECT_EQ(Index(*circle.path), -1);
}

INSTANTIATE_TEST_SUITE_P(Precisions, CirclePathTest,
                         testing::Values(Precision::Double, Precision::Float),
                         [](const testing::TestParamInfo<Precision>& info) {
                             return info.param == Precision::Double ? "Double" : "Float";
                         });

TEST(CircleFloatTest, AgreesWithDoubleToFloatPrecision) {
    const Arc arcs[] = {kFull, kQuarterBack, {OVector(320.25, 240.5), 97.5, -33.0, 300.0}};
    for (const Arc& arc : arcs) {
        const CirclePath exact = Make(Precision::Double, arc);
        const CirclePath single = Make(Precision::Float, arc);
        ASSERT_EQ(exact->GetCount(), single->GetCount()) << "radius " << arc.radius;
        OVector a;
        OVector b;
        for (int i = 0; i <= exact->GetCount(); ++i) {
            exact->GetVectorAt(i, a);
            single->GetVectorAt(i, b);
            EXPECT_LT(Distance(a, b), kPixelTolerance) << "radius " << arc.radius << " " << i;
            ASSERT_TRUE(exact->MoveNext(a));
            ASSERT_TRUE(single->MoveNext(b));
            EXPECT_LT(Distance(a, b), kPixelTolerance) << "walk, radius " << arc.radius << " " << i;
        }
    }
}

}  // namespace
