#include "overlay/MeasurementOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

#include "foundation/Angles.h"
#include "overlay/OverlayStyle.h"

namespace {

// Where a caption goes, in pixels: its bottom-left corner this far above a circle, or beside and
// below a point by kCaptionOffset plus the text height; above a pair clear of the library's
// labels, which reach 27 pixels (tick 8, gap 1, text 18) across the line.
constexpr int kCaptionGap = 6;
constexpr int kCaptionOffset = 8;
constexpr int kCaptionBelow = kCaptionOffset + OverlayContext::kDefaultTextHeight;
constexpr int kPairCaptionClearance = 32;

// The pixel that contains a point (pixel i covers [i, i + 1)); far-away points are limited to the
// int range, where the context clips them.
POINT Pixel(const Point2& p) {
    const auto toInt = [](double v) {
        constexpr double kLimit = std::numeric_limits<int>::max() / 2;
        return static_cast<int>(std::floor(std::clamp(v, -kLimit, kLimit)));
    };
    return {toInt(p.x), toInt(p.y)};
}

void Segment(OverlayContext& context, const Point2& a, const Point2& b) {
    const POINT pa = Pixel(a);
    const POINT pb = Pixel(b);
    context.PathDraw_MoveTo(pa.x, pa.y);
    context.PathDraw_LineTo(pb.x, pb.y);
}

void Cross(OverlayContext& context, const Point2& p, int halfSize) {
    const POINT c = Pixel(p);
    context.PathDraw_MoveTo(c.x - halfSize, c.y);
    context.PathDraw_LineTo(c.x + halfSize, c.y);
    context.PathDraw_MoveTo(c.x, c.y - halfSize);
    context.PathDraw_LineTo(c.x, c.y + halfSize);
}

// The half size of a point's cross, grown with the overlay's scale.
int MarkerHalfSize(const OverlayContext& context) {
    return static_cast<int>(std::lround(kMarkerHalfSize * context.Scale()));
}

void Crosses(OverlayContext& context, const std::vector<Point2>& points, Rgb colour) {
    context.SetColour(colour);
    for (const Point2& p : points) {
        Cross(context, p, MarkerHalfSize(context));
    }
}

void ArcPolyline(OverlayContext& context, const Point2& centre, double radius, double startRad,
                 double sweepRad) {
    const int kMinSegments = 8;
    const int kMaxSegments = 20000;
    const int segments =
        std::clamp(static_cast<int>(std::ceil(std::fabs(sweepRad) * radius / kCircleSegmentLength)),
                   kMinSegments, kMaxSegments);
    std::vector<POINT> points;
    points.reserve(static_cast<std::size_t>(segments) + 1);
    for (int i = 0; i <= segments; ++i) {
        const double t = startRad + sweepRad * i / segments;
        points.push_back(Pixel({centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)}));
    }
    context.PathDraw_DrawPolyline(points.data(), static_cast<int>(points.size()));
}

void DrawCircleFit(OverlayContext& context, const CircleFitResult& circle) {
    context.SetColour(kFitColour);
    ArcPolyline(context, circle.center, circle.radius, 0.0, 2.0 * angles::kPi);
    Cross(context, circle.center, 2 * MarkerHalfSize(context));
    Crosses(context, circle.inliers, kFitColour);
    Crosses(context, circle.outliers, kOutlierColour);
}

void DrawLineFit(OverlayContext& context, const LineFitResult& line) {
    Point2 a;
    Point2 b;
    LineFitExtent(line, a, b);
    context.SetColour(kFitColour);
    Segment(context, a, b);
    Crosses(context, line.inliers, kFitColour);
    Crosses(context, line.outliers, kOutlierColour);
}

// Where the caption goes (its bottom-left corner): above the circle or the pair, below and right
// of the line's centre or the first edge, or of the first path's start for a failed measurement.
Point2 CaptionAnchor(const MeasurementResult& result, const std::vector<PathGeometry>& paths) {
    if (result.circle) {
        const CircleFitResult& c = *result.circle;
        return {c.center.x - c.radius, c.center.y - c.radius - kCaptionGap};
    }
    if (result.line) {
        const LineFitResult& l = *result.line;
        return {l.centre.x + kCaptionOffset, l.centre.y + kCaptionBelow};
    }
    if (result.pair) {
        const Point2 a = result.pair->first.Best();
        return {a.x, a.y - kPairCaptionClearance};
    }
    if (!result.edges.empty()) {
        const Point2 a = result.edges.front().Best();
        return {a.x + kCaptionOffset, a.y + kCaptionBelow};
    }
    Point2 start;
    Point2 direction;
    PathStart(paths.front(), start, direction);
    return {start.x + kCaptionOffset, start.y + kCaptionBelow};
}

}  // namespace

void LineFitExtent(const LineFitResult& line, Point2& a, Point2& b) {
    double low = 0.0;
    double high = 0.0;
    for (const auto* list : {&line.inliers, &line.outliers}) {
        for (const Point2& p : *list) {
            const double along =
                (p.x - line.centre.x) * line.direction.x + (p.y - line.centre.y) * line.direction.y;
            low = std::min(low, along);
            high = std::max(high, along);
        }
    }
    low -= kLineOverhang;
    high += kLineOverhang;
    a = {line.centre.x + low * line.direction.x, line.centre.y + low * line.direction.y};
    b = {line.centre.x + high * line.direction.x, line.centre.y + high * line.direction.y};
}

