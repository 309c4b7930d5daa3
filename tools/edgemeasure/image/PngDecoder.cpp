// PNG files through libpng's row reader. libpng reports errors by longjmp: the function that
// calls setjmp holds no object with a destructor that the jump could skip (the pixels live in the
// caller's frame), and the message is kept for FailDamaged.

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/GreyRows.h"
#include "image/ImageDecoders.h"

namespace {

constexpr std::size_t kMessageSize = 200;

struct PngState {
    ByteSource* source = nullptr;
    char message[kMessageSize] = "";
};

void ReadBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->source->Read(data, size) != size) {
        png_error(png, "the file ends early");
    }
}

void OnError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    if (state->message[0] == '\0') {
        std::strncpy(state->message, message, kMessageSize - 1);
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// What the file holds, and the pixels decoded into the caller's buffers.
struct PngPixels {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bits = 8;
    int channels = 1;
    std::vector<unsigned char> grey;    // 8-bit files
    std::vector<std::uint16_t> grey16;  // 16-bit files
    std::vector<unsigned char> rows;    // one row, or the whole image when interlaced
};

// libpng's transformations to 8- or 16-bit samples of 1 to 4 channels, 16 bits in host order.
void SetTransformations(png_structp png, png_infop info) {
    const int type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_bit_depth(png, info) == 16) {
        png_set_swap(png);  // PNG stores 16-bit samples big-endian
    }
}

// The read structures, destroyed however the read ends (declared before setjmp, so the jump
// back into ReadPng skips no destructor).
struct PngHandles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngHandles() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

enum class PngRead { Ok, Failed, TooLarge };

template <class Sample>
void ReadRows(png_structp png, int passes, std::size_t rowBytes, PngPixels& out,
              std::vector<Sample>& grey) {
    const GreyRows convert(out.channels);
    grey.resize(static_cast<std::size_t>(out.width) * out.height);
    if (passes == 1) {
        out.rows.resize(rowBytes);
        for (png_uint_32 y = 0; y < out.height; ++y) {
            png_read_row(png, out.rows.data(), nullptr);
            convert.Convert(out.rows.data(), grey.data() + std::size_t{y} * out.width, out.width);
        }
        return;
    }
    // Interlaced files deliver every row several times: they are read whole at their depth.
    out.rows.resize(rowBytes * out.height);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < out.height; ++y) {
            png_read_row(png, out.rows.data() + rowBytes * y, nullptr);
        }
    }
    for (png_uint_32 y = 0; y < out.height; ++y) {
        convert.Convert(out.rows.data() + rowBytes * y, grey.data() + std::size_t{y} * out.width,
                        out.width);
    }
}

PngRead ReadPng(PngState& state, PngPixels& out, std::int64_t maxPixels) {
    PngHandles handles;
    handles.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    handles.info = handles.png != nullptr ? png_create_info_struct(handles.png) : nullptr;
    if (handles.info == nullptr) {
        std::strncpy(state.message, "out of memory", kMessageSize - 1);
        return PngRead::Failed;
    }
    png_structp png = handles.png;
    png_infop info = handles.info;
    if (setjmp(png_jmpbuf(png))) {
        return PngRead::Failed;
    }
    png_set_read_fn(png, &state, ReadBytes);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    if (!ImageSizeAccepted(out.width, out.height, maxPixels)) {
        return PngRead::TooLarge;
    }
    out.bits = png_get_bit_depth(png, info) == 16 ? 16 : 8;
    SetTransformations(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.channels = png_get_channels(png, info);
    if (out.bits == 16) {
        ReadRows(png, passes, png_get_rowbytes(png, info), out, out.grey16);
    } else {
        ReadRows(png, passes, png_get_rowbytes(png, info), out, out.grey);
    }
    png_read_end(png, nullptr);
    return PngRead::Ok;
}

// libpng's messages in the user's terms.
std::string Reason(const char* message) {
    const std::string text = message;
    if (text.find("CRC") != std::string::npos) {
        return "checksum error";
    }
    if (text.find("ends early") != std::string::npos || text.find("EOF") != std::string::npos) {
        return "the file ends early";
    }
    if (text.find("Not a PNG") != std::string::npos ||
        text.find("signature") != std::string::npos) {
        return "no PNG signature";
    }
    if (text.find("memory") != std::string::npos) {
        return "out of memory";
    }
    return "damaged data: " + text;
}

}  // namespace

LoadedImage DecodePng(ByteSource& source, const std::string& name, std::int64_t maxPixels) {
    PngState state;
    state.source = &source;
    PngPixels pixels;
    switch (ReadPng(state, pixels, maxPixels)) {
        case PngRead::Failed:
            FailDamaged(name, "PNG", Reason(state.message));
        case PngRead::TooLarge:
            CheckImageSize(pixels.width, pixels.height, name, "PNG", maxPixels);
            break;
        case PngRead::Ok:
            break;
    }
    pixels.rows = {};
    LoadedImage image;
    image.info = {"PNG", pixels.bits, pixels.channels};
    const int width = static_cast<int>(pixels.width);
    const int height = static_cast<int>(pixels.height);
    if (pixels.bits == 16) {
        image.deep = std::make_shared<OType_Image16>(width, height, std::move(pixels.grey16));
    } else {
        image.grey = std::make_shared<OType_Image>(width, height, std::move(pixels.grey));
    }
    return image;
}
