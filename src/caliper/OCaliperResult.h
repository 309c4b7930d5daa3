#pragma once
// What a caliper answers: a status that says why a result is empty, the edges or pairs found, and
// the sampled profile for plotting.
//
// Units: positions, widths and uncertainties in pixels (along an arc: arc length on the arc's
// circle); amplitudes in grey levels per pixel of the image's own scale, signed (positive:
// rising, dark to bright along the axis). Image points are in pixel coordinates (pixel i covers
// [i, i + 1)) on the caliper's axis or arc.
//
// `sigma` of an edge is its 1-sigma position uncertainty: the grey-level noise that the caliper
// estimates from the image's own pixels under the region (`noise` of the result), carried
// through the sampling, the filter and the sub-pixel refinement. It is NaN when the image offers
// no pixels to estimate the noise from. `blur` is how widely the edge is spread in the image: the
// 1-sigma width of its derivative peak with the caliper's own smoothing taken out, that is the
// optics' blur together with the spread of the pixels and of the interpolation (about 0.4 px for
// a perfectly sharp edge); 0 where the smoothing hides it. `score` lies in [0, 1]: how far the
// amplitude stands above the threshold and the noise, |a| / (|a| + threshold + 3 x noise of the
// amplitude).
//
//   OCaliperEdgeResult result = OCaliper::MeasureEdges(image, line, settings);
//   if (!result.Ok()) std::puts(result.StatusText());   // for example "no edge above threshold"

#include <cstdint>
#include <vector>

#include "EdgeDetectionExport.h"

enum class OCaliperStatus {
    Ok,
    BadRegion,           // coordinates not finite, zero length or sweep, width or step <= 0
    BadSettings,         // sigma, threshold, n or width range out of range
    EmptyImage,          // no pixels (zero size, null buffer, stride below the row)
    OutsideImage,        // every sample outside the image
    PartlyOutsideImage,  // some samples outside the image
    NoEdge,              // no edge (or no pair) above the threshold with the asked polarity
    NotResolved,         // two edges of a pair too close to be measured apart
};

// A short English text for each status, for messages and reports.
EDGEDETECTION_EXPORT const char* CaliperStatusText(OCaliperStatus status);

struct OCaliperEdge {
    double x = 0.0;  // image point
    double y = 0.0;
    double position = 0.0;   // along the axis from its start
    double amplitude = 0.0;  // signed, grey levels per pixel
    double score = 0.0;      // 0..1
    double sigma = 0.0;      // 1-sigma position uncertainty
    double blur = 0.0;       // the edge's spread in the image (see above)
};

struct OCaliperPair {
    OCaliperEdge first;
    OCaliperEdge second;
    double width = 0.0;  // second.position - first.position
    double widthSigma = 0.0;
    double centerX = 0.0;  // image point halfway between the edges along the axis
    double centerY = 0.0;
    double centerPosition = 0.0;
    double centerSigma = 0.0;
    double score = 0.0;  // product of the two edges' scores
};

struct OCaliperEdgeResult {
    OCaliperStatus status = OCaliperStatus::NoEdge;
    std::vector<OCaliperEdge> edges;  // in axis order
    double noise = 0.0;               // estimated grey-level noise of the image around the region
    bool Ok() const { return status == OCaliperStatus::Ok; }
    const char* StatusText() const { return CaliperStatusText(status); }
};

struct OCaliperPairResult {
    OCaliperStatus status = OCaliperStatus::NoEdge;
    std::vector<OCaliperPair> pairs;  // in axis order
    double noise = 0.0;
    bool Ok() const { return status == OCaliperStatus::Ok; }
    const char* StatusText() const { return CaliperStatusText(status); }
};

// The sampled profile and its filtered derivative, one entry per sample. A sample outside the
// image has outside[k] = 1; its value is the mean of the caliper's lines that are inside (NaN when
// none is) and the derivative near it is NaN. The derivative is NaN within the filter's reach of
// either end, where it is not defined. Status is Ok, PartlyOutsideImage or OutsideImage for a
// region that could be sampled, otherwise the reason it could not.
struct OCaliperProfile {
    OCaliperStatus status = OCaliperStatus::BadRegion;
    std::vector<double> positions;   // along the axis, pixels
    std::vector<double> values;      // mean grey value across the width
    std::vector<double> derivative;  // grey levels per pixel, Gaussian derivative of sigma
    std::vector<std::uint8_t> outside;
    const char* StatusText() const { return CaliperStatusText(status); }
};
