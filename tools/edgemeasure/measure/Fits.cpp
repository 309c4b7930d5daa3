#include "measure/Fits.h"

#include <cmath>
#include <cstdint>

#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/Angles.h"
#include "foundation/FixedPoint.h"
#include "foundation/OFastArrayList.h"
#include "regression/OVector_Regression.h"

namespace {

// The guess's sigma is the value the first fit must beat: any real fit does.
constexpr double kUnbeatenSigma = 1e10;
using fixedpoint::kRawPerPixel;

std::vector<Point2> Points(const OVector_Array& list) {
    std::vector<Point2> points;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (const OVector* p = list.GetPointerAt(i)) {
            points.push_back({p->dX(), p->dY()});
        }
    }
    return points;
}

OCircleFit_Circle InitialGuess(const std::vector<Point2>& points) {
    double sumX = 0.0;
    double sumY = 0.0;
    for (const Point2& p : points) {
        sumX += p.x;
        sumY += p.y;
    }
    const double n = static_cast<double>(points.size());
    const double cx = sumX / n;
    const double cy = sumY / n;
    double sumR = 0.0;
    for (const Point2& p : points) {
        sumR += std::hypot(p.x - cx, p.y - cy);
    }
    const int noIterations = 0;
    return OCircleFit_Circle(cx, cy, sumR / n, kUnbeatenSigma, noIterations);
}

int LibraryFilter(FitFilter filter) {
    switch (filter) {
        case FitFilter::StdDev:
            return OVector_Regression::kFilterStdDev;
        case FitFilter::DETSAC:
            return OVector_Regression::kFilterDETSAC;
        case FitFilter::DETSACFixed:
            return OVector_Regression::kFilterDETSAC_FPGA;
        case FitFilter::None:
            break;
    }
    return OVector_Regression::kFilterNone;
}

std::optional<CircleDeviation> Deviation(bool found, double value, double x, double y,
                                         double circleX, double circleY) {
    if (!found) {
        return std::nullopt;
    }
    return CircleDeviation{value, {x, y}, {circleX, circleY}};
}

}  // namespace

std::optional<CircleFitResult> FitCircle(const std::vector<Point2>& points,
                                         const CircleFitSetup& setup) {
    if (points.size() < static_cast<std::size_t>(kMinCirclePoints)) {
        return std::nullopt;
    }
    const auto n = static_cast<std::int64_t>(points.size());
    OFastArrayList<double> xs(n);
    OFastArrayList<double> ys(n);
    for (const Point2& p : points) {
        xs.Add(p.x);
        ys.Add(p.y);
    }
    OCircleFit_Circle circle = InitialGuess(points);
    OVector_Array inliers;
    OVector_Array outliers;
    int inlierCount = 0;
    int outlierCount = 0;
    bool devFound = false, innerFound = false, outerFound = false;
    double dev = 0, devX = 0, devY = 0, devCX = 0, devCY = 0;
    double inner = 0, inX = 0, inY = 0, inCX = 0, inCY = 0;
    double outer = 0, outX = 0, outY = 0, outCX = 0, outCY = 0;
    double sigmaAll = 0, sigmaInliers = 0;
    const bool all = true;  // every quality figure
    const int filter = setup.filter == FitFilter::StdDev ? OCircleFit_OutlierFilter::kFilterStdDev
                                                         : OCircleFit_OutlierFilter::kFilterNone;
    if (!OCircleFit_OutlierFilter::bComputeCircleFit(
            setup.mode, xs, ys, all, all, all, all, all, filter, setup.iterations,
            setup.sigmaFactor, circle, &inliers, &outliers, inlierCount, outlierCount, devFound,
            dev, devX, devY, devCX, devCY, innerFound, inner, inX, inY, inCX, inCY, outerFound,
            outer, outX, outY, outCX, outCY, sigmaAll, sigmaInliers, {})) {
        return std::nullopt;
    }
    CircleFitResult result;
    result.center = {circle.m_dCenterX, circle.m_dCenterY};
    result.radius = circle.m_dRadius;
    result.sigma = circle.m_dSigma;
    result.iterations = circle.m_iIterations;
    result.inliers = Points(inliers);
    result.outliers = Points(outliers);
    result.hasQuality = setup.mode >= OCircleFit_OutlierFilter::kModeChecked;
    if (result.hasQuality) {
        result.maxDeviation = Deviation(devFound, dev, devX, devY, devCX, devCY);
        result.maxInnerDeviation = Deviation(innerFound, inner, inX, inY, inCX, inCY);
        result.maxOuterDeviation = Deviation(outerFound, outer, outX, outY, outCX, outCY);
        result.sigmaAll = sigmaAll;
        result.sigmaInliers = sigmaInliers;
    }
    return result;
}

std::optional<LineFitResult> FitLine(const std::vector<Point2>& points, const LineFitSetup& setup) {
    if (points.size() < static_cast<std::size_t>(kMinLinePoints)) {
        return std::nullopt;
    }
    OVector_Array list;
    for (const Point2& p : points) {
        list.Add(std::make_shared<OVector>(p.x, p.y));
    }
    OVector_Array outliers;
    double angle = 0.0;
    OVector centre;
    int inlierCount = 0;
    int outlierCount = 0;
    bool farthestFound = false;
    std::int64_t maxDistance = 0, farthestX = 0, farthestY = 0;
    double footX = 0.0, footY = 0.0, sigmaAll = 0.0, sigmaInliers = 0.0;
    const bool all = true;  // every quality figure
    if (!OVector_Regression::bComputeRegressionLine(
            setup.mode, list, all, all, all, LibraryFilter(setup.filter), setup.iterations,
            setup.sigmaFactor, setup.inlierDistance, setup.searchLevel, angle, centre, &outliers,
            inlierCount, outlierCount, farthestFound, maxDistance, farthestX, farthestY, footX,
            footY, sigmaAll, sigmaInliers, nullptr)) {
        return std::nullopt;
    }
    LineFitResult result;
    // A line's direction is defined modulo pi: report it in [0, pi).
    result.angle = std::fmod(angle, angles::kPi);
    if (result.angle < 0.0) {
        result.angle += angles::kPi;
    }
    result.centre = {centre.dX(), centre.dY()};
    result.direction = {std::cos(result.angle), std::sin(result.angle)};
    result.inliers = Points(list);  // the library leaves the inliers in the list
    result.outliers = Points(outliers);
    result.hasQuality = setup.mode >= OVector_Regression::kModeQualityFigures;
    if (result.hasQuality) {
        if (farthestFound) {
            result.farthest = LineFarthest{maxDistance / kRawPerPixel,
                                           {farthestX / kRawPerPixel, farthestY / kRawPerPixel},
                                           {footX, footY}};
        }
        result.sigmaAll = sigmaAll;
        result.sigmaInliers = sigmaInliers;
    }
    return result;
}
