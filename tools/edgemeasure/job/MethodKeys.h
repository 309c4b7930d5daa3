#pragma once
// MethodKeys: which method a measurement uses, and the keys of the caliper method.
//
// "method" is "caliper" (the default) or "path". Some keys belong to one method only:
// - the path search's: "transition", "subpixel", the search modes "first", "nth" and "all",
//   "n", "min_distance", "min_distance_to_other", "second_after_first", the polarities
//   "entering" and "leaving", and the fit's "mode";
// - the calipers': "caliper", the search's "select" and the polarities "rising" and "falling".
// A measurement without "method" that uses a key of the path search is measured with paths, as
// jobs were before the calipers, so that they keep their meaning; one that mixes keys of both
// methods, or names a method and uses a key of the other, is an error at the key's place:
//   "job.json: measurements[0].transition: a key of the path search, but this measurement uses
//    calipers ("method": "caliper"); ..."
//
// With calipers (ParseCaliperKeys):
//   "caliper": {"width" = 5, "sigma" = 1, "threshold" = 10}   pixels, pixels, grey levels per
//                                                            pixel on the 8-bit scale
//   "search": {"polarity": "rising" | "falling" | "any", "select": "first" | "last" |
//              "strongest" | "all"}                          default any, strongest
//   "search": {"mode": "pair", "first": {"polarity"}, "second": {"polarity"},
//              "select": "first" | "last" | "strongest"}     default falling, rising, strongest
//
//   const MeasureMethod method = ParseMethod(m);
//   if (method == MeasureMethod::Caliper) setup.caliper = ParseCaliperKeys(m, kind, setup.search);

#include "job/Job.h"
#include "job/JsonFieldReader.h"

MeasureMethod ParseMethod(const JsonFieldReader& measurement);

// The caliper's settings and search of a measurement; `search.mode` is set to Pair, All or First
// (what the tolerances judge).
CaliperSetup ParseCaliperKeys(const JsonFieldReader& measurement, MeasurementKind kind,
                              SearchSetup& search);
