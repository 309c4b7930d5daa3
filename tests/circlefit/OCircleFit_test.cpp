// The geometric fit, its point sets and its random generator.

#include "circlefit/OCircleFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>

#include "CirclePoints.h"

namespace {

using namespace circletest;  // point sets built from their definition

// Pixels: how close a fit of exact points must come to the true circle.
constexpr double kTolerance = 1e-6;
constexpr double kLargestWord = 4294967295.0;

TEST(OCircleFitGenerator, MatchesTheStandardTwisterAndStartsFresh) {
    // The seeding rule differs from std::mt19937's, but regeneration and tempering are the
    // standard ones: load the state that the seeding rule defines into std::mt19937 (its text
    // form is the 624 words, then the position 624 = "regenerate before the next word"). 4357 is
    // the seed of a fresh process, whose first word 3510405877 is the published one.
    constexpr unsigned kSeed = 4357u;
    std::ostringstream state;
    std::uint32_t word = kSeed;
    for (int i = 0; i < 624; ++i, word *= 69069u) {
        state << word << ' ';
    }
    state << 624;
    std::mt19937 reference;
    std::istringstream(state.str()) >> reference;
    OCircleFit::MT19937_Seed(kSeed);
    for (int i = 0; i < 3 * 624 + 5; ++i) {
        ASSERT_EQ(OCircleFit::MT19937(), reference() / kLargestWord) << "draw " << i;
    }
    OCircleFit reset;  // back to the state of a fresh process
    EXPECT_EQ(OCircleFit::MT19937(), 3510405877.0 / kLargestWord);
}

TEST(OCircleFitDistance, RelativeDifferenceOfTwoCircles) {
    const OCircleFit_Circle unit(0, 0, 1);
    EXPECT_DOUBLE_EQ(OCircleFit::Distance(unit, {3, 4, 1}), 3.5);  // (4 + 3 + 0) / 2
    EXPECT_DOUBLE_EQ(OCircleFit::Distance({3, 4, 1}, unit), 3.5);
    EXPECT_DOUBLE_EQ(OCircleFit::Distance(unit, {0, 0, 3}), 0.5);  // radii only: 2 / 4
    EXPECT_EQ(OCircleFit::Distance({5, -2, 7}, {5, -2, 7}), 0.0);
}

// The owning form copies the caller's arrays and shares them between copies; the borrowing form
// works in the caller's lists and counts only whole points.
TEST(OCircleFitData, OwnedArraysAreSharedAndBorrowedListsWrittenInPlace) {
    double xs[] = {0.0, 3.0, 1.0};
    double ys[] = {0.0, 4.0, 1.0};
    OCircleFit_Data copy;
    {
        OCircleFit_Data original(3, xs, ys);
        copy = original;
        const OCircleFit_Data second(original);
        original.GetX()[2] = 2.0;
    }  // original and second die; the arrays must live on in copy (AddressSanitizer checks)
    EXPECT_EQ(copy.GetX()[2], 2.0) << "copies share the arrays";
    EXPECT_EQ(xs[2], 1.0) << "the owning form copied the caller's array";
    EXPECT_EQ(OCircleFit_Data(1, xs, ys).GetMaxDist(), 0.0);
    EXPECT_EQ(OCircleFit_Data(4, nullptr, ys).GetCount(), 0u) << "a null array gives no points";

    PointLists points(4);
    points.Add(0.0, 0.0);
    points.Add(6.0, 0.0);
    points.Add(0.0, 8.0);
    points.x.Add(100.0);  // an x without a y: not a point
    OCircleFit_Data data(points.x, points.y);
    EXPECT_EQ(data.GetMaxDist(), 10.0) << "(6, 0) to (0, 8)";
    data.Center();  // means (2, 8/3), written into the borrowed lists
    EXPECT_DOUBLE_EQ(points.x[0], -2.0);
    EXPECT_DOUBLE_EQ(points.y[2], 8.0 - 8.0 / 3.0);
    EXPECT_EQ(points.x[3], 100.0) << "beyond the count nothing moves";
}

// Exact points: circles, arcs and guesses; the guess on the working frame's origin (0, -0.9)
// makes the fit draw random frame shifts, the last one starts far.
TEST(OCircleFit, ExactPointsGiveTheirCircle) {
    const struct {
        TrueCircle circle;
        double startDeg, sweepDeg;
        int count;
        OCircleFit_Circle guess;
    } cases[] = {{{120, 80, 40}, 0, 360, 36, {118, 83, 37, kLargeSigma, 0}},
                 {{300, 250, 150}, 10, 90, 50, {290, 260, 140, kLargeSigma, 0}},
                 {{-20, 15, 5}, 45, 360, 4, {-19, 14, 6, kLargeSigma, 0}},
                 {{0, 0, 25}, 0, 360, 24, {0, 0, 20, kLargeSigma, 0}},
                 {{3, -1, 10}, 0, 360, 20, {0, -0.9, 12, kLargeSigma, 0}},
                 {{50, 50, 10}, 0, 300, 30, {45, 56, 13, kLargeSigma, 0}}};
    for (const auto& c : cases) {
        PointLists points(c.count);
        AddArc(points, c.circle, c.startDeg, c.sweepDeg, c.count);
        const OCircleFit_Circle fit = OCircleFit::CircleFit({points.x, points.y}, c.guess);
        EXPECT_NEAR(fit.m_dCenterX, c.circle.x, kTolerance) << c.circle.r;
        EXPECT_NEAR(fit.m_dCenterY, c.circle.y, kTolerance) << c.circle.r;
        EXPECT_NEAR(fit.m_dRadius, c.circle.r, kTolerance) << c.circle.r;
        EXPECT_LT(fit.m_dSigma, kTolerance) << c.circle.r;
        EXPECT_LE(fit.m_iIterations, OCircleFit::IterMAX) << c.circle.r << ": must converge";
    }
}

TEST(OCircleFit, GuessWithSigmaZeroComesBackAfterOneIteration) {
    PointLists points(30);
    AddArc(points, {10.0, 20.0, 8.0}, 0.0, 360.0, 30);
    const OCircleFit_Circle guess(11.0, 19.0, 7.5, 0.0, 0);
    const OCircleFit_Circle fit = OCircleFit::CircleFit({points.x, points.y}, guess);
    EXPECT_EQ(fit.m_iIterations, 1);
    EXPECT_EQ(fit.m_dSigma, 0.0);
    // "To within rounding": the round trip through the fit's angle folds it with 6.283185308,
    // which turns the centre by about 5e-10 rad around the frame origin (1e-8 px here).
    EXPECT_NEAR(fit.m_dCenterX, guess.m_dCenterX, kTolerance);
    EXPECT_NEAR(fit.m_dCenterY, guess.m_dCenterY, kTolerance);
    EXPECT_NEAR(fit.m_dRadius, guess.m_dRadius, kTolerance);
}

TEST(OCircleFit, UnusableInputReturnsTheGuessUnchanged) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const OCircleFit_Circle good(1.0, 2.0, 3.0, kLargeSigma, 7);
    const struct {
        int count;
        double x4;  // point 4's x, when there are points
        OCircleFit_Circle guess;
    } cases[] = {{0, 0.0, good},
                 {10, nan, good},
                 {10, -inf, good},
                 {10, 4.0, {1.0, 2.0, 0.0, kLargeSigma, 7}},
                 {10, 4.0, {nan, 2.0, 3.0, kLargeSigma, 7}},
                 {10, 4.0, {1.0, 2.0, inf, kLargeSigma, 7}}};
    for (const auto& c : cases) {
        PointLists points(10);
        AddArc(points, {1.0, 2.0, 3.0}, 0.0, 360.0, c.count);
        if (c.count > 0) {
            points.x[4] = c.x4;
        }
        const OCircleFit_Circle fit = OCircleFit::CircleFit({points.x, points.y}, c.guess);
        EXPECT_EQ(fit.m_iIterations, 0) << c.count << ", " << c.x4 << ", " << c.guess.m_dRadius;
        EXPECT_EQ(fit.m_dRadius, c.guess.m_dRadius) << c.count << ", " << c.x4;
        EXPECT_EQ(fit.m_dCenterY, c.guess.m_dCenterY) << c.count << ", " << c.x4;
    }
}

}  // namespace
