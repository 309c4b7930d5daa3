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

std::string Figure(std::optional<double> value, int decimals) {
    if (!value) {
        return "failed";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    return text;
}

std::string Signed(std::optional<double> value) {
    if (!value) {
        return "failed";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%+.4f", *value);
    return text;
}

void PrintTable(const DemoScene& scene, const std::vector<DemoComparison>& rows) {
    std::printf(
        "edgemeasure demo: a synthetic plate, %d x %d pixels, blur %.1f px, noise %.1f "
        "grey levels (seed %u)\n\n",
        scene.width, scene.height, scene.blurSigma, scene.noiseSigma, scene.seed);
    std::printf("  %-26s %10s %22s %9s %11s\n", "quantity", "true", "calipers +- 1 sigma", "error",
                "path error");
    for (const DemoComparison& row : rows) {
        const std::string label = row.quantity + " (" + row.unit + ")";
        std::string measured = Figure(row.measured, 4);
        if (row.measured && row.uncertainty) {
            measured += " +- " + Figure(row.uncertainty, 4);
        }
        std::printf("  %-26s %10.4f %22s %9s %11s\n", label.c_str(), row.truth, measured.c_str(),
                    Signed(row.Error()).c_str(), Signed(row.PathError()).c_str());
    }
}

void PrintFitSummary(const ImageRun& run) {
    std::printf("\n");
    for (const MeasurementResult& r : run.results) {
        if (!r.ok) {
            std::printf("  %s: %s\n", r.name.c_str(), r.problem.c_str());
        } else if (r.circle) {
            std::printf("  %s: %zu edges on %d radial calipers, %zu kept, %zu rejected\n",
                        r.name.c_str(), r.edges.size(), r.pathCount, r.circle->inliers.size(),
                        r.circle->outliers.size());
        } else if (r.line) {
            std::printf(
                "  %s: %zu edges on %d parallel calipers, %zu kept, %zu rejected "
                "(the burr)\n",
                r.name.c_str(), r.edges.size(), r.pathCount, r.line->inliers.size(),
                r.line->outliers.size());
        } else if (r.pair) {
            std::printf("  %s: edge pair at %.3f and %.3f px along its caliper\n", r.name.c_str(),
                        r.pair->first.distance, r.pair->second.distance);
        }
    }
}

nlohmann::ordered_json ComparisonJson(const std::vector<DemoComparison>& rows) {
    using json = nlohmann::ordered_json;
    json list = json::array();
    for (const DemoComparison& row : rows) {
        const auto orNull = [](std::optional<double> v) { return v ? json(*v) : json(nullptr); };
        list.push_back({{"quantity", row.quantity},
                        {"unit", row.unit},
                        {"true", row.truth},
                        {"measured", orNull(row.measured)},
                        {"uncertainty", orNull(row.uncertainty)},
                        {"error", orNull(row.Error())},
                        {"path_measured", orNull(row.pathMeasured)},
                        {"path_error", orNull(row.PathError())}});
    }
    return list;
}

// The uncertainty of where a fitted line crosses the height y, along x: its uncertainty across
// the line there (growing with the distance along it from its point), over the sine of its slant.
std::optional<double> EdgeXUncertainty(const LineFitResult& l, double y) {
    if (!l.uncertainty || l.direction.y == 0.0) {
        return std::nullopt;
    }
    const double along = (y - l.centre.y) / l.direction.y;
    const double across = std::hypot(l.uncertainty->offset, along * l.uncertainty->angle);
    return across / std::fabs(l.direction.y);
}

// The figures of one run, by row of the comparison.
std::vector<std::pair<std::optional<double>, std::optional<double>>> Figures(const DemoScene& scene,
                                                                             const ImageRun& run) {
    const MeasurementResult* hole = Find(run, "hole");
    const MeasurementResult* slot = Find(run, "slot");
    const MeasurementResult* edge = Find(run, "edge");
    using Value = std::optional<double>;
    const auto circleUnc = [hole](auto field) -> Value {
        return hole && hole->circle->uncertainty ? Value(field(*hole->circle->uncertainty))
                                                 : std::nullopt;
    };
    const double y = scene.edgeY;
    const double trueAngle = scene.EdgeAngleRad();
    std::vector<std::pair<Value, Value>> rows(6);
    if (hole) {
        const CircleFitResult& c = *hole->circle;
        rows[0] = {c.center.x, circleUnc([](const CircleUncertainty& u) { return u.center.x; })};
        rows[1] = {c.center.y, circleUnc([](const CircleUncertainty& u) { return u.center.y; })};
        rows[2] = {c.radius, circleUnc([](const CircleUncertainty& u) { return u.radius; })};
    }
    if (slot) {
        rows[3] = {slot->pair->distance, slot->pair->uncertainty};
    }
    if (edge) {
        const LineFitResult& l = *edge->line;
        rows[4] = {
            (trueAngle + AngleDifference(l.angle, trueAngle)) * angles::kDegreesPerRadian,
            l.uncertainty ? Value(l.uncertainty->angle * angles::kDegreesPerRadian) : std::nullopt};
        rows[5] = {l.centre.x + (y - l.centre.y) * l.direction.x / l.direction.y,
                   EdgeXUncertainty(l, y)};
    }
    return rows;
}

}  // namespace

std::vector<DemoComparison> CompareWithTruth(const DemoScene& scene, const ImageRun& run,
                                             const ImageRun* pathRun) {
    char edgeLabel[48];
    std::snprintf(edgeLabel, sizeof edgeLabel, "edge x at y = %g", scene.edgeY);
    const struct {
        const char* quantity;
        const char* unit;
        double truth;
    } truths[] = {
        {"hole centre x", "px", scene.holeCentre.x},
        {"hole centre y", "px", scene.holeCentre.y},
        {"hole radius", "px", scene.holeRadius},
        {"slot width", "px", scene.SlotWidth()},
        {"edge angle", "deg", scene.EdgeAngleRad() * angles::kDegreesPerRadian},
        {edgeLabel, "px", scene.EdgeXAt(scene.edgeY)},
    };
    std::vector<DemoComparison> rows;
    for (const auto& t : truths) {
        DemoComparison row;
        row.quantity = t.quantity;
        row.unit = t.unit;
        row.truth = t.truth;
        rows.push_back(row);
    }
    const auto figures = Figures(scene, run);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        rows[k].measured = figures[k].first;
        rows[k].uncertainty = figures[k].second;
    }
    if (pathRun != nullptr) {
        const auto path = Figures(scene, *pathRun);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            rows[k].pathMeasured = path[k].first;
        }
    }
    return rows;
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
    const Job pathJob = ParseJob(nlohmann::json(DemoPathJobJson(scene, kImageFile)), kJobFile);

    WriteFileAtomically(file(kImageFile), EncodeGreyPng(image));
    WriteFileAtomically(file(kJobFile), JsonText(jobJson));

    const bool drawOverlay = true;
    LoadedImage loaded;
    loaded.grey = std::make_shared<OType_Image>(std::move(image));
    loaded.info = {"PNG", kDemoBits, 1};
    const ImageRun run = MeasureImage(loaded, file(kImageFile), job, drawOverlay);
    const ImageRun pathRun = MeasureImage(loaded, file(kImageFile), pathJob, false);
    const std::vector<DemoComparison> rows = CompareWithTruth(scene, run, &pathRun);
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
    std::printf("  %-20s all of it on one page, with the profile plot of every caliper\n",
                kReportFile);
    return run.AllOk() ? kExitOk : kExitMeasurementFailed;
}
