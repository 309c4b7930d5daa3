#include "output/HtmlReport.h"

#include <iterator>

#include "job/PathLayout.h"
#include "output/ProfilePlot.h"
#include "output/ReportOverlay.h"
#include "output/ReportProfiles.h"
#include "output/ReportTables.h"
#include "output/XmlText.h"

// Generated at configure time from output/report/ (tools/edgemeasure/CMakeLists.txt).
#include "EdgemeasureReportAssets.inc"

namespace {

// The page may use what it holds and nothing else: no network, no files.
constexpr const char* kContentPolicy =
    "default-src 'none'; img-src data:; style-src 'unsafe-inline'; script-src 'unsafe-inline'";
// The number of plots shown at once; the others wait behind a "more" switch.
constexpr std::size_t kOpenPlots = 4;

template <std::size_t N>
std::string Text(const unsigned char (&bytes)[N]) {
    return std::string(std::begin(bytes), std::end(bytes));
}

std::string Badge(const char* verdictClass, const std::string& text) {
    return "<span class=\"badge " + std::string(verdictClass) + "\">" + EscapeXml(text) + "</span>";
}

std::string ImageBadge(const ImageRun& run) {
    if (run.AllPass()) {
        return Badge("pass", "pass");
    }
    return Badge("fail", run.AllOk() ? "out of tolerance" : "not all measured");
}

std::string ImageLine(const ImageRun& run) {
    std::string info = std::to_string(run.width) + " x " + std::to_string(run.height) + " px, " +
                       run.info.format + ", " + std::to_string(run.info.bitsPerSample) +
                       " bits per sample";
    if (run.info.bitsPerSample > 8) {
        info += " (measured at 8 bits: value * 255 / 65535, rounded)";
    }
    if (run.mmPerPx) {
        info += "; scale " + std::to_string(*run.mmPerPx) + " mm per px";
    }
    return info;
}

std::string Plots(const MeasurementSetup& setup, const MeasurementResult& result,
                  const ImageRun& run) {
    const std::vector<ProfilePlot> plots = MeasurementPlots(setup, result, run.image, run.mmPerPx);
    std::string open;
    std::string more;
    for (std::size_t k = 0; k < plots.size(); ++k) {
        (k < kOpenPlots ? open : more) += FigureSvg(ProfileFigure(plots[k]));
    }
    std::string html = "<div class=\"plots\">" + open + "</div>\n";
    if (!more.empty()) {
        html += "<details><summary>" + std::to_string(plots.size() - kOpenPlots) +
                " more paths</summary><div class=\"plots\">" + more + "</div></details>\n";
    }
    const std::size_t paths = ExpandLayout(setup.layout).size();
    if (paths > plots.size()) {
        html += "<p class=\"info\">" + std::to_string(paths - plots.size()) +
                " further paths are not plotted.</p>\n";
    }
    return html;
}

std::string MeasurementSection(const std::string& id, const MeasurementSetup& setup,
                               const MeasurementResult& result, const ImageRun& run) {
    const char* verdict = VerdictClass(result);
    return "<section class=\"measurement\" id=\"" + id + "\"><h3>" + EscapeXml(result.name) + " " +
           Badge(verdict, *verdict == '\0' ? "measured" : verdict) + "</h3>\n" +
           MeasurementFigures(result, run.mmPerPx) + Plots(setup, result, run) + "</section>\n";
}

}  // namespace

HtmlReport::HtmlReport(std::string title) : m_title(std::move(title)) {}

void HtmlReport::Add(const ImageRun& run, const Job& job) {
    const std::string id = "image-" + std::to_string(++m_images);
    m_summaryRows += "<tr class=\"" + std::string(run.AllPass() ? "pass" : "fail") +
                     "\"><td><a href=\"#" + id + "\">" + EscapeXml(run.imagePath) +
                     "</a></td><td class=\"number\">" + std::to_string(run.results.size()) +
                     "</td><td class=\"verdict\">" + (run.AllPass() ? "pass" : "fail") +
                     "</td></tr>\n";
    m_sections += "<section class=\"image\" id=\"" + id + "\"><h2>" + EscapeXml(run.imagePath) +
                  " " + ImageBadge(run) + "</h2>\n<p class=\"info\">" + EscapeXml(ImageLine(run)) +
                  "</p>\n<div class=\"viewer\"><div class=\"tools\"><button data-zoom=\"in\">+"
                  "</button><button data-zoom=\"out\">-</button><button data-zoom=\"fit\">fit"
                  "</button></div>" +
                  ReportOverlaySvg(run, job) +
                  "<div class=\"hint\">wheel: zoom, drag: pan, double-click: whole image; "
                  "click a row of the table to see its measurement</div></div>\n" +
                  ResultsTable(run, job);
    for (std::size_t i = 0; i < run.results.size() && i < job.measurements.size(); ++i) {
        m_sections += MeasurementSection(id + "-m" + std::to_string(i + 1), job.measurements[i],
                                         run.results[i], run);
    }
    m_sections += "</section>\n";
}

void HtmlReport::AddUnreadable(const std::string& imagePath, const std::string& message) {
    const std::string id = "image-" + std::to_string(++m_images);
    m_summaryRows += "<tr class=\"failed\"><td><a href=\"#" + id + "\">" + EscapeXml(imagePath) +
                     "</a></td><td class=\"number\">0</td><td class=\"verdict\">not read</td>"
                     "</tr>\n";
    m_sections += "<section class=\"image\" id=\"" + id + "\"><h2>" + EscapeXml(imagePath) + " " +
                  Badge("fail", "not read") + "</h2><p class=\"error\">" + EscapeXml(message) +
                  "</p></section>\n";
}

std::string HtmlReport::Html() const {
    std::string summary;
    if (m_images > 1) {
        summary =
            "<table class=\"summary\"><thead><tr><th>Image</th><th>Measurements</th>"
            "<th>Verdict</th></tr></thead><tbody>\n" +
            m_summaryRows + "</tbody></table>\n";
    }
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
           std::string(kContentPolicy) +
           "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>edgemeasure report: " +
           EscapeXml(m_title) + "</title>\n<style>\n" + Text(kReportCssBytes) +
           "</style></head>\n<body>\n<h1>edgemeasure report: " + EscapeXml(m_title) +
           "</h1>\n<p class=\"info\">edgemeasure " EDGEMEASURE_VERSION ", " +
           std::to_string(m_images) + (m_images == 1 ? " image" : " images") + "</p>\n" + summary +
           m_sections + "<div class=\"tip\" hidden></div>\n<script>\n" + Text(kReportJsBytes) +
           "</script>\n</body></html>\n";
}
