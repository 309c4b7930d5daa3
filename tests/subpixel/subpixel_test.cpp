// OSubpixelCalculation: the step-edge offsets of the six-tap chain, each filter of the chain on
// hand-computed values and on arguments outside its arrays, the path query with every kind of bad
// input, the angle on lines and circles, and the accuracy on blurred edges drawn at known
// sub-pixel positions.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"

// Reaches the private filter chain (a friend of OSubpixelCalculation).
struct OSubpixelCalculationTestAccess {
    static int Transition(int* grey, int count, int fallback, int maxGrey, double* position) {
        return OSubpixelCalculation::iSubPixelTransition_6Tap(grey, count, fallback, maxGrey, 1,
                                                              position);
    }
    static void SixTap(int* grey, int count, unsigned int* out, int* outCount) {
        OSubpixelCalculation::SixTapFilter_fp(grey, count, out, outCount);
    }
    static void Mean(unsigned int* in, int count, unsigned int* out, unsigned int clamp) {
        OSubpixelCalculation::MeanFilter_fp(in, count, out, clamp);
    }
    static void Linear(unsigned int* in, int count, unsigned int* out, int* outCount) {
        OSubpixelCalculation::LinearInterpolation_fp(in, count, out, outCount);
    }
    static void Deviation(unsigned int* in, int count, unsigned int* out) {
        OSubpixelCalculation::FirstDeviation_fp(in, count, out);
    }
    static void Peak(unsigned int* in, int count, double* peak) {
        OSubpixelCalculation::GetPeakValue_fp(in, count, peak);
    }
};

namespace {

using Access = OSubpixelCalculationTestAccess;
using Words = std::vector<unsigned int>;
using Profile = std::array<int, 7>;

// Blurred edges drawn at known positions are found to within this many pixels of the edge plus
// the chain's documented eighth-sample lag (see AccuracyTest). The result moves in eighths of a
// sample; the worst error observed over the blurs, edge positions and indices tested is 0.15.
constexpr double kEdgeTolerance = 0.16;

constexpr int kMethod = OSubpixelCalculation::kMethodSixTap;
constexpr unsigned int kOne = 65536;  // one grey level in 16.16
constexpr unsigned int kFull = 255 * kOne;
constexpr unsigned int kCanary = 0xDEADBEEFu;
// Output values that every failure must leave as they are.
const OVector kSentinelPoint(std::int64_t{-777}, std::int64_t{-777});
constexpr double kSentinelAngle = 7.0;

std::string Show(const Profile& grey) {
    std::string text;
    for (int g : grey) {
        text += std::to_string(g) + " ";
    }
    return text;
}

// A grey image of `height` rows that all hold `row`.
OType_Image ImageOfRow(const std::vector<int>& row, int height) {
    OType_Image image(static_cast<int>(row.size()), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < static_cast<int>(row.size()); ++x) {
            image.SetPixel_Grey(x, y, row[static_cast<std::size_t>(x)]);
        }
    }
    return image;
}

// A row that holds `grey` at pixels first..first + 6 and repeats its end values outside them.
std::vector<int> RowAround(const Profile& grey, int first, int width) {
    std::vector<int> row(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        const int k = x < first ? 0 : (x > first + 6 ? 6 : x - first);
        row[static_cast<std::size_t>(x)] = grey[static_cast<std::size_t>(k)];
    }
    return row;
}

// A horizontal line through the pixel centres of row 0: position i is the centre of pixel i.
OVectorPath_Line RowLine(int steps) {
    return OVectorPath_Line(OVector(0.5, 0.5), OVector(steps + 0.5, 0.5));
}

struct Outputs {
    OVector point = kSentinelPoint;
    double angle = kSentinelAngle;
    bool Untouched() const { return point == kSentinelPoint && angle == kSentinelAngle; }
};

int Refine(OType_Image* image, OVectorPath* path, int method, int index, Outputs& out) {
    return OSubpixelCalculation::CalculateTransitionOnPath(image, path, method, index, out.point,
                                                           out.angle);
}

// ---------------------------------------------------------------------------------------------
// Step edges: the offsets of the chain, on its own and along a line.

