// The geometric fit, its point sets and its random generator.

#include "circlefit/OCircleFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CirclePoints.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: how close a fit of exact points must come to the true circle.
constexpr double kTolerance = 1e-6;

// -------------------------------------------------------------------------------------------
// Random generator

// Tempered words of MT19937 seeded with 4357 (the authors' 1998 seeding), as published.
constexpr double kFirstWords[] = {3510405877.0, 4290933890.0, 2191955339.0};
constexpr double kLargestWord = 4294967295.0;

TEST(OCircleFitGenerator, FreshSequenceStartsWithThePublishedWords) {
    // Constructing an OCircleFit puts the generator back to the state of a fresh process;
    // seeding with 4357 gives the same sequence.
    for (const bool construct : {true, false}) {
        if (construct) {
            OCircleFit reset;
        } else {
            OCircleFit::MT19937_Seed(4357u);
        }
        for (double word : kFirstWords) {
            EXPECT_EQ(OCircleFit::MT19937(), word / kLargestWord)
                << (construct ? "after construction" : "after seeding 4357") << ", word " << word;
        }
    }
    OCircleFit reset;
    EXPECT_NEAR(OCircleFit::MT19937(), 0.8173300600, 1e-10);
}

TEST(OCircleFitGenerator, ReseedingRepeatsTheSequence) {
    auto draws = [](unsigned seed) {
        OCircleFit::MT19937_Seed(seed);
        std::vector<double> sequence(700);  // across one regeneration of the state
        for (double& u : sequence) {
            u = OCircleFit::MT19937();
        }
        return sequence;
    };
    for (unsigned seed : {0u, 4357u, 0xffffffffu}) {
        EXPECT_EQ(draws(seed), draws(seed)) << "seed " << seed;
    }
}

TEST(OCircleFitGenerator, MatchesTheStandardTwisterOverSeveralRegenerations) {
    // The seeding rule differs from std::mt19937's, but regeneration and tempering are the
    // standard ones: load the state that the seeding rule defines into std::mt19937 (its text
    // form is the 624 words, then the position 624 = "regenerate before the next word").
    constexpr unsigned kSeed = 20240601u;
    std::ostringstream state;
    std::uint32_t word = kSeed;
    for (int i = 0; i < 624; ++i) {
        state << word << ' ';
        word = 69069u * word;
    }
    state << 624;
    std::mt19937 reference;
    std::istringstream(state.str()) >> reference;

    OCircleFit::MT19937_Seed(kSeed);
    for (int i = 0; i < 3 * 624 + 5; ++i) {
        const double expected = static_cast<double>(reference()) / kLargestWord;
        ASSERT_EQ(OCircleFit::MT19937(), expected) << "draw " << i;
    }
}

// -------------------------------------------------------------------------------------------
// Distance

struct DistanceCase {
    OCircleFit_Circle c1;
    OCircleFit_Circle c2;
    double expected;
};

TEST(OCircleFitDistance, RelativeDifferenceOfTwoCircles) {
    const DistanceCase cases[] = {
        {{0.0, 0.0, 1.0}, {3.0, 4.0, 1.0}, 3.5},    // (4 + 3 + 0) / 2
        {{3.0, 4.0, 1.0}, {0.0, 0.0, 1.0}, 3.5},    // symmetric
        {{5.0, -2.0, 7.0}, {5.0, -2.0, 7.0}, 0.0},  // itself
        {{0.0, 0.0, 1.0}, {0.0, 0.0, 3.0}, 0.5},    // radii only: 2 / 4
    };
    for (const DistanceCase& c : cases) {
        EXPECT_DOUBLE_EQ(OCircleFit::Distance(c.c1, c.c2), c.expected)
            << "(" << c.c1.m_dCenterX << ", " << c.c1.m_dCenterY << ", " << c.c1.m_dRadius
            << ") vs (" << c.c2.m_dCenterX << ", " << c.c2.m_dCenterY << ", " << c.c2.m_dRadius
            << ")";
    }
}

// -------------------------------------------------------------------------------------------
// Point sets

TEST(OCircleFitData, CopiesShareOwnedArraysAndReleaseThemOnce) {
    double xs[] = {0.0, 3.0, 1.0};
    double ys[] = {0.0, 4.0, 1.0};
    OCircleFit_Data copy;
    {
        OCircleFit_Data original(3, xs, ys);
        EXPECT_TRUE(original.OwnsArrays());
        EXPECT_EQ(original.GetMaxDist(), 5.0);
        copy = original;
        const OCircleFit_Data second(original);
        EXPECT_EQ(second.GetX(), original.GetX()) << "copies share, they do not duplicate";
        original.GetX()[2] = 2.0;
    }  // original and second die; the arrays must live on in copy (AddressSanitizer checks)
    EXPECT_EQ(copy.GetCount(), 3u);
    EXPECT_EQ(copy.GetX()[2], 2.0) << "the write through the original is seen by the copy";
    EXPECT_EQ(xs[2], 1.0) << "the owning form copied the caller's array";
}

