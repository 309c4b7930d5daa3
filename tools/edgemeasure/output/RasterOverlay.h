#pragma once
// RasterOverlay: paints an OverlayDrawing onto a colour image, item by item in drawing order:
// polylines as one-pixel lines (clipped at the image border), texts as their font's filled glyphs,
// on a dark box when the text is opaque.
//
//   RgbImage canvas = RgbImage::FromGrey(image);
//   RenderOverlay(context.Drawing(), canvas);
//   WriteFileAtomically("overlay.png", EncodePng(canvas));

#include "overlay/OverlayDrawing.h"
#include "overlay/RgbImage.h"

// The colour of the box behind opaque text, and how far it reaches beyond the text (pixels).
constexpr Rgb kTextBoxColour{0, 0, 0};
constexpr int kTextBoxPadding = 2;

void RenderOverlay(const OverlayDrawing& drawing, RgbImage& canvas);
