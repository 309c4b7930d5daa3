// The circle of the metrology tools: OCircleFit_OutlierFilter on the edge points, then a
// geometric refit weighted by the edges' uncertainties, the residual check, the correction for the
// edges' smoothing along the circle, and the covariance (MetrologyStatistics.h).

#include <algorithm>
#include <cmath>

#include "circlefit/OCircleFit_OutlierFilter.h"
#include "foundation/OFastArrayList.h"
#include "foundation/OVector_Array.h"
#include "metrology/MetrologyFit.h"
#include "metrology/MetrologyStatistics.h"

namespace metrology {

namespace {

constexpr int kCircleParameters = 3;
constexpr std::size_t kMinCirclePoints = 3;
// The plain procedure of the circle fit: every filter pass that removes points is followed by a
// refit. (The checked one would refuse centres beyond 10,000 px from the origin, which the working
// frame below makes moot, and compute quality figures the tools do not use.)
constexpr int kPlainFitMode = 0;
constexpr int kFilterBand = 1;
constexpr int kNoFilter = 0;
// The guess's sigma is the value the first fit must beat: any fit does.
constexpr double kUnbeatenSigma = 1e10;
// Gauss-Newton steps of the weighted refit, and the relative step at which it has converged.
constexpr int kMaxRefineSteps = 50;
constexpr double kConverged = 1e-10;
constexpr int kMaxHalvings = 30;

struct Circle {
    double cx;
    double cy;
    double r;
};

// The algebraic circle x^2 + y^2 + D x + E y + F = 0 through the points by linear least squares
// (exact for points on a circle), in coordinates about their centroid, where the sums stay well
// conditioned: the first guess. False for collinear or coincident points.
bool AlgebraicCircle(const std::vector<FitPoint>& points, Circle& circle) {
    double mx = 0.0;
    double my = 0.0;
    for (const FitPoint& p : points) {
        mx += p.x;
        my += p.y;
    }
    mx /= static_cast<double>(points.size());
    my /= static_cast<double>(points.size());
    double a[3][3] = {};
    double b[3] = {};
    for (const FitPoint& p : points) {
        const double x = p.x - mx;
        const double y = p.y - my;
        const double row[3] = {x, y, 1.0};
        const double z = -(x * x + y * y);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                a[i][j] += row[i] * row[j];
            }
            b[i] += row[i] * z;
        }
    }
    double inverse[3][3] = {};
    if (!InvertSymmetric(3, a, inverse)) {
        return false;
    }
    double s[3] = {};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            s[i] += inverse[i][j] * b[j];
        }
    }
    const double cx = -0.5 * s[0];
    const double cy = -0.5 * s[1];
    const double r2 = cx * cx + cy * cy - s[2];
    circle = {cx + mx, cy + my, std::sqrt(r2)};
    return r2 > 0.0 && std::isfinite(circle.r) && std::isfinite(circle.cx) &&
           std::isfinite(circle.cy);
}

bool FilteredFit(const std::vector<FitPoint>& points, const OCircleFitSettings& settings,
                 Circle& circle, std::vector<std::uint8_t>& kept) {
    const auto n = static_cast<std::int64_t>(points.size());
    OFastArrayList<double> xs(n);
    OFastArrayList<double> ys(n);
    for (const FitPoint& p : points) {
        xs.Add(p.x);
        ys.Add(p.y);
    }
    OCircleFit_Circle fit(circle.cx, circle.cy, circle.r, kUnbeatenSigma, 0);
    OVector_Array inliers;
    int inlierCount = 0;
    int outlierCount = 0;
    bool found[3] = {};
    double figures[17] = {};
    const bool noFigures = false;
    if (!OCircleFit_OutlierFilter::bComputeCircleFit(
            kPlainFitMode, xs, ys, noFigures, noFigures, noFigures, noFigures, noFigures,
            settings.filter ? kFilterBand : kNoFilter, settings.filterPasses, settings.sigmaFactor,
            fit, &inliers, nullptr, inlierCount, outlierCount, found[0], figures[0], figures[1],
            figures[2], figures[3], figures[4], found[1], figures[5], figures[6], figures[7],
            figures[8], figures[9], found[2], figures[10], figures[11], figures[12], figures[13],
            figures[14], figures[15], figures[16], {})) {
        return false;
    }
    circle = {fit.m_dCenterX, fit.m_dCenterY, fit.m_dRadius};
    KeptFromInliers(points, inliers, kept);
    return std::isfinite(circle.cx) && std::isfinite(circle.cy) && std::isfinite(circle.r) &&
           KeptCount(kept) >= kMinCirclePoints;
}

