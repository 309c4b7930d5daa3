// The width of a rake of pair calipers: the uncertainty-weighted mean of the pairs' widths, with
// the residual check against the others and the covariance of MetrologyStatistics.h.

#include <algorithm>
#include <cmath>

#include "metrology/MetrologyFit.h"
#include "metrology/MetrologyStatistics.h"

namespace metrology {

namespace {

constexpr int kMeanParameters = 1;

double WeightedMean(const std::vector<double>& values, const Sigmas& sigmas,
                    const std::vector<std::uint8_t>& kept) {
    double sw = 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (kept[i]) {
            const double w = 1.0 / (sigmas.sigma[i] * sigmas.sigma[i]);
            sw += w;
            sum += w * values[i];
        }
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
    for (;;) {
        fit.mean = WeightedMean(values, usable, fit.kept);
        for (std::size_t i = 0; i < values.size(); ++i) {
            residuals[i] = values[i] - fit.mean;
        }
        const int worst = WorstOutlier(residuals, usable, fit.kept, clipFactor, minKept);
        if (worst < 0) {
            break;
        }
        fit.kept[static_cast<std::size_t>(worst)] = 0;
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
