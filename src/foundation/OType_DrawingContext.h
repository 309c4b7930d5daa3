#pragma once
// OType_DrawingContext: where overlays go. The library only moves, draws lines and polylines and
// writes text in the context's current style; it never selects pens, brushes or colours. A caller
// draws onto whatever it likes by deriving from this class. Coordinates and sizes are 32-bit
// logical units.
//
// Every drawing call of the library leaves the context's font and background mode as it found
// them (saved through the return values of ChangeFont and ChangeBackgroundMode); the current
// drawing position may be left changed.

#include <string>

#include "EdgeDetectionExport.h"
#include "foundation/OType_DrawingFont.h"

struct POINT {
    int x;
    int y;
};

struct SIZE {
    int cx;
    int cy;
};

class EDGEDETECTION_EXPORT OType_DrawingContext {
  public:
    // Background mode for text drawn without filling its box.
    static constexpr int kTransparentBackground = 1;

    virtual ~OType_DrawingContext() = default;

    virtual void PathDraw_MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y), which becomes current.
    virtual void PathDraw_LineTo(int x, int y) = 0;
    // The open polyline through `count` points.
    virtual void PathDraw_DrawPolyline(const POINT* points, int count) = 0;
    // Converts a size from device units to logical units in place.
    virtual void CalcDPtoLP(SIZE* size) const = 0;
    // Makes the font current and returns the previous one (which may be null).
    virtual OType_DrawingFont* ChangeFont(OType_DrawingFont* font) = 0;
    // Sets the text background mode and returns the previous mode.
    virtual int ChangeBackgroundMode(int mode) = 0;
    // Width and height of the text in logical units with the current font.
    virtual void GetTextExtent(const std::u16string& text, int& cx, int& cy) = 0;
    // Writes the text with its reference corner at (x, y).
    virtual void DrawTextW(int x, int y, const std::u16string& text) = 0;
};