// Distances from the centre by sqrt rather than hypot: in the working frame coordinates are of the
// order of the radius, far from overflow, and hypot's care costs a third of the fit.
double Distance(const FitPoint& p, const Circle& c) {
    const double dx = p.x - c.cx;
    const double dy = p.y - c.cy;
    return std::sqrt(dx * dx + dy * dy);
}

void Residuals(const std::vector<FitPoint>& points, const Circle& c, std::vector<double>& out) {
    out.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        out[i] = Distance(points[i], c) - c.r;
    }
}

// The Jacobian rows of the residuals d_i - r by (cx, cy, r).
void Jacobian(const std::vector<FitPoint>& points, const Circle& c, std::vector<double>& rows) {
    rows.assign(points.size() * kCircleParameters, 0.0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double d = Distance(points[i], c);
        double* row = &rows[i * kCircleParameters];
        row[0] = d > 0.0 ? -(points[i].x - c.cx) / d : 0.0;
        row[1] = d > 0.0 ? -(points[i].y - c.cy) / d : 0.0;
        row[2] = -1.0;
    }
}

double WeightedCost(const std::vector<FitPoint>& points, const std::vector<double>& weights,
                    const Circle& c) {
    double cost = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (weights[i] > 0.0) {
            const double r = Distance(points[i], c) - c.r;
            cost += weights[i] * r * r;
        }
    }
    return cost;
}

// The Gauss-Newton step from `c` for sum w_i (d_i - r)^2: the normal equations of the residuals'
// linearisation, solved. False when they are singular.
bool GaussNewtonStep(const std::vector<FitPoint>& points, const std::vector<double>& weights,
                     const Circle& c, double delta[3]) {
    double a[3][3] = {};
    double g[3] = {};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double w = weights[i];
        if (!(w > 0.0)) {
            continue;
        }
        const double d = Distance(points[i], c);
        const double row[3] = {d > 0.0 ? -(points[i].x - c.cx) / d : 0.0,
                               d > 0.0 ? -(points[i].y - c.cy) / d : 0.0, -1.0};
        const double residual = d - c.r;
        for (int r = 0; r < kCircleParameters; ++r) {
            for (int k = 0; k < kCircleParameters; ++k) {
                a[r][k] += w * row[r] * row[k];
            }
            g[r] += w * row[r] * residual;
        }
    }
    double inverse[3][3] = {};
    if (!InvertSymmetric(kCircleParameters, a, inverse)) {
        return false;
    }
    for (int r = 0; r < kCircleParameters; ++r) {
        delta[r] = 0.0;
        for (int k = 0; k < kCircleParameters; ++k) {
            delta[r] -= inverse[r][k] * g[k];
        }
    }
    return true;
}

// Gauss-Newton on sum w_i (d_i - r)^2 from `circle`, each step halved until it lowers the sum.
bool Refine(const std::vector<FitPoint>& points, const std::vector<double>& weights,
            Circle& circle) {
    double cost = WeightedCost(points, weights, circle);
    for (int step = 0; step < kMaxRefineSteps; ++step) {
        double delta[3] = {};
        if (!GaussNewtonStep(points, weights, circle, delta)) {
            return false;
        }
        Circle next = circle;
        double nextCost = cost;
        for (int halving = 0; halving < kMaxHalvings; ++halving) {
            next = {circle.cx + delta[0], circle.cy + delta[1], circle.r + delta[2]};
            nextCost = WeightedCost(points, weights, next);
            if (next.r > 0.0 && nextCost <= cost) {
                break;
            }
            for (double& d : delta) {
                d *= 0.5;
            }
        }
        if (!(nextCost <= cost) || !(next.r > 0.0) || !std::isfinite(next.cx) ||
            !std::isfinite(next.cy) || !std::isfinite(next.r)) {
            return std::isfinite(cost);  // no step lowers the sum: the circle stands
        }
        circle = next;
        cost = nextCost;
        if (std::fabs(delta[0]) + std::fabs(delta[1]) + std::fabs(delta[2]) <=
            kConverged * (1.0 + circle.r)) {
            return true;
        }
    }
    return true;  // the last steps were rounding-level: the circle stands
}

}  // namespace

