#pragma once
// MeasurementOverlay: what edgemeasure itself draws of a measurement (the library draws the
// ticks and labels of its searches and the direction arrows).
//
// - DrawPaths: every path (lines as lines, arcs as polylines) with a direction arrow at its start
//   (OVectorPath::DrawDirectionArrow), in the path colour.
// - DrawCalipers: with calipers, each caliper's outline (a rectangle, or a ring sector on an arc)
//   drawn thin, with a direction arrow at its start: in the path colour when it found an edge
//   that was kept, red when a fit rejected its edge, grey when it found none.
// - DrawResult: a cross on every refined edge point (a caliper's edge is one); the fitted circle
//   or line with a cross on each kept (green) and rejected (red) point; a pair's connecting line.
//   Crosses grow with the overlay's scale.
// - CaptionFor: the caption with the name and the main figure (or, in red, what went wrong),
//   wished above a circle or a pair, beside a line or an edge, or at the first path's start; the
//   captions of all measurements are placed together once everything else is drawn
//   (CaptionPlacement.h).
//
//   DrawPaths(context, paths);
//   ... searches ...
//   DrawResult(context, result);
//   captions.push_back(CaptionFor(result, paths));

#include <vector>

#include "job/PathLayout.h"
#include "job/Results.h"
#include "overlay/CaptionPlacement.h"
#include "overlay/OverlayContext.h"

void DrawPaths(OverlayContext& context, const std::vector<PathGeometry>& paths);
void DrawCalipers(OverlayContext& context, const MeasurementResult& result,
                  const std::vector<PathGeometry>& paths);
void DrawResult(OverlayContext& context, const MeasurementResult& result);
CaptionRequest CaptionFor(const MeasurementResult& result, const std::vector<PathGeometry>& paths);

// The stretch of a fitted line that the overlay draws: between the outermost projections of its
// points, a little beyond them.
void LineFitExtent(const LineFitResult& line, Point2& a, Point2& b);

// The caption of a result, e.g. "hole  r 72.61 px" or "slot: no edge pair found".
std::string Caption(const MeasurementResult& result);
