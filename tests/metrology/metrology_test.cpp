// Metrology tools on synthetic images of known truth: each pixel the mean of a sharp scene over
// its area (8 x 8 samples where an edge crosses it), so the scene's own geometry is the truth.
// Groups: circles (8 and 16 bit, clutter), lines (burr, large coordinates), widths (tilted rake),
// the uncertainty of a fit against its textbook formula, bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "metrology/OMetrology.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 0.01;  // pixels, noise-free figures
constexpr double kDark = 40.0;
constexpr double kBright = 190.0;
constexpr int kSize = 200;

using Scene = std::function<bool(double, double)>;  // bright at (x, y)

// Grey levels of the scene, with Gaussian noise (fixed seed), rounded.
std::vector<double> Render(const Scene& bright, double noise = 0.0) {
    constexpr int kSub = 8;
    std::mt19937 random(3);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<double> grey(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool corner = bright(x, y);
            bool uniform = true;
            for (int c = 1; c < 9 && uniform; ++c) {
                uniform = bright(x + 0.5 * (c % 3), y + 0.5 * (c / 3)) == corner;
            }
            double fraction = corner ? 1.0 : 0.0;
            if (!uniform) {
                fraction = 0.0;
                for (int s = 0; s < kSub * kSub; ++s) {
                    fraction += bright(x + (s % kSub + 0.5) / kSub, y + (s / kSub + 0.5) / kSub);
                }
                fraction /= kSub * kSub;
            }
            grey[y * kSize + x] =
                std::round(kDark + (kBright - kDark) * fraction + noise * gauss(random));
        }
    }
    return grey;
}

struct Images {
    std::vector<unsigned char> narrow;
    std::vector<std::uint16_t> wide;  // the same grey levels times 257
    OType_Image eight;
    OType_Image16 sixteen;
    explicit Images(const std::vector<double>& grey)
        : narrow(grey.begin(), grey.end()),
          wide(grey.begin(), grey.end()),
          eight(kSize, kSize, narrow.data(), kSize),
          sixteen() {
        for (std::uint16_t& v : wide) {
            v = static_cast<std::uint16_t>(v * 257);
        }
        sixteen = OType_Image16(kSize, kSize, wide.data(), kSize);
    }
};

// --- Circles -----------------------------------------------------------------------------------

constexpr double kHoleX = 101.37;
constexpr double kHoleY = 98.82;
constexpr double kHoleRadius = 60.45;

bool InHole(double x, double y) {
    return std::hypot(x - kHoleX, y - kHoleY) < kHoleRadius;
}

OFindCircleSettings HoleSettings() {
    OFindCircleSettings s;
    s.centerX = 100.5;  // nominal, a pixel off
    s.centerY = 99.5;
    s.radius = 60.0;
    s.edge.polarity = OCaliperPolarity::Rising;  // dark hole: rising outwards
    return s;
}

TEST(FindCircle, FindsTheHoleWhereItWasDrawnIn8And16Bits) {
    const Images images(Render([](double x, double y) { return !InHole(x, y); }, 1.0));
    OFindCircleSettings settings = HoleSettings();
    const OFindCircleResult found = OMetrology::FindCircle(images.eight, settings);
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    EXPECT_NEAR(found.centerX, kHoleX, kTolerance);
    EXPECT_NEAR(found.centerY, kHoleY, kTolerance);
    EXPECT_NEAR(found.radius, kHoleRadius, kTolerance);
    EXPECT_EQ(found.calipers.size(), 36u);
    EXPECT_EQ(found.keptCount, 36);
    EXPECT_DOUBLE_EQ(found.foundFraction, 1.0);
    EXPECT_LT(found.radiusSigma, kTolerance);
    EXPECT_GT(found.radiusSigma, 0.0);

    settings.edge.threshold *= 257;  // thresholds in the image's own grey scale
    const OFindCircleResult deep = OMetrology::FindCircle(images.sixteen, settings);
    ASSERT_TRUE(deep.Ok()) << deep.StatusText();
    // The same edges; only the calipers' allowance for the rounding of grey levels, a 257th of
    // the noise at 16 bits, weights them a little differently.
    EXPECT_NEAR(deep.centerX, found.centerX, 1e-4);
    EXPECT_NEAR(deep.radius, found.radius, 1e-4);
    EXPECT_NEAR(deep.radiusSigma, found.radiusSigma, 0.01 * found.radiusSigma);
}

