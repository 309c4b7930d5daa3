// OSubpixelCalculation: the step-edge offsets of the six-tap chain, its peak band, every filter of
// the chain on arguments outside its arrays, the path query with bad input, the angle on lines
// and circles, and the accuracy on blurred edges drawn at known sub-pixel positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/Angles.h"
#include "foundation/OType_Image.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "subpixel/OSubpixelCalculation.h"
#include "subpixel/SubpixelChain.h"

// The filter chain (subpixel/SubpixelChain.h), reached through the library's objects.
struct ChainAccess {
    static int Transition(int* grey, int count, int fallback, int maxGrey, double* position) {
        return subpixelchain::iSubPixelTransition_6Tap(grey, count, fallback, maxGrey, 1, position);
    }
    static void Peak(unsigned int* in, int count, double* peak) {
        subpixelchain::GetPeakValue_fp(in, count, peak);
    }
    static std::vector<unsigned int> Mean(std::vector<unsigned int> in, unsigned int clamp) {
        std::vector<unsigned int> out(in.size());
        subpixelchain::MeanFilter_fp(in.data(), static_cast<int>(in.size()), out.data(), clamp);
        return out;
    }
    static std::vector<unsigned int> Interpolate(std::vector<unsigned int> in) {
        std::vector<unsigned int> out(2 * in.size() - 1);
        int count = 0;
        subpixelchain::LinearInterpolation_fp(in.data(), static_cast<int>(in.size()), out.data(),
                                              &count);
        return out;
    }
};

