#pragma once
// OVector_Regression: a straight line fitted to edge points by exact integer least squares, with
// optional outlier filters and quality figures.
//
// Units and conventions
// - Points are OVector raw coordinates: signed 64-bit, 65536 units per pixel (pixel i covers
//   [i, i + 1)). The sums are formed from reduced coordinates (raw >> 8, 1/256 pixel) and every
//   product is shifted by 8 before it is added, so each sum is an exact 64-bit integer that does
//   not depend on the order of the points. Floating point enters only in the final divisions.
// - The line is fitted as y over x (flat) or as x over y (steep). Mode below 2: flat, turning
//   vertical only when the flat denominator vanishes; mode 2: along the axis of larger spread;
//   mode above 2: as 2, plus the quality figures (farthest point, its foot on the line, standard
//   deviations of the perpendicular distances).
// - Angles are radians and name the direction of the line modulo pi. Internally a vertical line
//   has the slope 1e10 (kVerticalSlope).
// - Outlier filters (iFilterType): 1 iterated standard-deviation band, 2 DETSAC (deterministic
//   sample consensus over whole-pixel coordinates, thinned by the search level 0..8), 4 DETSAC with
//   fixed-width search arithmetic (11-bit coordinates, exhaustive). Any other value: no filter.
//
// Cost of DETSAC (type 2) for n points, with the anchor, partner and vote steps B, S, V of the
// search level: every B-th point is an anchor, every S-th later point its
// partner, every V-th point votes. An anchor with fewer than 64 partners counts its pairs one by
// one (at most 64 n / V tests); one with more counts all of them in one sweep over the partner
// directions, about n / V + (n / S) log(n / S) steps, points on one pixel voting once. The time
// therefore grows about as n^2 / B: level 8 (B = 1) as n^2 log n (70 ms at 1,000 points), level 4
// (B = 16) about 0.1 s at 10,000 points, level 0 (B = 256) about 1 ms at 10,000. Sets where many
// points share a pixel grow more slowly. The fixed-width search (type 4) tests every pair against
// every point: it grows as n^3 (about 25 ms at 300 points).
//
// Bad input: the answer is false, never an exception of the library's own.
// - No point: false, outputs reset. One point: false, the centre is that point, inlier count 1.
// - A raw coordinate of -65536 or below (a pixel or more left of / above the image): false, outputs
//   reset. A coordinate in -65535..-1 is moved to 0, in the caller's point as well, also when a
//   later point makes the call fail.
// - An empty slot (null pointer) in vaPoints counts as an invalid point: false, outputs reset.
// - Point sets beyond the exactness of the 64-bit sums (point count times the largest reduced
//   coordinate above 3037000499, about 1.19e7 point-pixels) are rejected: false, outputs reset,
//   vaPoints unchanged apart from the coordinates moved to 0.
// - DETSAC (type 2) with a search level outside 0..8 fails; so does DETSAC of either kind when no
//   pair of distinct pixels with support is found (for example all points on one pixel). A failed
//   filter leaves vaPoints empty.
// - Whole-pixel arithmetic of the DETSAC filters is 16-bit per coordinate (the whole-pixel bits
//   16..31 of raw values) with 32-bit squared distances; where points lie so far apart that these
//   overflow, they wrap around (two's complement) instead of being undefined, as does D2 for
//   |iInlierDistance| above 46340.
// - A floating-point figure that does not fit the integer it is truncated to (a residual or a
//   distance far outside the image, or not-a-number from a degenerate steep line of slope 0 or a
//   not-a-number sigma factor) saturates at the integer's limits; not-a-number becomes 0.
//
// vaPoints comes back holding the caller's own objects of the inliers, in their order, with the
// outliers dropped from it (when every point is an inlier it is left as it went in); the values are
// those of the inliers. The outliers are new OVector objects sharing one allocation, which is
// released with the last of them. Neither costs an atomic operation per kept or new point, so a
// process that has started a thread fits about as fast as one that has not; what remains is
// releasing the caller's references to the outliers, one atomic decrement each in such a process.
//
// The callback argument is taken by value, handed on to the DETSAC filters and released; it is
// never called. Out of memory surfaces as std::bad_alloc from the point-list storage.
//
// Usage:
//   OVector_Array points;                       // filled with edge points
//   double angle = 0.0;  OVector centre;  int inliers = 0, outliers = 0;
//   bool found = false;  std::int64_t dist = 0, fx = 0, fy = 0;
//   double footX = 0, footY = 0, sigmaAll = 0, sigmaIn = 0;
//   bool ok = OVector_Regression::bComputeRegressionLine(
//       2, points, false, false, false, OVector_Regression::kFilterDETSAC, 0, 2.0,
//       /*iInlierDistance*/ 2, /*iSearchLevel*/ 4, angle, centre, nullptr, inliers, outliers,
//       found, dist, fx, fy, footX, footY, sigmaAll, sigmaIn, nullptr);
//   // points now holds the inliers; centre and angle describe the line.

#include <cstdint>
#include <functional>

#include "EdgeDetectionExport.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"

