#pragma once
// The calipers' sampling, internal to the library: one generic sampler for every pixel type
// (8-bit and 16-bit grey) and every region shape (line and arc).
//
// A region becomes a Geometry: FrameAt(k) gives the axis point of sample k and the unit vector
// across the axis there; PointAt(index) the axis point at a fractional sample index. A profile
// sample is the mean, over the caliper's lines (offsets `across` along that unit vector), of the
// bilinear interpolation of the pixels. Pixel i covers [i, i + 1) and its value belongs to its
// centre i + 0.5, so a point x interpolates between pixels floor(x - 0.5) and the next one; a
// point within half a pixel of the border reads the border pixel. A point outside
// [0, width] x [0, height] is outside the image and is never read.
//
// The same taps serve the noise bookkeeping: NoiseGain() adds up, pixel by pixel, how strongly a
// linear function of the profile (the sub-pixel position of an edge, linearised) depends on each
// pixel, so that the position's variance is the pixel noise variance times that gain.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

namespace caliper {

// Grey pixels of any unsigned type, row-major, `stride` pixels from one row to the next.
template <class Pixel>
struct PixelGrid {
    const Pixel* data;
    std::ptrdiff_t stride;
    int width;
    int height;

    double At(int x, int y) const { return data[static_cast<std::ptrdiff_t>(y) * stride + x]; }
    bool Inside(double x, double y) const {
        return x >= 0.0 && y >= 0.0 && x <= width && y <= height;  // false for NaN
    }
};

// The axis point of a sample, the unit vector across the axis there and the unit tangent in the
// direction of increasing samples.
struct Frame {
    double x;
    double y;
    double nx;
    double ny;
    double tx;
    double ty;
};

// A straight axis: sample k at origin + k * (ux, uy), across direction (nx, ny) = the unit
// tangent turned a quarter towards +y.
struct LineGeometry {
    double ox, oy, ux, uy, nx, ny;

    Frame FrameAt(int k) const { return {ox + k * ux, oy + k * uy, nx, ny, ny, -nx}; }
    void PointAt(double index, double& x, double& y) const {
        x = ox + index * ux;
        y = oy + index * uy;
    }
    // Samples along the axis per pixel along the axis, on the line `across` pixels off it.
    double SamplesPerPixel(double /*across*/) const { return 1.0 / std::hypot(ux, uy); }
};

// Radius below which a line of an arc caliper counts as passing through the centre.
constexpr double kNearCentre = 1e-6;

// An arc: sample k at angle start + k * increment on the circle of `radius`; across is radial.
struct ArcGeometry {
    double cx, cy, radius, start, increment;

