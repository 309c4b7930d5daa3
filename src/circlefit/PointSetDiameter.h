#pragma once
// The diameter of a point set, as the circle fit defines it: the largest value of
//
//     (x[i] - x[j]) * (x[i] - x[j]) + (y[i] - y[j]) * (y[i] - y[j])
//
// over all pairs of points, evaluated exactly so in double precision (no fused multiply-add), and
// 0 for fewer than two points. A pair whose value is NaN never counts as the largest. The square
// root is left to the caller, which takes it once at the end.
//
// LargestSquaredDistance answers bit for bit what the plain pair loop
// (LargestSquaredDistance_AllPairs) answers, in about n log n time for the point sets a
// measurement produces (see the .cpp for why the pruning is exact). Internal to the library: the
// functions are not exported.
//
//   const double d2 = circlefit::LargestSquaredDistance(xs, ys, n);
//   const double diameter = std::sqrt(d2);

#include <cstddef>

namespace circlefit {

// Fast form: a tree of bounding boxes, searched pair of boxes by pair of boxes.
double LargestSquaredDistance(const double* x, const double* y, std::size_t n);

// The definition: every pair (i, j) with j < i, in order.
double LargestSquaredDistance_AllPairs(const double* x, const double* y, std::size_t n);

}  // namespace circlefit
