#pragma once
// The statistics the metrology fits share, internal to the library: the edges' uncertainties made
// usable as weights, the covariance of a weighted least-squares solution (at most three
// parameters) with correlated point errors, and the residual check that rejects one outlier at a
// time.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/OVector_Array.h"
#include "metrology/MetrologyFit.h"

namespace metrology {

// The smallest uncertainty an edge is given, in pixels: below it the interpolation and the
// edge model, not the noise, limit the position, and a noise-free image would otherwise give an
// edge infinite weight.
constexpr double kSigmaFloor = 1e-3;
// A median absolute deviation times this is the standard deviation of normal errors.
constexpr double kMadToSigma = 1.482602218505602;

// The sigmas the fits weight with: each known sigma (finite, > 0) combined with kSigmaFloor; an
// unknown one replaced by the median of the known ones. When none is known every point gets 1 and
// `unknownScale` is set: the scale of the errors then comes from the residuals alone.
struct Sigmas {
    std::vector<double> sigma;
    bool unknownScale = false;
};
Sigmas UsableSigmas(const std::vector<double>& raw);

// The covariance of a weighted least-squares solution with `parameters` (1..3) unknowns:
//   C = A^-1 B A^-1,  A = J^T W J,  B = J^T W S W J,
// J the Jacobian of the kept points' residuals by the parameters (one row each), W = diag(1 /
// sigma^2), S the covariance of the point errors (sigma^2 on the diagonal, rho sigma_i sigma_j
// for correlated pairs). When the residuals scatter more than the sigmas explain (chi^2 per degree
// of freedom above 1 + 3 sqrt(2 / dof), which honest sigmas pass 99.9 % of the time), or when the
// sigmas are unknown, C is scaled by chi^2 / dof, so that the uncertainty also covers what the
// edges' noise does not (a real figure that is not quite a circle, an unmodelled edge shape).
// False when A is singular; NaN entries when the scale is unknown and no degree of freedom is left.
bool Covariance(int parameters, const std::vector<double>& jacobian, const Sigmas& sigmas,
                const std::vector<std::uint8_t>& kept, const std::vector<Correlation>& correlations,
                const std::vector<double>& residuals, double covariance[3][3]);

// The residual check: a robust refit that lets straggling points fade out before it rejects
// them. Starting from the fit on the points the filter kept (`kept`), each round weights every
// such point by 1 / sigma^2 times Tukey's biweight (1 - u^2)^2 of u = residual / band, the band
// being clipFactor times the larger of the point's sigma and the robust spread of the residuals
// (kMadToSigma times their median magnitude), and refits, until the residuals settle. Then a point
// stays kept when its residual lies within its band (at least `minKept` points, the nearest ones),
// and the figure is refitted on those with their plain weights. Without a clip factor the plain
// fit alone.
// `refit(weights, residuals)` fits with the given weights (0: left out), writes every point's
// residual and answers false when it fails.
constexpr int kMaxRobustRounds = 10;
constexpr double kRobustSettled = 1e-4;  // pixels of residual change

double RobustSpread(const std::vector<double>& residuals, const std::vector<std::uint8_t>& kept);
// The band of point i: clipFactor times the larger of its sigma and the spread (the spread alone
// when the sigmas are unknown).
double Band(const Sigmas& sigmas, std::size_t i, double spread, double clipFactor);
// Plain weights 1 / sigma^2 of the kept points, 0 for the others.
std::vector<double> PlainWeights(const Sigmas& sigmas, const std::vector<std::uint8_t>& kept);
// The biweighted weights of one round.
std::vector<double> BiweightWeights(const std::vector<double>& residuals, const Sigmas& sigmas,
                                    const std::vector<std::uint8_t>& kept, double clipFactor);
// Keeps the points of `kept` within their bands, at least minKept of them.
void KeepWithinBands(const std::vector<double>& residuals, const Sigmas& sigmas, double clipFactor,
                     std::size_t minKept, std::vector<std::uint8_t>& kept);

template <class Refit>
bool RobustRefit(const Sigmas& sigmas, double clipFactor, std::size_t minKept,
                 std::vector<std::uint8_t>& kept, std::vector<double>& residuals, Refit refit) {
    if (!refit(PlainWeights(sigmas, kept), residuals)) {
        return false;
    }
    if (!(clipFactor > 0.0)) {
        return true;
    }
    std::vector<double> previous;
    for (int round = 0; round < kMaxRobustRounds; ++round) {
        previous = residuals;
        if (!refit(BiweightWeights(residuals, sigmas, kept, clipFactor), residuals)) {
            return false;
        }
        double change = 0.0;
        for (std::size_t i = 0; i < residuals.size(); ++i) {
            change = std::max(change, std::fabs(residuals[i] - previous[i]));
        }
        if (change < kRobustSettled) {
            break;
        }
    }
    KeepWithinBands(residuals, sigmas, clipFactor, minKept, kept);
    return refit(PlainWeights(sigmas, kept), residuals);
}

// Inverse of a symmetric positive definite matrix of size n <= 3 (Gauss-Jordan with the diagonal
// as pivot); false when a pivot is not positive relative to the largest diagonal element.
bool InvertSymmetric(int n, const double a[3][3], double inverse[3][3]);

// Marks as kept the points that a filter of the library returned as its inliers: the input points
// it kept, in input order, at the input's fixed-point coordinates (OVector of the point).
void KeptFromInliers(const std::vector<FitPoint>& points, const OVector_Array& inliers,
                     std::vector<std::uint8_t>& kept);

// Root-mean-square of the kept residuals.
double KeptRms(const std::vector<double>& residuals, const std::vector<std::uint8_t>& kept);
std::size_t KeptCount(const std::vector<std::uint8_t>& kept);

}  // namespace metrology
