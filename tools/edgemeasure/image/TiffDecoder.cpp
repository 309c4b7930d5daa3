// TIFF files through libtiff, read from a ByteSource by libtiff's client procedures. Grey and
// RGB(A) images of 8 or 16 bits per (unsigned) sample, interleaved, are read strip by strip or
// tile by tile at full depth and converted row by row; every other kind goes through libtiff's
// 8-bit RGBA reader, which needs a 32-bit word per pixel while it runs.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "image/GreyRows.h"
#include "image/ImageDecoders.h"

namespace {

struct TiffClient {
    ByteSource* source = nullptr;
    std::string message;
};

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
    auto* client = static_cast<TiffClient*>(handle);
    return size < 0
               ? 0
               : static_cast<tmsize_t>(client->source->Read(data, static_cast<std::size_t>(size)));
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return 0;  // read only
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    ByteSource& source = *static_cast<TiffClient*>(handle)->source;
    toff_t base = 0;
    if (whence == SEEK_CUR) {
        base = source.Position();
    } else if (whence == SEEK_END) {
        base = source.Size();
    }
    const toff_t target = base + offset;
    // A position past the end is refused; libtiff then reports a short read.
    return source.Seek(target) ? target : std::numeric_limits<toff_t>::max();
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return static_cast<TiffClient*>(handle)->source->Size();
}

int OnError(TIFF*, void* handle, const char*, const char* format, va_list arguments) {
    auto* client = static_cast<TiffClient*>(handle);
    if (client->message.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, arguments);
        client->message = text;
    }
    return 1;  // handled: libtiff prints nothing
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffClose {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffClose>;

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 0;
    std::uint16_t channels = 0;
    std::uint16_t photometric = 0;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    bool tiled = false;

    // Read at full depth by this decoder; else by libtiff's RGBA reader.
    bool Direct() const {
        const bool grey =
            (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
            channels >= 1 && channels <= 2;
        const bool rgb = photometric == PHOTOMETRIC_RGB && channels >= 3 && channels <= 4;
        return (grey || rgb) && (bits == 8 || bits == 16) && sampleFormat == SAMPLEFORMAT_UINT &&
               (planar == PLANARCONFIG_CONTIG || channels == 1);
    }
};

Layout ReadLayout(TIFF* tiff) {
    Layout layout;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.channels);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &layout.planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &layout.sampleFormat);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric)) {
        layout.photometric = layout.channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    }
    layout.tiled = TIFFIsTiled(tiff) != 0;
    return layout;
}

// Copies the rows [firstRow, firstRow + rows) of a decoded block (a strip, or a tile's columns
// [firstColumn, firstColumn + columns)) into the grey image.
template <class Sample>
void ConvertBlock(const Layout& layout, const GreyRows& convert, const unsigned char* block,
                  std::size_t blockRowBytes, std::uint32_t firstRow, std::uint32_t rows,
                  std::uint32_t firstColumn, std::uint32_t columns, Sample* grey) {
    const std::uint32_t lastRow = std::min(layout.height, firstRow + rows);
    const std::uint32_t width = std::min(columns, layout.width - firstColumn);
    for (std::uint32_t y = firstRow; y < lastRow; ++y) {
        convert.Convert(block + (y - firstRow) * blockRowBytes,
                        grey + std::size_t{y} * layout.width + firstColumn, width);
    }
}

template <class Sample>
bool ReadStrips(TIFF* tiff, const Layout& layout, const GreyRows& convert, Sample* grey) {
    std::uint32_t rowsPerStrip = layout.height;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, layout.height);
    const std::size_t rowBytes = std::size_t{layout.width} * layout.channels * (layout.bits / 8);
    std::vector<unsigned char> strip(rowBytes * rowsPerStrip);
    for (std::uint32_t row = 0; row < layout.height; row += rowsPerStrip) {
        const tstrip_t index = TIFFComputeStrip(tiff, row, 0);
        const std::uint32_t rows = std::min(rowsPerStrip, layout.height - row);
        if (TIFFReadEncodedStrip(tiff, index, strip.data(),
                                 static_cast<tmsize_t>(rowBytes * rows)) < 0) {
            return false;
        }
        ConvertBlock(layout, convert, strip.data(), rowBytes, row, rows, 0, layout.width, grey);
    }
    return true;
}

