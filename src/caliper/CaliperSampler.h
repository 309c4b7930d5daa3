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

inline std::int64_t FixedPosition(double pixels) {
    return std::llround(pixels * kPositionOne);
}

template <class Pixel>
void SampleLineFixed(const PixelGrid<Pixel>& grid, const LineGeometry& g, int count,
                     const std::vector<double>& across, double* values, double* mixed) {
    const int lines = static_cast<int>(across.size());
    const double spacing = lines > 1 ? across[1] - across[0] : 0.0;
    // The first line's first point, shifted so that pixel centres fall on whole numbers.
    const std::int64_t x0 = FixedPosition(g.ox + across[0] * g.nx - kPixelCentre);
    const std::int64_t y0 = FixedPosition(g.oy + across[0] * g.ny - kPixelCentre);
    const std::int64_t stepX = FixedPosition(g.ux);
    const std::int64_t stepY = FixedPosition(g.uy);
    const std::int64_t lineX = FixedPosition(spacing * g.nx);
    const std::int64_t lineY = FixedPosition(spacing * g.ny);
    const std::ptrdiff_t stride = grid.stride;
    const double scale = 1.0 / (static_cast<double>(std::int64_t{1} << (2 * kWeightShift)) * lines);
    const double inverseLines = 1.0 / lines;
    // The bilinear value (times 2^32); adds the squared mixed difference of the four pixels.
    const auto bilinear = [&grid, stride](std::int64_t x, std::int64_t y, std::int64_t& squared) {
        const std::int64_t fx = (x >> (kPositionShift - kWeightShift)) & kWeightMask;
        const std::int64_t fy = (y >> (kPositionShift - kWeightShift)) & kWeightMask;
        const Pixel* p = grid.data + (y >> kPositionShift) * stride + (x >> kPositionShift);
        const std::int64_t upper = std::int64_t{p[1]} - p[0];
        const std::int64_t lower = std::int64_t{p[stride + 1]} - p[stride];
        squared += (lower - upper) * (lower - upper);
        const std::int64_t top = (std::int64_t{p[0]} << kWeightShift) + fx * upper;
        const std::int64_t bottom = (std::int64_t{p[stride]} << kWeightShift) + fx * lower;
        return (top << kWeightShift) + fy * (bottom - top);
    };
    std::int64_t x = x0;
    std::int64_t y = y0;
    if (lines == 1) {
        for (int k = 0; k < count; ++k, x += stepX, y += stepY) {
            std::int64_t squared = 0;
            values[k] = static_cast<double>(bilinear(x, y, squared)) * scale;
            mixed[k] = static_cast<double>(squared);
        }
        return;
    }
    for (int k = 0; k < count; ++k, x += stepX, y += stepY) {
        std::int64_t sum = 0;
        std::int64_t squared = 0;
        std::int64_t lx = x;
        std::int64_t ly = y;
        for (int j = 0; j < lines; ++j, lx += lineX, ly += lineY) {
            sum += bilinear(lx, ly, squared);
        }
        values[k] = static_cast<double>(sum) * scale;
        mixed[k] = static_cast<double>(squared) * inverseLines;
    }
}

// Samples the profile: values[k] is the mean over the lines at offsets `across`, mixed[k] the
// mean of the squared mixed differences of their four pixels (the noise probe of EstimateNoise).
// With `safe` every point is known to be inside with both taps (no checks, no clamping).
// Otherwise each point is checked: outside[k] = 1 when any of its lines is outside, and values[k]
// is the mean of the lines inside (NaN when none is). Answers how many samples are partly and
// wholly outside.
struct OutsideCount {
    int partly = 0;  // at least one line outside
    int wholly = 0;  // every line outside
};

