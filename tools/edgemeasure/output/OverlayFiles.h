#pragma once
// OverlayFiles: the overlay pictures of an image run, written whole or not at all (OutputFile.h).
//
// - PNG: the image in colour with the drawing painted on its pixels (RasterOverlay).
// - SVG: the image embedded as a picture with the drawing as vector elements (SvgOverlay).
// Both need a run measured with its overlay drawn (MeasureImage with drawOverlay).
//
//   WriteOverlayPng(run, "part.overlay.png");
//   WriteOverlaySvg(run, "part.overlay.svg");

#include <string>

#include "measure/ImageRun.h"

void WriteOverlayPng(const ImageRun& run, const std::string& path);
void WriteOverlaySvg(const ImageRun& run, const std::string& path);