template <class Sample>
bool ReadTiles(TIFF* tiff, const Layout& layout, const GreyRows& convert, Sample* grey) {
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    if (tileWidth == 0 || tileHeight == 0 || tileBytes <= 0) {
        return false;
    }
    const std::size_t tileRowBytes = std::size_t{tileWidth} * layout.channels * (layout.bits / 8);
    if (tileRowBytes * tileHeight > static_cast<std::size_t>(tileBytes)) {
        return false;
    }
    std::vector<unsigned char> tile(static_cast<std::size_t>(tileBytes));
    for (std::uint32_t y = 0; y < layout.height; y += tileHeight) {
        for (std::uint32_t x = 0; x < layout.width; x += tileWidth) {
            if (TIFFReadTile(tiff, tile.data(), x, y, 0, 0) < 0) {
                return false;
            }
            ConvertBlock(layout, convert, tile.data(), tileRowBytes, y, tileHeight, x, tileWidth,
                         grey);
        }
    }
    return true;
}

// Any other kind, through libtiff's RGBA reader (8 bits per channel, rows from the top).
bool ReadRgba(TIFF* tiff, const Layout& layout, unsigned char* grey) {
    char message[1024];
    if (!TIFFRGBAImageOK(tiff, message)) {
        return false;
    }
    std::vector<std::uint32_t> pixels(std::size_t{layout.width} * layout.height);
    if (!TIFFReadRGBAImageOriented(tiff, layout.width, layout.height, pixels.data(),
                                   ORIENTATION_TOPLEFT, 0)) {
        return false;
    }
    const GreyRows convert(3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(TIFFGetR(pixels[i])),
                                      static_cast<unsigned char>(TIFFGetG(pixels[i])),
                                      static_cast<unsigned char>(TIFFGetB(pixels[i]))};
        convert.Convert(rgb, grey + i, 1);
    }
    return true;
}

std::string Reason(const std::string& message) {
    if (message.empty()) {
        return "unsupported kind of TIFF image";
    }
    if (message.find("Not a TIFF") != std::string::npos ||
        message.find("Cannot read TIFF header") != std::string::npos) {
        return "no TIFF header";
    }
    if (message.find("Read error") != std::string::npos ||
        message.find("end of file") != std::string::npos ||
        message.find("past end") != std::string::npos) {
        return "the file ends early";
    }
    return "damaged data: " + message;
}

}  // namespace

LoadedImage DecodeTiff(ByteSource& source, const std::string& name, std::int64_t maxPixels) {
    TiffClient client;
    client.source = &source;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &client);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &client);
    // "m": no memory mapping (the source is not a file descriptor).
    const TiffHandle tiff(TIFFClientOpenExt(name.c_str(), "rm", &client, ReadProc, WriteProc,
                                            SeekProc, CloseProc, SizeProc, nullptr, nullptr,
                                            options.get()));
    if (!tiff) {
        FailDamaged(name, "TIFF", Reason(client.message));
    }
    const Layout layout = ReadLayout(tiff.get());
    CheckImageSize(layout.width, layout.height, name, "TIFF", maxPixels);
    const std::size_t count = std::size_t{layout.width} * layout.height;
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    LoadedImage image;
    image.info = {"TIFF", layout.bits, layout.channels};
    const GreyRows convert(layout.channels, layout.photometric == PHOTOMETRIC_MINISWHITE);
    if (layout.Direct() && layout.bits == 16) {
        std::vector<std::uint16_t> grey(count);
        const bool read = layout.tiled ? ReadTiles(tiff.get(), layout, convert, grey.data())
                                       : ReadStrips(tiff.get(), layout, convert, grey.data());
        if (!read) {
            FailDamaged(name, "TIFF", Reason(client.message));
        }
        image.deep = std::make_shared<OType_Image16>(width, height, std::move(grey));
        return image;
    }
    std::vector<unsigned char> grey(count);
    bool read = false;
    if (layout.Direct()) {
        read = layout.tiled ? ReadTiles(tiff.get(), layout, convert, grey.data())
                            : ReadStrips(tiff.get(), layout, convert, grey.data());
    } else {
        read = ReadRgba(tiff.get(), layout, grey.data());
    }
    if (!read) {
        FailDamaged(name, "TIFF", Reason(client.message));
    }
    image.grey = std::make_shared<OType_Image>(width, height, std::move(grey));
    return image;
}
