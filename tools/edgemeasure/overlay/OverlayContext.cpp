#include "overlay/OverlayContext.h"

#include <cmath>

#include "overlay/OverlayFont.h"

OverlayContext::OverlayContext(double textScale) : m_dTextScale(textScale) {
    SIZE size{0, kDefaultTextHeight};
    CalcDPtoLP(&size);
    m_ownFont.CreateFontW(size.cy, 0);
}

void OverlayContext::PathDraw_MoveTo(int x, int y) {
    m_current = {x, y};
}

void OverlayContext::PathDraw_LineTo(int x, int y) {
    const POINT end{x, y};
    // A line that continues the last polyline in the same colour extends it, which keeps the SVG
    // small for paths drawn segment by segment.
    if (!m_drawing.items.empty()) {
        if (auto* last = std::get_if<OverlayPolyline>(&m_drawing.items.back())) {
            const POINT& tail = last->points.back();
            if (last->colour == m_colour && last->thin == m_bThin && tail.x == m_current.x &&
                tail.y == m_current.y) {
                last->points.push_back(end);
                m_current = end;
                return;
            }
        }
    }
    m_drawing.items.push_back(OverlayPolyline{m_colour, {m_current, end}, m_bThin});
    m_current = end;
}

void OverlayContext::PathDraw_DrawPolyline(const POINT* points, int count) {
    constexpr int kMinPoints = 2;
    if (points == nullptr || count < kMinPoints) {
        return;
    }
    m_drawing.items.push_back(
        OverlayPolyline{m_colour, std::vector<POINT>(points, points + count), m_bThin});
}

void OverlayContext::CalcDPtoLP(SIZE* size) const {
    if (size == nullptr) {
        return;
    }
    size->cx = static_cast<int>(std::lround(size->cx * m_dTextScale));
    size->cy = static_cast<int>(std::lround(size->cy * m_dTextScale));
}

OType_DrawingFont* OverlayContext::ChangeFont(OType_DrawingFont* font) {
    OType_DrawingFont* previous = m_pFont;
    m_pFont = font;
    return previous;
}

int OverlayContext::ChangeBackgroundMode(int mode) {
    const int previous = m_iBackgroundMode;
    m_iBackgroundMode = mode;
    return previous;
}

void OverlayContext::GetTextExtent(const std::u16string& text, int& cx, int& cy) {
    const int height = CurrentFont().GetHeight();
    cx = OverlayFont::TextWidth(OverlayFont::Printable(text), height);
    cy = height;
}

void OverlayContext::DrawTextW(int x, int y, const std::u16string& text) {
    if (text.empty()) {
        return;
    }
    const OType_DrawingFont& font = CurrentFont();
    m_drawing.items.push_back(OverlayText{m_colour, x, y, OverlayFont::Printable(text),
                                          font.GetHeight(), font.GetEscapement(),
                                          m_iBackgroundMode != kTransparentBackground});
}

const OType_DrawingFont& OverlayContext::CurrentFont() const {
    return m_pFont != nullptr ? *m_pFont : m_ownFont;
}
