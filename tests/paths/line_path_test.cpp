// OVectorPath_Line: step counts, exact positions start + i * step, raster walks that enter a new
// pixel at every step, fractional queries, the folded direction and text angle, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

// Fractional positions are start + step * t rounded to raw units.
constexpr std::int64_t kRawTolerance = 1;

// Exposes the line's overlay geometry.
class LineProbe : public OVectorPath_Line {
  public:
    using OVectorPath_Line::OVectorPath_Line;
    OVector Step() const { return m_vStep; }
    OVector Normal() const { return m_vNormal; }
    OVector Direction() const { return m_vDirection; }
    int TextAngle() const { return m_iTextAngle; }
};

struct Segment {
    const char* name;
    OVector start;
    OVector end;
};

std::ostream& operator<<(std::ostream& os, const Segment& s) {
    return os << s.name;
}

bool SamePixel(const OVector& a, const OVector& b) {
    return a.iX() == b.iX() && a.iY() == b.iY();
}

int Index(OVectorPath& path) {
    int index = 0;
    path.CurrentPos(index);
    return index;
}

const OVector kSentinel(std::int64_t{-777}, std::int64_t{-777});

TEST(LinePathTest, StepCountFollowsThePixelDifference) {
    struct Case {
        Segment segment;
        int steps;
    };
    const Case cases[] = {
        {{"3-4-5", OVector(0, 0), OVector(3, 4)}, 5},
        {{"3-4-5 backwards", OVector(3, 4), OVector(0, 0)}, 5},
        {{"horizontal", OVector(2, 5), OVector(12, 5)}, 10},
        {{"vertical upwards", OVector(5, 5), OVector(5, -2)}, 7},
        {{"start = end", OVector(1.5, 2.5), OVector(1.5, 2.5)}, 0},
        {{"sub-pixel, difference floors to 9", OVector(0.5, 0.5), OVector(10.4, 0.5)}, 9},
        // -0.5 pixels lies in pixel -1: a short leftward line still has one step.
        {{"half a pixel leftwards", OVector(1.0, 0.0), OVector(0.5, 0.0)}, 1},
        {{"diagonal, rounded length", OVector(0, 0), OVector(10, 10)}, 14},  // 14.14
    };
    for (const Case& c : cases) {
        OVectorPath_Line line(c.segment.start, c.segment.end);
        EXPECT_EQ(line.GetCount(), c.steps) << c.segment;
        EXPECT_EQ(line.GetPathType(), OVectorPath::kPathTypeLine);
        EXPECT_EQ(Index(line), -1) << c.segment;
    }
}

TEST(LinePathTest, ThreeFourFiveLineListsFivePositions) {
    LineProbe line(OVector(0, 0), OVector(3, 4));
    // 3 * 65536 / 5 = 39321.6 and 4 * 65536 / 5 = 52428.8, truncated.
    EXPECT_EQ(line.Step(), OVector(std::int64_t{39321}, std::int64_t{52428}));
    OVector_Array list;
    ASSERT_EQ(line.GetVectorPath(list), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(*list.GetAt(i), OVector(std::int64_t{39321} * i, std::int64_t{52428} * i))
            << "position " << i;
    }
    // MoveNext answers true count + 1 times: positions 0..5.
    int moves = 0;
    while (line.MoveNext()) {
        ++moves;
    }
    EXPECT_EQ(moves, 6);
    EXPECT_EQ(Index(line), 5);
}

TEST(LinePathTest, MoveEndIsExactWhereTheStepTruncates) {
    OVectorPath_Line line(OVector(0, 0), OVector(3, 4));
    OVector atCount;
    ASSERT_TRUE(line.MoveTo(line.GetCount(), atCount));
    EXPECT_EQ(atCount, OVector(std::int64_t{5 * 39321}, std::int64_t{5 * 52428}));
    OVector end;
    ASSERT_TRUE(line.MoveEnd(end));
    EXPECT_EQ(end, OVector(3, 4));
    EXPECT_EQ(Index(line), 5);
    OVector stored;
    line.GetEndVector(stored);
    EXPECT_EQ(stored, OVector(3, 4));
    OVector at5;
    line.GetVectorAt(5, at5);
    EXPECT_EQ(at5, atCount);
}

