#include "caliper/OCaliper.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "caliper/CaliperEdges.h"
#include "caliper/CaliperSampler.h"

namespace {

using caliper::ArcGeometry;
using caliper::DerivativeKernel;
using caliper::LineGeometry;
using caliper::Peak;
using caliper::PixelGrid;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFullTurn = 2.0 * kPi;

// Limits of one caliper: samples along the axis, lines across it, and points in all.
constexpr double kMaxSamples = 1 << 20;
constexpr double kMaxLines = 1 << 12;
constexpr double kMaxPoints = 1 << 22;
// A length or width within this of a whole number of steps or lines counts as that number
// (0.1 px / 1 px written as doubles).
constexpr double kCountTolerance = 1e-9;
// The filter needs its reach on either side of an extremum and one sample more for the
// refinement's neighbours.
constexpr int kRefineNeighbours = 1;

// Samples within kExcludeSigmas widths of an edge's peak (plus kExcludeMarginPixels) are left out
// of the noise estimate: the mixed difference answers an edge's curvature there.
constexpr double kExcludeSigmas = 3.0;
constexpr double kExcludeMarginPixels = 2.0;
// A pair whose edges are closer than kJointFitSeparation peak widths is refined by the joint fit
// (beyond it the other edge's tail moves a peak by less than 1e-4 pixel); the fit's window reaches
// kFitReachSigmas peak widths beyond both edges, far enough for flat ground on both sides to pin
// the base and the contrasts, which a narrow bar's own top cannot: with less, its width scatters
// more and comes out short.
constexpr double kJointFitSeparation = 5.0;
constexpr double kFitReachSigmas = 8.0;
// Pair partners are looked for within the width range widened by this many filter sigmas, since
// the positions before the joint fit are pulled apart by each other's tails.
constexpr double kPartnerSlackSigmas = 2.0;
// Two pairs whose first edges lie closer than this many filter sigmas measure the same edge.
constexpr double kSameEdgeSigmas = 0.5;
// The score counts the amplitude's noise this many times.
constexpr double kScoreNoiseFactor = 3.0;

struct Workspace {
    std::vector<double> across;
    std::vector<double> values;
    std::vector<double> derivative;
    std::vector<double> mixed;  // noise probes of the samples
    caliper::ProbeSum probes;   // their sum
    std::vector<std::uint8_t> outside;
    std::vector<std::uint8_t> excluded;
    std::vector<double> coefficients;
    std::vector<double> gainGrid;
    std::vector<Peak> peaks;
    std::vector<std::size_t> wanted;
    DerivativeKernel kernel;
    double kernelSigma = 0.0;  // in samples, of `kernel`
    caliper::LevelCrossing crossing;
    caliper::SampledPixels sampled;
};

// Each thread's scratch buffers, kept between calls so that a measurement allocates nothing.
Workspace& ThreadWorkspace() {
    thread_local Workspace workspace;
    return workspace;
}

template <class Pixel>
PixelGrid<Pixel> Grid(const Pixel* data, std::ptrdiff_t stride, int width, int height) {
    return {data, stride, width, height};
}

// Evenly spread offsets of ceil(width) lines across the axis.
bool PlanLines(double width, std::vector<double>& across) {
    if (!(width > 0.0) || !std::isfinite(width)) {
        return false;
    }
    const double lines = std::max(1.0, std::ceil(width - kCountTolerance));
    if (lines > kMaxLines) {
        return false;
    }
    const int n = static_cast<int>(lines);
    across.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        across[static_cast<std::size_t>(j)] = -0.5 * width + (j + 0.5) * width / n;
    }
    return true;
}

// Samples along an axis of the given length every `step`: the first at 0, the last at or before
// the end. 0 when the length or step is unusable or the samples are too many.
int SampleCount(double length, double step, std::size_t lines) {
    if (!(length > 0.0) || !std::isfinite(length) || !(step > 0.0) || !std::isfinite(step)) {
        return 0;
    }
    const double count = std::floor(length / step + kCountTolerance) + 1.0;
    if (!(count <= kMaxSamples) || count * static_cast<double>(lines) > kMaxPoints) {
        return 0;
    }
    return static_cast<int>(count);
}

// A region made ready for sampling.
template <class Geometry>
struct Plan {
    OCaliperStatus status = OCaliperStatus::BadRegion;
    Geometry geometry{};
    int count = 0;
    double step = 1.0;
    bool safe = false;  // every point inside with both taps
};

