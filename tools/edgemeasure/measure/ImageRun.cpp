#include "measure/ImageRun.h"

#include <algorithm>
#include <memory>

#include "job/PathLayout.h"
#include "job/Tolerance.h"
#include "overlay/MeasurementOverlay.h"
#include "overlay/OverlayContext.h"
#include "overlay/OverlayStyle.h"

bool ImageRun::AllOk() const {
    return std::all_of(results.begin(), results.end(),
                       [](const MeasurementResult& r) { return r.ok; });
}

bool ImageRun::AllPass() const {
    return std::all_of(results.begin(), results.end(),
                       [](const MeasurementResult& r) { return r.Passes(); });
}

ImageRun MeasureImage(const LoadedImage& image, const std::string& imagePath, const Job& job,
                      bool drawOverlay) {
    ImageRun run;
    run.imagePath = imagePath;
    run.width = image.Width();
    run.height = image.Height();
    run.info = image.info;
    run.mmPerPx = job.mmPerPx;
    OverlayContext context(OverlayScale(run.width, run.height));
    for (const MeasurementSetup& setup : job.measurements) {
        MeasurementResult result = RunMeasurement(setup, image, drawOverlay ? &context : nullptr);
        run.scaledTo8Bits =
            run.scaledTo8Bits || (image.deep && setup.method == MeasureMethod::Path);
        if (setup.tolerance) {
            result.verdict = Judge(*setup.tolerance, result, job.mmPerPx);
        }
        run.results.push_back(std::move(result));
    }
    if (drawOverlay) {
        std::vector<CaptionRequest> captions;
        for (std::size_t i = 0; i < run.results.size(); ++i) {
            captions.push_back(
                CaptionFor(run.results[i], ExpandLayout(job.measurements[i].layout)));
        }
        PlaceCaptions(context, captions, run.width, run.height);
    }
    run.drawing = context.Drawing();
    if (drawOverlay) {
        run.image = image.Grey();  // the overlay's picture, at 8 bits
    }
    return run;
}
