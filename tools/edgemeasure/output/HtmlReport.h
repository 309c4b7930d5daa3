#pragma once
// HtmlReport: the results of a run as one self-contained HTML page, for people who would rather
// look than read. It loads nothing (a content security policy forbids the page any network or
// file access; the image, styles and script are in the page) and needs no fonts but the system's.
//
// Per image: the overlay as SVG over the embedded image, zoomed with the wheel or the buttons and
// panned by dragging (ReportOverlay), with a tip on every path, edge and fitted figure; the
// results table, each row coloured by its verdict (pass green, fail or not measured red) and
// zooming the overlay onto its measurement when clicked; and per measurement its figures and the
// profile plot of each path (ReportProfiles). Several images give a summary table first; an image
// that could not be read gets its message.
//
//   HtmlReport report("plate.json");
//   report.Add(run, job);
//   WriteFileAtomically("report.html", report.Html());

#include <string>

#include "job/Job.h"
#include "measure/ImageRun.h"

class HtmlReport {
  public:
    explicit HtmlReport(std::string title);

    void Add(const ImageRun& run, const Job& job);
    void AddUnreadable(const std::string& imagePath, const std::string& message);

    std::string Html() const;

  private:
    std::string m_title;
    std::string m_summaryRows;
    std::string m_sections;
    int m_images = 0;
};
