#include "caliper/CaliperEdges.h"

#include "caliper/CaliperSampler.h"
#include "foundation/VectorClones.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace caliper {

namespace {

double Nan() {
    return std::nan("");
}

bool Wanted(double value, OCaliperPolarity polarity) {
    switch (polarity) {
        case OCaliperPolarity::Rising:
            return value > 0.0;
        case OCaliperPolarity::Falling:
            return value < 0.0;
        case OCaliperPolarity::Any:
            return value != 0.0;
    }
    return false;
}

// The vertex of the parabola through (-1, l[0]), (0, l[1]), (1, l[2]) with l[1] the largest:
// offset, value there, and d offset / d l[i].
struct Vertex {
    double offset;
    double value;
    double curvature;  // l[0] - 2 l[1] + l[2], negative
    std::array<double, 3> gradient;
};

Vertex ParabolaVertex(const std::array<double, 3>& l) {
    const double d = l[0] - 2.0 * l[1] + l[2];
    const double n = l[0] - l[2];
    Vertex v{};
    v.curvature = d;
    if (!(d < 0.0)) {
        // A flat top: rounding can make the logarithms of three close values equal. The vertex is
        // the middle sample, which no small change of the values moves.
        v.offset = 0.0;
        v.value = l[1];
        v.gradient = {0.0, 0.0, 0.0};
        return v;
    }
    v.offset = std::clamp(n / (2.0 * d), -0.5, 0.5);
    v.value = l[1] - n * n / (8.0 * d);
    v.gradient = {(d - n) / (2.0 * d * d), n / (d * d), (-d - n) / (2.0 * d * d)};
    return v;
}

// A peak's width in samples, kept finite: a flat top (no curvature) or a vanishing one counts as
// the widest peak a profile can hold, so that the reaches taken from it stay within an int.
constexpr double kWidestPeakSamples = 1 << 20;  // the most samples of a caliper

double PeakWidth(double width) {
    return width > 0.0 && width < kWidestPeakSamples ? width : kWidestPeakSamples;  // NaN: widest
}

// Refines the extremum at k: the Gaussian through the three magnitudes when all three are
// positive (exact for a Gaussian peak), the plain parabola otherwise.
Peak Refine(const double* derivative, int k) {
    const double sign = derivative[k] > 0.0 ? 1.0 : -1.0;
    const std::array<double, 3> m = {sign * derivative[k - 1], sign * derivative[k],
                                     sign * derivative[k + 1]};
    Peak peak;
    peak.index = k;
    if (m[0] > 0.0 && m[2] > 0.0) {
        const Vertex v = ParabolaVertex({std::log(m[0]), std::log(m[1]), std::log(m[2])});
        peak.offset = v.offset;
        peak.amplitude = sign * std::exp(v.value);
        peak.widthSamples = PeakWidth(std::sqrt(-1.0 / v.curvature));
        for (int i = 0; i < 3; ++i) {
            // d log(sign * d) / d d = 1 / d.
            peak.sensitivity[i] = v.gradient[static_cast<std::size_t>(i)] / derivative[k - 1 + i];
        }
        return peak;
    }
    const Vertex v = ParabolaVertex(m);
    peak.offset = v.offset;
    peak.amplitude = sign * v.value;
    // The Gaussian of the same curvature at the vertex: value / sigma^2 = -curvature.
    peak.widthSamples = PeakWidth(std::sqrt(v.value / -v.curvature));
    for (int i = 0; i < 3; ++i) {
        peak.sensitivity[i] = v.gradient[static_cast<std::size_t>(i)] * sign;
    }
    return peak;
}

// Solves the n x n system a x = b in place by Gaussian elimination with partial pivoting.
template <std::size_t N>
bool Solve(std::array<std::array<double, N>, N>& a, std::array<double, N>& b) {
    for (std::size_t c = 0; c < N; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < N; ++r) {
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) {
                pivot = r;
            }
        }
        if (!(std::fabs(a[pivot][c]) > 0.0)) {
            return false;
        }
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (std::size_t r = c + 1; r < N; ++r) {
            const double f = a[r][c] / a[c][c];
            for (std::size_t k = c; k < N; ++k) {
                a[r][k] -= f * a[c][k];
            }
            b[r] -= f * b[c];
        }
    }
    for (std::size_t c = N; c-- > 0;) {
        for (std::size_t k = c + 1; k < N; ++k) {
            b[c] -= a[c][k] * b[k];
        }
        b[c] /= a[c][c];
    }
    return true;
}

