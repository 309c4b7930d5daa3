#include "output/ResultJson.h"

#include <cmath>

#include "foundation/Angles.h"
#include "job/Tolerance.h"

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

// The millimetres of a length or a point, with the image's scale.
struct Millimetres {
    std::optional<double> mmPerPx;

    json Of(double px) const { return Round(px * *mmPerPx); }
    json Of(const Point2& p) const { return json::array({Of(p.x), Of(p.y)}); }
    // Adds `key`_mm beside a length or point when there is a scale.
    template <class T>
    void Add(json& object, const char* key, const T& value) const {
        if (mmPerPx) {
            object[std::string(key) + "_mm"] = Of(value);
        }
    }
};

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
            {"distance", Round(edge.distance)},
            {"subpixel", subpixel},
            {"amplitude", OrNull(edge.amplitude, Round)},
            {"score", OrNull(edge.score, Round)},
            {"uncertainty", OrNull(edge.uncertainty, Round)}};
}

json CircleUncertaintyJson(const CircleUncertainty& u, const Millimetres& mm) {
    json result = {{"center", ToJson(u.center)},
                   {"radius", Round(u.radius)},
                   {"diameter", Round(2.0 * u.radius)}};
    mm.Add(result, "center", u.center);
    mm.Add(result, "radius", u.radius);
    mm.Add(result, "diameter", 2.0 * u.radius);
    return result;
}

const char* MethodName(MeasureMethod method) {
    return method == MeasureMethod::Caliper ? "caliper" : "path";
}

json CalipersJson(const std::vector<CaliperRecord>& calipers) {
    json list = json::array();
    for (const CaliperRecord& c : calipers) {
        list.push_back({{"path", c.path},
                        {"width", Round(c.width)},
                        {"status", c.status},
                        {"kept", c.kept ? json(*c.kept) : json(nullptr)}});
    }
    return list;
}

json DeviationJson(const CircleDeviation& d) {
    return {
        {"value", Round(d.value)}, {"point", ToJson(d.point)}, {"on_circle", ToJson(d.onCircle)}};
}

json CircleJson(const CircleFitResult& c, const Millimetres& mm) {
    json result = {{"center", ToJson(c.center)},        {"radius", Round(c.radius)},
                   {"diameter", Round(2.0 * c.radius)}, {"sigma", Round(c.sigma)},
                   {"iterations", c.iterations},        {"inliers", ToJson(c.inliers)},
                   {"outliers", ToJson(c.outliers)},    {"quality", nullptr}};
    mm.Add(result, "center", c.center);
    mm.Add(result, "radius", c.radius);
    mm.Add(result, "diameter", 2.0 * c.radius);
    result["uncertainty"] = c.uncertainty ? CircleUncertaintyJson(*c.uncertainty, mm) : nullptr;
    if (c.hasQuality) {
        result["quality"] = {{"max_deviation", OrNull(c.maxDeviation, DeviationJson)},
                             {"max_inner_deviation", OrNull(c.maxInnerDeviation, DeviationJson)},
                             {"max_outer_deviation", OrNull(c.maxOuterDeviation, DeviationJson)},
                             {"sigma_all", Round(c.sigmaAll)},
                             {"sigma_inliers", Round(c.sigmaInliers)}};
    }
    return result;
}

json LineJson(const LineFitResult& l, const Millimetres& mm) {
    const auto farthest = [](const LineFarthest& f) {
        return json{
            {"distance", Round(f.distance)}, {"point", ToJson(f.point)}, {"foot", ToJson(f.foot)}};
    };
    json result = {{"angle", Round(l.angle)},
                   {"angle_deg", Round(l.angle * angles::kDegreesPerRadian)},
                   {"point", ToJson(l.centre)},
                   {"direction", ToJson(l.direction)},
                   {"inliers", ToJson(l.inliers)},
                   {"outliers", ToJson(l.outliers)},
                   {"quality", nullptr}};
    mm.Add(result, "point", l.centre);
    result["uncertainty"] = nullptr;
    if (l.uncertainty) {
        result["uncertainty"] = {
            {"angle_deg", Round(l.uncertainty->angle * angles::kDegreesPerRadian)},
            {"offset", Round(l.uncertainty->offset)}};
        mm.Add(result["uncertainty"], "offset", l.uncertainty->offset);
    }
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

json VerdictJson(const ToleranceVerdict& v) {
    return {{"quantity", QuantityName(v.setup.quantity)},
            {"unit", UnitName(v.setup)},
            {"value", OrNull(v.value, Round)},
            {"nominal", v.setup.nominal},
            {"lower", v.setup.lower},
            {"upper", v.setup.upper},
            {"deviation", OrNull(v.deviation, Round)},
            {"pass", v.pass}};
}

}  // namespace

nlohmann::ordered_json MeasurementJson(const MeasurementResult& r, std::optional<double> mmPerPx) {
    const Millimetres mm{mmPerPx};
    json edges = json::array();
    for (const EdgeRecord& edge : r.edges) {
        edges.push_back(EdgeJson(edge));
    }
    json result = {{"name", r.name},
                   {"kind", KindName(r.kind)},
                   {"method", MethodName(r.method)},
                   {"ok", r.ok},
                   {"problem", r.ok ? json(nullptr) : json(r.problem)},
                   {"paths", r.pathCount},
                   {"edges", edges}};
    if (r.method == MeasureMethod::Caliper) {
        result["calipers"] = CalipersJson(r.calipers);
    }
    if (r.pair) {
        result["pair"] = {{"first", EdgeJson(r.pair->first)},
                          {"second", EdgeJson(r.pair->second)},
                          {"distance", Round(r.pair->distance)},
                          {"uncertainty", nullptr}};
        mm.Add(result["pair"], "distance", r.pair->distance);
        if (r.pair->uncertainty) {
            result["pair"]["uncertainty"] = {{"distance", Round(*r.pair->uncertainty)}};
            mm.Add(result["pair"]["uncertainty"], "distance", *r.pair->uncertainty);
        }
    }
    if (r.circle) {
        result["circle"] = CircleJson(*r.circle, mm);
    }
    if (r.line) {
        result["line"] = LineJson(*r.line, mm);
    }
    if (r.verdict) {
        result["tolerance"] = VerdictJson(*r.verdict);
        result["pass"] = r.verdict->pass;
    }
    return result;
}

nlohmann::ordered_json ImageRunJson(const ImageRun& run) {
    json measurements = json::array();
    for (const MeasurementResult& r : run.results) {
        measurements.push_back(MeasurementJson(r, run.mmPerPx));
    }
    json image = {{"path", run.imagePath},
                  {"width", run.width},
                  {"height", run.height},
                  {"format", run.info.format},
                  {"bits", run.info.bitsPerSample}};
    if (run.scaledTo8Bits) {
        // The path search reads 8-bit grey values: say how the deeper samples were scaled for it.
        image["scaled_to_8_bits"] = "value * 255 / 65535, rounded";
    }
    json entry = {{"image", image}, {"ok", run.AllOk()}, {"pass", run.AllPass()}};
    if (run.mmPerPx) {
        entry["scale"] = {{"mm_per_px", *run.mmPerPx}};
    }
    entry["measurements"] = measurements;
    return entry;
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