struct StepCase {
    const char* name;
    Profile grey;
    double offset;  // sample units; the chain's quarter-sample peak divided by 4
};

std::ostream& operator<<(std::ostream& os, const StepCase& c) {
    return os << c.name;
}

class StepEdgeTest : public testing::TestWithParam<StepCase> {};

TEST_P(StepEdgeTest, ChainGivesTheOffsetForEitherPolarity) {
    Profile grey = GetParam().grey;
    Profile inverted;
    for (std::size_t k = 0; k < grey.size(); ++k) {
        inverted[k] = 255 - grey[k];
    }
    for (Profile* profile : {&grey, &inverted}) {
        double position = -1.0;
        EXPECT_EQ(Access::Transition(profile->data(), 7, 3, 255, &position), 1) << Show(*profile);
        EXPECT_EQ(position, GetParam().offset) << Show(*profile);
    }
}

TEST_P(StepEdgeTest, LineAnswersThePointAtTheRefinedIndexAndAngleZero) {
    constexpr int kSteps = 20;
    constexpr int kIndex = 10;  // samples at pixels 7..13
    OType_Image image = ImageOfRow(RowAround(GetParam().grey, kIndex - 3, kSteps + 1), 1);
    OVectorPath_Line line = RowLine(kSteps);
    Outputs out;
    ASSERT_EQ(Refine(&image, &line, kMethod, kIndex, out), 1);
    // Position i lies at x = i + 0.5; the refined index is (index - 3) + offset.
    EXPECT_EQ(out.point.dX(), kIndex - 3 + GetParam().offset + 0.5);
    EXPECT_EQ(out.point.dY(), 0.5);
    EXPECT_EQ(out.angle, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepEdgeTest,
    testing::Values(StepCase{"StepBetween3And4", {0, 0, 0, 0, 255, 255, 255}, 3.625},
                    StepCase{"HalfGreyAt3", {0, 0, 0, 128, 255, 255, 255}, 3.125},
                    StepCase{"FallingBetween2And3", {255, 255, 255, 0, 0, 0, 0}, 2.625},
                    StepCase{"RisingBetween2And3", {0, 0, 0, 255, 255, 255, 255}, 2.625}),
    [](const testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

TEST(SubpixelChainTest, ConstantProfileHasNoPeak) {
    for (int grey : {0, 77, 255}) {
        Profile flat;
        flat.fill(grey);
        double position = -1.0;
        EXPECT_EQ(Access::Transition(flat.data(), 7, 3, 255, &position), 0) << grey;
        EXPECT_EQ(position, 3.0) << "the fallback, grey " << grey;

        constexpr int kIndex = 5;
        OType_Image image = ImageOfRow(RowAround(flat, kIndex - 3, 11), 1);
        OVectorPath_Line line = RowLine(10);
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, kIndex, out), 0) << grey;
        EXPECT_TRUE(out.Untouched()) << grey;
    }
}

// ---------------------------------------------------------------------------------------------
// The filters of the chain on values worked out by hand from their definitions.

// A half-sample value from a six-tap sum in grey units: the sum / 32 in 16.16.
unsigned int HalfValue(int sum) {
    return static_cast<unsigned int>(sum) * (kOne / 32);
}

TEST(SubpixelChainTest, SixTapKeepsSamplesAndFiltersTheGapsWithoutTopClamp) {
    Profile grey = {0, 0, 0, 0, 255, 255, 255};
    Words out(13, kCanary);
    int count = 0;
    Access::SixTap(grey.data(), 7, out.data(), &count);
    ASSERT_EQ(count, 13);
    // Samples at even indices; the gaps by hand from (1, -5, 20, 20, -5, 1) with the end samples
    // repeated beyond the profile.
    const Words expected = {
        0,     HalfValue(0),         // gap 0-1: all taps dark
        0,     HalfValue(255),       // gap 1-2: the step reaches the last tap
        0,     HalfValue(0),         // gap 2-3: undershoot (-5 + 1) * 255 gives 0
        0,     HalfValue(16 * 255),  // gap 3-4: on the step
        kFull, HalfValue(36 * 255),  // gap 4-5: overshoot to about 287 grey, kept
        kFull, HalfValue(31 * 255),  // gap 5-6: sample 6 repeated beyond the end
        kFull,
    };
    EXPECT_EQ(out, expected);
}

TEST(SubpixelChainTest, MeanCopiesTheEndsAndClampsTheInsideRoundingDown) {
    Words in = {400 * kOne, 400 * kOne, 100 * kOne, 0, 7};
    Words out(5, kCanary);
    Access::Mean(in.data(), 5, out.data(), kFull);
    // 900/3 grey clamps to 255; 500/3 grey and (100 grey + 7)/3 round down.
    const Words expected = {400 * kOne, kFull, 10922666u, 2184535u, 7};
    EXPECT_EQ(out, expected);
}

TEST(SubpixelChainTest, DeviationIsTheSmoothedMagnitudeWithZeroEnds) {
    struct Case {
        const char* name;
        Words in;
        Words expected;
    };
    const Case cases[] = {
        // Magnitudes 0, 3, 6, 0 and a forced 0 at the end (where |0 - 9| would be 9), then the
        // mean.
        {"rise and fall",
         {0, 3 * kOne, 9 * kOne, 9 * kOne, 0},
         {0, 3 * kOne, 3 * kOne, 2 * kOne, 0}},
        // A difference of exactly 2^31 keeps its magnitude, and the mean clamps at full grey.
        {"difference 2^31", {0, 0, 0x80000000u, 0x80000000u, 0}, {0, kFull, kFull, kFull, 0}},
    };
    for (const Case& c : cases) {
        Words in = c.in;
        Words out(in.size(), kCanary);
        Access::Deviation(in.data(), static_cast<int>(in.size()), out.data());
        EXPECT_EQ(out, c.expected) << c.name;
    }
}

TEST(SubpixelChainTest, PeakIsTheCentreOfTheNinetyPercentBand) {
    struct Case {
        const char* name;
        Words in;
        double peak;
    };
    const Words seven20 = Words(7, 20);
    Words wideLeft = {0, 0, 0};  // 20 at 3..9, the maximum 21 at 10
    wideLeft.insert(wideLeft.end(), seven20.begin(), seven20.end());
    wideLeft.insert(wideLeft.end(), {21, 0, 0});
    Words wideRight = {0, 0, 21};  // the maximum at 2, 20 at 3..9
    wideRight.insert(wideRight.end(), seven20.begin(), seven20.end());
    wideRight.insert(wideRight.end(), {0, 0});
    const Case cases[] = {
        {"all zero", {0, 0, 0, 0, 0}, -1.0},
        {"maximum at index 1", {0, 9, 5, 0}, -1.0},
        {"first of equal maxima", {0, 0, 10, 8, 10, 0}, 2.0},
        // 90 % of 15 is 13.5: the threshold truncates to 13, so 13 is inside the band.
        {"threshold truncated", {0, 0, 13, 15, 0}, 2.5},
        // 19 at 1 and 2 stay above 18, and index 0 is never looked at: the side ends at the
        // maximum, not at 1.
        {"no value below on the left", {0, 19, 19, 20, 0}, 3.0},
        // Seven values to each side are looked at; the eighth is not.
        {"left side beyond reach", wideLeft, 10.0},
        {"right side beyond reach", wideRight, 2.0},
    };
    for (const Case& c : cases) {
        Words in = c.in;
        double peak = 99.0;
        Access::Peak(in.data(), static_cast<int>(in.size()), &peak);
        EXPECT_EQ(peak, c.peak) << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// Arguments outside the arrays of the chain: nothing is read or written out of bounds.

TEST(SubpixelChainTest, EveryMemberRejectsCountsOutsideItsArraysAndNullPointers) {
    std::vector<int> grey(32, 100);
    Words in(32, kOne);
    Words out(32, kCanary);
    int outCount = -5;
    double value = 99.0;
    // Each list ends with the first count beyond the member's array (7 samples, 13 half-sample,
    // 25 quarter-sample values).
    for (int count : {0, -1, INT_MIN, INT_MAX, 8}) {
        Access::SixTap(grey.data(), count, out.data(), &outCount);
        EXPECT_EQ(outCount, 0) << "six-tap, count " << count;
        EXPECT_EQ(Access::Transition(grey.data(), count, 3, 255, &value), 0) << count;
        EXPECT_EQ(value, 3.0) << "the fallback, count " << count;
    }
    for (int count : {0, -1, INT_MIN, INT_MAX, 14}) {
        outCount = -5;
        Access::Linear(in.data(), count, out.data(), &outCount);
        EXPECT_EQ(outCount, 0) << "interpolation, count " << count;
    }
    for (int count : {0, -1, INT_MIN, INT_MAX, 26}) {
        Access::Mean(in.data(), count, out.data(), kFull);
        Access::Deviation(in.data(), count, out.data());
        Access::Peak(in.data(), count, &value);
        EXPECT_EQ(value, -1.0) << "peak, count " << count;
    }
    EXPECT_EQ(out, Words(32, kCanary)) << "nothing written for a count outside the arrays";

    outCount = -5;
    Access::SixTap(nullptr, 7, out.data(), &outCount);
    EXPECT_EQ(outCount, 0);
    Access::SixTap(grey.data(), 7, nullptr, &outCount);
    Access::SixTap(grey.data(), 7, out.data(), nullptr);
    Access::Linear(nullptr, 13, out.data(), &outCount);
    Access::Linear(in.data(), 13, out.data(), nullptr);
    Access::Mean(nullptr, 25, out.data(), kFull);
    Access::Mean(in.data(), 25, nullptr, kFull);
    Access::Deviation(nullptr, 25, out.data());
    Access::Deviation(in.data(), 25, nullptr);
    Access::Peak(in.data(), 25, nullptr);
    EXPECT_EQ(Access::Transition(grey.data(), 7, 3, 255, nullptr), 0);
    EXPECT_EQ(out, Words(32, kCanary)) << "nothing written for a null pointer";
    Access::Peak(nullptr, 25, &value);
    EXPECT_EQ(value, -1.0);
    value = 99.0;
    EXPECT_EQ(Access::Transition(nullptr, 7, 3, 255, &value), 0);
    EXPECT_EQ(value, 3.0);
}

TEST(SubpixelChainTest, GreyValuesBeyondAByteWrapWithoutOverflow) {
    // Not reachable from an image; the sums wrap around in 32 bits instead of overflowing.
    const Profile cases[] = {
        {INT_MIN, INT_MAX, -1, 256, 1000, INT_MAX, 0},
        {INT_MAX, INT_MAX, INT_MAX, INT_MIN, INT_MIN, INT_MIN, INT_MIN},
        {-255, -255, -255, 0, 0, 0, 0},
    };
    for (Profile grey : cases) {
        double position = -1.0;
        Access::Transition(grey.data(), 7, 3, INT_MAX, &position);
        EXPECT_GE(position, 0.0) << Show(grey);
        EXPECT_LE(position, 6.0) << Show(grey);
    }
}

// ---------------------------------------------------------------------------------------------
// The path query: bad input, index limits, samples outside the image, refusing paths.

// A line that counts its integer queries, each of which leads to one image read, and may
// pretend to a different step count.
class CountingLine : public OVectorPath_Line {
  public:
    using OVectorPath_Line::GetVectorAt;
    using OVectorPath_Line::OVectorPath_Line;
    bool GetVectorAt(int iIndex, OVector& v) override {
        ++queries;
        return OVectorPath_Line::GetVectorAt(iIndex, v);
    }
    int GetCount() override {
        return countOverride ? *countOverride : OVectorPath_Line::GetCount();
    }

    int queries = 0;
    const int* countOverride = nullptr;
};

// A line that refuses its fractional point or, after writing garbage, its fractional angle.
class RefusingLine : public OVectorPath_Line {
  public:
    enum class Refuses { Point, Angle };
    RefusingLine(OVector start, OVector end, Refuses what)
        : OVectorPath_Line(start, end), m_refuses(what) {}
    using OVectorPath_Line::GetAngle_RadAt;
    using OVectorPath_Line::GetVectorAt;
    bool GetVectorAt(double dIndex, OVector& v) override {
        if (m_refuses == Refuses::Point) {
            return false;
        }
        return OVectorPath_Line::GetVectorAt(dIndex, v);
    }
    bool GetAngle_RadAt(double, double& dAngle) override {
        dAngle = -1.0;
        return m_refuses != Refuses::Angle;
    }

  private:
    Refuses m_refuses;
};

// Ten steps over an eleven-pixel row: every position 0..10 reads a pixel, and the step lies
// between pixels 4 and 5 so that the first and the last accepted index both find it.
constexpr int kLimitSteps = 10;
const std::vector<int> kLimitRow = {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255};

TEST(SubpixelPathTest, IndicesWithinThreeOfEitherEndAnswerZeroWithoutReadingTheImage) {
    OType_Image image = ImageOfRow(kLimitRow, 1);
    CountingLine line(OVector(0.5, 0.5), OVector(kLimitSteps + 0.5, 0.5));
    for (int index : {3, kLimitSteps - 4}) {
        line.queries = 0;
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, index, out), 1) << index;
        EXPECT_EQ(line.queries, 7) << index;
    }
    for (int index : {2, kLimitSteps - 3, kLimitSteps, kLimitSteps + 1, 0, -1, INT_MIN, INT_MAX}) {
        line.queries = 0;
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, index, out), 0) << index;
        EXPECT_EQ(line.queries, 0) << index;
        EXPECT_TRUE(out.Untouched()) << index;
    }
    // Step counts whose limit n - 3 would overflow an int, and an unbuilt circle (count -1).
    for (int count : {INT_MIN, INT_MIN + 2, -1, 6}) {
        line.countOverride = &count;
        line.queries = 0;
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, 3, out), 0) << count;
        EXPECT_EQ(line.queries, 0) << count;
    }
    OVectorPath_Circle unbuilt;
    Outputs out;
    EXPECT_EQ(Refine(&image, &unbuilt, kMethod, 3, out), 0);
    EXPECT_TRUE(out.Untouched());
}