TEST(LinePathTest, ZeroLengthLineHasOnePosition) {
    OVectorPath_Line line(OVector(2.25, 3.5), OVector(2.25, 3.5));
    OVector v;
    EXPECT_TRUE(line.MoveNext(v));
    EXPECT_EQ(v, OVector(2.25, 3.5));
    EXPECT_FALSE(line.MoveNext(v));
    EXPECT_FALSE(line.MoveNextRaster(v));
    OVector_Array list;
    EXPECT_EQ(line.GetVectorPath(list), 0);
    EXPECT_EQ(line.GetVectorPathRaster(list), 0);
    ASSERT_TRUE(line.GetVectorAt(0, v));
    EXPECT_EQ(v, OVector(2.25, 3.5));
    EXPECT_TRUE(line.GetVectorAt(0.0, v));
    EXPECT_FALSE(line.GetVectorAt(0.5, v));
    // The default line is a zero-length line at the origin.
    OVectorPath_Line origin;
    EXPECT_EQ(origin.GetCount(), 0);
    EXPECT_TRUE(origin.MoveNext(v));
    EXPECT_EQ(v, OVector());
}

TEST(LinePathTest, BackwardMovesStopAtTheStart) {
    OVectorPath_Line line(OVector(0, 0), OVector(6, 2));
    OVector v = kSentinel;
    EXPECT_FALSE(line.MovePrev(v));  // before the start
    EXPECT_FALSE(line.MovePrevRaster(v));
    line.MoveNext();
    EXPECT_FALSE(line.MovePrev(v));  // at index 0
    EXPECT_FALSE(line.MovePrevRaster(v));
    EXPECT_EQ(v, kSentinel);
    EXPECT_EQ(Index(line), 0);
    ASSERT_TRUE(line.MoveTo(1, v));
    ASSERT_TRUE(line.MovePrevRaster(v));
    EXPECT_EQ(Index(line), 0);
    EXPECT_EQ(v, OVector(0, 0));
}

TEST(LinePathTest, IndexQueriesOutsideThePathWriteNothing) {
    OVectorPath_Line line(OVector(0, 0), OVector(3, 4));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    OVector v = kSentinel;
    EXPECT_FALSE(line.MoveTo(-1, v));
    EXPECT_FALSE(line.MoveTo(6, v));
    EXPECT_EQ(Index(line), -1);  // unchanged
    EXPECT_FALSE(line.GetVectorAt(-1, v));
    EXPECT_FALSE(line.GetVectorAt(6, v));
    for (double t : {-0.5, 5.5, -1e-6}) {
        EXPECT_FALSE(line.GetVectorAt(t, v)) << t;
        EXPECT_FALSE(line.GetVectorAt(static_cast<float>(t), v)) << t;
        double angle = 7.0;
        float fAngle = 7.0f;
        EXPECT_FALSE(line.GetAngle_RadAt(t, angle)) << t;
        EXPECT_FALSE(line.GetAngle_RadAt(static_cast<float>(t), fAngle)) << t;
        EXPECT_EQ(angle, 7.0);
        EXPECT_EQ(fAngle, 7.0f);
    }
    EXPECT_EQ(v, kSentinel);

    // NaN is neither below 0 nor above the count: it passes the range test, and its point lies
    // outside every image.
    EXPECT_TRUE(line.GetVectorAt(nan, v));
    EXPECT_LT(v.iX(), 0);
    EXPECT_LT(v.iY(), 0);
    double angle = 7.0;
    EXPECT_TRUE(line.GetAngle_RadAt(nan, angle));
    EXPECT_EQ(angle, 0.0);
}

TEST(LinePathTest, FractionalIndexInterpolatesBetweenPositions) {
    OVectorPath_Line line(OVector(1.25, -3.0), OVector(-7.0, 9.5));
    for (int i = 0; i < line.GetCount(); ++i) {
        OVector a;
        OVector b;
        OVector half;
        OVector halfFloat;
        line.GetVectorAt(i, a);
        line.GetVectorAt(i + 1, b);
        ASSERT_TRUE(line.GetVectorAt(i + 0.5, half));
        ASSERT_TRUE(line.GetVectorAt(i + 0.5f, halfFloat));
        EXPECT_EQ(half, halfFloat) << "index " << i;
        EXPECT_NEAR(2 * half.GetRawX(), a.GetRawX() + b.GetRawX(), 2 * kRawTolerance) << i;
        EXPECT_NEAR(2 * half.GetRawY(), a.GetRawY() + b.GetRawY(), 2 * kRawTolerance) << i;
    }
}

