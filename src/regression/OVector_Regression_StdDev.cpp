// The iterated standard-deviation filter of OVector_Regression: one pass splits the points by a
// band around the mean residual from the current slope.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "foundation/FixedPoint.h"
#include "regression/OVector_Regression.h"
#include "regression/RegressionInternals.h"

namespace {

using fixedpoint::AddHalfAndTruncate;
using fixedpoint::TruncateSaturated;
using fixedpoint::WrapAdd;
using fixedpoint::WrapSub;
using regression_detail::kFlat;
using regression_detail::kInverseRawSquareScale;
using regression_detail::kSteep;
using regression_detail::RawSquareScaled;
using RawList = OFastArrayList<std::int64_t>;

// The band needs enough points to mean anything: three once the orientation follows the spread
// (mode 2 and above), four for the plain flat fit.
constexpr std::int64_t kStdDevMinPointsBySpread = 3;
constexpr std::int64_t kStdDevMinPointsFlat = 4;

// A pass never leaves fewer than two points, the least that still defines a line.
constexpr std::int64_t kMinKeptPoints = 2;

// The band is never narrower than one pixel on either side of the mean residual.
constexpr std::int64_t kMinBandHalfWidth = fixedpoint::kRawOne;

// The square root of a residual variance is in raw / 256: times 256 gives raw units.
constexpr double kSqrtVarianceToRaw = regression_detail::kSqrtVarianceScale;

void AppendAll(const RawList& xs, const RawList& ys, RawList& targetX, RawList& targetY) {
    targetX.AddRange(xs);
    targetY.AddRange(ys);
}

}  // namespace

void OVector_Regression::FilterOutliers_StdDev_Aggressive(int iRegressionMode, const RawList& vX,
                                                          const RawList& vY, int iSteep,
                                                          const double& dSlope,
                                                          const double& dSigmaFactor,
                                                          RawList& vKeptX, RawList& vKeptY,
                                                          RawList& vRemovedX, RawList& vRemovedY) {
    regression_detail::StdDevFilterPass(iRegressionMode, vX, vY, iSteep, dSlope, dSigmaFactor,
                                        vKeptX, vKeptY, vRemovedX, vRemovedY);
}

void regression_detail::StdDevFilterPass(int iRegressionMode, const RawList& vX, const RawList& vY,
                                         int iSteep, const double& dSlope,
                                         const double& dSigmaFactor, RawList& vKeptX,
                                         RawList& vKeptY, RawList& vRemovedX, RawList& vRemovedY) {
    vKeptX.RemoveAll();
    vKeptY.RemoveAll();
    vRemovedX.RemoveAll();
    vRemovedY.RemoveAll();
    const std::int64_t n = vX.GetCount();
    const std::int64_t minPoints = iRegressionMode >= OVector_Regression::kModeOrientationBySpread
                                       ? kStdDevMinPointsBySpread
                                       : kStdDevMinPointsFlat;
    // Too few points to judge, or an orientation that names no residual: keep everything.
    if (n < minPoints || (iSteep != kFlat && iSteep != kSteep)) {
        AppendAll(vX, vY, vKeptX, vKeptY);
        return;
    }

    // Residuals without the intercept (vertical offsets for a flat fit, horizontal ones for a
    // steep fit): the band is centred on their mean instead.
    std::vector<std::int64_t> residuals(static_cast<std::size_t>(n));
    std::int64_t iSum = 0;
    std::int64_t iSumSquares = 0;
    for (std::int64_t k = 0; k < n; ++k) {
        const double x = static_cast<double>(vX[k]);
        const double y = static_cast<double>(vY[k]);
        const double residual = iSteep == kFlat ? x * dSlope - y : y / dSlope - x;
        const auto r = AddHalfAndTruncate<std::int64_t>(residual);
        residuals[static_cast<std::size_t>(k)] = r;
        iSum = WrapAdd(iSum, r);
        iSumSquares = WrapAdd(iSumSquares, RawSquareScaled(r));
    }
    const double count = static_cast<double>(n);
    const double mean = static_cast<double>(iSum) / count;
    const double variance =
        static_cast<double>(iSumSquares) / count - mean * kInverseRawSquareScale * mean;
    if (variance < 0.0) {
        AppendAll(vX, vY, vKeptX, vKeptY);
        return;
    }

    const double halfWidth = std::sqrt(variance) * kSqrtVarianceToRaw * dSigmaFactor;
    const auto meanRaw = TruncateSaturated<std::int64_t>(mean);
    const std::int64_t low = std::min(WrapSub(meanRaw, kMinBandHalfWidth),
                                      TruncateSaturated<std::int64_t>(mean - halfWidth));
    const std::int64_t high = std::max(WrapAdd(meanRaw, kMinBandHalfWidth),
                                       TruncateSaturated<std::int64_t>(mean + halfWidth));

    for (std::int64_t k = 0; k < n; ++k) {
        const std::int64_t r = residuals[static_cast<std::size_t>(k)];
        const std::int64_t undecided = n - k;  // this point included
        const bool outside = r < low || r > high;
        // Removing this point would leave fewer than two even if all later ones were kept.
        const bool mustKeep = vKeptX.GetCount() + (undecided - 1) < kMinKeptPoints;
        if (outside && !mustKeep) {
            vRemovedX.Add(vX[k]);
            vRemovedY.Add(vY[k]);
        } else {
            vKeptX.Add(vX[k]);
            vKeptY.Add(vY[k]);
        }
    }
}
