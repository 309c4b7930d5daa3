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
//   std::optional<CircleFitResult> circle = FitCircle(points, setup.circleFit);

#include <optional>
#include <vector>

#include "job/Job.h"
#include "job/Results.h"

constexpr int kMinCirclePoints = 3;
constexpr int kMinLinePoints = 2;

std::optional<CircleFitResult> FitCircle(const std::vector<Point2>& points,
                                         const CircleFitSetup& setup);
std::optional<LineFitResult> FitLine(const std::vector<Point2>& points, const LineFitSetup& setup);
