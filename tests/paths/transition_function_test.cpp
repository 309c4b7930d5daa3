// The transition function of a path: set-up rules, the grey band, the moving-mean hysteresis of
// both deviation types with their markers, and the Canny type looked up by index.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kMarker = INT_MIN;

// A line that lets the tests see the fields the transition function keeps.
class ProbedLine : public OVectorPath_Line {
  public:
    ProbedLine() : OVectorPath_Line(OVector(0.5, 0.5), OVector(29.5, 0.5)) {}  // one step a pixel
    using OVectorPath_Line::OVectorPath_Line;
    int SigmaIndex() const { return m_iSigmaIndex; }
    int CannyCount() const { return m_iaCannyTransitions.iGetCount(); }
    void SetCannyAt(int i, int value) { m_iaCannyTransitions.SetAt(i, value); }
    std::array<int, 4> Params() const {
        std::array<int, 4> p{};
        GetTransitionFunctionParams(p[0], p[1], p[2], p[3]);
        return p;
    }
    bool InThresholdAt(int index, const std::shared_ptr<OType_Image>& image) {
        OVector unused;
        MoveTo(index, unused);
        return IsInTransitionThreshold(image);
    }
};

// Answers of consecutive evaluations of grey values, "1" for in threshold.
std::string Evaluate(OVectorPath& path, const std::vector<int>& values) {
    std::string answers;
    for (int value : values) {
        answers += path.IsInTransitionThreshold(value) ? '1' : '0';
    }
    return answers;
}

// One row: dark (20) up to x = 9, bright (220) from x = 10 on.
std::shared_ptr<OType_Image> StepImage() {
    auto image = std::make_shared<OType_Image>(30, 1);
    for (int x = 0; x < 30; ++x) {
        image->SetPixel_Grey(x, 0, x < 10 ? 20 : 220);
    }
    return image;
}

TEST(TransitionFunctionTest, BandIncludesBothBoundsAndRejectsBadSetups) {
    ProbedLine line;
    EXPECT_EQ(Evaluate(line, {128, 129}), "10");  // default 0..128
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 50, 50, 9, 9, nullptr));
    EXPECT_EQ(line.Params(), (std::array<int, 4>{0, 50, 50, 2}));
    EXPECT_EQ(Evaluate(line, {49, 50, 51, kMarker}), "0100");

    const std::array<int, 4> rejected[] = {
        {0, 60, 50, 0}, {0, 0, 256, 0}, {0, -1, 10, 0}, {4, 0, 10, 2},    {-1, 0, 10, 2},
        {1, 0, 256, 2}, {1, 0, 40, 0},  {1, 0, 40, 11}, {2, -256, 40, 2}, {2, 0, 40, 11}};
    for (const auto& p : rejected) {
        EXPECT_FALSE(line.bCreateTransitionFunction(p[0], p[1], p[2], p[3], 0, nullptr))
            << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
        EXPECT_EQ(line.Params(), (std::array<int, 4>{0, 50, 50, 2}));
    }
}

// Sequences of grey values through the moving-mean types, from a fresh set-up: the first `depth`
// values fill the history and answer false.
TEST(TransitionFunctionTest, MovingMeanHysteresis) {
    struct Case {
        const char* what;
        int type, leave, enter, depth;
        std::vector<int> values;
        std::string answers;
    };
    const Case cases[] = {
        // 60 lies 50 above the mean 10 and enters; no deviation exceeds 255, so it stays.
        {"absolute, no leaving", 1, 255, 40, 2, {10, 10, 60, 200, 0, 255}, "001111"},
        // Mean 35 -> 40 stays (5); mean 50 -> 30 leaves (20); mean 35 -> 80 enters, mean 55 -> 60
        // stays, mean 70 -> 35 leaves; a deviation of exactly 40 (mean 47 -> 87) does not enter.
        {"absolute, leave 10", 1, 10, 40, 2, {10, 10, 60, 40, 30, 80, 60, 35, 87}, "001101100"},
        // A rise never enters; a fall below -30 does (mean 200 -> 160), it stays while the
        // deviation is at least -10 (mean 180 -> 175) and leaves on a further fall (167 -> 120).
        {"signed, falling", 2, -10, -30, 2, {100, 100, 200, 200, 200, 160, 175, 120}, "00000110"},
        // A fall never enters; a rise above 30 does (mean 50 -> 131), it stays while the deviation
        // is at most 5 (mean 90 -> 93) and leaves above it (mean 112 -> 140).
        {"signed, rising", 2, 5, 30, 2, {100, 100, 50, 50, 131, 93, 140}, "0000110"},
        // Thresholds of 0 are rises: -1 below the mean 100 does not enter, +2 above 99 does,
        // and +1 above 100 leaves.
        {"signed, thresholds 0", 2, 0, 0, 2, {100, 100, 99, 101, 101}, "00010"},
        // The mean of depths 2 and 4 is a shift (rounding down), of other depths a truncating
        // division: they differ for negative sums, which a caller's values can give. -3 >> 1 = -2,
        // so 0 deviates by 2 and enters; -4 / 3 = -1, so 0 deviates by 1 and does not.
        {"depth 2 shifts", 2, 255, 1, 2, {-1, -2, 0}, "001"},
        {"depth 3 divides", 2, 255, 1, 3, {-1, -1, -2, 0}, "0000"},
        // A marker among the previous values, or as the value, freezes the answer for its own
        // evaluation and the next `depth` ones: each 200 would enter without it. Once it has left
        // the history, 10 below a mean of 200 enters.
        {"marker, depth 1", 1, 255, 40, 1, {10, kMarker, 200, 10}, "0001"},
        {"marker, depth 3", 1, 255, 40, 3, {10, 10, 10, kMarker, 200, 200, 200, 10}, "00000001"},
    };
    for (const Case& c : cases) {
        ProbedLine line;
        ASSERT_TRUE(line.bCreateTransitionFunction(c.type, c.leave, c.enter, c.depth, 0, nullptr));
        EXPECT_EQ(Evaluate(line, c.values), c.answers) << c.what;
    }
}

