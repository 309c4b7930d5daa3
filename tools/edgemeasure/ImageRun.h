#pragma once
// ImageRun: a job run on one image, with its overlay, and the files it writes.
//
//   ImageRun run = MeasureImage(LoadGreyImage("part.png"), "part.png", job);
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
    RgbImage background;  // the image in colour, without the drawing
    OverlayDrawing drawing;

    bool AllOk() const;
};

ImageRun MeasureImage(OType_Image image, const std::string& imagePath, const Job& job);

// The image with the drawing painted on it, as a PNG file.
void WriteOverlayPng(const ImageRun& run, const std::string& path);
// The image embedded in an SVG with the drawing as vector elements.
void WriteOverlaySvg(const ImageRun& run, const std::string& path);
