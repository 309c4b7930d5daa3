#pragma once
// Measurement: one measurement of a job run on one image, from its paths to its result.
//
// The paths of the layout are made and searched one after the other (each with a freshly set
// transition function); the edges they give are the result of an "edges" measurement, or the
// points of the circle or line fit (the refined point of each edge where the refinement
// succeeded, else its search point). A measurement is ok when it found what it looks for: at
// least one edge (or the pair), or a fitted figure. Otherwise `problem` says what is missing.
// Paths that run partly outside the image are searched like any other: the samples outside
// count as "not in threshold" for the band and are gaps for the other transition functions. A
// measurement whose paths all lie wholly outside the image is not searched; its problem says so.
// Every edge carries its distance along its path from the path's start.
//
// With an overlay context, the paths and their direction arrows are drawn first, then the
// library's ticks and labels of the searches, then the refined points and the fitted figure with
// its kept and rejected points; MeasureImage places the captions once all measurements are drawn.
//
//   MeasurementResult r = RunMeasurement(setup, image, &context);
//   if (r.circle) { ... r.circle->radius ... }

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "job/Results.h"
#include "overlay/OverlayContext.h"

MeasurementResult RunMeasurement(const MeasurementSetup& setup,
                                 const std::shared_ptr<OType_Image>& image,
                                 OverlayContext* overlay);
