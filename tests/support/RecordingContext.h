#pragma once
// RecordingContext: a drawing context for tests that draws nothing and logs every call.
//
// Each call appends one line to Log(), in call order, with its arguments in logical units:
//   "MoveTo 10 2"                   "LineTo 13 6"
//   "Polyline 10 2, 13 6, 7 6"       (a null point array: "Polyline null 3")
//   "CalcDPtoLP 0 15 -> 0 15"        (the size before and after the conversion)
//   "ChangeFont 15 -900"             (height and escapement of the font selected; the context's
//                                     own font: "ChangeFont initial"; a null font: "ChangeFont
//                                     null")
//   "BackgroundMode 1"
//   "GetTextExtent 12 -> 16 15"      (the text, then the answered width and height)
//   "DrawText 4 8 12"                (position, then the text as a narrow string)
// so a test compares Log() with a vector of strings. The context answers text extents as
// width = characters * CharWidth(), height = TextHeight() (8 and 15 unless set), converts sizes
// from device to logical units with the function given to SetDPtoLP (identity unless set), and
// tracks the current font and background mode so that a test can check they were given back
// (FontRestored(), BackgroundModeRestored()).
//
//   RecordingContext dc;
//   OVectorPath::DrawDirectionArrow(&dc, OVector(10, 2), OVector(1, 0));
//   EXPECT_EQ(dc.Log()[0], "Polyline ...");

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"

class RecordingContext : public OType_DrawingContext {
  public:
    // The background mode a fresh context starts with (opaque), distinct from the transparent
    // mode that the library selects for text.
    static constexpr int kInitialBackgroundMode = 2;
    static constexpr int kDefaultCharWidth = 8;
    static constexpr int kDefaultTextHeight = 15;

    RecordingContext() { m_initialFont.CreateFontW(kDefaultTextHeight, 0); }

    // --- what a test sets ---
    void SetTextExtent(int charWidth, int textHeight) {
        m_iCharWidth = charWidth;
        m_iTextHeight = textHeight;
    }
    void SetDPtoLP(std::function<SIZE(SIZE)> convert) { m_convert = std::move(convert); }
    void ClearLog() { m_log.clear(); }

    // --- what a test reads ---
    const std::vector<std::string>& Log() const { return m_log; }
    // The entries whose call name (first word) is `name`, e.g. "MoveTo".
    std::vector<std::string> Calls(const std::string& name) const {
        std::vector<std::string> result;
        for (const std::string& entry : m_log) {
            if (entry.compare(0, name.size(), name) == 0 &&
                (entry.size() == name.size() || entry[name.size()] == ' ')) {
                result.push_back(entry);
            }
        }
        return result;
    }
    OType_DrawingFont* CurrentFont() const { return m_pCurrentFont; }
    int BackgroundMode() const { return m_iBackgroundMode; }
    bool FontRestored() const { return m_pCurrentFont == &m_initialFont; }
    bool BackgroundModeRestored() const { return m_iBackgroundMode == kInitialBackgroundMode; }
    int CharWidth() const { return m_iCharWidth; }
    int TextHeight() const { return m_iTextHeight; }

    // Text as a narrow string: ASCII as it stands, any other code unit as UTF-8 of its value.
    static std::string Narrow(const std::u16string& text) {
        std::string result;
        for (const char16_t unit : text) {
            const auto code = static_cast<unsigned>(unit);
            if (code < 0x80u) {
                result += static_cast<char>(code);
            } else if (code < 0x800u) {
                result += static_cast<char>(0xC0u | (code >> 6));
                result += static_cast<char>(0x80u | (code & 0x3Fu));
            } else {
                result += static_cast<char>(0xE0u | (code >> 12));
                result += static_cast<char>(0x80u | ((code >> 6) & 0x3Fu));
                result += static_cast<char>(0x80u | (code & 0x3Fu));
            }
        }
        return result;
    }

    // --- the drawing interface ---
    void PathDraw_MoveTo(int x, int y) override { Record("MoveTo", Pair(x, y)); }
    void PathDraw_LineTo(int x, int y) override { Record("LineTo", Pair(x, y)); }

    void PathDraw_DrawPolyline(const POINT* points, int count) override {
        if (points == nullptr) {
            Record("Polyline", "null " + std::to_string(count));
            return;
        }
        std::string list;
        for (int i = 0; i < count; ++i) {
            list += (i == 0 ? "" : ", ") + Pair(points[i].x, points[i].y);
        }
        Record("Polyline", list);
    }

    void CalcDPtoLP(SIZE* size) const override {
        if (size == nullptr) {
            Record("CalcDPtoLP", "null");
            return;
        }
        const std::string before = Pair(size->cx, size->cy);
        if (m_convert) {
            *size = m_convert(*size);
        }
        Record("CalcDPtoLP", before + " -> " + Pair(size->cx, size->cy));
    }

    OType_DrawingFont* ChangeFont(OType_DrawingFont* font) override {
        if (font == nullptr) {
            Record("ChangeFont", "null");
        } else if (font == &m_initialFont) {
            Record("ChangeFont", "initial");
        } else {
            // Logged now: the library destroys its font after giving the previous one back.
            Record("ChangeFont", Pair(font->GetHeight(), font->GetEscapement()));
        }
        OType_DrawingFont* previous = m_pCurrentFont;
        m_pCurrentFont = font;
        return previous;
    }

    int ChangeBackgroundMode(int mode) override {
        Record("BackgroundMode", std::to_string(mode));
        const int previous = m_iBackgroundMode;
        m_iBackgroundMode = mode;
        return previous;
    }

    void GetTextExtent(const std::u16string& text, int& cx, int& cy) override {
        cx = static_cast<int>(text.size()) * m_iCharWidth;
        cy = m_iTextHeight;
        Record("GetTextExtent", Narrow(text) + " -> " + Pair(cx, cy));
    }

    void DrawTextW(int x, int y, const std::u16string& text) override {
        Record("DrawText", Pair(x, y) + " " + Narrow(text));
    }

  private:
    static std::string Pair(int a, int b) { return std::to_string(a) + " " + std::to_string(b); }
    void Record(const char* name, const std::string& arguments) const {
        m_log.push_back(arguments.empty() ? std::string(name)
                                          : std::string(name) + " " + arguments);
    }

    // CalcDPtoLP is const in the drawing interface, yet it is logged like every other call.
    mutable std::vector<std::string> m_log;
    OType_DrawingFont m_initialFont;
    OType_DrawingFont* m_pCurrentFont = &m_initialFont;
    int m_iBackgroundMode = kInitialBackgroundMode;
    int m_iCharWidth = kDefaultCharWidth;
    int m_iTextHeight = kDefaultTextHeight;
    std::function<SIZE(SIZE)> m_convert;
};
