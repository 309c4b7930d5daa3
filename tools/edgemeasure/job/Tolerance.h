#pragma once
// Tolerance: the "nominal", "tolerance", "quantity" and "unit" keys of a measurement, and the
// verdict on a result.
//
//   "nominal": 145.2, "tolerance": 0.1             pass when |value - 145.2| <= 0.1
//   "nominal": 36.7, "tolerance": [-0.05, 0.2]     pass when -0.05 <= value - 36.7 <= 0.2
//   "quantity": "radius", "unit": "mm"             what is judged, and in which unit
// Each kind has a default quantity: a circle its diameter, a pair its width, a line its angle,
// an edge search the position of its first edge (the count of its edges in mode "all"). A
// measurement that found nothing fails its tolerance.
//
//   std::optional<ToleranceSetup> t = ParseTolerance(reader, setup);
//   ToleranceVerdict v = Judge(*t, result, job.mmPerPx);

#include <optional>
#include <string>

#include "job/JsonFieldReader.h"
#include "job/Results.h"

// Absent when the measurement has neither "nominal" nor "tolerance"; throws ToolError for a bad
// or incomplete pair, or a quantity that the measurement does not give.
std::optional<ToleranceSetup> ParseTolerance(const JsonFieldReader& m,
                                             const MeasurementSetup& setup);

// The measured value of a quantity in pixels (degrees, a count), or nothing when the result
// does not have it.
std::optional<double> QuantityValue(Quantity quantity, const MeasurementResult& result);

ToleranceVerdict Judge(const ToleranceSetup& setup, const MeasurementResult& result,
                       std::optional<double> mmPerPx);

const char* QuantityName(Quantity quantity);
// "px", "mm", "deg" or "" (a count).
const char* UnitName(const ToleranceSetup& setup);
bool IsLength(Quantity quantity);
