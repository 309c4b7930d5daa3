// Transition searches along lines and circles (both precisions): where entering and leaving
// transitions are reported, ordinals with and without going on, the pair search's distances,
// label modes and missing edges, the full-circle wrap, bad arguments, and the transition function
// types other than the band.
//
// Images are painted from the path itself: a raster walk lists the positions a search evaluates
// (index -1 at the start point, then one position per pixel), and chosen runs of those positions
// are painted dark on a bright image. With the band [0, 128] a dark pixel is in threshold, so the
// expected indices, points and angles are read off the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "RecordingContext.h"
#include "foundation/Angles.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr unsigned char kDark = 50;
constexpr unsigned char kBright = 200;
constexpr int kImageSize = 72;
// A search and the list read the same running angle: angles agree exactly, up to this.
constexpr double kAngleTolerance = 1e-12;
using angles::kTwoPi;
// Sentinels that show whether a search wrote an output.
constexpr double kUnwrittenAngle = 7.0;
constexpr int kUnwrittenIndex = 99;

const OVector kNotFound(INT_MIN, INT_MIN);

enum class Kind { Line, Circle, CircleFloat };

int Index(OVectorPath& path) {
    int index = 0;
    path.CurrentPos(index);
    return index;
}

// The arguments and results of one pair search, the arguments in the search's order: {ordinal1,
// polarity1, minDistance1, minDistance1To2, reference1, ordinal2, polarity2, minDistance2,
// minDistance2To1, reference2, secondAfterFirst, labelMode, labelBase1, labelBase2, goOn}.
struct Pair {
    int ordinal1 = 1, polarity1 = 1, minDistance1 = 0, minDistance1To2 = INT_MIN, reference1 = 0;
    int ordinal2 = 1, polarity2 = 2, minDistance2 = 0, minDistance2To1 = INT_MIN, reference2 = 0;
    int secondAfterFirst = 0;
    int labelMode = 0, labelBase1 = 0, labelBase2 = 0;
    bool goOn = false;

    int index1 = kUnwrittenIndex, index2 = kUnwrittenIndex;
    OVector point1{}, point2{};
    double angle1 = kUnwrittenAngle, angle2 = kUnwrittenAngle;

    bool Run(OVectorPath& path, const std::shared_ptr<OType_Image>& image,
             OType_DrawingContext* context = nullptr) {
        return path.FindNextTransitionPair(
            image, ordinal1, polarity1, minDistance1, minDistance1To2, reference1, ordinal2,
            polarity2, minDistance2, minDistance2To1, reference2, secondAfterFirst, index1, point1,
            angle1, index2, point2, angle2, context, labelMode, labelBase1, labelBase2, goOn);
    }
};

class TransitionSearchTest : public testing::TestWithParam<Kind> {
  protected:
    void SetUp() override { MakeArc(180.0); }

    // Makes the path (a circle with this sweep) and lists the positions a search evaluates.
    void MakeArc(double sweep) {
        const OVector centre(36.5, 36.5);
        if (GetParam() == Kind::Line) {
            path = std::make_unique<OVectorPath_Line>(OVector(2.5, 5.5), OVector(62.5, 5.5));
        } else if (GetParam() == Kind::Circle) {
            path = std::make_unique<OVectorPath_Circle>(centre, 25.0, 0.0, sweep);
        } else {
            path = std::make_unique<OVectorPath_Circle_Float>(centre, 25.0f, 0.0f,
                                                              static_cast<float>(sweep));
        }
        positions.clear();
        do {
            Position p{Index(*path), OVector(), 0.0};
            path->CurrentVector(p.point);
            path->CurrentAngle_Rad(p.angle);
            positions.push_back(p);
        } while (path->MoveNextRaster());
        path->Reset();
    }

    // Paints half-open runs [first, last) of list positions dark, sets the band [0, 128] and resets
    // the path. Position 0 (index -1) shares its pixel with index 0; no other two share one.
    void Paint(const std::vector<std::pair<int, int>>& runs) {
        path->Reset();
        image = std::make_shared<OType_Image>(
            kImageSize, kImageSize, std::vector<unsigned char>(kImageSize * kImageSize, kBright));
        for (const auto& [first, last] : runs) {
            for (int k = first; k < last; ++k) {
                image->SetPixel_Grey(positions[k].point.iX(), positions[k].point.iY(), kDark);
            }
        }
        ASSERT_TRUE(path->bCreateTransitionFunction(0, 0, 128, 0, 0, nullptr));
    }

    bool IsCircle() const { return GetParam() != Kind::Line; }

