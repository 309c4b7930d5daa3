#include "measure/Measurement.h"

#include "job/PathLayout.h"
#include "measure/CaliperMeasurement.h"
#include "measure/EdgeSearch.h"
#include "measure/Fits.h"
#include "overlay/MeasurementOverlay.h"
#include "overlay/OverlayStyle.h"

namespace {

std::vector<Point2> EdgePoints(const std::vector<EdgeRecord>& edges) {
    std::vector<Point2> points;
    points.reserve(edges.size());
    for (const EdgeRecord& edge : edges) {
        points.push_back(edge.Best());
    }
    return points;
}

void Conclude(const MeasurementSetup& setup, MeasurementResult& result) {
    const bool pairSearch = setup.search.mode == SearchMode::Pair;
    switch (setup.kind) {
        case MeasurementKind::Edges:
            result.ok = pairSearch ? result.pair.has_value() : !result.edges.empty();
            result.problem = result.ok ? "" : pairSearch ? "no edge pair found" : "no edge found";
            return;
        case MeasurementKind::Circle:
            result.circle = FitCircle(EdgePoints(result.edges), setup.circleFit);
            result.ok = result.circle.has_value();
            break;
        case MeasurementKind::Line:
            result.line = FitLine(EdgePoints(result.edges), setup.lineFit);
            result.ok = result.line.has_value();
            break;
    }
    if (!result.ok) {
        const std::size_t needed = static_cast<std::size_t>(
            setup.kind == MeasurementKind::Circle ? kMinCirclePoints : kMinLinePoints);
        result.problem =
            result.edges.size() < needed
                ? "too few edges to fit (" + std::to_string(result.edges.size()) + " found, " +
                      std::to_string(needed) + " needed)"
                : "the fit failed on " + std::to_string(result.edges.size()) + " edges";
    }
}

bool AnyOnImage(const std::vector<PathGeometry>& paths, int width, int height) {
    for (const PathGeometry& path : paths) {
        if (PathTouchesImage(path, width, height)) {
            return true;
        }
    }
    return false;
}

std::string OutsideProblem(const std::vector<PathGeometry>& paths, MeasureMethod method, int width,
                           int height) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " px";
    const char* what = method == MeasureMethod::Caliper ? "caliper" : "path";
    return (paths.size() == 1 ? std::string("the ") + what + " lies"
                              : std::string("every ") + what + " lies") +
           " wholly outside the image (" + size + ")";
}

void SetDistance(const std::vector<PathGeometry>& paths, EdgeRecord& edge) {
    const auto at = static_cast<std::size_t>(edge.path);
    if (at < paths.size()) {
        // A search reports an arc's leaving edge at its last position in threshold but with the
        // angle where the change was seen, a step later: the distance follows the point.
        edge.distance = DistanceAlong(paths[at], edge.Best(), edge.subpixelAngle);
    }
}

void SetDistances(const std::vector<PathGeometry>& paths, MeasurementResult& result) {
    for (EdgeRecord& edge : result.edges) {
        SetDistance(paths, edge);
    }
    if (result.pair) {
        SetDistance(paths, result.pair->first);
        SetDistance(paths, result.pair->second);
    }
}

void SearchPaths(const MeasurementSetup& setup, const std::vector<PathGeometry>& paths,
                 const std::shared_ptr<OType_Image>& image, OverlayContext* overlay,
                 MeasurementResult& result) {
    // Numbers on every one of many paths would hide the image: several paths get ticks only.
    const SearchSettings settings{image, overlay, setup.subpixel,
                                  paths.size() > 1 ? kLabelNone : kLabelNumbers};
    for (std::size_t k = 0; k < paths.size(); ++k) {
        std::unique_ptr<OVectorPath> path = MakePath(paths[k]);
        if (!PrepareTransition(*path, setup.transition, image)) {
            result.problem = "the library refused the transition function";
            return;
        }
        if (setup.search.mode == SearchMode::Pair) {
            result.pair = SearchPair(*path, setup.search, settings);
        } else {
            std::vector<EdgeRecord> found =
                SearchEdges(*path, static_cast<int>(k), setup.search, settings);
            result.edges.insert(result.edges.end(), found.begin(), found.end());
        }
    }
    SetDistances(paths, result);
    Conclude(setup, result);
}

}  // namespace

MeasurementResult RunMeasurement(const MeasurementSetup& setup, const LoadedImage& image,
                                 OverlayContext* overlay) {
    const std::vector<PathGeometry> paths = ExpandLayout(setup.layout);
    MeasurementResult result;
    result.name = setup.name;
    result.kind = setup.kind;
    result.method = setup.method;
    result.pathCount = static_cast<int>(paths.size());
    const bool calipers = setup.method == MeasureMethod::Caliper;
    if (overlay != nullptr && !calipers) {
        DrawPaths(*overlay, paths);
        overlay->SetColour(kSearchColour);
    }
    if (!AnyOnImage(paths, image.Width(), image.Height())) {
        result.problem = OutsideProblem(paths, setup.method, image.Width(), image.Height());
    } else if (calipers) {
        MeasureWithCalipers(setup, paths, image, result);
    } else {
        SearchPaths(setup, paths, image.Grey(), overlay, result);
    }
    if (overlay != nullptr) {
        if (calipers) {
            DrawCalipers(*overlay, result, paths);
        }
        DrawResult(*overlay, result);
    }
    return result;
}

MeasurementResult RunMeasurement(const MeasurementSetup& setup,
                                 const std::shared_ptr<OType_Image>& image,
                                 OverlayContext* overlay) {
    LoadedImage loaded;
    loaded.grey = image;
    return RunMeasurement(setup, loaded, overlay);
}