TEST(FindCircle, InwardsOnAnArcMeetsTheSameCircle) {
    const Images images(Render([](double x, double y) { return !InHole(x, y); }));
    OFindCircleSettings settings = HoleSettings();
    settings.search = OCircleSearch::Inwards;
    settings.edge.polarity = OCaliperPolarity::Falling;  // from the plate into the hole
    settings.startAngle = 0.3;
    settings.sweep = -kPi / 2.0;
    settings.calipers = 12;
    const OFindCircleResult found = OMetrology::FindCircle(images.eight, settings);
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    // A quarter arc fixes the centre and radius about five times less well than a full turn.
    EXPECT_NEAR(found.centerX, kHoleX, 5 * kTolerance);
    EXPECT_NEAR(found.radius, kHoleRadius, 5 * kTolerance);
    const OCaliperLine& last = found.calipers.back().region;
    EXPECT_NEAR(std::atan2(last.startY - settings.centerY, last.startX - settings.centerX),
                0.3 - kPi / 2.0, 1e-9)
        << "both ends of a part of a turn get a caliper";
    EXPECT_GT(std::hypot(last.startX - settings.centerX, last.startY - settings.centerY),
              settings.radius)
        << "inwards: from outside the circle";
}

TEST(FindCircle, RejectsTheCalipersThatHitClutter) {
    // Bright specks inside the hole on three of 36 calipers: their first rising edge outwards.
    const OFindCircleSettings layout = HoleSettings();
    const std::vector<OCaliperLine> rake = OMetrology::CircleCalipers(layout);
    const std::vector<int> cluttered = {4, 17, 30};
    std::vector<std::pair<double, double>> specks;
    for (const int k : cluttered) {
        const OCaliperLine& c = rake[static_cast<std::size_t>(k)];
        specks.push_back({c.startX + 0.3 * (c.endX - c.startX),
                          c.startY + 0.3 * (c.endY - c.startY)});  // 8 px inside the circle
    }
    const Images images(Render(
        [&specks](double x, double y) {
            for (const auto& [sx, sy] : specks) {
                if (std::hypot(x - sx, y - sy) < 2.0) {
                    return true;
                }
            }
            return !InHole(x, y);
        },
        2.0));
    OFindCircleSettings settings = layout;
    settings.edge.selection = OCaliperSelection::First;
    const OFindCircleResult found = OMetrology::FindCircle(images.eight, settings);
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    for (std::size_t k = 0; k < found.calipers.size(); ++k) {
        const bool hit = std::find(cluttered.begin(), cluttered.end(), k) != cluttered.end();
        EXPECT_EQ(found.calipers[k].kept, !hit) << "caliper " << k;
    }
    EXPECT_NEAR(found.centerX, kHoleX, 3 * kTolerance);
    EXPECT_NEAR(found.centerY, kHoleY, 3 * kTolerance);
    EXPECT_NEAR(found.radius, kHoleRadius, 3 * kTolerance);
    EXPECT_LT(found.calipers[4].residual, -5.0) << "the speck's edge lies inside the circle";
}

// --- Lines -------------------------------------------------------------------------------------

// The plate left of the line through (98.6, 100.3) at 80 degrees from +x (running down the image),
// with a burr 3 px deep across y = 57..65 (under one caliper only).
constexpr double kLineX = 98.6;
constexpr double kLineY = 100.3;
constexpr double kLineAngle = 80.0 * kPi / 180.0;

double Across(double x, double y) {  // positive on the line's right-hand side (the ground)
    return (y - kLineY) * std::cos(kLineAngle) - (x - kLineX) * std::sin(kLineAngle);
}

TEST(FindLine, RejectsTheBurrAndFollowsTheSegment) {
    const Images images(Render([](double x, double y) {
        const bool burr = y > 57.0 && y < 65.0 && Across(x, y) < 3.0;
        return Across(x, y) < 0.0 || burr;
    }));
    OFindLineSettings settings;
    settings.startX = kLineX - 80.0 * std::cos(kLineAngle) + 0.7;  // a little off
    settings.startY = kLineY - 80.0 * std::sin(kLineAngle);
    settings.endX = kLineX + 80.0 * std::cos(kLineAngle) + 0.7;
    settings.endY = kLineY + 80.0 * std::sin(kLineAngle);
    settings.calipers = 21;  // 8 px apart: one of them on the burr
    settings.edge.polarity = OCaliperPolarity::Falling;
    const OFindLineResult found = OMetrology::FindLine(images.eight, settings);
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    EXPECT_NEAR(found.angle, kLineAngle, 1e-4) << "directed from the segment's start to its end";
    EXPECT_NEAR(Across(found.pointX, found.pointY), 0.0, kTolerance);
    EXPECT_NEAR(found.DistanceTo(kLineX + 10.0 * std::sin(kLineAngle),
                                 kLineY - 10.0 * std::cos(kLineAngle)),
                -10.0, kTolerance)
        << "10 px left of the line";
    EXPECT_EQ(found.rejectedCount, 1);
    for (const OMetrologyCaliper& c : found.calipers) {
        const bool onBurr = c.edge.y > 57.0 && c.edge.y < 65.0;
        EXPECT_EQ(c.kept, !onBurr) << c.edge.y;
    }
    EXPECT_GT(found.OffsetSigmaAt(kLineX + 200.0 * std::cos(kLineAngle),
                                  kLineY + 200.0 * std::sin(kLineAngle)),
              found.offsetSigma)
        << "the offset is least uncertain at the reported point";
}

