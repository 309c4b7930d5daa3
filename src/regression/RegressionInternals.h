#pragma once
// Internal to the regression: the constants and integer helpers shared by the fit stages and the
// outlier filters. Not installed, not exported.
//
// Reduced coordinates: the sums of the line fit work in 1/256 pixel (raw >> 8) and shift every
// product of two reduced values by 8 again before adding it, so that a sum of n products stays
// below 2^63 while n times the largest reduced coordinate stays below sqrt(2^63).
//
// Every product and sum goes through the wrap-around helpers of FixedPoint.h: for point sets
// outside the exact range the results wrap (two's complement) instead of being undefined.

#include <cstdint>

#include "foundation/FixedPoint.h"
#include "foundation/OFastArrayList.h"

namespace regression_detail {

// A whole pixel of the DETSAC filters (the bits 16..31 of raw coordinates, see the filters).
struct Pixel {
    std::int32_t x;
    std::int32_t y;
};

// Orientation of the fit: y over x, or x over y.
constexpr int kFlat = 0;
constexpr int kSteep = 1;

// Variances of raw distances come in raw * pixel (raw^2 / 2^16): mean^2 is scaled by 2^-16 to
// match, and the square root of a variance is in raw / 256.
constexpr double kInverseRawSquareScale = 1.0 / 65536.0;  // 2^-16, exact
constexpr double kSqrtVarianceScale = 256.0;

// Raw units (1/65536 pixel) to reduced units (1/256 pixel), and products of reduced values back to
// reduced units.
constexpr int kReduceShift = 8;
// Raw squares (raw^2) back to raw times pixel (raw^2 / 65536).
constexpr int kRawSquareShift = fixedpoint::kRawShift;

// Reduced coordinate of a raw coordinate (arithmetic shift: rounds toward minus infinity).
constexpr std::int64_t ReducedFromRaw(std::int64_t raw) {
    return raw >> kReduceShift;
}

// Raw value of a reduced sum: sum * 256, wrapping instead of overflowing.
constexpr std::int64_t RawFromReduced(std::int64_t reduced) {
    return fixedpoint::WrapMul(reduced, std::int64_t{1} << kReduceShift);
}

// a * b >> 8, the product wrapping at 64 bits and the shift arithmetic (toward minus infinity).
constexpr std::int64_t ReducedProduct(std::int64_t a, std::int64_t b) {
    return fixedpoint::WrapMul(a, b) >> kReduceShift;
}

// d * d >> 16 for a raw residual or distance: raw times pixels. The square wraps at 64 bits for
// residuals beyond about 46000 pixels.
constexpr std::int64_t RawSquareScaled(std::int64_t d) {
    return fixedpoint::WrapMul(d, d) >> kRawSquareShift;
}

// Step sizes of the DETSAC search: every B-th anchor, every S-th partner, every V-th voter.
struct DETSACSchedule {
    std::int64_t iAnchorStep;
    std::int64_t iPartnerStep;
    std::int64_t iVoteStep;
};

// The DETSAC step sizes for n points at a search level in 0..8.
DETSACSchedule GetDETSACSchedule(std::int64_t iPointCount, int iSearchLevel);

// One pass of the standard-deviation filter (OVector_Regression::FilterOutliers_StdDev_Aggressive,
// which calls it): splits the points into kept and removed by a band of mean +- dSigmaFactor
// standard deviations (never narrower than one pixel each side) around the mean residual from
// the current slope; always keeps at least two points.
void StdDevFilterPass(int iRegressionMode, const OFastArrayList<std::int64_t>& vX,
                      const OFastArrayList<std::int64_t>& vY, int iSteep, const double& dSlope,
                      const double& dSigmaFactor, OFastArrayList<std::int64_t>& vKeptX,
                      OFastArrayList<std::int64_t>& vKeptY, OFastArrayList<std::int64_t>& vRemovedX,
                      OFastArrayList<std::int64_t>& vRemovedY);

}  // namespace regression_detail
