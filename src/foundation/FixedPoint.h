#pragma once
// Raw fixed-point coordinates: signed 64-bit integers with 65536 units per pixel (16.16).
//
// Pixel rule: pixel i covers the coordinates [i, i + 1); its centre is i + 0.5. A raw value
// becomes a pixel by flooring (arithmetic shift), never by rounding.
//
// Every conversion and every raw sum goes through the helpers below, so that the rounding mode
// is in the name and overflow wraps around instead of being undefined.

#include <cmath>
#include <cstdint>
#include <limits>

namespace fixedpoint {

constexpr int kRawShift = 16;
constexpr std::int64_t kRawOne = std::int64_t{1} << kRawShift;  // one pixel in raw units
constexpr double kRawPerPixel = 65536.0;
static_assert(kRawPerPixel == static_cast<double>(kRawOne), "one pixel in raw units");

// Bit budget: any int pixel coordinate in raw units needs 31 + 16 = 47 bits, so sums and
// differences of up to 2^15 such values stay inside the 63 bits of a signed 64-bit integer.
static_assert(std::numeric_limits<int>::digits + kRawShift + 15 <=
                  std::numeric_limits<std::int64_t>::digits,
              "raw coordinates of int pixels leave 15 bits of headroom");

// RawFromDouble for a value known to lie in (-2^63, 2^63): std::llround without the library call
// (it is made for every point of every circle step). In that range the truncation is exact, and
// so is the fraction it leaves, which then says whether to round away from zero; from 2^52 on
// every double is whole and the fraction 0.
inline std::int64_t RawFromDoubleInRange(double value) {
    constexpr double kHalf = 0.5;
    const auto truncated = static_cast<std::int64_t>(value);
    const double fraction = value - static_cast<double>(truncated);
    return truncated + (fraction >= kHalf ? 1 : 0) - (fraction <= -kHalf ? 1 : 0);
}

// Raw units from a double, rounded to nearest with halves away from zero (std::llround).
// Values outside the 64-bit range saturate; NaN gives the most negative raw value, a point that
// lies outside every image.
inline std::int64_t RawFromDouble(double value) {
    // 2^63 is exactly representable; anything at or above it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (std::isnan(value)) {
        return std::numeric_limits<std::int64_t>::min();
    }
    if (value >= kLimit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value < -kLimit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return RawFromDoubleInRange(value);
}

// Raw units from whole pixels, exact.
constexpr std::int64_t RawFromPixel(int pixel) {
    return std::int64_t{pixel} * kRawOne;
}

// The pixel that contains a raw coordinate (floor), as a 64-bit number: the arithmetic shift
// rounds toward minus infinity. Hot loops that know their coordinates lie far inside the int
// pixel range compare these directly.
constexpr std::int64_t FloorPixel(std::int64_t raw) {
    return raw >> kRawShift;
}

// The pixel that contains a raw coordinate (floor), saturated to the int range so that a point
// far outside the image never wraps onto a pixel inside it.
constexpr int PixelFromRaw(std::int64_t raw) {
    const std::int64_t pixel = FloorPixel(raw);
    if (pixel > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (pixel < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(pixel);
}

// Truncation toward zero into an integer type that is defined for every input: a value beyond the
// type's range saturates at its limits, NaN gives 0; inside the range this is exactly the
// language's conversion. Used wherever a computed figure becomes an integer, so that an input
// outside the domain gives a meaningless but safe number instead of undefined behaviour.
template <class Int>
Int TruncateSaturated(double value) {
    // The lower limit as a double is exact (-2^k or 0); the upper one is 2^k, the first value
    // that no longer fits (max() + 1.0 rounds to it for every width).
    constexpr double kLowest = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double kAboveHighest = static_cast<double>(std::numeric_limits<Int>::max()) + 1.0;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= kAboveHighest) {
        return std::numeric_limits<Int>::max();
    }
    if (value <= kLowest) {
        return std::numeric_limits<Int>::min();
    }
    return static_cast<Int>(value);
}

// Truncation toward zero to int, saturating (see TruncateSaturated).
inline int TruncateToInt(double value) {
    return TruncateSaturated<int>(value);
}

// The half of the library's "add one half, then truncate toward zero" rounding, in the precision
// of the value. That rounding takes non-negative values to the nearest integer with halves up
// (2.5 gives 3, 2.49 gives 2); a negative value comes out one too high where plain rounding would
// round away from zero (-2.7 gives -2). Formulas that turn the sign or take the magnitude between
// the two halves (text escapements, arc step counts) call AddHalf alone.
template <class Real>
constexpr Real AddHalf(Real value) {
    return value + Real(0.5);
}

// Adds one half, then truncates toward zero into Int, saturating.
template <class Int = int>
Int AddHalfAndTruncate(double value) {
    return TruncateSaturated<Int>(AddHalf(value));
}

// Pixels as double from raw units.
constexpr double PixelsFromRaw(std::int64_t raw) {
    return static_cast<double>(raw) / kRawPerPixel;
}

// Two's-complement wrap-around arithmetic on raw values (defined for every input).
constexpr std::int64_t WrapAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
constexpr std::int64_t WrapSub(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
constexpr std::int64_t WrapMul(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

}  // namespace fixedpoint
