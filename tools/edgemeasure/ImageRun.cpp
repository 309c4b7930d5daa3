#include "ImageRun.h"

#include <algorithm>
#include <memory>

#include "ImageIO.h"
#include "OutputFile.h"
#include "OverlayContext.h"
#include "OverlayStyle.h"
#include "RasterOverlay.h"
#include "SvgOverlay.h"

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
    for (const MeasurementSpec& spec : job.measurements) {
        run.results.push_back(RunMeasurement(spec, shared, drawOverlay ? &context : nullptr));
    }
    run.drawing = context.Drawing();
    return run;
}

void WriteOverlayPng(const ImageRun& run, const std::string& path) {
    RgbImage canvas = run.background;
    RenderOverlay(run.drawing, canvas);
    WriteFileAtomically(path, EncodePng(canvas));
}

void WriteOverlaySvg(const ImageRun& run, const std::string& path) {
    WriteFileAtomically(path, RenderSvg(run.background, run.drawing, run.imagePath));
}
