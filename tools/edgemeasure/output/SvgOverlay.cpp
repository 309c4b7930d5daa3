#include "output/SvgOverlay.h"

#include <cstdio>
#include <sstream>

#include "foundation/Angles.h"
#include "output/ImageIO.h"
#include "output/RasterOverlay.h"
#include "output/XmlText.h"
#include "overlay/OverlayFont.h"

namespace {

constexpr double kPixelCentre = 0.5;

void Write(std::ostream& out, const OverlayPolyline& line) {
    out << "  <polyline stroke=\"" << HexColour(line.colour)
        << "\" vector-effect=\"non-scaling-stroke\" points=\"";
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        out << (i == 0 ? "" : " ") << line.points[i].x + kPixelCentre << ','
            << line.points[i].y + kPixelCentre;
    }
    out << "\"/>\n";
}

void Write(std::ostream& out, const OverlayText& text) {
    const double angleDeg = text.escapement / angles::kTenthsPerDegree;
    // The text stands on its reference point (x, y), its bottom-left corner, and turns about it;
    // SVG turns clockwise for positive angles (y downwards), the escapement the other way.
    const std::string turn =
        text.escapement == 0 ? std::string()
                             : " transform=\"rotate(" + std::to_string(-angleDeg) + " " +
                                   std::to_string(text.x) + " " + std::to_string(text.y) + ")\"";
    const int width = OverlayFont::TextWidth(text.text, text.height);
    const int top = text.y - text.height;
    if (text.opaque) {
        out << "  <rect x=\"" << text.x - kTextBoxPadding << "\" y=\"" << top - kTextBoxPadding
            << "\" width=\"" << width + 2 * kTextBoxPadding << "\" height=\""
            << text.height + 2 * kTextBoxPadding << "\" fill=\"" << HexColour(kTextBoxColour)
            << "\"" << turn << "/>\n";
    }
    out << "  <text x=\"" << text.x << "\" y=\"" << top << "\" font-size=\"" << text.height
        << "\" fill=\"" << HexColour(text.colour) << "\"";
    if (width > 0) {
        out << " textLength=\"" << width << "\" lengthAdjust=\"spacingAndGlyphs\"";
    }
    out << turn << ">" << EscapeXml(text.text) << "</text>\n";
}

}  // namespace

std::string Base64Encode(const std::vector<unsigned char>& bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr unsigned kSixBits = 0x3F;
    std::string result;
    result.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t remaining = bytes.size() - i;
        const unsigned group = (static_cast<unsigned>(bytes[i]) << 16) |
                               (remaining > 1 ? static_cast<unsigned>(bytes[i + 1]) << 8 : 0u) |
                               (remaining > 2 ? static_cast<unsigned>(bytes[i + 2]) : 0u);
        result += kAlphabet[(group >> 18) & kSixBits];
        result += kAlphabet[(group >> 12) & kSixBits];
        result += remaining > 1 ? kAlphabet[(group >> 6) & kSixBits] : '=';
        result += remaining > 2 ? kAlphabet[group & kSixBits] : '=';
    }
    return result;
}

std::string OverlaySvgElements(const OType_Image& image, const OverlayDrawing& drawing) {
    std::ostringstream out;
    out << "  <image x=\"0\" y=\"0\" width=\"" << image.GetWidth() << "\" height=\""
        << image.GetHeight()
        << "\" style=\"image-rendering:pixelated\" href=\"data:image/png;base64,"
        << Base64Encode(EncodeGreyPng(image)) << "\"/>\n"
        << "  <g fill=\"none\" stroke-width=\"1\" font-family=\"monospace\" "
           "dominant-baseline=\"hanging\">\n";
    for (const OverlayItem& item : drawing.items) {
        std::visit([&out](const auto& shape) { Write(out, shape); }, item);
    }
    out << "  </g>\n";
    return out.str();
}

std::string RenderSvg(const OType_Image& image, const OverlayDrawing& drawing,
                      const std::string& title) {
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
           std::to_string(width) + ' ' + std::to_string(height) + "\">\n  <title>" +
           EscapeXml(title) + "</title>\n" + OverlaySvgElements(image, drawing) + "</svg>\n";
}
