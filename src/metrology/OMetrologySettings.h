#pragma once
// Settings of the metrology tools (OMetrology.h): where the calipers go, what each looks for, and
// how the figure is fitted to what they find.
//
// Coordinates are pixels as doubles (pixel i covers [i, i + 1), its centre is i + 0.5, x to the
// right, y downwards); angles are radians, 0 along +x, positive towards +y (clockwise on screen).
// The edge and pair settings are the calipers' own (OCaliperSettings.h): their sigma, threshold,
// polarity and selection apply to every caliper of a tool. Polarity is seen along each caliper's
// axis, that is in the direction of the search.
//
// Rakes:
// - Find circle: `calipers` line calipers `caliperLength` long and `caliperWidth` wide, centred on
//   the expected circle and running along its radius, outwards (from radius - length / 2 to
//   radius + length / 2) or inwards. On a full turn (|sweep| = 2 pi) they stand at
//   startAngle + k sweep / calipers; on part of a turn they spread over it with both ends
//   included, startAngle + k sweep / (calipers - 1), and a single caliper stands in its middle.
// - Find line: `calipers` line calipers centred on the expected segment from (startX, startY) to
//   (endX, endY), spread over it with both ends included (one caliper: its middle), each running
//   across it from left to right as seen looking from start to end (towards +(-dy, dx), the
//   right-hand side on screen), or the reverse.
// - Measure width: a caliper from (startX, startY) to (endX, endY) across the bar or slot, and
//   with calipers > 1 a rake of copies of it `spacing` pixels apart along the bar (perpendicular
//   to the axis), centred on the given axis.
//
// Fits (see OMetrology.h for the whole procedure):
// - Circle: OCircleFit_OutlierFilter with its standard-deviation band (`filter`, `filterPasses`,
//   `sigmaFactor`), then a geometric refit weighted by the edges' uncertainties.
// - Line: OVector_Regression's outlier filter (DETSAC by default, with `inlierDistance` whole
//   pixels and `searchLevel` 0..8; the fixed-width DETSAC; the standard-deviation band; or none),
//   then on the points it kept either a geometric (total least squares) line weighted by the
//   edges' uncertainties, or the regression's own line.
// - After either refit, unless the filter is off, an edge whose residual exceeds `clipFactor`
//   times the larger of its own uncertainty and the robust spread of all residuals is rejected,
//   one edge at a time, and the figure refitted (never more than half of the edges the filter
//   kept). 0 switches this check off.
//
// Bad settings (a count below 1 or above kMaxCalipers, a length, width, radius or spacing that is
// not finite or not positive, a sweep of 0 or beyond a full turn, a negative clip factor, a
// search level outside 0..8, pass counts below 0) give OMetrologyStatus::BadSettings; bad caliper
// settings (sigma, threshold) give it when every caliper refuses them.
//
//   OFindCircleSettings hole;
//   hole.centerX = 210.5;  hole.centerY = 225.5;  hole.radius = 73.0;
//   hole.caliperLength = 40.0;                     // 36 calipers of 40 x 5 px by default
//   hole.edge.polarity = OCaliperPolarity::Rising; // dark hole, bright plate: rising outwards
//   OFindLineSettings edge;                        // 25 calipers of 40 x 5 px
//   edge.startX = 500.5;  edge.startY = 40.5;  edge.endX = 520.5;  edge.endY = 440.5;
//   edge.fit.filter = OLineFilter::DETSAC;

#include "caliper/OCaliperSettings.h"

// The direction of the calipers of a circle rake.
enum class OCircleSearch { Outwards, Inwards };

// The direction of the calipers of a line rake, as seen looking from the segment's start to its
// end.
enum class OLineSearch { LeftToRight, RightToLeft };

// The outlier filters of the line regression (OVector_Regression).
enum class OLineFilter { None, StdDev, DETSAC, DETSACFixed };

// The line through the points the filter kept: a geometric line weighted by the edges'
// uncertainties, or the regression's own (integer least squares, y over x or x over y).
enum class OLineRefit { Geometric, Regression };

// The largest number of calipers of one tool.
constexpr int kMaxCalipers = 4096;

struct OCircleFitSettings {
    bool filter = true;        // the standard-deviation band of OCircleFit_OutlierFilter
    int filterPasses = 5;      // at most this many passes of the band
    double sigmaFactor = 3.0;  // half width of the band, in standard deviations
    double clipFactor = 4.0;   // the refit's residual check (0: off)
};

struct OLineFitSettings {
    OLineFilter filter = OLineFilter::DETSAC;
    int inlierDistance = 2;    // whole pixels, DETSAC
    int searchLevel = 4;       // 0..8, DETSAC
    int filterPasses = 5;      // standard-deviation band
    double sigmaFactor = 3.0;  // standard-deviation band
    OLineRefit refit = OLineRefit::Geometric;
    double clipFactor = 4.0;  // the refit's residual check (0: off)
};

struct OFindCircleSettings {
    double centerX = 0.0;  // the expected circle
    double centerY = 0.0;
    double radius = 0.0;
    double startAngle = 0.0;                    // radians
    double sweep = 6.283185307179586476925287;  // radians, signed; a full turn by default
    int calipers = 36;
    double caliperLength = 40.0;  // pixels along the radius
    double caliperWidth = 5.0;    // pixels across the radius
    OCircleSearch search = OCircleSearch::Outwards;
    OCaliperEdgeSettings edge;
    OCircleFitSettings fit;
};

struct OFindLineSettings {
    double startX = 0.0;  // the expected segment
    double startY = 0.0;
    double endX = 0.0;
    double endY = 0.0;
    int calipers = 25;
    double caliperLength = 40.0;  // pixels across the line
    double caliperWidth = 5.0;    // pixels along the line
    OLineSearch search = OLineSearch::LeftToRight;
    OCaliperEdgeSettings edge;
    OLineFitSettings fit;
};

struct OMeasureWidthSettings {
    double startX = 0.0;  // the axis of the (middle) caliper, across the bar or slot
    double startY = 0.0;
    double endX = 0.0;
    double endY = 0.0;
    double caliperWidth = 5.0;  // pixels across the axis
    int calipers = 1;
    double spacing = 10.0;  // pixels between neighbouring calipers of a rake
    OCaliperPairSettings pair;
    double clipFactor = 4.0;  // the rake's check of each width against the others (0: off)
};
