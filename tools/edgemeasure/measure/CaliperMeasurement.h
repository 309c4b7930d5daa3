#pragma once
// CaliperMeasurement: one measurement of the caliper method, on the image at its own depth (a
// 16-bit file at 16 bits; the job's thresholds, given on the 8-bit scale, scaled to it).
//
// Every line or arc of the layout is a caliper of `caliper.width` pixels (OCaliperRegion.h),
// measuring in the layout's direction (radial lines outwards):
// - kind edges: the caliper's edges (its polarity and selection), or its pair (OCaliper);
// - kind circle on radial lines: OMetrology::FindCircle with the expected circle halfway between
//   `inner` and `outer` and calipers as long as `outer - inner`; on an arc: every edge of the arc
//   caliper (with the search's polarity), fitted by OMetrology::FitCircle;
// - kind line on parallel lines: one edge per caliper ("all": the one nearest the caliper's
//   middle), fitted by OMetrology::FitLine.
// The fits' settings are the job's ("stddev" is the circle fit's band, the line's filters as
// named). The result's edges carry amplitude, score and uncertainty, its figures their
// uncertainties, and `calipers` what each caliper answered. A measurement that cannot be made
// says why in `problem` ("too few edges: 2 of 36 calipers found one, 3 needed").
//
//   MeasurementResult result = ...;          // name, kind, paths filled in
//   MeasureWithCalipers(setup, ExpandLayout(setup.layout), image, result);

#include <vector>

#include "image/LoadedImage.h"
#include "job/Job.h"
#include "job/PathLayout.h"
#include "job/Results.h"

void MeasureWithCalipers(const MeasurementSetup& setup, const std::vector<PathGeometry>& paths,
                         const LoadedImage& image, MeasurementResult& result);
