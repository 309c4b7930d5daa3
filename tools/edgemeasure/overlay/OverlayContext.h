#pragma once
// OverlayContext: the drawing context that edgemeasure hands to the library. It records every
// line, polyline and text into an OverlayDrawing, which RasterOverlay paints onto the image and
// SvgOverlay writes as vector elements, so both pictures show the same drawing.
//
// The library never chooses colours; the tool sets the colour with SetColour before it lets the
// library (or itself) draw. Logical units are image pixels. Device sizes (the character height
// that the library asks for) are multiplied by the text scale, so that labels stay readable on
// large images. Text is measured and drawn with OverlayFont; a text's (x, y) is the bottom-left
// corner of its box, turned with the font's escapement. The background mode 1 (transparent)
// draws glyphs only; any other mode puts the text on a filled box, which the tool uses for its
// own labels. A null font selects the context's own font.
//
//   OverlayContext context;
//   context.SetColour(kSearchColour);
//   line.FindNextTransition(image, 1, 0, 0, index, point, angle, &context, 1, 0);
//   RenderOverlay(context.Drawing(), canvas, OverlayLineWidth(width, height));

#include <string>

#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"
#include "overlay/OverlayDrawing.h"

class OverlayContext : public OType_DrawingContext {
  public:
    // Character height of the context's own font (device units) and its background mode.
    static constexpr int kDefaultTextHeight = 14;
    static constexpr int kOpaqueBackground = 2;

    explicit OverlayContext(double textScale = 1.0);
    OverlayContext(const OverlayContext&) = delete;
    OverlayContext& operator=(const OverlayContext&) = delete;

    void SetColour(Rgb colour) { m_colour = colour; }
    // Lines drawn from now on are thin (OverlayPolyline::thin) or not.
    void SetThin(bool thin) { m_bThin = thin; }
    // The text scale, by which the tool also grows its markers.
    double Scale() const { return m_dTextScale; }
    const OverlayDrawing& Drawing() const { return m_drawing; }

    void PathDraw_MoveTo(int x, int y) override;
    void PathDraw_LineTo(int x, int y) override;
    void PathDraw_DrawPolyline(const POINT* points, int count) override;
    void CalcDPtoLP(SIZE* size) const override;
    OType_DrawingFont* ChangeFont(OType_DrawingFont* font) override;
    int ChangeBackgroundMode(int mode) override;
    void GetTextExtent(const std::u16string& text, int& cx, int& cy) override;
    void DrawTextW(int x, int y, const std::u16string& text) override;

  private:
    const OType_DrawingFont& CurrentFont() const;

    double m_dTextScale;
    Rgb m_colour{255, 255, 255};
    bool m_bThin = false;
    POINT m_current{0, 0};
    OType_DrawingFont m_ownFont;
    OType_DrawingFont* m_pFont = nullptr;  // null: m_ownFont
    int m_iBackgroundMode = kOpaqueBackground;
    OverlayDrawing m_drawing;
};
