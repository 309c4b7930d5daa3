#pragma once
// ResultCsv: the results as a table for spreadsheets, one row per image and measurement.
//
// Columns: image, measurement, kind, ok, pass, problem; the judged quantity with its value,
// unit, nominal, lower and upper limit and deviation (empty without a tolerance); then the main
// figures: centre x and y, radius, diameter, line angle (degrees), pair distance, the number of
// edges, and with a scale the diameter and distance in mm. Numbers with up to 6 decimals, text
// quoted where it holds a comma, quote or line break (RFC 4180). An image that could not be read
// gives one row with its error as the problem.
//
//   std::string csv = CsvHeader();
//   AppendCsvRows(run, csv);

#include <string>

#include "measure/ImageRun.h"

std::string CsvHeader();
void AppendCsvRows(const ImageRun& run, std::string& csv);
void AppendCsvErrorRow(const std::string& imagePath, const std::string& error, std::string& csv);
