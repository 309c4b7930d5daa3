// Precision calipers on synthetic images of known truth: each pixel is the mean of the scene over
// the pixel (4 x 4 samples), the scene a blurred step or bar whose edges are where the test puts
// them. Groups: accuracy, 16-bit against 8-bit, polarity and selection, pairs (narrow and not
// resolved), outside the image, arcs on a disc, the reported uncertainty, bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "caliper/OCaliper.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 0.02;  // pixels, noise-free positions and widths
constexpr double kDark = 50.0;
constexpr double kBright = 200.0;
constexpr int kSize = 96;

double Step(double d, double blur) {
    return 0.5 * std::erfc(-d / (blur * std::sqrt(2.0)));
}

// Grey levels of a scene given as the fraction of the bright level at a point, with Gaussian
// noise (fixed seed), rounded.
std::vector<double> Render(const std::function<double(double, double)>& fraction,
                           double noise = 0.0, unsigned seed = 1) {
    constexpr int kSub = 4;
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<double> grey(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            double mean = 0.0;
            for (int s = 0; s < kSub * kSub; ++s) {
                mean += fraction(x + (s % kSub + 0.5) / kSub, y + (s / kSub + 0.5) / kSub);
            }
            grey[y * kSize + x] = std::round(kDark + (kBright - kDark) * mean / (kSub * kSub) +
                                             noise * gauss(random));
        }
    }
    return grey;
}

OType_Image Image8(const std::vector<double>& grey) {
    std::vector<unsigned char> pixels(grey.begin(), grey.end());
    return OType_Image(kSize, kSize, std::move(pixels));
}

// A straight edge through (px, py), bright side along the unit normal at `angle`.
struct Edge {
    double px, py, angle, blur;
    double Distance(double x, double y) const {
        return (x - px) * std::cos(angle) + (y - py) * std::sin(angle);
    }
    double operator()(double x, double y) const { return Step(Distance(x, y), blur); }
    // A caliper across the edge along its normal, from the dark side.
    OCaliperLine Across(double half, double width) const {
        const double c = std::cos(angle), s = std::sin(angle);
        return {px - half * c, py - half * s, px + half * c, py + half * s, width};
    }
};

// --- Accuracy ----------------------------------------------------------------------------------

struct AccuracyCase {
    const char* name;
    double angleDegrees;
    double blur;
    double width;
};

class CaliperAccuracy : public testing::TestWithParam<AccuracyCase> {};

TEST_P(CaliperAccuracy, FindsTheEdgeWhereItWasDrawn) {
    const AccuracyCase& c = GetParam();
    const Edge edge{48.37, 47.71, c.angleDegrees * kPi / 180.0, c.blur};
    const OType_Image image = Image8(Render(edge));
    const OCaliperEdgeResult result =
        OCaliper::MeasureEdges(image, edge.Across(20.0, c.width), OCaliperEdgeSettings());
    ASSERT_TRUE(result.Ok()) << result.StatusText();
    ASSERT_EQ(result.edges.size(), 1u);
    const OCaliperEdge& e = result.edges[0];
    EXPECT_NEAR(edge.Distance(e.x, e.y), 0.0, kTolerance);
    EXPECT_NEAR(e.position, 20.0, kTolerance) << "the edge lies halfway along the caliper";
    EXPECT_NEAR(e.amplitude, (kBright - kDark) / (std::sqrt(2.0 * kPi) * std::hypot(c.blur, 1.0)),
                0.15 * e.amplitude)
        << "a blurred step's derivative after the filter of sigma 1";
}

INSTANTIATE_TEST_SUITE_P(Edges, CaliperAccuracy,
                         testing::Values(AccuracyCase{"Axis_Sharp_Width1", 0.0, 0.7, 1.0},
                                         AccuracyCase{"Oblique_Width1", 17.0, 1.0, 1.0},
                                         AccuracyCase{"Diagonal_Width9", 45.0, 1.0, 9.0},
                                         AccuracyCase{"Angle200_Soft_Width5", 200.0, 2.0, 5.0}),
                         [](const testing::TestParamInfo<AccuracyCase>& info) {
                             return info.param.name;
                         });

TEST(Caliper, SixteenBitEqualsEightBitScaled) {
    constexpr int kScale = 257;  // 255 * 257 = 65535
    const Edge edge{40.6, 51.2, 0.4, 1.0};
    const std::vector<double> grey = Render(edge);
    std::vector<std::uint16_t> wide(grey.begin(), grey.end());
    for (std::uint16_t& v : wide) {
        v = static_cast<std::uint16_t>(v * kScale);
    }
    const OType_Image16 view(kSize, kSize, wide.data(), kSize);
    OCaliperEdgeSettings settings;
    const OCaliperLine line = edge.Across(20.0, 3.0);
    const OCaliperEdgeResult narrow = OCaliper::MeasureEdges(Image8(grey), line, settings);
    settings.threshold *= kScale;
    const OCaliperEdgeResult deep = OCaliper::MeasureEdges(view, line, settings);
    ASSERT_TRUE(narrow.Ok() && deep.Ok());
    EXPECT_NEAR(deep.edges[0].position, narrow.edges[0].position, 1e-9);
    EXPECT_NEAR(deep.edges[0].amplitude, kScale * narrow.edges[0].amplitude, 1e-6);
}