namespace {

using Access = ChainAccess;
using Words = std::vector<unsigned int>;
using Profile = std::array<int, 7>;

// Blurred edges drawn at known positions are found to within this many pixels of the edge plus
// the chain's eighth-sample lag (see the accuracy test). The result moves in eighths of a
// sample; the worst error observed over the blurs, edge positions and indices tested is 0.15.
constexpr double kEdgeTolerance = 0.16;

constexpr int kMethod = OSubpixelCalculation::kMethodSixTap;
// Output values that every failure must leave as they are.
const OVector kSentinelPoint(std::int64_t{-777}, std::int64_t{-777});
constexpr double kSentinelAngle = 7.0;

// A one-row grey image holding `row`.
OType_Image ImageOfRow(const std::vector<int>& row) {
    OType_Image image(static_cast<int>(row.size()), 1);
    for (std::size_t x = 0; x < row.size(); ++x) {
        image.SetPixel_Grey(static_cast<int>(x), 0, row[x]);
    }
    return image;
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

int Refine(OType_Image* image, OVectorPath* path, int index, Outputs& out, int method = kMethod) {
    return OSubpixelCalculation::CalculateTransitionOnPath(image, path, method, index, out.point,
                                                           out.angle);
}

// Step edges of either polarity: the chain's offset (its quarter-sample peak divided by 4), and
// along a line the point at (index - 3) + offset with angle 0. A constant profile has no peak.
TEST(SubpixelStepTest, ChainAndLineGiveTheOffsetForEitherPolarity) {
    const std::pair<Profile, double> cases[] = {{{0, 0, 0, 0, 255, 255, 255}, 3.625},
                                                {{0, 0, 0, 128, 255, 255, 255}, 3.125},
                                                {{255, 255, 255, 0, 0, 0, 0}, 2.625},
                                                {{0, 0, 0, 255, 255, 255, 255}, 2.625},
                                                {{77, 77, 77, 77, 77, 77, 77}, -1.0}};
    constexpr int kIndex = 10;  // samples at pixels 7..13 of a 21-pixel row
    for (const auto& [grey, offset] : cases) {
        for (const int flip : {0, 255}) {  // the profile and its inverse
            Profile profile;
            for (std::size_t k = 0; k < 7; ++k) {
                profile[k] = std::abs(flip - grey[k]);
            }
            std::vector<int> row(21);
            for (int x = 0; x < 21; ++x) {
                row[x] = profile[std::clamp(x - (kIndex - 3), 0, 6)];
            }
            const bool hasPeak = offset >= 0.0;
            double position = -1.0;
            EXPECT_EQ(Access::Transition(profile.data(), 7, 3, 255, &position), hasPeak ? 1 : 0);
            EXPECT_EQ(position, hasPeak ? offset : 3.0) << "offset " << offset << ", flip " << flip;
            OType_Image image = ImageOfRow(row);
            OVectorPath_Line line = RowLine(20);
            Outputs out;
            ASSERT_EQ(Refine(&image, &line, kIndex, out), hasPeak ? 1 : 0) << offset;
            if (hasPeak) {
                EXPECT_EQ(out.point, OVector(kIndex - 3 + offset + 0.5, 0.5)) << offset;
                EXPECT_EQ(out.angle, 0.0) << offset;
            } else {
                EXPECT_TRUE(out.Untouched());
            }
        }
    }
}

TEST(SubpixelChainTest, PeakIsTheCentreOfTheNinetyPercentBand) {
    const std::pair<Words, double> cases[] = {
        {{0, 0, 0, 0, 0}, -1.0},
        {{0, 9, 5, 0}, -1.0},         // the maximum at index 1
        {{0, 0, 10, 8, 10, 0}, 2.0},  // the first of equal maxima
        {{0, 0, 13, 15, 0}, 2.5},     // 90 % of 15 truncates to 13: inside the band
        {{0, 19, 19, 20, 0}, 3.0},    // index 0 is never looked at
        {{0, 0, 21, 20, 20, 20, 20, 20, 20, 20, 0, 0}, 2.0}};  // seven to each side, not eight
    for (auto [in, expected] : cases) {
        double peak = 99.0;
        Access::Peak(in.data(), static_cast<int>(in.size()), &peak);
        EXPECT_EQ(peak, expected) << in.size() << " values";
    }
}

// The means of the chain round down, which on a gentle ramp (differences of a few units) moves
// values by one unit; the ends of the three-tap mean are copied unclamped.
TEST(SubpixelChainTest, MeansRoundDown) {
    EXPECT_EQ(Access::Mean({7, 0, 1, 4, 9}, 100), (Words{7, 2, 1, 4, 9}));
    EXPECT_EQ(Access::Mean({300, 200, 200, 300}, 210), (Words{300, 210, 210, 300}));
    EXPECT_EQ(Access::Interpolate({0, 3, 4, 6}), (Words{0, 1, 3, 3, 4, 5, 6}));
}

// Counts other than the chain's seven samples, null pointers and grey values beyond a byte
// (none reachable from an image): the fallback, nothing read out of bounds, no overflow.
TEST(SubpixelChainTest, BadArgumentsGiveTheFallbackWithoutReadingOutOfBounds) {
    std::vector<int> grey(32, 100);
    for (int count : {0, -1, INT_MIN, INT_MAX, 8}) {
        double value = 99.0;
        EXPECT_EQ(Access::Transition(grey.data(), count, 3, 255, &value), 0) << count;
        EXPECT_EQ(value, 3.0) << "the fallback, count " << count;
    }
    double value = 99.0;
    EXPECT_EQ(Access::Transition(nullptr, 7, 3, 255, &value), 0);
    EXPECT_EQ(value, 3.0);
    EXPECT_EQ(Access::Transition(grey.data(), 7, 3, 255, nullptr), 0);
    Words in(32, 65536);
    for (int count : {0, -1, INT_MIN, INT_MAX, 26}) {
        Access::Peak(in.data(), count, &value);
        EXPECT_EQ(value, -1.0) << "peak, count " << count;
    }
    Profile wild = {INT_MIN, INT_MAX, -1, 256, 1000, INT_MAX, 0};
    Access::Transition(wild.data(), 7, 3, INT_MAX, &value);
    EXPECT_TRUE(value >= 0.0 && value <= 6.0) << value;
}

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

// Ten steps over an eleven-pixel row: every position 0..10 reads a pixel, and the step lies
// between pixels 4 and 5 so that the first and the last accepted index both find it.
constexpr int kSteps = 10;
const std::vector<int> kStepRow = {0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255};

TEST(SubpixelPathTest, IndicesWithinThreeOfEitherEndAnswerZeroWithoutReadingTheImage) {
    OType_Image image = ImageOfRow(kStepRow);
    CountingLine line(OVector(0.5, 0.5), OVector(kSteps + 0.5, 0.5));
    for (int index : {3, kSteps - 4, 2, kSteps - 3, kSteps, 0, -1, INT_MIN, INT_MAX}) {
        line.queries = 0;
        Outputs out;
        const bool inside = index == 3 || index == kSteps - 4;
        EXPECT_EQ(Refine(&image, &line, index, out), inside ? 1 : 0) << index;
        EXPECT_EQ(line.queries, inside ? 7 : 0) << index;
        EXPECT_EQ(out.Untouched(), !inside) << index;
    }
    // Step counts whose limit n - 3 would overflow an int, and an unbuilt circle (count -1).
    for (int count : {INT_MIN, INT_MIN + 2, -1, 6}) {
        line.countOverride = &count;
        line.queries = 0;
        Outputs out;
        EXPECT_EQ(Refine(&image, &line, 3, out), 0) << count;
        EXPECT_EQ(line.queries, 0) << count;
    }
    OVectorPath_Circle unbuilt;
    Outputs out;
    EXPECT_EQ(Refine(&image, &unbuilt, 3, out), 0);
    EXPECT_TRUE(out.Untouched());
}

TEST(SubpixelPathTest, BadArgumentsAndSamplesOutsideTheImageAnswerZero) {
    OType_Image image = ImageOfRow(kStepRow);
    OVectorPath_Line line = RowLine(kSteps);
    OVectorPath_Line leftOfImage(OVector(-0.5, 0.5), OVector(14.5, 0.5));
    OVectorPath_Line rightOfImage(OVector(0.5, 0.5), OVector(14.5, 0.5));
    OVectorPath_Line belowImage(OVector(0.5, 1.5), OVector(10.5, 1.5));
    const struct {
        OType_Image* image;
        OVectorPath* path;
        int index, method;
    } cases[] = {{&image, &line, 4, 0},
                 {&image, &line, 4, 2},
                 {&image, &line, 4, -1},
                 {nullptr, &line, 4, kMethod},
                 {&image, nullptr, 4, kMethod},
                 {&image, &leftOfImage, 3, kMethod},
                 {&image, &rightOfImage, 8, kMethod},
                 {&image, &belowImage, 4, kMethod}};
    Outputs control;
    ASSERT_EQ(Refine(&image, &line, 4, control), 1) << "the setup itself refines";
    for (const auto& c : cases) {
        Outputs out;
        EXPECT_EQ(Refine(c.image, c.path, c.index, out, c.method), 0)
            << c.method << ", " << c.index;
        EXPECT_TRUE(out.Untouched()) << c.method << ", " << c.index;
    }
}

TEST(SubpixelPathTest, CircleAnswersTheArcAngleAtTheRefinedIndex) {
    // A quarter arc from angle 0 to 90 degrees runs downwards through y = 60, where the image
    // turns from 0 to 255: the seven samples around the last dark position read 0, 0, 0, 0, 255,
    // 255, 255, whose offset is 3.625.
    constexpr int kBrightFromRow = 60;
    OType_Image image(100, 100);
    for (int y = kBrightFromRow; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            image.SetPixel_Grey(x, y, 255);
        }
    }
    OVectorPath_Circle circle(OVector(50.0, 50.0), 20.0, 0.0, 90.0);
    int index = 0;
    for (OVector v; circle.GetVectorAt(index + 1, v) && v.iY() < kBrightFromRow;) {
        ++index;
    }
    Outputs out;
    ASSERT_EQ(Refine(&image, &circle, index, out), 1) << "index " << index;
    const double refined = index + 0.625;
    EXPECT_DOUBLE_EQ(out.angle, refined * angles::kHalfPi / circle.GetCount());
    OVector expected;
    ASSERT_TRUE(circle.GetVectorAt(refined, expected));
    EXPECT_EQ(out.point, expected) << out.point.dX() << ", " << out.point.dY();
}

// Gaussian-blurred steps drawn at known sub-pixel positions along a row; each pixel holds the
// blurred step at its centre, rounded. The chain reports its gradient centre an eighth of a
// sample late (the difference of quarter samples k - 1 and k is placed at k), so the refined
// point is expected at edge + 1/8. The transition index is the position at or just before the
// edge, and its neighbours on both sides, as a search may report any of them.
TEST(SubpixelAccuracyTest, BlurredStepIsFoundAnEighthOfAPixelAfterTheEdge) {
    constexpr int kRow = 63;
    constexpr double kLag = 0.125;
    const struct {
        double sigma;  // blur of the edge in pixels
        int low, high;
    } blurs[] = {{0.6, 0, 255}, {1.0, 20, 220}, {1.0, 230, 40}, {1.5, 50, 200}};
    for (const auto& blur : blurs) {
        for (double edge = 30.0; edge < 30.95; edge += 0.1) {
            std::vector<int> row(kRow + 1);
            for (int x = 0; x <= kRow; ++x) {
                const double t = (x + 0.5 - edge) / (blur.sigma * std::sqrt(2.0));
                row[x] = static_cast<int>(
                    std::lround(blur.low + (blur.high - blur.low) * 0.5 * (1.0 + std::erf(t))));
            }
            OType_Image image = ImageOfRow(row);
            OVectorPath_Line line = RowLine(kRow);
            const int found = static_cast<int>(std::floor(edge - 0.5));
            for (int index = found - 1; index <= found + 1; ++index) {
                Outputs out;
                ASSERT_EQ(Refine(&image, &line, index, out), 1) << "edge " << edge;
                EXPECT_NEAR(out.point.dX(), edge + kLag, kEdgeTolerance)
                    << "sigma " << blur.sigma << ", edge " << edge << ", index " << index;
            }
        }
    }
}

}  // namespace