TEST(OCircleFitData, BorrowsTheListsAndUsesTheShorterCount) {
    OFastArrayList<double> x(6), y(4);
    for (double v : {0.0, 6.0, 0.0, 100.0}) {
        x.Add(v);
    }
    for (double v : {0.0, 0.0, 8.0}) {
        y.Add(v);
    }
    OCircleFit_Data points(x, y);
    EXPECT_FALSE(points.OwnsArrays());
    EXPECT_EQ(points.GetCount(), 3u);
    EXPECT_EQ(points.GetCapacity(), 4u);
    EXPECT_EQ(points.GetX(), x.GetBuffer());
    EXPECT_EQ(points.GetMaxDist(), 10.0) << "(6, 0) to (0, 8); the fourth x is not a point";

    points.Center();  // means (2, 8/3), written into the borrowed lists
    EXPECT_DOUBLE_EQ(x[0], -2.0);
    EXPECT_DOUBLE_EQ(y[2], 8.0 - 8.0 / 3.0);
    EXPECT_EQ(x[3], 100.0) << "beyond the count nothing moves";
}

TEST(OCircleFitData, FewerThanTwoPointsHaveNoDiameter) {
    double one = 5.0;
    EXPECT_EQ(OCircleFit_Data(0, nullptr, nullptr).GetMaxDist(), 0.0);
    EXPECT_EQ(OCircleFit_Data(1, &one, &one).GetMaxDist(), 0.0);
    EXPECT_EQ(OCircleFit_Data(4, nullptr, &one).GetCount(), 0u) << "a null array gives no points";
}

// -------------------------------------------------------------------------------------------
// The fit

struct ExactFitCase {
    const char* name;
    TrueCircle circle;
    double startDeg;
    double sweepDeg;
    int count;
    OCircleFit_Circle guess;
};

void PrintTo(const ExactFitCase& c, std::ostream* os) {
    *os << c.name;
}

class OCircleFitExact : public ::testing::TestWithParam<ExactFitCase> {};

TEST_P(OCircleFitExact, ExactPointsGiveTheirCircle) {
    const ExactFitCase& c = GetParam();
    PointLists points(c.count);
    AddArc(points, c.circle, c.startDeg, c.sweepDeg, c.count);
    const OCircleFit_Data data(points.x, points.y);
    const OCircleFit_Circle fit = OCircleFit::CircleFit(data, c.guess);

    EXPECT_NEAR(fit.m_dCenterX, c.circle.x, kTolerance) << c.name;
    EXPECT_NEAR(fit.m_dCenterY, c.circle.y, kTolerance) << c.name;
    EXPECT_NEAR(fit.m_dRadius, c.circle.r, kTolerance) << c.name;
    EXPECT_LT(fit.m_dSigma, kTolerance) << c.name;
    EXPECT_GE(fit.m_iIterations, 1) << c.name;
    EXPECT_LE(fit.m_iIterations, OCircleFit::IterMAX) << c.name << ": must converge";
}

// Circles, arcs and guesses; the last two make the fit draw random frame shifts or start far.
const ExactFitCase kExactCases[] = {
    {"full", {120, 80, 40}, 0, 360, 36, {118, 83, 37, kLargeSigma, 0}},
    {"quarter", {300, 250, 150}, 10, 90, 50, {290, 260, 140, kLargeSigma, 0}},
    {"fourPoints", {-20, 15, 5}, 45, 360, 4, {-19, 14, 6, kLargeSigma, 0}},
    {"aroundOrigin", {0, 0, 25}, 0, 360, 24, {0, 0, 20, kLargeSigma, 0}},
    {"guessOnFrameOrigin", {3, -1, 10}, 0, 360, 20, {0, -0.9, 12, kLargeSigma, 0}},
    {"roughGuess", {50, 50, 10}, 0, 300, 30, {45, 56, 13, kLargeSigma, 0}},
};

INSTANTIATE_TEST_SUITE_P(Circles, OCircleFitExact, ::testing::ValuesIn(kExactCases),
                         CaseName());