// --- Polarity and selection --------------------------------------------------------------------

// Bright between x = 30.25 and 50.25 and from 70.25 on: rising at 30.25 and 70.25, falling at
// 50.25, along a horizontal caliper from x = 10 to 86.
struct SelectionCase {
    const char* name;
    OCaliperPolarity polarity;
    OCaliperSelection selection;
    int n;
    std::vector<double> expected;  // positions along the caliper; empty: NoEdge
};

class CaliperSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(CaliperSelection, PicksTheAskedEdges) {
    const SelectionCase& c = GetParam();
    const OType_Image image = Image8(Render([](double x, double) {
        return Step(x - 30.25, 1.0) - Step(x - 50.25, 1.0) + Step(x - 70.25, 0.7);
    }));
    OCaliperEdgeSettings settings;
    settings.polarity = c.polarity;
    settings.selection = c.selection;
    settings.n = c.n;
    const OCaliperEdgeResult result =
        OCaliper::MeasureEdges(image, OCaliperLine{10.0, 40.5, 86.0, 40.5, 5.0}, settings);
    if (c.expected.empty()) {
        EXPECT_EQ(result.status, OCaliperStatus::NoEdge);
        return;
    }
    ASSERT_TRUE(result.Ok()) << result.StatusText();
    ASSERT_EQ(result.edges.size(), c.expected.size());
    for (std::size_t k = 0; k < c.expected.size(); ++k) {
        EXPECT_NEAR(result.edges[k].position, c.expected[k], kTolerance) << "edge " << k;
        EXPECT_NEAR(result.edges[k].x, 10.0 + c.expected[k], kTolerance);
    }
}

