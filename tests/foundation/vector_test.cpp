// OVector: conversions to raw 16.16 units (halves away from zero), the pixel rule (floor), the
// products, rotations and normalisation, and saturation of values that do not fit.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "foundation/OVector.h"

namespace {

constexpr double kAngleTolerance = 1e-12;
constexpr std::int64_t kOne = 65536;  // raw units per pixel
constexpr double kPi = 3.141592653589793;
constexpr std::int64_t kRawMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kRawMin = std::numeric_limits<std::int64_t>::min();

struct RoundingCase {
    double pixels;
    std::int64_t raw;
};

// Pixel values whose raw product is exactly representable in float as well, so the float
// constructor must give the same raw values.
const RoundingCase kRoundingCases[] = {
    {0.0, 0},           {0.5 / 65536, 1},  // half a raw unit rounds away from zero
    {-0.5 / 65536, -1}, {1.5 / 65536, 2},    {-1.5 / 65536, -2},
    {2.25 / 65536, 2},  {-2.75 / 65536, -3}, {-10.25, -10 * kOne - kOne / 4},
    {3.0, 3 * kOne},
};

TEST(VectorTest, FloatingPointConstructorsRoundHalvesAwayFromZero) {
    for (const RoundingCase& c : kRoundingCases) {
        const OVector fromDouble(c.pixels, -c.pixels);
        EXPECT_EQ(fromDouble.GetRawX(), c.raw) << "double " << c.pixels;
        EXPECT_EQ(fromDouble.GetRawY(), -c.raw) << "double " << -c.pixels;
        const OVector fromFloat(static_cast<float>(c.pixels), static_cast<float>(-c.pixels));
        EXPECT_EQ(fromFloat.GetRawX(), c.raw) << "float " << c.pixels;
        EXPECT_EQ(fromFloat.GetRawY(), -c.raw) << "float " << -c.pixels;
    }
}

TEST(VectorTest, IntAndRawConstructorsAreExact) {
    const OVector pixels(-3, 7);
    EXPECT_EQ(pixels.GetRawX(), -3 * kOne);
    EXPECT_EQ(pixels.GetRawY(), 7 * kOne);
    const OVector raw(std::int64_t{-5}, std::int64_t{123457});
    EXPECT_EQ(raw.GetRawX(), -5);
    EXPECT_EQ(raw.GetRawY(), 123457);
    EXPECT_DOUBLE_EQ(raw.dY(), 123457 / 65536.0);
}

TEST(VectorTest, PixelIsTheFloorOfTheCoordinate) {
    struct Case {
        std::int64_t raw;
        int pixel;
    };
    const Case cases[] = {
        {0, 0},          {kOne - 1, 0},      {kOne, 1},         {-1, -1}, {-kOne, -1},
        {-kOne - 1, -2}, {kRawMax, INT_MAX}, {kRawMin, INT_MIN}};  // saturated, never wrapped
    for (const Case& c : cases) {
        const OVector v(c.raw, c.raw);
        EXPECT_EQ(v.iX(), c.pixel) << "raw " << c.raw;
        EXPECT_EQ(v.iY(), c.pixel) << "raw " << c.raw;
    }
    // -0.5 lies in pixel -1, which covers [-1, 0): rounding would wrongly give pixel 0.
    EXPECT_EQ(OVector(-0.5, -1.0).iX(), -1);
    EXPECT_EQ(OVector(-0.5, -1.0).iY(), -1);
}

TEST(VectorTest, HugeAndNaNValuesSaturate) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(OVector(1e300, -1e300).GetRawX(), kRawMax);
    EXPECT_EQ(OVector(1e300, -1e300).GetRawY(), kRawMin);
    EXPECT_EQ(OVector(nan, 0.0).GetRawX(), kRawMin);
    EXPECT_EQ(OVector(std::numeric_limits<float>::infinity(), 0.0f).GetRawX(), kRawMax);
    EXPECT_EQ((OVector(1, -1) * 1e300).GetRawX(), kRawMax);
    EXPECT_EQ((OVector(1, -1) * nan).GetRawY(), kRawMin);
    // Integer arithmetic wraps around instead of overflowing (checked by the sanitizer build).
    EXPECT_EQ((OVector(kRawMax, kRawMin) + OVector(std::int64_t{1}, std::int64_t{-1})).GetRawX(),
              kRawMin);
    EXPECT_EQ((OVector(kRawMax, kRawMin) * 2).GetRawY(), 0);
}

