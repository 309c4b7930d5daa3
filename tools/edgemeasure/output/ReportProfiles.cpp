#include "output/ReportProfiles.h"

#include "caliper/OCaliper.h"
#include "foundation/Angles.h"
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

// A caliper's profile as it measured it: its width across, its smoothing (the image at 8 bits,
// whose grey scale the thresholds use).
OCaliperProfile CaliperProfile(const PathGeometry& geometry, const CaliperSetup& caliper,
                               const OType_Image& image) {
    if (const auto* line = std::get_if<LineLayout>(&geometry)) {
        return OCaliper::SampleProfile(
            image, OCaliperLine{line->from.x, line->from.y, line->to.x, line->to.y, caliper.width},
            caliper.sigma);
    }
    const auto& arc = std::get<ArcLayout>(geometry);
    return OCaliper::SampleProfile(
        image,
        OCaliperArc{arc.center.x, arc.center.y, arc.radius,
                    angles::RadiansFromDegrees(arc.startDeg),
                    angles::RadiansFromDegrees(arc.sweepDeg), caliper.width},
        caliper.sigma);
}

std::vector<PlotThreshold> CaliperThresholds(const CaliperSetup& caliper) {
    const std::string label = "threshold " + Fixed(caliper.threshold, 1);
    return {{PlotAxis::Derivative, caliper.threshold, label},
            {PlotAxis::Derivative, -caliper.threshold, label}};
}

}  // namespace

std::vector<ProfilePlot> MeasurementPlots(const MeasurementSetup& setup,
                                          const MeasurementResult& result,
                                          const std::shared_ptr<OType_Image>& image,
                                          std::optional<double> mmPerPx) {
    const std::vector<PathGeometry> paths = ExpandLayout(setup.layout);
    const std::vector<LabelledEdge> edges = LabelledEdges(result);
    std::vector<ProfilePlot> plots;
    const bool calipers = setup.method == MeasureMethod::Caliper;
    for (std::size_t k = 0; k < paths.size() && k < kMaxPlotsPerMeasurement; ++k) {
        PathProfile sampled;
        if (calipers) {
            sampled.profile = CaliperProfile(paths[k], setup.caliper, *image);
        } else {
            sampled = SamplePathProfile(paths[k], setup.transition, image, kPathProfileSigma);
        }
        if (sampled.profile.values.empty()) {
            continue;
        }
        ProfilePlot plot;
        plot.title = result.name + (calipers ? ", caliper " : ", path ") + std::to_string(k + 1) +
                     " of " + std::to_string(paths.size());
        plot.profile = std::move(sampled.profile);
        plot.inThreshold = std::move(sampled.inThreshold);
        plot.thresholds =
            calipers ? CaliperThresholds(setup.caliper) : Thresholds(setup.transition);
        if (calipers) {
            plot.positionLabel = "distance along the caliper (px)";
        }
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
