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
    return std::llround(value);
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

// Truncation toward zero to int that is defined for every input: NaN gives 0, values beyond the
// int range saturate. Used wherever a computed count becomes an int, so that an input outside the
// domain gives a meaningless but safe number instead of undefined behaviour.
inline int TruncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
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
