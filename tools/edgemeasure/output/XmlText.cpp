#include "output/XmlText.h"

#include <cstdio>

std::string EscapeXml(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            case '\'':
                result += "&#39;";
                break;
            default:
                // Line breaks are kept: a tooltip may have several lines.
                result += (static_cast<unsigned char>(c) < ' ' && c != '\t' && c != '\n') ? '?' : c;
        }
    }
    return result;
}

std::string HexColour(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return text;
}