TEST(LinePathTest, LineHasNoAngleButAnswersInsideTheRange) {
    OVectorPath_Line line(OVector(0, 0), OVector(3, 4));
    double angle = 7.0;
    float fAngle = 7.0f;
    EXPECT_FALSE(line.CurrentAngle_Rad(angle));
    EXPECT_FALSE(line.CurrentAngle_Rad(fAngle));
    EXPECT_EQ(angle, 0.0);
    EXPECT_EQ(fAngle, 0.0f);
    angle = 7.0;
    fAngle = 7.0f;
    EXPECT_TRUE(line.GetAngle_RadAt(0, fAngle));
    EXPECT_TRUE(line.GetAngle_RadAt(5, angle));
    EXPECT_EQ(angle, 0.0);
    EXPECT_EQ(fAngle, 0.0f);
}

// Direction and normal are folded so that the direction points to non-negative x: a line and
// its reverse share direction, normal and text angle. The escapement is -(a + 0.5) in tenths of a
// degree, truncated toward zero, so a direction turned upwards on screen (negative angle) gives
// 449 for -45 degrees and 899 for -90 degrees.
TEST(LinePathTest, DirectionIsFoldedAndTextStaysUpright) {
    constexpr std::int64_t kDiagonal = 46341;  // 65536 / sqrt(2), rounded
    struct Case {
        Segment segment;
        OVector direction;
        OVector normal;
        int textAngle;
    };
    const Case cases[] = {
        {{"left to right", OVector(0, 0), OVector(10, 0)}, OVector(1, 0), OVector(0, 1), 0},
        {{"right to left", OVector(10, 0), OVector(0, 0)}, OVector(1, 0), OVector(0, 1), 0},
        {{"up-left", OVector(0, 0), OVector(-10, -10)},
         OVector(kDiagonal, kDiagonal),
         OVector(-kDiagonal, kDiagonal),
         -450},
        {{"down-right", OVector(-10, -10), OVector(0, 0)},
         OVector(kDiagonal, kDiagonal),
         OVector(-kDiagonal, kDiagonal),
         -450},
        {{"up-right", OVector(0, 0), OVector(10, -10)},
         OVector(kDiagonal, -kDiagonal),
         OVector(kDiagonal, kDiagonal),
         449},
        {{"downwards", OVector(0, 0), OVector(0, 10)}, OVector(0, -1), OVector(1, 0), 899},
        {{"upwards", OVector(0, 10), OVector(0, 0)}, OVector(0, -1), OVector(1, 0), 899},
        {{"zero length", OVector(3, 3), OVector(3, 3)}, OVector(1, 0), OVector(0, 1), 0},
    };
    for (const Case& c : cases) {
        LineProbe line(c.segment.start, c.segment.end);
        EXPECT_EQ(line.Direction(), c.direction) << c.segment << ": " << line.Direction().GetRawX()
                                                 << ", " << line.Direction().GetRawY();
        EXPECT_EQ(line.Normal(), c.normal)
            << c.segment << ": " << line.Normal().GetRawX() << ", " << line.Normal().GetRawY();
        EXPECT_EQ(line.TextAngle(), c.textAngle) << c.segment;
    }
}

// Every raster step enters a new pixel at its first sub-pixel position there (the position
// before it still lies in the old pixel), or ends at the last index; the raster list holds the
// walk's positions before the last index.
class LineRasterTest : public testing::TestWithParam<Segment> {};

TEST_P(LineRasterTest, ForwardStepsEnterEachPixelAtItsFirstPosition) {
    OVectorPath_Line line(GetParam().start, GetParam().end);
    std::vector<OVector> walk;
    OVector v;
    int previousIndex = -1;
    while (line.MoveNextRaster(v)) {
        const int index = Index(line);
        OVector expected;
        ASSERT_TRUE(line.GetVectorAt(index, expected));
        EXPECT_EQ(v, expected) << "index " << index;
        if (!walk.empty()) {
            OVector before;
            line.GetVectorAt(index - 1, before);
            EXPECT_TRUE(SamePixel(before, walk.back())) << "index " << index;
            EXPECT_TRUE(!SamePixel(v, walk.back()) || index == line.GetCount()) << index;
        }
        EXPECT_GT(index, previousIndex);
        previousIndex = index;
        walk.push_back(v);
    }
    EXPECT_EQ(Index(line), line.GetCount());
    OVector_Array list;
    const int listed = line.GetVectorPathRaster(list);
    ASSERT_EQ(listed, static_cast<int>(walk.size()) - 1);
    for (int i = 0; i < listed; ++i) {
        EXPECT_EQ(*list.GetAt(i), walk[static_cast<std::size_t>(i)]) << "entry " << i;
    }
}