TEST(FitLine, WorksFarFromTheOriginWhereDetsacWouldWrap) {
    // 40000 px from the origin: beyond DETSAC's 16-bit whole pixels, were it not for the frame.
    std::vector<OCaliperEdge> edges;
    for (int k = 0; k < 20; ++k) {
        OCaliperEdge e;
        e.x = 40000.25 + 10.0 * k;
        e.y = 35000.5 + 2.5 * k + (k == 7 ? 6.0 : 0.0);  // one outlier
        e.sigma = 0.02;
        edges.push_back(e);
    }
    const OFindLineResult found = OMetrology::FitLine(edges, OLineFitSettings());
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    EXPECT_NEAR(found.angle, std::atan2(2.5, 10.0), 1e-9);
    EXPECT_NEAR(found.DistanceTo(40000.25, 35000.5), 0.0, 1e-6);
    EXPECT_FALSE(found.calipers[7].kept);
}

TEST(FitCircle, WorksFarFromTheOriginWhereTheCircleFitGivesUp) {
    std::vector<OCaliperEdge> edges;
    for (int k = 0; k < 24; ++k) {
        OCaliperEdge e;
        e.x = 25000.3 + 40.0 * std::cos(k * kPi / 12.0);
        e.y = -18000.6 + 40.0 * std::sin(k * kPi / 12.0);
        edges.push_back(e);  // sigma 0: unknown, the residuals give the scale
    }
    const OFindCircleResult found = OMetrology::FitCircle(edges, OCircleFitSettings());
    ASSERT_TRUE(found.Ok()) << found.StatusText();
    EXPECT_NEAR(found.centerX, 25000.3, 1e-6);
    EXPECT_NEAR(found.centerY, -18000.6, 1e-6);
    EXPECT_NEAR(found.radius, 40.0, 1e-6);
}

// --- Uncertainty -------------------------------------------------------------------------------

// Points exactly on a line, each with sigma s: the textbook least-squares uncertainties are
// s / sqrt(n) across the line at the centroid and s / sqrt(sum t^2) for the angle; points
// scattered far more than their sigmas say widen them by the scatter.
TEST(FitLine, UncertaintyIsTheLeastSquaresOne) {
    constexpr double kSigma = 0.05;
    constexpr int kCount = 11;
    std::vector<OCaliperEdge> edges;
    double sumT2 = 0.0;
    for (int k = 0; k < kCount; ++k) {
        const double t = 8.0 * (k - 5);
        OCaliperEdge e;
        e.x = 50.0 + 0.6 * t;
        e.y = 70.0 + 0.8 * t;
        e.sigma = kSigma;
        edges.push_back(e);
        sumT2 += t * t;
    }
    OLineFitSettings plain;
    plain.filter = OLineFilter::None;
    const OFindLineResult exact = OMetrology::FitLine(edges, plain);
    ASSERT_TRUE(exact.Ok()) << exact.StatusText();
    // Within the sigma floor of a thousandth of a pixel that every edge is given.
    EXPECT_NEAR(exact.offsetSigma, kSigma / std::sqrt(kCount), 1e-3 * exact.offsetSigma);
    EXPECT_NEAR(exact.angleSigma, kSigma / std::sqrt(sumT2), 1e-3 * exact.angleSigma);

    for (int k = 0; k < kCount; ++k) {  // +-0.5 px across the line, ten sigmas
        edges[k].x += (k % 2 ? 0.4 : -0.4);
        edges[k].y -= (k % 2 ? 0.3 : -0.3);
    }
    const OFindLineResult scattered = OMetrology::FitLine(edges, plain);
    ASSERT_TRUE(scattered.Ok());
    EXPECT_GT(scattered.offsetSigma, 0.1) << "covers the scatter, not just the sigmas";
    EXPECT_NEAR(scattered.rms, 0.5, 0.05);
}

// --- Widths ------------------------------------------------------------------------------------

