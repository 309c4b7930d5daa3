#pragma once
// OCaliperEdgeSettings and OCaliperPairSettings: what a caliper looks for in its profile.
//
// The profile (see OCaliperRegion.h) is filtered by the derivative of a Gaussian of `sigma`
// pixels; an edge is a local extremum of that derivative whose magnitude is at least `threshold`
// grey levels per pixel, in the image's own grey scale (a 12-bit image's thresholds are in 12-bit
// levels). Rising edges go from dark to bright along the caliper's axis (positive derivative),
// falling edges from bright to dark. An edge closer than about 4 sigma + 1 pixel to either end
// of the axis is not found, because the filter does not fit there.
//
// Bad settings give OCaliperStatus::BadSettings: sigma not finite, at most 0, above kMaxSigma
// pixels or kMaxSigma sampling steps, or too large for the caliper's length; a threshold below 0 or
// not finite; an N-th selection with n < 1; a width range that is negative, reversed or NaN; a
// pair's blur below 0 or not finite.
//
//   OCaliperEdgeSettings edge;                       // sigma 1, threshold 10, any, strongest
//   edge.polarity = OCaliperPolarity::Rising;
//   edge.selection = OCaliperSelection::Nth;
//   edge.n = 2;                                      // the second rising edge from the start
//   OCaliperPairSettings pair;                       // rising then falling: a bright bar
//   pair.minWidth = 8.0;
//   pair.maxWidth = 12.0;

#include <limits>

enum class OCaliperPolarity { Rising, Falling, Any };

// Which of the edges found are reported: the first or last along the axis, the strongest, the
// n-th from the start (1-based), or all in axis order.
enum class OCaliperSelection { First, Last, Strongest, Nth, All };

// Which pairs are reported: the first or last along the axis, the one with the largest combined
// score, or all in axis order.
enum class OCaliperPairSelection { First, Last, Strongest, All };

struct OCaliperEdgeSettings {
    // Largest accepted smoothing, in pixels and in sampling steps.
    static constexpr double kMaxSigma = 256.0;

    double sigma = 1.0;       // pixels
    double threshold = 10.0;  // grey levels per pixel
    OCaliperPolarity polarity = OCaliperPolarity::Any;
    OCaliperSelection selection = OCaliperSelection::Strongest;
    int n = 1;  // for OCaliperSelection::Nth, 1-based
};

// A pair is a first edge of `firstPolarity` followed along the axis by a second edge of
// `secondPolarity`; its width is the distance between them along the axis. With the default
// polarities it is a bright bar on a dark ground; Falling then Rising is a dark gap.
struct OCaliperPairSettings {
    double sigma = 1.0;       // pixels
    double threshold = 10.0;  // grey levels per pixel, for each edge
    OCaliperPolarity firstPolarity = OCaliperPolarity::Rising;
    OCaliperPolarity secondPolarity = OCaliperPolarity::Falling;
    double minWidth = 0.0;                                      // pixels
    double maxWidth = std::numeric_limits<double>::infinity();  // pixels
    OCaliperPairSelection selection = OCaliperPairSelection::Strongest;
    // The edges' own blur (sigma of the Gaussian, pixels) when the optics are known; 0: unknown,
    // fitted. Two close edges are fitted as two blurred steps; with the blur known, the fit no
    // longer trades a narrower, softer bar for a wider, sharper one, so narrow bars are measured
    // several times more precisely and resolved down to narrower widths. A wrong value biases
    // the widths of narrow pairs (edges apart by less than about five blurs); wider pairs do not
    // use it.
    double blur = 0.0;
};