template <class Pixel>
Plan<LineGeometry> MakePlan(const PixelGrid<Pixel>& grid, const OCaliperLine& r,
                            std::vector<double>& across) {
    Plan<LineGeometry> plan;
    if (!std::isfinite(r.startX) || !std::isfinite(r.startY) || !std::isfinite(r.endX) ||
        !std::isfinite(r.endY) || !PlanLines(r.width, across)) {
        return plan;
    }
    const double dx = r.endX - r.startX;
    const double dy = r.endY - r.startY;
    const double length = std::hypot(dx, dy);
    plan.count = SampleCount(length, r.step, across.size());
    if (plan.count == 0) {
        return plan;
    }
    const double ux = dx / length;
    const double uy = dy / length;
    // Across points to the right of the axis on screen (y down): (-uy, ux).
    plan.geometry = {r.startX, r.startY, ux * r.step, uy * r.step, -uy, ux};
    plan.step = r.step;
    plan.status = OCaliperStatus::Ok;
    // The fixed-point sampler holds positions in 32.32 bits: sides up to 2^30 pixels.
    plan.safe = grid.width <= caliper::kMaxFixedSide && grid.height <= caliper::kMaxFixedSide;
    for (const int k : {0, plan.count - 1}) {
        const caliper::Frame f = plan.geometry.FrameAt(k);
        for (const double t : {across.front(), across.back()}) {
            plan.safe = plan.safe && caliper::SafeForFastPath(grid, f.x + t * f.nx, f.y + t * f.ny);
        }
    }
    return plan;
}

template <class Pixel>
Plan<ArcGeometry> MakePlan(const PixelGrid<Pixel>& grid, const OCaliperArc& r,
                           std::vector<double>& across) {
    Plan<ArcGeometry> plan;
    if (!std::isfinite(r.centerX) || !std::isfinite(r.centerY) || !std::isfinite(r.radius) ||
        !std::isfinite(r.startAngle) || !std::isfinite(r.sweep) || !(r.radius > 0.0) ||
        !(std::fabs(r.sweep) <= kFullTurn) || !PlanLines(r.width, across)) {
        return plan;
    }
    plan.count = SampleCount(std::fabs(r.sweep) * r.radius, r.step, across.size());
    if (plan.count == 0) {
        return plan;
    }
    const double increment = std::copysign(r.step / r.radius, r.sweep);
    plan.geometry = {r.centerX, r.centerY, r.radius, r.startAngle, increment};
    plan.step = r.step;
    plan.status = OCaliperStatus::Ok;
    // Safe when the whole ring's bounding square is.
    const double outer = r.radius + 0.5 * r.width;
    plan.safe = caliper::SafeForFastPath(grid, r.centerX - outer, r.centerY - outer) &&
                caliper::SafeForFastPath(grid, r.centerX + outer, r.centerY + outer);
    return plan;
}

bool ValidSigma(double sigma) {
    return sigma > 0.0 && sigma <= OCaliperEdgeSettings::kMaxSigma;  // false for NaN
}

// Samples the profile and filters it. Answers Ok, EmptyImage, or whether samples lie outside.
template <class Pixel, class Geometry>
OCaliperStatus SampleAndFilter(const PixelGrid<Pixel>& grid, const Plan<Geometry>& plan,
                               double sigma, Workspace& w) {
    if (grid.data == nullptr) {
        return OCaliperStatus::EmptyImage;
    }
    const auto count = static_cast<std::size_t>(plan.count);
    w.values.resize(count);
    w.outside.resize(count);
    w.derivative.resize(count);
    w.mixed.resize(count);
    const caliper::SampleSummary summary =
        caliper::SampleProfile(grid, plan.geometry, plan.count, w.across, plan.safe,
                               w.values.data(), w.mixed.data(), w.outside.data());
    if (sigma / plan.step != w.kernelSigma) {
        w.kernelSigma = sigma / plan.step;
        caliper::MakeDerivativeKernel(w.kernelSigma, w.kernel);
    }
    caliper::FilterProfile(w.values.data(), summary.partly > 0 ? w.outside.data() : nullptr,
                           plan.count, w.kernel, plan.step, w.derivative.data());
    w.probes = summary.probes;
    if (summary.wholly == plan.count) {
        return OCaliperStatus::OutsideImage;
    }
    return summary.partly > 0 ? OCaliperStatus::PartlyOutsideImage : OCaliperStatus::Ok;
}