// The pair model's parameters: base, the two contrasts, the two positions, the blur.
constexpr std::size_t kFitParameters = 6;
using FitVector = std::array<double, kFitParameters>;
using FitMatrix = std::array<FitVector, kFitParameters>;
enum FitIndex : std::size_t { kBase, kAContrast, kBContrast, kA, kB, kBlur };

constexpr double kInverseSqrt2 = 0.70710678118654752440;
constexpr double kInverseSqrt2Pi = 0.39894228040143267794;

// A blurred step seen by a pixel: the mean over the pixel's footprint (a trapezoid on the axis,
// the sum of two uniform spreads of half widths `wide` and `narrow`) of Phi(u / sigma), with its
// derivatives by u and by sigma. Closed form through the antiderivatives of Phi(x / sigma):
//   P1(x) = x Phi + sigma phi,   P2(x) = ((x^2 + sigma^2) Phi + x sigma phi) / 2,
// (Phi and phi at x / sigma), with dP1/dsigma = phi and dP2/dsigma = sigma Phi.
struct PixelStep {
    double value;
    double du;
    double dsigma;
};

// Below this half width (samples) the narrow spread is left out: it adds narrow^2 / 3 to the
// variance, which the fitted blur takes up, and the trapezoid formula would lose its digits.
constexpr double kNarrowestSpread = 0.05;
// Beyond this many blurs past its footprint a pixel sees the step as flat: 0 or 1 within 1e-9,
// far below a grey level's rounding, so the plateaus of a long fit window cost no exponentials.
constexpr double kFlatStepSigmas = 6.0;

PixelStep StepOverPixel(double u, double sigma, double wide, double narrow) {
    const double flat = wide + narrow + kFlatStepSigmas * sigma;
    if (std::fabs(u) > flat) {
        return {u > 0.0 ? 1.0 : 0.0, 0.0, 0.0};
    }
    const auto phi = [sigma](double x) {
        return kInverseSqrt2Pi * std::exp(-0.5 * (x / sigma) * (x / sigma));
    };
    const auto cdf = [sigma](double x) { return 0.5 * std::erfc(-x / sigma * kInverseSqrt2); };
    if (narrow < kNarrowestSpread) {
        const double h = wide;
        const double a = u + h;
        const double b = u - h;
        const double p1a = a * cdf(a) + sigma * phi(a);
        const double p1b = b * cdf(b) + sigma * phi(b);
        const double inv = 1.0 / (2.0 * h);
        return {(p1a - p1b) * inv, (cdf(a) - cdf(b)) * inv, (phi(a) - phi(b)) * inv};
    }
    const double corners[4] = {u + wide + narrow, u + wide - narrow, u - wide + narrow,
                               u - wide - narrow};
    const double signs[4] = {1.0, -1.0, -1.0, 1.0};
    PixelStep step{0.0, 0.0, 0.0};
    for (int i = 0; i < 4; ++i) {
        const double x = corners[i];
        const double c = cdf(x);
        const double g = phi(x);
        step.value += signs[i] * 0.5 * ((x * x + sigma * sigma) * c + x * sigma * g);
        step.du += signs[i] * (x * c + sigma * g);
        step.dsigma += signs[i] * sigma * c;
    }
    const double inv = 1.0 / (4.0 * wide * narrow);
    return {step.value * inv, step.du * inv, step.dsigma * inv};
}

