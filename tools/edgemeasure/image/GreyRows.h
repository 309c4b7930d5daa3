#pragma once
// GreyRows: the conversion of one decoded row (8- or 16-bit samples in host byte order, 1 to 4
// channels) into grey of the same depth, by the rules stated in LoadedImage.h; and the check of
// an image's size against the limits (Limits.h) before its pixels are allocated.
//
//   GreyRows rows(3);                      // RGB; the depth is that of the row types
//   rows.Convert(decodedRow16, greyRow16, width);

#include <cstdint>
#include <string>

class GreyRows {
  public:
    // `invert` for files whose zero is white (TIFF's min-is-white).
    explicit GreyRows(int channels, bool invert = false);

    // 8-bit samples into 8-bit grey, 16-bit samples into 16-bit grey.
    void Convert(const void* samples, unsigned char* grey, std::int64_t width) const;
    void Convert(const void* samples, std::uint16_t* grey, std::int64_t width) const;

  private:
    int m_channels;
    bool m_invert;
};

// A 16-bit sample in 8 bits, rounded to the nearest.
inline unsigned char EightBitsOf(unsigned value) {
    constexpr unsigned kMax16 = 65535;
    constexpr unsigned kMax8 = 255;
    return static_cast<unsigned char>((value * kMax8 + kMax16 / 2) / kMax16);
}

// True when an image of this size is within the limits (Limits.h) and has at most `maxPixels`.
bool ImageSizeAccepted(std::int64_t width, std::int64_t height, std::int64_t maxPixels);

// Throws ToolError naming the image when width x height exceeds the limits or is empty.
void CheckImageSize(std::int64_t width, std::int64_t height, const std::string& name,
                    const std::string& format, std::int64_t maxPixels);
