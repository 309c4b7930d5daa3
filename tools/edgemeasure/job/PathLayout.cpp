#include "job/PathLayout.h"

#include <algorithm>
#include <cmath>

#include "foundation/Angles.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

OVector ToVector(const Point2& p) {
    return OVector(p.x, p.y);
}

std::vector<PathGeometry> Expand(const LineLayout& line) {
    return {line};
}

std::vector<PathGeometry> Expand(const ArcLayout& arc) {
    return {arc};
}

std::vector<PathGeometry> Expand(const RadialLayout& radial) {
    const bool fullTurn = std::fabs(radial.sweepDeg) == angles::kFullTurnDegrees;
    const double stepDeg = fullTurn           ? radial.sweepDeg / radial.count
                           : radial.count > 1 ? radial.sweepDeg / (radial.count - 1)
                                              : 0.0;
    const double firstDeg = (!fullTurn && radial.count == 1)
                                ? radial.startDeg + radial.sweepDeg / 2.0
                                : radial.startDeg;
    std::vector<PathGeometry> lines;
    for (int k = 0; k < radial.count; ++k) {
        const double angle = angles::RadiansFromDegrees(firstDeg + k * stepDeg);
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        lines.push_back(
            LineLayout{{radial.center.x + radial.inner * c, radial.center.y + radial.inner * s},
                       {radial.center.x + radial.outer * c, radial.center.y + radial.outer * s}});
    }
    return lines;
}

std::vector<PathGeometry> Expand(const ParallelLayout& parallel) {
    std::vector<PathGeometry> lines;
    for (int k = 0; k < parallel.count; ++k) {
        const Point2 shift{k * parallel.step.x, k * parallel.step.y};
        lines.push_back(LineLayout{{parallel.from.x + shift.x, parallel.from.y + shift.y},
                                   {parallel.to.x + shift.x, parallel.to.y + shift.y}});
    }
    return lines;
}

}  // namespace

std::vector<PathGeometry> ExpandLayout(const PathLayout& layout) {
    return std::visit([](const auto& kind) { return Expand(kind); }, layout);
}

std::unique_ptr<OVectorPath> MakePath(const PathGeometry& geometry) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        return std::make_unique<OVectorPath_Line>(ToVector(line->from), ToVector(line->to));
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    return std::make_unique<OVectorPath_Circle>(ToVector(arc.center), arc.radius, arc.startDeg,
                                                arc.sweepDeg);
}

void PathStart(const PathGeometry& geometry, Point2& point, Point2& direction) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        point = line->from;
        const double dx = line->to.x - line->from.x;
        const double dy = line->to.y - line->from.y;
        const double length = std::hypot(dx, dy);
        direction = length > 0.0 ? Point2{dx / length, dy / length} : Point2{1.0, 0.0};
        return;
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    const double angle = angles::RadiansFromDegrees(arc.startDeg);
    point = {arc.center.x + arc.radius * std::cos(angle),
             arc.center.y + arc.radius * std::sin(angle)};
    // The tangent in the sense of the sweep: towards increasing angles for a positive sweep.
    const double sense = arc.sweepDeg >= 0.0 ? 1.0 : -1.0;
    direction = {-std::sin(angle) * sense, std::cos(angle) * sense};
}

bool IsArc(const PathGeometry& geometry) {
    return std::holds_alternative<ArcLayout>(geometry);
}

namespace {

// Liang-Barsky: whether the segment from a to b meets the rectangle [0, w] x [0, h].
bool SegmentMeetsRectangle(Point2 a, Point2 b, double w, double h) {
    double enter = 0.0;
    double leave = 1.0;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x, w - a.x, a.y, h - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    return enter <= leave;
}

}  // namespace

bool PathTouchesImage(const PathGeometry& geometry, int width, int height) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        return SegmentMeetsRectangle(line->from, line->to, width, height);
    }
    // An arc as the chords between points about a pixel apart (at most a few hundred thousand
    // for the largest radius).
    const auto& arc = std::get<ArcLayout>(geometry);
    const double sweep = angles::RadiansFromDegrees(arc.sweepDeg);
    const int chords = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) * arc.radius)));
    const double start = angles::RadiansFromDegrees(arc.startDeg);
    Point2 previous{arc.center.x + arc.radius * std::cos(start),
                    arc.center.y + arc.radius * std::sin(start)};
    for (int k = 1; k <= chords; ++k) {
        const double t = start + sweep * k / chords;
        const Point2 next{arc.center.x + arc.radius * std::cos(t),
                          arc.center.y + arc.radius * std::sin(t)};
        if (SegmentMeetsRectangle(previous, next, width, height)) {
            return true;
        }
        previous = next;
    }
    return false;
}

double DistanceAlong(const PathGeometry& geometry, const Point2& point,
                     std::optional<double> angleRad) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        const double dx = line->to.x - line->from.x;
        const double dy = line->to.y - line->from.y;
        const double length = std::hypot(dx, dy);
        return length > 0.0
                   ? ((point.x - line->from.x) * dx + (point.y - line->from.y) * dy) / length
                   : 0.0;
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    const double start = angles::RadiansFromDegrees(arc.startDeg);
    if (angleRad) {
        return std::fabs(*angleRad - start) * arc.radius;
    }
    // The point's angle counted from the start in the sense of the sweep, within one turn; a
    // point a rounding error before the start counts from the start, not a turn later.
    const double sweep = std::fabs(angles::RadiansFromDegrees(arc.sweepDeg));
    const double sense = arc.sweepDeg >= 0.0 ? 1.0 : -1.0;
    double turned =
        std::fmod(sense * (std::atan2(point.y - arc.center.y, point.x - arc.center.x) - start),
                  angles::kTwoPi);
    turned += turned < 0.0 ? angles::kTwoPi : 0.0;
    if (turned > sweep && angles::kTwoPi - turned < turned - sweep) {
        turned = angles::kTwoPi - turned;
    }
    return turned * arc.radius;
}
