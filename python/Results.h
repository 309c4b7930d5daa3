#pragma once
// The small typed results that the module returns: plain values, filled by the measuring calls
// (PathBindings.cpp, FitBindings.cpp) and bound read-only with a readable repr
// (ResultBindings.cpp). Coordinates are pixels; angles radians.

#include <pybind11/numpy.h>

#include <optional>

namespace pybinding {

// A transition found by a search: the path index and the point at it. `angle` is the arc's angle
// where the change was seen (circle paths only).
struct Edge {
    int index = -1;
    double x = 0.0;
    double y = 0.0;
    std::optional<double> angle;
};

// The first (start) and second (end) edge of a pair search.
struct EdgePair {
    Edge first;
    Edge second;
};

// A transition refined to sub-pixel precision: the path's point at the refined fractional index,
// and on a circle path the arc's angle there.
struct SubpixelEdge {
    int index = -1;  // the integer index that was refined
    double x = 0.0;
    double y = 0.0;
    std::optional<double> angle;
};

// A point of a fit's input, its distance from the fitted figure, and the nearest point of the
// figure (the foot).
struct Deviation {
    double distance = 0.0;
    double x = 0.0;
    double y = 0.0;
    double footX = 0.0;
    double footY = 0.0;
};

struct CircleFit {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
    double sigma = 0.0;
    int iterations = 0;
    pybind11::array_t<double> inliers;
    pybind11::array_t<double> outliers;
    // The quality figures (checked mode only).
    std::optional<Deviation> maxDeviation;
    std::optional<Deviation> maxInnerDeviation;
    std::optional<Deviation> maxOuterDeviation;
    std::optional<double> sigmaAll;
    std::optional<double> sigmaInliers;
};

struct LineFit {
    double angle = 0.0;
    double x = 0.0;
    double y = 0.0;
    pybind11::array_t<double> inliers;
    pybind11::array_t<double> outliers;
    // The quality figures (mode 3 and above only).
    std::optional<Deviation> farthest;
    std::optional<double> sigmaAll;
    std::optional<double> sigmaInliers;
};

}  // namespace pybinding
