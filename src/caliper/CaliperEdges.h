#pragma once
// The calipers' one-dimensional part, internal to the library: the derivative-of-Gaussian
// filter of a profile, its extrema with their sub-pixel positions, and the joint fit of two
// neighbouring extrema. Positions here are in sample indices; the caller scales them by the
// sampling step.

#include <cstdint>
#include <vector>

#include "caliper/OCaliperSettings.h"

namespace caliper {

// The kernel reaches this many sigmas to either side: the Gaussian's tail beyond it holds less
// than 1e-4 of its weight.
constexpr double kKernelReachSigmas = 4.0;

// taps[m + radius] = h(m), m = -radius .. radius: m exp(-m^2 / (2 sigma^2)), scaled so that
// sum_m m h(m) = 1 (a ramp of slope 1 per sample gives 1). smoothing[m + radius] is the Gaussian
// itself, scaled to a sum of 1: the derivative filter is the derivative of that smoothing.
struct DerivativeKernel {
    int radius = 0;
    std::vector<double> taps;
    std::vector<double> smoothing;
    double tap(int m) const { return taps[static_cast<std::size_t>(m + radius)]; }
    double smooth(int m) const { return smoothing[static_cast<std::size_t>(m + radius)]; }
};

void MakeDerivativeKernel(double sigmaSamples, DerivativeKernel& kernel);

// derivative[k] = sum_m h(m) values[k + m] / step where the kernel fits inside the profile and
// touches no sample outside the image (outside[k] != 0; `outside` is null when none is); NaN
// elsewhere.
void FilterProfile(const double* values, const std::uint8_t* outside, int count,
                   const DerivativeKernel& kernel, double step, double* derivative);

// An extremum of the derivative and its refinement.
struct Peak {
    int index = 0;              // sample of the extremum
    double offset = 0.0;        // sub-sample offset of the refined position, -0.5 .. 0.5
    double amplitude = 0.0;     // signed derivative at the refined position
    double widthSamples = 0.0;  // sigma of the Gaussian through the three values (samples)
    double sensitivity[3] = {0.0, 0.0, 0.0};  // d offset / d derivative[index - 1 .. index + 1]
};

// The local extrema of the derivative with |value| >= threshold and the asked polarity, in axis
// order, each refined by the parabola through the logarithms of |derivative| at it and its two
// neighbours (the plain parabola where a neighbour has the other sign).
void FindPeaks(const double* derivative, int count, double threshold, OCaliperPolarity polarity,
               std::vector<Peak>& peaks);

// The position of a peak, linearised in the profile: coefficients[j] = d position / d
// values[peak.index - 1 - radius + j] in samples, j = 0 .. 2 * radius + 2.
void PositionCoefficients(const Peak& peak, const DerivativeKernel& kernel, double* coefficients);

// The edge position as the level crossing: where the profile smoothed by the kernel's Gaussian
// crosses the level halfway between the mean grey values of two plateaus, one on either side of
// the peak, kPlateauGapSigmas peak widths away from it, equally long, at most kMaxPlateauSigmas
// peak widths long and within samples [leftLimit, rightLimit]. For a blurred step this is the
// maximum-likelihood position, and a linear shading of the ground does not move it.
// Answers false (the caller keeps the peak's position) when a plateau would be shorter than
// kMinPlateauSamples, the plateaus do not differ in the peak's direction or the crossing lies
// farther than a sample from the peak.
constexpr double kPlateauGapSigmas = 3.0;
constexpr double kMaxPlateauSigmas = 10.0;
constexpr int kMinPlateauSamples = 3;

struct LevelCrossing {
    double position = 0.0;   // samples
    double slope = 0.0;      // of the smoothed profile there, grey levels per pixel
    int plateauSamples = 0;  // on each side
    // d position (pixels) / d values[first + j] through the smoothed profile, j = 0 .. 2 radius +
    // 1; the plateaus add 1 / (2 plateauSamples slope) for each of their samples.
    int first = 0;
    std::vector<double> coefficients;
};
bool FindLevelCrossing(const double* values, const double* derivative, int count,
                       const DerivativeKernel& kernel, double step, const Peak& peak, int leftLimit,
                       int rightLimit, LevelCrossing& crossing);

// Two blurred steps fitted to values[first .. last] by least squares, through the sampler's own
// taps and pixels (CaliperSampler.h, CollectTaps): the grey value at a point
// `along` samples down the axis is base + aContrast Phi((along - a) / blur) + bContrast
// Phi((along - b) / blur), Phi the normal distribution function, so the bilinear weights and the
// pixel grid are part of the model and two close edges are measured without each other's pull.
// The fit starts from the values in `fit` (with fixedBlur, the blur stays as given) and answers
// false when it does not converge or leaves
// a < b inside the window with contrasts of the starting signs. On success the variances of a, b
// and b - a are set, in units of one profile sample's noise variance, and blurInflation.
struct SampledPixels;
struct PairProfileFit {
    double base = 0.0;
    double aContrast = 0.0;
    double bContrast = 0.0;
    double a = 0.0;
    double b = 0.0;
    double blur = 1.0;
    // The blur is known: held at its starting value instead of fitted.
    bool fixedBlur = false;
    double aVariance = 0.0;
    double bVariance = 0.0;
    double widthVariance = 0.0;
    // How much the unknown blur widens the width's uncertainty: 1 for edges far apart, growing
    // as they merge and a narrower, sharper bar looks like a wider, softer one.
    double blurInflation = 1.0;
};
bool FitPairProfile(const double* values, int first, int last, const SampledPixels& sampled,
                    PairProfileFit& fit);

}  // namespace caliper
