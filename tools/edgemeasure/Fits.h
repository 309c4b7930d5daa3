#pragma once
// Fits: the circle and the line through the edges of a measurement, by the library's fits.
//
// Circle: OCircleFit_OutlierFilter::bComputeCircleFit on the points in pixels. The first guess is
// the centroid of the points with their mean distance from it, and a guess sigma that any fit
// beats. Filter "stddev" is the library's filter type 1, "none" uses every point.
// Line: OVector_Regression::bComputeRegressionLine on the points as raw fixed-point vectors.
// Filters: "stddev" 1, "detsac" 2, "detsac-fixed" 4 (OVector_Regression::kFilter...), "none" 0.
// The line's angle is reported in [0, pi) (the direction of a line is only defined modulo pi).
// Quality figures come with fit mode 3 only (the library computes them in its checked mode).
//
// Both answer nothing when the library's fit fails; fewer than 3 points (circle) or 2 (line)
// are not fitted at all.
//
//   std::optional<CircleFitResult> circle = FitCircle(points, spec.circleFit);

#include <optional>
#include <vector>

#include "Job.h"

// The largest deviation of a point from the circle: its value, the point and the nearest point
// of the circle.
struct CircleDeviation {
    double value = 0.0;
    Point2 point;
    Point2 onCircle;
};

struct CircleFitResult {
    Point2 center;
    double radius = 0.0;
    double sigma = 0.0;  // root-mean-square geometric distance of the inliers
    int iterations = 0;
    std::vector<Point2> inliers;
    std::vector<Point2> outliers;
    bool hasQuality = false;
    std::optional<CircleDeviation> maxDeviation;
    std::optional<CircleDeviation> maxInnerDeviation;
    std::optional<CircleDeviation> maxOuterDeviation;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
};

struct LineFarthest {
    double distance = 0.0;  // pixels
    Point2 point;
    Point2 foot;  // its perpendicular foot on the line
};

struct LineFitResult {
    double angle = 0.0;  // radians in [0, pi)
    Point2 centre;       // a point of the line: the centroid of the inliers
    Point2 direction;    // unit vector at `angle`
    std::vector<Point2> inliers;
    std::vector<Point2> outliers;
    bool hasQuality = false;
    std::optional<LineFarthest> farthest;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
};

constexpr int kMinCirclePoints = 3;
constexpr int kMinLinePoints = 2;
// The fit mode from which the library computes the quality figures.
constexpr int kQualityFitMode = 3;

std::optional<CircleFitResult> FitCircle(const std::vector<Point2>& points,
                                         const CircleFitSpec& spec);
std::optional<LineFitResult> FitLine(const std::vector<Point2>& points, const LineFitSpec& spec);
