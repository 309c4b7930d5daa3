#pragma once
// XmlText: text and colours as they go into SVG and HTML documents.
//
// EscapeXml makes any bytes safe as element text or a quoted attribute value: & < > " ' become
// entities, and control characters (not allowed in XML text) become '?'; other bytes pass as
// they are. HexColour writes a colour as #rrggbb.
//
//   out << "<text fill=\"" << HexColour(colour) << "\">" << EscapeXml(name) << "</text>";

#include <string>

#include "overlay/RgbImage.h"

std::string EscapeXml(const std::string& text);
std::string HexColour(Rgb colour);
