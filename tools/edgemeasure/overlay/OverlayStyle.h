#pragma once
// OverlayStyle: the colours and sizes of edgemeasure's overlay, in one place.
//
// The library draws the ticks and labels of its searches and the direction arrows in the colour
// the tool selects before the call; everything else (paths, refined points, fitted figures,
// captions) the tool draws itself.

#include <algorithm>

#include "overlay/RgbImage.h"

constexpr Rgb kPathColour{0, 170, 255};           // the search paths and their direction arrows
constexpr Rgb kSearchColour{255, 220, 0};         // ticks and labels of the transition searches
constexpr Rgb kSubpixelColour{255, 120, 0};       // refined edge points
constexpr Rgb kFitColour{0, 230, 60};             // fitted circles and lines, kept points
constexpr Rgb kOutlierColour{255, 40, 40};        // points a fit rejected, failed measurements
constexpr Rgb kCaptionColour{255, 255, 255};      // measurement captions (on a dark box)
constexpr Rgb kCaliperMissColour{150, 150, 170};  // calipers that found nothing
// The box behind opaque texts, and how far it reaches beyond the text (pixels).
constexpr Rgb kTextBoxColour{0, 0, 0};
constexpr int kTextBoxPadding = 2;

// Half the size of the cross that marks a point, in pixels.
constexpr int kMarkerHalfSize = 2;
// Spacing of the polyline that draws a fitted circle, in pixels of arc.
constexpr double kCircleSegmentLength = 2.0;
// How far a fitted line is drawn beyond the outermost edge points, in pixels.
constexpr double kLineOverhang = 15.0;
// Images up to this size (the longer side, pixels) get text at its nominal size; larger ones
// scale it up in proportion, so that labels stay readable.
constexpr double kNominalImageSize = 1000.0;

// The overlay's scale on an image: 1 up to the nominal size, else in proportion to its longer
// side. Texts, markers and line widths grow by it.
inline double OverlayScale(int width, int height) {
    return std::max(1.0, std::max(width, height) / kNominalImageSize);
}

// The width of the overlay's lines on the pixels of an image: 1 up to the nominal size, then
// growing with it (a 1-pixel path on a 30,000-pixel image would vanish when it is seen whole).
inline int OverlayLineWidth(int width, int height) {
    return static_cast<int>(OverlayScale(width, height) + 0.5);
}
