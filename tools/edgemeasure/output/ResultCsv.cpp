#include "output/ResultCsv.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "foundation/Angles.h"
#include "job/Tolerance.h"

namespace {

const char* const kColumns[] = {"image",       "measurement", "kind",      "ok",       "pass",
                                "problem",     "quantity",    "value",     "unit",     "nominal",
                                "lower",       "upper",       "deviation", "center_x", "center_y",
                                "radius",      "diameter",    "angle_deg", "distance", "edges",
                                "diameter_mm", "distance_mm"};

std::string Quoted(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string Number(std::optional<double> value) {
    if (!value) {
        return "";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", *value);
    return text;
}

std::string Flag(bool value) {
    return value ? "true" : "false";
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

void AppendRow(const std::vector<std::string>& cells, std::string& csv) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        csv += (i == 0 ? "" : ",") + cells[i];
    }
    csv += "\n";
}

std::vector<std::string> Row(const ImageRun& run, const MeasurementResult& r) {
    const auto scaled = [&run](std::optional<double> px) -> std::optional<double> {
        return px && run.mmPerPx ? std::optional<double>(*px * *run.mmPerPx) : std::nullopt;
    };
    const auto of = [&r](Quantity q) { return QuantityValue(q, r); };
    std::vector<std::string> cells = {Quoted(run.imagePath), Quoted(r.name),
                                      KindName(r.kind),      Flag(r.ok),
                                      Flag(r.Passes()),      Quoted(r.problem)};
    if (r.verdict) {
        const ToleranceVerdict& v = *r.verdict;
        cells.insert(cells.end(),
                     {QuantityName(v.setup.quantity), Number(v.value), UnitName(v.setup),
                      Number(v.setup.nominal), Number(v.setup.lower), Number(v.setup.upper),
                      Number(v.deviation)});
    } else {
        cells.insert(cells.end(), 7, "");
    }
    const std::optional<double> distance = of(Quantity::Width);
    cells.insert(cells.end(),
                 {Number(of(Quantity::CenterX)), Number(of(Quantity::CenterY)),
                  Number(of(Quantity::Radius)), Number(of(Quantity::Diameter)),
                  Number(of(Quantity::Angle)), Number(distance), std::to_string(r.edges.size()),
                  Number(scaled(of(Quantity::Diameter))), Number(scaled(distance))});
    return cells;
}

}  // namespace

std::string CsvHeader() {
    std::string csv;
    AppendRow(std::vector<std::string>(std::begin(kColumns), std::end(kColumns)), csv);
    return csv;
}

void AppendCsvRows(const ImageRun& run, std::string& csv) {
    for (const MeasurementResult& r : run.results) {
        AppendRow(Row(run, r), csv);
    }
}

void AppendCsvErrorRow(const std::string& imagePath, const std::string& error, std::string& csv) {
    std::vector<std::string> cells = {Quoted(imagePath), "", "", "false", "false", Quoted(error)};
    cells.resize(std::size(kColumns));
    AppendRow(cells, csv);
}