// Checks the sigma against the plan: the filter and the refinement must fit into the profile.
template <class Geometry>
OCaliperStatus CheckSigma(const Plan<Geometry>& plan, double sigma) {
    if (!ValidSigma(sigma)) {
        return OCaliperStatus::BadSettings;
    }
    // The filter costs its reach for every sample: sigma is bounded in samples too.
    if (sigma / plan.step > OCaliperEdgeSettings::kMaxSigma) {
        return OCaliperStatus::BadSettings;
    }
    const double reach = std::ceil(caliper::kKernelReachSigmas * sigma / plan.step);
    return 2.0 * (reach + kRefineNeighbours) + 1.0 <= plan.count ? OCaliperStatus::Ok
                                                                 : OCaliperStatus::BadSettings;
}

// The noise of the pixels under the caliper, leaving out the samples near every peak (none of
// them when fewer than kMinNoiseProbes probes would be left).
template <class Geometry>
double Noise(const Plan<Geometry>& plan, Workspace& w) {
    constexpr int kMinNoiseProbes = 4;
    caliper::ProbeSum kept = w.probes;
    w.excluded.assign(static_cast<std::size_t>(plan.count), 0);
    for (const Peak& peak : w.peaks) {
        // Clamped in double first: with a tiny step the reach exceeds any int.
        const double reach = kExcludeSigmas * peak.widthSamples + kExcludeMarginPixels / plan.step;
        const auto from = static_cast<int>(std::max(0.0, peak.index - reach));
        const auto to = static_cast<int>(std::min(plan.count - 1.0, peak.index + reach + 1.0));
        for (int k = from; k <= to; ++k) {
            if (w.excluded[static_cast<std::size_t>(k)] == 0) {
                w.excluded[static_cast<std::size_t>(k)] = 1;
                kept.Remove(w.mixed.data(), k);
            }
        }
    }
    const double noise = kept.Noise(kMinNoiseProbes);
    return std::isnan(noise) ? w.probes.Noise(1) : noise;
}

// 1-sigma position uncertainty of a peak in pixels: the pixel noise carried through the
// linearised position (see PositionCoefficients and NoiseGain).
template <class Pixel, class Geometry>
double PositionSigma(const PixelGrid<Pixel>& grid, const Plan<Geometry>& plan, const Peak& peak,
                     double noise, Workspace& w) {
    if (std::isnan(noise)) {
        return noise;
    }
    const int n = 2 * w.kernel.radius + 3;
    w.coefficients.resize(static_cast<std::size_t>(n));
    caliper::PositionCoefficients(peak, w.kernel, w.coefficients.data());
    const double gain =
        caliper::NoiseGain(plan.geometry, grid.width, grid.height, w.across, plan.safe,
                           peak.index - w.kernel.radius - 1, w.coefficients.data(), n, w.gainGrid);
    return noise * std::sqrt(gain);
}

// Variance (in pixel noise variances) of the mean of n consecutive samples of the mean of
// `lines` lines: bilinear weights share each pixel between neighbouring samples and lines, so
// n samples cover about n - 1/3 pixels' worth of noise along the axis, and likewise across.
double PlateauMeanVariance(int n, std::size_t lines) {
    constexpr double kSharedThird = 1.0 / 3.0;
    const double l = static_cast<double>(lines);
    return (n - kSharedThird) / (static_cast<double>(n) * n) * (l - kSharedThird) / (l * l);
}

// The position (samples) and its 1-sigma uncertainty (pixels) of peak `p` of the workspace's
// peaks: the level crossing where its plateaus fit between the neighbouring peaks, the peak
// itself otherwise.
struct EdgeEstimate {
    double index;
    double sigma;
};