TEST_P(LineRasterTest, BackwardStepsEnterEachPixelAtItsLastPosition) {
    OVectorPath_Line line(GetParam().start, GetParam().end);
    OVector v;
    line.MoveTo(line.GetCount(), v);
    OVector previous = v;
    while (line.MovePrevRaster(v)) {
        const int index = Index(line);
        OVector after;
        line.GetVectorAt(index + 1, after);
        EXPECT_TRUE(SamePixel(after, previous)) << "index " << index;
        EXPECT_TRUE(!SamePixel(v, previous) || index == 0) << "index " << index;
        previous = v;
    }
    EXPECT_EQ(Index(line), 0);
    EXPECT_EQ(v, GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineRasterTest,
    testing::Values(Segment{"diagonal", OVector(0.5, 0.5), OVector(40.5, 40.5)},
                    Segment{"shallow", OVector(0.1, 0.9), OVector(30.7, 4.2)},
                    Segment{"steep_up_left", OVector(20.3, 25.0), OVector(17.9, -3.3)},
                    Segment{"negative_coordinates", OVector(-5.75, -0.25), OVector(-25.5, 8.0)},
                    Segment{"horizontal", OVector(0.0, 0.0), OVector(12.0, 0.0)},
                    Segment{"one_step", OVector(1.0, 0.0), OVector(0.5, 0.0)}),
    [](const testing::TestParamInfo<Segment>& info) { return std::string(info.param.name); });

TEST(LinePathTest, RebuildingStartsBeforeTheFirstPosition) {
    OVectorPath_Line line(OVector(0, 0), OVector(5, 0));
    OVector v;
    line.MoveNext(v);
    line.MoveNext(v);
    ASSERT_TRUE(line.CreatePath(OVector(1, 1), OVector(1, 4)));
    EXPECT_EQ(Index(line), -1);
    line.CurrentVector(v);
    EXPECT_EQ(v, OVector(1, 1));
    EXPECT_EQ(line.GetCount(), 3);
}

// Pixel differences whose squares overflow the 32-bit sum, and points at the ends of the raw
// range: the count is meaningless but the walk is defined (sanitizer build) and finishes.
TEST(LinePathTest, LinesOutsideTheDomainWalkSafely) {
    const Segment segments[] = {
        {"50000 pixels diagonal", OVector(0, 0), OVector(50000, 50000)},
        {"negative wrapped sum", OVector(0, 0), OVector(40000, 40000)},
        {"raw extremes", OVector(INT64_MIN, INT64_MIN), OVector(INT64_MAX, INT64_MAX)},
        {"far vertical", OVector(INT64_MAX, INT64_MIN), OVector(INT64_MAX, INT64_MAX)},
    };
    for (const Segment& s : segments) {
        OVectorPath_Line line(s.start, s.end);
        EXPECT_GE(line.GetCount(), 0) << s;
        int rasterSteps = 0;
        while (line.MoveNextRaster() && rasterSteps <= line.GetCount()) {
            ++rasterSteps;
        }
        EXPECT_LE(rasterSteps, line.GetCount() + 1) << s;
    }
}

// Beyond the int pixel range iX() saturates, so positions there share one pixel: a line running
// along x far outside every image makes a single raster step to its end.
TEST(LinePathTest, RasterStepsFollowTheSaturatedPixelRule) {
    const std::int64_t farX = std::int64_t{1} << 50;
    OVectorPath_Line line(OVector(farX, std::int64_t{0}),
                          OVector(farX + 100 * 65536, std::int64_t{0}));
    ASSERT_EQ(line.GetCount(), 100);
    OVector v;
    ASSERT_TRUE(line.MoveNextRaster(v));
    ASSERT_TRUE(line.MoveNextRaster(v));
    EXPECT_EQ(Index(line), 100);
    ASSERT_TRUE(line.MovePrevRaster(v));
    EXPECT_EQ(Index(line), 0);
}

}  // namespace
