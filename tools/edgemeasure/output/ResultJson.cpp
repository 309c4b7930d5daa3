#include "output/ResultJson.h"

#include <cmath>

#include "job/Angles.h"

namespace {

using json = nlohmann::ordered_json;

constexpr double kRoundingScale = 1e6;  // results to 1e-6 pixel or radian

double Round(double value) {
    return std::round(value * kRoundingScale) / kRoundingScale;
}

json ToJson(const Point2& p) {
    return json::array({Round(p.x), Round(p.y)});
}

json ToJson(const std::vector<Point2>& points) {
    json list = json::array();
    for (const Point2& p : points) {
        list.push_back(ToJson(p));
    }
    return list;
}

template <class T, class F>
json OrNull(const std::optional<T>& value, F&& convert) {
    return value ? json(convert(*value)) : json(nullptr);
}

json EdgeJson(const EdgeRecord& edge) {
    json subpixel = nullptr;
    if (edge.subpixelPoint) {
        subpixel = {{"point", ToJson(*edge.subpixelPoint)},
                    {"angle", OrNull(edge.subpixelAngle, Round)}};
    }
    return {{"path", edge.path},
            {"index", edge.index},
            {"point", ToJson(edge.point)},
            {"angle", OrNull(edge.angle, Round)},
            {"subpixel", subpixel}};
}

json DeviationJson(const CircleDeviation& d) {
    return {
        {"value", Round(d.value)}, {"point", ToJson(d.point)}, {"on_circle", ToJson(d.onCircle)}};
}

json CircleJson(const CircleFitResult& c) {
    json result = {{"center", ToJson(c.center)},        {"radius", Round(c.radius)},
                   {"diameter", Round(2.0 * c.radius)}, {"sigma", Round(c.sigma)},
                   {"iterations", c.iterations},        {"inliers", ToJson(c.inliers)},
                   {"outliers", ToJson(c.outliers)},    {"quality", nullptr}};
    if (c.hasQuality) {
        result["quality"] = {{"max_deviation", OrNull(c.maxDeviation, DeviationJson)},
                             {"max_inner_deviation", OrNull(c.maxInnerDeviation, DeviationJson)},
                             {"max_outer_deviation", OrNull(c.maxOuterDeviation, DeviationJson)},
                             {"sigma_all", Round(c.sigmaAll)},
                             {"sigma_inliers", Round(c.sigmaInliers)}};
    }
    return result;
}

json LineJson(const LineFitResult& l) {
    const auto farthest = [](const LineFarthest& f) {
        return json{
            {"distance", Round(f.distance)}, {"point", ToJson(f.point)}, {"foot", ToJson(f.foot)}};
    };
    json result = {{"angle", Round(l.angle)},
                   {"angle_deg", Round(l.angle * kDegreesPerRadian)},
                   {"point", ToJson(l.centre)},
                   {"direction", ToJson(l.direction)},
                   {"inliers", ToJson(l.inliers)},
                   {"outliers", ToJson(l.outliers)},
                   {"quality", nullptr}};
    if (l.hasQuality) {
        result["quality"] = {{"farthest", OrNull(l.farthest, farthest)},
                             {"sigma_all", Round(l.sigmaAll)},
                             {"sigma_inliers", Round(l.sigmaInliers)}};
    }
    return result;
}

const char* KindName(MeasurementKind kind) {
    switch (kind) {
        case MeasurementKind::Circle:
            return "circle";
        case MeasurementKind::Line:
            return "line";
        case MeasurementKind::Edges:
            break;
    }
    return "edges";
}

}  // namespace

nlohmann::ordered_json MeasurementJson(const MeasurementResult& r) {
    json edges = json::array();
    for (const EdgeRecord& edge : r.edges) {
        edges.push_back(EdgeJson(edge));
    }
    json result = {{"name", r.name},       {"kind", KindName(r.kind)},
                   {"ok", r.ok},           {"problem", r.ok ? json(nullptr) : json(r.problem)},
                   {"paths", r.pathCount}, {"edges", edges}};
    if (r.pair) {
        result["pair"] = {{"first", EdgeJson(r.pair->first)},
                          {"second", EdgeJson(r.pair->second)},
                          {"distance", Round(r.pair->distance)}};
    }
    if (r.circle) {
        result["circle"] = CircleJson(*r.circle);
    }
    if (r.line) {
        result["line"] = LineJson(*r.line);
    }
    return result;
}

nlohmann::ordered_json ImageRunJson(const ImageRun& run) {
    json measurements = json::array();
    for (const MeasurementResult& r : run.results) {
        measurements.push_back(MeasurementJson(r));
    }
    return {{"image", {{"path", run.imagePath}, {"width", run.width}, {"height", run.height}}},
            {"ok", run.AllOk()},
            {"measurements", measurements}};
}

nlohmann::ordered_json ImageErrorJson(const std::string& path, const std::string& error) {
    return {{"image", {{"path", path}}}, {"ok", false}, {"error", error}};
}

std::string JsonText(const nlohmann::ordered_json& document) {
    constexpr int kIndent = 2;
    return document.dump(kIndent, ' ', false, json::error_handler_t::replace) + "\n";
}

nlohmann::ordered_json ResultDocument(const nlohmann::ordered_json& imageEntry) {
    json document = {{"tool", "edgemeasure"}, {"version", EDGEMEASURE_VERSION}};
    document.update(imageEntry);
    return document;
}

nlohmann::ordered_json BatchResultDocument(nlohmann::ordered_json imageEntries) {
    return {{"tool", "edgemeasure"},
            {"version", EDGEMEASURE_VERSION},
            {"images", std::move(imageEntries)}};
}