TEST(VectorTest, ProductsRoundTheScaledRawValue) {
    const OVector v(std::int64_t{3}, std::int64_t{-3});
    EXPECT_EQ(v * 0.5, OVector(std::int64_t{2}, std::int64_t{-2}));  // 1.5 -> 2, -1.5 -> -2
    EXPECT_EQ(v * 0.5f, OVector(std::int64_t{2}, std::int64_t{-2}));
    EXPECT_EQ(v * -4, OVector(std::int64_t{-12}, std::int64_t{12}));
    OVector w(2, -1);
    w *= 3;
    EXPECT_EQ(w, OVector(6, -3));
    w += OVector(1, 1);
    w -= OVector(0, 5);
    EXPECT_EQ(w, OVector(7, -7));
    EXPECT_EQ(OVector(1, 2) - OVector(3, 5), OVector(-2, -3));
}

TEST(VectorTest, RotationsTurnByAQuarter) {
    const OVector v(3, -5);
    EXPECT_EQ(v.Rotate_90_Pos(), OVector(5, 3));    // (-y, x)
    EXPECT_EQ(v.Rotate_90_Neg(), OVector(-5, -3));  // (y, -x)
    // With y growing downwards, the positive turn of "right" is "down": clockwise on screen.
    EXPECT_EQ(OVector(1, 0).Rotate_90_Pos(), OVector(0, 1));
}

TEST(VectorTest, NormalizeScalesToOnePixel) {
    struct Case {
        OVector in;
        OVector out;
    };
    const Case cases[] = {
        // 3 * 65536 / 5 = 39321.6, 4 * 65536 / 5 = 52428.8
        {OVector(3, 4), OVector(std::int64_t{39322}, std::int64_t{52429})},
        {OVector(-3, -4), OVector(std::int64_t{-39322}, std::int64_t{-52429})},
        {OVector(1000, 0), OVector(1, 0)},
        {OVector(std::int64_t{0}, std::int64_t{-1}), OVector(0, -1)},
        {OVector(), OVector()},  // a zero vector stays zero
    };
    for (const Case& c : cases) {
        OVector v = c.in;
        v.Normalize();
        EXPECT_EQ(v, c.out) << "from raw " << c.in.GetRawX() << ", " << c.in.GetRawY();
    }
}

TEST(VectorTest, AngleConstructorGivesTheRoundedUnitDirection) {
    struct Case {
        double angle;
        std::int64_t x;
        std::int64_t y;
    };
    const Case cases[] = {
        {0.0, kOne, 0},          {kPi / 2, 0, kOne},  // cos is 6e-17, far below half a raw unit
        {kPi, -kOne, 0},         {-kPi / 2, 0, -kOne},
        {kPi / 4, 46341, 46341},  // 0.70710678 * 65536 = 46340.95
    };
    for (const Case& c : cases) {
        const OVector v(c.angle);
        EXPECT_EQ(v.GetRawX(), c.x) << "angle " << c.angle;
        EXPECT_EQ(v.GetRawY(), c.y) << "angle " << c.angle;
    }
    EXPECT_NEAR(OVector(3, 4).dAngleRad(), std::atan2(4.0, 3.0), kAngleTolerance);
    EXPECT_NEAR(OVector(-1, 0).dAngleRad(), kPi, kAngleTolerance);
}

}  // namespace
