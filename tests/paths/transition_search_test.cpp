// Transition searches along lines and circles (both precisions): where entering and leaving
// transitions are reported, reference indices and minimum distances, ordinals with and without
// going on, the pair search's cross distances and missing edges, the full-circle wrap, invalid
// polarity codes, the transition function types, and bad input.
//
// Images are painted from the path itself: a raster walk lists the positions a search evaluates
// (index -1 at the start point, then one position per pixel), and chosen runs of those positions
// are painted dark on a bright image. With the band [0, 128] a dark pixel is in threshold, so the
// expected indices, points and angles are read off the list.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RecordingContext.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr unsigned char kDark = 50;
constexpr unsigned char kBright = 200;
constexpr int kImageSize = 72;
// A search and the list read the same running angle: angles agree exactly, up to this.
constexpr double kAngleTolerance = 1e-12;
constexpr double kTwoPi = 6.283185307179586;

// Sentinels that show whether a search wrote an output.
constexpr double kUnwrittenAngle = 7.0;
constexpr int kUnwrittenIndex = 99;

const OVector kNotFound(INT_MIN, INT_MIN);

enum class Kind { Line, Circle, CircleFloat };

void PrintTo(Kind kind, std::ostream* os) {
    *os << (kind == Kind::Line ? "Line" : kind == Kind::Circle ? "Circle" : "CircleFloat");
}

std::unique_ptr<OVectorPath> MakePath(Kind kind, double sweepDeg = 180.0) {
    const OVector centre(36.5, 36.5);
    constexpr double kRadius = 25.0;
    switch (kind) {
        case Kind::Line:
            return std::make_unique<OVectorPath_Line>(OVector(2.5, 5.5), OVector(62.5, 5.5));
        case Kind::Circle:
            return std::make_unique<OVectorPath_Circle>(centre, kRadius, 0.0, sweepDeg);
        case Kind::CircleFloat:
            return std::make_unique<OVectorPath_Circle_Float>(centre, static_cast<float>(kRadius),
                                                              0.0f, static_cast<float>(sweepDeg));
    }
    return nullptr;
}

int Index(OVectorPath& path) {
    int index = 0;
    path.CurrentPos(index);
    return index;
}

struct Position {
    int index;
    OVector point;
    double angle;
};

// The positions a search from the start evaluates: index -1, then one per raster step.
std::vector<Position> RasterPositions(OVectorPath& path) {
    std::vector<Position> list;
    path.Reset();
    OVector point;
    double angle = 0.0;
    path.CurrentVector(point);
    path.CurrentAngle_Rad(angle);
    list.push_back({-1, point, angle});
    while (path.MoveNextRaster(point)) {
        path.CurrentAngle_Rad(angle);
        list.push_back({Index(path), point, angle});
    }
    path.Reset();
    return list;
}

// Half-open runs [first, last) of list positions painted dark.
using Runs = std::vector<std::pair<int, int>>;

class TransitionSearchTest : public testing::TestWithParam<Kind> {
  protected:
    // Makes the path and lists its positions.
    void SetUp() override { MakeArc(180.0); }
    void MakeArc(double sweepDeg) {
        path = MakePath(GetParam(), sweepDeg);
        positions = RasterPositions(*path);
    }

