#include "output/OverlayFiles.h"

#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/RasterOverlay.h"
#include "output/SvgOverlay.h"

void WriteOverlay(const ImageRun& run, const std::string& path, const std::string& option) {
    const PictureFormat format = OverlayFormatOf(path, option);
    if (format == PictureFormat::Svg) {
        WriteOverlaySvg(run, path);
        return;
    }
    RgbImage canvas = RgbImage::FromGrey(*run.image);
    RenderOverlay(run.drawing, canvas, OverlayLineWidth(run.width, run.height));
    WriteFileAtomically(path, EncodePicture(canvas, format));
}

void WriteOverlayPng(const ImageRun& run, const std::string& path) {
    WriteOverlay(run, path, "--overlay");
}

void WriteOverlaySvg(const ImageRun& run, const std::string& path) {
    WriteFileAtomically(path, RenderSvg(*run.image, run.drawing, run.imagePath));
}