    // Expects the results of a transition reported at list position `reported`, seen at `seen`.
    void ExpectResult(int index, const OVector& point, double angle, int reported, int seen,
                      int lapOffset = 0) const {
        EXPECT_EQ(index, positions[reported].index + lapOffset) << "reported at " << reported;
        EXPECT_EQ(point, positions[reported].point) << "reported at " << reported;
        const double expectedAngle =
            IsCircle() ? positions[seen].angle + (lapOffset ? kTwoPi : 0) : kUnwrittenAngle;
        EXPECT_NEAR(angle, expectedAngle, kAngleTolerance) << "seen at " << seen;
    }

    // The searches with label kind 0 (ticks only), writing index, point and angle below.
    bool FindNext(int polarity, OType_DrawingContext* context = nullptr) {
        return path->FindNextTransition(image, polarity, 0, 0, index, point, angle, context, 0, 0);
    }
    bool FindSingle(int ordinal, int polarity, bool goOn, OType_DrawingContext* context = nullptr) {
        return path->FindNextTransitionSingle(image, ordinal, polarity, 0, 0, index, point, angle,
                                              context, 0, 0, goOn);
    }
    // What a search that finds nothing writes: the not-found index and point, and on circles
    // the angle 0.
    std::tuple<int, OVector, double> NotFound() const {
        return {-1, kNotFound, IsCircle() ? 0.0 : kUnwrittenAngle};
    }

    struct Position {
        int index;
        OVector point;
        double angle;
    };
    std::unique_ptr<OVectorPath> path;
    std::shared_ptr<OType_Image> image;
    std::vector<Position> positions;
    int index = kUnwrittenIndex;
    OVector point;
    double angle = kUnwrittenAngle;  // lines never write it
};

// Entering transitions are reported at the first dark position, seen there; leaving ones at the
// last dark position, seen one after, where the path stops. Each call without a reset finds the
// transition after the last one; polarity codes other than 0, 1 and 2 accept nothing.
TEST_P(TransitionSearchTest, ReportsEachTransitionAtItsLastPositionInside) {
    Paint({{8, 14}, {20, 25}});
    const std::pair<int, std::vector<std::pair<int, int>>> cases[] = {
        {0, {{8, 8}, {13, 14}, {20, 20}, {24, 25}}},
        {1, {{8, 8}, {20, 20}}},
        {2, {{13, 14}, {24, 25}}},
        {3, {}},
        {-1, {}}};
    for (const auto& [polarity, expected] : cases) {
        path->Reset();
        for (const auto& [reported, seen] : expected) {
            ASSERT_TRUE(FindNext(polarity)) << polarity;
            ExpectResult(index, point, angle, reported, seen);
            EXPECT_EQ(Index(*path), positions[seen].index) << polarity;
        }
        EXPECT_FALSE(FindNext(polarity)) << polarity;
        EXPECT_EQ(std::make_tuple(index, point, angle), NotFound());
        EXPECT_EQ(Index(*path), path->GetCount()) << "exhausted, polarity " << polarity;
    }
}

// Ordinal 2 of three entering transitions, stopping there or going on to the end; label kind 0
// marks with a tick only, one per entering transition walked over. Ordinal 0 takes the current
// position (answering at once is pinned by the overlay tests).
TEST_P(TransitionSearchTest, NthEdgeStopsThereOrGoesOnMarkingEveryEdge) {
    Paint({{4, 7}, {10, 13}, {16, 19}});
    for (const bool goOn : {false, true}) {
        path->Reset();
        RecordingContext context;
        ASSERT_TRUE(FindSingle(2, 1, goOn, &context)) << goOn;
        ExpectResult(index, point, angle, 10, 10);
        EXPECT_EQ(Index(*path), goOn ? path->GetCount() : positions[10].index);
        EXPECT_EQ(context.Calls("LineTo").size(), goOn ? 3u : 2u);
        EXPECT_TRUE(context.Calls("DrawText").empty());
    }
    path->Reset();
    EXPECT_TRUE(FindSingle(0, 0, true));
    ExpectResult(index, point, angle, 0, 0);
    EXPECT_EQ(Index(*path), path->GetCount());
    // Both ordinals 0: both searches are done before the walk, so it makes no step.
    path->Reset();
    Pair pair{0, 1, 0, INT_MIN, 0, 0};
    EXPECT_TRUE(pair.Run(*path, image));
    EXPECT_EQ(std::make_tuple(pair.index1, pair.index2, Index(*path)), std::make_tuple(-1, -1, -1));
}

