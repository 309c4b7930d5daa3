#include "command/Demo.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "foundation/Angles.h"
#include "job/JobParser.h"
#include "job/ToolError.h"
#include "output/HtmlReport.h"
#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/OverlayFiles.h"
#include "output/ResultJson.h"

namespace {

const char* const kImageFile = "demo-image.png";
const char* const kJobFile = "demo-job.json";
const char* const kResultsFile = "demo-results.json";
const char* const kOverlayPngFile = "demo-overlay.png";
const char* const kOverlaySvgFile = "demo-overlay.svg";
const char* const kReportFile = "demo-report.html";
constexpr int kDemoBits = 8;

const MeasurementResult* Find(const ImageRun& run, const std::string& name) {
    for (const MeasurementResult& r : run.results) {
        if (r.name == name && r.ok) {
            return &r;
        }
    }
    return nullptr;
}

// The difference of two line directions, folded into (-pi/2, pi/2].
double AngleDifference(double a, double b) {
    double d = std::fmod(a - b, angles::kPi);
    if (d > angles::kPi / 2.0) {
        d -= angles::kPi;
    } else if (d <= -angles::kPi / 2.0) {
        d += angles::kPi;
    }
    return d;
}

void PrintTable(const DemoScene& scene, const std::vector<DemoComparison>& rows) {
    std::printf(
        "edgemeasure demo: a synthetic plate, %d x %d pixels, blur %.1f px, noise %.1f "
        "grey levels (seed %u)\n\n",
        scene.width, scene.height, scene.blurSigma, scene.noiseSigma, scene.seed);
    std::printf("  %-26s %10s %10s %9s\n", "quantity", "true", "measured", "error");
    for (const DemoComparison& row : rows) {
        const std::string label = row.quantity + " (" + row.unit + ")";
        if (row.measured) {
            std::printf("  %-26s %10.3f %10.3f %+9.3f\n", label.c_str(), row.truth, *row.measured,
                        *row.measured - row.truth);
        } else {
            std::printf("  %-26s %10.3f %10s\n", label.c_str(), row.truth, "failed");
        }
    }
}

void PrintFitSummary(const ImageRun& run) {
    std::printf("\n");
    for (const MeasurementResult& r : run.results) {
        if (!r.ok) {
            std::printf("  %s: %s\n", r.name.c_str(), r.problem.c_str());
        } else if (r.circle) {
            std::printf("  %s: %zu edges on %d radial lines, %zu kept, %zu rejected\n",
                        r.name.c_str(), r.edges.size(), r.pathCount, r.circle->inliers.size(),
                        r.circle->outliers.size());
        } else if (r.line) {
            std::printf(
                "  %s: %zu edges on %d parallel lines, %zu kept, %zu rejected by DETSAC "
                "(the burr)\n",
                r.name.c_str(), r.edges.size(), r.pathCount, r.line->inliers.size(),
                r.line->outliers.size());
        } else if (r.pair) {
            std::printf("  %s: edge pair at path indices %d and %d\n", r.name.c_str(),
                        r.pair->first.index, r.pair->second.index);
        }
    }
}

nlohmann::ordered_json ComparisonJson(const std::vector<DemoComparison>& rows) {
    using json = nlohmann::ordered_json;
    json list = json::array();
    for (const DemoComparison& row : rows) {
        list.push_back({{"quantity", row.quantity},
                        {"unit", row.unit},
                        {"true", row.truth},
                        {"measured", row.measured ? json(*row.measured) : nullptr},
                        {"error", row.measured ? json(*row.measured - row.truth) : nullptr}});
    }
    return list;
}

}  // namespace

