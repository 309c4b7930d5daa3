#pragma once
// ResultJson: the results of edgemeasure as JSON (the format is described in
// docs/EDGEMEASURE.md).
//
// Keys are written in a fixed, readable order (ordered_json): the tool, the image, then the
// measurements. Points are [x, y] in pixels, angles in radians (lines also in degrees), numbers
// rounded to 1e-6. Per edge: the path it lies on, its path index, its point, its angle (arcs; null
// on lines) and its sub-pixel point and angle (null where refinement was off or failed). Per fit:
// the figure, its quality figures (fit mode 3) and the kept and rejected points. With a scale,
// every length and point also in millimetres (the key with "_mm" appended); with a tolerance,
// its verdict ("tolerance", and "pass" beside "ok").
//
//   std::cout << ImageRunJson(run).dump(2);

#include <optional>

#include <nlohmann/json.hpp>

#include "measure/ImageRun.h"

nlohmann::ordered_json MeasurementJson(const MeasurementResult& result,
                                       std::optional<double> mmPerPx = std::nullopt);
nlohmann::ordered_json ImageRunJson(const ImageRun& run);
// The document of one image: the tool's name and version with the image's entry.
nlohmann::ordered_json ResultDocument(const nlohmann::ordered_json& imageEntry);
// The document of a batch: the tool's name and version with the list of image entries.
nlohmann::ordered_json BatchResultDocument(nlohmann::ordered_json imageEntries);
// The text of a result file: indented, one value per line, ending in a newline. Bytes of names
// and paths that are not UTF-8 are replaced, so that writing never fails on them.
std::string JsonText(const nlohmann::ordered_json& document);
// The entry of a batch image that could not be measured.
nlohmann::ordered_json ImageErrorJson(const std::string& path, const std::string& error);