    Frame FrameAt(int k) const {
        const double angle = start + k * increment;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double turn = increment > 0.0 ? 1.0 : -1.0;
        return {cx + radius * c, cy + radius * s, c, s, -s * turn, c * turn};
    }
    void PointAt(double index, double& x, double& y) const {
        const double angle = start + index * increment;
        x = cx + radius * std::cos(angle);
        y = cy + radius * std::sin(angle);
    }
    // A sample spans radius * |increment| pixels on the circle, (radius + across) * |increment|
    // on the line `across` pixels out.
    double SamplesPerPixel(double across) const {
        return 1.0 / (std::max(radius + across, kNearCentre) * std::fabs(increment));
    }
};

// Bilinear taps of one coordinate: pixels i0 and i1 (clamped to the image), weight w1 on i1.
struct Taps {
    int i0;
    int i1;
    double w1;
};

// The centre of pixel i is i + 0.5.
constexpr double kPixelCentre = 0.5;

// Taps of a coordinate inside [0, size]: between floor(c - 0.5) and the next pixel, clamped.
inline Taps ClampedTaps(double coordinate, int size) {
    const double c = coordinate - kPixelCentre;
    // c >= -0.5 inside the image: shifted by one, the cast floors.
    const int i = static_cast<int>(c + 1.0) - 1;  // -1 .. size - 1
    return {std::clamp(i, 0, size - 1), std::clamp(i + 1, 0, size - 1), c - i};
}

// The bilinear value at (x, y), and in `mixed` the mixed difference of its four pixels,
// p00 - p10 - p01 + p11, which is 0 on any plane and has variance 4 s^2 for white noise of s.
template <class Pixel>
double InterpolateClamped(const PixelGrid<Pixel>& grid, double x, double y, double& mixed) {
    const Taps tx = ClampedTaps(x, grid.width);
    const Taps ty = ClampedTaps(y, grid.height);
    const double p00 = grid.At(tx.i0, ty.i0);
    const double p10 = grid.At(tx.i1, ty.i0);
    const double p01 = grid.At(tx.i0, ty.i1);
    const double p11 = grid.At(tx.i1, ty.i1);
    mixed = p00 - p10 - p01 + p11;
    const double top = p00 + tx.w1 * (p10 - p00);
    const double bottom = p01 + tx.w1 * (p11 - p01);
    return top + ty.w1 * (bottom - top);
}

// A point is safe for the unchecked sampler when both taps lie inside without clamping, with a
// margin for the rounding of positions computed from the frame.
constexpr double kSafetyMargin = 1e-6;

template <class Pixel>
bool SafeForFastPath(const PixelGrid<Pixel>& grid, double x, double y) {
    return x >= kPixelCentre + kSafetyMargin && y >= kPixelCentre + kSafetyMargin &&
           x <= grid.width - kPixelCentre - kSafetyMargin &&
           y <= grid.height - kPixelCentre - kSafetyMargin;
}

// The sum of term(k) over k in [from, to), in independent partial sums so that the additions need
// not wait for each other.
template <class Term>
double PartialSums(int from, int to, Term term) {
    constexpr int kPartials = 4;
    double partial[kPartials] = {0.0, 0.0, 0.0, 0.0};
    int k = from;
    for (; k + kPartials <= to; k += kPartials) {
        for (int p = 0; p < kPartials; ++p) {
            partial[p] += term(k + p);
        }
    }
    for (; k < to; ++k) {
        partial[0] += term(k);
    }
    return (partial[0] + partial[1]) + (partial[2] + partial[3]);
}

// Pixel noise from the pixels under the caliper, through the noise probes mixed[k]: the squared
// mixed differences of the sampler's 2 x 2 pixels, each 4 s^2 on average for white noise of s
// (NaN for a sample without a probe). A ProbeSum adds up probes (the sampler adds them all,
// the caller takes out those near edges); the noise is the root of their mean over 4. Grey values
// are whole numbers: their rounding alone adds 1/12 of a grey level squared, which a flat stretch
// of equal values does not show, so the answer is never below that. NaN when fewer than
// fewestProbes probes (at least one) are summed.
constexpr double kMixedNoiseVariance = 4.0;
constexpr double kRoundingNoise = 0.28867513459481288225;  // sqrt(1 / 12)

struct ProbeSum {
    double sum = 0.0;
    int probes = 0;