template <class Pixel, class Geometry>
OutsideCount SampleProfile(const PixelGrid<Pixel>& grid, const Geometry& geometry, int count,
                           const std::vector<double>& across, bool safe, double* values,
                           double* mixed, std::uint8_t* outside) {
    const int lines = static_cast<int>(across.size());
    if constexpr (std::is_same_v<Geometry, LineGeometry>) {
        if (safe) {
            std::fill(outside, outside + count, 0);
            SampleLineFixed(grid, geometry, count, across, values, mixed);
            return {};
        }
    }
    // Every other region point by point, each checked (an arc's points cost their sine and
    // cosine anyway).
    OutsideCount outsideCount;
    for (int k = 0; k < count; ++k) {
        const Frame f = geometry.FrameAt(k);
        double sum = 0.0;
        double squared = 0.0;
        int inside = 0;
        for (int j = 0; j < lines; ++j) {
            const double x = f.x + across[j] * f.nx;
            const double y = f.y + across[j] * f.ny;
            if (grid.Inside(x, y)) {
                double difference = 0.0;
                sum += InterpolateClamped(grid, x, y, difference);
                squared += difference * difference;
                ++inside;
            }
        }
        values[k] = inside > 0 ? sum / inside : std::nan("");
        mixed[k] = inside > 0 ? squared / inside : 0.0;
        outside[k] = inside < lines ? 1 : 0;
        outsideCount.partly += outside[k];
        outsideCount.wholly += inside == 0 ? 1 : 0;
    }
    return outsideCount;
}

// A pixel read by the sampler: where its centre lies along the axis (in samples, measured along
// the tangent from the sample that reads it), its weight in that sample's value, and the half
// widths of its square projected onto the tangent (the square's sides project to |tx| and |ty|
// pixels; wide >= narrow, in samples): a pixel's value is the mean of the scene over it.
struct Tap {
    double along;
    double weight;
    double wide;
    double narrow;
};

// The 4 x lines taps of each sample first .. last, in sample order: the profile's sample k is
// exactly sum of weight x pixel over its taps, so a model of the grey values along the axis,
// evaluated at `along`, predicts the profile as the sampler sees it. A caliper of more than
// kTapLines lines is followed on kTapLines of them, spread evenly over its width: across a
// straight edge every line sees the same profile.
constexpr std::size_t kTapLines = 32;

template <class Geometry>
void CollectTaps(const Geometry& geometry, int width, int height, const std::vector<double>& across,
                 int first, int last, std::vector<Tap>& taps) {
    taps.clear();
    const std::size_t lines = std::min(across.size(), kTapLines);
    const double share = 1.0 / static_cast<double>(lines);
    for (int k = first; k <= last; ++k) {
        const Frame f = geometry.FrameAt(k);
        for (std::size_t l = 0; l < lines; ++l) {
            const double t = across[l * across.size() / lines];
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
                    const double dx = xs[a] + kPixelCentre - x;
                    const double dy = ys[b] + kPixelCentre - y;
                    taps.push_back(
                        {k + (dx * f.tx + dy * f.ty) * scale, wx[a] * wy[b] * share, wide, narrow});
                }
            }
        }
    }
}

// Pixel noise from the pixels under the caliper: the mean over the samples k with
// excluded[k] == 0 (near edges the probe answers the edge's curvature) of mixed[k], the squared
// mixed differences of the sampler's 2 x 2 pixels, each 4 s^2 on average for white noise of s.
// Grey values are whole numbers: their rounding alone adds 1/12 of a grey level squared, which a
// flat stretch of equal values does not show, so the answer is never below that. NaN when fewer
// than fewestProbes samples (at least one) are left.
constexpr double kMixedNoiseVariance = 4.0;
constexpr double kRoundingNoise = 0.28867513459481288225;  // sqrt(1 / 12)

inline double EstimateNoise(const double* mixed, const std::uint8_t* excluded, int count,
                            int fewestProbes) {
    double sum = 0.0;
    int probes = 0;
    for (int k = 0; k < count; ++k) {
        const bool kept = excluded[k] == 0;
        sum += kept ? mixed[k] : 0.0;
        probes += kept ? 1 : 0;
    }
    if (probes < std::max(fewestProbes, 1)) {
        return std::nan("");
    }
    return std::max(std::sqrt(sum / (probes * kMixedNoiseVariance)), kRoundingNoise);
}

