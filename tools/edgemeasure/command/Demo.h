#pragma once
// Demo: `edgemeasure demo [FOLDER]`, which needs no files.
//
// It renders the DemoScene, writes it as demo-image.png with the job that measures it
// (demo-job.json, runnable with `edgemeasure measure --job`), runs the job, prints measured
// against true values with their errors, and writes the results (demo-results.json, with the
// comparison under "demo"), the overlay pictures (demo-overlay.png, demo-overlay.svg) and the
// HTML report (demo-report.html).
//
//   return RunDemo("edgemeasure-demo");   // exit code: 0, or 1 when something was not measured

#include <optional>
#include <string>
#include <vector>

#include "command/DemoScene.h"
#include "measure/ImageRun.h"

// One line of the comparison: a quantity, its unit, the true value and the measured one (absent
// when its measurement failed).
struct DemoComparison {
    std::string quantity;
    std::string unit;
    double truth = 0.0;
    std::optional<double> measured;
};

std::vector<DemoComparison> CompareWithTruth(const DemoScene& scene, const ImageRun& run);

int RunDemo(const std::string& folder);
