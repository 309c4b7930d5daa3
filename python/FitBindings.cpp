// The circle fit with its outlier filter and the regression line with its filters. Points come
// in as (n, 2) arrays in pixels; the fits run without the interpreter lock.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Bindings.h"
#include "PointArrays.h"
#include "Results.h"
#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/FixedPoint.h"
#include "regression/OVector_Regression.h"

namespace py = pybind11;

namespace pybinding {
namespace {

// The outlier filters, by the library's filter codes. The circle fit knows NONE and STDDEV.
enum class Filter : int {
    None = OVector_Regression::kFilterNone,
    StdDev = OVector_Regression::kFilterStdDev,
    DETSAC = OVector_Regression::kFilterDETSAC,
    DETSACFixed = OVector_Regression::kFilterDETSAC_FPGA,
};

constexpr std::size_t kMinCirclePoints = 3;
constexpr std::size_t kMinLinePoints = 2;
// Modes from which both fits compute their quality figures (the same number for both).
constexpr int kQualityMode = OVector_Regression::kModeQualityFigures;
static_assert(kQualityMode == OCircleFit_OutlierFilter::kModeChecked, "one default mode");
// The guess's sigma is the value the first fit must beat: any real fit does.
constexpr double kUnbeatenSigma = 1e10;
// DETSAC search levels.
constexpr int kSearchLevelMin = 0;
constexpr int kSearchLevelMax = 8;
// The regression refuses points a pixel or more left of or above the image.
constexpr double kLeastCoordinate = -1.0;

using Circle3 = std::array<double, 3>;

void CheckCount(std::size_t count) {
    if (count > static_cast<std::size_t>(INT_MAX)) {
        throw py::value_error("more than 2147483647 points");
    }
}

void CheckCommon(int iterations, double sigmaFactor) {
    if (iterations < 0) {
        throw py::value_error("iterations must be >= 0, got " + std::to_string(iterations));
    }
    if (!std::isfinite(sigmaFactor)) {
        throw py::value_error("sigma_factor must be a finite number");
    }
}

// The centroid and the mean distance from it: a guess from which the fit converges for points
// spread around most of a circle.
Circle3 CentroidGuess(const std::vector<Point>& points) {
    double sumX = 0.0;
    double sumY = 0.0;
    for (const Point& p : points) {
        sumX += p[0];
        sumY += p[1];
    }
    const double n = static_cast<double>(points.size());
    const double cx = sumX / n;
    const double cy = sumY / n;
    double sumR = 0.0;
    for (const Point& p : points) {
        sumR += std::hypot(p[0] - cx, p[1] - cy);
    }
    return {cx, cy, sumR / n};
}

std::optional<Deviation> MakeDeviation(bool found, double value, double x, double y, double fx,
                                       double fy) {
    if (!found) {
        return std::nullopt;
    }
    return Deviation{value, x, y, fx, fy};
}

std::optional<CircleFit> FitCircle(py::handle pointsArg, std::optional<Circle3> guessArg, int mode,
                                   Filter filter, int iterations, double sigmaFactor) {
    const std::vector<Point> points = PointsFromArray(pointsArg, kMinCirclePoints, "points");
    CheckCount(points.size());
    CheckCommon(iterations, sigmaFactor);
    if (filter != Filter::None && filter != Filter::StdDev) {
        throw py::value_error("the circle fit's filter is Filter.NONE or Filter.STDDEV");
    }
    const Circle3 guess = guessArg ? *guessArg : CentroidGuess(points);
    if (!std::isfinite(guess[0]) || !std::isfinite(guess[1]) || !std::isfinite(guess[2]) ||
        !(guess[2] > 0.0)) {
        throw py::value_error("guess must be (x, y, radius), finite with radius > 0");
    }

    const auto n = static_cast<std::int64_t>(points.size());
    OFastArrayList<double> xs(n);
    OFastArrayList<double> ys(n);
    for (const Point& p : points) {
        xs.Add(p[0]);
        ys.Add(p[1]);
    }
    const int noIterations = 0;
    OCircleFit_Circle circle(guess[0], guess[1], guess[2], kUnbeatenSigma, noIterations);
    OVector_Array inliers;
    OVector_Array outliers;
    int inlierCount = 0;
    int outlierCount = 0;
    bool devFound = false, innerFound = false, outerFound = false;
    double dev = 0, devX = 0, devY = 0, devCX = 0, devCY = 0;
    double inner = 0, inX = 0, inY = 0, inCX = 0, inCY = 0;
    double outer = 0, outX = 0, outY = 0, outCX = 0, outCY = 0;
    double sigmaAll = 0, sigmaInliers = 0;
    const bool all = true;  // every quality figure (computed in checked mode only)
    bool fitted = false;
    {
        py::gil_scoped_release withoutInterpreterLock;
        fitted = OCircleFit_OutlierFilter::bComputeCircleFit(
            mode, xs, ys, all, all, all, all, all, static_cast<int>(filter), iterations,
            sigmaFactor, circle, &inliers, &outliers, inlierCount, outlierCount, devFound, dev,
            devX, devY, devCX, devCY, innerFound, inner, inX, inY, inCX, inCY, outerFound, outer,
            outX, outY, outCX, outCY, sigmaAll, sigmaInliers, {});
    }
    if (!fitted) {
        return std::nullopt;
    }
    CircleFit result;
    result.x = circle.m_dCenterX;
    result.y = circle.m_dCenterY;
    result.radius = circle.m_dRadius;
    result.sigma = circle.m_dSigma;
    result.iterations = circle.m_iIterations;
    result.inliers = ArrayFromList(inliers);
    result.outliers = ArrayFromList(outliers);
    if (mode >= kQualityMode) {
        result.maxDeviation = MakeDeviation(devFound, dev, devX, devY, devCX, devCY);
        result.maxInnerDeviation = MakeDeviation(innerFound, inner, inX, inY, inCX, inCY);
        result.maxOuterDeviation = MakeDeviation(outerFound, outer, outX, outY, outCX, outCY);
        result.sigmaAll = sigmaAll;
        result.sigmaInliers = sigmaInliers;
    }
    return result;
}

std::optional<LineFit> FitLine(py::handle pointsArg, int mode, Filter filter, int iterations,
                               double sigmaFactor, int inlierDistance, int searchLevel) {
    const std::vector<Point> points = PointsFromArray(pointsArg, kMinLinePoints, "points");
    CheckCount(points.size());
    CheckCommon(iterations, sigmaFactor);
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!(points[i][0] > kLeastCoordinate && points[i][1] > kLeastCoordinate)) {
            throw py::value_error(
                "points must lie right of and below -1 pixel (the image "
                "starts at 0): point " +
                std::to_string(i) + " does not");
        }
    }
    if (filter == Filter::DETSAC &&
        (searchLevel < kSearchLevelMin || searchLevel > kSearchLevelMax)) {
        throw py::value_error("search_level must lie in 0..8, got " + std::to_string(searchLevel));
    }