class EDGEDETECTION_EXPORT OVector_Regression {
  public:
    // Values of iFilterType; any other value, kFilterNone among them, fits all points.
    static constexpr int kFilterNone = 0;
    static constexpr int kFilterStdDev = 1;
    static constexpr int kFilterDETSAC = 2;
    static constexpr int kFilterDETSAC_FPGA = 4;

    // Values of iRegressionMode: from kModeOrientationBySpread on, the orientation follows the
    // larger spread (and the std-dev filter needs one point fewer); from kModeQualityFigures on,
    // the quality figures are computed as well. Modes below: flat, vertical only when the flat
    // denominator vanishes.
    static constexpr int kModeFlat = 0;
    static constexpr int kModeOrientationBySpread = 2;
    static constexpr int kModeQualityFigures = 3;

    // Slope that stands for a vertical line.
    static constexpr double kVerticalSlope = 1e10;

    // Holds nothing; every operation is static.
    OVector_Regression();

    // Fits the line. Arguments as in the class comment: mode, the points (in: all, out on success:
    // the inliers in input order), the three quality flags, filter type, passes and
    // sigma factor of filter 1, inlier distance (pixels) and search level of filters 2 and 4, then
    // the outputs (angle, centre in raw units, optional outlier list, counts, farthest point with
    // its distance in raw units and perpendicular foot in pixels, sigmas in pixels) and the
    // callback. Returns true when a line was fitted.
    static bool bComputeRegressionLine(
        int iRegressionMode, OVector_Array& vaPoints, bool bFarthestPoint, bool bSigmaAll,
        bool bSigmaInliers, int iFilterType, int iFilterIterations, const double& dSigmaFactor,
        int iInlierDistance, int iSearchLevel, double& dLineAngle, OVector& vCentre,
        OVector_Array* pvaOutliers, int& iInlierCount, int& iOutlierCount, bool& bFarthestFound,
        std::int64_t& iMaxDistance, std::int64_t& iFarthestX, std::int64_t& iFarthestY,
        double& dFootX, double& dFootY, double& dSigmaAll, double& dSigmaInliers,
        std::function<bool()> fnCallback);

  private:
    using RawList = OFastArrayList<std::int64_t>;

    // Stage 1: the five exact sums, the orientation (0 flat, 1 steep) and the slope dy/dx.
    static void ComputeRegressionLinePart1(int iRegressionMode, const RawList& vX,
                                           const RawList& vY, int& iSteep, double& dSlope,
                                           std::int64_t& iSumX, std::int64_t& iSumXX,
                                           std::int64_t& iSumXY, std::int64_t& iSumY,
                                           std::int64_t& iSumYY);

    // Stage 2: centre (raw), intercept (pixels, y at x = 0) and angle of the line. Nothing is
    // done for a point count of 0 or less.
    static void ComputeRegressionLinePart2(int iPointCount, int iSteep, const double& dSlope,
                                           const std::int64_t& iSumX, const std::int64_t& iSumXX,
                                           const std::int64_t& iSumXY, const std::int64_t& iSumY,
                                           const std::int64_t& iSumYY, OVector& vCentre,
                                           double& dIntercept, double& dAngle);

    // Stage 3: the quality figures over all points and over the inliers.
    static void ComputeRegressionLinePart3(bool bFarthestPoint, bool bSigmaAll, bool bSigmaInliers,
                                           const RawList& vAllX, const RawList& vAllY,
                                           const RawList& vInlierX, const RawList& vInlierY,
                                           int iSteep, const double& dSlope,
                                           const double& dIntercept, bool& bFound,
                                           std::int64_t& iMaxDistance, std::int64_t& iFarthestX,
                                           std::int64_t& iFarthestY, double& dFootX, double& dFootY,
                                           double& dSigmaAll, double& dSigmaInliers);

    // One pass of the standard-deviation filter: splits the points into kept and removed by a band
    // of mean +- dSigmaFactor standard deviations (never narrower than one pixel each side) around
    // the mean residual from the current slope; always keeps at least two points.
    static void FilterOutliers_StdDev_Aggressive(int iRegressionMode, const RawList& vX,
                                                 const RawList& vY, int iSteep,
                                                 const double& dSlope, const double& dSigmaFactor,
                                                 RawList& vKeptX, RawList& vKeptY,
                                                 RawList& vRemovedX, RawList& vRemovedY);

    // DETSAC: the pair of points whose line has the most support among the sampled points wins,
    // then exactly the points that support it are the inliers. False (nothing appended) for a
    // search level outside 0..8 or when no pair of distinct pixels has support.
    static bool bFilterOutliers_DETSAC(const RawList& vX, const RawList& vY, int iInlierDistance,
                                       int iSearchLevel, RawList& vInlierX, RawList& vInlierY,
                                       RawList& vOutlierX, RawList& vOutlierY,
                                       std::function<bool()> fnCallback);

    // DETSAC with fixed-width search arithmetic over every pair and every point; iSearchLevel is
    // not used. The final split is exact, as in bFilterOutliers_DETSAC.
    static bool bFilterOutliers_DETSAC_FPGA(const RawList& vX, const RawList& vY,
                                            int iInlierDistance, int iSearchLevel,
                                            RawList& vInlierX, RawList& vInlierY,
                                            RawList& vOutlierX, RawList& vOutlierY,
                                            std::function<bool()> fnCallback);
};
