// JPEG, BMP, PGM/PPM, GIF and the other formats of stb's decoder, read through its callbacks.
// The decoder's own buffer becomes the image (a view with a deleter), so the pixels are held
// once; 16-bit PGM/PPM samples are made grey in place and become a 16-bit image.

#include <stb/stb_image.h>

#include <cstdint>

#include "image/GreyRows.h"
#include "image/ImageDecoders.h"

namespace {

constexpr int kGreyChannels = 1;  // ask the decoder for one grey channel
constexpr int kFileChannels = 0;  // ask the decoder for the file's channels
constexpr int kSixteenBits = 16;
constexpr int kEightBits = 8;

int ReadCallback(void* user, char* data, int size) {
    return static_cast<int>(
        static_cast<ByteSource*>(user)->Read(data, static_cast<std::size_t>(size)));
}

void SkipCallback(void* user, int count) {
    auto* source = static_cast<ByteSource*>(user);
    const std::uint64_t at = source->Position();
    // A negative skip never goes before the start; one past the end leaves the source at its end.
    const std::uint64_t target =
        count < 0
            ? at - std::min<std::uint64_t>(at, static_cast<std::uint64_t>(-std::int64_t{count}))
            : at + static_cast<std::uint64_t>(count);
    if (!source->Seek(target)) {
        source->Seek(source->Size());
    }
}

int EofCallback(void* user) {
    const auto* source = static_cast<ByteSource*>(user);
    return source->Position() >= source->Size() ? 1 : 0;
}

const stbi_io_callbacks kCallbacks = {ReadCallback, SkipCallback, EofCallback};

// The decoder's buffer, freed with the image that views it.
struct StbPixels {
    void* buffer = nullptr;
    OType_Image view;
    OType_Image16 view16;
    ~StbPixels() { stbi_image_free(buffer); }
};

std::string Reason(const char* reason) {
    const std::string text = reason != nullptr ? reason : "";
    if (text == "outofmem") {
        return "out of memory";
    }
    if (text.empty() || text == "unknown image type") {
        return "unknown content";
    }
    return "damaged data: " + text;
}

}  // namespace

LoadedImage DecodeWithStb(ByteSource& source, const std::string& name, const std::string& format,
                          std::int64_t maxPixels) {
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_callbacks(&kCallbacks, &source, &width, &height, &channels) == 0) {
        FailDamaged(name, format, Reason(stbi_failure_reason()));
    }
    CheckImageSize(width, height, name, format, maxPixels);
    source.Seek(0);
    const bool sixteen = stbi_is_16_bit_from_callbacks(&kCallbacks, &source) != 0;
    source.Seek(0);
    auto pixels = std::make_shared<StbPixels>();
    if (sixteen) {
        // In the file's own channels: the decoder's channel conversion of 16-bit PNM treats the
        // samples as bytes and answers a buffer of half the size. GreyRows converts them below.
        pixels->buffer = stbi_load_16_from_callbacks(&kCallbacks, &source, &width, &height,
                                                     &channels, kFileChannels);
    } else {
        pixels->buffer = stbi_load_from_callbacks(&kCallbacks, &source, &width, &height, &channels,
                                                  kGreyChannels);
    }
    if (pixels->buffer == nullptr) {
        FailDamaged(name, format, Reason(stbi_failure_reason()));
    }
    LoadedImage image;
    image.info = {format, sixteen ? kSixteenBits : kEightBits, channels};
    if (sixteen) {
        // In place: each grey sample lies at or before the samples it is made of.
        auto* samples = static_cast<std::uint16_t*>(pixels->buffer);
        const auto count = static_cast<std::int64_t>(width) * static_cast<std::int64_t>(height);
        GreyRows(channels).Convert(samples, samples, count);
        pixels->view16 = OType_Image16(width, height, samples, width);
        image.deep = std::shared_ptr<OType_Image16>(pixels, &pixels->view16);
        return image;
    }
    pixels->view = OType_Image(width, height, static_cast<unsigned char*>(pixels->buffer), width);
    image.grey = std::shared_ptr<OType_Image>(pixels, &pixels->view);
    return image;
}