// Entering at 4 and 10, leaving at 6 (seen at 7) and 12 (seen at 13). The first positions of
// every path here lie one index apart: list position k is index k - 1.
TEST_P(TransitionSearchTest, PairMeasuresEachEdgeFromItsReferenceAndTheOtherResult) {
    Paint({{4, 7}, {10, 13}});
    ASSERT_EQ(positions[13].index, 12);
    // Each row: the search's arguments, then the positions where each result is reported and
    // seen.
    const std::tuple<const char*, Pair, int, int, int, int> cases[] = {
        {"entering, then leaving", {1, 1, 0, INT_MIN, 0, 1, 2, 0, INT_MIN, 0, 0}, 4, 4, 6, 7},
        {"one transition as both edges", {1, 1, 0, INT_MIN, 0, 1, 0, 0, 0, 0, 0}, 4, 4, 4, 4},
        {"second strictly after the first", {1, 1, 0, INT_MIN, 0, 1, 1, 0, 1, 0, 0}, 4, 4, 10, 10},
        {"second before the first", {1, 2, 0, INT_MIN, 0, 1, 1, 0, INT_MIN, 0, 0}, 6, 7, 4, 4},
        {"second waits for the first", {1, 2, 0, INT_MIN, 0, 1, 1, 0, INT_MIN, 0, 1}, 6, 7, 10, 10},
        // Until a first edge is found, the first result holds the caller's reference (index 4),
        // which the entering transition at 4 (index 3) lies before.
        {"first result read back", {1, 2, 0, INT_MIN, 4, 1, 1, 0, 0, 0, 0}, 6, 7, 10, 10},
        // First edges keep a distance from the second result as it stands: once the entering
        // transition at 4 is the second edge, the leaving one at 6 is too close to it, the one at
        // 12 is not. (From the caller's reference -100 both would be far enough.)
        {"first keeps its distance from the second",
         {1, 2, 0, 6, 0, 1, 1, 0, INT_MIN, -100, 0},
         12,
         13,
         4,
         4},
    };
    for (auto [name, pair, reported1, seen1, reported2, seen2] : cases) {
        SCOPED_TRACE(name);
        path->Reset();
        ASSERT_TRUE(pair.Run(*path, image));
        ExpectResult(pair.index1, pair.point1, pair.angle1, reported1, seen1);
        ExpectResult(pair.index2, pair.point2, pair.angle2, reported2, seen2);
        EXPECT_EQ(Index(*path), positions[std::max(seen1, seen2)].index) << "stops there";
    }

    // A second edge that never comes: false, with the first edge written and the second as
    // initialised (the caller's reference index, the not-found point).
    path->Reset();
    Pair missing{1, 1, 0, INT_MIN, 0, 3, 1, 0, INT_MIN, 3, 0};
    EXPECT_FALSE(missing.Run(*path, image));
    ExpectResult(missing.index1, missing.point1, missing.angle1, 4, 4);
    EXPECT_EQ(std::make_tuple(missing.index2, missing.point2, missing.angle2),
              std::make_tuple(3, kNotFound, std::get<2>(NotFound())));
    EXPECT_EQ(Index(*path), path->GetCount());
}

TEST_P(TransitionSearchTest, EmptyImageAnswersFalseWithoutMovingOrDrawing) {
    ASSERT_TRUE(path->MoveTo(3, point));
    RecordingContext context;
    Pair pair{1, 1, 0, INT_MIN, 5, 1, 2, 0, INT_MIN, 6, 0};
    EXPECT_FALSE(FindSingle(0, 1, false, &context) || pair.Run(*path, image, &context) ||
                 FindNext(1, &context));
    EXPECT_EQ(std::make_tuple(index, point, angle), NotFound());
    EXPECT_EQ(std::make_tuple(pair.index1, pair.index2, pair.point1, pair.point2, Index(*path)),
              std::make_tuple(5, 6, kNotFound, kNotFound, 3));
    EXPECT_TRUE(context.Log().empty());
}

// Distances of the small indices here from a reference of INT_MIN or INT_MAX wrap around to huge
// negative numbers, from -1 they are small positive ones: a minimum distance of INT_MIN accepts
// them all, -1 only the small ones, INT_MAX none. Nothing else may go wrong (sanitizer build).
TEST_P(TransitionSearchTest, ExtremeArgumentsAreSafe) {
    Paint({{8, 14}});
    for (const int a : {INT_MIN, -1, INT_MAX}) {
        for (const int b : {INT_MIN, -1, INT_MAX}) {
            RecordingContext context;
            path->Reset();
            EXPECT_EQ(path->FindNextTransition(image, 0, a, b, index, point, angle, &context, 1, a),
                      a == INT_MIN || (a == -1 && b == -1))
                << a << " " << b;
            path->Reset();
            path->FindNextTransitionSingle(image, a, 0, a, b, index, point, angle, &context, b, a,
                                           true);
            path->Reset();
            // Circles refuse references past their end: their second reference stays -1.
            Pair pair{a, 1, a, INT_MIN, 0, b, 2, 0, b, IsCircle() ? -1 : b, 0, 0, a, 0, true};
            pair.Run(*path, image, &context);
        }
    }
}

