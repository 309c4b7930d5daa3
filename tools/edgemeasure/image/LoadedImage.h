#pragma once
// LoadedImage: a decoded image as the measurements read it, with what the file held.
//
// Images are decoded row by row into grey, without an intermediate copy at the file's depth:
// - colour becomes grey by the weights (77 R + 150 G + 29 B) / 256 (about 0.30, 0.59, 0.11);
//   alpha is ignored;
// - 8-bit files become an 8-bit grey image (`grey`), 16-bit files a 16-bit one (`deep`), which the
//   calipers measure at full depth. The path search reads 8 bits: for it, and for the overlay's
//   picture, Grey() makes the 8-bit image from the 16-bit one on first use, by
//   value * 255 / 65535 rounded to the nearest (the stated scaling rule, reported in the results
//   as `image.scaled_to_8_bits`). An image measured with calipers alone is held once.
// The images are shared: the measurements and the overlay read the same pixels.
//
//   LoadedImage image = LoadImage("part.tif");
//   if (image.deep) { ... measure at 16 bits ... }
//   const OType_Image& eight = *image.Grey();

#include <memory>
#include <string>

#include "caliper/OType_Image16.h"
#include "foundation/OType_Image.h"

struct ImageInfo {
    std::string format;     // "PNG", "TIFF", "JPEG", "BMP", "PNM", "GIF", ...
    int bitsPerSample = 8;  // as stored in the file
    int channels = 1;       // as stored in the file (1 grey, 2 grey + alpha, 3 RGB, 4 RGBA)
};

struct LoadedImage {
    // 8-bit files; for 16-bit files empty until Grey() makes it.
    mutable std::shared_ptr<OType_Image> grey;
    std::shared_ptr<OType_Image16> deep;  // 16-bit files
    ImageInfo info;

    bool ScaledFromDeeper() const { return info.bitsPerSample > 8; }
    int Width() const { return deep ? deep->GetWidth() : grey ? grey->GetWidth() : 0; }
    int Height() const { return deep ? deep->GetHeight() : grey ? grey->GetHeight() : 0; }
    // The 8-bit image, scaled from the 16-bit one on first use.
    const std::shared_ptr<OType_Image>& Grey() const;
};
