#pragma once
// JobParser: reads a measurement job from JSON and checks every value before anything is measured.
//
// The format is described in docs/EDGEMEASURE.md. Parsing is strict: an unknown key, a value of
// the wrong type or outside its range, a missing path or two paths in one measurement all throw
// ToolError with one line that names the source, the place and the problem, e.g.
//   "job.json: measurements[1].transition.low: 300 is outside 0..255".
//
//   Job job = ParseJob(nlohmann::json::parse(text), "job.json");
//   Job fromFile = LoadJobFile("jobs/plate.json");   // also resolves "image" against jobs/

#include <string>

#include <nlohmann/json.hpp>

#include "job/Job.h"
#include "job/Limits.h"

// Most paths that one radial or parallel layout may make.
constexpr int kMaxPathCount = 1000;

// A job from a parsed JSON document; `source` names it in messages. Throws ToolError.
Job ParseJob(const nlohmann::json& document, const std::string& source);

// One measurement object (as in the "measurements" array); `source` and `context` (its place in
// the document, e.g. "measurements[0]") name it in messages.
MeasurementSetup ParseMeasurement(const nlohmann::json& object, const std::string& source,
                                  const std::string& context, const std::string& defaultName);

// Reads and parses a job file; a relative "image" is taken relative to the file's folder.
// Throws ToolError for an unreadable file (or a folder), malformed JSON (with its line and
// column: "job.json:3:14: malformed JSON: ...") or an invalid job.
Job LoadJobFile(const std::string& path);
