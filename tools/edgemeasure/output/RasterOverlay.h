#pragma once
// RasterOverlay: paints an OverlayDrawing onto a colour image, item by item in drawing order:
// polylines as lines `lineWidth` pixels wide (clipped at the image border; OverlayLineWidth grows
// them with the image, so that a path stays visible when a large picture is seen whole; thin ones
// one pixel wide), texts as their font's filled glyphs, on a dark box when the text is opaque.
//
//   RgbImage canvas = RgbImage::FromGrey(image);
//   RenderOverlay(context.Drawing(), canvas, OverlayLineWidth(width, height));
//   WriteFileAtomically("overlay.png", EncodePng(canvas));

#include "overlay/OverlayDrawing.h"
#include "overlay/OverlayStyle.h"
#include "overlay/RgbImage.h"

void RenderOverlay(const OverlayDrawing& drawing, RgbImage& canvas, int lineWidth = 1);
