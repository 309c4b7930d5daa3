// The line of the metrology tools: OVector_Regression with the chosen outlier filter on the edge
// points, then on the points it kept a geometric line weighted by the edges' uncertainties (or
// the regression's own line), the residual check, and the covariance (MetrologyStatistics.h).

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "foundation/OVector_Array.h"
#include "metrology/MetrologyFit.h"
#include "metrology/MetrologyStatistics.h"
#include "regression/OVector_Regression.h"

namespace metrology {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLineParameters = 2;  // angle, offset
constexpr std::size_t kMinLinePoints = 2;
// The regression along the axis of larger spread, without its quality figures.
constexpr int kRegressionMode = 2;
constexpr int kNoFilter = 0;
constexpr int kMaxSearchLevel = 8;
// The working frame puts the lowest coordinates this far inside the regression's domain, which
// ends a pixel left of and above the origin.
constexpr double kFrameMargin = 1.0;
// DETSAC squares whole-pixel differences in 32 bits: points must lie closer than this.
constexpr double kMaxFilterExtent = 23000.0;
// The exact integer sums hold for point count x largest coordinate (pixels) up to about this.
constexpr double kMaxPointPixels = 1.1e7;

int FilterType(OLineFilter filter) {
    switch (filter) {
        case OLineFilter::StdDev:
            return OVector_Regression::kFilterStdDev;
        case OLineFilter::DETSAC:
            return OVector_Regression::kFilterDETSAC;
        case OLineFilter::DETSACFixed:
            return OVector_Regression::kFilterDETSAC_FPGA;
        case OLineFilter::None:
            break;
    }
    return kNoFilter;
}

struct Line {
    double cx;  // a point of the line
    double cy;
    double angle;  // direction, radians
};

// The regression with its filter; on success `line` is its own line and `kept` its inliers.
bool FilteredFit(const std::vector<FitPoint>& points, const OLineFitSettings& s, Line& line,
                 std::vector<std::uint8_t>& kept) {
    OVector_Array list;
    for (const FitPoint& p : points) {
        list.Add(std::make_shared<OVector>(p.x, p.y));
    }
    double angle = 0.0;
    OVector centre;
    int inliers = 0;
    int outliers = 0;
    bool found = false;
    std::int64_t distance = 0;
    std::int64_t farthestX = 0;
    std::int64_t farthestY = 0;
    double footX = 0.0;
    double footY = 0.0;
    double sigmaAll = 0.0;
    double sigmaInliers = 0.0;
    const bool noFigures = false;
    if (!OVector_Regression::bComputeRegressionLine(
            kRegressionMode, list, noFigures, noFigures, noFigures, FilterType(s.filter),
            s.filterPasses, s.sigmaFactor, s.inlierDistance, s.searchLevel, angle, centre, nullptr,
            inliers, outliers, found, distance, farthestX, farthestY, footX, footY, sigmaAll,
            sigmaInliers, nullptr)) {
        return false;
    }
    line = {centre.dX(), centre.dY(), angle};
    KeptFromInliers(points, list, kept);
    return KeptCount(kept) >= kMinLinePoints;
}

// The weighted total-least-squares line of the kept points: through their weighted centroid,
// along the principal axis of their weighted scatter.
bool GeometricLine(const std::vector<FitPoint>& points, const std::vector<double>& weights,
                   Line& line) {
    double sw = 0.0;
    double sx = 0.0;
    double sy = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (weights[i] > 0.0) {
            const double w = weights[i];
            sw += w;
            sx += w * points[i].x;
            sy += w * points[i].y;
        }
    }
    if (!(sw > 0.0)) {
        return false;
    }
    const double cx = sx / sw;
    const double cy = sy / sw;
    double xx = 0.0;
    double yy = 0.0;
    double xy = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (weights[i] > 0.0) {
            const double w = weights[i];
            const double dx = points[i].x - cx;
            const double dy = points[i].y - cy;
            xx += w * dx * dx;
            yy += w * dy * dy;
            xy += w * dx * dy;
        }
    }
    if (xx == 0.0 && yy == 0.0) {
        return false;  // all points on one spot
    }
    line = {cx, cy, 0.5 * std::atan2(2.0 * xy, xx - yy)};
    return true;
}

// Turns the direction to run from the first kept point towards the last, in (-pi, pi].
void Orient(const std::vector<FitPoint>& points, const std::vector<std::uint8_t>& kept,
            Line& line) {
    const auto first = std::find(kept.begin(), kept.end(), std::uint8_t{1}) - kept.begin();
    const auto last = kept.rend() - std::find(kept.rbegin(), kept.rend(), std::uint8_t{1}) - 1;
    const double dx =
        points[static_cast<std::size_t>(last)].x - points[static_cast<std::size_t>(first)].x;
    const double dy =
        points[static_cast<std::size_t>(last)].y - points[static_cast<std::size_t>(first)].y;
    if (dx * std::cos(line.angle) + dy * std::sin(line.angle) < 0.0) {
        line.angle += kPi;
    }
    line.angle = std::remainder(line.angle, 2.0 * kPi);
    if (line.angle <= -kPi) {
        line.angle += 2.0 * kPi;
    }
}

