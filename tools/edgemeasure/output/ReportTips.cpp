#include "output/ReportTips.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <variant>

#include "foundation/Angles.h"

namespace {

constexpr int kAngleDecimals = 2;
// A fit hands its points back through fixed point: a point within this distance of a rejected one
// (pixels) is that point.
constexpr double kSamePointPx = 1e-3;

bool Among(const Point2& p, const std::vector<Point2>& points) {
    for (const Point2& q : points) {
        if (std::fabs(p.x - q.x) <= kSamePointPx && std::fabs(p.y - q.y) <= kSamePointPx) {
            return true;
        }
    }
    return false;
}

// " +- 0.004" when there is an uncertainty.
std::string PlusMinus(std::optional<double> sigma, int decimals = 3) {
    return sigma ? " +- " + Fixed(*sigma, decimals) : "";
}

std::string Kept(std::size_t inliers, std::size_t outliers) {
    return std::to_string(inliers) + " points kept, " + std::to_string(outliers) + " rejected";
}

}  // namespace

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string PointText(const Point2& point) {
    return "(" + Fixed(point.x) + ", " + Fixed(point.y) + ")";
}

std::string LengthText(double px, std::optional<double> mmPerPx) {
    return Fixed(px) + " px" + (mmPerPx ? " (" + Fixed(px * *mmPerPx) + " mm)" : "");
}

std::string PathTip(const std::string& name, int k, int count, const PathGeometry& geometry) {
    std::string tip = name + ": path " + std::to_string(k + 1) + " of " + std::to_string(count);
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        const double length = std::hypot(line->to.x - line->from.x, line->to.y - line->from.y);
        return tip + "\nline " + PointText(line->from) + " to " + PointText(line->to) + "\n" +
               Fixed(length) + " px long";
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    return tip + "\narc about " + PointText(arc.center) + ", radius " + Fixed(arc.radius) +
           " px\nfrom " + Fixed(arc.startDeg, kAngleDecimals) + " deg through " +
           Fixed(arc.sweepDeg, kAngleDecimals) + " deg";
}

std::string CaliperTip(const std::string& name, const CaliperRecord& caliper, int count,
                       const PathGeometry& geometry) {
    std::string tip = PathTip(name, caliper.path, count, geometry);
    tip.replace(tip.find(": path "), std::string(": path ").size(), ": caliper ");
    tip.insert(tip.find('\n'), ", " + Fixed(caliper.width) + " px wide");
    if (caliper.status != kCaliperFound) {
        return tip + "\nno edge: " + caliper.status;
    }
    if (!caliper.kept) {
        return tip + "\nedge found";
    }
    return tip +
           (*caliper.kept ? "\nedge found, kept by the fit" : "\nedge found, rejected by the fit");
}

std::string EdgeTip(const std::string& name, const EdgeRecord& edge, const std::string& label,
                    std::optional<double> mmPerPx) {
    const bool caliper = edge.uncertainty || edge.amplitude;
    std::string tip = name + ": edge " + label + (caliper ? " of caliper " : " on path ") +
                      std::to_string(edge.path + 1) + "\n" + PointText(edge.Best()) + " px" +
                      (edge.subpixelPoint ? ", sub-pixel" : "") + PlusMinus(edge.uncertainty) +
                      "\n" + LengthText(edge.distance, mmPerPx) +
                      (caliper ? " along the caliper" : " from the path's start");
    if (edge.amplitude && edge.score) {
        tip += "\namplitude " + Fixed(*edge.amplitude, 1) + " grey levels/px, score " +
               Fixed(*edge.score, 2);
    }
    return tip;
}

std::string CircleTip(const std::string& name, const CircleFitResult& circle,
                      std::optional<double> mmPerPx) {
    const auto& u = circle.uncertainty;
    return name + ": circle\ncentre " + PointText(circle.center) + " px" +
           (u ? " +- " + PointText(u->center) : "") + "\nradius " +
           LengthText(circle.radius, mmPerPx) +
           PlusMinus(u ? std::optional<double>(u->radius) : std::nullopt) + "\ndiameter " +
           LengthText(2.0 * circle.radius, mmPerPx) + "\nsigma " + Fixed(circle.sigma) + " px\n" +
           Kept(circle.inliers.size(), circle.outliers.size());
}

std::string LineTip(const std::string& name, const LineFitResult& line) {
    const std::string sigma =
        line.hasQuality ? "\nsigma " + Fixed(line.sigmaInliers) + " px (kept points)" : "";
    const auto& u = line.uncertainty;
    return name + ": line\nangle " + Fixed(line.angle * angles::kDegreesPerRadian) + " deg" +
           PlusMinus(u ? std::optional<double>(u->angle * angles::kDegreesPerRadian) : std::nullopt,
                     4) +
           "\nthrough " + PointText(line.centre) + " px" + sigma + "\n" +
           Kept(line.inliers.size(), line.outliers.size());
}

std::string PairTip(const std::string& name, const PairRecord& pair,
                    std::optional<double> mmPerPx) {
    return name + ": width " + LengthText(pair.distance, mmPerPx) + PlusMinus(pair.uncertainty) +
           "\nfrom " + PointText(pair.first.Best()) + " to " + PointText(pair.second.Best()) +
           " px";
}

std::vector<LabelledEdge> LabelledEdges(const MeasurementResult& result) {
    std::vector<LabelledEdge> edges;
    if (result.pair) {
        edges.push_back({&result.pair->first, "S1", false});
        edges.push_back({&result.pair->second, "E1", false});
        return edges;
    }
    const std::vector<Point2>* rejected = result.circle ? &result.circle->outliers
                                          : result.line ? &result.line->outliers
                                                        : nullptr;
    std::vector<int> perPath;
    for (const EdgeRecord& edge : result.edges) {
        const auto path = static_cast<std::size_t>(std::max(edge.path, 0));
        perPath.resize(std::max(perPath.size(), path + 1), 0);
        const int number = ++perPath[path];
        edges.push_back(
            {&edge, std::to_string(number), rejected != nullptr && Among(edge.Best(), *rejected)});
    }
    return edges;
}
