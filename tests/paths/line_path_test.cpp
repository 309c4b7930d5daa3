// OVectorPath_Line: step counts, exact positions start + i * step, raster walks that enter a new
// pixel at every step, fractional queries, and bad input. The folded direction and text angle
// are seen in the overlay tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

// Fractional positions are start + step * t rounded to raw units.
constexpr std::int64_t kRawTolerance = 1;

struct Segment {
    const char* name;
    OVector start;
    OVector end;
};

bool SamePixel(const OVector& a, const OVector& b) {
    return a.iX() == b.iX() && a.iY() == b.iY();
}

int Index(OVectorPath& path) {
    int index = 0;
    path.CurrentPos(index);
    return index;
}

TEST(LinePathTest, StepCountFollowsThePixelDifference) {
    const std::pair<Segment, int> cases[] = {
        {{"3-4-5", OVector(0, 0), OVector(3, 4)}, 5},
        {{"3-4-5 backwards", OVector(3, 4), OVector(0, 0)}, 5},
        {{"vertical upwards", OVector(5, 5), OVector(5, -2)}, 7},
        {{"start = end", OVector(1.5, 2.5), OVector(1.5, 2.5)}, 0},
        {{"sub-pixel, difference floors to 9", OVector(0.5, 0.5), OVector(10.4, 0.5)}, 9},
        // -0.5 pixels lies in pixel -1: a short leftward line still has one step.
        {{"half a pixel leftwards", OVector(1.0, 0.0), OVector(0.5, 0.0)}, 1},
        {{"diagonal, rounded length", OVector(0, 0), OVector(10, 11)}, 15},  // 14.87
    };
    for (const auto& [segment, steps] : cases) {
        EXPECT_EQ(OVectorPath_Line(segment.start, segment.end).GetCount(), steps) << segment.name;
    }
}

// 3 * 65536 / 5 = 39321.6 and 4 * 65536 / 5 = 52428.8, truncated: index i lies at i times that.
TEST(LinePathTest, ThreeFourFiveLineStepsExactlyAndEndsOnItsEndPoint) {
    OVectorPath_Line line(OVector(0, 0), OVector(3, 4));
    OVector_Array list;
    ASSERT_EQ(line.GetVectorPath(list), 5);  // indices 0..4, not the end
    for (std::int64_t i = 0; i < 5; ++i) {
        EXPECT_EQ(*list.GetAt(static_cast<int>(i)), OVector(39321 * i, 52428 * i)) << i;
    }
    OVector v;
    ASSERT_TRUE(line.MoveTo(5, v));
    EXPECT_EQ(v, OVector(std::int64_t{39321 * 5}, std::int64_t{52428 * 5}));
    EXPECT_FALSE(line.MoveNext()) << "5 is the last position";
    ASSERT_TRUE(line.MoveEnd(v));
    EXPECT_EQ(v, OVector(3, 4)) << "the given end, not start + count * step";
    EXPECT_EQ(Index(line), 5);
    // A line has no angle: inside the range the query writes 0 and answers true, the current
    // angle writes 0 and answers false.
    double angle = 7.0;
    float current = 7.0f;
    EXPECT_TRUE(line.GetAngle_RadAt(5, angle) && !line.CurrentAngle_Rad(current));
    EXPECT_EQ(std::make_pair(angle, current), std::make_pair(0.0, 0.0f));
}

TEST(LinePathTest, ZeroLengthLineHasOnePosition) {
    const OVector p(2.25, 3.5);
    OVectorPath_Line line(p, p);
    OVector v, at0;
    EXPECT_TRUE(line.MoveNext(v) && line.GetVectorAt(0, at0));
    EXPECT_EQ(std::make_pair(v, at0), std::make_pair(p, p));
    EXPECT_FALSE(line.MoveNext(v) || line.MoveNextRaster(v) || line.GetVectorAt(0.5, v));
    OVector_Array list;
    EXPECT_EQ(std::make_pair(line.GetVectorPath(list), line.GetVectorPathRaster(list)),
              std::make_pair(0, 0));
    EXPECT_EQ(OVectorPath_Line().GetCount(), 0);  // the default line, at the origin
}

