#pragma once
// OCaliper: sub-pixel edge and edge-pair measurement across a line or arc region of an 8-bit
// (OType_Image) or 16-bit (OType_Image16) grey image.
//
// Method. The profile along the region's axis is sampled by bilinear interpolation (pixel i
// covers [i, i + 1), its value belongs to the centre i + 0.5) and averaged across the width (see
// OCaliperRegion.h). It is filtered by a sampled derivative-of-Gaussian kernel of `sigma` pixels,
// reaching 4 sigma to either side and scaled so that a ramp of slope 1 gives 1 (grey levels per
// pixel). Each local extremum of at least `threshold` is an edge. Its position is where the
// profile, smoothed by the Gaussian of sigma, crosses the level halfway between the mean grey
// values on either side of it (plateaus from three peak widths out, up to halfway to the
// neighbouring edges): for a blurred step the maximum-likelihood position, unmoved by a linear
// shading. Where no plateaus fit, the vertex of the parabola through the logarithms of the
// extremum and its two neighbours places it (exact for the Gaussian a blurred step becomes after
// the filter). Pairs whose edges are closer than five peak widths are fitted together as two
// blurred steps through the sampler's own taps, so that each edge's tail does not pull the other;
// a pair that the fit cannot separate is NotResolved. Results are described in OCaliperResult.h.
//
// Bad input never crashes and never reads outside the image: a region or setting out of range,
// an empty image, a region wholly or partly outside the image (any sample point outside
// [0, width] x [0, height]) each give an empty result with its status. Sample points within half a
// pixel of the border read the border pixels.
//
// Threads: regions and settings are values and the image is only read, so any number of threads
// may measure one image at once. Each thread keeps its own scratch buffers, so after the first
// call nothing is allocated except the returned vectors.
//
//   OType_Image image(width, height, pixels, stride);          // a view, no copy
//   OCaliperLine line{10.5, 40.5, 74.5, 40.5, 9.0};
//   OCaliperEdgeSettings settings;                            // strongest edge, any polarity
//   OCaliperEdgeResult result = OCaliper::MeasureEdges(image, line, settings);
//   if (result.Ok()) use(result.edges[0].x, result.edges[0].y, result.edges[0].sigma);
//   else std::puts(result.StatusText());

#include <vector>

#include "EdgeDetectionExport.h"
#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"
#include "caliper/OCaliperSettings.h"
#include "caliper/OType_Image16.h"
#include "foundation/OType_Image.h"

class EDGEDETECTION_EXPORT OCaliper {
  public:
    // Edges along one region.
    static OCaliperEdgeResult MeasureEdges(const OType_Image& image, const OCaliperLine& region,
                                           const OCaliperEdgeSettings& settings);
    static OCaliperEdgeResult MeasureEdges(const OType_Image& image, const OCaliperArc& region,
                                           const OCaliperEdgeSettings& settings);
    static OCaliperEdgeResult MeasureEdges(const OType_Image16& image, const OCaliperLine& region,
                                           const OCaliperEdgeSettings& settings);
    static OCaliperEdgeResult MeasureEdges(const OType_Image16& image, const OCaliperArc& region,
                                           const OCaliperEdgeSettings& settings);

    // Edge pairs along one region.
    static OCaliperPairResult MeasurePairs(const OType_Image& image, const OCaliperLine& region,
                                           const OCaliperPairSettings& settings);
    static OCaliperPairResult MeasurePairs(const OType_Image& image, const OCaliperArc& region,
                                           const OCaliperPairSettings& settings);
    static OCaliperPairResult MeasurePairs(const OType_Image16& image, const OCaliperLine& region,
                                           const OCaliperPairSettings& settings);
    static OCaliperPairResult MeasurePairs(const OType_Image16& image, const OCaliperArc& region,
                                           const OCaliperPairSettings& settings);

    // Many line regions over one image with the same settings: one result per region, in order.
    static std::vector<OCaliperEdgeResult> MeasureEdges(const OType_Image& image,
                                                        const std::vector<OCaliperLine>& regions,
                                                        const OCaliperEdgeSettings& settings);
    static std::vector<OCaliperEdgeResult> MeasureEdges(const OType_Image16& image,
                                                        const std::vector<OCaliperLine>& regions,
                                                        const OCaliperEdgeSettings& settings);

    // The sampled profile and its derivative filtered with `sigma`, for plotting and for tuning
    // thresholds. Samples outside the image are flagged, not dropped.
    static OCaliperProfile SampleProfile(const OType_Image& image, const OCaliperLine& region,
                                         double sigma);
    static OCaliperProfile SampleProfile(const OType_Image& image, const OCaliperArc& region,
                                         double sigma);
    static OCaliperProfile SampleProfile(const OType_Image16& image, const OCaliperLine& region,
                                         double sigma);
    static OCaliperProfile SampleProfile(const OType_Image16& image, const OCaliperArc& region,
                                         double sigma);
};