std::string KindName(const testing::TestParamInfo<Kind>& info) {
    return std::vector<std::string>{"Line", "Circle", "CircleFloat"}[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllPaths, TransitionSearchTest,
                         testing::Values(Kind::Line, Kind::Circle, Kind::CircleFloat), KindName);

// --- full-circle wrap of the pair search (circles only) ---

class FullCircleTest : public TransitionSearchTest {};

TEST_P(FullCircleTest, PairWrapsOnceForASecondEdgeBeyondTheSeam) {
    // Dark across the seam: from position n - 6 to the end, and from the start to position 3.
    MakeArc(360.0);
    const int n = static_cast<int>(positions.size());
    Paint({{1, 4}, {n - 6, n}});
    const int lap = path->GetCount();
    // First: entering; second: leaving, only once the first is done, at least 1 after the first
    // and not before its own reference in the first lap, which moves back one lap at the wrap.
    Pair pair{1, 1, 0, INT_MIN, 0, 1, 2, 0, 1, positions[5].index, 1};
    ASSERT_TRUE(pair.Run(*path, image));
    // The first result is held reduced by one lap; the second continues the first lap.
    EXPECT_EQ(std::make_pair(pair.index1, pair.point1),
              std::make_pair(positions[n - 6].index - lap, positions[n - 6].point));
    EXPECT_NEAR(pair.angle1, positions[n - 6].angle, kAngleTolerance);
    ExpectResult(pair.index2, pair.point2, pair.angle2, 3, 4, lap);
    EXPECT_EQ(Index(*path), positions[4].index) << "stopped in the second lap";

    // A second edge that never comes: one wrap, then the search ends at the end of the path.
    path->Reset();
    Pair missing{1, 1, 0, INT_MIN, 0, 5, 1, 0, INT_MIN, 0, 1};
    EXPECT_FALSE(missing.Run(*path, image));
    EXPECT_EQ(std::make_tuple(missing.index1, missing.index2, Index(*path)),
              std::make_tuple(positions[n - 6].index - lap, 0, lap));

    // Reference indices not below the count are refused before anything moves.
    ASSERT_TRUE(path->MoveTo(2, point));
    for (const auto& [reference1, reference2] : {std::pair{lap, 0}, std::pair{0, lap}}) {
        Pair refused{1, 1, 0, INT_MIN, reference1, 1, 2, 0, INT_MIN, reference2, 0};
        EXPECT_FALSE(refused.Run(*path, image));
        EXPECT_EQ(std::make_tuple(refused.index1, refused.index2, refused.angle1, Index(*path)),
                  std::make_tuple(reference1, reference2, 0.0, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Circles, FullCircleTest, testing::Values(Kind::Circle, Kind::CircleFloat),
                         KindName);

// --- line-only cases with hand-checked indices: index i lies at list position i + 1 ---

class LineSearchTest : public TransitionSearchTest {};

// Dark at indices 3 and 6..11; reference 0, minimum distance 5. The ignored transitions at 3 do
// not move the reference: 6 is the first edge, and 11 lies 5 after it. (Had they moved it, 6 - 3
// would be too close and 11 the first edge; without the distance the second would be at 3.)
TEST_P(LineSearchTest, IgnoredTransitionsLeaveTheReferenceAlone) {
    Paint({{4, 5}, {7, 13}});
    ASSERT_TRUE(path->FindNextTransitionSingle(image, 2, 0, 5, 0, index, point, angle, nullptr, 0,
                                               0, false));
    EXPECT_EQ(index, 11);
}

// Type 1 enters on any jump above 40, type 2 with enter threshold -30 on falls only. The step
// after the edge at index 10 deviates by 75 from the mean across it and leaves, so the transition
// is reported at 10 both entering and leaving (seen at 11). A search that continues evaluates its
// starting position again, which feeds the history a second time: the leave after entering
// happens at that evaluation, before any step, and is no transition of the next search.
TEST_P(LineSearchTest, MovingMeanTypesThroughTheSearch) {
    const int n = static_cast<int>(positions.size());
    for (const auto& [type, leave, enter] : {std::tuple{1, 10, 40}, std::tuple{2, -10, -30}}) {
        for (const int polarity : {1, 2}) {
            Paint({{11, n}});  // a fall at index 10
            ASSERT_TRUE(path->bCreateTransitionFunction(type, leave, enter, 2, 0, nullptr));
            EXPECT_TRUE(FindSingle(1, polarity, false) && index == 10) << type << " " << polarity;
            EXPECT_FALSE(FindSingle(1, 0, false)) << type << " " << polarity;
        }
        Paint({{0, 11}});  // a rise at index 10
        ASSERT_TRUE(path->bCreateTransitionFunction(type, leave, enter, 2, 0, nullptr));
        EXPECT_EQ(FindSingle(1, 1, false) ? index : -1, type == 1 ? 10 : -1) << type;
    }
}

INSTANTIATE_TEST_SUITE_P(Line, LineSearchTest, testing::Values(Kind::Line), KindName);

}  // namespace
