#pragma once
// Results: what a measurement found, as plain values that the measuring code fills in and the
// overlay and the output read. Keeping them apart from the code that computes them lets drawing
// and writing depend on the results alone, never on how they were measured.
//
// Points are in pixels (pixel i covers [i, i + 1), its centre is i + 0.5), angles in radians.
// - EdgeRecord / PairRecord: the edges of a search, with their refined points where refinement
//   succeeded; with calipers the point is the caliper's sub-pixel edge, with its amplitude, score
//   and 1-sigma uncertainty.
// - CaliperRecord: with calipers, each caliper of the layout, what it answered and whether the
//   fit kept its edge.
// - CircleFitResult / LineFitResult: a fitted figure, its kept and rejected points and (fit mode
//   3) its quality figures.
// - MeasurementResult: one measurement of a job on one image; `ok` false with `problem` saying
//   what is missing.
//
//   for (const EdgeRecord& edge : result.edges) { Point2 p = edge.Best(); ... }

#include <optional>
#include <string>
#include <vector>

#include "job/Job.h"

struct EdgeRecord {
    int path = 0;                 // the path of the layout (0-based)
    int index = -1;               // the path index of the search
    Point2 point;                 // pixels, as the search reports it
    std::optional<double> angle;  // radians, on arcs only
    std::optional<Point2> subpixelPoint;
    std::optional<double> subpixelAngle;  // radians, on arcs only
    double distance = 0.0;                // pixels from the start of its path, along it
    // Calipers: the derivative's amplitude (signed, grey levels per pixel on the 8-bit scale),
    // the score in [0, 1] and the 1-sigma position uncertainty (pixels; absent when unknown).
    std::optional<double> amplitude;
    std::optional<double> score;
    std::optional<double> uncertainty;

    // The refined point where there is one, else the search point.
    Point2 Best() const { return subpixelPoint ? *subpixelPoint : point; }
};

struct PairRecord {
    EdgeRecord first;
    EdgeRecord second;
    double distance = 0.0;  // pixels, between the two Best() points (calipers: along the axis)
    std::optional<double> uncertainty;  // 1-sigma of the distance (calipers)
};

// The 1-sigma uncertainties of a fitted figure (calipers).
struct CircleUncertainty {
    Point2 center;
    double radius = 0.0;
};
struct LineUncertainty {
    double angle = 0.0;   // radians
    double offset = 0.0;  // pixels, across the line at its reported point
};

// One caliper of a measurement with the caliper method: the path of the layout it lies on, its
// width, what it answered ("ok", or why it found nothing) and, in a fit, whether its edge was
// kept.
constexpr const char* kCaliperFound = "ok";  // the status of a caliper that found an edge

struct CaliperRecord {
    int path = 0;
    double width = 0.0;
    std::string status;
    std::optional<bool> kept;
};

// The largest deviation of a point from the circle: its value, the point and the nearest point
// of the circle.
struct CircleDeviation {
    double value = 0.0;
    Point2 point;
    Point2 onCircle;
};

struct CircleFitResult {
    Point2 center;
    double radius = 0.0;
    double sigma = 0.0;  // root-mean-square geometric distance of the inliers
    int iterations = 0;
    std::vector<Point2> inliers;
    std::vector<Point2> outliers;
    bool hasQuality = false;
    std::optional<CircleDeviation> maxDeviation;
    std::optional<CircleDeviation> maxInnerDeviation;
    std::optional<CircleDeviation> maxOuterDeviation;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
    std::optional<CircleUncertainty> uncertainty;
};

struct LineFarthest {
    double distance = 0.0;  // pixels
    Point2 point;
    Point2 foot;  // its perpendicular foot on the line
};

struct LineFitResult {
    double angle = 0.0;  // radians in [0, pi)
    Point2 centre;       // a point of the line: the centroid of the inliers
    Point2 direction;    // unit vector at `angle`
    std::vector<Point2> inliers;
    std::vector<Point2> outliers;
    bool hasQuality = false;
    std::optional<LineFarthest> farthest;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
    std::optional<LineUncertainty> uncertainty;
};

// A result judged against its tolerance (Tolerance.h); `value` and `deviation` are absent when
// the measurement did not give the quantity.
struct ToleranceVerdict {
    ToleranceSetup setup;
    std::optional<double> value;
    std::optional<double> deviation;
    bool pass = false;
};

struct MeasurementResult {
    std::string name;
    MeasurementKind kind = MeasurementKind::Edges;
    MeasureMethod method = MeasureMethod::Caliper;
    int pathCount = 0;
    bool ok = false;
    std::string problem;  // why not ok, e.g. "no edge found"
    std::vector<EdgeRecord> edges;
    std::optional<PairRecord> pair;
    std::optional<CircleFitResult> circle;
    std::optional<LineFitResult> line;
    std::optional<ToleranceVerdict> verdict;
    std::vector<CaliperRecord> calipers;  // the caliper method

    // Measured, and within its tolerance where it has one.
    bool Passes() const { return ok && (!verdict || verdict->pass); }
};
