#pragma once
// ReportTables: the HTML tables and lists of the report: the results table of an image (one row
// per measurement: its result, the judged quantity with nominal value, limits and deviation, and
// the verdict; the row's class is pass, fail, failed (not measured) or plain) and the figures of
// one measurement (the fitted circle or line, the pair, the edges, the tolerance).
//
//   html += ResultsTable(run, job);
//   html += MeasurementFigures(run.results[0], run.mmPerPx);

#include <optional>
#include <string>

#include "job/Job.h"
#include "measure/ImageRun.h"

std::string ResultsTable(const ImageRun& run, const Job& job);
std::string MeasurementFigures(const MeasurementResult& result, std::optional<double> mmPerPx);

// "pass", "fail" (out of tolerance), "failed" (not measured) or "" (measured, no tolerance).
const char* VerdictClass(const MeasurementResult& result);
