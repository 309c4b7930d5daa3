// OVector: conversions to raw 16.16 units (halves away from zero), the pixel rule (floor), the
// products, rotations and normalisation, and saturation of values that do not fit.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/Angles.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

namespace {

constexpr double kAngleTolerance = 1e-12;
constexpr std::int64_t kOne = 65536;  // raw units per pixel
using angles::kPi;
constexpr std::int64_t kRawMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kRawMin = std::numeric_limits<std::int64_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

OVector Raw(std::int64_t x, std::int64_t y) {
    return OVector(x, y);
}

TEST(VectorTest, FloatingPointConstructorsRoundHalvesAwayFromZero) {
    // Values exactly representable in float too (or beyond both), so both constructors agree.
    const std::pair<double, std::int64_t> cases[] = {
        {0.5 / 65536, 1},  {-0.5 / 65536, -1},  {1.5 / 65536, 2},
        {2.25 / 65536, 2}, {-2.75 / 65536, -3}, {-10.25, -10 * kOne - kOne / 4},
        {1e300, kRawMax},  {-1e300, kRawMin},   {kNaN, kRawMin}};  // saturated
    for (const auto& [pixels, raw] : cases) {
        EXPECT_EQ(OVector(pixels, pixels), Raw(raw, raw)) << "double " << pixels;
        const auto f = static_cast<float>(pixels);
        EXPECT_EQ(OVector(f, f), Raw(raw, raw)) << "float " << pixels;
    }
    EXPECT_DOUBLE_EQ(Raw(-5, 123457).dY(), 123457 / 65536.0);
    // Rounding edges of double only: the largest value below a half, a half just below 2^52,
    // the largest whole value below 2^63, and -2^63 itself.
    const std::pair<double, std::int64_t> doubleEdges[] = {
        {0.49999999999999994, 0},
        {-0.49999999999999994, 0},
        {4503599627370495.5, 4503599627370496},
        {-4503599627370495.5, -4503599627370496},
        {9223372036854774784.0, 9223372036854774784},
        {-9223372036854775808.0, kRawMin}};
    for (const auto& [raw, rounded] : doubleEdges) {
        EXPECT_EQ(OVector(raw / 65536, 0.0).GetRawX(), rounded) << "raw " << raw;
    }
}

TEST(VectorTest, PixelIsTheFloorOfTheCoordinate) {
    const std::pair<std::int64_t, int> cases[] = {
        {kOne - 1, 0},   {kOne, 1},          {-1, -1},
        {-kOne - 1, -2}, {kRawMax, INT_MAX}, {kRawMin, INT_MIN}};  // saturated
    for (const auto& [raw, pixel] : cases) {
        EXPECT_EQ(Raw(raw, 0).iX(), pixel) << "raw " << raw;
        EXPECT_EQ(Raw(0, raw).iY(), pixel) << "raw " << raw;
    }
}

TEST(VectorTest, ArithmeticRotationAndNormalisation) {
    EXPECT_EQ(OVector(1, -1) * 1e300, Raw(kRawMax, kRawMin));  // saturated
    EXPECT_EQ((OVector(1, -1) * kNaN).GetRawY(), kRawMin);
    // Integer arithmetic wraps around instead of overflowing (checked by the sanitizer build).
    EXPECT_EQ(Raw(kRawMax, kRawMin) + Raw(1, -1), Raw(kRawMin, kRawMax));
    EXPECT_EQ((Raw(kRawMax, kRawMin) * 2).GetRawY(), 0);
    EXPECT_EQ(Raw(3, -3) * 0.5, Raw(2, -2));  // 1.5 -> 2, -1.5 -> -2
    EXPECT_EQ(Raw(3, -3) * 0.5f, Raw(2, -2));
    // With y growing downwards, the positive turn of "right" is "down": clockwise on screen.
    EXPECT_EQ(OVector(3, -5).Rotate_90_Pos(), OVector(5, 3));
    EXPECT_EQ(OVector(3, -5).Rotate_90_Neg(), OVector(-5, -3));

    const std::pair<OVector, OVector> cases[] = {
        {OVector(3, 4), Raw(39322, 52429)},  // 39321.6, 52428.8
        {OVector(-3, -4), Raw(-39322, -52429)},
        {Raw(0, -1), OVector(0, -1)},
        {OVector(), OVector()}};  // a zero vector stays zero
    for (auto [v, normal] : cases) {
        v.Normalize();
        EXPECT_EQ(v, normal) << "to raw " << normal.GetRawX() << ", " << normal.GetRawY();
    }
}

TEST(VectorTest, AngleConstructorGivesTheRoundedUnitDirection) {
    const std::pair<double, OVector> cases[] = {
        {kPi / 2, OVector(0, 1)},  // cos is 6e-17, far below half a raw unit
        {kPi, OVector(-1, 0)},
        {kPi / 4, Raw(46341, 46341)}};  // 0.70710678 * 65536 = 46340.95
    for (const auto& [angle, direction] : cases) {
        EXPECT_EQ(OVector(angle), direction) << "angle " << angle;
    }
    EXPECT_NEAR(OVector(3, 4).dAngleRad(), std::atan2(4.0, 3.0), kAngleTolerance);
    EXPECT_NEAR(OVector(-1, 0).dAngleRad(), kPi, kAngleTolerance);
}

// Removing by index keeps the other points, as the same objects, in order; indices out of range or
// not rising are skipped, and a removed point the caller still holds stays alive.
TEST(VectorArrayTest, RemoveAtKeepsTheOthersInOrder) {
    OVector_Array array;
    std::vector<std::shared_ptr<OVector>> points;
    for (int k = 0; k < 6; ++k) {
        points.push_back(std::make_shared<OVector>(std::int64_t{k}, std::int64_t{0}));
        array.Add(points.back());
    }
    array.RemoveAt({-1, 1, 1, 0, 3, 4, 9});
    ASSERT_EQ(array.GetCount(), 3);
    EXPECT_EQ(array.GetPointerAt(0), points[0].get());
    EXPECT_EQ(array.GetPointerAt(1), points[2].get());
    EXPECT_EQ(array.GetPointerAt(2), points[5].get());
    EXPECT_EQ(points[1].use_count(), 1);
    EXPECT_EQ(points[0].use_count(), 2);
    array.RemoveAt({});
    array.RemoveAt({7});
    EXPECT_EQ(array.GetCount(), 3);
}

}  // namespace