TEST(SubpixelPathTest, BadArgumentsAnswerZeroAndLeaveTheOutputs) {
    OType_Image image = ImageOfRow(kLimitRow, 1);
    OVectorPath_Line line = RowLine(kLimitSteps);
    constexpr int kIndex = 4;
    Outputs control;
    ASSERT_EQ(Refine(&image, &line, kMethod, kIndex, control), 1) << "the setup itself refines";

    struct Case {
        const char* name;
        OType_Image* image;
        OVectorPath* path;
        int method;
    };
    const Case cases[] = {
        {"method 0", &image, &line, 0},          {"method 2", &image, &line, 2},
        {"method -1", &image, &line, -1},        {"null image", nullptr, &line, kMethod},
        {"null path", &image, nullptr, kMethod},
    };
    for (const Case& c : cases) {
        Outputs out;
        EXPECT_EQ(Refine(c.image, c.path, c.method, kIndex, out), 0) << c.name;
        EXPECT_TRUE(out.Untouched()) << c.name;
    }
}

TEST(SubpixelPathTest, SampleOutsideTheImageAnswersZero) {
    OType_Image image = ImageOfRow(kLimitRow, 1);
    struct Case {
        const char* name;
        OVector start;
        OVector end;
        int index;
    };
    const Case cases[] = {
        {"first sample left of the image", OVector(-0.5, 0.5), OVector(14.5, 0.5), 3},
        {"last sample right of the image", OVector(0.5, 0.5), OVector(14.5, 0.5), 8},
        {"all samples below the image", OVector(0.5, 1.5), OVector(10.5, 1.5), 4},
    };
    for (const Case& c : cases) {
        OVectorPath_Line line(c.start, c.end);
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, c.index, out), 0) << c.name;
        EXPECT_TRUE(out.Untouched()) << c.name;
    }
}

