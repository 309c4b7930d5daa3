#pragma once
// OMetrology: find a circle, find a line and measure a width, each from a rake of precision
// calipers (OCaliper.h) laid over an 8-bit (OType_Image) or 16-bit (OType_Image16) image, with
// the outliers rejected by the library's fits and every fitted parameter reported with its 1-sigma
// uncertainty.
//
// Units and conventions: pixels as doubles (pixel i covers [i, i + 1), its centre is i + 0.5; x to
// the right, y downwards), angles in radians (0 along +x, positive towards +y, which is clockwise
// on screen). Where the calipers go, and the settings of the fits: OMetrologySettings.h. What
// comes back: OMetrologyResult.h.
//
// Find circle. Each caliper reports one edge (its selection; "all" takes the edge nearest the
// expected circle). The edges go to OCircleFit_OutlierFilter (plain procedure, its
// standard-deviation band on the squared distances from the centre), started from the algebraic
// circle through all edges. On the edges it kept follows a geometric refit (Gauss-Newton on the sum
// of squared distances from the circle, each edge weighted by 1 / sigma^2 of its own uncertainty);
// it is what makes the uncertainties consistent and lets precise edges count more. Then the
// residual check (OMetrologySettings.h) drops stragglers the band left, one at a time, refitting
// after each. A caliper of width w averages the edge over its width, and the image's pixels and
// the caliper's interpolation smooth it further along the circle; an edge smoothed along a circle
// with variance v lies v / (2 r) inside it, so the radius is corrected by the known part of v:
// the caliper's lines ((w / n)^2 (n^2 - 1) / 12 for n = ceil(w) lines), the interpolation (1/6)
// and the pixel's area (1/12). The image's own blur b moves the edge by a further b^2 / (2 r)
// (0.01 px for b = 1.2 px at r = 72 px), which the tools cannot tell from the image.
//
// Find line. The edges go to OVector_Regression with the chosen filter (DETSAC by default). On the
// edges it kept, the geometric refit (the default) is the weighted total-least-squares line:
// through the weighted centroid along the principal axis of the weighted scatter, followed by the
// residual check. It is the default because it measures better: the regression fits y over x or
// x over y on coordinates truncated to 1/256 pixel, weights every edge alike, and keeps what
// DETSAC keeps, which includes burrs shallower than its band of whole pixels. On the accuracy
// study's plates (25 calipers over 400 px, burrs 1 to 6 px deep on 10 % of them; docs/
// PERFORMANCE.md) the geometric refit gives 0.0016 deg and 0.004 px RMS, the regression's own
// line 0.06 deg and 0.13 px. OLineRefit::Regression reports the regression's line instead.
//
// Measure width. Each caliper measures a pair (OCaliper::MeasurePairs). With two pairs or more the
// line through the pairs' centres gives the bar's direction, and every width is corrected by the
// cosine of the angle between the calipers' axis and the bar's normal. The width is the
// uncertainty-weighted mean of the kept widths, the spread their standard deviation.
//
// Uncertainty. Every fitted parameter's 1-sigma uncertainty is the square root of the diagonal of
// the covariance of the weighted least-squares solution, A^-1 B A^-1 with A = J^T W J and
// B = J^T W S W J: J the Jacobian of the kept edges' residuals by the parameters at the solution,
// W = diag(1 / sigma_i^2) from the edges' own uncertainties, S the covariance of the edges' errors.
// Calipers of a rake that share pixels (closer together than their width plus the interpolation's
// reach) have correlated errors: S holds, for such neighbours, the correlation of their sampling
// footprints across the axis. When the residuals scatter more than the edges' uncertainties
// explain (chi^2 per degree of freedom beyond what honest uncertainties give 99.9 % of the time),
// the covariance is scaled by chi^2 / dof, so that it covers a figure that is not quite a circle or
// edges disturbed by more than noise. Edges without an uncertainty (NaN: an image too small to
// estimate its noise) take the median of the others; when none has one, all are weighted alike
// and the scale comes from the residuals alone.
//
// Large coordinates: the fits work in a frame moved to the edges (the circle's first guess at
// (r, 0), the line's lowest edge coordinates at 1 px), so that the regression's DETSAC (whole
// pixels in 16 bits) and the circle fit (which gives up on centres beyond 10,000 px) serve
// anywhere in the largest images; results come back in image coordinates.
//
// Bad input never crashes and never reads outside the image: bad settings, an empty image, rakes
// wholly or partly outside the image (a caliper partly outside finds nothing), too few edges and
// failed fits each give a result whose status and StatusText() say so (OMetrologyResult.h).
//
// Threads: settings and results are values and the image is only read; the tools may run on
// several threads over one image (the circle fit's shared random generator, which it draws from
// only when its centre nears its working frame's origin, is locked; see OCircleFit).
//
//   OType_Image image(width, height, pixels, stride);       // a view, no copy
//   OFindCircleSettings hole;
//   hole.centerX = 210.5;  hole.centerY = 225.5;  hole.radius = 73.0;  // expected circle
//   hole.edge.polarity = OCaliperPolarity::Rising;                     // dark hole: rising
//   outwards OFindCircleResult found = OMetrology::FindCircle(image, hole); if (found.Ok())
//   printf("r = %.3f +- %.3f px\n", found.radius, found.radiusSigma); else
//   puts(found.StatusText());

#include <vector>

#include "EdgeDetectionExport.h"
#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"
#include "caliper/OType_Image16.h"
#include "foundation/OType_Image.h"
#include "metrology/OMetrologyResult.h"
#include "metrology/OMetrologySettings.h"

class EDGEDETECTION_EXPORT OMetrology {
  public:
    static OFindCircleResult FindCircle(const OType_Image& image,
                                        const OFindCircleSettings& settings);
    static OFindCircleResult FindCircle(const OType_Image16& image,
                                        const OFindCircleSettings& settings);

    static OFindLineResult FindLine(const OType_Image& image, const OFindLineSettings& settings);
    static OFindLineResult FindLine(const OType_Image16& image, const OFindLineSettings& settings);

    static OMeasureWidthResult MeasureWidth(const OType_Image& image,
                                            const OMeasureWidthSettings& settings);
    static OMeasureWidthResult MeasureWidth(const OType_Image16& image,
                                            const OMeasureWidthSettings& settings);

    // The fits alone, on edges a caller measured itself (x, y and sigma of each edge are used;
    // sigma NaN or <= 0: unknown). One entry of `calipers` per edge, in order, without regions.
    // No radius correction: the smoothing of such edges is not known.
    static OFindCircleResult FitCircle(const std::vector<OCaliperEdge>& edges,
                                       const OCircleFitSettings& settings);
    static OFindLineResult FitLine(const std::vector<OCaliperEdge>& edges,
                                   const OLineFitSettings& settings);

    // The calipers a tool lays (empty for bad settings), e.g. to draw them.
    static std::vector<OCaliperLine> CircleCalipers(const OFindCircleSettings& settings);
    static std::vector<OCaliperLine> LineCalipers(const OFindLineSettings& settings);
    static std::vector<OCaliperLine> WidthCalipers(const OMeasureWidthSettings& settings);
};
