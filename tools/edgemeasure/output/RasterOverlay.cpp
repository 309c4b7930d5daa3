#include "output/RasterOverlay.h"

#include "overlay/OverlayFont.h"

namespace {

constexpr int kQuadCorners = 4;

void Paint(const OverlayPolyline& line, RgbImage& canvas, int lineWidth) {
    constexpr int kThinWidth = 1;
    if (line.thin) {
        lineWidth = kThinWidth;
    }
    for (std::size_t i = 1; i < line.points.size(); ++i) {
        const POINT& a = line.points[i - 1];
        const POINT& b = line.points[i];
        canvas.DrawLine(a.x, a.y, b.x, b.y, line.colour, lineWidth);
    }
}

void Paint(const OverlayText& text, RgbImage& canvas, int) {
    if (text.opaque) {
        const OverlayFont::Quad box = OverlayFont::TextBox(text.text, text.x, text.y, text.height,
                                                           text.escapement, kTextBoxPadding);
        canvas.FillPolygon(box.x, box.y, kQuadCorners, kTextBoxColour);
    }
    for (const OverlayFont::Quad& quad :
         OverlayFont::TextQuads(text.text, text.x, text.y, text.height, text.escapement)) {
        canvas.FillPolygon(quad.x, quad.y, kQuadCorners, text.colour);
    }
}

}  // namespace

void RenderOverlay(const OverlayDrawing& drawing, RgbImage& canvas, int lineWidth) {
    for (const OverlayItem& item : drawing.items) {
        std::visit([&canvas, lineWidth](const auto& shape) { Paint(shape, canvas, lineWidth); },
                   item);
    }
}