using P = OCaliperPolarity;
using S = OCaliperSelection;
INSTANTIATE_TEST_SUITE_P(
    Edges, CaliperSelection,
    testing::Values(SelectionCase{"AllAny", P::Any, S::All, 1, {20.25, 40.25, 60.25}},
                    SelectionCase{"AllRising", P::Rising, S::All, 1, {20.25, 60.25}},
                    SelectionCase{"FirstFalling", P::Falling, S::First, 1, {40.25}},
                    SelectionCase{"LastAny", P::Any, S::Last, 1, {60.25}},
                    SelectionCase{"SecondRising", P::Rising, S::Nth, 2, {60.25}},
                    SelectionCase{"ThirdRisingMissing", P::Rising, S::Nth, 3, {}},
                    SelectionCase{"StrongestIsTheSharpest", P::Any, S::Strongest, 1, {60.25}}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

// --- Pairs -------------------------------------------------------------------------------------

// A bright bar of the given width centred at (48.3, 48) (blur 1), across it the unit vector at
// `angle`, measured across by a caliper of width 9.
OCaliperPairResult MeasureBar(double width, const OCaliperPairSettings& settings,
                              double angle = 0.0, double noise = 0.0, unsigned seed = 1) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const OType_Image image = Image8(Render(
        [=](double x, double y) {
            const double d = (x - 48.3) * c + (y - 48.0) * s;
            return Step(d + 0.5 * width, 1.0) - Step(d - 0.5 * width, 1.0);
        },
        noise, seed));
    return OCaliper::MeasurePairs(
        image,
        OCaliperLine{48.3 - 28.0 * c, 48.0 - 28.0 * s, 48.3 + 28.0 * c, 48.0 + 28.0 * s, 9.0},
        settings);
}

TEST(CaliperPairs, MeasuresNarrowBars) {
    // Four pixels is twice the bar's blur and the filter together; rows that are all alike leave
    // the rounding to bytes as the only noise, so narrower bars scatter by more than the tolerance.
    for (const double width : {4.0, 6.0, 12.0}) {
        const OCaliperPairResult result = MeasureBar(width, OCaliperPairSettings());
        ASSERT_TRUE(result.Ok()) << width << ": " << result.StatusText();
        ASSERT_EQ(result.pairs.size(), 1u);
        EXPECT_NEAR(result.pairs[0].width, width, 0.03) << width;
        EXPECT_NEAR(result.pairs[0].centerX, 48.3, 0.03) << width;
        EXPECT_GT(result.pairs[0].first.amplitude, 0.0);
        EXPECT_LT(result.pairs[0].second.amplitude, 0.0);
    }
}

TEST(CaliperPairs, ABarTooNarrowIsNotResolved) {
    EXPECT_EQ(MeasureBar(1.0, OCaliperPairSettings()).status, OCaliperStatus::NotResolved);
    // Two pixels at noise 2: noise draws in which the bar fits as a wider, sharper one, 0.5 to
    // 0.6 px too wide with an uncertainty of about 0.1 px.
    for (const unsigned seed : {45u, 72u, 99u}) {
        const OCaliperPairResult result = MeasureBar(2.0, OCaliperPairSettings(), 0.3, 2.0, seed);
        EXPECT_EQ(result.status, OCaliperStatus::NotResolved) << seed;
    }
}

TEST(CaliperPairs, AKnownBlurMeasuresBarsTheFittedBlurCannot) {
    OCaliperPairSettings known;
    known.blur = 1.0;  // as the bars are drawn
    for (const double width : {2.0, 3.0}) {
        const OCaliperPairResult result = MeasureBar(width, known, 0.3);
        ASSERT_TRUE(result.Ok()) << width << ": " << result.StatusText();
        EXPECT_NEAR(result.pairs[0].width, width, 0.02) << width;
    }
    // The draws where a fitted blur took a 2 px bar for a wider, sharper one.
    for (const unsigned seed : {45u, 72u, 99u}) {
        const OCaliperPairResult result = MeasureBar(2.0, known, 0.3, 2.0, seed);
        EXPECT_TRUE(!result.Ok() || std::fabs(result.pairs[0].width - 2.0) < 0.2) << seed;
    }
    known.blur = -1.0;
    EXPECT_EQ(MeasureBar(3.0, known).status, OCaliperStatus::BadSettings);
}

TEST(CaliperPairs, PolaritiesAndWidthRangeChooseThePair) {
    OCaliperPairSettings gap;  // a dark gap: falling then rising; there is none in a bright bar
    gap.firstPolarity = OCaliperPolarity::Falling;
    gap.secondPolarity = OCaliperPolarity::Rising;
    EXPECT_EQ(MeasureBar(8.0, gap).status, OCaliperStatus::NoEdge);
    OCaliperPairSettings range;
    range.minWidth = 9.0;
    EXPECT_EQ(MeasureBar(8.0, range).status, OCaliperStatus::NoEdge);
    range.minWidth = 7.0;
    range.maxWidth = 9.0;
    EXPECT_TRUE(MeasureBar(8.0, range).Ok());
}

// --- Outside the image -------------------------------------------------------------------------

TEST(Caliper, RegionsOutsideTheImageSayWhere) {
    const OType_Image image = Image8(Render([](double x, double) { return Step(x - 48.0, 1.0); }));
    const OCaliperEdgeSettings settings;
    EXPECT_EQ(OCaliper::MeasureEdges(image, OCaliperLine{200, 10, 260, 10, 3}, settings).status,
              OCaliperStatus::OutsideImage);
    EXPECT_EQ(OCaliper::MeasureEdges(image, OCaliperLine{30, 1, 70, 1, 5}, settings).status,
              OCaliperStatus::PartlyOutsideImage);
    // Up to the image's border is inside: the half pixel beyond the last centre reads the border.
    EXPECT_TRUE(OCaliper::MeasureEdges(image, OCaliperLine{0, 0.5, 96, 0.5, 1}, settings).Ok());

    const OCaliperProfile profile =
        OCaliper::SampleProfile(image, OCaliperLine{80, 40, 110, 40, 1}, 1.0);
    ASSERT_EQ(profile.status, OCaliperStatus::PartlyOutsideImage);
    ASSERT_EQ(profile.outside.size(), 31u);
    EXPECT_EQ(profile.outside[16], 0) << "x = 96 is the border";
    EXPECT_EQ(profile.outside[17], 1);
    EXPECT_TRUE(std::isnan(profile.values[30]));
    EXPECT_DOUBLE_EQ(profile.values[0], kBright);
}

// --- Arcs --------------------------------------------------------------------------------------

TEST(Caliper, ArcAcrossTheRimOfADisc) {
    // A bright disc of radius 30; an arc of radius 12 around a point on its rim crosses the rim
    // twice, where the two circles meet.
    const double cx = 47.6, cy = 48.2, r = 30.0;
    const OType_Image image = Image8(
        Render([&](double x, double y) { return Step(r - std::hypot(x - cx, y - cy), 1.0); }));
    const OCaliperArc arc{cx + r, cy, 12.0, -kPi, 2.0 * kPi, 5.0};
    OCaliperEdgeSettings settings;
    settings.selection = OCaliperSelection::All;
    const OCaliperEdgeResult result = OCaliper::MeasureEdges(image, arc, settings);
    ASSERT_TRUE(result.Ok()) << result.StatusText();
    ASSERT_EQ(result.edges.size(), 2u);
    // Angle of the crossings seen from the arc's centre: cos = -12 / (2 r), below then above.
    const double a = std::acos(-12.0 / (2.0 * r));
    const double expected[] = {(kPi - a) * 12.0, (kPi + a) * 12.0};
    for (int k = 0; k < 2; ++k) {
        const OCaliperEdge& e = result.edges[k];
        EXPECT_NEAR(std::hypot(e.x - cx, e.y - cy), r, kTolerance) << "on the rim";
        EXPECT_NEAR(e.position, expected[k], 0.05) << "arc length along the caliper";
        EXPECT_EQ(e.amplitude < 0.0, k == 0) << "the arc leaves the disc first";
    }
}

// --- Uncertainty -------------------------------------------------------------------------------

TEST(Caliper, ReportedUncertaintyMatchesTheScatter) {
    constexpr int kTrials = 120;
    for (const double width : {1.0, 9.0}) {
        double squares = 0.0, reported = 0.0;
        for (int t = 0; t < kTrials; ++t) {
            const Edge edge{48.0 + 0.37 * t / kTrials, 47.0, 0.3 + 0.01 * t, 1.0};
            const OCaliperEdgeResult result = OCaliper::MeasureEdges(
                Image8(Render(edge, 3.0, t + 1)), edge.Across(20.0, width), OCaliperEdgeSettings());
            ASSERT_TRUE(result.Ok());
            squares += std::pow(edge.Distance(result.edges[0].x, result.edges[0].y), 2);
            reported += std::pow(result.edges[0].sigma, 2);
        }
        EXPECT_NEAR(std::sqrt(reported / squares), 1.0, 0.25) << "width " << width;
    }
}

// --- Bad input ---------------------------------------------------------------------------------

TEST(Caliper, BadInputGivesItsReason) {
    const OType_Image image(kSize, kSize);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const OCaliperLine good{10, 10, 60, 10, 3};
    const OCaliperEdgeSettings fine;
    const auto edges = [&](OCaliperLine line, OCaliperEdgeSettings s) {
        return OCaliper::MeasureEdges(image, line, s).status;
    };
    for (const OCaliperLine& line :
         {OCaliperLine{nan, 10, 60, 10, 3}, OCaliperLine{10, 10, inf, 10, 3},
          OCaliperLine{10, 10, 10, 10, 3}, OCaliperLine{10, 10, 60, 10, 0},
          OCaliperLine{10, 10, 60, 10, -1}, OCaliperLine{10, 10, 60, 10, 3, 0},
          OCaliperLine{0, 0, 1e12, 0, 3, 1e-3}}) {
        EXPECT_EQ(edges(line, fine), OCaliperStatus::BadRegion);
    }
    for (const OCaliperArc& arc : {OCaliperArc{40, 40, 0, 0, 1}, OCaliperArc{40, 40, 10, 0, 7},
                                   OCaliperArc{40, 40, 10, nan, 1}}) {
        EXPECT_EQ(OCaliper::MeasureEdges(image, arc, fine).status, OCaliperStatus::BadRegion);
    }
    const std::vector<std::function<void(OCaliperEdgeSettings&)>> spoil = {
        [](auto& s) { s.sigma = 0.0; },
        [](auto& s) { s.sigma = nan; },
        [](auto& s) { s.sigma = 1e6; },
        [](auto& s) { s.sigma = 20.0; },  // wider than 50 px
        [](auto& s) { s.threshold = -1; },
        [](auto& s) { s.threshold = inf; },
        [](auto& s) { s.selection = OCaliperSelection::Nth, s.n = 0; }};
    for (const auto& change : spoil) {
        OCaliperEdgeSettings s;
        change(s);
        EXPECT_EQ(edges(good, s), OCaliperStatus::BadSettings);
    }
    OCaliperPairSettings reversed;
    reversed.minWidth = 5.0;
    reversed.maxWidth = 4.0;
    EXPECT_EQ(OCaliper::MeasurePairs(image, good, reversed).status, OCaliperStatus::BadSettings);
    EXPECT_EQ(edges(good, fine), OCaliperStatus::NoEdge) << "a flat image";

    const std::vector<std::uint16_t> buffer(100);
    EXPECT_EQ(OCaliper::MeasureEdges(OType_Image16(10, 10, buffer.data(), 9), good, fine).status,
              OCaliperStatus::EmptyImage)
        << "stride shorter than a row";
    EXPECT_EQ(OCaliper::MeasureEdges(OType_Image(), good, fine).status, OCaliperStatus::EmptyImage);
    EXPECT_STRNE(CaliperStatusText(OCaliperStatus::NotResolved),
                 CaliperStatusText(OCaliperStatus::NoEdge));
}

}  // namespace
