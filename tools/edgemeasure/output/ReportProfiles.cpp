#include "output/ReportProfiles.h"

#include "job/PathLayout.h"
#include "measure/Profiles.h"
#include "output/ReportTips.h"

namespace {

std::vector<PlotThreshold> Thresholds(const TransitionSetup& transition) {
    if (transition.type != OVectorPath::kTransitionBand) {
        return {};  // the other functions compare with a moving mean or run Canny: the strip says
    }
    return {{PlotAxis::Grey, static_cast<double>(transition.param1),
             "band low " + std::to_string(transition.param1)},
            {PlotAxis::Grey, static_cast<double>(transition.param2),
             "band high " + std::to_string(transition.param2)}};
}

}  // namespace

std::vector<ProfilePlot> MeasurementPlots(const MeasurementSetup& setup,
                                          const MeasurementResult& result,
                                          const std::shared_ptr<OType_Image>& image,
                                          std::optional<double> mmPerPx) {
    const std::vector<PathGeometry> paths = ExpandLayout(setup.layout);
    const std::vector<LabelledEdge> edges = LabelledEdges(result);
    std::vector<ProfilePlot> plots;
    for (std::size_t k = 0; k < paths.size() && k < kMaxPlotsPerMeasurement; ++k) {
        PathProfile sampled =
            SamplePathProfile(paths[k], setup.transition, image, kPathProfileSigma);
        if (sampled.profile.values.empty()) {
            continue;
        }
        ProfilePlot plot;
        plot.title =
            result.name + ", path " + std::to_string(k + 1) + " of " + std::to_string(paths.size());
        plot.profile = std::move(sampled.profile);
        plot.inThreshold = std::move(sampled.inThreshold);
        plot.thresholds = Thresholds(setup.transition);
        for (const LabelledEdge& e : edges) {
            if (e.edge->path == static_cast<int>(k)) {
                plot.edges.push_back({e.edge->distance, e.label,
                                      EdgeTip(result.name, *e.edge, e.label, mmPerPx), e.rejected});
            }
        }
        plots.push_back(std::move(plot));
    }
    return plots;
}
