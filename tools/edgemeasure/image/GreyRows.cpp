#include "image/GreyRows.h"

#include <algorithm>
#include <cstring>

#include "image/ImageDecoders.h"
#include "image/LoadedImage.h"
#include "job/Limits.h"
#include "job/ToolError.h"

namespace {

// Luma weights in 1/256: the same as the 8-bit decoder of the other formats uses, so that a
// colour image reads to the same grey values whatever its file format.
constexpr unsigned kRedWeight = 77;
constexpr unsigned kGreenWeight = 150;
constexpr unsigned kBlueWeight = 29;
constexpr unsigned kWeightShift = 8;

template <class Sample>
unsigned Luma(const Sample* p) {
    return (kRedWeight * p[0] + kGreenWeight * p[1] + kBlueWeight * p[2]) >> kWeightShift;
}

// Samples of one depth into grey of the same depth.
template <class Sample>
void ConvertRow(const Sample* in, Sample* out, std::int64_t width, int channels, bool invert) {
    constexpr unsigned kMax = sizeof(Sample) == 2 ? 65535u : 255u;
    const bool colour = channels >= 3;
    for (std::int64_t x = 0; x < width; ++x, in += channels) {
        unsigned value = colour ? Luma(in) : in[0];
        if (invert) {
            value = kMax - value;
        }
        out[x] = static_cast<Sample>(value);
    }
}

}  // namespace

GreyRows::GreyRows(int channels, bool invert) : m_channels(channels), m_invert(invert) {}

void GreyRows::Convert(const void* samples, unsigned char* grey, std::int64_t width) const {
    ConvertRow(static_cast<const unsigned char*>(samples), grey, width, m_channels, m_invert);
}

void GreyRows::Convert(const void* samples, std::uint16_t* grey, std::int64_t width) const {
    ConvertRow(static_cast<const std::uint16_t*>(samples), grey, width, m_channels, m_invert);
}

const std::shared_ptr<OType_Image>& LoadedImage::Grey() const {
    if (!grey && deep) {
        const int width = deep->GetWidth();
        const int height = deep->GetHeight();
        std::vector<unsigned char> pixels(static_cast<std::size_t>(width) *
                                          static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            const std::uint16_t* row =
                deep->GetData() + static_cast<std::ptrdiff_t>(y) * deep->GetStride();
            unsigned char* out =
                pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = 0; x < width; ++x) {
                out[x] = EightBitsOf(row[x]);
            }
        }
        grey = std::make_shared<OType_Image>(width, height, std::move(pixels));
    }
    return grey;
}

bool ImageSizeAccepted(std::int64_t width, std::int64_t height, std::int64_t maxPixels) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= std::min(maxPixels, kMaxImagePixels);
}

void CheckImageSize(std::int64_t width, std::int64_t height, const std::string& name,
                    const std::string& format, std::int64_t maxPixels) {
    if (width <= 0 || height <= 0) {
        FailDamaged(name, format, "it holds no pixels");
    }
    if (!ImageSizeAccepted(width, height, maxPixels)) {
        throw ToolError("cannot read image '" + name + "': " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels is more than edgemeasure reads (" +
                        "at most " + std::to_string(kMaxImageSide) + " pixels a side and " +
                        std::to_string(std::min(maxPixels, kMaxImagePixels)) + " pixels in all)");
    }
}