    OVector_Array list;
    for (const Point& p : points) {
        list.Add(std::make_shared<OVector>(ToVector(p)));
    }
    OVector_Array outliers;
    double angle = 0.0;
    OVector centre;
    int inlierCount = 0;
    int outlierCount = 0;
    bool farthestFound = false;
    std::int64_t maxDistance = 0, farthestX = 0, farthestY = 0;
    double footX = 0.0, footY = 0.0, sigmaAll = 0.0, sigmaInliers = 0.0;
    const bool all = true;  // every quality figure (computed from mode 3 on)
    bool fitted = false;
    {
        py::gil_scoped_release withoutInterpreterLock;
        fitted = OVector_Regression::bComputeRegressionLine(
            mode, list, all, all, all, static_cast<int>(filter), iterations, sigmaFactor,
            inlierDistance, searchLevel, angle, centre, &outliers, inlierCount, outlierCount,
            farthestFound, maxDistance, farthestX, farthestY, footX, footY, sigmaAll, sigmaInliers,
            nullptr);
    }
    if (!fitted) {
        return std::nullopt;
    }
    LineFit result;
    result.angle = angle;
    result.x = centre.dX();
    result.y = centre.dY();
    result.inliers = ArrayFromList(list);  // the library leaves the inliers in the list
    result.outliers = ArrayFromList(outliers);
    if (mode >= kQualityMode) {
        result.farthest = MakeDeviation(farthestFound, fixedpoint::PixelsFromRaw(maxDistance),
                                        fixedpoint::PixelsFromRaw(farthestX),
                                        fixedpoint::PixelsFromRaw(farthestY), footX, footY);
        result.sigmaAll = sigmaAll;
        result.sigmaInliers = sigmaInliers;
    }
    return result;
}

}  // namespace

void BindFits(py::module_& m) {
    py::enum_<Filter>(m, "Filter",
                      "Outlier filters of the fits: NONE (every point), STDDEV (iterated band of "
                      "sigma_factor standard deviations), DETSAC (deterministic sample consensus "
                      "over whole pixels, thinned by search_level) and DETSAC_FIXED (exhaustive, "
                      "fixed-width arithmetic); the last two for lines only.")
        .value("NONE", Filter::None)
        .value("STDDEV", Filter::StdDev)
        .value("DETSAC", Filter::DETSAC)
        .value("DETSAC_FIXED", Filter::DETSACFixed);

    m.def("fit_circle", &FitCircle, py::arg("points"), py::arg("guess") = py::none(), py::kw_only(),
          py::arg("mode") = kQualityMode, py::arg("filter") = Filter::StdDev,
          py::arg("iterations") = 5, py::arg("sigma_factor") = 2.0,
          "Fit a circle to points ((n, 2) array of x, y in pixels, n >= 3) by geometric least "
          "squares, dropping outliers. guess: (x, y, radius) to start from; default the "
          "centroid and the mean distance from it (good for points around most of a circle; "
          "pass a guess for short arcs). filter STDDEV: up to `iterations` passes, each keeping "
          "the points whose squared distance from the centre lies within sigma_factor standard "
          "deviations (at least 1) of the mean, then refitting; NONE keeps every point. mode "
          "3 (checked, default): an implausible fit (centre beyond 10000 px, radius above "
          "20000) fails, a refit is kept only when it lowers sigma, and the quality figures are "
          "computed; below 3: plain. Returns a CircleFit, or None when the fit fails.");

    m.def("fit_line", &FitLine, py::arg("points"), py::kw_only(), py::arg("mode") = kQualityMode,
          py::arg("filter") = Filter::DETSAC, py::arg("iterations") = 5,
          py::arg("sigma_factor") = 2.0, py::arg("inlier_distance") = 2,
          py::arg("search_level") = 4,
          "Fit a straight line to points ((n, 2) array of x, y in pixels, n >= 2, none at or "
          "beyond one pixel left of or above the image) by exact integer least squares. mode "
          "below 2: y over x, turning vertical only when that is undefined; 2: along the axis "
          "of larger spread; 3 (default): as 2 with the quality figures. filter DETSAC "
          "(default): the line through a pair of points with most points within "
          "inlier_distance pixels wins (search_level 0..8 thins the pairs tried); DETSAC_FIXED: "
          "every pair; STDDEV: up to `iterations` passes of a sigma_factor standard-deviation "
          "band; NONE: every point. Returns a LineFit, or None when the fit fails (e.g. DETSAC "
          "finds no two distinct pixels).");
}

}  // namespace pybinding