    // Paints the runs dark on the path's positions and sets the band [0, 128].
    void Paint(const Runs& runs) {
        std::vector<bool> dark(positions.size(), false);
        image = std::make_shared<OType_Image>(
            kImageSize, kImageSize,
            std::vector<unsigned char>(static_cast<std::size_t>(kImageSize) * kImageSize, kBright));
        for (const auto& [first, last] : runs) {
            for (int k = first; k < last; ++k) {
                dark[k] = true;
                image->SetPixel_Grey(positions[k].point.iX(), positions[k].point.iY(), kDark);
            }
        }
        // Position 0 (index -1) shares its pixel with index 0; no other two may share one.
        dark[0] = dark[1];
        for (std::size_t k = 0; k < positions.size(); ++k) {
            ASSERT_EQ(image->GetPixel_Grey(positions[k].point) == kDark, dark[k])
                << "position " << k << " shares a pixel with a painted one";
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
        angle = kUnwrittenAngle;
        return path->FindNextTransition(image, polarity, 0, 0, index, point, angle, context, 0, 0);
    }
    bool FindSingle(int ordinal, int polarity, bool goOn, OType_DrawingContext* context = nullptr) {
        angle = kUnwrittenAngle;
        return path->FindNextTransitionSingle(image, ordinal, polarity, 0, 0, index, point, angle,
                                              context, 0, 0, goOn);
    }
    void ExpectFound(int reported, int seen) const {
        ExpectResult(index, point, angle, reported, seen);
    }
    void ExpectNotFound() const {
        EXPECT_EQ(index, -1);
        EXPECT_EQ(point, kNotFound);
        EXPECT_EQ(angle, IsCircle() ? 0.0 : kUnwrittenAngle);
    }

    std::unique_ptr<OVectorPath> path;
    std::shared_ptr<OType_Image> image;
    std::vector<Position> positions;
    int index = kUnwrittenIndex;
    OVector point;
    double angle = 0.0;
};

// The arguments and results of one pair search.
struct Pair {
    int ordinal1 = 1, polarity1 = 1, minDistance1 = 0, minDistance1To2 = INT_MIN, reference1 = 0;
    int ordinal2 = 1, polarity2 = 2, minDistance2 = 0, minDistance2To1 = INT_MIN, reference2 = 0;
    int secondAfterFirst = 0;
    int labelMode = 0, labelBase1 = 0, labelBase2 = 0;
    bool goOn = false;

    int index1 = kUnwrittenIndex, index2 = kUnwrittenIndex;
    OVector point1, point2;
    double angle1 = kUnwrittenAngle, angle2 = kUnwrittenAngle;

