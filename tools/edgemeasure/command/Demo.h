#pragma once
// Demo: `edgemeasure demo [FOLDER]`, which needs no files.
//
// It renders the DemoScene, writes it as demo-image.png with the job that measures it with
// calipers (demo-job.json, runnable with `edgemeasure measure --job`), runs the job and the same
// measurements by the path search on the same image, prints per quantity the true value, the
// calipers' value with its 1-sigma uncertainty and error, and the path search's error, and writes
// the results (demo-results.json, with the comparison under "demo"), the overlay pictures
// (demo-overlay.png, demo-overlay.svg) and the HTML report (demo-report.html).
//
//   return RunDemo("edgemeasure-demo");   // exit code: 0, or 1 when something was not measured

#include <optional>
#include <string>
#include <vector>

#include "command/DemoScene.h"
#include "measure/ImageRun.h"

// One line of the comparison: a quantity, its unit, the true value, the measured one with its
// uncertainty, and the path search's (each absent when its measurement failed).
struct DemoComparison {
    std::string quantity;
    std::string unit;
    double truth = 0.0;
    std::optional<double> measured;
    std::optional<double> uncertainty;
    std::optional<double> pathMeasured;

    std::optional<double> Error() const {
        return measured ? std::optional<double>(*measured - truth) : std::nullopt;
    }
    std::optional<double> PathError() const {
        return pathMeasured ? std::optional<double>(*pathMeasured - truth) : std::nullopt;
    }
};

// The comparison of a run (and of the path search's run, when given) with the scene's truth.
std::vector<DemoComparison> CompareWithTruth(const DemoScene& scene, const ImageRun& run,
                                             const ImageRun* pathRun = nullptr);

int RunDemo(const std::string& folder);
