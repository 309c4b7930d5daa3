#pragma once
// ImageLoader: an image file (or standard input) into the 8-bit grey image that is measured.
//
// The format is told by the file's first bytes, not by its name: PNG and TIFF go to libpng and
// libtiff, JPEG, BMP, PGM/PPM and GIF to stb's decoder (ImageDecoders.h). Problems throw
// ToolError in the user's terms, naming the file:
//   "cannot read image 'a.png': no such file"            "... 'photos': is a folder"
//   "cannot read image 'b.png': not a PNG file or damaged (the file ends early)"
//   "cannot read image 'c.dat': not an image file (PNG, TIFF, JPEG, BMP, PGM/PPM or GIF)"
// The path "-" reads standard input, named "standard input" in messages and results.
//
//   LoadedImage image = LoadImage("part.tif");
//   LoadedImage same = DecodeImage(bytes.data(), bytes.size(), "part.tif");

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/LoadedImage.h"
#include "job/Limits.h"

constexpr const char* kStandardInputPath = "-";
constexpr const char* kStandardInputName = "standard input";

LoadedImage LoadImage(const std::string& path);

// An image from bytes in memory; `name` names it in messages (its extension is a hint only).
// `maxPixels` lowers the pixel limit (for the fuzzer, whose memory is bounded).
LoadedImage DecodeImage(const unsigned char* bytes, std::size_t size, const std::string& name,
                        std::int64_t maxPixels = kMaxImagePixels);

// True for the file names that a folder is searched for (.png .tif .tiff .jpg .jpeg .bmp .pgm
// .ppm .pnm .gif, any case).
bool IsImageFileName(const std::string& path);
