#pragma once
// CaptionPlacement: where the measurements' captions go, so that they hide neither each other nor
// what was measured.
//
// Each caption wants to stand at its anchor (its bottom-left corner, e.g. above a fitted circle).
// The search tries the anchor, then rings of eight places around it (right, below, left, above
// and the diagonals), each ring one text height further out, up to kCaptionRings rings. A place
// is free when the caption's box (with the overlay's box padding) lies inside the image and meets
// no line and no text drawn so far (paths, ticks, labels, fitted figures, points) and no caption
// placed before it. The first free place wins; when none is free, the place whose box meets the
// fewest drawn items (the earliest on a tie). Captions are placed in the order given and drawn as
// opaque texts in the context's own font, on top of everything else.
//
//   std::vector<CaptionRequest> captions = {{"hole  r 72.55 px", kCaptionColour, {137.8, 147.3}}};
//   PlaceCaptions(context, captions, image.GetWidth(), image.GetHeight());

#include <string>
#include <vector>

#include "job/Job.h"
#include "overlay/OverlayContext.h"

struct CaptionRequest {
    std::string text;
    Rgb colour;
    Point2 anchor;  // the wished bottom-left corner, pixels
};

// How many rings of places around its anchor a caption may move.
constexpr int kCaptionRings = 12;

void PlaceCaptions(OverlayContext& context, const std::vector<CaptionRequest>& captions, int width,
                   int height);
