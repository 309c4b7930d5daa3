#pragma once
// PathLayout: the single paths that a measurement's layout stands for, and the library paths made
// from them.
//
// - A line or an arc is one path.
// - Radial lines: `count` lines from radius `inner` to radius `outer` about the centre. On a full
//   turn (sweep +-360) their angles are start + k * sweep / count, evenly round the circle; on a
//   part of a turn they spread over it with both ends included, start + k * sweep / (count - 1)
//   (one line: the middle of the arc).
// - Parallel lines: line k runs from `from + k * step` to `to + k * step`.
// Every line runs in the direction of the layout (radial lines outwards), which sets the polarity
// of its transitions.
//
//   for (const PathGeometry& g : ExpandLayout(setup.layout)) {
//       std::unique_ptr<OVectorPath> path = MakePath(g);
//   }

#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "job/Job.h"
#include "paths/OVectorPath.h"

using PathGeometry = std::variant<LineLayout, ArcLayout>;

std::vector<PathGeometry> ExpandLayout(const PathLayout& layout);

// A line path (OVectorPath_Line) or a double-precision circle path (OVectorPath_Circle).
std::unique_ptr<OVectorPath> MakePath(const PathGeometry& geometry);

// The start point of a path and its direction there (unit length), for the direction arrow.
void PathStart(const PathGeometry& geometry, Point2& point, Point2& direction);

bool IsArc(const PathGeometry& geometry);

// True when some part of the path lies on the image [0, width) x [0, height) (pixels).
bool PathTouchesImage(const PathGeometry& geometry, int width, int height);

// The distance of a point of the path from its start, along the path (pixels): along a line its
// projection on the line, along an arc the arc length to the angle `angleRad` (a refined edge's
// angle, which continues past a full turn), or without it to the point's own angle.
double DistanceAlong(const PathGeometry& geometry, const Point2& point,
                     std::optional<double> angleRad);
