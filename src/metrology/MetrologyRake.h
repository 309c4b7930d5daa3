#pragma once
// The rakes of the metrology tools, internal to the library: where their calipers go (as
// OMetrologySettings.h describes), which of them share pixels and how strongly their errors
// correlate, and how a caliper's footprint smooths an edge along it.

#include <vector>

#include "caliper/OCaliperRegion.h"
#include "metrology/MetrologyFit.h"
#include "metrology/OMetrologyResult.h"
#include "metrology/OMetrologySettings.h"

namespace metrology {

// The calipers of a rake, in order; empty when the settings are out of range.
std::vector<OCaliperLine> CircleRake(const OFindCircleSettings& settings);
std::vector<OCaliperLine> LineRake(const OFindLineSettings& settings);
std::vector<OCaliperLine> WidthRake(const OMeasureWidthSettings& settings);

// The correlations of the errors of calipers that share pixels, by caliper index.
std::vector<Correlation> CircleRakeCorrelations(const OFindCircleSettings& settings);
std::vector<Correlation> LineRakeCorrelations(const OFindLineSettings& settings);
std::vector<Correlation> WidthRakeCorrelations(const OMeasureWidthSettings& settings);

// The correlation of the samples of two parallel calipers of `width` whose axes lie `shift`
// pixels apart: the overlap of their footprints across the axis (the caliper's lines, each
// interpolated bilinearly), 1 for no shift, 0 from width + 2 on.
double FootprintCorrelation(double width, double shift);

// The variance (pixels squared) with which edges measured by calipers of `width` are smoothed
// along them: the caliper's lines across its width, and the edge's own spread in the image, the
// median of the edges' `blur` (OCaliperEdge), which holds the optics, the pixel's area and the
// interpolation; without any, the last two alone (1/12 and 1/6).
double CaliperTangentialVariance(double width, const std::vector<double>& blurs);

// cos of the angle between the calipers' axis and the normal of the line through the centres of
// the pairs found (1 with fewer than two).
double RakeTiltCosine(const std::vector<OMetrologyPairCaliper>& calipers);

}  // namespace metrology