template <class Pixel, class Geometry>
EdgeEstimate EstimateEdge(const PixelGrid<Pixel>& grid, const Plan<Geometry>& plan, std::size_t p,
                          double noise, Workspace& w) {
    const Peak& peak = w.peaks[p];
    const int left = p > 0 ? (w.peaks[p - 1].index + peak.index + 1) / 2 : 0;
    const int right =
        p + 1 < w.peaks.size() ? (peak.index + w.peaks[p + 1].index) / 2 : plan.count - 1;
    caliper::LevelCrossing& c = w.crossing;
    if (!caliper::FindLevelCrossing(w.values.data(), w.derivative.data(), plan.count, w.kernel,
                                    plan.step, peak, left, right, c)) {
        return {peak.index + peak.offset, PositionSigma(grid, plan, peak, noise, w)};
    }
    if (std::isnan(noise)) {
        return {c.position, noise};
    }
    const double central = caliper::NoiseGain(plan.geometry, grid.width, grid.height, w.across,
                                              plan.safe, c.first, c.coefficients.data(),
                                              static_cast<int>(c.coefficients.size()), w.gainGrid);
    // The level is the mean of the two plateaus, each of weight 1/2.
    const double plateaus =
        0.5 * PlateauMeanVariance(c.plateauSamples, w.across.size()) / (c.slope * c.slope);
    return {c.position, noise * std::sqrt(central + plateaus)};
}

// Noise of the derivative's amplitude (grey levels per pixel), with the mean squared bilinear
// weight standing for the interpolation: enough for the score.
double AmplitudeNoise(double noise, const Workspace& w, double step) {
    if (std::isnan(noise)) {
        return 0.0;
    }
    double sum = 0.0;
    for (const double tap : w.kernel.taps) {
        sum += tap * tap;
    }
    return noise * std::sqrt(sum * caliper::kMeanSquaredBilinearWeight / w.across.size()) / step;
}

// The edge's own spread in the image (pixels): the width of its derivative peak with the filter's
// smoothing taken out (variances add under convolution).
double EdgeBlur(const Peak& peak, double step, double filterSigma) {
    const double width = peak.widthSamples * step;
    return std::sqrt(std::max(0.0, width * width - filterSigma * filterSigma));
}

template <class Geometry>
OCaliperEdge MakeEdge(const Plan<Geometry>& plan, double index, double amplitude, double sigma,
                      double threshold, double amplitudeNoise, double blur) {
    OCaliperEdge edge;
    plan.geometry.PointAt(index, edge.x, edge.y);
    edge.position = index * plan.step;
    edge.amplitude = amplitude;
    const double magnitude = std::fabs(amplitude);
    edge.score = magnitude / (magnitude + threshold + kScoreNoiseFactor * amplitudeNoise);
    edge.sigma = sigma;
    edge.blur = blur;
    return edge;
}

bool Matches(double amplitude, OCaliperPolarity polarity) {
    return polarity == OCaliperPolarity::Any ||
           (polarity == OCaliperPolarity::Rising) == (amplitude > 0.0);
}

bool ValidEdgeSettings(const OCaliperEdgeSettings& s) {
    return ValidSigma(s.sigma) && s.threshold >= 0.0 && std::isfinite(s.threshold) &&
           (s.selection != OCaliperSelection::Nth || s.n >= 1);
}

