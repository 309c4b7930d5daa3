#pragma once
// What the metrology tools (OMetrology.h) answer: the fitted figure with the 1-sigma uncertainty
// of each of its parameters, its quality, and for every caliper what it found and whether the fit
// used it.
//
// Units: pixels (pixel i covers [i, i + 1)), angles in radians (0 along +x, positive towards +y).
// A `...Sigma` is a 1-sigma uncertainty: the standard deviation the value would show over repeated
// images of the same part with the same noise. It is propagated from the edges' own uncertainties
// (OCaliperEdge::sigma, estimated by each caliper from the image's noise) through the weighted
// least-squares fit; see OMetrology.h for how. `rms` is the root-mean-square geometric residual of
// the edges the fit kept; `foundFraction` the share of calipers that found an edge (or pair).
//
// A result whose status is not Ok carries the reason (StatusText()), the calipers measured so far
// with their own statuses, and zeros for the figure.
//
//   OFindCircleResult hole = OMetrology::FindCircle(image, settings);
//   if (hole.Ok()) printf("r = %.3f +- %.3f px\n", hole.radius, hole.radiusSigma);
//   else puts(hole.StatusText());                    // e.g. "too few edges: 2 of 36 calipers ..."

#include <string>
#include <vector>

#include "EdgeDetectionExport.h"
#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"

enum class OMetrologyStatus {
    Ok,
    BadSettings,   // a count, length, width, radius or fit setting out of range (or the calipers')
    EmptyImage,    // no pixels
    OutsideImage,  // every caliper lies (at least partly) outside the image
    TooFewEdges,   // fewer edges (pairs) than the figure needs
    FitFailed,     // the fit did not converge or its points are degenerate (e.g. all on one line)
};

// A short English text for each status.
EDGEDETECTION_EXPORT const char* MetrologyStatusText(OMetrologyStatus status);

// One caliper of a circle or line rake.
struct OMetrologyCaliper {
    OCaliperLine region;
    OCaliperStatus status = OCaliperStatus::NoEdge;  // Ok: `edge` holds what it found
    OCaliperEdge edge;
    bool kept = false;      // the fit used the edge
    double residual = 0.0;  // signed distance of the edge from the fitted figure (0 without one)
    bool Found() const { return status == OCaliperStatus::Ok; }
};

// One caliper of a width rake.
struct OMetrologyPairCaliper {
    OCaliperLine region;
    OCaliperStatus status = OCaliperStatus::NoEdge;
    OCaliperPair pair;
    double width = 0.0;  // the pair's width, corrected for the rake's tilt against the bar
    bool kept = false;
    bool Found() const { return status == OCaliperStatus::Ok; }
};

struct OFindCircleResult {
    OMetrologyStatus status = OMetrologyStatus::BadSettings;
    std::string reason;  // the status in words, with the counts behind it
    double centerX = 0.0;
    double centerY = 0.0;
    double radius = 0.0;
    double centerXSigma = 0.0;
    double centerYSigma = 0.0;
    double radiusSigma = 0.0;
    // Covariance of (centerX, centerY, radius), pixels squared; the sigmas are the roots of its
    // diagonal.
    double covariance[3][3] = {};
    double rms = 0.0;
    double foundFraction = 0.0;
    int keptCount = 0;
    int rejectedCount = 0;
    std::vector<OMetrologyCaliper> calipers;

    bool Ok() const { return status == OMetrologyStatus::Ok; }
    const char* StatusText() const { return reason.c_str(); }
};

// A line as a point on it and a direction: the point is the uncertainty-weighted centroid of the
// kept edges (moved onto the line), where angle and offset are uncorrelated; the direction runs
// from the first kept edge towards the last (for a rake: from the segment's start to its end).
struct EDGEDETECTION_EXPORT OFindLineResult {
    OMetrologyStatus status = OMetrologyStatus::BadSettings;
    std::string reason;
    double pointX = 0.0;
    double pointY = 0.0;
    double angle = 0.0;        // radians, (-pi, pi]
    double angleSigma = 0.0;   // radians
    double offsetSigma = 0.0;  // pixels, across the line at (pointX, pointY)
    double rms = 0.0;
    double foundFraction = 0.0;
    int keptCount = 0;
    int rejectedCount = 0;
    std::vector<OMetrologyCaliper> calipers;

    bool Ok() const { return status == OMetrologyStatus::Ok; }
    const char* StatusText() const { return reason.c_str(); }
    // The uncertainty across the line at the foot of (x, y): it grows with the distance along the
    // line from (pointX, pointY) by the angle's uncertainty.
    double OffsetSigmaAt(double x, double y) const;
    // Signed distance of (x, y) from the line, positive on its right-hand side on screen.
    double DistanceTo(double x, double y) const;
};

struct OMeasureWidthResult {
    OMetrologyStatus status = OMetrologyStatus::BadSettings;
    std::string reason;
    double width = 0.0;       // uncertainty-weighted mean of the kept pairs' widths
    double widthSigma = 0.0;  // 1-sigma uncertainty of `width`
    double spread = 0.0;      // standard deviation of the kept widths (0 for one pair)
    double minWidth = 0.0;
    double maxWidth = 0.0;
    double tilt = 0.0;  // radians between the calipers' axis and the bar's normal (0 for one pair)
    double foundFraction = 0.0;
    int keptCount = 0;
    int rejectedCount = 0;
    std::vector<OMetrologyPairCaliper> calipers;

    bool Ok() const { return status == OMetrologyStatus::Ok; }
    const char* StatusText() const { return reason.c_str(); }
};
