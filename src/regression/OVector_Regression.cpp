#include "regression/OVector_Regression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/Angles.h"
#include "foundation/FixedPoint.h"
#include "foundation/VectorClones.h"
#include "regression/PointBlock.h"
#include "regression/RegressionInternals.h"

namespace {

using fixedpoint::AddHalfAndTruncate;
using fixedpoint::WrapAdd;
using fixedpoint::WrapMul;
using fixedpoint::WrapSub;
using regression_detail::kFlat;
using regression_detail::kInverseRawSquareScale;
using regression_detail::kSteep;
using regression_detail::RawFromReduced;
using regression_detail::RawSquareScaled;
using regression_detail::ReducedFromRaw;
using regression_detail::ReducedProduct;
using RawList = OFastArrayList<std::int64_t>;

using angles::kHalfPi;
using angles::kPi;
using angles::kTwoPi;

// A raw coordinate at or below minus one pixel lies wholly outside the image; one above it is
// still in the first pixel row or column and is moved onto 0.
constexpr std::int64_t kFirstInvalidRaw = -fixedpoint::kRawOne;

// The stage-1 products iSumX * iSumX, iSumX * iSumY and iSumY * iSumY stay exact while each sum is
// at most floor(sqrt(2^63 - 1)). A sum of n reduced coordinates is at most n times the largest
// one, so n * largest <= kMaxExactSum keeps every sum, product and n * sum-of-products exact
// (n * iSumXX <= (n * largest)^2 / 256).
constexpr std::uint64_t kMaxExactSum = 3037000499u;
static_assert(kMaxExactSum * kMaxExactSum <=
                  static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
              "the largest exact sum squared fits in a signed 64-bit integer");
static_assert((kMaxExactSum + 1) * (kMaxExactSum + 1) >
                  static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
              "kMaxExactSum is the largest such sum");

// The square root of a distance variance is in raw / 256: one more division by 256 gives pixels.
constexpr double kSqrtVarianceToPixels = regression_detail::kSqrtVarianceScale;

// Reads the raw coordinates of every point into the two lists, moving coordinates in
// -65535..-1 onto 0 (in the caller's point too). False for an empty slot or a coordinate of
// -65536 or below; the points before it keep their moved coordinates.
bool ReadPoints(const OVector_Array& points, RawList& xs, RawList& ys) {
    const int n = points.GetCount();
    for (int k = 0; k < n; ++k) {
        OVector* const point = points.GetPointerAt(k);
        if (point == nullptr) {
            return false;
        }
        std::int64_t x = point->GetRawX();
        if (x < 0) {
            if (x <= kFirstInvalidRaw) {
                return false;
            }
            x = 0;
            *point = OVector(x, point->GetRawY());
        }
        std::int64_t y = point->GetRawY();
        if (y < 0) {
            if (y <= kFirstInvalidRaw) {
                return false;
            }
            y = 0;
            *point = OVector(x, y);
        }
        xs.Add(x);
        ys.Add(y);
    }
    return true;
}

// True while the stage-1 sums of these (non-negative) coordinates are exact: the point count times
// the largest reduced coordinate is at most kMaxExactSum. Built for AVX2 too: there the largest
// coordinate is found four at a time instead of in one chain of dependent comparisons.
EDGEDETECTION_VECTOR_CLONES
bool SumsAreExact(const RawList& xs, const RawList& ys) {
    const std::int64_t n = xs.GetCount();
    if (n == 0) {
        return true;
    }
    std::int64_t largest = 0;
    for (std::int64_t k = 0; k < n; ++k) {
        largest = std::max(largest, std::max(xs[k], ys[k]));
    }
    return static_cast<std::uint64_t>(ReducedFromRaw(largest)) <=
           kMaxExactSum / static_cast<std::uint64_t>(n);
}

// The indices of the points that are not inliers, in rising order. The filters keep the inliers in
// input order, so each inlier is the next point with its coordinates; false if the lists ever
// disagree with that.
bool OutlierIndices(const RawList& allXs, const RawList& allYs, const RawList& inlierXs,
                    const RawList& inlierYs, std::vector<int>& outliers) {
    const std::int64_t count = allXs.GetCount();
    const std::int64_t inliers = inlierXs.GetCount();
    // The leading run of inliers first, in a plain loop: all points when the filter kept them all.
    std::int64_t next = 0;
    while (next < inliers && allXs[next] == inlierXs[next] && allYs[next] == inlierYs[next]) {
        ++next;
    }
    outliers.reserve(static_cast<std::size_t>(count - inliers));
    for (std::int64_t k = next; k < count; ++k) {
        if (next < inliers && allXs[k] == inlierXs[next] && allYs[k] == inlierYs[next]) {
            ++next;
        } else {
            // The point count is an int.
            outliers.push_back(static_cast<int>(k));
        }
    }
    return next == inliers;
}

// The stage-1 sums of reduced coordinates and of their reduced products.
struct PointSums {
    std::int64_t x = 0;
    std::int64_t xx = 0;
    std::int64_t xy = 0;
    std::int64_t y = 0;
    std::int64_t yy = 0;
};

EDGEDETECTION_VECTOR_CLONES
PointSums SumPoints(const std::int64_t* xs, const std::int64_t* ys, std::int64_t n) {
    PointSums sums;
    for (std::int64_t k = 0; k < n; ++k) {
        const std::int64_t x = ReducedFromRaw(xs[k]);
        const std::int64_t y = ReducedFromRaw(ys[k]);
        sums.x = WrapAdd(sums.x, x);
        sums.xx = WrapAdd(sums.xx, ReducedProduct(x, x));
        sums.xy = WrapAdd(sums.xy, ReducedProduct(x, y));
        sums.y = WrapAdd(sums.y, y);
        sums.yy = WrapAdd(sums.yy, ReducedProduct(y, y));
    }
    return sums;
}

// Leaves in the list, which holds the points read into the all-points lists, the inliers. They stay
// the caller's own objects, in their order, and the outliers are dropped: the values are those new
// points would have, and keeping a point costs no reference-count update, where making a new one
// and releasing the caller's costs an atomic one in a process that has started a thread.
void KeepInliers(const RawList& allXs, const RawList& allYs, const RawList& inlierXs,
                 const RawList& inlierYs, OVector_Array& points) {
    std::vector<int> outliers;
    if (OutlierIndices(allXs, allYs, inlierXs, inlierYs, outliers)) {
        points.RemoveAt(outliers);
    } else {
        points.RemoveAll();
        regression_detail::PointBlock::AppendPoints(inlierXs, inlierYs, points);
    }
}

// n * iSumAB - (iSumA * iSumB >> 8): n times the centred sum of products, the numerator and
// denominator terms of the slope and the angle.
std::int64_t CentredTerm(std::int64_t n, std::int64_t iSumAB, std::int64_t iSumA,
                         std::int64_t iSumB) {
    return WrapSub(WrapMul(n, iSumAB), ReducedProduct(iSumA, iSumB));
}

// iSumAA - (iSumA * iSumA / n >> 8): the spread of one coordinate (the division truncates, then
// the shift rounds down).
std::int64_t Spread(std::int64_t n, std::int64_t iSumAA, std::int64_t iSumA) {
    return WrapSub(iSumAA, (WrapMul(iSumA, iSumA) / n) >> regression_detail::kReduceShift);
}

// Signed perpendicular distance of a raw point from the line, in raw units, truncated to 32 bits.
// Flat: (X * m + b - Y) / r; steep: ((Y - b) / m - X) * (m / r), the same distance with the
// opposite sign. The half is added before the truncation toward zero.
struct LineDistance {
    int iSteep;
    double dSlope;
    double dInterceptRaw;
    double dNorm;