    // Takes out the probe of sample k.
    void Remove(const double* mixed, int k) {
        if (!std::isnan(mixed[k])) {
            sum -= mixed[k];
            --probes;
        }
    }
    double Noise(int fewestProbes) const {
        if (probes < std::max(fewestProbes, 1)) {
            return std::nan("");
        }
        // Removing probes from a sum can leave rounding below zero.
        return std::max(std::sqrt(std::max(sum, 0.0) / (probes * kMixedNoiseVariance)),
                        kRoundingNoise);
    }
};

// The straight caliper's unchecked sampler in fixed point: positions in 32.32 (stepped by exact
// integer additions, so a thousand steps drift by less than 1e-6 pixel), bilinear weights in 16
// bits, sums exact in 64 bits. Bit budget: a pixel of 16 bits times two weights of 16 bits is
// 2^48, and a sum over at most 2^12 lines stays below 2^60.
constexpr int kPositionShift = 32;
constexpr double kPositionOne = 4294967296.0;  // 2^32
constexpr int kWeightShift = 16;
constexpr std::int64_t kWeightMask = (std::int64_t{1} << kWeightShift) - 1;
constexpr int kMaxLineBits = 12;
// Positions of 32.32 bits within an image of sides up to 2^30 pixels stay below 2^62.
constexpr int kMaxFixedSide = 1 << 30;
static_assert(16 + 2 * kWeightShift + kMaxLineBits < std::numeric_limits<std::int64_t>::digits,
              "sums of bilinear samples of 16-bit pixels over 2^12 lines fit in 64 bits");

// The noise probe reads every other line, from the first: lines 1 px apart share half their
// pixels, so the lines in between add little but cost.
inline int ProbeLines(int lines) {
    return (lines + 1) / 2;
}
inline bool ProbeLine(int line) {
    return line % 2 == 0;
}

// Truncated: off by less than 2^-32 pixel.
inline std::int64_t FixedPosition(double pixels) {
    return static_cast<std::int64_t>(pixels * kPositionOne);
}

// A straight caliper's points in fixed point (32.32, shifted so that pixel centres fall on whole
// numbers): line j of sample k lies at (x0, y0) + k (stepX, stepY) + j (lineX, lineY).
struct FixedLine {
    std::int64_t x0;
    std::int64_t y0;
    std::int64_t stepX;
    std::int64_t stepY;
    std::int64_t lineX;
    std::int64_t lineY;
    int lines;
};

inline FixedLine MakeFixedLine(const LineGeometry& g, const std::vector<double>& across) {
    const int lines = static_cast<int>(across.size());
    const double spacing = lines > 1 ? across[1] - across[0] : 0.0;
    return {FixedPosition(g.ox + across[0] * g.nx - kPixelCentre),
            FixedPosition(g.oy + across[0] * g.ny - kPixelCentre),
            FixedPosition(g.ux),
            FixedPosition(g.uy),
            FixedPosition(spacing * g.nx),
            FixedPosition(spacing * g.ny),
            lines};
}

// What the straight samplers write: values[k] = sums[k] x valueScale and mixed[k] = squared[k]
// x probeScale, where sums[k] is the sum over the sample's lines of the bilinear values times 2^32
// and squared[k] the sum over its probe lines of the squared mixed differences (whole numbers,
// so every path gives the same bits); they add the squared[k] to allSquared.
struct FixedOutput {
    double valueScale;
    double probeScale;
    double* values;
    double* mixed;
    double allSquared = 0.0;
};

// Samples [from, count) of a straight caliper whose taps all lie inside.
template <class Pixel>
void SampleLineScalar(const PixelGrid<Pixel>& grid, const FixedLine& line, int from, int count,
                      FixedOutput& out) {
    const std::ptrdiff_t stride = grid.stride;
    // The bilinear value (times 2^32) at a 32.32 position; on probe lines adds the squared mixed
    // difference of its four pixels.
    const auto sample = [&grid, stride](std::int64_t x, std::int64_t y, bool probe,
                                        std::int64_t& probeSum) {
        const std::int64_t fx = (x >> (kPositionShift - kWeightShift)) & kWeightMask;
        const std::int64_t fy = (y >> (kPositionShift - kWeightShift)) & kWeightMask;
        const Pixel* p = grid.data + (y >> kPositionShift) * stride + (x >> kPositionShift);
        const std::int64_t upper = std::int64_t{p[1]} - p[0];
        const std::int64_t lower = std::int64_t{p[stride + 1]} - p[stride];
        probeSum += probe ? (lower - upper) * (lower - upper) : 0;
        const std::int64_t top = (std::int64_t{p[0]} << kWeightShift) + fx * upper;
        const std::int64_t bottom = (std::int64_t{p[stride]} << kWeightShift) + fx * lower;
        return (top << kWeightShift) + fy * (bottom - top);
    };
    std::int64_t x = line.x0 + from * line.stepX;
    std::int64_t y = line.y0 + from * line.stepY;
    std::int64_t allSquared = 0;
    for (int k = from; k < count; ++k, x += line.stepX, y += line.stepY) {
        std::int64_t sum = 0;
        std::int64_t probeSum = 0;
        std::int64_t lx = x;
        std::int64_t ly = y;
        int j = 0;
        // Lines in pairs: a probe line and the line after it.
        for (; j + 1 < line.lines; j += 2, lx += 2 * line.lineX, ly += 2 * line.lineY) {
            sum += sample(lx, ly, true, probeSum);
            sum += sample(lx + line.lineX, ly + line.lineY, false, probeSum);
        }
        if (j < line.lines) {
            sum += sample(lx, ly, true, probeSum);
        }
        out.values[k] = static_cast<double>(sum) * out.valueScale;
        out.mixed[k] = static_cast<double>(probeSum) * out.probeScale;
        allSquared += probeSum;
    }
    out.allSquared += static_cast<double>(allSquared);
}

// The same four samples at a time with the processor's vector instructions, with the same answers:
// samples [0, returned) are done, a multiple of four; 0 where the processor has no AVX2 or the
// sums would not stay exact in doubles (CaliperSamplerWide.cpp).
template <class Pixel>
int SampleLineWide(const PixelGrid<Pixel>& grid, const FixedLine& line, int count,
                   FixedOutput& out);
extern template int SampleLineWide(const PixelGrid<unsigned char>&, const FixedLine&, int,
                                   FixedOutput&);
extern template int SampleLineWide(const PixelGrid<std::uint16_t>&, const FixedLine&, int,
                                   FixedOutput&);

// values[k] the mean over the lines, mixed[k] the mean probe, and the sum of all probes.
template <class Pixel>
void SampleLineFixed(const PixelGrid<Pixel>& grid, const LineGeometry& g, int count,
                     const std::vector<double>& across, double* values, double* mixed,
                     ProbeSum& probes) {
    const FixedLine line = MakeFixedLine(g, across);
    FixedOutput out{1.0 / (static_cast<double>(std::int64_t{1} << (2 * kWeightShift)) * line.lines),
                    1.0 / ProbeLines(line.lines), values, mixed};
    const int done = SampleLineWide(grid, line, count, out);
    SampleLineScalar(grid, line, done, count, out);
    probes.sum = out.allSquared * out.probeScale;
    probes.probes = count;
}

// Samples the profile: values[k] is the mean over the lines at offsets `across`, mixed[k] the
// mean over the probe lines (ProbeLine) of the squared mixed differences of their four pixels, the
// noise probe that ProbeSum adds up (NaN when no probe line is inside).
// With `safe` every point is known to be inside with both taps (no checks, no clamping).
// Otherwise each point is checked: outside[k] = 1 when any of its lines is outside, and values[k]
// is the mean of the lines inside (NaN when none is). Answers how many samples are partly and
// wholly outside, and the sum of all noise probes.
struct SampleSummary {
    int partly = 0;   // samples with at least one line outside
    int wholly = 0;   // samples with every line outside
    ProbeSum probes;  // all noise probes
};

template <class Pixel, class Geometry>
SampleSummary SampleProfile(const PixelGrid<Pixel>& grid, const Geometry& geometry, int count,
                            const std::vector<double>& across, bool safe, double* values,
                            double* mixed, std::uint8_t* outside) {
    const int lines = static_cast<int>(across.size());
    if constexpr (std::is_same_v<Geometry, LineGeometry>) {
        if (safe) {
            std::fill(outside, outside + count, 0);
            SampleSummary summary;
            SampleLineFixed(grid, geometry, count, across, values, mixed, summary.probes);
            return summary;
        }
    }
    // Every other region point by point, each checked (an arc's points cost their sine and
    // cosine anyway).
    SampleSummary summary;
    for (int k = 0; k < count; ++k) {
        const Frame f = geometry.FrameAt(k);
        double sum = 0.0;
        double squared = 0.0;
        int inside = 0;
        int probes = 0;
        for (int j = 0; j < lines; ++j) {
            const double x = f.x + across[j] * f.nx;
            const double y = f.y + across[j] * f.ny;
            if (grid.Inside(x, y)) {
                double difference = 0.0;
                sum += InterpolateClamped(grid, x, y, difference);
                ++inside;
                if (ProbeLine(j)) {
                    squared += difference * difference;
                    ++probes;
                }
            }
        }
        values[k] = inside > 0 ? sum / inside : std::nan("");
        mixed[k] = probes > 0 ? squared / probes : std::nan("");
        outside[k] = inside < lines ? 1 : 0;
        summary.partly += outside[k];
        summary.wholly += inside == 0 ? 1 : 0;
        summary.probes.sum += probes > 0 ? mixed[k] : 0.0;
        summary.probes.probes += probes > 0 ? 1 : 0;
    }
    return summary;
}

// The pixel box [x0, x1] x [y0, y1] that the taps of samples first .. last on the lines at
// offsets lowT .. highT read.
struct PixelBox {
    int x0;
    int y0;
    int x1;
    int y1;
    std::size_t Width() const { return static_cast<std::size_t>(x1 - x0 + 1); }
    std::size_t Cells() const { return Width() * static_cast<std::size_t>(y1 - y0 + 1); }
};

template <class Geometry>
PixelBox TapBox(const Geometry& geometry, int width, int height, int first, int last, double lowT,
                double highT) {
    double minX = width, minY = height, maxX = 0.0, maxY = 0.0;
    const auto extend = [&](int k) {
        const Frame f = geometry.FrameAt(k);
        for (const double t : {lowT, highT}) {
            minX = std::min(minX, f.x + t * f.nx);
            maxX = std::max(maxX, f.x + t * f.nx);
            minY = std::min(minY, f.y + t * f.ny);
            maxY = std::max(maxY, f.y + t * f.ny);
        }
    };
    if constexpr (std::is_same_v<Geometry, LineGeometry>) {
        // Points are affine in the sample and the offset: the corners hold the extremes.
        extend(first);
        extend(last);
    } else {
        for (int k = first; k <= last; ++k) {
            extend(k);
        }
    }
    return {ClampedTaps(minX, width).i0, ClampedTaps(minY, height).i0, ClampedTaps(maxX, width).i1,
            ClampedTaps(maxY, height).i1};
}

// A pixel read by the sampler: where its centre lies along the axis (in samples, measured along
// the tangent from the first sample that reads it) and the half widths of its square projected
// onto the tangent (the square's sides project to |tx| and |ty| pixels; wide >= narrow, in
// samples): a pixel's value is the mean of the scene over it.
struct PixelFootprint {
    double along;
    double wide;
    double narrow;
};

// One bilinear tap of a sample: which of the pixels and its weight in the sample's value.
struct PixelTap {
    std::size_t pixel;
    double weight;
};

// The pixels under samples first .. last and the tapsPerSample taps of each sample, in sample
// order: the profile's sample k is exactly the sum of weight x pixel over its taps, so a model of
// the grey values along the axis, evaluated once per pixel at its footprint, predicts the profile
// as the sampler sees it. `cells` is scratch.
struct SampledPixels {
    std::vector<PixelFootprint> pixels;
    std::vector<PixelTap> taps;
    std::size_t tapsPerSample = 0;
    std::vector<std::size_t> cells;
};

// A caliper of more than kTapLines lines is followed on kTapLines of them, spread evenly over its
// width: across a straight edge every line sees the same profile. A pixel box of more than
// kMaxTapCells cells (a window thousands of samples long) lists a pixel once per tap.
constexpr std::size_t kTapLines = 32;
constexpr std::size_t kMaxTapCells = std::size_t{1} << 20;

template <class Geometry>
void CollectTaps(const Geometry& geometry, int width, int height, const std::vector<double>& across,
                 int first, int last, SampledPixels& sampled) {
    constexpr std::size_t kUnseen = static_cast<std::size_t>(-1);
    sampled.pixels.clear();
    sampled.taps.clear();
    const std::size_t lines = std::min(across.size(), kTapLines);
    sampled.tapsPerSample = 4 * lines;
    const auto lineOffset = [&across, lines](std::size_t l) {
        return across[l * across.size() / lines];
    };
    const PixelBox box =
        TapBox(geometry, width, height, first, last, lineOffset(0), lineOffset(lines - 1));
    const bool shared = box.Cells() <= kMaxTapCells;
    sampled.cells.assign(shared ? box.Cells() : 0, kUnseen);
    const double share = 1.0 / static_cast<double>(lines);
    for (int k = first; k <= last; ++k) {
        const Frame f = geometry.FrameAt(k);
        for (std::size_t l = 0; l < lines; ++l) {
            const double t = lineOffset(l);
            const double x = f.x + t * f.nx;
            const double y = f.y + t * f.ny;
            const double scale = geometry.SamplesPerPixel(t);
            const double wide = 0.5 * scale * std::max(std::fabs(f.tx), std::fabs(f.ty));
            const double narrow = 0.5 * scale * std::min(std::fabs(f.tx), std::fabs(f.ty));
            const Taps hx = ClampedTaps(x, width);
            const Taps hy = ClampedTaps(y, height);
            const int xs[2] = {hx.i0, hx.i1};
            const int ys[2] = {hy.i0, hy.i1};
            const double wx[2] = {1.0 - hx.w1, hx.w1};
            const double wy[2] = {1.0 - hy.w1, hy.w1};
            for (int b = 0; b < 2; ++b) {
                for (int a = 0; a < 2; ++a) {
                    std::size_t* cell =
                        shared
                            ? &sampled
                                   .cells[static_cast<std::size_t>(ys[b] - box.y0) * box.Width() +
                                          static_cast<std::size_t>(xs[a] - box.x0)]
                            : nullptr;
                    if (cell == nullptr || *cell == kUnseen) {
                        const double dx = xs[a] + kPixelCentre - x;
                        const double dy = ys[b] + kPixelCentre - y;
                        sampled.pixels.push_back(
                            {k + (dx * f.tx + dy * f.ty) * scale, wide, narrow});
                        if (cell != nullptr) {
                            *cell = sampled.pixels.size() - 1;
                        }
                    }
                    sampled.taps.push_back({cell != nullptr ? *cell : sampled.pixels.size() - 1,
                                            wx[a] * wy[b] * share});
                }
            }
        }
    }
}

// Lines that NoiseGain follows at most: the central ones. Lines further apart than two pixels
// share no pixel, so the gain of the mean of all lines is that of these, scaled by their share.
constexpr int kGainLines = 4;
// Largest pixel box NoiseGain adds up exactly (8 MiB of scratch).
constexpr std::size_t kMaxGainCells = std::size_t{1} << 20;
// Sum of the squared bilinear weights of a point, averaged over its position in the pixel:
// (E[(1 - f)^2 + f^2])^2 = (2/3)^2 for f uniform in [0, 1).
constexpr double kMeanSquaredBilinearWeight = 4.0 / 9.0;

// Taps of a coordinate whose two pixels are known to lie inside: no clamping.
inline Taps InsideTaps(double coordinate) {
    const double c = coordinate - kPixelCentre;
    const int i = static_cast<int>(c);  // c > 0: the cast floors
    return {i, i + 1, c - i};
}

// Sum over pixels of the squared weight with which sum_j coefficients[j] * profile[first + j]
// depends on each pixel (samples first .. first + n - 1, all inside the image; `inside`: every
// tap inside without clamping, as for a region the fast sampler reads). `grid` is scratch.
template <class Geometry>
double NoiseGain(const Geometry& geometry, int width, int height, const std::vector<double>& across,
                 bool inside, int first, const double* coefficients, int n,
                 std::vector<double>& grid) {
    const int lines = static_cast<int>(across.size());
    const int used = std::min(lines, kGainLines);
    const int firstLine = (lines - used) / 2;
    const PixelBox box = TapBox(geometry, width, height, first, first + n - 1,
                                across[static_cast<std::size_t>(firstLine)],
                                across[static_cast<std::size_t>(firstLine + used - 1)]);
    if (box.Cells() > kMaxGainCells) {
        // A filter hundreds of pixels long: the lines' samples seldom share pixels, so each
        // counts with the mean squared bilinear weight.
        double sum = 0.0;
        for (int j = 0; j < n; ++j) {
            sum += coefficients[j] * coefficients[j];
        }
        return sum * kMeanSquaredBilinearWeight / lines;
    }
    grid.assign(box.Cells(), 0.0);
    const std::size_t boxWidth = box.Width();
    const double share = 1.0 / used;
    for (int j = 0; j < n; ++j) {
        const Frame f = geometry.FrameAt(first + j);
        const double c = coefficients[j] * share;
        for (int l = firstLine; l < firstLine + used; ++l) {
            const double t = across[static_cast<std::size_t>(l)];
            const double x = f.x + t * f.nx;
            const double y = f.y + t * f.ny;
            const Taps tx = inside ? InsideTaps(x) : ClampedTaps(x, width);
            const Taps ty = inside ? InsideTaps(y) : ClampedTaps(y, height);
            double* row0 =
                grid.data() + static_cast<std::size_t>(ty.i0 - box.y0) * boxWidth - box.x0;
            double* row1 =
                grid.data() + static_cast<std::size_t>(ty.i1 - box.y0) * boxWidth - box.x0;
            const double top = c * (1.0 - ty.w1);
            const double bottom = c * ty.w1;
            row0[tx.i0] += top * (1.0 - tx.w1);
            row0[tx.i1] += top * tx.w1;
            row1[tx.i0] += bottom * (1.0 - tx.w1);
            row1[tx.i1] += bottom * tx.w1;
        }
    }
    const double gain = PartialSums(0, static_cast<int>(grid.size()), [&grid](int i) {
        return grid[static_cast<std::size_t>(i)] * grid[static_cast<std::size_t>(i)];
    });
    return gain * used / lines;
}

}  // namespace caliper