TEST(OCircleFit, GuessWithSigmaZeroComesBackAfterOneIteration) {
    PointLists points(30);
    AddArc(points, {10.0, 20.0, 8.0}, 0.0, 360.0, 30, 0.3);
    const OCircleFit_Data data(points.x, points.y);
    const OCircleFit_Circle guess(11.0, 19.0, 7.5, 0.0, 0);
    const OCircleFit_Circle fit = OCircleFit::CircleFit(data, guess);
    EXPECT_EQ(fit.m_iIterations, 1);
    EXPECT_EQ(fit.m_dSigma, 0.0);
    // "To within rounding": the round trip through A, F, theta folds theta with 6.283185308,
    // which turns the centre by about 5e-10 rad around the frame origin (1e-8 px here).
    EXPECT_NEAR(fit.m_dCenterX, guess.m_dCenterX, kTolerance);
    EXPECT_NEAR(fit.m_dCenterY, guess.m_dCenterY, kTolerance);
    EXPECT_NEAR(fit.m_dRadius, guess.m_dRadius, kTolerance);
}

TEST(OCircleFit, FrameShiftsRepeatAfterAGeneratorReset) {
    // The guess lies on the origin of the working frame, so the fit draws a random frame shift.
    PointLists points(40);
    AddArc(points, {4.0, 2.0, 30.0}, 0.0, 360.0, 40, 0.5);
    const OCircleFit_Data data(points.x, points.y);
    const OCircleFit_Circle guess(0.0, -0.9, 30.0, kLargeSigma, 0);
    OCircleFit reset;
    const OCircleFit_Circle first = OCircleFit::CircleFit(data, guess);
    OCircleFit again;
    const OCircleFit_Circle second = OCircleFit::CircleFit(data, guess);
    EXPECT_EQ(first.m_dCenterX, second.m_dCenterX);
    EXPECT_EQ(first.m_dCenterY, second.m_dCenterY);
    EXPECT_EQ(first.m_dRadius, second.m_dRadius);
    EXPECT_EQ(first.m_iIterations, second.m_iIterations);
    EXPECT_NE(OCircleFit::MT19937(), kFirstWords[0] / kLargestWord) << "the fit drew from it";
}

TEST(OCircleFit, UnusableInputReturnsTheGuessUnchanged) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const OCircleFit_Circle good(1.0, 2.0, 3.0, kLargeSigma, 7);
    struct Case {
        const char* name;
        int count;
        bool corruptPoint;  // point 4 gets x = badX
        double badX;
        OCircleFit_Circle guess;
    };
    const Case cases[] = {
        {"no points", 0, false, 0.0, good},
        {"NaN point", 10, true, nan, good},
        {"infinite point", 10, true, -inf, good},
        {"radius 0", 10, false, 0.0, {1.0, 2.0, 0.0, kLargeSigma, 7}},
        {"NaN centre", 10, false, 0.0, {nan, 2.0, 3.0, kLargeSigma, 7}},
        {"infinite radius", 10, false, 0.0, {1.0, 2.0, inf, kLargeSigma, 7}},
    };
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (const Case& c : cases) {
        PointLists points(10);
        AddArc(points, {1.0, 2.0, 3.0}, 0.0, 360.0, c.count);
        if (c.corruptPoint) {
            points.x[4] = c.badX;
        }
        const OCircleFit_Data data(points.x, points.y);
        const OCircleFit_Circle fit = OCircleFit::CircleFit(data, c.guess);
        EXPECT_EQ(fit.m_iIterations, 0) << c.name;
        EXPECT_TRUE(same(fit.m_dCenterX, c.guess.m_dCenterX)) << c.name;
        EXPECT_TRUE(same(fit.m_dCenterY, c.guess.m_dCenterY)) << c.name;
        EXPECT_TRUE(same(fit.m_dRadius, c.guess.m_dRadius)) << c.name;
        EXPECT_TRUE(same(fit.m_dSigma, c.guess.m_dSigma)) << c.name;
    }
}

TEST(OCircleFit, DegeneratePointSetsEndWithinTheIterationLimit) {
    struct Case {
        const char* name;
        std::vector<double> x;
        std::vector<double> y;
    };
    const Case cases[] = {
        {"collinear", {0, 1, 2, 3, 4, 5, 6}, {0, 2, 4, 6, 8, 10, 12}},
        {"all equal", {5, 5, 5, 5, 5}, {7, 7, 7, 7, 7}},
        {"two distinct", {0, 0, 10, 10, 0}, {0, 0, 0, 0, 0}},
        {"one point", {3}, {4}},
        {"huge coordinates", {1e200, -1e200, 0}, {0, 0, 1e200}},
    };
    for (const Case& c : cases) {
        std::vector<double> x = c.x;
        std::vector<double> y = c.y;
        const OCircleFit_Data data(x.size(), x.data(), y.data());
        const OCircleFit_Circle fit =
            OCircleFit::CircleFit(data, OCircleFit_Circle(1.0, 1.0, 5.0, kLargeSigma, 0));
        EXPECT_GE(fit.m_iIterations, 1) << c.name;
        EXPECT_LE(fit.m_iIterations, OCircleFit::IterMAX + 1) << c.name;
    }
}

}  // namespace
