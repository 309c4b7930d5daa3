#pragma once
// The metrology tools' fits, internal to the library: a circle and a line through edge points that
// carry their own 1-sigma uncertainties, with outliers rejected, and the covariance of the fitted
// parameters. Points are pixels; see OMetrology.h for the procedure in the library's terms.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "metrology/OMetrologyResult.h"
#include "metrology/OMetrologySettings.h"

namespace metrology {

// An edge point and its 1-sigma position uncertainty across the figure (NaN or <= 0: unknown).
struct FitPoint {
    double x = 0.0;
    double y = 0.0;
    double sigma = 0.0;
};

// The correlation `rho` of the errors of points i and j (calipers that share pixels).
struct Correlation {
    std::size_t i = 0;
    std::size_t j = 0;
    double rho = 0.0;
};

struct CircleFit {
    OMetrologyStatus status = OMetrologyStatus::FitFailed;
    double cx = 0.0;
    double cy = 0.0;
    double r = 0.0;
    double covariance[3][3] = {};
    double rms = 0.0;
    std::vector<std::uint8_t> kept;  // per point
    std::vector<double> residuals;   // distance from the centre minus the radius, per point
    const char* detail = nullptr;    // why the fit failed, where more is known than the status
};

// The circle the caller expects, as the fit's first guess (else the algebraic circle), and how
// far the fitted circle may move from it (its centre, and its radius, each by at most `reach`)
// before its edges cannot be the ones it was looked for with.
struct CircleGuess {
    bool known = false;
    double cx = 0.0;
    double cy = 0.0;
    double r = 0.0;
    double reach = 0.0;
};

// `tangentialVariance` (pixels squared): how far each edge is smoothed along the circle (the
// caliper's width, its interpolation, the image's blur); an edge smoothed so sits var / (2 r)
// inside the circle, which the fitted radius is corrected for. 0 for points without such
// smoothing.
CircleFit FitCircle(const std::vector<FitPoint>& points,
                    const std::vector<Correlation>& correlations,
                    const OCircleFitSettings& settings, double tangentialVariance,
                    const CircleGuess& expected);

struct LineFit {
    OMetrologyStatus status = OMetrologyStatus::FitFailed;
    double px = 0.0;  // a point of the line
    double py = 0.0;
    double angle = 0.0;
    double angleSigma = 0.0;
    double offsetSigma = 0.0;
    double rms = 0.0;
    std::vector<std::uint8_t> kept;
    std::vector<double> residuals;  // signed distance from the line, positive on its right
    const char* detail = nullptr;   // why the fit failed, where more is known than the status
};

LineFit FitLine(const std::vector<FitPoint>& points, const std::vector<Correlation>& correlations,
                const OLineFitSettings& settings);

// The uncertainty-weighted mean of values with their sigmas (correlated as given), with
// outliers beyond clipFactor robust spreads rejected; `kept` per value.
struct MeanFit {
    OMetrologyStatus status = OMetrologyStatus::FitFailed;
    double mean = 0.0;
    double sigma = 0.0;
    double spread = 0.0;
    std::vector<std::uint8_t> kept;
};
MeanFit FitMean(const std::vector<double>& values, const std::vector<double>& sigmas,
                const std::vector<Correlation>& correlations, double clipFactor);

bool ValidCircleFitSettings(const OCircleFitSettings& settings);
bool ValidLineFitSettings(const OLineFitSettings& settings);

}  // namespace metrology
