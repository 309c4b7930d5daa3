#pragma once
// OCircleFit_OutlierFilter: the complete circle measurement. Fits a circle to a point set
// (OCircleFit), then repeatedly drops the points whose squared distance from the centre lies
// outside a band around the mean, refits on the rest, and reports the inliers, the rejected points
// and, on request, figures of fit quality.
//
// Units: the points are two lists of x and y, element k of both forming point k, in pixels; the
// circle and every figure are in the same units. The caller's circle is both the initial guess
// (with its sigma, the value the first fit must beat) and the result.
//
// Modes (iCircleFitMode):
//   below 3    plain: every filter pass that removes points is taken, followed by a refit;
//   3 or more  checked: a fit centred more than 10000 away from the origin on either axis, or
//              with a radius above 20000, is implausible (the call fails on the initial fit, a
//              refit ends the passes); a refit is kept only when it lowers sigma; the quality
//              figures are computed.
// Filter (iFilterType 1, at most iFilterIterations passes): a point is kept when its squared
// distance q from the centre lies within mean(q) +- max(dSigmaFactor * sd(q), 1.0); the first
// points are dropped freely, the last ones are kept as needed so that at least three remain.
// Any other filter type uses all points.
//
// Quality figures (mode 3 or more; each switched on by its flag): the input point of largest
// |d - r| (d its distance from the centre), the one farthest inside and the one farthest outside,
// each with the nearest point of the circle, all over all input points against the final circle;
// the standard deviation of d over all input points and over the inliers (0 when not positive).
// With fewer than 4 input points no figure is computed.
//
// Result lists: the inliers in input order; the outliers in the order in which they were
// dropped (pass by pass, input order within a pass). Both as new OVector points in pixels.
//
// Answers false, with the counts and figures at zero or false and the arrays untouched, when:
// - the two lists differ in count, hold fewer than 3 points, or more than 2147483647;
// - a point has a NaN or infinite coordinate, or the guess has a radius of 0 or a non-finite
//   centre or radius (cCircle unchanged in these first two cases);
// - the initial fit is implausible (mode 3 or more) or not finite (cCircle holds that fit);
// - a refit used 1000 iterations or more, or (below mode 3) is not finite (cCircle holds the last
//   accepted circle).
// fnCallback is taken by value and released; it is never called.
//
// Threads: no state of its own; see OCircleFit for the shared random generator.
//
//   OFastArrayList<double> xs(n), ys(n);       // the edge points, filled by the caller
//   OCircleFit_Circle circle(cx, cy, r, 1e10, 0);
//   int inliers = 0, outliers = 0;
//   bool devFound, innerFound, outerFound;
//   double dev, devX, devY, devCX, devCY, inner, inX, inY, inCX, inCY;
//   double outer, outX, outY, outCX, outCY, sigmaAll, sigmaInliers;
//   const double factor = 2.0;
//   bool ok = OCircleFit_OutlierFilter::bComputeCircleFit(
//       3, xs, ys, true, true, true, true, true, 1, 5, factor, circle, nullptr, nullptr,
//       inliers, outliers, devFound, dev, devX, devY, devCX, devCY, innerFound, inner, inX, inY,
//       inCX, inCY, outerFound, outer, outX, outY, outCX, outCY, sigmaAll, sigmaInliers, {});

#include <functional>

#include "EdgeDetectionExport.h"
#include "circlefit/OCircleFit.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OVector_Array.h"

class EDGEDETECTION_EXPORT OCircleFit_OutlierFilter {
  public:
    // Values of iCircleFitMode: below kModeChecked plain, from it on checked, with the quality
    // figures (see the class comment).
    static constexpr int kModePlain = 0;
    static constexpr int kModeChecked = 3;
    // Values of iFilterType: the standard-deviation filter; any other value, kFilterNone among
    // them, uses all points.
    static constexpr int kFilterNone = 0;
    static constexpr int kFilterStdDev = 1;

    OCircleFit_OutlierFilter() = default;
    ~OCircleFit_OutlierFilter() = default;
    OCircleFit_OutlierFilter(const OCircleFit_OutlierFilter&) = default;
    OCircleFit_OutlierFilter& operator=(const OCircleFit_OutlierFilter&) = default;

    // The lists are read only; they are taken by reference because the fits borrow their arrays.
    static bool bComputeCircleFit(
        int iCircleFitMode, OFastArrayList<double>& laX, OFastArrayList<double>& laY,
        bool bMaxDeviation, bool bMaxInnerDeviation, bool bMaxOuterDeviation, bool bSigmaAll,
        bool bSigmaInliers, int iFilterType, int iFilterIterations, const double& dSigmaFactor,
        OCircleFit_Circle& cCircle, OVector_Array* pvaInliers, OVector_Array* pvaOutliers,
        int& iInlierCount, int& iOutlierCount, bool& bMaxDevFound, double& dMaxDev,
        double& dMaxDevX, double& dMaxDevY, double& dMaxDevCircleX, double& dMaxDevCircleY,
        bool& bInnerDevFound, double& dMaxInnerDev, double& dInnerDevX, double& dInnerDevY,
        double& dInnerDevCircleX, double& dInnerDevCircleY, bool& bOuterDevFound,
        double& dMaxOuterDev, double& dOuterDevX, double& dOuterDevY, double& dOuterDevCircleX,
        double& dOuterDevCircleY, double& dSigmaAll, double& dSigmaInliers,
        std::function<bool()> fnCallback);

  private:
    // A fit on the points of two lists, which the point set borrows.
    static OCircleFit_Circle FitOn(OFastArrayList<double>& x, OFastArrayList<double>& y,
                                   const OCircleFit_Circle& start);

    // One filter pass: the kept and dropped points, each in input order.
    static void FilterOutliers_StdDev_Aggressive(
        const OFastArrayList<double>& laX, const OFastArrayList<double>& laY,
        const OCircleFit_Circle& cCircle, const double& dSigmaFactor,
        OFastArrayList<double>& laKeptX, OFastArrayList<double>& laKeptY,
        OFastArrayList<double>& laDroppedX, OFastArrayList<double>& laDroppedY);

    // The quality figures (outputs as arguments 17 to 36 of bComputeCircleFit).
    static void ComputeCircleFitFeatures(
        bool bMaxDeviation, bool bMaxInnerDeviation, bool bMaxOuterDeviation, bool bSigmaAll,
        bool bSigmaInliers, const OFastArrayList<double>& laAllX,
        const OFastArrayList<double>& laAllY, const OFastArrayList<double>& laInlierX,
        const OFastArrayList<double>& laInlierY, const OCircleFit_Circle& cCircle,
        bool& bMaxDevFound, double& dMaxDev, double& dMaxDevX, double& dMaxDevY,
        double& dMaxDevCircleX, double& dMaxDevCircleY, bool& bInnerDevFound, double& dMaxInnerDev,
        double& dInnerDevX, double& dInnerDevY, double& dInnerDevCircleX, double& dInnerDevCircleY,
        bool& bOuterDevFound, double& dMaxOuterDev, double& dOuterDevX, double& dOuterDevY,
        double& dOuterDevCircleX, double& dOuterDevCircleY, double& dSigmaAll,
        double& dSigmaInliers);
};
