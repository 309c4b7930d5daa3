#include "overlay/OverlayFont.h"

#include <cmath>
#include <cstring>

#include <stb/stb_easy_font.h>

#include "foundation/Angles.h"

namespace {

constexpr char kFirstPrintable = ' ';
constexpr char kLastPrintable = '~';
constexpr char kReplacement = '?';
// stb's vertex layout: per vertex x, y, z as floats and four colour bytes; four vertices a quad.
constexpr int kVertexBytes = 16;
constexpr int kVerticesPerQuad = 4;
constexpr int kQuadBytes = kVertexBytes * kVerticesPerQuad;
// More rectangles than any glyph of the font has.
constexpr int kMaxQuadsPerCharacter = 32;

struct Frame {
    double originX;
    double originY;
    double scale;
    double cosine;
    double sine;

    // A point of the glyph grid (u along the text, v down across it, v = 0 at the top of the
    // cell) in image coordinates, the bottom-left corner of the cell at the origin. The text runs
    // along (cos a, -sin a): counter-clockwise on screen, where y grows downwards.
    void Map(double u, double v, double& x, double& y) const {
        const double down = v - OverlayFont::kCellHeight;
        x = originX + scale * (u * cosine + down * sine);
        y = originY + scale * (down * cosine - u * sine);
    }
};

Frame MakeFrame(int x, int y, int height, int escapement) {
    const double angle = angles::RadiansFromDegrees(escapement / angles::kTenthsPerDegree);
    return {static_cast<double>(x), static_cast<double>(y), height / OverlayFont::kCellHeight,
            std::cos(angle), std::sin(angle)};
}

}  // namespace

namespace OverlayFont {

std::string Printable(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        if (c < kFirstPrintable || c > kLastPrintable) {
            c = kReplacement;
        }
    }
    return result;
}

std::string Printable(const std::u16string& text) {
    std::string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        const bool printable = c >= static_cast<char16_t>(kFirstPrintable) &&
                               c <= static_cast<char16_t>(kLastPrintable);
        result.push_back(printable ? static_cast<char>(c) : kReplacement);
    }
    return result;
}

int TextWidth(const std::string& text, int height) {
    std::string glyphs = Printable(text);
    const double cellWidth = stb_easy_font_width(glyphs.data());
    return static_cast<int>(std::lround(cellWidth * height / kCellHeight));
}

std::vector<Quad> TextQuads(const std::string& text, int x, int y, int height, int escapement) {
    std::string glyphs = Printable(text);
    std::vector<unsigned char> vertices((glyphs.size() + 1) * kMaxQuadsPerCharacter * kQuadBytes);
    const int quadCount = stb_easy_font_print(0.0f, 0.0f, glyphs.data(), nullptr, vertices.data(),
                                              static_cast<int>(vertices.size()));
    const Frame frame = MakeFrame(x, y, height, escapement);
    std::vector<Quad> quads(static_cast<std::size_t>(quadCount));
    for (int q = 0; q < quadCount; ++q) {
        for (int corner = 0; corner < kVerticesPerQuad; ++corner) {
            const std::size_t at = static_cast<std::size_t>(q * kQuadBytes + corner * kVertexBytes);
            float u = 0.0f;
            float v = 0.0f;
            std::memcpy(&u, &vertices[at], sizeof u);
            std::memcpy(&v, &vertices[at + sizeof u], sizeof v);
            frame.Map(u, v, quads[static_cast<std::size_t>(q)].x[corner],
                      quads[static_cast<std::size_t>(q)].y[corner]);
        }
    }
    return quads;
}

Quad TextBox(const std::string& text, int x, int y, int height, int escapement, double padding) {
    std::string glyphs = Printable(text);
    const Frame frame = MakeFrame(x, y, height, escapement);
    const double width = stb_easy_font_width(glyphs.data());  // in grid units
    const double margin = frame.scale > 0.0 ? padding / frame.scale : 0.0;
    const double left = -margin;
    const double right = width + margin;
    const double top = -margin;
    const double bottom = kCellHeight + margin;
    const double corners[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    Quad box{};
    for (int corner = 0; corner < 4; ++corner) {
        frame.Map(corners[corner][0], corners[corner][1], box.x[corner], box.y[corner]);
    }
    return box;
}

}  // namespace OverlayFont
