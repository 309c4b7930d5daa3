#pragma once
// LoadedImage: a decoded image as the measurements read it, with what the file held.
//
// The library's path search reads 8-bit grey values, so every image is decoded straight into
// 8-bit grey, row by row, without an intermediate copy at the file's depth:
// - colour becomes grey by the weights (77 R + 150 G + 29 B) / 256 (about 0.30, 0.59, 0.11);
//   alpha is ignored;
// - 16-bit samples become 8-bit by value * 255 / 65535, rounded to the nearest (the stated
//   scaling rule, reported in the results as `image.scaled_from_bits`).
// The grey image is shared: the measurements and the overlay read the same pixels.
//
//   LoadedImage image = LoadImage("part.tif");
//   if (image.info.bitsPerSample == 16) { ... scaled ... }

#include <memory>
#include <string>

#include "foundation/OType_Image.h"

struct ImageInfo {
    std::string format;     // "PNG", "TIFF", "JPEG", "BMP", "PNM", "GIF", ...
    int bitsPerSample = 8;  // as stored in the file
    int channels = 1;       // as stored in the file (1 grey, 2 grey + alpha, 3 RGB, 4 RGBA)
};

struct LoadedImage {
    std::shared_ptr<OType_Image> grey;
    ImageInfo info;

    bool ScaledFromDeeper() const { return info.bitsPerSample > 8; }
};
