#pragma once
// ReportTips: the texts that the HTML report shows when the pointer rests on a path, an edge or a
// fitted figure, and the figures of its results table, in one wording.
//
// Lengths are pixels with three decimals (and millimetres with a scale), angles degrees; a tip's
// first line names the measurement and the element, the others give its values.
//
//   std::string tip = EdgeTip("hole", edge, "3", run.mmPerPx);
//   // "hole: edge 3 on path 3\n(282.875, 225.500) px, sub-pixel\n72.375 px from the path's start"

#include <optional>
#include <string>
#include <vector>

#include "job/PathLayout.h"
#include "job/Results.h"

// The edges of a result with the labels the overlay gives them: a pair's "S1" and "E1", else the
// number of each edge on its path (1, 2, ...); `rejected` marks points that the fit rejected.
struct LabelledEdge {
    const EdgeRecord* edge = nullptr;  // into the result
    std::string label;
    bool rejected = false;
};
std::vector<LabelledEdge> LabelledEdges(const MeasurementResult& result);

// A number with `decimals` decimals; a point as "(x, y)".
std::string Fixed(double value, int decimals = 3);
std::string PointText(const Point2& point);
// A length in pixels, with its millimetres when there is a scale: "36.875 px (1.844 mm)".
std::string LengthText(double px, std::optional<double> mmPerPx);

// Path k (0-based) of `count` paths of a measurement.
std::string PathTip(const std::string& name, int k, int count, const PathGeometry& geometry);
// The same for a caliper, with its width and what it found: "hole: caliper 3 of 36, 5.000 px
// wide\n...\nedge found, rejected by the fit" (or "no edge: ..." with the caliper's reason).
std::string CaliperTip(const std::string& name, const CaliperRecord& caliper, int count,
                       const PathGeometry& geometry);
std::string EdgeTip(const std::string& name, const EdgeRecord& edge, const std::string& label,
                    std::optional<double> mmPerPx);
std::string CircleTip(const std::string& name, const CircleFitResult& circle,
                      std::optional<double> mmPerPx);
std::string LineTip(const std::string& name, const LineFitResult& line);
std::string PairTip(const std::string& name, const PairRecord& pair, std::optional<double> mmPerPx);
