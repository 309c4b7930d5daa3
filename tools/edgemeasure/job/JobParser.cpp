#include "job/JobParser.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/Angles.h"
#include "job/JsonFieldReader.h"
#include "job/JsonText.h"
#include "job/MethodKeys.h"
#include "job/Tolerance.h"
#include "job/ToolError.h"
#include "regression/OVector_Regression.h"

namespace {

// Ranges of the library's parameters (bCreateTransitionFunction and the fits).
constexpr int kGreyMax = 255;
constexpr int kDepthMin = 1;
constexpr int kDepthMax = OVectorPath::kHistorySize;
constexpr int kCannyThresholdMin = 1;
constexpr int kSigmaIndexMax = 12;
constexpr int kFilterIterationsMax = 100;
constexpr double kSigmaFactorMin = 0.01;
constexpr double kSigmaFactorMax = 100.0;
// The band of the fits' standard-deviation filters with calipers: three standard deviations,
// since the calipers' edges scatter little and a narrower band drops good edges.
constexpr double kCaliperSigmaFactor = 3.0;
constexpr int kInlierDistanceMax = 1000;
constexpr int kSearchLevelMax = 8;
// Search ordinals and step distances: far beyond any path that fits the coordinate limit.
constexpr int kOrdinalMax = 100000;
constexpr int kDistanceMax = 1000000;
// Scales: from a micrometre per 1000 pixels to a metre per pixel.
constexpr double kMinMmPerPx = 0.0;
constexpr double kMaxMmPerPx = 1000.0;
const std::string kMaxLineText = std::to_string(static_cast<int>(kMaxObliqueLineLength));

// The library counts an oblique line's steps in 32-bit squares (Limits.h).
void CheckLineLength(const JsonFieldReader& r, const char* key, Point2 from, Point2 to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const bool oblique =
        std::floor(from.x) != std::floor(to.x) && std::floor(from.y) != std::floor(to.y);
    if (oblique && std::hypot(dx, dy) > kMaxObliqueLineLength) {
        r.Fail(key, "an oblique line may be at most " + kMaxLineText +
                        " px long (lines along a row or column may be longer)");
    }
}

PathLayout ParseLayout(const JsonFieldReader& m, MeasurementKind kind) {
    const char* const names[] = {"line", "arc", "radial", "parallel"};
    int given = 0;
    for (const char* name : names) {
        given += m.Has(name) ? 1 : 0;
    }
    if (given != 1) {
        m.FailHere("give exactly one path: \"line\", \"arc\", \"radial\" or \"parallel\"");
    }
    if (m.Has("line")) {
        const JsonFieldReader r = m.Object("line");
        r.RejectUnknownKeys({"from", "to"});
        if (kind != MeasurementKind::Edges) {
            m.Fail("line", "a single line measures edges only (use \"parallel\" to fit a line)");
        }
        const LineLayout line{r.Point("from", kMaxCoordinate), r.Point("to", kMaxCoordinate)};
        CheckLineLength(r, "to", line.from, line.to);
        return line;
    }
    if (m.Has("arc")) {
        const JsonFieldReader r = m.Object("arc");
        r.RejectUnknownKeys({"center", "radius", "start", "sweep"});
        if (kind == MeasurementKind::Line) {
            m.Fail("arc", "a line is fitted to edges on \"parallel\" lines");
        }
        ArcLayout arc;
        arc.center = r.Point("center", kMaxCoordinate);
        arc.radius = r.Double("radius", 0.0, kMaxCoordinate);
        arc.startDeg = r.Double("start", -angles::kFullTurnDegrees, angles::kFullTurnDegrees, 0.0);
        arc.sweepDeg = r.Double("sweep", -angles::kFullTurnDegrees, angles::kFullTurnDegrees,
                                angles::kFullTurnDegrees);
        if (arc.radius <= 0.0 || arc.sweepDeg == 0.0) {
            m.Fail("arc", "radius and sweep must not be 0");
        }
        return arc;
    }
    if (m.Has("radial")) {
        const JsonFieldReader r = m.Object("radial");
        r.RejectUnknownKeys({"center", "inner", "outer", "count", "start", "sweep"});
        if (kind != MeasurementKind::Circle) {
            m.Fail("radial", "radial lines measure a circle (kind \"circle\")");
        }
        RadialLayout radial;
        radial.center = r.Point("center", kMaxCoordinate);
        radial.inner = r.Double("inner", 0.0, kMaxCoordinate);
        radial.outer = r.Double("outer", 0.0, kMaxCoordinate);
        radial.count = r.Int("count", 1, kMaxPathCount);
        radial.startDeg =
            r.Double("start", -angles::kFullTurnDegrees, angles::kFullTurnDegrees, 0.0);
        radial.sweepDeg = r.Double("sweep", -angles::kFullTurnDegrees, angles::kFullTurnDegrees,
                                   angles::kFullTurnDegrees);
        if (radial.outer <= radial.inner) {
            r.Fail("outer", "must be larger than inner");
        }
        if (radial.outer - radial.inner > kMaxObliqueLineLength) {
            r.Fail("outer", "radial lines may be at most " + kMaxLineText + " px long");
        }
        return radial;
    }
    const JsonFieldReader r = m.Object("parallel");
    r.RejectUnknownKeys({"from", "to", "count", "step"});
    if (kind != MeasurementKind::Line) {
        m.Fail("parallel", "parallel lines measure a line (kind \"line\")");
    }
    ParallelLayout parallel;
    parallel.from = r.Point("from", kMaxCoordinate);
    parallel.to = r.Point("to", kMaxCoordinate);
    parallel.count = r.Int("count", 1, kMaxPathCount);
    parallel.step = r.Point("step", kMaxCoordinate);
    CheckLineLength(r, "to", parallel.from, parallel.to);
    return parallel;
}

TransitionSetup ParseTransition(const JsonFieldReader& r) {
    enum class Type { Band, Deviation, SignedDeviation, Canny };
    const Type type = r.Choice<Type>("type", {{"band", Type::Band},
                                              {"deviation", Type::Deviation},
                                              {"signed-deviation", Type::SignedDeviation},
                                              {"canny", Type::Canny}});
    TransitionSetup setup;
    switch (type) {
        case Type::Band:
            r.RejectUnknownKeys({"type", "low", "high"});
            setup.type = OVectorPath::kTransitionBand;
            setup.param1 = r.Int("low", 0, kGreyMax);
            setup.param2 = r.Int("high", 0, kGreyMax);
            if (setup.param1 > setup.param2) {
                r.Fail("low", "must not be above high");
            }
            break;
        case Type::Deviation:
        case Type::SignedDeviation: {
            r.RejectUnknownKeys({"type", "leave", "enter", "depth"});
            const bool isSigned = type == Type::SignedDeviation;
            const int min = isSigned ? -kGreyMax : 0;
            setup.type = isSigned ? OVectorPath::kTransitionSignedDeviation
                                  : OVectorPath::kTransitionAbsDeviation;
            setup.param1 = r.Int("leave", min, kGreyMax);
            setup.param2 = r.Int("enter", min, kGreyMax);
            setup.param3 = r.Int("depth", kDepthMin, kDepthMax, 2);
            break;
        }
        case Type::Canny:
            r.RejectUnknownKeys({"type", "threshold", "sigma_index"});
            setup.type = OVectorPath::kTransitionCanny;
            setup.param1 = r.Int("threshold", kCannyThresholdMin, kGreyMax);
            setup.param4 = r.Int("sigma_index", 0, kSigmaIndexMax, 2);
            break;
    }
    return setup;
}

Polarity ParsePolarity(const JsonFieldReader& r, const char* key, Polarity fallback) {
    return r.Choice<Polarity>(
        key,
        {{"any", Polarity::Any}, {"entering", Polarity::Entering}, {"leaving", Polarity::Leaving}},
        fallback);
}

PairEdgeSetup ParsePairEdge(const JsonFieldReader& search, const char* key, Polarity fallback) {
    PairEdgeSetup edge;
    edge.polarity = fallback;
    if (!search.Has(key)) {
        return edge;
    }
    const JsonFieldReader r = search.Object(key);
    r.RejectUnknownKeys({"n", "polarity", "min_distance", "min_distance_to_other"});
    edge.ordinal = r.Int("n", 1, kOrdinalMax, 1);
    edge.polarity = ParsePolarity(r, "polarity", fallback);
    edge.minDistance = r.Int("min_distance", 0, kDistanceMax, 0);
    edge.minDistanceToOther = r.Int("min_distance_to_other", 0, kDistanceMax, 0);
    return edge;
}

SearchSetup ParseSearch(const JsonFieldReader& r, MeasurementKind kind) {
    SearchSetup setup;
    setup.mode = r.Choice<SearchMode>("mode",
                                      {{"first", SearchMode::First},
                                       {"nth", SearchMode::Nth},
                                       {"all", SearchMode::All},
                                       {"pair", SearchMode::Pair}},
                                      SearchMode::First);
    if (setup.mode == SearchMode::Pair) {
        r.RejectUnknownKeys({"mode", "first", "second", "second_after_first"});
        if (kind != MeasurementKind::Edges) {
            r.Fail("mode", "the pair search measures edges only (kind \"edges\")");
        }
        // A pair is most often a dark (or bright) stretch: entering it, then leaving it.
        setup.first = ParsePairEdge(r, "first", Polarity::Entering);
        setup.second = ParsePairEdge(r, "second", Polarity::Leaving);
        setup.secondAfterFirst = r.Bool("second_after_first", true);
        return setup;
    }
    r.RejectUnknownKeys({"mode", "n", "polarity", "min_distance"});
    setup.ordinal = r.Int("n", 1, kOrdinalMax, 1);
    if (setup.mode != SearchMode::Nth && r.Has("n")) {
        r.Fail("n", "is only used by the mode \"nth\"");
    }
    setup.polarity = ParsePolarity(r, "polarity", Polarity::Any);
    setup.minDistance = r.Int("min_distance", 0, kDistanceMax, 0);
    return setup;
}

FitFilter ParseFilter(const JsonFieldReader& r, MeasurementKind kind, FitFilter fallback) {
    if (kind == MeasurementKind::Circle) {
        return r.Choice<FitFilter>(
            "filter", {{"none", FitFilter::None}, {"stddev", FitFilter::StdDev}}, fallback);
    }
    return r.Choice<FitFilter>("filter",
                               {{"none", FitFilter::None},
                                {"stddev", FitFilter::StdDev},
                                {"detsac", FitFilter::DETSAC},
                                {"detsac-fixed", FitFilter::DETSACFixed}},
                               fallback);
}

void ParseFit(const JsonFieldReader& m, MeasurementSetup& setup) {
    if (!m.Has("fit")) {
        return;
    }
    if (setup.kind == MeasurementKind::Edges) {
        m.Fail("fit", "edges are not fitted (use kind \"circle\" or \"line\")");
    }
    const JsonFieldReader r = m.Object("fit");
    if (setup.kind == MeasurementKind::Circle) {
        r.RejectUnknownKeys({"mode", "filter", "iterations", "sigma_factor"});
        CircleFitSetup& fit = setup.circleFit;
        fit.mode = r.Int("mode", 0, OCircleFit_OutlierFilter::kModeChecked, fit.mode);
        fit.filter = ParseFilter(r, setup.kind, fit.filter);
        fit.iterations = r.Int("iterations", 0, kFilterIterationsMax, fit.iterations);
        fit.sigmaFactor =
            r.Double("sigma_factor", kSigmaFactorMin, kSigmaFactorMax, fit.sigmaFactor);
        return;
    }
    r.RejectUnknownKeys(
        {"mode", "filter", "iterations", "sigma_factor", "inlier_distance", "search_level"});
    LineFitSetup& fit = setup.lineFit;
    fit.mode = r.Int("mode", 0, OVector_Regression::kModeQualityFigures, fit.mode);
    fit.filter = ParseFilter(r, setup.kind, fit.filter);
    fit.iterations = r.Int("iterations", 0, kFilterIterationsMax, fit.iterations);
    fit.sigmaFactor = r.Double("sigma_factor", kSigmaFactorMin, kSigmaFactorMax, fit.sigmaFactor);
    fit.inlierDistance = r.Int("inlier_distance", 0, kInlierDistanceMax, fit.inlierDistance);
    fit.searchLevel = r.Int("search_level", 0, kSearchLevelMax, fit.searchLevel);
}

std::string ReadWholeFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        throw ToolError("cannot read job file '" + path + "': is a folder");
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        throw ToolError("cannot read job file '" + path + "': no such file");
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        throw ToolError("cannot read job file '" + path + "'");
    }
    return text.str();
}

}  // namespace

