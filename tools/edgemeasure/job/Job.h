#pragma once
// Job: what edgemeasure measures, as read from a job file or built from the command line.
//
// A job is a list of measurements, each run on every image:
// - kind Edges:  one line or arc measured for edges; the edges found (or the edge pair with its
//                distance) are the result.
// - kind Circle: the edges found on an arc or on radial lines, fitted by a circle with outliers
//                rejected.
// - kind Line:   the edges found on parallel lines, fitted by a line with outliers rejected.
// Each measurement has a method:
// - Caliper (the default): each line or arc of the layout is a precision caliper (OCaliper) of
//   `caliper.width` pixels; circles on radial lines and lines on parallel ones are found by the
//   metrology tools (OMetrology), with the 1-sigma uncertainty of every figure.
// - Path: the path search (OVectorPath) with its transition function and sub-pixel refinement,
//   and the library's fits (OCircleFit_OutlierFilter, OVector_Regression).
// Coordinates are in pixels (pixel i covers [i, i + 1), its centre is i + 0.5); angles of arcs
// are in degrees, 0 along +x, a positive sweep running clockwise on screen (y grows downwards).
// The values here are already validated by ParseJob (JobParser.h).

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "caliper/OCaliperSettings.h"
#include "paths/OVectorPath.h"

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

// Path layouts.
struct LineLayout {  // one straight path
    Point2 from;
    Point2 to;
};
struct ArcLayout {  // one circular path
    Point2 center;
    double radius = 0.0;
    double startDeg = 0.0;
    double sweepDeg = 360.0;
};
struct RadialLayout {  // `count` straight paths from radius `inner` out to radius `outer`
    Point2 center;
    double inner = 0.0;
    double outer = 0.0;
    int count = 0;
    double startDeg = 0.0;
    double sweepDeg = 360.0;
};
struct ParallelLayout {  // `count` straight paths, path k being from + k * step .. to + k * step
    Point2 from;
    Point2 to;
    int count = 0;
    Point2 step;
};
using PathLayout = std::variant<LineLayout, ArcLayout, RadialLayout, ParallelLayout>;

// The transition function, as OVectorPath::bCreateTransitionFunction takes it.
struct TransitionSetup {
    int type = OVectorPath::kTransitionBand;
    int param1 = 0;    // band: low; deviations: leave threshold; Canny: threshold
    int param2 = 128;  // band: high; deviations: enter threshold
    int param3 = 2;    // deviations: depth of the moving mean
    int param4 = 0;    // Canny: sigma index
};

// Polarity codes of the transition search.
enum class Polarity {
    Any = OVectorPath::kPolarityAny,
    Entering = OVectorPath::kPolarityEntering,
    Leaving = OVectorPath::kPolarityLeaving
};

enum class SearchMode { First, Nth, All, Pair };

// One edge of a pair search.
struct PairEdgeSetup {
    int ordinal = 1;
    Polarity polarity = Polarity::Any;
    int minDistance = 0;         // steps after the previous edge of the same kind
    int minDistanceToOther = 0;  // steps after the other edge of the pair
};

struct SearchSetup {
    SearchMode mode = SearchMode::First;
    int ordinal = 1;  // nth
    Polarity polarity = Polarity::Any;
    int minDistance = 0;  // steps from the path start and between consecutive edges
    PairEdgeSetup first;
    PairEdgeSetup second;
    bool secondAfterFirst = true;
};

// Filter names of the fits.
enum class FitFilter { None, StdDev, DETSAC, DETSACFixed };

struct CircleFitSetup {
    int mode = 3;
    FitFilter filter = FitFilter::StdDev;  // None or StdDev
    int iterations = 5;
    double sigmaFactor = 2.0;
};

struct LineFitSetup {
    int mode = 3;
    FitFilter filter = FitFilter::DETSAC;
    int iterations = 5;
    double sigmaFactor = 2.0;
    int inlierDistance = 2;  // pixels (DETSAC)
    int searchLevel = 4;     // 0..8 (DETSAC)
};

enum class MeasurementKind { Edges, Circle, Line };

enum class MeasureMethod { Caliper, Path };

// What a caliper looks for. Thresholds are in grey levels per pixel of 8-bit images; on a 16-bit
// image the tool scales them to its depth (by 65535 / 255).
struct CaliperSetup {
    double width = 5.0;       // pixels across each line or arc
    double sigma = 1.0;       // pixels, the smoothing of the derivative
    double threshold = 10.0;  // grey levels per pixel (8-bit scale)
    double blur = 0.0;        // pixels, the edges' own blur for pairs when known (0: fitted)
    OCaliperPolarity polarity = OCaliperPolarity::Any;
    OCaliperSelection select = OCaliperSelection::Strongest;
    // Pairs (search mode "pair"): a dark gap by default, as the path search's entering then
    // leaving of its dark band.
    OCaliperPolarity firstPolarity = OCaliperPolarity::Falling;
    OCaliperPolarity secondPolarity = OCaliperPolarity::Rising;
    OCaliperPairSelection pairSelect = OCaliperPairSelection::Strongest;
};

// The quantity that a tolerance judges: a circle's diameter, radius or centre coordinate, a
// pair's width, a line's angle (degrees), an edge's position (its distance from the start of
// its path) or the number of edges found.
enum class Quantity { Diameter, Radius, CenterX, CenterY, Width, Angle, Position, Count };

// A nominal value with its tolerance: the measurement passes when
// lower <= value - nominal <= upper. Lengths are in pixels, or in millimetres when `inMm` (which
// needs the job's scale); angles in degrees; counts plain.
struct ToleranceSetup {
    Quantity quantity = Quantity::Diameter;
    double nominal = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    bool inMm = false;
};

struct MeasurementSetup {
    std::string name;
    MeasurementKind kind = MeasurementKind::Edges;
    MeasureMethod method = MeasureMethod::Caliper;
    PathLayout layout;
    CaliperSetup caliper;  // the caliper method
    TransitionSetup transition;
    // The kind of search of both methods (mode First, All or Pair for calipers), and the path
    // search's own settings.
    SearchSetup search;
    bool subpixel = true;
    CircleFitSetup circleFit;
    LineFitSetup lineFit;
    std::optional<ToleranceSetup> tolerance;
};

struct Job {
    // The image named by the job file (relative paths already resolved against its folder).
    std::optional<std::string> image;
    std::vector<MeasurementSetup> measurements;
    // Millimetres per pixel ("scale": {"mm_per_px": s}, or --mm-per-px); lengths are then also
    // reported in millimetres.
    std::optional<double> mmPerPx;
};