    std::int64_t operator()(std::int64_t rawX, std::int64_t rawY) const {
        const double x = static_cast<double>(rawX);
        const double y = static_cast<double>(rawY);
        const double distance = iSteep == kFlat
                                    ? (x * dSlope + dInterceptRaw - y) / dNorm
                                    : ((y - dInterceptRaw) / dSlope - x) * (dSlope / dNorm);
        return AddHalfAndTruncate<std::int32_t>(distance);
    }
};

// Sum of the distances and of their squares (raw * pixel) over a point set.
struct DistanceSums {
    std::int64_t iSum = 0;
    std::int64_t iSumSquares = 0;

    void Add(std::int64_t distance) {
        iSum = WrapAdd(iSum, distance);
        iSumSquares = WrapAdd(iSumSquares, RawSquareScaled(distance));
    }

    // Standard deviation in pixels; 0 when the variance is not positive.
    double Sigma(std::int64_t count) const {
        const double mean = static_cast<double>(iSum) / static_cast<double>(count);
        const double meanSquares = static_cast<double>(iSumSquares) / static_cast<double>(count);
        const double variance = meanSquares - mean * kInverseRawSquareScale * mean;
        return variance > 0.0 ? std::sqrt(variance) / kSqrtVarianceToPixels : 0.0;
    }
};

// The quality figures of stage 3 before anything is known: not found, zero distances and sigmas.
void ResetQualityFigures(bool& bFound, std::int64_t& iMaxDistance, std::int64_t& iFarthestX,
                         std::int64_t& iFarthestY, double& dFootX, double& dFootY,
                         double& dSigmaAll, double& dSigmaInliers) {
    bFound = false;
    iMaxDistance = 0;
    iFarthestX = 0;
    iFarthestY = 0;
    dFootX = 0.0;
    dFootY = 0.0;
    dSigmaAll = 0.0;
    dSigmaInliers = 0.0;
}

}  // namespace

