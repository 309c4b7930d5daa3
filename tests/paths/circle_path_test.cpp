// OVectorPath_Circle and OVectorPath_Circle_Float: step counts, walks in both
// directions (running angle against direct index queries), raster steps and the two raster lists,
// and zero-step and unbuilt paths. Queries outside the path are checked with the other kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/Angles.h"
#include "paths/OVectorPath_Circle.h"

namespace {

// Positions are compared in pixels: the float circle and the running angle agree with the
// direct double computation to well within a thousandth of a pixel on these radii.
constexpr double kPixelTolerance = 1e-3;
constexpr double kDegree = angles::kRadiansPerDegree;

template <class Circle>
class Probe : public Circle {
  public:
    using Circle::Circle;
    bool FullCircle() const { return this->m_bFullCircle; }
};

struct Arc {
    OVector center;
    double radius, startDeg, sweepDeg;
};

const Arc kFull{OVector(100, 100), 10.0, 0.0, 360.0};
const Arc kQuarter{OVector(100, 100), 10.0, 0.0, 90.0};
const Arc kQuarterBack{OVector(100, 100), 10.0, 0.0, -90.0};

// A circle of the double class, or of the float class when the test parameter says so.
std::unique_ptr<OVectorPath> Make(bool isFloat, const Arc& a) {
    if (!isFloat) {
        return std::make_unique<Probe<OVectorPath_Circle>>(a.center, a.radius, a.startDeg,
                                                           a.sweepDeg);
    }
    return std::make_unique<Probe<OVectorPath_Circle_Float>>(a.center, static_cast<float>(a.radius),
                                                             static_cast<float>(a.startDeg),
                                                             static_cast<float>(a.sweepDeg));
}

bool FullCircle(const OVectorPath& path) {
    const auto* exact = dynamic_cast<const Probe<OVectorPath_Circle>*>(&path);
    return exact ? exact->FullCircle()
                 : dynamic_cast<const Probe<OVectorPath_Circle_Float>&>(path).FullCircle();
}

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

// Parameter: the float class.
class CirclePathTest : public testing::TestWithParam<bool> {};

TEST_P(CirclePathTest, StepCountIsTheRoundedArcLength) {
    const double r103 = 10.3 / (360.0 * kDegree);  // sweep * radius = 10.3 for a full turn
    const std::tuple<const char*, Arc, int, bool> cases[] = {
        {"full circle, 62.83 + 0.5", kFull, 63, true},
        {"quarter, 15.71 + 0.5", kQuarter, 16, false},
        {"negative quarter, |-15.71 + 0.5|", kQuarterBack, 15, false},
        {"10.3", {OVector(0, 0), r103, 0.0, 360.0}, 10, true},
        {"-10.3, 0.5 added first", {OVector(0, 0), r103, 0.0, -360.0}, 9, false},
        {"negative radius", {OVector(0, 0), -10.0, 0.0, 90.0}, 15, false},
        {"zero sweep", {OVector(5, 5), 10.0, 30.0, 0.0}, 0, false},
        {"zero radius", {OVector(5, 5), 0.0, 0.0, 360.0}, 0, true},
    };
    for (const auto& [what, arc, steps, fullCircle] : cases) {
        const auto circle = Make(GetParam(), arc);
        EXPECT_EQ(circle->GetCount(), steps) << what;
        EXPECT_EQ(FullCircle(*circle), fullCircle) << what;
    }
    // Rebuilding a full circle as an arc keeps the mark (the two classes share CreatePath).
    Probe<OVectorPath_Circle> rebuilt(OVector(0, 0), 5.0, 0.0, 360.0);
    rebuilt.CreatePath(OVector(0, 0), 5.0, 0.0, 90.0);
    EXPECT_TRUE(rebuilt.FullCircle());
    EXPECT_EQ(rebuilt.GetCount(), 8);
}

// The running angle of the moves agrees with the direct index queries up to rounding, and the
// list holds count positions (not the end). Each raster step enters a new pixel or ends at the
// last index (backwards: at index 0, on the start point); the double circle lists that walk
// without its final position, the float circle lists the whole walk, ending on index n.
TEST_P(CirclePathTest, WalksAndListsFollowTheDirectPositions) {
    // The last arcs have one step of 0.6 pixels (positions 0 and 1 share a pixel) and two of
    // 0.75 pixels down from y = 99.3 (positions 1 and 2 share pixel 100, 0 lies in 99).
    for (const Arc& arc :
         {kFull, kQuarter, kQuarterBack, Arc{OVector(20.3, -7.9), 17.5, 200.0, 230.0},
          Arc{OVector(100.5, 100.2), 100.0, 0.0, 0.006 / kDegree},
          Arc{OVector(100.5, 99.3), 100.0, 0.0, 0.015 / kDegree}}) {
        const auto circle = Make(GetParam(), arc);
        OVector v, direct;
        double directAngle = 0.0;
        for (int i = 0; circle->MoveNext(v); ++i) {
            ASSERT_TRUE(Index(*circle) == i && circle->GetVectorAt(i, direct) &&
                        circle->GetAngle_RadAt(i, directAngle));
            EXPECT_LT(Distance(v, direct), kPixelTolerance) << "sweep " << arc.sweepDeg << " " << i;
            EXPECT_NEAR(Angle(*circle) * arc.radius, directAngle * arc.radius, kPixelTolerance);
            EXPECT_TRUE(arc.sweepDeg > 0 || i == 0 || v.dY() < 100.0) << "negative sweep, " << i;
        }
        // The end keeps the given end angle, not start + count * step, and lies where the
        // end point computed afresh does.
        ASSERT_TRUE(circle->MoveEnd(v) && circle->GetEndVector(direct));
        EXPECT_LT(Distance(v, direct), kPixelTolerance) << "sweep " << arc.sweepDeg;
        EXPECT_NEAR(Angle(*circle) * arc.radius,
                    (arc.startDeg + arc.sweepDeg) * kDegree * arc.radius, kPixelTolerance);
        OVector_Array list;
        EXPECT_EQ(circle->GetVectorPath(list), circle->GetCount()) << "the end is not listed";

        circle->Reset();
        std::vector<OVector> walk;
        while (circle->MoveNextRaster(v)) {
            EXPECT_TRUE(walk.empty() || v.iX() != walk.back().iX() || v.iY() != walk.back().iY() ||
                        Index(*circle) == circle->GetCount())
                << "sweep " << arc.sweepDeg << " index " << Index(*circle);
            walk.push_back(v);
        }
        walk.resize(walk.size() - (GetParam() ? 0 : 1));
        ASSERT_EQ(circle->GetVectorPathRaster(list), static_cast<int>(walk.size()));
        for (int i = 0; i < list.GetCount(); ++i) {
            EXPECT_EQ(*list.GetAt(i), walk[static_cast<std::size_t>(i)]) << "entry " << i;
        }
        for (OVector previous = v; circle->MovePrevRaster(v); previous = v) {
            EXPECT_TRUE(v.iX() != previous.iX() || v.iY() != previous.iY() || Index(*circle) == 0)
                << "back, sweep " << arc.sweepDeg << " index " << Index(*circle);
        }
        circle->GetStartVector(direct);
        EXPECT_EQ(std::make_pair(v, Index(*circle)), std::make_pair(direct, 0));
    }
}

TEST_P(CirclePathTest, FractionalIndexLiesHalfwayInAngle) {
    // -135 degrees on radius 30 take |-70.69 + 0.5| = 70 steps: index 0.5 lies at 20 - 135 / 140
    // degrees.
    const auto circle = Make(GetParam(), {OVector(50.5, 60.25), 30.0, 20.0, -135.0});
    const double half = (20.0 - 135.0 / 140.0) * kDegree;
    double angle = 0.0;
    OVector halfway, halfwayFloat;
    ASSERT_TRUE(circle->GetAngle_RadAt(0.5, angle));
    EXPECT_NEAR(angle * 30.0, half * 30.0, kPixelTolerance);
    ASSERT_TRUE(circle->GetVectorAt(0.5, halfway) && circle->GetVectorAt(0.5f, halfwayFloat));
    const OVector expected(50.5 + 30.0 * std::cos(half), 60.25 + 30.0 * std::sin(half));
    EXPECT_LT(Distance(halfway, expected) + Distance(halfwayFloat, expected), kPixelTolerance);
}

// Zero steps: the angular step sweep / 0 is never used, so index 0 is the start everywhere and no
// query answers a point that is not a number. An unbuilt path has no positions at all.
TEST_P(CirclePathTest, ZeroStepAndUnbuiltPaths) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double sweep : {0.0, nan, std::numeric_limits<double>::infinity()}) {
        const auto circle = Make(GetParam(), {OVector(5, 5), 10.0, 30.0, sweep});
        ASSERT_EQ(circle->GetCount(), 0) << "sweep " << sweep;
        OVector start, v, end;
        circle->GetStartVector(start);
        ASSERT_TRUE(circle->GetVectorAt(0.0, v) && circle->GetEndVector(end));
        EXPECT_LT(Distance(v, start) + Distance(end, start), kPixelTolerance) << "sweep " << sweep;
        EXPECT_TRUE(circle->MoveNext(v));
        EXPECT_FALSE(circle->MoveNext(v));
        OVector_Array list;
        EXPECT_EQ(circle->GetVectorPath(list), 0);
        EXPECT_EQ(circle->GetVectorPathRaster(list), GetParam() ? 1 : 0);
    }
    std::unique_ptr<OVectorPath> unbuilt = std::make_unique<Probe<OVectorPath_Circle>>();
    if (GetParam()) {
        unbuilt = std::make_unique<Probe<OVectorPath_Circle_Float>>();
    }
    EXPECT_EQ(unbuilt->GetCount(), -1);
    EXPECT_FALSE(FullCircle(*unbuilt));
    OVector v;
    EXPECT_FALSE(unbuilt->MoveNext(v) || unbuilt->MoveNextRaster(v) || unbuilt->MoveTo(0, v));
    OVector_Array list;
    EXPECT_EQ(unbuilt->GetVectorPath(list), 0);
    EXPECT_EQ(unbuilt->GetVectorPathRaster(list), GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Precisions, CirclePathTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Float" : "Double";
                         });

}  // namespace
