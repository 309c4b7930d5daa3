#pragma once
// PlotFigure: a small chart drawn once and rendered twice: as an SVG element (for the HTML report
// and .svg files) and onto the pixels of a colour picture (for .png files).
//
// Coordinates are the figure's pixels, x to the right, y downwards, (0, 0) its top-left corner.
// Items are drawn in order: lines (polylines, optionally dashed), filled rectangles and texts. A
// text's (x, y) is the left end, middle or right end of its baseline, as its anchor says. Every
// line and rectangle may carry a role (the SVG class, so a page can style and find it) and a tip
// (the SVG <title>, shown when the pointer rests on it); the picture shows neither.
// Texts are printable ASCII (others become '?'); in the picture they use the overlay's font.
//
//   PlotFigure figure{640, 240, "profile"};
//   figure.items.push_back(FigureLine{{0, 0, 200}, {{10, 10}, {100, 50}}});
//   std::string svg = FigureSvg(figure);
//   RgbImage picture = FigurePicture(figure);

#include <string>
#include <variant>
#include <vector>

#include "overlay/RgbImage.h"

struct FigurePoint {
    double x = 0.0;
    double y = 0.0;
};

struct FigureLine {
    Rgb colour;
    std::vector<FigurePoint> points;
    double width = 1.0;
    bool dashed = false;
    std::string role;
    std::string tip;
};

struct FigureRect {
    Rgb colour;
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    std::string role;
    std::string tip;
};

enum class TextAnchor { Start, Middle, End };

struct FigureText {
    Rgb colour;
    double x = 0.0;
    double y = 0.0;
    std::string text;
    TextAnchor anchor = TextAnchor::Start;
};

using FigureItem = std::variant<FigureLine, FigureRect, FigureText>;

struct PlotFigure {
    int width = 0;
    int height = 0;
    std::string title;
    std::string role;  // the class of the <svg> element
    std::vector<FigureItem> items;
};

// Height of the figure's texts, pixels.
constexpr int kFigureTextHeight = 12;

// A complete <svg> element (with its namespace, so that it stands alone as a file).
std::string FigureSvg(const PlotFigure& figure);
// On a white picture of the figure's size.
RgbImage FigurePicture(const PlotFigure& figure);