template <class Pixel, class Region>
OCaliperEdgeResult MeasureEdgesOn(const PixelGrid<Pixel>& grid, const Region& region,
                                  const OCaliperEdgeSettings& settings) {
    OCaliperEdgeResult result;
    Workspace& w = ThreadWorkspace();
    const auto plan = MakePlan(grid, region, w.across);
    result.status = plan.status;
    if (result.status == OCaliperStatus::Ok && !ValidEdgeSettings(settings)) {
        result.status = OCaliperStatus::BadSettings;
    }
    if (result.status == OCaliperStatus::Ok) {
        result.status = CheckSigma(plan, settings.sigma);
    }
    if (result.status == OCaliperStatus::Ok) {
        result.status = SampleAndFilter(grid, plan, settings.sigma, w);
    }
    if (result.status != OCaliperStatus::Ok) {
        return result;
    }
    // Every peak, whatever its polarity, is kept out of the noise estimate.
    caliper::FindPeaks(w.derivative.data(), plan.count, settings.threshold, OCaliperPolarity::Any,
                       w.peaks);
    result.noise = Noise(plan, w);
    std::vector<std::size_t>& wanted = w.wanted;
    wanted.clear();
    for (std::size_t p = 0; p < w.peaks.size(); ++p) {
        if (Matches(w.peaks[p].amplitude, settings.polarity)) {
            wanted.push_back(p);
        }
    }
    if (wanted.empty() || (settings.selection == OCaliperSelection::Nth &&
                           static_cast<std::size_t>(settings.n) > wanted.size())) {
        result.status = OCaliperStatus::NoEdge;
        return result;
    }
    // The chosen peaks: wanted[from .. to).
    std::size_t from = 0;
    std::size_t to = wanted.size();
    switch (settings.selection) {
        case OCaliperSelection::First:
            to = 1;
            break;
        case OCaliperSelection::Last:
            from = to - 1;
            break;
        case OCaliperSelection::Strongest:
            from = static_cast<std::size_t>(
                std::max_element(wanted.begin(), wanted.end(),
                                 [&w](std::size_t a, std::size_t b) {
                                     return std::fabs(w.peaks[a].amplitude) <
                                            std::fabs(w.peaks[b].amplitude);
                                 }) -
                wanted.begin());
            to = from + 1;
            break;
        case OCaliperSelection::Nth:
            from = static_cast<std::size_t>(settings.n - 1);
            to = from + 1;
            break;
        case OCaliperSelection::All:
            break;
    }
    const double amplitudeNoise = AmplitudeNoise(result.noise, w, plan.step);
    result.edges.reserve(to - from);
    for (std::size_t i = from; i < to; ++i) {
        const std::size_t p = wanted[i];
        const EdgeEstimate e = EstimateEdge(grid, plan, p, result.noise, w);
        result.edges.push_back(MakeEdge(plan, e.index, w.peaks[p].amplitude, e.sigma,
                                        settings.threshold, amplitudeNoise,
                                        EdgeBlur(w.peaks[p], plan.step, settings.sigma)));
    }
    return result;
}

bool ValidPairSettings(const OCaliperPairSettings& s) {
    return ValidSigma(s.sigma) && s.threshold >= 0.0 && std::isfinite(s.threshold) &&
           s.minWidth >= 0.0 && s.maxWidth >= s.minWidth && s.blur >= 0.0 &&
           std::isfinite(s.blur);  // false for NaN
}

// A pair before selection: indices into the peaks, the positions (samples) and amplitudes, and
// for a pair refined by the joint fit whether it separated the edges and their uncertainties.
struct PairCandidate {
    std::size_t first;
    std::size_t second;
    double a;
    double b;
    double aAmplitude;
    double bAmplitude;
    bool jointFit = false;
    bool resolved = true;
    double aSigma = 0.0;  // pixels
    double bSigma = 0.0;
    double widthSigma = 0.0;
};

