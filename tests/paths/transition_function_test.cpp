// The transition function of a path: set-up rules, the grey band, the moving-mean hysteresis of
// both deviation types with their markers, and the Canny type looked up by index.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kMarker = INT_MIN;

// A line that lets the tests see the fields the transition function keeps.
class ProbedLine : public OVectorPath_Line {
  public:
    using OVectorPath_Line::OVectorPath_Line;
    int SigmaIndex() const { return m_iSigmaIndex; }
    int CannyCount() const { return m_iaCannyTransitions.iGetCount(); }
    int CannyAt(int i) const { return m_iaCannyTransitions.GetAt(i); }
    bool InTransition() const { return m_bInTransition; }
    void MoveToIndex(int i) {
        OVector unused;
        MoveTo(i, unused);
    }
};

struct Params {
    int type, p1, p2, p3;
};

Params ParamsOf(const OVectorPath& path) {
    Params p{};
    path.GetTransitionFunctionParams(p.type, p.p1, p.p2, p.p3);
    return p;
}

void ExpectParams(const OVectorPath& path, Params expected) {
    const Params actual = ParamsOf(path);
    EXPECT_EQ(actual.type, expected.type);
    EXPECT_EQ(actual.p1, expected.p1);
    EXPECT_EQ(actual.p2, expected.p2);
    EXPECT_EQ(actual.p3, expected.p3);
}

// Answers of consecutive evaluations of grey values.
std::vector<bool> Evaluate(OVectorPath& path, const std::vector<int>& values) {
    std::vector<bool> answers;
    for (int value : values) {
        answers.push_back(path.IsInTransitionThreshold(value));
    }
    return answers;
}

// A horizontal image row: dark (20) up to x = 9, bright (220) from x = 10 on.
std::shared_ptr<OType_Image> StepImage() {
    auto image = std::make_shared<OType_Image>(30, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 30; ++x) {
            image->SetPixel_Grey(x, y, x < 10 ? 20 : 220);
        }
    }
    return image;
}

TEST(TransitionFunctionTest, FreshPathHasTheDefaultBand) {
    ProbedLine line(OVector(0, 0), OVector(10, 0));
    ExpectParams(line, {0, 0, 128, 2});
    EXPECT_EQ(line.SigmaIndex(), 1);
    EXPECT_TRUE(line.IsInTransitionThreshold(0));
    EXPECT_TRUE(line.IsInTransitionThreshold(128));
    EXPECT_FALSE(line.IsInTransitionThreshold(129));
}

TEST(TransitionFunctionTest, BandIncludesBothBoundsAndRejectsBadRanges) {
    ProbedLine line(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 50, 50, 9, 9, nullptr));
    ExpectParams(line, {0, 50, 50, 2});
    EXPECT_EQ(Evaluate(line, {49, 50, 51, kMarker}),
              (std::vector<bool>{false, true, false, false}));

    const Params rejected[] = {{0, 60, 50, 0},   {0, 0, 256, 0}, {0, -1, 10, 0}, {4, 0, 10, 2},
                               {-1, 0, 10, 2},   {1, 0, 256, 2}, {1, 0, 40, 0},  {1, 0, 40, 11},
                               {2, -256, 40, 2}, {2, 0, 40, 11}};
    for (const Params& p : rejected) {
        EXPECT_FALSE(line.bCreateTransitionFunction(p.type, p.p1, p.p2, p.p3, 0, nullptr))
            << p.type << " " << p.p1 << " " << p.p2 << " " << p.p3;
        ExpectParams(line, {0, 50, 50, 2});
    }
}