TEST(MeasureWidth, CorrectsARakeTiltedAgainstTheSlot) {
    constexpr double kWidth = 30.4;
    constexpr double kTilt = 5.0 * kPi / 180.0;
    // A dark vertical slot; the rake's axis turned 5 degrees from the horizontal.
    const Images images(Render([](double x, double) { return std::fabs(x - 100.7) > kWidth / 2; }));
    OMeasureWidthSettings settings;
    settings.startX = 100.0 - 40.0 * std::cos(kTilt);
    settings.startY = 100.0 - 40.0 * std::sin(kTilt);
    settings.endX = 100.0 + 40.0 * std::cos(kTilt);
    settings.endY = 100.0 + 40.0 * std::sin(kTilt);
    settings.calipers = 5;
    settings.pair.firstPolarity = OCaliperPolarity::Falling;
    settings.pair.secondPolarity = OCaliperPolarity::Rising;
    const OMeasureWidthResult rake = OMetrology::MeasureWidth(images.eight, settings);
    ASSERT_TRUE(rake.Ok()) << rake.StatusText();
    EXPECT_NEAR(rake.width, kWidth, 2 * kTolerance);
    EXPECT_NEAR(rake.tilt, kTilt, 1e-3);
    EXPECT_EQ(rake.keptCount, 5);
    EXPECT_LE(rake.minWidth, rake.width);
    EXPECT_GE(rake.maxWidth, rake.width);

    settings.calipers = 1;  // one pair cannot see the tilt: the width along its axis
    const OMeasureWidthResult single = OMetrology::MeasureWidth(images.eight, settings);
    ASSERT_TRUE(single.Ok()) << single.StatusText();
    EXPECT_NEAR(single.width, kWidth / std::cos(kTilt), 2 * kTolerance);
    EXPECT_DOUBLE_EQ(single.spread, 0.0);
}

// --- Bad input ---------------------------------------------------------------------------------

TEST(MetrologyBadInput, EachFailureSaysWhy) {
    const Images images(Render([](double x, double y) { return !InHole(x, y); }));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto circle = [&images](const std::function<void(OFindCircleSettings&)>& change) {
        OFindCircleSettings s = HoleSettings();
        change(s);
        return OMetrology::FindCircle(images.eight, s);
    };
    struct Case {
        const char* name;
        OFindCircleResult result;
        OMetrologyStatus expected;
    };
    const Case cases[] = {
        {"radius 0", circle([](auto& s) { s.radius = 0.0; }), OMetrologyStatus::BadSettings},
        {"NaN centre", circle([nan](auto& s) { s.centerX = nan; }), OMetrologyStatus::BadSettings},
        {"no calipers", circle([](auto& s) { s.calipers = 0; }), OMetrologyStatus::BadSettings},
        {"too many", circle([](auto& s) { s.calipers = kMaxCalipers + 1; }),
         OMetrologyStatus::BadSettings},
        {"width 0", circle([](auto& s) { s.caliperWidth = 0.0; }), OMetrologyStatus::BadSettings},
        {"sweep 0", circle([](auto& s) { s.sweep = 0.0; }), OMetrologyStatus::BadSettings},
        {"sweep 7", circle([](auto& s) { s.sweep = 7.0; }), OMetrologyStatus::BadSettings},
        {"clip -1", circle([](auto& s) { s.fit.clipFactor = -1.0; }),
         OMetrologyStatus::BadSettings},
        {"caliper sigma NaN", circle([nan](auto& s) { s.edge.sigma = nan; }),
         OMetrologyStatus::BadSettings},
        {"off the image", circle([](auto& s) { s.centerX = -500.0; }),
         OMetrologyStatus::OutsideImage},
        {"nothing there", circle([](auto& s) { s.edge.threshold = 1e6; }),
         OMetrologyStatus::TooFewEdges},
        {"two calipers", circle([](auto& s) { s.calipers = 2; }), OMetrologyStatus::TooFewEdges},
        {"empty image", OMetrology::FindCircle(OType_Image16(), HoleSettings()),
         OMetrologyStatus::EmptyImage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result.status, c.expected) << c.name << ": " << c.result.StatusText();
        EXPECT_FALSE(std::string(c.result.StatusText()).empty()) << c.name;
        EXPECT_EQ(c.result.radius, 0.0) << c.name;
    }
    EXPECT_EQ(std::string(cases[10].result.StatusText()),
              "too few edges: 0 of 36 calipers found one, 3 needed");

    std::vector<OCaliperEdge> collinear(5);
    for (int k = 0; k < 5; ++k) {
        collinear[k].x = k;
        collinear[k].y = 2.0 * k;
    }
    EXPECT_EQ(OMetrology::FitCircle(collinear, OCircleFitSettings()).status,
              OMetrologyStatus::FitFailed);
    EXPECT_EQ(OMetrology::FitLine({collinear[0], collinear[0]}, OLineFitSettings()).status,
              OMetrologyStatus::FitFailed)
        << "two edges on one spot give no direction";
    OLineFitSettings level9;
    level9.searchLevel = 9;
    EXPECT_EQ(OMetrology::FitLine(collinear, level9).status, OMetrologyStatus::BadSettings);
    OMeasureWidthSettings zero;  // a zero-length axis
    EXPECT_EQ(OMetrology::MeasureWidth(images.eight, zero).status, OMetrologyStatus::BadSettings);
    EXPECT_TRUE(OMetrology::LineCalipers(OFindLineSettings()).empty());
}

}  // namespace