// Refines a candidate whose edges are close by the joint fit of two blurred steps to the profile
// (FitPairProfile), within the neighbouring peaks and kFitReachSigmas peak widths beyond its
// edges. The fit has separated the edges when it converges, the unknown blur inflates the width's
// uncertainty at most kMaxBlurInflation times (edges about 2.2 blurs apart; further apart it
// falls towards 1), the width's 1-sigma uncertainty is at most kMaxRelativeWidthSigma of it, and
// the width less kResolvedSigmas of its uncertainty is still kMinResolvedWidth filter sigmas.
// The last test is not in units of the fitted blur on purpose: a bar narrower than the filter
// sees looks like a wider, sharper one with the same spread, and in noise that wider look comes
// with a small, wrong uncertainty, so the floor must not shrink with the fitted blur.
// A known blur (knownBlur > 0 samples) is held in the fit: there is no trade between width and
// blur, and only the relative uncertainty decides.
template <class Pixel, class Geometry>
void RefinePair(const PixelGrid<Pixel>& grid, const Plan<Geometry>& plan, double sigmaSamples,
                double knownBlur, double noise, Workspace& w, PairCandidate& pair) {
    constexpr double kMaxBlurInflation = 6.0;
    constexpr double kMaxRelativeWidthSigma = 0.05;
    constexpr double kResolvedSigmas = 3.0;
    constexpr double kMinResolvedWidth = 2.4;
    constexpr double kMinBlurSamples = 0.5;
    const Peak& p = w.peaks[pair.first];
    const Peak& q = w.peaks[pair.second];
    const double reach = kFitReachSigmas * std::max(p.widthSamples, q.widthSamples);
    pair.jointFit =
        pair.b - pair.a < kJointFitSeparation * std::max(p.widthSamples, q.widthSamples);
    if (!pair.jointFit) {
        return;
    }
    int first = std::max(0, static_cast<int>(std::floor(pair.a - reach)));
    int last = std::min(plan.count - 1, static_cast<int>(std::ceil(pair.b + reach)));
    if (pair.first > 0) {
        first = std::max(first, (w.peaks[pair.first - 1].index + p.index + 1) / 2);
    }
    if (pair.second + 1 < w.peaks.size()) {
        last = std::min(last, (q.index + w.peaks[pair.second + 1].index) / 2);
    }
    caliper::CollectTaps(plan.geometry, grid.width, grid.height, w.across, first, last, w.sampled);
    // A blurred step of contrast C has the derivative peak C / (sqrt(2 pi) width).
    const double toContrast = std::sqrt(2.0 * kPi) * plan.step;
    const double blur = std::sqrt(
        std::max(0.25 * (p.widthSamples + q.widthSamples) * (p.widthSamples + q.widthSamples) -
                     sigmaSamples * sigmaSamples,
                 kMinBlurSamples * kMinBlurSamples));
    caliper::PairProfileFit fit;
    fit.base = w.values[static_cast<std::size_t>(first)];
    fit.aContrast = pair.aAmplitude * toContrast * p.widthSamples;
    fit.bContrast = pair.bAmplitude * toContrast * q.widthSamples;
    fit.a = pair.a;
    fit.b = pair.b;
    fit.blur = knownBlur > 0.0 ? knownBlur : blur;
    fit.fixedBlur = knownBlur > 0.0;
    if (!caliper::FitPairProfile(w.values.data(), first, last, w.sampled, fit)) {
        pair.resolved = false;
        return;
    }
    // One profile sample's noise variance, in pixel noise variances, and positions in pixels.
    const double sampleVariance = PlateauMeanVariance(1, w.across.size());
    const double scale = noise * std::sqrt(sampleVariance) * plan.step;
    pair.a = fit.a;
    pair.b = fit.b;
    pair.aSigma = scale * std::sqrt(fit.aVariance);
    pair.bSigma = scale * std::sqrt(fit.bVariance);
    pair.widthSigma = scale * std::sqrt(std::max(fit.widthVariance, 0.0));
    const double width = (fit.b - fit.a) * plan.step;
    const bool precise = !(pair.widthSigma > kMaxRelativeWidthSigma * width);
    pair.resolved = fit.fixedBlur ? precise
                                  : precise && fit.blurInflation <= kMaxBlurInflation &&
                                        width - kResolvedSigmas * pair.widthSigma >=
                                            kMinResolvedWidth * sigmaSamples * plan.step;
    // The derivative at each edge: its own step's peak plus the other's tail there.
    const double d = (fit.b - fit.a) / fit.blur;
    const double tail = std::exp(-0.5 * d * d);
    pair.aAmplitude = (fit.aContrast + fit.bContrast * tail) / (toContrast * fit.blur);
    pair.bAmplitude = (fit.bContrast + fit.aContrast * tail) / (toContrast * fit.blur);
}

