#pragma once
// Measurement: one measurement of a job run on one image, by its method.
//
// Calipers (CaliperMeasurement.h): the lines and arcs of the layout are calipers on the image at
// its own depth. Paths: the paths of the layout are made and searched one after the other (each
// with a freshly set transition function) on the 8-bit image; the edges they give are the result
// of an "edges" measurement, or the points of the circle or line fit (the refined point of each
// edge where the refinement succeeded, else its search point). Paths that run partly outside the
// image are searched like any other: the samples outside count as "not in threshold" for the
// band and are gaps for the other transition functions.
// A measurement is ok when it found what it looks for: at least one edge (or the pair), or a
// fitted figure. Otherwise `problem` says what is missing. A measurement whose lines and arcs all
// lie wholly outside the image is not made; its problem says so. Every edge carries its distance
// along its path from the path's start.
//
// With an overlay context: for paths, the paths and their direction arrows first, then the
// library's ticks and labels of the searches; for calipers, each caliper's outline (thin) with
// its direction arrow, coloured by what it found; then the edges and the fitted figure with its
// kept and rejected points. MeasureImage places the captions once all measurements are drawn.
//
//   MeasurementResult r = RunMeasurement(setup, LoadImage("part.tif"), &context);
//   if (r.circle) { ... r.circle->radius ... }

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "image/LoadedImage.h"
#include "job/Job.h"
#include "job/Results.h"
#include "overlay/OverlayContext.h"

MeasurementResult RunMeasurement(const MeasurementSetup& setup, const LoadedImage& image,
                                 OverlayContext* overlay);
// The same on an 8-bit image.
MeasurementResult RunMeasurement(const MeasurementSetup& setup,
                                 const std::shared_ptr<OType_Image>& image,
                                 OverlayContext* overlay);
