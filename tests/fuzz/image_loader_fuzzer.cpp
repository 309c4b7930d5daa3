// Fuzz target: edgemeasure's image loader (PNG through libpng, TIFF through libtiff, JPEG, BMP,
// PGM/PPM and GIF through stb) on arbitrary bytes.
//
// Rules that hold for every input: the loader answers an image or throws ToolError, never
// anything else and never a crash or a read outside the bytes; an image it answers lies within
// the pixel limits, has the size it claims and a depth that the readers know, and every pixel
// can be read.

#include <cstddef>
#include <cstdint>
#include <numeric>

#include "FuzzInput.h"
#include "image/ImageLoader.h"
#include "job/Limits.h"
#include "job/ToolError.h"

namespace {

// The fuzzer's memory is bounded: images above a few million pixels are refused by their header,
// as the tool refuses those above its limit (which the suite tests).
constexpr std::int64_t kMaxFuzzPixels = std::int64_t{1} << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const LoadedImage image = DecodeImage(data, size, "fuzz.img", kMaxFuzzPixels);
        const OType_Image& grey = *image.Grey();
        const std::int64_t pixels = std::int64_t{grey.GetWidth()} * grey.GetHeight();
        FuzzRequire(grey.GetWidth() > 0 && grey.GetHeight() > 0 && pixels <= kMaxFuzzPixels,
                    "an image outside the pixel limit");
        // TIFF's own reader takes bilevel and palette images of 1, 2 and 4 bits as well.
        const int bits = image.info.bitsPerSample;
        FuzzRequire(bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16,
                    "a depth other than 1, 2, 4, 8 or 16 bits");
        // Every byte of every row is read (AddressSanitizer checks each), a row at a time: the
        // pixel accessor, instrumented, would cost seconds on the largest images.
        std::uint64_t sum = 0;
        for (int y = 0; y < grey.GetHeight(); ++y) {
            const unsigned char* row = grey.GetData() + std::ptrdiff_t{y} * grey.GetStride();
            sum = std::accumulate(row, row + grey.GetWidth(), sum);
        }
        volatile std::uint64_t kept = sum;  // so that the reads are not optimised away
        (void)kept;
    } catch (const ToolError&) {
    }
    return 0;
}