template <class Pixel, class Region>
OCaliperPairResult MeasurePairsOn(const PixelGrid<Pixel>& grid, const Region& region,
                                  const OCaliperPairSettings& settings) {
    OCaliperPairResult result;
    Workspace& w = ThreadWorkspace();
    const auto plan = MakePlan(grid, region, w.across);
    result.status = plan.status;
    if (result.status == OCaliperStatus::Ok && !ValidPairSettings(settings)) {
        result.status = OCaliperStatus::BadSettings;
    }
    if (result.status == OCaliperStatus::Ok) {
        result.status = CheckSigma(plan, settings.sigma);
    }
    if (result.status == OCaliperStatus::Ok) {
        result.status = SampleAndFilter(grid, plan, settings.sigma, w);
    }
    if (result.status != OCaliperStatus::Ok) {
        return result;
    }
    caliper::FindPeaks(w.derivative.data(), plan.count, settings.threshold, OCaliperPolarity::Any,
                       w.peaks);
    result.noise = Noise(plan, w);
    const double sigmaSamples = settings.sigma / plan.step;
    const double slack = kPartnerSlackSigmas * sigmaSamples;
    const double minWidth = settings.minWidth / plan.step;
    const double maxWidth = settings.maxWidth / plan.step;
    std::vector<PairCandidate> candidates;
    for (std::size_t i = 0; i < w.peaks.size(); ++i) {
        const Peak& p = w.peaks[i];
        if (!Matches(p.amplitude, settings.firstPolarity)) {
            continue;
        }
        const double a = p.index + p.offset;
        for (std::size_t j = i + 1; j < w.peaks.size(); ++j) {
            const Peak& q = w.peaks[j];
            const double b = q.index + q.offset;
            if (b - a > maxWidth + slack) {
                break;
            }
            if (Matches(q.amplitude, settings.secondPolarity) && b - a >= minWidth - slack) {
                candidates.push_back({i, j, a, b, p.amplitude, q.amplitude});
                break;
            }
        }
    }
    bool unresolved = false;
    std::vector<OCaliperPair> pairs;
    const double amplitudeNoise = AmplitudeNoise(result.noise, w, plan.step);
    for (PairCandidate& c : candidates) {
        RefinePair(grid, plan, sigmaSamples, settings.blur / plan.step, result.noise, w, c);
        if (!c.resolved) {
            unresolved = true;
            continue;
        }
        EdgeEstimate first{c.a, c.aSigma};
        EdgeEstimate second{c.b, c.bSigma};
        if (!c.jointFit) {
            first = EstimateEdge(grid, plan, c.first, result.noise, w);
            second = EstimateEdge(grid, plan, c.second, result.noise, w);
            c.widthSigma = std::hypot(first.sigma, second.sigma);
        }
        if (second.index - first.index < minWidth || second.index - first.index > maxWidth) {
            continue;
        }
        // Two candidates whose joint fits settled on the same edges (their windows overlap): the
        // first one stands, so that every pair is reported once and in axis order.
        if (!pairs.empty() && first.index * plan.step <
                                  pairs.back().first.position + kSameEdgeSigmas * settings.sigma) {
            continue;
        }
        OCaliperPair pair;
        pair.first =
            MakeEdge(plan, first.index, c.aAmplitude, first.sigma, settings.threshold,
                     amplitudeNoise, EdgeBlur(w.peaks[c.first], plan.step, settings.sigma));
        pair.second =
            MakeEdge(plan, second.index, c.bAmplitude, second.sigma, settings.threshold,
                     amplitudeNoise, EdgeBlur(w.peaks[c.second], plan.step, settings.sigma));
        pair.width = pair.second.position - pair.first.position;
        pair.widthSigma = c.widthSigma;
        const double centre = 0.5 * (first.index + second.index);
        plan.geometry.PointAt(centre, pair.centerX, pair.centerY);
        pair.centerPosition = centre * plan.step;
        pair.centerSigma = 0.5 * pair.widthSigma;
        pair.score = pair.first.score * pair.second.score;
        pairs.push_back(pair);
    }
    if (pairs.empty()) {
        result.status = unresolved ? OCaliperStatus::NotResolved : OCaliperStatus::NoEdge;
        return result;
    }
    switch (settings.selection) {
        case OCaliperPairSelection::First:
            result.pairs = {pairs.front()};
            break;
        case OCaliperPairSelection::Last:
            result.pairs = {pairs.back()};
            break;
        case OCaliperPairSelection::Strongest:
            result.pairs = {*std::max_element(
                pairs.begin(), pairs.end(),
                [](const OCaliperPair& a, const OCaliperPair& b) { return a.score < b.score; })};
            break;
        case OCaliperPairSelection::All:
            result.pairs = std::move(pairs);
            break;
    }
    return result;
}

template <class Pixel, class Region>
OCaliperProfile SampleProfileOn(const PixelGrid<Pixel>& grid, const Region& region, double sigma) {
    OCaliperProfile profile;
    Workspace& w = ThreadWorkspace();
    const auto plan = MakePlan(grid, region, w.across);
    profile.status = plan.status;
    if (profile.status == OCaliperStatus::Ok) {
        profile.status = CheckSigma(plan, sigma);
    }
    if (profile.status == OCaliperStatus::Ok) {
        profile.status = SampleAndFilter(grid, plan, sigma, w);
    }
    if (profile.status != OCaliperStatus::Ok && profile.status != OCaliperStatus::OutsideImage &&
        profile.status != OCaliperStatus::PartlyOutsideImage) {
        return profile;
    }
    profile.values = w.values;
    profile.derivative = w.derivative;
    profile.outside = w.outside;
    profile.positions.resize(w.values.size());
    for (std::size_t k = 0; k < profile.positions.size(); ++k) {
        profile.positions[k] = static_cast<double>(k) * plan.step;
    }
    return profile;
}

