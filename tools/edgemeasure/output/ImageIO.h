#pragma once
// ImageIO: encoding pictures for output through stb's image writer (the Debian libstb package).
//
// PNG (colour, or grey for the image embedded in SVG and HTML), JPEG (quality 92) and BMP. The
// format of an overlay file comes from its extension (OverlayFormatOf); an unknown extension is
// a ToolError that lists the known ones.
//
//   std::vector<unsigned char> png = EncodePng(canvas);
//   std::vector<unsigned char> jpg = EncodePicture(canvas, PictureFormat::Jpeg);

#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "overlay/RgbImage.h"

enum class PictureFormat { Png, Jpeg, Bmp, Svg };

// The format named by a file's extension (.png, .jpg, .jpeg, .bmp, .svg, any case); throws
// ToolError naming `option` for any other.
PictureFormat OverlayFormatOf(const std::string& path, const std::string& option);

// The file contents of a colour image (PNG, JPEG or BMP); an empty image gives an empty result.
std::vector<unsigned char> EncodePicture(const RgbImage& image, PictureFormat format);
std::vector<unsigned char> EncodePng(const RgbImage& image);
// A grey image as a one-channel PNG.
std::vector<unsigned char> EncodeGreyPng(const OType_Image& image);