MeasurementSetup ParseMeasurement(const nlohmann::json& object, const std::string& source,
                                  const std::string& context, const std::string& defaultName) {
    const JsonFieldReader m(object, source, context);
    m.RejectUnknownKeys({"name", "kind", "method", "line", "arc", "radial", "parallel",
                         "transition", "caliper", "search", "subpixel", "fit", "nominal",
                         "tolerance", "quantity", "unit"});
    MeasurementSetup setup;
    setup.name = m.String("name", defaultName);
    if (setup.name.empty()) {
        m.Fail("name", "must not be empty");
    }
    setup.kind = m.Choice<MeasurementKind>("kind",
                                           {{"edges", MeasurementKind::Edges},
                                            {"circle", MeasurementKind::Circle},
                                            {"line", MeasurementKind::Line}},
                                           MeasurementKind::Edges);
    setup.method = ParseMethod(m);
    setup.layout = ParseLayout(m, setup.kind);
    if (setup.method == MeasureMethod::Caliper) {
        setup.caliper = ParseCaliperKeys(m, setup.kind, setup.search);
        setup.circleFit.sigmaFactor = kCaliperSigmaFactor;
        setup.lineFit.sigmaFactor = kCaliperSigmaFactor;
    } else {
        if (m.Has("transition")) {
            setup.transition = ParseTransition(m.Object("transition"));
        }
        if (m.Has("search")) {
            setup.search = ParseSearch(m.Object("search"), setup.kind);
        }
        setup.subpixel = m.Bool("subpixel", true);
    }
    ParseFit(m, setup);
    setup.tolerance = ParseTolerance(m, setup);
    return setup;
}