// The normal equations of the model at p (when `normal` is given) and the sum of squared
// residuals. Each pixel's two steps are evaluated once (into `steps`, scratch), then the samples
// add up their taps.
double PairModel(const double* values, int first, int last, const SampledPixels& sampled,
                 const FitVector& p, FitMatrix* normal, FitVector* rhs,
                 std::vector<PixelStep>& steps) {
    steps.resize(2 * sampled.pixels.size());
    for (std::size_t i = 0; i < sampled.pixels.size(); ++i) {
        const PixelFootprint& f = sampled.pixels[i];
        steps[2 * i] = StepOverPixel(f.along - p[kA], p[kBlur], f.wide, f.narrow);
        steps[2 * i + 1] = StepOverPixel(f.along - p[kB], p[kBlur], f.wide, f.narrow);
    }
    double cost = 0.0;
    const PixelTap* tap = sampled.taps.data();
    for (int k = first; k <= last; ++k) {
        FitVector j{};
        double model = 0.0;
        for (std::size_t t = 0; t < sampled.tapsPerSample; ++t, ++tap) {
            const PixelStep& sa = steps[2 * tap->pixel];
            const PixelStep& sb = steps[2 * tap->pixel + 1];
            model += tap->weight * (p[kBase] + p[kAContrast] * sa.value + p[kBContrast] * sb.value);
            j[kBase] += tap->weight;
            j[kAContrast] += tap->weight * sa.value;
            j[kBContrast] += tap->weight * sb.value;
            j[kA] -= tap->weight * p[kAContrast] * sa.du;
            j[kB] -= tap->weight * p[kBContrast] * sb.du;
            j[kBlur] += tap->weight * (p[kAContrast] * sa.dsigma + p[kBContrast] * sb.dsigma);
        }
        const double residual = values[k] - model;
        cost += residual * residual;
        if (normal != nullptr) {
            for (std::size_t r = 0; r < kFitParameters; ++r) {
                for (std::size_t c = 0; c < kFitParameters; ++c) {
                    (*normal)[r][c] += j[r] * j[c];
                }
                (*rhs)[r] += j[r] * residual;
            }
        }
    }
    return cost;
}

// Takes parameter i out of the normal equations: its row and column become those of the identity
// and its right-hand side 0, so that the step leaves it as it is and the inverse gives the other
// parameters' covariance with it held.
void HoldParameter(std::size_t i, FitMatrix& normal, FitVector& rhs) {
    for (std::size_t r = 0; r < kFitParameters; ++r) {
        normal[r][i] = normal[i][r] = r == i ? 1.0 : 0.0;
    }
    rhs[i] = 0.0;
}

// Levenberg-Marquardt: damping starts small, shrinks after a step that lowers the cost and grows
// after one that does not; the fit has converged when a step moves both centres by less than
// kFitTolerance samples.
constexpr int kFitIterations = 50;
constexpr double kInitialDamping = 1e-3;
constexpr double kDampingFactor = 10.0;
constexpr double kMaxDamping = 1e12;
constexpr double kFitTolerance = 1e-7;
constexpr double kMinDamping = 1e-9;

}  // namespace

void MakeDerivativeKernel(double sigmaSamples, DerivativeKernel& kernel) {
    kernel.radius = std::max(1, static_cast<int>(std::ceil(kKernelReachSigmas * sigmaSamples)));
    const auto size = static_cast<std::size_t>(2 * kernel.radius + 1);
    kernel.taps.assign(size, 0.0);
    kernel.smoothing.assign(size, 0.0);
    double moment = 0.0;
    double sum = 0.0;
    for (int m = -kernel.radius; m <= kernel.radius; ++m) {
        const double g = std::exp(-0.5 * m * m / (sigmaSamples * sigmaSamples));
        kernel.smoothing[static_cast<std::size_t>(kernel.radius + m)] = g;
        kernel.taps[static_cast<std::size_t>(kernel.radius + m)] = m * g;
        moment += m * m * g;
        sum += g;
    }
    for (std::size_t i = 0; i < size; ++i) {
        kernel.taps[i] /= moment;
        kernel.smoothing[i] /= sum;
    }
}

