#pragma once
// RecordingContext: a drawing context for tests that draws nothing and logs every call.
//
// Each call appends one line to Log(), in call order, with its arguments in logical units:
//   "MoveTo 10 2"   "LineTo 13 6"   "Polyline 10 2, 13 6, 7 6"   "CalcDPtoLP 0 15 -> 0 15"
//   "ChangeFont 15 -900" (height and escapement; the context's own font "initial", null "null")
//   "BackgroundMode 1"   "GetTextExtent 12 -> 16 15" (text, width, height)   "DrawText 4 8 12"
// Texts are logged as UTF-8. Text extents are 8 units per character and 15 high unless
// SetTextExtent says otherwise; sizes go from device to logical units through the function given
// to SetDPtoLP (identity unless set).
// FontRestored() and BackgroundModeRestored() tell whether the context's own font and mode (2,
// opaque) are current again.
//
//   RecordingContext dc;
//   OVectorPath::DrawDirectionArrow(&dc, OVector(10, 10), OVector(1, 0));
//   EXPECT_EQ(dc.Log()[0], "Polyline 10 13, 16 10, 10 7, 10 13");

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"

class RecordingContext : public OType_DrawingContext {
  public:
    static constexpr int kInitialBackgroundMode = 2;
    static constexpr int kCharWidth = 8;
    static constexpr int kTextHeight = 15;

    RecordingContext() { m_initialFont.CreateFontW(kTextHeight, 0); }

    // Text extents answered from now on: characters * charWidth wide, textHeight high.
    void SetTextExtent(int charWidth, int textHeight) {
        m_iCharWidth = charWidth;
        m_iTextHeight = textHeight;
    }
    void SetDPtoLP(std::function<SIZE(SIZE)> convert) { m_convert = std::move(convert); }
    void ClearLog() { m_log.clear(); }
    const std::vector<std::string>& Log() const { return m_log; }
    // The entries of one call, e.g. Calls("DrawText").
    std::vector<std::string> Calls(const std::string& name) const {
        std::vector<std::string> result;
        for (const std::string& entry : m_log) {
            if (entry.rfind(name + " ", 0) == 0) {
                result.push_back(entry);
            }
        }
        return result;
    }
    bool FontRestored() const { return m_pFont == &m_initialFont; }
    bool BackgroundModeRestored() const { return m_iMode == kInitialBackgroundMode; }

    void PathDraw_MoveTo(int x, int y) override { Record("MoveTo " + Pair(x, y)); }
    void PathDraw_LineTo(int x, int y) override { Record("LineTo " + Pair(x, y)); }
    void PathDraw_DrawPolyline(const POINT* points, int count) override {
        std::string entry = "Polyline";
        for (int i = 0; i < count; ++i) {
            entry += (i == 0 ? " " : ", ") + Pair(points[i].x, points[i].y);
        }
        Record(entry);
    }
    void CalcDPtoLP(SIZE* size) const override {
        const std::string before = Pair(size->cx, size->cy);
        if (m_convert) {
            *size = m_convert(*size);
        }
        Record("CalcDPtoLP " + before + " -> " + Pair(size->cx, size->cy));
    }
    OType_DrawingFont* ChangeFont(OType_DrawingFont* font) override {
        Record("ChangeFont " + (font == nullptr ? std::string("null")
                                : font == &m_initialFont
                                    ? std::string("initial")
                                    : Pair(font->GetHeight(), font->GetEscapement())));
        OType_DrawingFont* previous = m_pFont;
        m_pFont = font;
        return previous;
    }
    int ChangeBackgroundMode(int mode) override {
        Record("BackgroundMode " + std::to_string(mode));
        const int previous = m_iMode;
        m_iMode = mode;
        return previous;
    }
    void GetTextExtent(const std::u16string& text, int& cx, int& cy) override {
        cx = static_cast<int>(text.size()) * m_iCharWidth;
        cy = m_iTextHeight;
        Record("GetTextExtent " + Utf8(text) + " -> " + Pair(cx, cy));
    }
    void DrawTextW(int x, int y, const std::u16string& text) override {
        Record("DrawText " + Pair(x, y) + " " + Utf8(text));
    }

  private:
    static std::string Pair(int a, int b) { return std::to_string(a) + " " + std::to_string(b); }
    // One code unit at a time (no surrogate pairs): enough for the labels the tests draw.
    static std::string Utf8(const std::u16string& text) {
        std::string result;
        for (const char16_t unit : text) {
            const unsigned code = unit;
            if (code < 0x80u) {
                result += static_cast<char>(code);
                continue;
            }
            if (code >= 0x800u) {
                result += static_cast<char>(0xE0u | (code >> 12));
            }
            result += static_cast<char>((code < 0x800u ? 0xC0u : 0x80u) | ((code >> 6) & 0x3Fu));
            result += static_cast<char>(0x80u | (code & 0x3Fu));
        }
        return result;
    }
    // CalcDPtoLP is const in the drawing interface, yet it is logged like every other call.
    void Record(const std::string& entry) const { m_log.push_back(entry); }

    mutable std::vector<std::string> m_log;
    OType_DrawingFont m_initialFont;
    OType_DrawingFont* m_pFont = &m_initialFont;
    int m_iMode = kInitialBackgroundMode;
    int m_iCharWidth = kCharWidth;
    int m_iTextHeight = kTextHeight;
    std::function<SIZE(SIZE)> m_convert;
};
