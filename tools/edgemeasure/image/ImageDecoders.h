#pragma once
// ImageDecoders: one decoder per family of image files, each reading a ByteSource positioned at
// the file's start into 8-bit grey (LoadedImage.h).
//
// - PNG through libpng: grey, grey + alpha, RGB, RGBA and palette, 1 to 16 bits, interlaced too.
// - TIFF through libtiff: grey or RGB(A) with 8 or 16 bits per sample in strips or tiles, at full
//   depth; every other kind libtiff knows (palette, YCbCr, bilevel, ...) through its 8-bit RGBA
//   reader. The first image of the file.
// - JPEG, BMP, PGM/PPM, GIF and the rest through stb's decoder (8 bits, and 16-bit PGM/PPM).
// Each checks the size in the header against the limits before it allocates the pixels, and
// throws ToolError in the user's terms: "cannot read image 'x.png': not a PNG file or damaged
// (the file ends early)".

#include <cstdint>
#include <string>

#include "image/ByteSource.h"
#include "image/LoadedImage.h"

// `maxPixels`: the most pixels accepted (at most kMaxImagePixels).
LoadedImage DecodePng(ByteSource& source, const std::string& name, std::int64_t maxPixels);
LoadedImage DecodeTiff(ByteSource& source, const std::string& name, std::int64_t maxPixels);
LoadedImage DecodeWithStb(ByteSource& source, const std::string& name, const std::string& format,
                          std::int64_t maxPixels);

// "cannot read image 'NAME': not a FORMAT file or damaged (REASON)".
[[noreturn]] void FailDamaged(const std::string& name, const std::string& format,
                              const std::string& reason);
