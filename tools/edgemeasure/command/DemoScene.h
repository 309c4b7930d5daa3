#pragma once
// DemoScene: the synthetic test image of `edgemeasure demo`, with its true dimensions.
//
// A bright machined plate on a dark background, lit a little unevenly (brighter to the right):
// a dark bored hole, a dark vertical slot and a straight right-hand edge tilted a few degrees
// from the vertical, with a small burr on it (a bump the line fit must reject). The image is
// rendered by area coverage (each pixel the mean of kSupersampling^2 samples), blurred by a
// Gaussian like a lens, and given Gaussian noise from a fixed seed, then rounded to 8 bits: the
// same image on every machine.
//
// Coordinates are pixels with pixel i covering [i, i + 1); the true values below are in that
// frame, so a measurement can be compared with them directly.
//
//   const DemoScene scene;
//   OType_Image image = RenderDemoScene(scene);
//   double x = scene.EdgeXAt(240.0);   // where the true edge crosses y = 240

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "foundation/OType_Image.h"
#include "job/Job.h"

struct DemoScene {
    int width = 640;
    int height = 480;

    // Grey levels.
    double background = 30.0;
    double plateLeft = 178.0;   // the plate at x = 0
    double plateRight = 196.0;  // the plate at x = width (uneven light)
    double dark = 40.0;         // hole and slot

    // The plate: left, top and bottom borders; its right edge is the measured line.
    double plateMinX = 25.0;
    double plateMinY = 20.0;
    double plateMaxY = 460.0;

    // The hole.
    Point2 holeCentre{210.35, 225.80};
    double holeRadius = 72.60;

    // The slot (a vertical rectangle). Its sides lie on the grid of the area samples (eighths of a
    // pixel): a side between two samples is rendered at the next sample boundary, up to 1/16 px
    // from where it was asked for.
    double slotLeft = 372.25;
    double slotRight = 408.875;
    double slotTop = 120.0;
    double slotBottom = 360.0;

    // The right edge: through (edgeX, edgeY), tilted edgeTiltDeg from the vertical (its bottom
    // to the right), with a burr of burrDepth pixels between burrTop and burrBottom.
    double edgeX = 520.30;
    double edgeY = 240.0;
    double edgeTiltDeg = 3.0;
    double burrTop = 292.0;
    double burrBottom = 334.0;
    double burrDepth = 6.0;

    // Optics and sensor.
    double blurSigma = 1.2;   // pixels
    double noiseSigma = 2.5;  // grey levels
    std::uint32_t seed = 20240611u;

    double SlotWidth() const { return slotRight - slotLeft; }
    // The true edge's x at a height y (without the burr).
    double EdgeXAt(double y) const;
    // The direction of the true edge in [0, pi) radians (from +x towards +y).
    double EdgeAngleRad() const;
};

// Samples per pixel along each axis for the area coverage.
constexpr int kSupersampling = 8;

OType_Image RenderDemoScene(const DemoScene& scene);

// The demo's measurement job as a job file would hold it (checked by ParseJob), with nominal
// positions as an engineer would lay them, not the true values: with calipers, and the same
// measurements by the path search (as the demo measured before the calipers).
nlohmann::ordered_json DemoJobJson(const DemoScene& scene, const std::string& imageName);
nlohmann::ordered_json DemoPathJobJson(const DemoScene& scene, const std::string& imageName);