OVector_Regression::OVector_Regression() = default;

bool OVector_Regression::bComputeRegressionLine(
    int iRegressionMode, OVector_Array& vaPoints, bool bFarthestPoint, bool bSigmaAll,
    bool bSigmaInliers, int iFilterType, int iFilterIterations, const double& dSigmaFactor,
    int iInlierDistance, int iSearchLevel, double& dLineAngle, OVector& vCentre,
    OVector_Array* pvaOutliers, int& iInlierCount, int& iOutlierCount, bool& bFarthestFound,
    std::int64_t& iMaxDistance, std::int64_t& iFarthestX, std::int64_t& iFarthestY, double& dFootX,
    double& dFootY, double& dSigmaAll, double& dSigmaInliers, std::function<bool()> fnCallback) {
    dLineAngle = 0.0;
    vCentre = OVector(std::int64_t{0}, std::int64_t{0});
    iInlierCount = 0;
    iOutlierCount = 0;
    ResetQualityFigures(bFarthestFound, iMaxDistance, iFarthestX, iFarthestY, dFootX, dFootY,
                        dSigmaAll, dSigmaInliers);

    const int n = vaPoints.GetCount();
    if (n == 0) {
        return false;
    }
    if (n == 1) {
        // No line through one point, but its position is still worth reporting.
        const std::shared_ptr<OVector> point = vaPoints.GetAt(0);
        if (point) {
            vCentre = OVector(point->GetRawX(), point->GetRawY());
            iInlierCount = 1;
        }
        return false;
    }

    RawList vAllX(n);
    RawList vAllY(n);
    if (!ReadPoints(vaPoints, vAllX, vAllY) || !SumsAreExact(vAllX, vAllY)) {
        return false;
    }
    // From here the list is handed back holding the inliers, or empty when there is no line. It
    // keeps the points read (negative coordinates already clamped) until the end, where the
    // outliers are dropped from it; a fit that keeps every point leaves it as it is.
    const auto noLine = [&vaPoints] {
        vaPoints.RemoveAll();
        return false;
    };

    RawList vInlierX(n);
    RawList vInlierY(n);
    RawList vOutlierX(n);
    RawList vOutlierY(n);
    // The inliers: the point lists themselves until a filter drops a point, so that a fit keeping
    // every point copies nothing.
    const RawList* pInlierX = &vAllX;
    const RawList* pInlierY = &vAllY;
    bool bFiltered = true;
    if (iFilterType == kFilterDETSAC) {
        bFiltered = bFilterOutliers_DETSAC(vAllX, vAllY, iInlierDistance, iSearchLevel, vInlierX,
                                           vInlierY, vOutlierX, vOutlierY, fnCallback);
        pInlierX = &vInlierX;
        pInlierY = &vInlierY;
    } else if (iFilterType == kFilterDETSAC_FPGA) {
        bFiltered =
            bFilterOutliers_DETSAC_FPGA(vAllX, vAllY, iInlierDistance, iSearchLevel, vInlierX,
                                        vInlierY, vOutlierX, vOutlierY, fnCallback);
        pInlierX = &vInlierX;
        pInlierY = &vInlierY;
    }
    if (!bFiltered) {
        return noLine();
    }

    int iSteep = kFlat;
    double dSlope = 0.0;
    std::int64_t iSumX = 0;
    std::int64_t iSumXX = 0;
    std::int64_t iSumXY = 0;
    std::int64_t iSumY = 0;
    std::int64_t iSumYY = 0;
    ComputeRegressionLinePart1(iRegressionMode, *pInlierX, *pInlierY, iSteep, dSlope, iSumX, iSumXX,
                               iSumXY, iSumY, iSumYY);

    if (iFilterType == kFilterStdDev && iFilterIterations > 0) {
        RawList vKeptX(n);
        RawList vKeptY(n);
        RawList vRemovedX(n);
        RawList vRemovedY(n);
        for (int pass = 0; pass < iFilterIterations; ++pass) {
            FilterOutliers_StdDev_Aggressive(iRegressionMode, *pInlierX, *pInlierY, iSteep, dSlope,
                                             dSigmaFactor, vKeptX, vKeptY, vRemovedX, vRemovedY);
            if (vKeptX.GetCount() == pInlierX->GetCount()) {
                break;
            }
            vInlierX.CopyFrom(vKeptX);
            vInlierY.CopyFrom(vKeptY);
            pInlierX = &vInlierX;
            pInlierY = &vInlierY;
            vOutlierX.AddRange(vRemovedX);
            vOutlierY.AddRange(vRemovedY);
            ComputeRegressionLinePart1(iRegressionMode, vInlierX, vInlierY, iSteep, dSlope, iSumX,
                                       iSumXX, iSumXY, iSumY, iSumYY);
        }
    }

    if (pInlierX->GetCount() == 0) {
        return noLine();
    }
    // Both counts are at most n, an int.
    const int m = static_cast<int>(pInlierX->GetCount());
    double dIntercept = 0.0;
    ComputeRegressionLinePart2(m, iSteep, dSlope, iSumX, iSumXX, iSumXY, iSumY, iSumYY, vCentre,
                               dIntercept, dLineAngle);
    if (iRegressionMode >= kModeQualityFigures) {
        ComputeRegressionLinePart3(bFarthestPoint, bSigmaAll, bSigmaInliers, vAllX, vAllY,
                                   *pInlierX, *pInlierY, iSteep, dSlope, dIntercept, bFarthestFound,
                                   iMaxDistance, iFarthestX, iFarthestY, dFootX, dFootY, dSigmaAll,
                                   dSigmaInliers);
    }
    iInlierCount = m;
    iOutlierCount = static_cast<int>(vOutlierX.GetCount());

    if (pInlierX != &vAllX) {
        KeepInliers(vAllX, vAllY, vInlierX, vInlierY, vaPoints);
    }
    if (pvaOutliers != nullptr) {
        pvaOutliers->RemoveAll();
        regression_detail::PointBlock::AppendPoints(vOutlierX, vOutlierY, *pvaOutliers);
    }
    return true;
}

