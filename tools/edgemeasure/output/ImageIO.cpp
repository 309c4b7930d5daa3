#include "output/ImageIO.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "job/ToolError.h"

namespace {

constexpr int kGreyChannels = 1;  // ask the decoder for one grey channel

struct StbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

void AppendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

}  // namespace

OType_Image LoadGreyImage(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw ToolError("cannot read image '" + path + "': no such file");
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        throw ToolError("cannot read image '" + path + "': not a file");
    }
    int width = 0;
    int height = 0;
    int channelsInFile = 0;
    std::unique_ptr<unsigned char, StbFree> pixels(
        stbi_load(path.c_str(), &width, &height, &channelsInFile, kGreyChannels));
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        throw ToolError("cannot decode image '" + path +
                        "': " + (reason != nullptr ? reason : "unknown format"));
    }
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return OType_Image(width, height,
                       std::vector<unsigned char>(pixels.get(), pixels.get() + size));
}

std::vector<unsigned char> EncodePng(const RgbImage& image) {
    std::vector<unsigned char> bytes;
    if (image.Width() == 0 || image.Height() == 0) {
        return bytes;
    }
    const int rowBytes = image.Width() * RgbImage::kChannels;
    // stb's writer takes a non-const pointer but only reads the pixels.
    auto* pixels = const_cast<std::uint8_t*>(image.Bytes().data());
    if (stbi_write_png_to_func(&AppendBytes, &bytes, image.Width(), image.Height(),
                               RgbImage::kChannels, pixels, rowBytes) == 0) {
        bytes.clear();
    }
    return bytes;
}

bool IsImageFileName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const char* const kExtensions[] = {".png", ".jpg", ".jpeg", ".bmp",
                                              ".pgm", ".ppm", ".pnm"};
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&extension](const char* known) { return extension == known; });
}