TEST(SubpixelPathTest, PathRefusingTheRefinedIndexLeavesTheOutputs) {
    OType_Image image = ImageOfRow(kLimitRow, 1);
    for (RefusingLine::Refuses what :
         {RefusingLine::Refuses::Point, RefusingLine::Refuses::Angle}) {
        RefusingLine line(OVector(0.5, 0.5), OVector(kLimitSteps + 0.5, 0.5), what);
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, kMethod, 4, out), 0);
        EXPECT_TRUE(out.Untouched()) << (what == RefusingLine::Refuses::Point ? "point" : "angle");
    }
}

TEST(SubpixelPathTest, CircleAnswersTheArcAngleAtTheRefinedIndex) {
    // A quarter arc from angle 0 to 90 degrees runs downwards through y = 60, where the image
    // turns from 0 to 255: the seven samples around the last dark position read 0, 0, 0, 0, 255,
    // 255, 255, whose offset is 3.625.
    constexpr int kSize = 100;
    constexpr int kBrightFromRow = 60;
    OType_Image image(kSize, kSize);
    for (int y = kBrightFromRow; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            image.SetPixel_Grey(x, y, 255);
        }
    }
    OVectorPath_Circle circle(OVector(50.0, 50.0), 20.0, 0.0, 90.0);
    int index = 0;
    OVector v;
    while (circle.GetVectorAt(index + 1, v) && v.iY() < kBrightFromRow) {
        ++index;
    }
    ASSERT_GE(index, 3);
    ASSERT_LT(index, circle.GetCount() - 3);

    Outputs out;
    ASSERT_EQ(Refine(&image, &circle, kMethod, index, out), 1);
    const double refined = index + 0.625;
    const double step = (90.0 * 3.141592653589793 / 180.0) / circle.GetCount();
    EXPECT_DOUBLE_EQ(out.angle, refined * step) << "index " << index;
    OVector expected;
    ASSERT_TRUE(circle.GetVectorAt(refined, expected));
    EXPECT_EQ(out.point, expected) << out.point.dX() << ", " << out.point.dY();
}

