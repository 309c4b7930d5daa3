#include "output/ReportOverlay.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "foundation/Angles.h"
#include "job/PathLayout.h"
#include "output/ReportTips.h"
#include "output/SvgOverlay.h"
#include "output/XmlText.h"
#include "overlay/MeasurementOverlay.h"
#include "overlay/OverlayStyle.h"

namespace {

// Radius of the disc that catches the pointer on an edge, in pixels of an image of nominal size.
constexpr double kEdgeHitRadius = 3.0;
// Points of the polyline that stands for an arc: about one per this many pixels of arc, within
// the bounds.
constexpr double kArcHitSpacing = 4.0;
constexpr int kMinArcPoints = 8;
constexpr int kMaxArcPoints = 720;
// The view of a measurement reaches this fraction of its box, and at least kViewMargin pixels,
// beyond the box on every side.
constexpr double kViewMarginFraction = 0.15;
constexpr double kViewMargin = 20.0;

std::vector<Point2> GeometryPoints(const PathGeometry& geometry) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        return {line->from, line->to};
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    const double sweep = angles::RadiansFromDegrees(arc.sweepDeg);
    const int count =
        std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) * arc.radius / kArcHitSpacing)),
                   kMinArcPoints, kMaxArcPoints);
    std::vector<Point2> points;
    for (int i = 0; i <= count; ++i) {
        const double t = angles::RadiansFromDegrees(arc.startDeg) + sweep * i / count;
        points.push_back(
            {arc.center.x + arc.radius * std::cos(t), arc.center.y + arc.radius * std::sin(t)});
    }
    return points;
}

std::string Title(const std::string& tip) {
    return "<title>" + EscapeXml(tip) + "</title>";
}

void WritePolyline(std::ostream& out, const std::vector<Point2>& points, const char* classes,
                   const std::string& tip) {
    out << "    <polyline class=\"" << classes << "\" points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        out << (i == 0 ? "" : " ") << Fixed(points[i].x) << ',' << Fixed(points[i].y);
    }
    out << "\">" << Title(tip) << "</polyline>\n";
}

void WriteMeasurementHits(std::ostream& out, const MeasurementSetup& setup,
                          const MeasurementResult& result, const ImageRun& run, double scale) {
    const std::vector<PathGeometry> paths = ExpandLayout(setup.layout);
    const int count = static_cast<int>(paths.size());
    if (!result.calipers.empty()) {
        // Each caliper with what it found; its class says whether a fit kept its edge.
        for (const CaliperRecord& caliper : result.calipers) {
            const auto at = static_cast<std::size_t>(caliper.path);
            if (at < paths.size()) {
                const bool rejected = caliper.kept && !*caliper.kept;
                const bool missed = caliper.status != kCaliperFound;
                WritePolyline(out, GeometryPoints(paths[at]),
                              missed     ? "hit path caliper missed"
                              : rejected ? "hit path caliper rejected"
                                         : "hit path caliper",
                              CaliperTip(result.name, caliper, count, paths[at]));
            }
        }
    } else {
        for (std::size_t k = 0; k < paths.size(); ++k) {
            WritePolyline(out, GeometryPoints(paths[k]), "hit path",
                          PathTip(result.name, static_cast<int>(k), count, paths[k]));
        }
    }
    if (result.circle) {
        const CircleFitResult& c = *result.circle;
        out << "    <circle class=\"hit fit\" cx=\"" << Fixed(c.center.x) << "\" cy=\""
            << Fixed(c.center.y) << "\" r=\"" << Fixed(c.radius) << "\">"
            << Title(CircleTip(result.name, c, run.mmPerPx)) << "</circle>\n";
    }
    if (result.line) {
        Point2 a;
        Point2 b;
        LineFitExtent(*result.line, a, b);
        WritePolyline(out, {a, b}, "hit fit", LineTip(result.name, *result.line));
    }
    if (result.pair) {
        WritePolyline(out, {result.pair->first.Best(), result.pair->second.Best()}, "hit fit",
                      PairTip(result.name, *result.pair, run.mmPerPx));
    }
    for (const LabelledEdge& e : LabelledEdges(result)) {
        const Point2 p = e.edge->Best();
        out << "    <circle class=\"hit edge" << (e.rejected ? " rejected" : "") << "\" cx=\""
            << Fixed(p.x) << "\" cy=\"" << Fixed(p.y) << "\" r=\"" << Fixed(kEdgeHitRadius * scale)
            << "\">" << Title(EdgeTip(result.name, *e.edge, e.label, run.mmPerPx)) << "</circle>\n";
    }
}

struct Bounds {
    double left = std::numeric_limits<double>::infinity();
    double top = std::numeric_limits<double>::infinity();
    double right = -std::numeric_limits<double>::infinity();
    double bottom = -std::numeric_limits<double>::infinity();

    void Add(const Point2& p) {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
};

}  // namespace

std::string ReportOverlaySvg(const ImageRun& run, const Job& job) {
    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"overlay\" viewBox=\"0 0 " << run.width
        << ' ' << run.height << "\" data-width=\"" << run.width << "\" data-height=\"" << run.height
        << "\">\n"
        << OverlaySvgElements(*run.image, run.drawing) << "  <g class=\"hits\">\n";
    const double scale = OverlayScale(run.width, run.height);
    for (std::size_t i = 0; i < run.results.size() && i < job.measurements.size(); ++i) {
        out << "   <g class=\"measurement\" data-index=\"" << i << "\">\n";
        WriteMeasurementHits(out, job.measurements[i], run.results[i], run, scale);
        out << "   </g>\n";
    }
    out << "  </g>\n</svg>\n";
    return out.str();
}

std::string MeasurementView(const MeasurementSetup& setup, const MeasurementResult& result) {
    Bounds box;
    for (const PathGeometry& path : ExpandLayout(setup.layout)) {
        for (const Point2& p : GeometryPoints(path)) {
            box.Add(p);
        }
    }
    if (result.circle) {
        const CircleFitResult& c = *result.circle;
        box.Add({c.center.x - c.radius, c.center.y - c.radius});
        box.Add({c.center.x + c.radius, c.center.y + c.radius});
    }
    const double margin = std::max(
        kViewMargin, kViewMarginFraction * std::max(box.right - box.left, box.bottom - box.top));
    return Fixed(box.left - margin) + " " + Fixed(box.top - margin) + " " +
           Fixed(box.right - box.left + 2 * margin) + " " +
           Fixed(box.bottom - box.top + 2 * margin);
}
