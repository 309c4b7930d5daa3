#pragma once
// OverlayFont: the overlay's small built-in font, with the glyphs of stb's easy font (the Debian
// libstb package): every printable ASCII character is a few filled rectangles on a grid of
// kCellHeight units per line. A text of height h is that grid scaled by h / kCellHeight, turned by
// the escapement (tenths of a degree, counter-clockwise on screen) about its reference point, the
// bottom-left corner of its box: the text stands on the point, as the library's label placement
// expects (a label on the far side of a tick is placed at its bottom-left corner).
// Characters outside printable ASCII are shown as '?'.
//
//   int width = OverlayFont::TextWidth("S1", 18);
//   for (const OverlayFont::Quad& q : OverlayFont::TextQuads("S1", 10, 20, 18, 0)) { ... }

#include <string>
#include <vector>

namespace OverlayFont {

// Height of one line of the glyph grid.
constexpr double kCellHeight = 12.0;

struct Quad {
    double x[4];
    double y[4];
};

// The text with every character outside printable ASCII replaced by '?'.
std::string Printable(const std::string& text);
std::string Printable(const std::u16string& text);

// Width of the text in logical units at the given height.
int TextWidth(const std::string& text, int height);

// The filled quads of the text with its bottom-left corner at (x, y).
std::vector<Quad> TextQuads(const std::string& text, int x, int y, int height, int escapement);

// The corners of the text's box (width TextWidth, the given height), in the same placement,
// grown by `padding` pixels on every side.
Quad TextBox(const std::string& text, int x, int y, int height, int escapement,
             double padding = 0.0);

}  // namespace OverlayFont
