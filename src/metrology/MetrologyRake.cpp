#include "metrology/MetrologyRake.h"

#include <algorithm>
#include <cmath>

#include "metrology/MetrologyFit.h"

namespace metrology {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFullTurn = 2.0 * kPi;
// A sweep within this of a full turn is one (2 pi written as a double).
constexpr double kTurnTolerance = 1e-9;
// A width within this of a whole number of lines counts as that number, as the caliper counts.
constexpr double kLineTolerance = 1e-9;
// The bilinear weights of a sample reach one pixel to either side; the overlap of two of them (a
// cubic B-spline) reaches two.
constexpr double kInterpolationReach = 2.0;
// The interpolation's variance across a line, f (1 - f) for a fraction f, averaged over f; and
// that of the pixel's own area.
constexpr double kBilinearVariance = 1.0 / 6.0;
constexpr double kPixelAreaVariance = 1.0 / 12.0;
// Correlations below this are left out; a caliper is paired with at most this many neighbours on
// either side (rakes denser than that are beyond the approximation anyway).
constexpr double kNegligibleCorrelation = 0.01;
constexpr int kMaxNeighbours = 64;

bool Finite(double v) {
    return std::isfinite(v);
}

bool PositiveFinite(double v) {
    return v > 0.0 && std::isfinite(v);
}

bool ValidCount(int n) {
    return n >= 1 && n <= kMaxCalipers;
}

bool ValidCircle(const OFindCircleSettings& s) {
    return Finite(s.centerX) && Finite(s.centerY) && PositiveFinite(s.radius) &&
           Finite(s.startAngle) && Finite(s.sweep) && s.sweep != 0.0 &&
           std::fabs(s.sweep) <= kFullTurn + kTurnTolerance && ValidCount(s.calipers) &&
           PositiveFinite(s.caliperLength) && PositiveFinite(s.caliperWidth) &&
           ValidCircleFitSettings(s.fit);
}

bool FullTurn(double sweep) {
    return std::fabs(sweep) >= kFullTurn - kTurnTolerance;
}

// The angle between neighbouring calipers of a circle rake, and that of the first.
void CircleAngles(const OFindCircleSettings& s, double& first, double& step) {
    const int n = s.calipers;
    step = FullTurn(s.sweep) ? s.sweep / n : n > 1 ? s.sweep / (n - 1) : 0.0;
    first = (!FullTurn(s.sweep) && n == 1) ? s.startAngle + 0.5 * s.sweep : s.startAngle;
}

bool ValidLine(const OFindLineSettings& s) {
    return Finite(s.startX) && Finite(s.startY) && Finite(s.endX) && Finite(s.endY) &&
           PositiveFinite(std::hypot(s.endX - s.startX, s.endY - s.startY)) &&
           ValidCount(s.calipers) && PositiveFinite(s.caliperLength) &&
           PositiveFinite(s.caliperWidth) && ValidLineFitSettings(s.fit);
}

bool ValidWidth(const OMeasureWidthSettings& s) {
    return Finite(s.startX) && Finite(s.startY) && Finite(s.endX) && Finite(s.endY) &&
           PositiveFinite(std::hypot(s.endX - s.startX, s.endY - s.startY)) &&
           PositiveFinite(s.caliperWidth) && ValidCount(s.calipers) &&
           (s.calipers == 1 || PositiveFinite(s.spacing)) && Finite(s.clipFactor) &&
           s.clipFactor >= 0.0;
}

// The offsets across the axis of a caliper's lines, as the caliper spreads them.
std::vector<double> LineOffsets(double width) {
    const int n = static_cast<int>(std::max(1.0, std::ceil(width - kLineTolerance)));
    std::vector<double> offsets(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        offsets[static_cast<std::size_t>(j)] = -0.5 * width + (j + 0.5) * width / n;
    }
    return offsets;
}

// The overlap of two bilinear weight functions u apart: the cubic B-spline.
double Overlap(double u) {
    const double a = std::fabs(u);
    if (a <= 1.0) {
        return 2.0 / 3.0 - a * a + 0.5 * a * a * a;
    }
    return a < kInterpolationReach ? (2.0 - a) * (2.0 - a) * (2.0 - a) / 6.0 : 0.0;
}

// Sum over the pairs of lines of the overlap of their weights, the second set shifted.
double FootprintOverlap(const std::vector<double>& offsets, double shift) {
    const double spacing = offsets.size() > 1 ? offsets[1] - offsets[0] : 1.0;
    const auto n = static_cast<long>(offsets.size());
    double sum = 0.0;
    for (long l = 0; l < n; ++l) {
        // Only lines m with |a_l - a_m - shift| < 2 overlap: m within 2 / spacing of l - shift.
        const double centre = l - shift / spacing;
        const double reach = kInterpolationReach / spacing;
        const long from = std::max(0L, static_cast<long>(std::floor(centre - reach)));
        const long to = std::min(n - 1, static_cast<long>(std::ceil(centre + reach)));
        for (long m = from; m <= to; ++m) {
            sum += Overlap(offsets[static_cast<std::size_t>(l)] -
                           offsets[static_cast<std::size_t>(m)] - shift);
        }
    }
    return sum;
}

// Correlations of calipers i and i + k (k = 1 .. ), `distance(k)` apart, for `count` calipers,
// wrapping round when `wrap`.
template <class Distance>
std::vector<Correlation> NeighbourCorrelations(int count, double width, bool wrap,
                                               Distance distance) {
    std::vector<Correlation> result;
    const auto n = static_cast<std::size_t>(count);
    for (int k = 1; k <= kMaxNeighbours && k <= (wrap ? count / 2 : count - 1); ++k) {
        const double rho = FootprintCorrelation(width, distance(k));
        if (rho < kNegligibleCorrelation) {
            break;
        }
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t j = i + static_cast<std::size_t>(k);
            if (j >= n) {
                if (!wrap) {
                    break;
                }
                j -= n;
            }
            // Half-way round an even circle each pair would appear twice.
            if (wrap && 2 * k == count && i >= n / 2) {
                break;
            }
            result.push_back({i, j, rho});
        }
    }
    return result;
}

}  // namespace