void OVector_Regression::ComputeRegressionLinePart1(int iRegressionMode, const RawList& vX,
                                                    const RawList& vY, int& iSteep, double& dSlope,
                                                    std::int64_t& iSumX, std::int64_t& iSumXX,
                                                    std::int64_t& iSumXY, std::int64_t& iSumY,
                                                    std::int64_t& iSumYY) {
    iSumX = 0;
    iSumXX = 0;
    iSumXY = 0;
    iSumY = 0;
    iSumYY = 0;
    iSteep = kFlat;
    const std::int64_t n = vX.GetCount();
    if (n <= 0) {
        return;
    }
    const PointSums sums = SumPoints(&vX[0], &vY[0], n);
    iSumX = sums.x;
    iSumXX = sums.xx;
    iSumXY = sums.xy;
    iSumY = sums.y;
    iSumYY = sums.yy;
    dSlope = 0.0;

    // A tie of the spreads keeps the flat fit.
    if (iRegressionMode >= kModeOrientationBySpread &&
        Spread(n, iSumXX, iSumX) < Spread(n, iSumYY, iSumY)) {
        iSteep = kSteep;
    }

    if (iSteep == kFlat) {
        const std::int64_t numerator = CentredTerm(n, iSumXY, iSumX, iSumY);
        const std::int64_t denominator = CentredTerm(n, iSumXX, iSumX, iSumX);
        if (denominator != 0) {
            dSlope = static_cast<double>(numerator) / static_cast<double>(denominator);
        } else if (iRegressionMode < kModeOrientationBySpread) {
            // The flat fit has no x spread at all: the line is vertical. The slope 1e10 is final;
            // the steep formulas below are the other branch, not a second step.
            iSteep = kSteep;
            dSlope = kVerticalSlope;
        }
    } else {
        // Steep: the slope is still dy/dx, from the sums taken the other way round.
        const std::int64_t numerator = CentredTerm(n, iSumYY, iSumY, iSumY);
        const std::int64_t denominator = CentredTerm(n, iSumXY, iSumX, iSumY);
        if (denominator != 0) {
            dSlope = static_cast<double>(numerator) / static_cast<double>(denominator);
        } else if (numerator != 0) {
            dSlope = kVerticalSlope;
        }
    }
}

