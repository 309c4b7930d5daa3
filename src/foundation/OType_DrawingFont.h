#pragma once
// OType_DrawingFont: a font for overlay text, described by its character height (logical units)
// and its escapement (text angle in tenths of a degree, counter-clockwise on screen).

#include "EdgeDetectionExport.h"

class EDGEDETECTION_EXPORT OType_DrawingFont {
  public:
    OType_DrawingFont() = default;
    virtual ~OType_DrawingFont() = default;

    // Stores the height and the escapement; always succeeds.
    bool CreateFontW(int height, int escapement) {
        m_iHeight = height;
        m_iEscapement = escapement;
        return true;
    }
    int GetHeight() const { return m_iHeight; }
    int GetEscapement() const { return m_iEscapement; }

  private:
    int m_iHeight = 0;
    int m_iEscapement = 0;
};