namespace {

double Smoothed(const double* values, const DerivativeKernel& kernel, int k) {
    return PartialSums(-kernel.radius, kernel.radius + 1,
                       [&](int m) { return kernel.smooth(m) * values[k + m]; });
}

double Mean(const double* values, int first, int n) {
    return PartialSums(first, first + n, [values](int k) { return values[k]; }) / n;
}

// The cubic through (0, q0) and (1, q1) with slopes s0 and s1 (Hermite): its value and slope.
void Hermite(double q0, double q1, double s0, double s1, double t, double& value, double& slope) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    value = (2.0 * t3 - 3.0 * t2 + 1.0) * q0 + (t3 - 2.0 * t2 + t) * s0 +
            (-2.0 * t3 + 3.0 * t2) * q1 + (t3 - t2) * s1;
    slope = (6.0 * t2 - 6.0 * t) * q0 + (3.0 * t2 - 4.0 * t + 1.0) * s0 +
            (-6.0 * t2 + 6.0 * t) * q1 + (3.0 * t2 - 2.0 * t) * s1;
}

constexpr int kNewtonSteps = 4;

}  // namespace

bool FindLevelCrossing(const double* values, const double* derivative, int count,
                       const DerivativeKernel& kernel, double step, const Peak& peak, int leftLimit,
                       int rightLimit, LevelCrossing& crossing) {
    const int r = kernel.radius;
    const int centre = peak.index + static_cast<int>(std::lround(peak.offset));
    const int gap = static_cast<int>(std::ceil(kPlateauGapSigmas * peak.widthSamples));
    const int longest = static_cast<int>(std::ceil(kMaxPlateauSigmas * peak.widthSamples));
    const int n = std::min({centre - gap - std::max(leftLimit, 0) + 1,
                            std::min(rightLimit, count - 1) - (centre + gap) + 1, longest});
    if (n < kMinPlateauSamples) {
        return false;
    }
    const double level =
        0.5 * (Mean(values, centre - gap - n + 1, n) + Mean(values, centre + gap, n));
    const double sign = peak.amplitude > 0.0 ? 1.0 : -1.0;
    // The bracketing pair of samples next to the peak, where the derivative is defined.
    for (int j = peak.index - 1; j <= peak.index; ++j) {
        if (j - r < 0 || j + 1 + r >= count || std::isnan(derivative[j]) ||
            std::isnan(derivative[j + 1])) {
            continue;
        }
        const double q0 = Smoothed(values, kernel, j) - level;
        const double q1 = Smoothed(values, kernel, j + 1) - level;
        if (!(sign * q0 <= 0.0 && sign * q1 > 0.0)) {
            continue;
        }
        // Slopes per sample from the derivative (grey levels per pixel).
        const double s0 = derivative[j] * step;
        const double s1 = derivative[j + 1] * step;
        double t = q0 / (q0 - q1);
        double value = 0.0;
        double slope = 0.0;
        for (int i = 0; i < kNewtonSteps; ++i) {
            Hermite(q0, q1, s0, s1, t, value, slope);
            if (!(sign * slope > 0.0)) {
                break;
            }
            t = std::clamp(t - value / slope, 0.0, 1.0);
        }
        Hermite(q0, q1, s0, s1, t, value, slope);
        if (!(sign * slope > 0.0)) {
            return false;
        }
        crossing.position = j + t;
        crossing.slope = slope / step;
        crossing.plateauSamples = n;
        crossing.first = j - r;
        crossing.coefficients.assign(static_cast<std::size_t>(2 * r + 2), 0.0);
        // The smoothed value at the crossing, linearly between its two samples.
        for (int m = -r; m <= r; ++m) {
            crossing.coefficients[static_cast<std::size_t>(m + r)] -=
                (1.0 - t) * kernel.smooth(m) / crossing.slope;
            crossing.coefficients[static_cast<std::size_t>(m + r + 1)] -=
                t * kernel.smooth(m) / crossing.slope;
        }
        return true;
    }
    return false;
}