// Lines that NoiseGain follows at most: the central ones. Lines further apart than two pixels
// share no pixel, so the gain of the mean of all lines is that of these, scaled by their share.
constexpr int kGainLines = 4;
// Largest pixel box NoiseGain adds up exactly (8 MiB of scratch).
constexpr std::size_t kMaxGainCells = std::size_t{1} << 20;
// Sum of the squared bilinear weights of a point, averaged over its position in the pixel:
// (E[(1 - f)^2 + f^2])^2 = (2/3)^2 for f uniform in [0, 1).
constexpr double kMeanSquaredBilinearWeight = 4.0 / 9.0;

// Sum over pixels of the squared weight with which sum_j coefficients[j] * profile[first + j]
// depends on each pixel (samples first .. first + n - 1, all inside the image). `grid` is
// scratch.
template <class Geometry>
double NoiseGain(const Geometry& geometry, int width, int height, const std::vector<double>& across,
                 int first, const double* coefficients, int n, std::vector<double>& grid) {
    const int lines = static_cast<int>(across.size());
    const int used = std::min(lines, kGainLines);
    const int firstLine = (lines - used) / 2;
    const double lowT = across[static_cast<std::size_t>(firstLine)];
    const double highT = across[static_cast<std::size_t>(firstLine + used - 1)];
    // The pixel box of the taps: the extreme lines' points of every sample, one pixel wider.
    double minX = width, minY = height, maxX = 0.0, maxY = 0.0;
    for (int j = 0; j < n; ++j) {
        const Frame f = geometry.FrameAt(first + j);
        for (const double t : {lowT, highT}) {
            minX = std::min(minX, f.x + t * f.nx);
            maxX = std::max(maxX, f.x + t * f.nx);
            minY = std::min(minY, f.y + t * f.ny);
            maxY = std::max(maxY, f.y + t * f.ny);
        }
    }
    const int x0 = ClampedTaps(minX, width).i0;
    const int y0 = ClampedTaps(minY, height).i0;
    const std::size_t boxWidth = static_cast<std::size_t>(ClampedTaps(maxX, width).i1 - x0 + 1);
    const std::size_t boxCells =
        boxWidth * static_cast<std::size_t>(ClampedTaps(maxY, height).i1 - y0 + 1);
    if (boxCells > kMaxGainCells) {
        // A filter hundreds of pixels long: the lines' samples seldom share pixels, so each
        // counts with the mean squared bilinear weight.
        double sum = 0.0;
        for (int j = 0; j < n; ++j) {
            sum += coefficients[j] * coefficients[j];
        }
        return sum * kMeanSquaredBilinearWeight / lines;
    }
    grid.assign(boxCells, 0.0);
    const double share = 1.0 / used;
    for (int j = 0; j < n; ++j) {
        const Frame f = geometry.FrameAt(first + j);
        const double c = coefficients[j] * share;
        for (int l = firstLine; l < firstLine + used; ++l) {
            const double t = across[static_cast<std::size_t>(l)];
            const Taps tx = ClampedTaps(f.x + t * f.nx, width);
            const Taps ty = ClampedTaps(f.y + t * f.ny, height);
            double* row0 = grid.data() + static_cast<std::size_t>(ty.i0 - y0) * boxWidth - x0;
            double* row1 = grid.data() + static_cast<std::size_t>(ty.i1 - y0) * boxWidth - x0;
            const double top = c * (1.0 - ty.w1);
            const double bottom = c * ty.w1;
            row0[tx.i0] += top * (1.0 - tx.w1);
            row0[tx.i1] += top * tx.w1;
            row1[tx.i0] += bottom * (1.0 - tx.w1);
            row1[tx.i1] += bottom * tx.w1;
        }
    }
    double gain = 0.0;
    for (const double w : grid) {
        gain += w * w;
    }
    return gain * used / lines;
}

}  // namespace caliper
