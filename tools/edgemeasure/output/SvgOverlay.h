#pragma once
// SvgOverlay: the overlay as an SVG document: the image embedded as a base64 grey PNG, with the
// drawing on top as vector elements (polylines and texts), so that it can be zoomed without
// losing the marks and the texts can be searched.
//
// The SVG's user units are image pixels (the viewBox is the image). A drawing point names a pixel,
// so lines pass through pixel centres (x + 0.5, y + 0.5); texts keep their reference point (the
// bottom-left corner) and escapement, with the width that the overlay font gives them, so they sit
// where the PNG shows them. Strokes do not scale with zoom.
//
//   std::string svg = RenderSvg(image, context.Drawing(), "part.png");

#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "overlay/OverlayDrawing.h"
#include "overlay/RgbImage.h"

std::string RenderSvg(const OType_Image& image, const OverlayDrawing& drawing,
                      const std::string& title);

// The document's content without the <svg> element around it: the embedded image and a group
// of the drawing, for pages that place them in an <svg> of their own.
std::string OverlaySvgElements(const OType_Image& image, const OverlayDrawing& drawing);

// Base64 (RFC 4648, with padding) of bytes, for the embedded image.
std::string Base64Encode(const std::vector<unsigned char>& bytes);
