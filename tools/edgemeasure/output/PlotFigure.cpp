#include "output/PlotFigure.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "output/XmlText.h"
#include "overlay/OverlayFont.h"

namespace {

constexpr Rgb kBackground{255, 255, 255};
// Dashes of dashed lines: drawn, then left out, pixels.
constexpr double kDashOn = 6.0;
constexpr double kDashOff = 4.0;
constexpr int kRectCorners = 4;

// Figure coordinates with two decimals: finer than any screen, and short.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string RoleAndTip(const std::string& role, const std::string& tip, const char* end) {
    std::string text = role.empty() ? "" : " class=\"" + EscapeXml(role) + "\"";
    if (tip.empty()) {
        return text + "/>\n";
    }
    return text + "><title>" + EscapeXml(tip) + "</title></" + end + ">\n";
}

void Write(std::ostream& out, const FigureLine& line) {
    out << "<polyline fill=\"none\" stroke=\"" << HexColour(line.colour) << "\" stroke-width=\""
        << Number(line.width) << "\"";
    if (line.dashed) {
        out << " stroke-dasharray=\"" << kDashOn << ' ' << kDashOff << "\"";
    }
    out << " points=\"";
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        out << (i == 0 ? "" : " ") << Number(line.points[i].x) << ',' << Number(line.points[i].y);
    }
    out << "\"" << RoleAndTip(line.role, line.tip, "polyline");
}

void Write(std::ostream& out, const FigureRect& rect) {
    out << "<rect x=\"" << Number(rect.x) << "\" y=\"" << Number(rect.y) << "\" width=\""
        << Number(rect.width) << "\" height=\"" << Number(rect.height) << "\" fill=\""
        << HexColour(rect.colour) << "\"" << RoleAndTip(rect.role, rect.tip, "rect");
}

const char* AnchorName(TextAnchor anchor) {
    switch (anchor) {
        case TextAnchor::Middle:
            return "middle";
        case TextAnchor::End:
            return "end";
        case TextAnchor::Start:
            break;
    }
    return "start";
}

void Write(std::ostream& out, const FigureText& text) {
    out << "<text x=\"" << Number(text.x) << "\" y=\"" << Number(text.y) << "\" fill=\""
        << HexColour(text.colour) << "\" text-anchor=\"" << AnchorName(text.anchor) << "\">"
        << EscapeXml(OverlayFont::Printable(text.text)) << "</text>\n";
}

void PaintSegment(RgbImage& picture, FigurePoint a, FigurePoint b, Rgb colour, int thickness) {
    picture.DrawLine(static_cast<int>(std::floor(a.x)), static_cast<int>(std::floor(a.y)),
                     static_cast<int>(std::floor(b.x)), static_cast<int>(std::floor(b.y)), colour,
                     thickness);
}

// A dashed segment as its drawn pieces, the pattern starting afresh at each segment.
void PaintDashed(RgbImage& picture, FigurePoint a, FigurePoint b, Rgb colour, int thickness) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    for (double at = 0.0; at < length; at += kDashOn + kDashOff) {
        const double end = std::min(at + kDashOn, length);
        const auto point = [&](double t) {
            return FigurePoint{a.x + (b.x - a.x) * t / length, a.y + (b.y - a.y) * t / length};
        };
        PaintSegment(picture, point(at), point(end), colour, thickness);
    }
}

void Paint(RgbImage& picture, const FigureLine& line) {
    const int thickness = std::max(1, static_cast<int>(std::lround(line.width)));
    for (std::size_t i = 1; i < line.points.size(); ++i) {
        if (line.dashed) {
            PaintDashed(picture, line.points[i - 1], line.points[i], line.colour, thickness);
        } else {
            PaintSegment(picture, line.points[i - 1], line.points[i], line.colour, thickness);
        }
    }
}

void Paint(RgbImage& picture, const FigureRect& rect) {
    const double xs[kRectCorners] = {rect.x, rect.x + rect.width, rect.x + rect.width, rect.x};
    const double ys[kRectCorners] = {rect.y, rect.y, rect.y + rect.height, rect.y + rect.height};
    picture.FillPolygon(xs, ys, kRectCorners, rect.colour);
}

void Paint(RgbImage& picture, const FigureText& text) {
    const std::string printable = OverlayFont::Printable(text.text);
    const int width = OverlayFont::TextWidth(printable, kFigureTextHeight);
    const double shift = text.anchor == TextAnchor::Middle ? width / 2.0
                         : text.anchor == TextAnchor::End  ? width
                                                           : 0;
    // The font's texts stand on their box's bottom edge, a little below an SVG baseline.
    const int x = static_cast<int>(std::lround(text.x - shift));
    const int y = static_cast<int>(std::lround(text.y));
    for (const OverlayFont::Quad& quad :
         OverlayFont::TextQuads(printable, x, y, kFigureTextHeight, 0)) {
        picture.FillPolygon(quad.x, quad.y, kRectCorners, text.colour);
    }
}

}  // namespace

std::string FigureSvg(const PlotFigure& figure) {
    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"" << EscapeXml(figure.role)
        << "\" width=\"" << figure.width << "\" height=\"" << figure.height << "\" viewBox=\"0 0 "
        << figure.width << ' ' << figure.height << "\" font-family=\"sans-serif\" font-size=\""
        << kFigureTextHeight << "\">\n<title>" << EscapeXml(figure.title) << "</title>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"" << HexColour(kBackground) << "\"/>\n";
    for (const FigureItem& item : figure.items) {
        std::visit([&out](const auto& shape) { Write(out, shape); }, item);
    }
    out << "</svg>\n";
    return out.str();
}

RgbImage FigurePicture(const PlotFigure& figure) {
    RgbImage picture(figure.width, figure.height);
    const double xs[kRectCorners] = {0.0, 1.0 * figure.width, 1.0 * figure.width, 0.0};
    const double ys[kRectCorners] = {0.0, 0.0, 1.0 * figure.height, 1.0 * figure.height};
    picture.FillPolygon(xs, ys, kRectCorners, kBackground);
    for (const FigureItem& item : figure.items) {
        std::visit([&picture](const auto& shape) { Paint(picture, shape); }, item);
    }
    return picture;
}
