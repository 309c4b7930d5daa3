#pragma once
// OverlayFiles: the overlay pictures of an image run, written whole or not at all (OutputFile.h).
//
// - PNG, JPEG or BMP (by the file's extension): the image in colour with the drawing painted on
//   its pixels (RasterOverlay). The colour copy is made only while the file is written.
// - SVG: the image embedded as a grey PNG with the drawing as vector elements (SvgOverlay).
// Both need a run measured with its overlay drawn (MeasureImage with drawOverlay).
//
//   WriteOverlay(run, "part.overlay.jpg", "--overlay");
//   WriteOverlaySvg(run, "part.overlay.svg");

#include <string>

#include "measure/ImageRun.h"

// By the extension of `path` (ToolError naming `option` for an unknown one).
void WriteOverlay(const ImageRun& run, const std::string& path, const std::string& option);
void WriteOverlayPng(const ImageRun& run, const std::string& path);
void WriteOverlaySvg(const ImageRun& run, const std::string& path);