std::vector<OCaliperLine> CircleRake(const OFindCircleSettings& s) {
    if (!ValidCircle(s)) {
        return {};
    }
    double first = 0.0;
    double step = 0.0;
    CircleAngles(s, first, step);
    const double inner = s.radius - 0.5 * s.caliperLength;
    const double outer = s.radius + 0.5 * s.caliperLength;
    const bool outwards = s.search == OCircleSearch::Outwards;
    std::vector<OCaliperLine> rake;
    rake.reserve(static_cast<std::size_t>(s.calipers));
    for (int k = 0; k < s.calipers; ++k) {
        const double angle = first + k * step;
        const double c = std::cos(angle);
        const double si = std::sin(angle);
        const double from = outwards ? inner : outer;
        const double to = outwards ? outer : inner;
        rake.push_back({s.centerX + from * c, s.centerY + from * si, s.centerX + to * c,
                        s.centerY + to * si, s.caliperWidth});
    }
    return rake;
}

std::vector<OCaliperLine> LineRake(const OFindLineSettings& s) {
    if (!ValidLine(s)) {
        return {};
    }
    const double dx = s.endX - s.startX;
    const double dy = s.endY - s.startY;
    const double length = std::hypot(dx, dy);
    // Across the segment towards its right-hand side on screen, or the reverse.
    const double sign = s.search == OLineSearch::LeftToRight ? 1.0 : -1.0;
    const double nx = -dy / length * sign;
    const double ny = dx / length * sign;
    const double half = 0.5 * s.caliperLength;
    std::vector<OCaliperLine> rake;
    rake.reserve(static_cast<std::size_t>(s.calipers));
    for (int k = 0; k < s.calipers; ++k) {
        const double t = s.calipers > 1 ? static_cast<double>(k) / (s.calipers - 1) : 0.5;
        const double cx = s.startX + t * dx;
        const double cy = s.startY + t * dy;
        rake.push_back(
            {cx - half * nx, cy - half * ny, cx + half * nx, cy + half * ny, s.caliperWidth});
    }
    return rake;
}

