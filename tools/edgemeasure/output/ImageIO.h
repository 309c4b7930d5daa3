#pragma once
// ImageIO: reading images into the library's grey image and writing overlay pictures, through
// stb's image library (the Debian libstb package). No decoder of our own.
//
// Reading: PNG, JPEG, BMP and binary PGM/PPM (8 or 16 bits per channel, grey or colour, with or
// without alpha). Colour becomes grey by the library's luma weights (about 0.30 R + 0.59 G
// + 0.11 B); 16-bit samples are scaled to 8 bits. Problems throw ToolError naming the file:
// "cannot read image 'a.png': no such file", "cannot decode image 'b.png': <reason>".
//
//   OType_Image image = LoadGreyImage("part.png");
//   std::vector<unsigned char> png = EncodePng(canvas);

#include <string>
#include <vector>

#include "foundation/OType_Image.h"
#include "overlay/RgbImage.h"

OType_Image LoadGreyImage(const std::string& path);

// The PNG file contents of a colour image; an empty image gives an empty result.
std::vector<unsigned char> EncodePng(const RgbImage& image);

// True for the file names that batch mode picks up (.png, .jpg, .jpeg, .bmp, .pgm, .ppm, .pnm, any
// case).
bool IsImageFileName(const std::string& path);
