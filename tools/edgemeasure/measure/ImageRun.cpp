#include "measure/ImageRun.h"

#include <algorithm>
#include <memory>

#include "overlay/OverlayContext.h"
#include "overlay/OverlayStyle.h"

bool ImageRun::AllOk() const {
    return std::all_of(results.begin(), results.end(),
                       [](const MeasurementResult& r) { return r.ok; });
}

ImageRun MeasureImage(OType_Image image, const std::string& imagePath, const Job& job,
                      bool drawOverlay) {
    ImageRun run;
    run.imagePath = imagePath;
    run.width = image.GetWidth();
    run.height = image.GetHeight();
    if (drawOverlay) {
        run.background = RgbImage::FromGrey(image);
    }
    const double textScale = std::max(1.0, std::max(run.width, run.height) / kNominalImageSize);
    OverlayContext context(textScale);
    const auto shared = std::make_shared<OType_Image>(std::move(image));
    for (const MeasurementSetup& setup : job.measurements) {
        run.results.push_back(RunMeasurement(setup, shared, drawOverlay ? &context : nullptr));
    }
    run.drawing = context.Drawing();
    return run;
}
