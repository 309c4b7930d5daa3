#pragma once
// ImageRun: a job run on one image, with the drawing of its overlay (OverlayFiles.h writes the
// pictures, ResultJson.h the results).
//
//   ImageRun run = MeasureImage(LoadGreyImage("part.png"), "part.png", job, true);

#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "measure/Measurement.h"
#include "overlay/OverlayDrawing.h"
#include "overlay/RgbImage.h"

struct ImageRun {
    std::string imagePath;
    int width = 0;
    int height = 0;
    std::vector<MeasurementResult> results;
    RgbImage background;  // the image in colour, without the drawing (empty without overlay)
    OverlayDrawing drawing;

    bool AllOk() const;
};

// Runs every measurement of the job; with `drawOverlay` the searches, paths and fits are drawn
// for the overlay files (which then need a colour copy of the image).
ImageRun MeasureImage(OType_Image image, const std::string& imagePath, const Job& job,
                      bool drawOverlay);