void OVector_Regression::ComputeRegressionLinePart2(
    int iPointCount, int iSteep, const double& dSlope, const std::int64_t& iSumX,
    const std::int64_t& iSumXX, const std::int64_t& iSumXY, const std::int64_t& iSumY,
    const std::int64_t& iSumYY, OVector& vCentre, double& dIntercept, double& dAngle) {
    if (iPointCount <= 0) {
        return;
    }
    const std::int64_t m = iPointCount;
    vCentre = OVector(RawFromReduced(iSumX) / m, RawFromReduced(iSumY) / m);
    dIntercept = vCentre.dY() - vCentre.dX() * dSlope;

    const std::int64_t numerator = CentredTerm(m, iSumXY, iSumX, iSumY);
    if (iSteep == kFlat) {
        const std::int64_t denominator = CentredTerm(m, iSumXX, iSumX, iSumX);
        if (denominator != 0) {
            dAngle = std::atan(static_cast<double>(numerator) / static_cast<double>(denominator));
            if (denominator < 0) {
                dAngle += kPi;
            }
        } else if (numerator > 0) {
            dAngle = kHalfPi;
        } else if (numerator < 0) {
            dAngle = -kHalfPi;
        }
    } else if (iSteep == kSteep) {
        const std::int64_t denominator = CentredTerm(m, iSumYY, iSumY, iSumY);
        if (denominator != 0) {
            dAngle = kHalfPi -
                     std::atan(static_cast<double>(numerator) / static_cast<double>(denominator));
            if (denominator < 0) {
                dAngle += kPi;
            }
        } else if (numerator > 0) {
            dAngle = 0.0;
        } else if (numerator < 0) {
            dAngle = kTwoPi;
        }
    }
}

void OVector_Regression::ComputeRegressionLinePart3(
    bool bFarthestPoint, bool bSigmaAll, bool bSigmaInliers, const RawList& vAllX,
    const RawList& vAllY, const RawList& vInlierX, const RawList& vInlierY, int iSteep,
    const double& dSlope, const double& dIntercept, bool& bFound, std::int64_t& iMaxDistance,
    std::int64_t& iFarthestX, std::int64_t& iFarthestY, double& dFootX, double& dFootY,
    double& dSigmaAll, double& dSigmaInliers) {
    ResetQualityFigures(bFound, iMaxDistance, iFarthestX, iFarthestY, dFootX, dFootY, dSigmaAll,
                        dSigmaInliers);

    const std::int64_t nAll = vAllX.GetCount();
    const std::int64_t nInliers = vInlierX.GetCount();
    if (nAll < 2) {
        return;
    }
    if (nAll == 2) {
        // Both points lie on their own line: there is no farthest point, only a reference point.
        if (nInliers == 2) {
            iFarthestX = vInlierX[0];
            iFarthestY = vInlierY[0];
            dFootX = fixedpoint::PixelsFromRaw(iFarthestX);
            dFootY = fixedpoint::PixelsFromRaw(iFarthestY);
        }
        return;
    }
    if (iSteep != kFlat && iSteep != kSteep) {
        return;  // no distances: no farthest point, and sums of 0 give no sigma
    }

    const double m = dSlope;
    const LineDistance distance{iSteep, m, dIntercept * fixedpoint::kRawPerPixel,
                                std::sqrt(m * m + 1.0)};

    std::int64_t iLargest = -1;  // below every |d|, so the first point always qualifies
    std::int64_t iFarthest = -1;
    if (bFarthestPoint || bSigmaAll) {
        DistanceSums all;
        for (std::int64_t k = 0; k < nAll; ++k) {
            const std::int64_t d = distance(vAllX[k], vAllY[k]);
            if (bSigmaAll) {
                all.Add(d);
            }
            const std::int64_t magnitude = std::llabs(d);  // |d| <= 2^31: fits
            if (magnitude > iLargest) {
                iLargest = magnitude;
                iFarthest = k;
            }
        }
        if (bSigmaAll) {
            dSigmaAll = all.Sigma(nAll);
        }
    }
    if (bSigmaInliers && nInliers > 0) {
        DistanceSums inliers;
        for (std::int64_t k = 0; k < nInliers; ++k) {
            inliers.Add(distance(vInlierX[k], vInlierY[k]));
        }
        dSigmaInliers = inliers.Sigma(nInliers);
    }

    if (bFarthestPoint && iFarthest >= 0) {
        iFarthestX = vAllX[iFarthest];
        iFarthestY = vAllY[iFarthest];
        const double x = fixedpoint::PixelsFromRaw(iFarthestX);
        const double y = fixedpoint::PixelsFromRaw(iFarthestY);
        dFootX = (y * m + x - m * dIntercept) / (m * m + 1.0);
        dFootY = dFootX * m + dIntercept;
        iMaxDistance = iLargest;
        bFound = true;
    }
}
