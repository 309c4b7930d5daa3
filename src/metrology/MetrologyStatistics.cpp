#include "metrology/MetrologyStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace metrology {

namespace {

constexpr int kMaxParameters = 3;
// The residual scatter is trusted over the sigmas when chi^2 / dof exceeds 1 + this many of its
// own standard deviations, sqrt(2 / dof).
constexpr double kChiSquareExcess = 3.0;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return 0.5 * (lower + upper);
}

bool Known(double sigma) {
    return std::isfinite(sigma) && sigma > 0.0;
}

}  // namespace

bool InvertSymmetric(int n, const double a[3][3], double inverse[3][3]) {
    constexpr double kSingular = 1e-14;
    double m[kMaxParameters][2 * kMaxParameters] = {};
    double scale = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            m[i][j] = a[i][j];
        }
        m[i][n + i] = 1.0;
        scale = std::max(scale, std::fabs(a[i][i]));
    }
    for (int k = 0; k < n; ++k) {
        const double pivot = m[k][k];
        if (!(pivot > kSingular * scale)) {
            return false;
        }
        for (int j = 0; j < 2 * n; ++j) {
            m[k][j] /= pivot;
        }
        for (int i = 0; i < n; ++i) {
            if (i == k) {
                continue;
            }
            const double factor = m[i][k];
            for (int j = 0; j < 2 * n; ++j) {
                m[i][j] -= factor * m[k][j];
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            inverse[i][j] = m[i][n + j];
        }
    }
    return true;
}

Sigmas UsableSigmas(const std::vector<double>& raw) {
    Sigmas s;
    std::vector<double> known;
    for (const double sigma : raw) {
        if (Known(sigma)) {
            known.push_back(sigma);
        }
    }
    s.unknownScale = known.empty();
    const double fallback = s.unknownScale ? 1.0 : Median(known);
    s.sigma.reserve(raw.size());
    for (const double sigma : raw) {
        const double value = s.unknownScale ? 1.0 : Known(sigma) ? sigma : fallback;
        s.sigma.push_back(s.unknownScale ? value : std::hypot(value, kSigmaFloor));
    }
    return s;
}

bool Covariance(int parameters, const std::vector<double>& jacobian, const Sigmas& sigmas,
                const std::vector<std::uint8_t>& kept, const std::vector<Correlation>& correlations,
                const std::vector<double>& residuals, double covariance[3][3]) {
    const int p = parameters;
    const std::size_t n = kept.size();
    const auto row = [&jacobian, p](std::size_t i) { return &jacobian[i * p]; };
    double a[3][3] = {};
    double b[3][3] = {};
    double chiSquare = 0.0;
    std::size_t m = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!kept[i]) {
            continue;
        }
        ++m;
        const double w = 1.0 / (sigmas.sigma[i] * sigmas.sigma[i]);
        chiSquare += residuals[i] * residuals[i] * w;
        const double* ji = row(i);
        for (int r = 0; r < p; ++r) {
            for (int c = 0; c < p; ++c) {
                a[r][c] += w * ji[r] * ji[c];
            }
        }
    }
    // B: the diagonal of S gives A again; each correlated pair adds its cross terms both ways.
    for (int r = 0; r < p; ++r) {
        for (int c = 0; c < p; ++c) {
            b[r][c] = a[r][c];
        }
    }
    for (const Correlation& k : correlations) {
        if (k.i >= n || k.j >= n || !kept[k.i] || !kept[k.j]) {
            continue;
        }
        const double coupling = k.rho / (sigmas.sigma[k.i] * sigmas.sigma[k.j]);
        const double* ji = row(k.i);
        const double* jj = row(k.j);
        for (int r = 0; r < p; ++r) {
            for (int c = 0; c < p; ++c) {
                b[r][c] += coupling * (ji[r] * jj[c] + jj[r] * ji[c]);
            }
        }
    }
    double inverse[3][3] = {};
    if (!InvertSymmetric(p, a, inverse)) {
        return false;
    }
    const double dof = static_cast<double>(m) - p;
    double scale = 1.0;
    if (sigmas.unknownScale) {
        scale = dof > 0.0 ? chiSquare / dof : std::numeric_limits<double>::quiet_NaN();
    } else if (dof > 0.0 && chiSquare / dof > 1.0 + kChiSquareExcess * std::sqrt(2.0 / dof)) {
        scale = chiSquare / dof;
    }
    for (int r = 0; r < kMaxParameters; ++r) {
        for (int c = 0; c < kMaxParameters; ++c) {
            double sum = 0.0;
            if (r < p && c < p) {
                for (int k = 0; k < p; ++k) {
                    for (int l = 0; l < p; ++l) {
                        sum += inverse[r][k] * b[k][l] * inverse[l][c];
                    }
                }
            }
            covariance[r][c] = sum * scale;
        }
    }
    return true;
}

