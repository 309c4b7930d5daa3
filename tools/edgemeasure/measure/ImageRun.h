#pragma once
// ImageRun: a job run on one image, with the drawing of its overlay (OverlayFiles.h writes the
// pictures, ResultJson.h the results).
//
// Each result is judged against its tolerance, if it has one.
//
//   ImageRun run = MeasureImage(LoadImage("part.png"), "part.png", job, true);

#include <string>
#include <vector>

#include <memory>
#include <optional>

#include "foundation/OType_Image.h"
#include "image/LoadedImage.h"
#include "job/Job.h"
#include "measure/Measurement.h"
#include "overlay/OverlayDrawing.h"

struct ImageRun {
    std::string imagePath;
    int width = 0;
    int height = 0;
    ImageInfo info;
    std::optional<double> mmPerPx;  // the job's scale
    std::vector<MeasurementResult> results;
    // The image at 8 bits, for overlays and reports (only when they are drawn).
    std::shared_ptr<OType_Image> image;
    // A 16-bit image was scaled to 8 bits for the path search of some measurement.
    bool scaledTo8Bits = false;
    OverlayDrawing drawing;

    bool AllOk() const;
    // Every measurement made and within its tolerance.
    bool AllPass() const;
};

// Runs every measurement of the job; with `drawOverlay` the searches, paths and fits are drawn
// for the overlay files.
ImageRun MeasureImage(const LoadedImage& image, const std::string& imagePath, const Job& job,
                      bool drawOverlay);
