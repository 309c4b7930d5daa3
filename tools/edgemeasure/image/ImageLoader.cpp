#include "image/ImageLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "image/ByteSource.h"
#include "image/ImageDecoders.h"
#include "job/ToolError.h"

namespace {

enum class Family { Png, Tiff, Stb, Unknown };

struct Signature {
    const char* bytes;
    std::size_t size;
    Family family;
    const char* format;
};

// The first bytes of each format read.
const Signature kSignatures[] = {
    {"\x89PNG\r\n\x1a\n", 8, Family::Png, "PNG"},
    {"II*\0", 4, Family::Tiff, "TIFF"},
    {"MM\0*", 4, Family::Tiff, "TIFF"},
    {"II+\0", 4, Family::Tiff, "TIFF"},  // BigTIFF
    {"MM\0+", 4, Family::Tiff, "TIFF"},
    {"\xff\xd8\xff", 3, Family::Stb, "JPEG"},
    {"BM", 2, Family::Stb, "BMP"},
    {"P5", 2, Family::Stb, "PGM"},
    {"P6", 2, Family::Stb, "PPM"},
    {"GIF8", 4, Family::Stb, "GIF"},
};

// Formats by file name extension, for messages about files whose content is no known format.
const std::pair<const char*, const char*> kExtensions[] = {
    {".png", "PNG"}, {".tif", "TIFF"}, {".tiff", "TIFF"}, {".jpg", "JPEG"}, {".jpeg", "JPEG"},
    {".bmp", "BMP"}, {".pgm", "PGM"},  {".ppm", "PPM"},   {".pnm", "PNM"},  {".gif", "GIF"},
};

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

const char* FormatOfName(const std::string& path) {
    const std::string extension = LowerExtension(path);
    for (const auto& [known, format] : kExtensions) {
        if (extension == known) {
            return format;
        }
    }
    return nullptr;
}

LoadedImage Decode(ByteSource& source, const std::string& name, std::int64_t maxPixels) {
    constexpr std::size_t kSniffBytes = 8;
    unsigned char head[kSniffBytes] = {};
    const std::size_t got = source.Read(head, kSniffBytes);
    source.Seek(0);
    const char* namedFormat = FormatOfName(name);
    if (got == 0) {
        FailDamaged(name, namedFormat != nullptr ? namedFormat : "image", "the file is empty");
    }
    for (const Signature& s : kSignatures) {
        if (got >= s.size && std::memcmp(head, s.bytes, s.size) == 0) {
            switch (s.family) {
                case Family::Png:
                    return DecodePng(source, name, maxPixels);
                case Family::Tiff:
                    return DecodeTiff(source, name, maxPixels);
                default:
                    return DecodeWithStb(source, name, s.format, maxPixels);
            }
        }
    }
    if (namedFormat != nullptr) {
        FailDamaged(name, namedFormat, "unknown content");
    }
    throw ToolError("cannot read image '" + name +
                    "': not an image file (PNG, TIFF, JPEG, BMP, PGM/PPM or GIF)");
}

}  // namespace

void FailDamaged(const std::string& name, const std::string& format, const std::string& reason) {
    const bool vowel = !format.empty() && std::strchr("AEIOU", format[0]) != nullptr;
    throw ToolError("cannot read image '" + name + "': not " + (vowel ? "an " : "a ") + format +
                    " file or damaged (" + reason + ")");
}

LoadedImage DecodeImage(const unsigned char* bytes, std::size_t size, const std::string& name,
                        std::int64_t maxPixels) {
    MemorySource source(bytes, size);
    return Decode(source, name, maxPixels);
}

LoadedImage LoadImage(const std::string& path) {
    if (path == kStandardInputPath) {
        const std::vector<unsigned char> bytes = ReadAllOf(stdin);
        return DecodeImage(bytes.data(), bytes.size(), kStandardInputName, kMaxImagePixels);
    }
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw ToolError("cannot read image '" + path + "': no such file");
    }
    if (std::filesystem::is_directory(path, error)) {
        throw ToolError("cannot read image '" + path + "': is a folder");
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        throw ToolError("cannot read image '" + path + "': not a file");
    }
    FileSource source(path, path);
    return Decode(source, path, kMaxImagePixels);
}

bool IsImageFileName(const std::string& path) {
    return FormatOfName(path) != nullptr;
}