TEST(LinePathTest, FractionalIndexLiesHalfwayBetweenItsNeighbours) {
    OVectorPath_Line line(OVector(1.25, -3.0), OVector(-7.0, 9.5));
    OVector a, b, half, halfFloat;
    ASSERT_TRUE(line.GetVectorAt(2, a) && line.GetVectorAt(3, b));
    ASSERT_TRUE(line.GetVectorAt(2.5, half) && line.GetVectorAt(2.5f, halfFloat));
    EXPECT_EQ(half, halfFloat);
    EXPECT_NEAR(2 * half.GetRawX(), a.GetRawX() + b.GetRawX(), 2 * kRawTolerance);
    EXPECT_NEAR(2 * half.GetRawY(), a.GetRawY() + b.GetRawY(), 2 * kRawTolerance);
}

// The forward raster walk is checked against the line search's own walk elsewhere. Here: the
// raster list holds that walk before the last index, and every step back enters a new pixel at
// its last sub-pixel position there, or ends at the start.
TEST(LinePathTest, RasterListAndStepsBack) {
    const Segment segments[] = {
        {"diagonal", OVector(0.5, 0.5), OVector(40.5, 40.5)},
        {"steep up-left", OVector(20.3, 25.0), OVector(17.9, -3.3)},
        {"negative coordinates", OVector(-5.75, -0.25), OVector(-25.5, 8.0)},
        {"one step", OVector(1.0, 0.0), OVector(0.5, 0.0)},
        // Three steps of 0.4 pixels: positions 1 and 2 share pixel 1, position 0 lies in pixel 0.
        {"two positions in one pixel", OVector(0.9, 0.9), OVector(2.1, 2.1)},
    };
    for (const Segment& s : segments) {
        OVectorPath_Line line(s.start, s.end);
        std::vector<OVector> walk;
        OVector v, neighbour;
        while (line.MoveNextRaster(v)) {
            walk.push_back(v);
        }
        OVector_Array list;
        ASSERT_EQ(line.GetVectorPathRaster(list), static_cast<int>(walk.size()) - 1) << s.name;
        for (int i = 0; i < list.GetCount(); ++i) {
            EXPECT_EQ(*list.GetAt(i), walk[static_cast<std::size_t>(i)]) << s.name << " " << i;
        }
        for (OVector previous = v; line.MovePrevRaster(v); previous = v) {
            const int i = Index(line);
            EXPECT_TRUE(line.GetVectorAt(i + 1, neighbour) && SamePixel(neighbour, previous) &&
                        (!SamePixel(v, previous) || i == 0))
                << s.name << ", back to index " << i;
        }
        EXPECT_EQ(v, s.start) << s.name;
    }
}

// Pixel differences whose squares overflow the 32-bit sum (to a positive and to a negative
// number), and points at the ends of the raw range: the count is meaningless but defined
// (sanitizer build), and the walk finishes.
TEST(LinePathTest, LinesOutsideTheDomainWalkSafely) {
    const Segment segments[] = {
        {"50000 pixels diagonal", OVector(0, 0), OVector(50000, 50000)},
        {"negative wrapped sum", OVector(0, 0), OVector(40000, 40000)},
        {"raw extremes", OVector(INT64_MIN, INT64_MIN), OVector(INT64_MAX, INT64_MAX)},
        {"far vertical", OVector(INT64_MAX, INT64_MIN), OVector(INT64_MAX, INT64_MAX)},
    };
    for (const Segment& s : segments) {
        OVectorPath_Line line(s.start, s.end);
        EXPECT_GE(line.GetCount(), 0) << s.name;
        int rasterSteps = 0;
        while (line.MoveNextRaster() && rasterSteps <= line.GetCount()) {
            ++rasterSteps;
        }
        EXPECT_LE(rasterSteps, line.GetCount() + 1) << s.name;
    }
}

}  // namespace