bool ValidCircleFitSettings(const OCircleFitSettings& s) {
    return s.filterPasses >= 0 && std::isfinite(s.sigmaFactor) && s.sigmaFactor > 0.0 &&
           std::isfinite(s.clipFactor) && s.clipFactor >= 0.0;
}

CircleFit FitCircle(const std::vector<FitPoint>& points,
                    const std::vector<Correlation>& correlations,
                    const OCircleFitSettings& settings, double tangentialVariance,
                    const CircleGuess& expected) {
    CircleFit fit;
    if (points.size() < kMinCirclePoints) {
        fit.status = OMetrologyStatus::TooFewEdges;
        return fit;
    }
    // The first guess: the expected circle, else the algebraic circle through the edges (which
    // outliers pull, but which the fit then leaves).
    Circle guess{expected.cx, expected.cy, expected.r};
    if (!expected.known && !AlgebraicCircle(points, guess)) {
        return fit;
    }
    // A working frame with the guess's centre at (r, 0): coordinates stay of the order of the
    // radius wherever the circle lies, and the fit's centre keeps clear of the origin, where its
    // parametrisation degenerates.
    const double ox = guess.cx - guess.r;
    const double oy = guess.cy;
    std::vector<FitPoint> local = points;
    for (FitPoint& p : local) {
        p.x -= ox;
        p.y -= oy;
    }
    Circle circle{guess.r, 0.0, guess.r};
    if (!FilteredFit(local, settings, circle, fit.kept)) {
        return fit;
    }
    std::vector<double> raw;
    for (const FitPoint& p : points) {
        raw.push_back(p.sigma);
    }
    const Sigmas sigmas = UsableSigmas(raw);
    const std::size_t minKept = std::max(kMinCirclePoints, (KeptCount(fit.kept) + 1) / 2);
    const double clip = settings.filter ? settings.clipFactor : 0.0;
    const auto refit = [&local, &circle](const std::vector<double>& weights,
                                         std::vector<double>& residuals) {
        const bool ok = Refine(local, weights, circle);
        Residuals(local, circle, residuals);
        return ok;
    };
    if (!RobustRefit(sigmas, clip, minKept, fit.kept, fit.residuals, refit)) {
        return fit;
    }
    std::vector<double> rows;
    Jacobian(local, circle, rows);
    if (!Covariance(kCircleParameters, rows, sigmas, fit.kept, correlations, fit.residuals,
                    fit.covariance)) {
        return fit;
    }
    // Edges smoothed along the circle lie var / (2 R) inside it: the fitted radius r is
    // R - var / (2 R), solved for R. The residuals stay those of the edges against the circle
    // they define.
    if (tangentialVariance > 0.0) {
        circle.r = 0.5 * (circle.r + std::sqrt(circle.r * circle.r + 2.0 * tangentialVariance));
    }
    fit.cx = circle.cx + ox;
    fit.cy = circle.cy + oy;
    fit.r = circle.r;
    if (expected.known &&
        (std::hypot(fit.cx - expected.cx, fit.cy - expected.cy) > expected.reach ||
         std::fabs(fit.r - expected.r) > expected.reach)) {
        fit.detail = "the circle through the edges lies beyond the calipers' reach";
        return fit;
    }
    fit.rms = KeptRms(fit.residuals, fit.kept);
    fit.status = OMetrologyStatus::Ok;
    return fit;
}

}  // namespace metrology
