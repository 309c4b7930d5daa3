#pragma once
// CannyFilters: the thinning and the Gauss factor calculation of OCannyEdge as free functions.
// Internal: not installed. OCannyEdge's private operations of the same names call these, and the
// library's tests reach them through the library's objects (tests/edge).

#include "foundation/WritableCollection.h"

namespace cannyfilters {

// OCannyEdge::SkeletoniseEdgePoints: thins the gradients in `data` in place to one peak per run of
// strong samples (magnitude at least iThreshold), writing levels or magnitudes.
void SkeletoniseEdgePoints(WritableCollection<int>& data, int iThreshold, bool bKeepMagnitudes);

// OCannyEdge::iCalcGaussFactors: appends the integer weights of a Gaussian sampled at steps of
// 1 / fScale over +-3 units to `factors` and stores their sum; 1 on success, 0 otherwise.
int CalcGaussFactors(float fScale, float fSigma, WritableCollection<unsigned int>& factors,
                     int& sum);

}  // namespace cannyfilters
