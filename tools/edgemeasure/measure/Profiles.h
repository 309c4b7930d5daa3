#pragma once
// Profiles: the grey profiles that edgemeasure plots, extracted in one place.
//
// A profile is the calipers' OCaliperProfile: per sample its distance from the start (pixels),
// its grey value, the derivative of the grey values (grey levels per pixel, filtered by the
// derivative of a Gaussian of `sigma` pixels) and a flag for samples outside the image. A value
// or derivative that means nothing is NaN.
//
// - SampleLineProfile: the profile of `edgemeasure profile`, as a caliper reads it
//   (OCaliper::SampleProfile, one sample per pixel from the line's start, each the bilinear mean
//   across the width; see caliper/OCaliper.h). Its status says when the line or sigma is refused.
// - SamplePathProfile: what the transition search sees on a path of a measurement: the grey value
//   of the pixel that contains each position of its raster walk, and the transition function's
//   answer there (in threshold or not), evaluated by the library step by step as the search does.
//   Positions are distances along the path as the edges report them (PathLayout's DistanceAlong).
//   A raster walk visits one position per pixel entered, so on oblique lines and arcs it skips
//   path indices; each sample keeps its own. The search reports a transition at the sample in
//   threshold: where the answer turns true (entering), or just before it turns false (leaving).
//   The derivative is a Gaussian derivative over the samples (their mean spacing standing for
//   all), the samples outside the image counting as their nearest inside neighbour and the ends
//   continued by their last values.
//
//   OCaliperProfile p = SampleLineProfile(image, OCaliperLine{10.5, 40.5, 90.5, 40.5, 5.0}, 1.0);
//   for (std::size_t i = 0; i < p.values.size(); ++i) if (!p.outside[i]) use(p.values[i]);

#include <cstdint>
#include <memory>
#include <vector>

#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"
#include "foundation/OType_Image.h"
#include "job/Job.h"
#include "job/PathLayout.h"

struct PathProfile {
    OCaliperProfile profile;
    std::vector<int> indices;               // the path index of each sample
    std::vector<std::uint8_t> inThreshold;  // the transition function's answer per sample
};

// The smoothing of the derivative of plotted path profiles, in pixels.
constexpr double kPathProfileSigma = 1.0;

OCaliperProfile SampleLineProfile(const OType_Image& image, const OCaliperLine& line, double sigma);

PathProfile SamplePathProfile(const PathGeometry& geometry, const TransitionSetup& transition,
                              const std::shared_ptr<OType_Image>& image, double sigma);