EDGEDETECTION_VECTOR_CLONES
void FilterProfile(const double* values, const std::uint8_t* outside, int count,
                   const DerivativeKernel& kernel, double step, double* derivative) {
    const int r = kernel.radius;
    const double* h = kernel.taps.data() + r;
    const double inverseStep = 1.0 / step;
    if (count <= 2 * r) {
        std::fill(derivative, derivative + count, Nan());
        return;
    }
    // Undefined within the kernel's reach of either end.
    std::fill(derivative, derivative + r, Nan());
    std::fill(derivative + count - r, derivative + count, Nan());
    // The kernel is odd: sum_m h(m) (values[k + m] - values[k - m]), one tap at a time over the
    // whole profile (loops the compiler turns into vector instructions).
    const int first = r;
    const int end = count - r;
    const double tap1 = h[1] * inverseStep;
    for (int k = first; k < end; ++k) {
        derivative[k] = tap1 * (values[k + 1] - values[k - 1]);
    }
    for (int m = 2; m <= r; ++m) {
        const double tap = h[m] * inverseStep;
        for (int k = first; k < end; ++k) {
            derivative[k] += tap * (values[k + m] - values[k - m]);
        }
    }
    // A sample outside the image spoils every derivative whose kernel reaches it.
    for (int q = 0; outside != nullptr && q < count; ++q) {
        if (outside[q] != 0) {
            std::fill(derivative + std::max(0, q - r), derivative + std::min(count, q + r + 1),
                      Nan());
        }
    }
}

constexpr int kPeakBlock = 16;

namespace {

// Whether any of values[0 .. n - 1] reaches the threshold in magnitude (a loop the compiler turns
// into vector instructions; NaN reaches nothing).
bool AnyReaches(const double* values, int n, double threshold) {
    int reaching = 0;
    for (int i = 0; i < n; ++i) {
        reaching += std::fabs(values[i]) >= threshold ? 1 : 0;
    }
    return reaching > 0;
}

// Appends the peak at k when derivative[k] is a wanted extremum at or above the threshold.
void AddPeakAt(const double* derivative, int k, double threshold, OCaliperPolarity polarity,
               std::vector<Peak>& peaks) {
    const double v = derivative[k];
    const double before = derivative[k - 1];
    const double after = derivative[k + 1];
    if (!(std::fabs(v) >= threshold) || !Wanted(v, polarity) || std::isnan(before) ||
        std::isnan(after)) {
        return;
    }
    // A plateau counts once, at its first sample.
    const bool extremum = v > 0.0 ? (v > before && v >= after) : (v < before && v <= after);
    if (extremum) {
        peaks.push_back(Refine(derivative, k));
    }
}

}  // namespace

void FindPeaks(const double* derivative, int count, double threshold, OCaliperPolarity polarity,
               std::vector<Peak>& peaks) {
    peaks.clear();
    // Block by block; a whole block below the threshold holds no peak and is passed over.
    for (int from = 1; from + 1 < count; from += kPeakBlock) {
        const int to = std::min(from + kPeakBlock, count - 1);
        if (!AnyReaches(derivative + from, to - from, threshold)) {
            continue;
        }
        for (int k = from; k < to; ++k) {
            AddPeakAt(derivative, k, threshold, polarity, peaks);
        }
    }
}

void PositionCoefficients(const Peak& peak, const DerivativeKernel& kernel, double* coefficients) {
    const int r = kernel.radius;
    const int n = 2 * r + 3;
    for (int j = 0; j < n; ++j) {
        coefficients[j] = 0.0;
    }
    // derivative[index + i] = sum_m h(m) values[index + i + m] / step, and the position in pixels
    // is (index + offset) * step: the steps cancel.
    for (int i = -1; i <= 1; ++i) {
        for (int m = -r; m <= r; ++m) {
            coefficients[i + m + r + 1] += peak.sensitivity[i + 1] * kernel.tap(m);
        }
    }
}