    bool Run(OVectorPath& path, const std::shared_ptr<OType_Image>& image,
             OType_DrawingContext* context = nullptr) {
        return path.FindNextTransitionPair(
            image, ordinal1, polarity1, minDistance1, minDistance1To2, reference1, ordinal2,
            polarity2, minDistance2, minDistance2To1, reference2, secondAfterFirst, index1, point1,
            angle1, index2, point2, angle2, context, labelMode, labelBase1, labelBase2, goOn);
    }
};

TEST_P(TransitionSearchTest, ReportsEnteringAndLeavingAtTheLastPositionInside) {
    Paint({{8, 14}});
    struct Case {
        int polarity;
        int reported;
        int seen;
    };
    // Entering: the first dark position, seen there. Leaving: the last dark one, seen one after.
    for (const Case c : {Case{1, 8, 8}, Case{2, 13, 14}, Case{0, 8, 8}}) {
        path->Reset();
        ASSERT_TRUE(FindNext(c.polarity)) << "polarity " << c.polarity;
        ExpectFound(c.reported, c.seen);
        EXPECT_EQ(Index(*path), positions[c.seen].index) << "the path stops where it saw it";
    }
}

TEST_P(TransitionSearchTest, ConsecutiveCallsFindConsecutiveTransitions) {
    Paint({{8, 14}, {20, 25}});
    const int expected[][2] = {{8, 8}, {13, 14}, {20, 20}, {24, 25}};
    for (const auto& e : expected) {
        ASSERT_TRUE(FindNext(0));
        ExpectFound(e[0], e[1]);
    }
    EXPECT_FALSE(FindNext(0));
    ExpectNotFound();
    EXPECT_EQ(Index(*path), path->GetCount()) << "exhausted";
}

TEST_P(TransitionSearchTest, NthEdgeStopsThereOrGoesOnMarkingEveryEdge) {
    Paint({{4, 7}, {10, 13}, {16, 19}});
    for (const bool goOn : {false, true}) {
        path->Reset();
        RecordingContext context;
        ASSERT_TRUE(FindSingle(2, 1, goOn, &context)) << goOn;
        ExpectFound(10, 10);
        EXPECT_EQ(Index(*path), goOn ? path->GetCount() : positions[10].index);
        // Label kind 0 marks with a tick only: one per entering transition walked over.
        EXPECT_EQ(context.Calls("LineTo").size(), goOn ? 3u : 2u);
        EXPECT_TRUE(context.Calls("DrawText").empty());
    }
}

TEST_P(TransitionSearchTest, OrdinalZeroTakesTheCurrentPosition) {
    Paint({{8, 14}});
    for (const bool goOn : {false, true}) {
        path->Reset();
        EXPECT_TRUE(FindSingle(0, 0, goOn));
        ExpectFound(0, 0);
        // Without going on it answers at once; going on walks to the end.
        EXPECT_EQ(Index(*path), goOn ? path->GetCount() : -1);
    }
}

TEST_P(TransitionSearchTest, InvalidPolarityCodesAcceptNothing) {
    Paint({{8, 14}, {20, 25}});
    for (const int polarity : {3, -1}) {
        path->Reset();
        EXPECT_FALSE(FindNext(polarity)) << polarity;
        ExpectNotFound();
        EXPECT_EQ(Index(*path), path->GetCount()) << "walks to the end";
        path->Reset();
        EXPECT_FALSE(FindSingle(1, polarity, false)) << polarity;
        path->Reset();
        Pair pair;
        pair.polarity1 = polarity;
        EXPECT_FALSE(pair.Run(*path, image)) << polarity;
    }
}

TEST_P(TransitionSearchTest, PairFindsFirstAndSecondEdges) {
    Paint({{8, 14}, {20, 25}});
    Pair pair;  // entering, then leaving
    ASSERT_TRUE(pair.Run(*path, image));
    ExpectResult(pair.index1, pair.point1, pair.angle1, 8, 8);
    ExpectResult(pair.index2, pair.point2, pair.angle2, 13, 14);
    EXPECT_EQ(Index(*path), positions[14].index) << "stops once both are found";

    // One transition may serve as both edges.
    path->Reset();
    Pair both;
    both.polarity2 = 0;
    both.minDistance2To1 = 0;
    ASSERT_TRUE(both.Run(*path, image));
    ExpectResult(both.index1, both.point1, both.angle1, 8, 8);
    ExpectResult(both.index2, both.point2, both.angle2, 8, 8);
}

TEST_P(TransitionSearchTest, PairWithAMissingEdgeWritesTheOtherOnly) {
    Paint({{8, 14}});
    Pair pair;
    pair.polarity2 = 1;
    pair.ordinal2 = 2;  // there is one entering transition only
    pair.reference2 = 3;
    EXPECT_FALSE(pair.Run(*path, image));
    ExpectResult(pair.index1, pair.point1, pair.angle1, 8, 8);
    EXPECT_EQ(pair.index2, 3) << "the caller's second reference index";
    EXPECT_EQ(pair.point2, kNotFound);
    EXPECT_EQ(pair.angle2, IsCircle() ? 0.0 : kUnwrittenAngle);
    EXPECT_EQ(Index(*path), path->GetCount());
}

TEST_P(TransitionSearchTest, PairMeasuresSecondEdgesFromTheFirstResult) {
    // Entering at 4 and 10, leaving at 6 (seen at 7) and 12 (seen at 13).
    Paint({{4, 7}, {10, 13}});
    struct Case {
        const char* name;
        int polarity1;
        int reference1;  // a list position, or -1 for index 0
        int minDistance2To1;
        int secondAfterFirst;
        int reported1, seen1, reported2;  // second edges are entering: seen where reported
    };
    const Case cases[] = {
        {"second strictly after the first", 1, -1, 1, 0, 4, 4, 10},
        {"second before the first", 2, -1, INT_MIN, 0, 6, 7, 4},
        {"second waits for the first", 2, -1, INT_MIN, 1, 6, 7, 10},
        // Until a first edge is found, the first result holds the caller's reference (index 4),
        // which the entering transition at index 3 lies before.
        {"first result read back", 2, 5, 0, 0, 6, 7, 10},
    };
    for (const Case& c : cases) {
        path->Reset();
        Pair pair;
        pair.polarity1 = c.polarity1;
        pair.polarity2 = 1;
        pair.reference1 = c.reference1 < 0 ? 0 : positions[c.reference1].index;
        pair.minDistance2To1 = c.minDistance2To1;
        pair.secondAfterFirst = c.secondAfterFirst;
        ASSERT_TRUE(pair.Run(*path, image)) << c.name;
        ExpectResult(pair.index1, pair.point1, pair.angle1, c.reported1, c.seen1);
        ExpectResult(pair.index2, pair.point2, pair.angle2, c.reported2, c.reported2);
    }

    // First edges keep a distance from the second result as it stands: once the entering
    // transition at 4 is the second edge, the leaving one at 6 is too close to it, the one at 12
    // is not. (From the caller's reference -100 both would be far enough.)
    path->Reset();
    Pair pair;
    pair.polarity1 = 2;
    pair.minDistance1To2 = positions[10].index - positions[4].index;
    pair.polarity2 = 1;
    pair.reference2 = -100;
    ASSERT_TRUE(pair.Run(*path, image));
    ExpectResult(pair.index2, pair.point2, pair.angle2, 4, 4);
    ExpectResult(pair.index1, pair.point1, pair.angle1, 12, 13);
}

TEST_P(TransitionSearchTest, PairLabelModesNumberTheEdges) {
    Paint({{4, 7}, {10, 13}});
    struct Case {
        int mode;
        std::vector<std::string> labels;
    };
    // Every transition is a first edge (base 10), every leaving one also a second edge (base
    // 50), going on to the end; each transition's first-edge label comes before its second.
    const Case cases[] = {
        {-1, {"11", "12", "12", "13", "14", "14"}},
        {1, {"11", "12", "51", "13", "14", "52"}},
        {0, {"S11", "S12", "E51", "S13", "S14", "E52"}},
    };
    for (const Case& c : cases) {
        path->Reset();
        RecordingContext context;
        Pair pair;
        pair.polarity1 = 0;
        pair.labelMode = c.mode;
        pair.labelBase1 = 10;
        pair.labelBase2 = 50;
        pair.goOn = true;
        ASSERT_TRUE(pair.Run(*path, image, &context));
        std::vector<std::string> labels;
        for (const std::string& call : context.Calls("DrawText")) {
            labels.push_back(call.substr(call.rfind(' ') + 1));
        }
        EXPECT_EQ(labels, c.labels) << "mode " << c.mode;
        // Going on: the first pair is reported.
        ExpectResult(pair.index1, pair.point1, pair.angle1, 4, 4);
        ExpectResult(pair.index2, pair.point2, pair.angle2, 6, 7);
    }
}

TEST_P(TransitionSearchTest, BothOrdinalsZeroMakeNoStep) {
    Paint({{8, 14}});
    Pair pair;
    pair.ordinal1 = 0;
    pair.ordinal2 = 0;
    EXPECT_TRUE(pair.Run(*path, image));
    EXPECT_EQ(pair.index1, -1);
    EXPECT_EQ(pair.index2, -1);
    EXPECT_EQ(Index(*path), -1);
}

TEST_P(TransitionSearchTest, EmptyImageAnswersFalseWithoutMovingOrDrawing) {
    Paint({{8, 14}});
    OVector ignored;
    ASSERT_TRUE(path->MoveTo(3, ignored));
    image.reset();
    RecordingContext context;
    EXPECT_FALSE(FindNext(1, &context));
    ExpectNotFound();
    EXPECT_FALSE(FindSingle(0, 1, false, &context));
    EXPECT_EQ(index, -1);
    Pair pair;
    pair.reference1 = 5;
    pair.reference2 = 6;
    EXPECT_FALSE(pair.Run(*path, image, &context));
    EXPECT_EQ(pair.index1, 5);
    EXPECT_EQ(pair.index2, 6);
    EXPECT_EQ(pair.point1, kNotFound);
    EXPECT_EQ(pair.point2, kNotFound);
    EXPECT_EQ(Index(*path), 3);
    EXPECT_TRUE(context.Log().empty());
}

TEST_P(TransitionSearchTest, ExtremeArgumentsAreSafe) {
    Paint({{8, 14}});
    const int extremes[] = {INT_MIN, -1, INT_MAX};
    for (const int a : extremes) {
        for (const int b : extremes) {
            path->Reset();
            RecordingContext context;
            // Distances of the small indices here from reference b wrap around: from INT_MIN
            // and from INT_MAX they are huge negative numbers, from -1 small positive ones. A
            // minimum distance of INT_MIN accepts them all, -1 only the small ones, INT_MAX none.
            const bool found =
                path->FindNextTransition(image, 0, a, b, index, point, angle, &context, 1, a);
            EXPECT_EQ(found, a == INT_MIN || (a == -1 && b == -1)) << a << " " << b;
            path->Reset();
            path->FindNextTransitionSingle(image, a, 0, a, b, index, point, angle, &context, b, a,
                                           true);
            path->Reset();
            Pair pair;
            pair.ordinal1 = a;
            pair.minDistance1 = a;
            pair.minDistance2To1 = b;
            pair.reference2 = IsCircle() ? -1 : b;
            pair.labelBase1 = a;
            pair.goOn = true;
            pair.Run(*path, image, &context);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, TransitionSearchTest,
                         testing::Values(Kind::Line, Kind::Circle, Kind::CircleFloat),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return testing::PrintToString(info.param);
                         });

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
    Pair pair;
    pair.secondAfterFirst = 1;
    pair.minDistance2To1 = 1;
    pair.reference2 = positions[5].index;
    ASSERT_TRUE(pair.Run(*path, image));
    // The first result is held reduced by one lap; the second continues the first lap.
    EXPECT_EQ(pair.index1, positions[n - 6].index - lap);
    EXPECT_EQ(pair.point1, positions[n - 6].point);
    EXPECT_NEAR(pair.angle1, positions[n - 6].angle, kAngleTolerance);
    ExpectResult(pair.index2, pair.point2, pair.angle2, 3, 4, lap);
    EXPECT_EQ(Index(*path), positions[4].index) << "stopped in the second lap";

    // A second edge that never comes: one wrap, then the search ends at the end of the path.
    path->Reset();
    Pair missing;
    missing.secondAfterFirst = 1;
    missing.polarity2 = 1;
    missing.ordinal2 = 5;
    EXPECT_FALSE(missing.Run(*path, image));
    EXPECT_EQ(missing.index1, positions[n - 6].index - lap);
    EXPECT_EQ(missing.index2, 0);
    EXPECT_EQ(Index(*path), lap);
}

TEST_P(FullCircleTest, ReferenceIndicesBeyondTheCircleAreRefused) {
    MakeArc(360.0);
    Paint({{8, 14}});
    OVector ignored;
    ASSERT_TRUE(path->MoveTo(2, ignored));
    for (const auto& [reference1, reference2] :
         {std::pair{path->GetCount(), 0}, std::pair{0, path->GetCount()}}) {
        Pair pair;
        pair.reference1 = reference1;
        pair.reference2 = reference2;
        EXPECT_FALSE(pair.Run(*path, image));
        EXPECT_EQ(pair.index1, reference1);
        EXPECT_EQ(pair.index2, reference2);
        EXPECT_EQ(pair.angle1, 0.0);
        EXPECT_EQ(Index(*path), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Circles, FullCircleTest, testing::Values(Kind::Circle, Kind::CircleFloat),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return testing::PrintToString(info.param);
                         });

// --- line-only cases with hand-checked indices: index i lies in pixel (2 + i, 5) ---

std::shared_ptr<OType_Image> RowImage(const std::vector<std::pair<int, int>>& darkPixels,
                                      unsigned char outside = kBright,
                                      unsigned char inside = kDark) {
    auto image = std::make_shared<OType_Image>(
        kImageSize, 12,
        std::vector<unsigned char>(static_cast<std::size_t>(kImageSize) * 12, outside));
    for (const auto& [first, last] : darkPixels) {
        for (int x = first; x < last; ++x) {
            image->SetPixel_Grey(x, 5, inside);
        }
    }
    return image;
}

TEST(LineTransitionSearchTest, IgnoredTransitionsLeaveTheReferenceAlone) {
    // Dark at indices 3 and 6..11; reference 0, minimum distance 5.
    const auto image = RowImage({{5, 6}, {8, 14}});
    OVectorPath_Line line(OVector(2.5, 5.5), OVector(62.5, 5.5));
    int index = 0;
    OVector point;
    double angle = 0;
    ASSERT_TRUE(line.FindNextTransition(image, 0, 5, 0, index, point, angle, nullptr, 0, 0));
    EXPECT_EQ(index, 6);
    // The second qualifying one lies 5 after the first (11 - 6); had the ignored transitions at
    // 3 moved the reference, 6 - 3 would have been too close.
    line.Reset();
    ASSERT_TRUE(line.FindNextTransitionSingle(image, 2, 0, 5, 0, index, point, angle, nullptr, 0, 0,
                                              false));
    EXPECT_EQ(index, 11);
}

TEST(LineTransitionSearchTest, PathsOutsideTheImageSeeMarkersOutOfEveryBand) {
    const auto image = RowImage({{12, 22}});
    struct Case {
        const char* name;
        OVector start;
        OVector end;
        int entering;  // -1: none
    };
    const Case cases[] = {
        {"starting left of the image", OVector(-7.5, 5.5), OVector(62.5, 5.5), 20},
        {"ending right of the image", OVector(2.5, 5.5), OVector(100.5, 5.5), 10},
        {"wholly above the image", OVector(2.5, -20.5), OVector(62.5, -20.5), -1},
    };
    for (const Case& c : cases) {
        OVectorPath_Line line(c.start, c.end);
        ASSERT_TRUE(line.bCreateTransitionFunction(0, 0, 128, 0, 0, nullptr));
        int index = 0;
        OVector point;
        double angle = 0;
        EXPECT_EQ(line.FindNextTransition(image, 0, 0, 0, index, point, angle, nullptr, 0, 0),
                  c.entering >= 0)
            << c.name;
        EXPECT_EQ(index, c.entering) << c.name;
    }
}

TEST(LineTransitionSearchTest, MovingMeanTypesThroughTheSearch) {
    // Type 1 (absolute) enters on any jump above 40 and leaves on the next step above 10; type 2
    // with enter threshold -30 enters on falls only. The edge lies at index 10.
    const auto falling = RowImage({{12, 72}}, kBright, kDark);
    const auto rising = RowImage({{12, 72}}, kDark, kBright);
    struct Case {
        const char* name;
        int type;
        int leave;
        int enter;
        std::shared_ptr<OType_Image> image;
        bool found;
    };
    const Case cases[] = {
        {"absolute, falling", 1, 10, 40, falling, true},
        {"absolute, rising", 1, 10, 40, rising, true},
        {"signed falling, falling", 2, -10, -30, falling, true},
        {"signed falling, rising", 2, -10, -30, rising, false},
    };
    for (const Case& c : cases) {
        OVectorPath_Line line(OVector(2.5, 5.5), OVector(62.5, 5.5));
        int index = 0;
        OVector point;
        double angle = 0;
        const auto search = [&](int polarity) {
            return line.FindNextTransition(c.image, polarity, 0, 0, index, point, angle, nullptr, 0,
                                           0);
        };
        // The step after the edge deviates by 75 from the mean across it: it leaves, so the
        // transition is reported at 10 entering and at 10 leaving (seen at 11).
        for (const int polarity : {1, 2}) {
            line.Reset();
            ASSERT_TRUE(line.bCreateTransitionFunction(c.type, c.leave, c.enter, 2, 0, nullptr));
            ASSERT_EQ(search(polarity), c.found) << c.name << ", polarity " << polarity;
            EXPECT_EQ(index, c.found ? 10 : -1) << c.name << ", polarity " << polarity;
        }
        if (!c.found) {
            continue;
        }
        // A search that continues evaluates its starting position again, which feeds the history
        // a second time: after entering at 10, the leave happens at that evaluation, before any
        // step, and is no transition of the second search.
        line.Reset();
        ASSERT_TRUE(line.bCreateTransitionFunction(c.type, c.leave, c.enter, 2, 0, nullptr));
        ASSERT_TRUE(search(1));
        EXPECT_FALSE(search(0)) << c.name;
    }
}

// Exposes the Canny transition function of the line.
class CannyLine : public OVectorPath_Line {
  public:
    using OVectorPath_Line::OVectorPath_Line;
    int FirstPositive() const {
        for (int k = 0; k < m_iaCannyTransitions.iGetCount(); ++k) {
            if (m_iaCannyTransitions.GetAt(k) > 0) {
                return k;
            }
        }
        return -1;
    }
};

TEST(LineTransitionSearchTest, CannyTypeEntersAtItsFirstPositivePosition) {
    const auto image = RowImage({{12, 72}});
    CannyLine line(OVector(2.5, 5.5), OVector(62.5, 5.5));
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 20, 0, 0, 2, image));
    const int expected = line.FirstPositive();
    ASSERT_NEAR(expected, 10, 2) << "an edge at index 10";
    int index = 0;
    OVector point;
    double angle = 0;
    ASSERT_TRUE(line.FindNextTransition(image, 1, 0, 0, index, point, angle, nullptr, 0, 0));
    EXPECT_EQ(index, expected);
    // The dark side stays in threshold to the end (the last index reads the last element).
    EXPECT_FALSE(line.FindNextTransition(image, 2, 0, 0, index, point, angle, nullptr, 0, 0));
}

}  // namespace
