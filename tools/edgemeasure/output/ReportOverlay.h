#pragma once
// ReportOverlay: the overlay of one image as the HTML report shows it. An <svg class="overlay">
// whose viewBox is the image in pixels holds the overlay's own SVG elements (SvgOverlay: the
// embedded image and the drawing) and, on top, a layer of invisible shapes that catch the pointer,
// each with a <title> tip (ReportTips): every path (class "hit path"), every edge ("hit edge",
// with "rejected" for points a fit rejected) and the fitted circle or line or a pair's width
// ("hit fit"). Pointer shapes are a few screen pixels wide at any zoom.
//
// MeasurementView is the part of the image that shows one measurement: the box around its paths
// and fitted figure with a margin, as "x y width height" for a viewBox.
//
//   std::string svg = ReportOverlaySvg(run, job);

#include <string>

#include "job/Job.h"
#include "measure/ImageRun.h"

std::string ReportOverlaySvg(const ImageRun& run, const Job& job);

std::string MeasurementView(const MeasurementSetup& setup, const MeasurementResult& result);