TEST(TransitionFunctionTest, CannyTypeIsComputedOnceAndLookedUpByIndex) {
    const auto image = StepImage();
    ProbedLine line;
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, image));
    // The third parameter is left as it was; the function has one element per listed position.
    EXPECT_EQ(std::make_tuple(line.Params(), line.SigmaIndex(), line.CannyCount()),
              std::make_tuple(std::array<int, 4>{3, 10, 255, 2}, 2, line.GetCount()));
    // Dark before the edge (1), bright after it (0); the last position (index GetCount()) reads
    // the last element, before the start the first.
    EXPECT_TRUE(line.InThresholdAt(2, image) && !line.InThresholdAt(25, image) &&
                !line.InThresholdAt(line.GetCount(), image));
    line.Reset();
    EXPECT_TRUE(line.IsInTransitionThreshold(image));
    EXPECT_EQ(Evaluate(line, {kMarker, -7}), "11");

    // The sigma index is clamped; set-ups of other types empty the function and reset it to 1.
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, -5, image));
    EXPECT_EQ(line.SigmaIndex(), 0);
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 99, image));
    EXPECT_EQ(line.SigmaIndex(), 12);
    ASSERT_TRUE(line.bCreateTransitionFunction(0, 0, 128, 0, 0, image));
    EXPECT_EQ(line.CannyCount(), 0);
    EXPECT_EQ(line.SigmaIndex(), 1);

    // A rejected set-up of type 3 has already emptied the function, and changes nothing else.
    for (const auto& [threshold, source] : {std::pair{10, std::shared_ptr<OType_Image>()},
                                            std::pair{0, image}, std::pair{256, image}}) {
        ASSERT_TRUE(line.bCreateTransitionFunction(3, 10, 0, 0, 2, image));
        EXPECT_FALSE(line.bCreateTransitionFunction(3, threshold, 0, 0, 7, source)) << threshold;
        EXPECT_EQ(line.CannyCount(), 0) << threshold;
        EXPECT_EQ(line.SigmaIndex(), 2) << threshold;
    }
}

// A path with one listed position: the function has one element, read at index 0 only. Canny
// finds no edge in one sample, so the element is made positive by hand. Then the image
// evaluations that have no pixel to read.
TEST(TransitionFunctionTest, EvaluationsAtTheEdges) {
    const auto image = std::make_shared<OType_Image>(4, 4);
    ProbedLine line(OVector(1.5, 1.5), OVector(2.5, 1.5));  // one step: lists position 0
    ASSERT_TRUE(line.bCreateTransitionFunction(3, 1, 0, 0, 2, image));
    ASSERT_EQ(line.CannyCount(), 1);
    line.SetCannyAt(0, 1);
    EXPECT_TRUE(line.InThresholdAt(0, image));
    EXPECT_FALSE(line.InThresholdAt(1, image));
    line.Reset();
    EXPECT_FALSE(line.IsInTransitionThreshold(image));
    // Outside the image the marker lies below every band; without an image the grey types fall
    // back to the (empty) Canny function. Both answer false.
    ProbedLine outside(OVector(-5.5, 0.5), OVector(-1.5, 0.5));
    EXPECT_FALSE(outside.InThresholdAt(1, StepImage()) ||
                 outside.IsInTransitionThreshold(std::shared_ptr<OType_Image>()));
}

}  // namespace