std::string Caption(const MeasurementResult& result) {
    if (!result.ok) {
        return result.name + ": " + result.problem;
    }
    char figure[96] = "";
    if (result.circle) {
        std::snprintf(figure, sizeof figure, "r %.2f px", result.circle->radius);
    } else if (result.line) {
        std::snprintf(figure, sizeof figure, "%.2f deg",
                      result.line->angle * angles::kDegreesPerRadian);
    } else if (result.pair) {
        std::snprintf(figure, sizeof figure, "%.2f px", result.pair->distance);
    } else {
        std::snprintf(figure, sizeof figure, "%zu edge%s", result.edges.size(),
                      result.edges.size() == 1 ? "" : "s");
    }
    return result.name + "  " + figure;
}

void DrawPaths(OverlayContext& context, const std::vector<PathGeometry>& paths) {
    context.SetColour(kPathColour);
    for (const PathGeometry& geometry : paths) {
        if (const auto* line = std::get_if<LineLayout>(&geometry)) {
            Segment(context, line->from, line->to);
        } else {
            const auto& arc = std::get<ArcLayout>(geometry);
            ArcPolyline(context, arc.center, arc.radius, angles::RadiansFromDegrees(arc.startDeg),
                        angles::RadiansFromDegrees(arc.sweepDeg));
        }
        Point2 start;
        Point2 direction;
        PathStart(geometry, start, direction);
        OVectorPath::DrawDirectionArrow(&context, OVector(start.x, start.y),
                                        OVector(direction.x, direction.y));
    }
}

namespace {

// The outline of a caliper: a rectangle around a line, a ring sector around an arc.
void CaliperOutline(OverlayContext& context, const PathGeometry& geometry, double width) {
    const double half = 0.5 * width;
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        const double length = std::hypot(line->to.x - line->from.x, line->to.y - line->from.y);
        if (!(length > 0.0)) {
            return;
        }
        const Point2 n{-(line->to.y - line->from.y) / length * half,
                       (line->to.x - line->from.x) / length * half};
        const POINT corners[] = {Pixel({line->from.x + n.x, line->from.y + n.y}),
                                 Pixel({line->to.x + n.x, line->to.y + n.y}),
                                 Pixel({line->to.x - n.x, line->to.y - n.y}),
                                 Pixel({line->from.x - n.x, line->from.y - n.y}),
                                 Pixel({line->from.x + n.x, line->from.y + n.y})};
        context.PathDraw_DrawPolyline(corners, static_cast<int>(std::size(corners)));
        return;
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    const double start = angles::RadiansFromDegrees(arc.startDeg);
    const double sweep = angles::RadiansFromDegrees(arc.sweepDeg);
    const double inner = std::max(arc.radius - half, 0.0);
    const double outer = arc.radius + half;
    for (const double r : {inner, outer}) {
        ArcPolyline(context, arc.center, r, start, sweep);
    }
    for (const double angle : {start, start + sweep}) {
        const Point2 u{std::cos(angle), std::sin(angle)};
        Segment(context, {arc.center.x + inner * u.x, arc.center.y + inner * u.y},
                {arc.center.x + outer * u.x, arc.center.y + outer * u.y});
    }
}

}  // namespace

void DrawCalipers(OverlayContext& context, const MeasurementResult& result,
                  const std::vector<PathGeometry>& paths) {
    for (const CaliperRecord& caliper : result.calipers) {
        const auto at = static_cast<std::size_t>(caliper.path);
        if (at >= paths.size()) {
            continue;
        }
        const bool found = caliper.status == kCaliperFound;
        const bool rejected = caliper.kept && !*caliper.kept;
        context.SetColour(!found ? kCaliperMissColour : rejected ? kOutlierColour : kPathColour);
        context.SetThin(true);
        CaliperOutline(context, paths[at], caliper.width);
        context.SetThin(false);
        Point2 start;
        Point2 direction;
        PathStart(paths[at], start, direction);
        OVectorPath::DrawDirectionArrow(&context, OVector(start.x, start.y),
                                        OVector(direction.x, direction.y));
    }
}

void DrawResult(OverlayContext& context, const MeasurementResult& result) {
    // Refined points: the path search's where refinement succeeded; a caliper's edge is refined
    // itself (a fit marks its edges as kept or rejected instead).
    const bool calipers = result.method == MeasureMethod::Caliper;
    std::vector<Point2> refined;
    for (const EdgeRecord& edge : result.edges) {
        if (edge.subpixelPoint) {
            refined.push_back(*edge.subpixelPoint);
        } else if (calipers && !result.circle && !result.line) {
            refined.push_back(edge.point);
        }
    }
    if (result.pair) {
        for (const EdgeRecord* edge : {&result.pair->first, &result.pair->second}) {
            if (edge->subpixelPoint || calipers) {
                refined.push_back(edge->Best());
            }
        }
        context.SetColour(kFitColour);
        Segment(context, result.pair->first.Best(), result.pair->second.Best());
    }
    Crosses(context, refined, kSubpixelColour);
    if (result.circle) {
        DrawCircleFit(context, *result.circle);
    }
    if (result.line) {
        DrawLineFit(context, *result.line);
    }
}

CaptionRequest CaptionFor(const MeasurementResult& result, const std::vector<PathGeometry>& paths) {
    return {Caption(result), result.ok ? kCaptionColour : kOutlierColour,
            CaptionAnchor(result, paths)};
}