double RobustSpread(const std::vector<double>& residuals, const std::vector<std::uint8_t>& kept) {
    std::vector<double> magnitudes;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            magnitudes.push_back(std::fabs(residuals[i]));
        }
    }
    return kMadToSigma * Median(magnitudes);
}

double Band(const Sigmas& sigmas, std::size_t i, double spread, double clipFactor) {
    // With unknown sigmas (all 1) only the residuals' own spread tells what is large.
    const double own = sigmas.unknownScale ? 0.0 : sigmas.sigma[i];
    return clipFactor * std::max(spread, own);
}

std::vector<double> PlainWeights(const Sigmas& sigmas, const std::vector<std::uint8_t>& kept) {
    std::vector<double> weights(kept.size(), 0.0);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            weights[i] = 1.0 / (sigmas.sigma[i] * sigmas.sigma[i]);
        }
    }
    return weights;
}

std::vector<double> BiweightWeights(const std::vector<double>& residuals, const Sigmas& sigmas,
                                    const std::vector<std::uint8_t>& kept, double clipFactor) {
    const double spread = RobustSpread(residuals, kept);
    std::vector<double> weights = PlainWeights(sigmas, kept);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const double band = Band(sigmas, i, spread, clipFactor);
        if (kept[i] && band > 0.0) {
            const double u = residuals[i] / band;
            weights[i] *= std::fabs(u) < 1.0 ? (1.0 - u * u) * (1.0 - u * u) : 0.0;
        }
    }
    return weights;
}

void KeepWithinBands(const std::vector<double>& residuals, const Sigmas& sigmas, double clipFactor,
                     std::size_t minKept, std::vector<std::uint8_t>& kept) {
    const double spread = RobustSpread(residuals, kept);
    std::vector<std::pair<double, std::size_t>> ranked;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            const double band = Band(sigmas, i, spread, clipFactor);
            ranked.push_back({band > 0.0 ? std::fabs(residuals[i]) / band : 0.0, i});
        }
    }
    std::sort(ranked.begin(), ranked.end());
    for (std::size_t k = 0; k < ranked.size(); ++k) {
        kept[ranked[k].second] = ranked[k].first <= 1.0 || k < minKept ? 1 : 0;
    }
}

void KeptFromInliers(const std::vector<FitPoint>& points, const OVector_Array& inliers,
                     std::vector<std::uint8_t>& kept) {
    kept.assign(points.size(), 0);
    int next = 0;
    for (std::size_t i = 0; i < points.size() && next < inliers.GetCount(); ++i) {
        const OVector* inlier = inliers.GetPointerAt(next);
        const OVector own(points[i].x, points[i].y);
        if (inlier != nullptr && inlier->GetRawX() == own.GetRawX() &&
            inlier->GetRawY() == own.GetRawY()) {
            kept[i] = 1;
            ++next;
        }
    }
}

double KeptRms(const std::vector<double>& residuals, const std::vector<std::uint8_t>& kept) {
    double sum = 0.0;
    std::size_t m = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]) {
            sum += residuals[i] * residuals[i];
            ++m;
        }
    }
    return m > 0 ? std::sqrt(sum / static_cast<double>(m)) : 0.0;
}

std::size_t KeptCount(const std::vector<std::uint8_t>& kept) {
    return static_cast<std::size_t>(std::count(kept.begin(), kept.end(), std::uint8_t{1}));
}

}  // namespace metrology