Job ParseJob(const nlohmann::json& document, const std::string& source) {
    const JsonFieldReader r(document, source, "");
    r.RejectUnknownKeys({"image", "scale", "measurements"});
    Job job;
    if (r.Has("image")) {
        job.image = r.String("image");
    }
    if (r.Has("scale")) {
        const JsonFieldReader scale = r.Object("scale");
        scale.RejectUnknownKeys({"mm_per_px"});
        job.mmPerPx = scale.Double("mm_per_px", kMinMmPerPx, kMaxMmPerPx);
        if (*job.mmPerPx <= 0.0) {
            scale.Fail("mm_per_px", "must be above 0");
        }
    }
    const nlohmann::json& list = r.Field("measurements");
    if (!list.is_array() || list.empty()) {
        r.Fail("measurements", "expected a non-empty array of measurements");
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        job.measurements.push_back(ParseMeasurement(
            list[i], source, "measurements[" + std::to_string(i) + "]", "measurement " + number));
    }
    return job;
}

Job LoadJobFile(const std::string& path) {
    const std::string text = ReadWholeFile(path);
    Job job = ParseJob(ParseJsonText(text, path), path);
    if (job.image && std::filesystem::path(*job.image).is_relative()) {
        job.image =
            (std::filesystem::path(path).parent_path() / *job.image).lexically_normal().string();
    }
    return job;
}
