#include "output/OverlayFiles.h"

#include "output/ImageIO.h"
#include "output/OutputFile.h"
#include "output/RasterOverlay.h"
#include "output/SvgOverlay.h"

void WriteOverlayPng(const ImageRun& run, const std::string& path) {
    RgbImage canvas = run.background;
    RenderOverlay(run.drawing, canvas);
    WriteFileAtomically(path, EncodePng(canvas));
}

void WriteOverlaySvg(const ImageRun& run, const std::string& path) {
    WriteFileAtomically(path, RenderSvg(run.background, run.drawing, run.imagePath));
}