std::vector<OCaliperLine> WidthRake(const OMeasureWidthSettings& s) {
    if (!ValidWidth(s)) {
        return {};
    }
    const double dx = s.endX - s.startX;
    const double dy = s.endY - s.startY;
    const double length = std::hypot(dx, dy);
    const double nx = -dy / length;
    const double ny = dx / length;
    std::vector<OCaliperLine> rake;
    rake.reserve(static_cast<std::size_t>(s.calipers));
    for (int k = 0; k < s.calipers; ++k) {
        const double offset = (k - 0.5 * (s.calipers - 1)) * (s.calipers > 1 ? s.spacing : 0.0);
        rake.push_back({s.startX + offset * nx, s.startY + offset * ny, s.endX + offset * nx,
                        s.endY + offset * ny, s.caliperWidth});
    }
    return rake;
}

double FootprintCorrelation(double width, double shift) {
    const std::vector<double> offsets = LineOffsets(width);
    const double own = FootprintOverlap(offsets, 0.0);
    return own > 0.0 ? FootprintOverlap(offsets, shift) / own : 0.0;
}

std::vector<Correlation> CircleRakeCorrelations(const OFindCircleSettings& s) {
    if (!ValidCircle(s)) {
        return {};
    }
    double first = 0.0;
    double step = 0.0;
    CircleAngles(s, first, step);
    // Neighbours k steps apart cross the circle a chord of 2 r sin(k step / 2) apart.
    return NeighbourCorrelations(s.calipers, s.caliperWidth, FullTurn(s.sweep), [&](int k) {
        return 2.0 * s.radius * std::fabs(std::sin(0.5 * k * step));
    });
}

std::vector<Correlation> LineRakeCorrelations(const OFindLineSettings& s) {
    if (!ValidLine(s) || s.calipers < 2) {
        return {};
    }
    const double spacing = std::hypot(s.endX - s.startX, s.endY - s.startY) / (s.calipers - 1);
    return NeighbourCorrelations(s.calipers, s.caliperWidth, false,
                                 [spacing](int k) { return k * spacing; });
}

std::vector<Correlation> WidthRakeCorrelations(const OMeasureWidthSettings& s) {
    if (!ValidWidth(s) || s.calipers < 2) {
        return {};
    }
    return NeighbourCorrelations(s.calipers, s.caliperWidth, false,
                                 [&s](int k) { return k * s.spacing; });
}

double CaliperTangentialVariance(double width, const std::vector<double>& blurs) {
    const std::vector<double> offsets = LineOffsets(width);
    double lines = 0.0;
    for (const double a : offsets) {
        lines += a * a;  // the offsets are centred
    }
    lines /= static_cast<double>(offsets.size());
    std::vector<double> known;
    for (const double b : blurs) {
        if (b > 0.0 && std::isfinite(b)) {
            known.push_back(b);
        }
    }
    if (known.empty()) {
        return lines + kBilinearVariance + kPixelAreaVariance;
    }
    std::nth_element(known.begin(), known.begin() + static_cast<std::ptrdiff_t>(known.size() / 2),
                     known.end());
    const double blur = known[known.size() / 2];
    return lines + blur * blur;
}

double RakeTiltCosine(const std::vector<OMetrologyPairCaliper>& calipers) {
    double sx = 0.0;
    double sy = 0.0;
    int n = 0;
    for (const OMetrologyPairCaliper& c : calipers) {
        if (c.Found()) {
            sx += c.pair.centerX;
            sy += c.pair.centerY;
            ++n;
        }
    }
    if (n < 2) {
        return 1.0;
    }
    const double mx = sx / n;
    const double my = sy / n;
    double xx = 0.0;
    double yy = 0.0;
    double xy = 0.0;
    for (const OMetrologyPairCaliper& c : calipers) {
        if (c.Found()) {
            xx += (c.pair.centerX - mx) * (c.pair.centerX - mx);
            yy += (c.pair.centerY - my) * (c.pair.centerY - my);
            xy += (c.pair.centerX - mx) * (c.pair.centerY - my);
        }
    }
    if (xx == 0.0 && yy == 0.0) {
        return 1.0;
    }
    const double along = 0.5 * std::atan2(2.0 * xy, xx - yy);  // the bar's direction
    const OCaliperLine& axis = calipers.front().region;
    const double ax = axis.endX - axis.startX;
    const double ay = axis.endY - axis.startY;
    const double length = std::hypot(ax, ay);
    // |axis x bar direction| = cos of the angle between the axis and the bar's normal.
    return std::fabs(ax * std::sin(along) - ay * std::cos(along)) / length;
}

}  // namespace metrology