std::vector<DemoComparison> CompareWithTruth(const DemoScene& scene, const ImageRun& run) {
    const MeasurementResult* hole = Find(run, "hole");
    const MeasurementResult* slot = Find(run, "slot");
    const MeasurementResult* edge = Find(run, "edge");
    const auto measured = [](const MeasurementResult* r, auto value) -> std::optional<double> {
        return r != nullptr ? std::optional<double>(value(*r)) : std::nullopt;
    };
    // The edge's position where it crosses the height of its reference point.
    const double y = scene.edgeY;
    const auto edgeXAt = [y](const MeasurementResult& r) {
        const LineFitResult& l = *r.line;
        return l.centre.x + (y - l.centre.y) * l.direction.x / l.direction.y;
    };
    const double trueAngle = scene.EdgeAngleRad();
    char edgeLabel[48];
    std::snprintf(edgeLabel, sizeof edgeLabel, "edge x at y = %g", y);
    return {
        {"hole centre x", "px", scene.holeCentre.x,
         measured(hole, [](const MeasurementResult& r) { return r.circle->center.x; })},
        {"hole centre y", "px", scene.holeCentre.y,
         measured(hole, [](const MeasurementResult& r) { return r.circle->center.y; })},
        {"hole radius", "px", scene.holeRadius,
         measured(hole, [](const MeasurementResult& r) { return r.circle->radius; })},
        {"slot width", "px", scene.SlotWidth(),
         measured(slot, [](const MeasurementResult& r) { return r.pair->distance; })},
        {"edge angle", "deg", trueAngle * angles::kDegreesPerRadian,
         measured(edge,
                  [trueAngle](const MeasurementResult& r) {
                      return (trueAngle + AngleDifference(r.line->angle, trueAngle)) *
                             angles::kDegreesPerRadian;
                  })},
        {edgeLabel, "px", scene.EdgeXAt(y), measured(edge, edgeXAt)},
    };
}

int RunDemo(const std::string& folder) {
    MakeOutputFolder(folder);
    const auto file = [&folder](const char* name) {
        return (std::filesystem::path(folder) / name).string();
    };
    const DemoScene scene;
    OType_Image image = RenderDemoScene(scene);
    const nlohmann::ordered_json jobJson = DemoJobJson(scene, kImageFile);
    const Job job = ParseJob(nlohmann::json(jobJson), kJobFile);

    WriteFileAtomically(file(kImageFile), EncodeGreyPng(image));
    WriteFileAtomically(file(kJobFile), JsonText(jobJson));

    const bool drawOverlay = true;
    LoadedImage loaded;
    loaded.grey = std::make_shared<OType_Image>(std::move(image));
    loaded.info = {"PNG", kDemoBits, 1};
    const ImageRun run = MeasureImage(loaded, file(kImageFile), job, drawOverlay);
    const std::vector<DemoComparison> rows = CompareWithTruth(scene, run);
    PrintTable(scene, rows);
    PrintFitSummary(run);

    nlohmann::ordered_json results = ResultDocument(ImageRunJson(run));
    results["demo"] = {{"comparison", ComparisonJson(rows)}};
    WriteFileAtomically(file(kResultsFile), JsonText(results));
    WriteOverlayPng(run, file(kOverlayPngFile));
    WriteOverlaySvg(run, file(kOverlaySvgFile));
    HtmlReport report(kJobFile);
    report.Add(run, job);
    WriteFileAtomically(file(kReportFile), report.Html());

    std::printf("\nWrote into %s/:\n", folder.c_str());
    std::printf("  %-20s the synthetic image\n", kImageFile);
    std::printf("  %-20s the measurement job (edgemeasure measure --job %s)\n", kJobFile,
                file(kJobFile).c_str());
    std::printf("  %-20s the results\n", kResultsFile);
    std::printf("  %-20s the image with what was measured drawn on it\n", kOverlayPngFile);
    std::printf("  %-20s the same drawing as SVG, the image embedded\n", kOverlaySvgFile);
    std::printf("  %-20s all of it on one page, with the profile plot of every path\n",
                kReportFile);
    return run.AllOk() ? kExitOk : kExitMeasurementFailed;
}