TEST(TransitionFunctionTest, AbsoluteDeviationEntersAndStays) {
    ProbedLine line(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(line.bCreateTransitionFunction(1, 255, 40, 2, 0, nullptr));
    // Two values fill the history; 60 lies 50 above their mean of 10 and enters; no deviation
    // can exceed the leave threshold of 255, so the answer stays.
    EXPECT_EQ(Evaluate(line, {10, 10, 60, 200, 0, 255}),
              (std::vector<bool>{false, false, true, true, true, true}));
}

TEST(TransitionFunctionTest, AbsoluteDeviationLeavesAboveTheLeaveThreshold) {
    ProbedLine line(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(line.bCreateTransitionFunction(1, 10, 40, 2, 0, nullptr));
    // Mean 10 -> 60 enters; mean 35 -> 40 deviates by 5 and stays; mean 50 -> 30 deviates by 20
    // and leaves; mean 35 -> 80 enters again, mean 55 -> 60 stays, mean 70 -> 35 leaves; and a
    // deviation of exactly the enter threshold (mean 47 -> 87) does not enter.
    EXPECT_EQ(Evaluate(line, {10, 10, 60, 40, 30, 80, 60, 35, 87}),
              (std::vector<bool>{false, false, true, true, false, true, true, false, false}));
}

TEST(TransitionFunctionTest, SignedDeviationSelectsTheDirection) {
    ProbedLine falling(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(falling.bCreateTransitionFunction(2, -10, -30, 2, 0, nullptr));
    // A rise never enters; a fall of more than 30 does (mean 200 -> 160); it stays while the
    // deviation is at least -10 (mean 180 -> 175) and leaves on a further fall (mean 167 -> 120).
    EXPECT_EQ(Evaluate(falling, {100, 100, 200, 200, 200, 160, 175, 120}),
              (std::vector<bool>{false, false, false, false, false, true, true, false}));

    ProbedLine rising(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(rising.bCreateTransitionFunction(2, 5, 30, 2, 0, nullptr));
    // A fall never enters; a rise of more than 30 does (mean 50 -> 131); it stays while the
    // deviation is at most 5 (mean 90 -> 93) and leaves above it (mean 112 -> 140).
    EXPECT_EQ(Evaluate(rising, {100, 100, 50, 50, 131, 93, 140}),
              (std::vector<bool>{false, false, false, false, true, true, false}));
}

// A marker among the previous values, or as the value, freezes the answer: for the marker's own
// evaluation and the next `depth` evaluations.
TEST(TransitionFunctionTest, MarkerFreezesTheAnswerForDepthEvaluations) {
    for (int depth : {1, 2, 3, 10}) {
        ProbedLine line(OVector(0, 0), OVector(10, 0));
        ASSERT_TRUE(line.bCreateTransitionFunction(1, 255, 40, depth, 0, nullptr));
        std::vector<int> values(depth, 10);
        values.push_back(100);  // enters
        EXPECT_TRUE(Evaluate(line, values).back()) << depth;

        // Re-set up, fill, then a marker: frozen at false although 200 would enter.
        ASSERT_TRUE(line.bCreateTransitionFunction(1, 255, 40, depth, 0, nullptr));
        std::vector<int> withMarker(depth, 10);
        withMarker.push_back(kMarker);
        withMarker.insert(withMarker.end(), depth, 200);
        for (bool answer : Evaluate(line, withMarker)) {
            EXPECT_FALSE(answer) << depth;
        }
        // The marker has left the history: 10 below a mean of 200 enters.
        EXPECT_TRUE(line.IsInTransitionThreshold(10)) << depth;
    }
}

// The mean of depths 2 and 4 is a shift (rounding down), of the other depths a truncating
// division; they differ only for negative sums, which grey values never give but a caller's
// values can.
TEST(TransitionFunctionTest, MeanShiftsForDepthsTwoAndFourAndDividesOtherwise) {
    ProbedLine two(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(two.bCreateTransitionFunction(2, 255, 1, 2, 0, nullptr));
    // History -1, -2: the mean is -3 >> 1 = -2, so 0 deviates by 2 > 1 and enters (a truncating
    // division would give -1 and a deviation of 1).
    EXPECT_EQ(Evaluate(two, {-1, -2, 0}), (std::vector<bool>{false, false, true}));

    ProbedLine three(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(three.bCreateTransitionFunction(2, 255, 1, 3, 0, nullptr));
    // History -1, -1, -2: the mean is -4 / 3 = -1 (toward zero), so 0 deviates by 1: no entry.
    EXPECT_EQ(Evaluate(three, {-1, -1, -2, 0}), (std::vector<bool>{false, false, false, false}));
}

TEST(TransitionFunctionTest, SetupOfTheBandKeepsHistoryAndHysteresis) {
    ProbedLine line(OVector(0, 0), OVector(10, 0));
    ASSERT_TRUE(line.bCreateTransitionFunction(1, 255, 40, 2, 0, nullptr));
    Evaluate(line, {10, 10, 100});
    ASSERT_TRUE(line.InTransition());
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 0, 10, 7, 7, nullptr));
    EXPECT_TRUE(line.InTransition());
    ASSERT_TRUE(line.bCreateTransitionFunction(2, 0, 10, 3, 0, nullptr));
    EXPECT_FALSE(line.InTransition());
}

TEST(TransitionFunctionTest, CannyTypeIsComputedOnceAlongThePath) {
    const auto image = StepImage();
    ProbedLine line(OVector(0.5, 1.5), OVector(29.5, 1.5));  // 29 steps, one per pixel
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, image));
    ExpectParams(line, {3, 10, 255, 2});  // the third parameter is left as it was
    EXPECT_EQ(line.SigmaIndex(), 2);
    ASSERT_EQ(line.CannyCount(), line.GetCount());
    // Dark before the rising edge (level 1), bright after it (level 0).
    line.MoveToIndex(2);
    EXPECT_TRUE(line.IsInTransitionThreshold(image));
    line.MoveToIndex(25);
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
    // The last position (index GetCount()) reads the last element; before the start, the first.
    line.MoveToIndex(line.GetCount());
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
    line.Reset();
    EXPECT_TRUE(line.IsInTransitionThreshold(image));
    // Every value is in threshold for the value overload.
    EXPECT_TRUE(line.IsInTransitionThreshold(kMarker));
    EXPECT_TRUE(line.IsInTransitionThreshold(-7));
}

TEST(TransitionFunctionTest, CannySetupClampsTheSigmaIndexAndNeedsAnImage) {
    const auto image = StepImage();
    ProbedLine line(OVector(0.5, 1.5), OVector(29.5, 1.5));
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, -5, image));
    EXPECT_EQ(line.SigmaIndex(), 0);
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 99, image));
    EXPECT_EQ(line.SigmaIndex(), 12);
    ASSERT_GT(line.CannyCount(), 0);

    // A rejected set-up of type 3 has already emptied the function and changes nothing else.
    EXPECT_FALSE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, nullptr));
    EXPECT_EQ(line.CannyCount(), 0);
    EXPECT_EQ(line.SigmaIndex(), 12);
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, image));
    EXPECT_FALSE(line.bCreateTransitionFunction(3, 0, 0, 0, 2, image));
    EXPECT_FALSE(line.bCreateTransitionFunction(3, 256, 0, 0, 2, image));
    EXPECT_EQ(line.CannyCount(), 0);
    ExpectParams(line, {3, 10, 255, 2});

    // A successful set-up of another type empties it as well.
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, image));
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 0, 128, 0, 0, image));
    EXPECT_EQ(line.CannyCount(), 0);
    EXPECT_EQ(line.SigmaIndex(), 1);
}