// Signed distances from the line, positive on its right-hand side on screen.
void Residuals(const std::vector<FitPoint>& points, const Line& line, std::vector<double>& out) {
    const double nx = -std::sin(line.angle);
    const double ny = std::cos(line.angle);
    out.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        out[i] = (points[i].x - line.cx) * nx + (points[i].y - line.cy) * ny;
    }
}

bool InsideRegressionDomain(const std::vector<FitPoint>& points, const OLineFitSettings& s,
                            const char*& detail) {
    double extent = 0.0;
    double largest = 0.0;
    const double x0 = points.front().x;
    const double y0 = points.front().y;
    double minX = x0, maxX = x0, minY = y0, maxY = y0;
    for (const FitPoint& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    extent = std::max(maxX - minX, maxY - minY);
    largest = extent + 2.0 * kFrameMargin;
    const bool detsac = s.filter == OLineFilter::DETSAC || s.filter == OLineFilter::DETSACFixed;
    if (detsac && !(extent <= kMaxFilterExtent)) {
        detail = "the edges lie too far apart for DETSAC (at most 23000 px)";
        return false;
    }
    if (!(static_cast<double>(points.size()) * largest <= kMaxPointPixels)) {
        detail = "too many edges over too long a stretch for the regression's exact sums";
        return false;
    }
    return true;
}

}  // namespace

bool ValidLineFitSettings(const OLineFitSettings& s) {
    return s.filterPasses >= 0 && std::isfinite(s.sigmaFactor) && s.sigmaFactor > 0.0 &&
           s.inlierDistance >= 0 && s.searchLevel >= 0 && s.searchLevel <= kMaxSearchLevel &&
           std::isfinite(s.clipFactor) && s.clipFactor >= 0.0;
}

LineFit FitLine(const std::vector<FitPoint>& points, const std::vector<Correlation>& correlations,
                const OLineFitSettings& settings) {
    LineFit fit;
    if (points.size() < kMinLinePoints) {
        fit.status = OMetrologyStatus::TooFewEdges;
        return fit;
    }
    if (!InsideRegressionDomain(points, settings, fit.detail)) {
        return fit;
    }
    // A working frame whose lowest coordinates lie just inside the regression's domain (which
    // takes no points left of or above the image and whose DETSAC holds whole pixels in 16 bits).
    double ox = points.front().x;
    double oy = points.front().y;
    for (const FitPoint& p : points) {
        ox = std::min(ox, p.x);
        oy = std::min(oy, p.y);
    }
    ox -= kFrameMargin;
    oy -= kFrameMargin;
    std::vector<FitPoint> local = points;
    for (FitPoint& p : local) {
        p.x -= ox;
        p.y -= oy;
    }
    Line line{};
    if (!FilteredFit(local, settings, line, fit.kept)) {
        fit.detail = "the regression's filter found no line through the edges";
        return fit;
    }
    std::vector<double> raw;
    for (const FitPoint& p : points) {
        raw.push_back(p.sigma);
    }
    const Sigmas sigmas = UsableSigmas(raw);
    const bool geometric = settings.refit == OLineRefit::Geometric;
    if (geometric) {
        const std::size_t minKept = std::max(kMinLinePoints, (KeptCount(fit.kept) + 1) / 2);
        const double clip = settings.filter != OLineFilter::None ? settings.clipFactor : 0.0;
        const auto refit = [&local, &line](const std::vector<double>& weights,
                                           std::vector<double>& residuals) {
            const bool ok = GeometricLine(local, weights, line);
            Residuals(local, line, residuals);
            return ok;
        };
        if (!RobustRefit(sigmas, clip, minKept, fit.kept, fit.residuals, refit)) {
            return fit;
        }
    }
    Orient(local, fit.kept, line);
    Residuals(local, line, fit.residuals);
    // Residual r = n . (p - c) - offset: d r / d angle = -t (t along the line), d r / d offset =
    // -1.
    const double dx = std::cos(line.angle);
    const double dy = std::sin(line.angle);
    std::vector<double> rows(points.size() * kLineParameters, 0.0);
    for (std::size_t i = 0; i < local.size(); ++i) {
        rows[i * kLineParameters] = -((local[i].x - line.cx) * dx + (local[i].y - line.cy) * dy);
        rows[i * kLineParameters + 1] = -1.0;
    }
    double covariance[3][3] = {};
    if (!Covariance(kLineParameters, rows, sigmas, fit.kept, correlations, fit.residuals,
                    covariance)) {
        return fit;
    }
    // Moved along the line to where angle and offset are uncorrelated, the offset's uncertainty
    // there is its smallest, and elsewhere it grows with the distance by the angle's.
    const double angleVariance = covariance[0][0];
    const double shift = angleVariance > 0.0 ? -covariance[0][1] / angleVariance : 0.0;
    const double offsetVariance = covariance[1][1] + covariance[0][1] * shift;
    fit.px = line.cx + shift * dx + ox;
    fit.py = line.cy + shift * dy + oy;
    fit.angle = line.angle;
    fit.angleSigma = std::sqrt(angleVariance);
    fit.offsetSigma = std::sqrt(std::max(0.0, offsetVariance));
    fit.rms = KeptRms(fit.residuals, fit.kept);
    fit.status = OMetrologyStatus::Ok;
    return fit;
}

}  // namespace metrology
