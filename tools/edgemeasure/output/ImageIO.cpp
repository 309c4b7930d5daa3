#include "output/ImageIO.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <stb/stb_image_write.h>

#include "job/ToolError.h"

namespace {

constexpr int kJpegQuality = 92;  // visually lossless for overlays, a fraction of a PNG's size
constexpr int kGreyChannels = 1;

void AppendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

}  // namespace

PictureFormat OverlayFormatOf(const std::string& path, const std::string& option) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") {
        return PictureFormat::Png;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return PictureFormat::Jpeg;
    }
    if (extension == ".bmp") {
        return PictureFormat::Bmp;
    }
    if (extension == ".svg") {
        return PictureFormat::Svg;
    }
    throw ToolError(option + ": '" + path +
                    "' has no known picture extension (.png, .jpg, .jpeg, .bmp or .svg)");
}

std::vector<unsigned char> EncodePicture(const RgbImage& image, PictureFormat format) {
    std::vector<unsigned char> bytes;
    if (image.Width() == 0 || image.Height() == 0) {
        return bytes;
    }
    // stb's writer takes a non-const pointer but only reads the pixels.
    auto* pixels = const_cast<std::uint8_t*>(image.Bytes().data());
    const int w = image.Width();
    const int h = image.Height();
    const int channels = RgbImage::kChannels;
    int written = 0;
    switch (format) {
        case PictureFormat::Jpeg:
            written =
                stbi_write_jpg_to_func(&AppendBytes, &bytes, w, h, channels, pixels, kJpegQuality);
            break;
        case PictureFormat::Bmp:
            written = stbi_write_bmp_to_func(&AppendBytes, &bytes, w, h, channels, pixels);
            break;
        default:
            written =
                stbi_write_png_to_func(&AppendBytes, &bytes, w, h, channels, pixels, w * channels);
    }
    if (written == 0) {
        bytes.clear();
    }
    return bytes;
}

std::vector<unsigned char> EncodePng(const RgbImage& image) {
    return EncodePicture(image, PictureFormat::Png);
}

std::vector<unsigned char> EncodeGreyPng(const OType_Image& image) {
    std::vector<unsigned char> bytes;
    if (image.GetWidth() == 0 || image.GetHeight() == 0) {
        return bytes;
    }
    auto* pixels = const_cast<unsigned char*>(image.GetData());
    if (stbi_write_png_to_func(&AppendBytes, &bytes, image.GetWidth(), image.GetHeight(),
                               kGreyChannels, pixels, image.GetStride()) == 0) {
        bytes.clear();
    }
    return bytes;
}