// A path with one listed position: the function has one element, read at index 0 only.
TEST(TransitionFunctionTest, CannyOnOnePositionAnswersOnlyAtThatPosition) {
    auto image = std::make_shared<OType_Image>(4, 4);
    image->SetPixel_Grey(1, 1, 200);
    ProbedLine line(OVector(1.5, 1.5), OVector(2.5, 1.5));  // one step: lists position 0
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 1, 0, 0, 2, image));
    ASSERT_EQ(line.CannyCount(), 1);
    const bool atZero = line.CannyAt(0) > 0;
    line.MoveToIndex(0);
    EXPECT_EQ(line.IsInTransitionThreshold(image), atZero);
    line.MoveToIndex(1);
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
    line.Reset();
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
}

TEST(TransitionFunctionTest, ImageEvaluationReadsTheCurrentPixel) {
    const auto image = StepImage();
    ProbedLine line(OVector(0.5, 1.5), OVector(29.5, 1.5));
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 0, 100, 0, 0, image));
    line.MoveToIndex(3);
    EXPECT_TRUE(line.IsInTransitionThreshold(image));
    line.MoveToIndex(12);
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
    // Outside the image the marker lies below every band.
    ProbedLine outside(OVector(-5.5, 1.5), OVector(-1.5, 1.5));
    ASSERT_TRUE(outside.bCreateTransitionFunction(0, 0, 100, 0, 0, image));
    outside.MoveToIndex(1);
    EXPECT_FALSE(outside.IsInTransitionThreshold(image));
    // Without an image the grey types fall back to the (empty) Canny function: false.
    EXPECT_FALSE(line.IsInTransitionThreshold(std::shared_ptr<OType_Image>()));
}

}  // namespace