bool FitPairProfile(const double* values, int first, int last, const SampledPixels& sampled,
                    PairProfileFit& fit) {
    if (last <= first || sampled.taps.empty() ||
        sampled.taps.size() != sampled.tapsPerSample * static_cast<std::size_t>(last - first + 1)) {
        return false;
    }
    std::vector<PixelStep> steps;
    FitVector p = {fit.base, fit.aContrast, fit.bContrast, fit.a, fit.b, fit.blur};
    double cost = PairModel(values, first, last, sampled, p, nullptr, nullptr, steps);
    double damping = kInitialDamping;
    bool converged = false;
    FitMatrix normal{};
    for (int iteration = 0; iteration < kFitIterations && !converged; ++iteration) {
        normal = {};
        FitVector rhs{};
        PairModel(values, first, last, sampled, p, &normal, &rhs, steps);
        if (fit.fixedBlur) {
            HoldParameter(kBlur, normal, rhs);
        }
        bool stepped = false;
        while (!stepped && damping < kMaxDamping) {
            FitMatrix a = normal;
            FitVector b = rhs;
            for (std::size_t r = 0; r < kFitParameters; ++r) {
                a[r][r] += damping * normal[r][r];
            }
            if (!Solve(a, b)) {
                return false;
            }
            FitVector trial = p;
            for (std::size_t r = 0; r < kFitParameters; ++r) {
                trial[r] += b[r];
            }
            const double trialCost = trial[kBlur] > 0.0 ? PairModel(values, first, last, sampled,
                                                                    trial, nullptr, nullptr, steps)
                                                        : cost + 1.0;
            const bool settled =
                std::fabs(b[kA]) < kFitTolerance && std::fabs(b[kB]) < kFitTolerance;
            if (trialCost <= cost) {
                converged = settled;
                p = trial;
                cost = trialCost;
                damping = std::max(damping / kDampingFactor, kMinDamping);
                stepped = true;
            } else if (settled && damping <= kInitialDamping) {
                // A nearly undamped step that moves the centres by less than the tolerance and
                // still does not lower the cost: the minimum is reached within rounding, and
                // raising the damping further would only cost evaluations.
                converged = true;
                break;
            } else {
                damping *= kDampingFactor;
            }
        }
        // No step lowers the cost any more: the fit sits at its minimum within rounding.
        converged = converged || !stepped;
    }
    const bool sane = converged && p[kA] < p[kB] && p[kA] >= first && p[kB] <= last &&
                      p[kAContrast] * fit.aContrast > 0.0 && p[kBContrast] * fit.bContrast > 0.0;
    if (!sane) {
        return false;
    }
    // Covariance of a and b: their columns of the inverse normal matrix; with the blur held fixed,
    // the same of the normal matrix without the blur's row and column.
    FitVector ea{};
    FitVector eb{};
    ea[kA] = 1.0;
    eb[kB] = 1.0;
    FitMatrix na = normal;
    FitMatrix nb = normal;
    if (!Solve(na, ea) || !Solve(nb, eb)) {
        return false;
    }
    FitMatrix fixedBlur = normal;
    FitVector unused{};
    HoldParameter(kBlur, fixedBlur, unused);
    FitVector fa{};
    FitVector fb{};
    fa[kA] = 1.0;
    fb[kB] = 1.0;
    FitMatrix ma = fixedBlur;
    FitMatrix mb = fixedBlur;
    if (!Solve(ma, fa) || !Solve(mb, fb)) {
        return false;
    }
    const double widthVariance = ea[kA] + eb[kB] - 2.0 * ea[kB];
    const double knownBlurVariance = fa[kA] + fb[kB] - 2.0 * fa[kB];
    fit.base = p[kBase];
    fit.aContrast = p[kAContrast];
    fit.bContrast = p[kBContrast];
    fit.a = p[kA];
    fit.b = p[kB];
    fit.blur = p[kBlur];
    fit.aVariance = ea[kA];
    fit.bVariance = eb[kB];
    fit.widthVariance = widthVariance;
    fit.blurInflation = std::sqrt(widthVariance / knownBlurVariance);
    return true;
}

}  // namespace caliper
