// The width of a rake of pair calipers: the uncertainty-weighted mean of the pairs' widths, with
// the residual check against the others and the covariance of MetrologyStatistics.h.

#include <algorithm>
#include <cmath>

#include "metrology/MetrologyFit.h"
#include "metrology/MetrologyStatistics.h"

namespace metrology {

namespace {

constexpr int kMeanParameters = 1;

double WeightedMean(const std::vector<double>& values, const std::vector<double>& weights) {
    double sw = 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        sw += weights[i];
        sum += weights[i] * values[i];
    }
    return sum / sw;
}

}  // namespace

MeanFit FitMean(const std::vector<double>& values, const std::vector<double>& sigmas,
                const std::vector<Correlation>& correlations, double clipFactor) {
    MeanFit fit;
    if (values.empty()) {
        fit.status = OMetrologyStatus::TooFewEdges;
        return fit;
    }
    const Sigmas usable = UsableSigmas(sigmas);
    fit.kept.assign(values.size(), 1);
    const std::size_t minKept = (values.size() + 1) / 2;
    std::vector<double> residuals(values.size());
    const auto refit = [&values, &fit](const std::vector<double>& weights,
                                       std::vector<double>& out) {
        fit.mean = WeightedMean(values, weights);
        for (std::size_t i = 0; i < values.size(); ++i) {
            out[i] = values[i] - fit.mean;
        }
        return std::isfinite(fit.mean);
    };
    if (!RobustRefit(usable, clipFactor, minKept, fit.kept, residuals, refit)) {
        return fit;
    }
    const std::vector<double> rows(values.size(), -1.0);
    double covariance[3][3] = {};
    if (!Covariance(kMeanParameters, rows, usable, fit.kept, correlations, residuals, covariance)) {
        return fit;
    }
    const std::size_t m = KeptCount(fit.kept);
    fit.sigma = std::sqrt(covariance[0][0]);
    fit.spread = m > 1 ? KeptRms(residuals, fit.kept) * std::sqrt(m / (m - 1.0)) : 0.0;
    fit.status = OMetrologyStatus::Ok;
    return fit;
}

}  // namespace metrology