// ---------------------------------------------------------------------------------------------
// Accuracy by construction: Gaussian-blurred steps drawn at known sub-pixel positions.

struct BlurCase {
    double sigma;  // blur of the edge in pixels
    int low;
    int high;
};

std::ostream& operator<<(std::ostream& os, const BlurCase& c) {
    return os << "sigma " << c.sigma << ", " << c.low << " to " << c.high;
}

class AccuracyTest : public testing::TestWithParam<BlurCase> {};

TEST_P(AccuracyTest, BlurredStepIsFoundAnEighthOfAPixelAfterTheEdge) {
    // A horizontal line through the pixel centres of one row; the edge lies at x = edge, each
    // pixel holds the blurred step at its centre, rounded. The chain reports its gradient centre
    // an eighth of a sample late (the difference of quarter samples k - 1 and k is placed at k),
    // so the refined point is expected at edge + 1/8. The transition index is the position at or
    // just before the edge, and its neighbours on both sides, as a search may report any of them.
    constexpr int kSteps = 63;
    constexpr double kLag = 0.125;
    const BlurCase blur = GetParam();
    for (int tenth = 0; tenth < 10; ++tenth) {
        const double edge = 30.0 + tenth / 10.0;
        std::vector<int> row(kSteps + 1);
        for (int x = 0; x <= kSteps; ++x) {
            const double t = (x + 0.5 - edge) / (blur.sigma * std::sqrt(2.0));
            const double grey = blur.low + (blur.high - blur.low) * 0.5 * (1.0 + std::erf(t));
            row[static_cast<std::size_t>(x)] = static_cast<int>(std::lround(grey));
        }
        OType_Image image = ImageOfRow(row, 1);
        OVectorPath_Line line = RowLine(kSteps);
        const int found = static_cast<int>(std::floor(edge - 0.5));
        for (int index = found - 1; index <= found + 1; ++index) {
            Outputs out;
            ASSERT_EQ(Refine(&image, &line, kMethod, index, out), 1) << "edge " << edge;
            EXPECT_NEAR(out.point.dX(), edge + kLag, kEdgeTolerance)
                << "edge " << edge << ", index " << index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Blurs, AccuracyTest,
                         testing::Values(BlurCase{0.6, 0, 255}, BlurCase{1.0, 20, 220},
                                         BlurCase{1.0, 230, 40}, BlurCase{1.5, 50, 200}));

}  // namespace
