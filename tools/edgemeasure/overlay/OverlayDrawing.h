#pragma once
// OverlayDrawing: what was drawn into the overlay context, in drawing order, so that the same
// drawing can be rendered twice: onto the image's pixels (RasterOverlay) and as vector elements
// of an SVG (SvgOverlay).
//
// Coordinates are the context's logical units, which are image pixels: a point (x, y) names the
// pixel (x, y), whose centre is (x + 0.5, y + 0.5). A text's (x, y) is the bottom-left corner of
// its box before rotation; the box runs along the escapement (tenths of a degree, counter-clockwise
// on screen) and is `height` units tall.

#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "foundation/OType_DrawingContext.h"
#include "overlay/RgbImage.h"

struct OverlayPolyline {
    Rgb colour;
    std::vector<POINT> points;  // at least two
    // Drawn one pixel wide whatever the image's size: outlines that would hide what lies inside
    // them (a caliper's rectangle around its edge) if they grew with the other lines.
    bool thin = false;
};

struct OverlayText {
    Rgb colour;
    int x = 0;
    int y = 0;
    std::string text;  // printable ASCII
    int height = 0;
    int escapement = 0;
    bool opaque = false;  // drawn on a filled box (the context's opaque background mode)
};

using OverlayItem = std::variant<OverlayPolyline, OverlayText>;

struct OverlayDrawing {
    // A deque: appending never moves the items already drawn (and GCC 12 warns, wrongly, about
    // variants moved by a vector's reallocation).
    std::deque<OverlayItem> items;
};