PixelGrid<unsigned char> Grid(const OType_Image& image) {
    return Grid<unsigned char>(image.GetData(), image.GetStride(), image.GetWidth(),
                               image.GetHeight());
}

PixelGrid<std::uint16_t> Grid(const OType_Image16& image) {
    return Grid<std::uint16_t>(image.GetData(), image.GetStride(), image.GetWidth(),
                               image.GetHeight());
}

template <class Image>
std::vector<OCaliperEdgeResult> MeasureMany(const Image& image,
                                            const std::vector<OCaliperLine>& regions,
                                            const OCaliperEdgeSettings& settings) {
    std::vector<OCaliperEdgeResult> results;
    results.reserve(regions.size());
    const auto grid = Grid(image);
    for (const OCaliperLine& region : regions) {
        results.push_back(MeasureEdgesOn(grid, region, settings));
    }
    return results;
}

}  // namespace

OCaliperEdgeResult OCaliper::MeasureEdges(const OType_Image& image, const OCaliperLine& region,
                                          const OCaliperEdgeSettings& settings) {
    return MeasureEdgesOn(Grid(image), region, settings);
}
OCaliperEdgeResult OCaliper::MeasureEdges(const OType_Image& image, const OCaliperArc& region,
                                          const OCaliperEdgeSettings& settings) {
    return MeasureEdgesOn(Grid(image), region, settings);
}
OCaliperEdgeResult OCaliper::MeasureEdges(const OType_Image16& image, const OCaliperLine& region,
                                          const OCaliperEdgeSettings& settings) {
    return MeasureEdgesOn(Grid(image), region, settings);
}
OCaliperEdgeResult OCaliper::MeasureEdges(const OType_Image16& image, const OCaliperArc& region,
                                          const OCaliperEdgeSettings& settings) {
    return MeasureEdgesOn(Grid(image), region, settings);
}

OCaliperPairResult OCaliper::MeasurePairs(const OType_Image& image, const OCaliperLine& region,
                                          const OCaliperPairSettings& settings) {
    return MeasurePairsOn(Grid(image), region, settings);
}
OCaliperPairResult OCaliper::MeasurePairs(const OType_Image& image, const OCaliperArc& region,
                                          const OCaliperPairSettings& settings) {
    return MeasurePairsOn(Grid(image), region, settings);
}
OCaliperPairResult OCaliper::MeasurePairs(const OType_Image16& image, const OCaliperLine& region,
                                          const OCaliperPairSettings& settings) {
    return MeasurePairsOn(Grid(image), region, settings);
}
OCaliperPairResult OCaliper::MeasurePairs(const OType_Image16& image, const OCaliperArc& region,
                                          const OCaliperPairSettings& settings) {
    return MeasurePairsOn(Grid(image), region, settings);
}

std::vector<OCaliperEdgeResult> OCaliper::MeasureEdges(const OType_Image& image,
                                                       const std::vector<OCaliperLine>& regions,
                                                       const OCaliperEdgeSettings& settings) {
    return MeasureMany(image, regions, settings);
}
std::vector<OCaliperEdgeResult> OCaliper::MeasureEdges(const OType_Image16& image,
                                                       const std::vector<OCaliperLine>& regions,
                                                       const OCaliperEdgeSettings& settings) {
    return MeasureMany(image, regions, settings);
}

OCaliperProfile OCaliper::SampleProfile(const OType_Image& image, const OCaliperLine& region,
                                        double sigma) {
    return SampleProfileOn(Grid(image), region, sigma);
}
OCaliperProfile OCaliper::SampleProfile(const OType_Image& image, const OCaliperArc& region,
                                        double sigma) {
    return SampleProfileOn(Grid(image), region, sigma);
}
OCaliperProfile OCaliper::SampleProfile(const OType_Image16& image, const OCaliperLine& region,
                                        double sigma) {
    return SampleProfileOn(Grid(image), region, sigma);
}
OCaliperProfile OCaliper::SampleProfile(const OType_Image16& image, const OCaliperArc& region,
                                        double sigma) {
    return SampleProfileOn(Grid(image), region, sigma);
}
