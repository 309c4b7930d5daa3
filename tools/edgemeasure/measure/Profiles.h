#pragma once
// Profiles: the grey profiles that edgemeasure plots, extracted in one place.
//
// A Profile is a sequence of samples along a line or path: each sample's distance from the start
// (pixels), its grey value, the derivative of the grey values (grey levels per pixel, smoothed by
// the derivative of a Gaussian of `sigma` pixels, scaled so that a ramp of slope 1 gives 1) and a
// flag for samples outside the image, whose value and derivative mean nothing.
//
// - SampleLineProfile: the profile of `edgemeasure profile`: samples one pixel apart from `from`
//   towards `to` (the last at or before `to`), each the mean of ceil(width) samples spread evenly
//   across the line, at most one pixel apart. Samples are bilinear: a pixel's value belongs to its
//   centre (i + 0.5), and points within half a pixel of the border read the border pixels. A
//   sample is outside when any of its points lies outside [0, width] x [0, height].
// - SamplePathProfile: what the transition search sees on a path of a measurement: the grey value
//   of the pixel that contains each position of its raster walk, and the transition function's
//   answer there (in threshold or not), evaluated by the library step by step as the search does.
//   Positions are distances along the path as the edges report them (PathLayout's DistanceAlong).
//   A raster walk visits one position per pixel entered, so on oblique lines and arcs it skips
//   path indices; each sample keeps its own. The search reports a transition at the sample in
//   threshold: where the answer turns true (entering), or just before it turns false (leaving).
//
// Both answer an empty profile for a line of zero length or a width that is not positive.
//
//   Profile p = SampleLineProfile(image, {{10.5, 40.5}, {90.5, 40.5}}, 5.0, 1.0);
//   for (std::size_t i = 0; i < p.values.size(); ++i) if (!p.outside[i]) use(p.values[i]);

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "job/PathLayout.h"

struct Profile {
    std::vector<double> positions;  // pixels from the start, along the line or path
    std::vector<double> values;     // grey values
    std::vector<double> derivative;
    std::vector<std::uint8_t> outside;  // 1: the sample lies (partly) outside the image
};

struct PathProfile {
    Profile profile;
    std::vector<int> indices;               // the path index of each sample
    std::vector<std::uint8_t> inThreshold;  // the transition function's answer per sample
};

// The smoothing of the derivative of plotted path profiles, in pixels.
constexpr double kPathProfileSigma = 1.0;
// The largest derivative smoothing and profile width that the profile command accepts.
constexpr double kMaxProfileSigma = 256.0;
constexpr double kMaxProfileWidth = 1000.0;

struct ProfileLine {
    Point2 from;
    Point2 to;
};

Profile SampleLineProfile(const OType_Image& image, const ProfileLine& line, double width,
                          double sigma);

PathProfile SamplePathProfile(const PathGeometry& geometry, const TransitionSetup& transition,
                              const std::shared_ptr<OType_Image>& image, double sigma);

// Fills `profile.derivative` from its values; samples outside the image count as their nearest
// inside neighbour, and the profile's ends are continued by their last values.
void ComputeDerivative(Profile& profile, double sigma);
