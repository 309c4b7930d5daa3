#pragma once
// ImageRun: a job run on one image, with its overlay, and the files it writes.
//
//   ImageRun run = MeasureImage(LoadGreyImage("part.png"), "part.png", job, true);
//   WriteOverlayPng(run, "part.overlay.png");
//   WriteOverlaySvg(run, "part.overlay.svg");

#include <string>
#include <vector>

#include "Job.h"
#include "Measurement.h"
#include "OverlayDrawing.h"
#include "RgbImage.h"
#include "foundation/OType_Image.h"

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

// The image with the drawing painted on it, as a PNG file.
void WriteOverlayPng(const ImageRun& run, const std::string& path);
// The image embedded in an SVG with the drawing as vector elements.
void WriteOverlaySvg(const ImageRun& run, const std::string& path);
