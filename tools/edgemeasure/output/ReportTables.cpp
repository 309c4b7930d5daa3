#include "output/ReportTables.h"

#include "foundation/Angles.h"
#include "job/Tolerance.h"
#include "output/ReportOverlay.h"
#include "output/ReportTips.h"
#include "output/XmlText.h"

namespace {

// Edges listed one by one in a measurement's figures; more are counted only.
constexpr std::size_t kMaxListedEdges = 12;

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

std::string Cell(const std::string& text, const char* cls = "") {
    return std::string("<td") + (*cls != '\0' ? " class=\"" + std::string(cls) + "\"" : "") + ">" +
           EscapeXml(text) + "</td>";
}

std::string ResultText(const MeasurementResult& r, std::optional<double> mm) {
    if (!r.ok) {
        return r.problem;
    }
    if (r.circle) {
        return "radius " + LengthText(r.circle->radius, mm) + ", centre " +
               PointText(r.circle->center);
    }
    if (r.line) {
        return "angle " + Fixed(r.line->angle * angles::kDegreesPerRadian) + " deg";
    }
    if (r.pair) {
        return "width " + LengthText(r.pair->distance, mm);
    }
    return std::to_string(r.edges.size()) + (r.edges.size() == 1 ? " edge" : " edges");
}

std::string WithUnit(double value, const ToleranceSetup& setup) {
    const std::string unit = UnitName(setup);
    return Fixed(value) + (unit.empty() ? "" : " " + unit);
}

std::string Signed(double value) {
    return (value >= 0.0 ? "+" : "") + Fixed(value);
}

std::string ToleranceCells(const MeasurementResult& r) {
    if (!r.verdict) {
        return Cell("") + Cell("") + Cell("") + Cell("") + Cell("");
    }
    const ToleranceVerdict& v = *r.verdict;
    return Cell(QuantityName(v.setup.quantity)) +
           Cell(v.value ? WithUnit(*v.value, v.setup) : "", "number") +
           Cell(WithUnit(v.setup.nominal, v.setup), "number") +
           Cell(Signed(v.setup.lower) + " .. " + Signed(v.setup.upper), "number") +
           Cell(v.deviation ? Signed(*v.deviation) : "", "number");
}

std::string VerdictText(const MeasurementResult& r) {
    if (!r.ok) {
        return "not measured";
    }
    return r.verdict ? (r.verdict->pass ? "pass" : "fail") : "measured";
}

void Figure(std::string& html, const std::string& term, const std::string& value) {
    html += "<dt>" + EscapeXml(term) + "</dt><dd>" + EscapeXml(value) + "</dd>";
}

void CircleFigures(std::string& html, const CircleFitResult& c, std::optional<double> mm) {
    Figure(html, "centre", PointText(c.center) + " px");
    Figure(html, "radius", LengthText(c.radius, mm));
    Figure(html, "diameter", LengthText(2.0 * c.radius, mm));
    Figure(html, "sigma",
           Fixed(c.sigma) + " px after " + std::to_string(c.iterations) + " iterations");
    Figure(html, "points",
           std::to_string(c.inliers.size()) + " kept, " + std::to_string(c.outliers.size()) +
               " rejected");
    if (c.maxDeviation) {
        Figure(html, "largest deviation",
               Fixed(c.maxDeviation->value) + " px at " + PointText(c.maxDeviation->point));
    }
}

void LineFigures(std::string& html, const LineFitResult& l) {
    Figure(html, "angle", Fixed(l.angle * angles::kDegreesPerRadian) + " deg");
    Figure(html, "through", PointText(l.centre) + " px");
    Figure(html, "direction", PointText(l.direction));
    Figure(html, "points",
           std::to_string(l.inliers.size()) + " kept, " + std::to_string(l.outliers.size()) +
               " rejected");
    if (l.farthest) {
        Figure(html, "farthest point",
               Fixed(l.farthest->distance) + " px at " + PointText(l.farthest->point));
    }
    if (l.hasQuality) {
        Figure(html, "sigma",
               Fixed(l.sigmaInliers) + " px (kept), " + Fixed(l.sigmaAll) + " px (all)");
    }
}

void EdgeFigures(std::string& html, const MeasurementResult& r, std::optional<double> mm) {
    const std::vector<LabelledEdge> edges = LabelledEdges(r);
    for (std::size_t i = 0; i < edges.size() && i < kMaxListedEdges; ++i) {
        const EdgeRecord& e = *edges[i].edge;
        Figure(html, "edge " + edges[i].label + " (path " + std::to_string(e.path + 1) + ")",
               PointText(e.Best()) + " px, " + LengthText(e.distance, mm) + " along");
    }
    if (edges.size() > kMaxListedEdges) {
        Figure(html, "", std::to_string(edges.size() - kMaxListedEdges) + " more edges");
    }
}

}  // namespace

const char* VerdictClass(const MeasurementResult& result) {
    if (!result.ok) {
        return "failed";
    }
    return result.verdict ? (result.verdict->pass ? "pass" : "fail") : "";
}

std::string ResultsTable(const ImageRun& run, const Job& job) {
    std::string html =
        "<table class=\"results\"><thead><tr><th>Measurement</th><th>Kind</th><th>Result</th>"
        "<th>Quantity</th><th>Value</th><th>Nominal</th><th>Limits</th><th>Deviation</th>"
        "<th>Verdict</th></tr></thead><tbody>\n";
    for (std::size_t i = 0; i < run.results.size() && i < job.measurements.size(); ++i) {
        const MeasurementResult& r = run.results[i];
        html += "<tr class=\"" + std::string(VerdictClass(r)) + "\" data-view=\"" +
                MeasurementView(job.measurements[i], r) + "\">" + Cell(r.name) +
                Cell(KindName(r.kind)) + Cell(ResultText(r, run.mmPerPx), "result") +
                ToleranceCells(r) + Cell(VerdictText(r), "verdict") + "</tr>\n";
    }
    return html + "</tbody></table>\n";
}

std::string MeasurementFigures(const MeasurementResult& r, std::optional<double> mm) {
    std::string html = "<dl class=\"figures\">";
    if (!r.ok) {
        html += "<dt>problem</dt><dd class=\"error\">" + EscapeXml(r.problem) + "</dd>";
    }
    if (r.circle) {
        CircleFigures(html, *r.circle, mm);
    }
    if (r.line) {
        LineFigures(html, *r.line);
    }
    if (r.pair) {
        Figure(html, "width", LengthText(r.pair->distance, mm));
    }
    EdgeFigures(html, r, mm);
    if (r.verdict) {
        Figure(html, "verdict",
               VerdictText(r) + ": " + QuantityName(r.verdict->setup.quantity) + " deviates by " +
                   (r.verdict->deviation ? Signed(*r.verdict->deviation) : "-") + ", allowed " +
                   Signed(r.verdict->setup.lower) + " .. " + Signed(r.verdict->setup.upper));
    }
    return html + "</dl>\n";
}
