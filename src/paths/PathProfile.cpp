#include "paths/PathProfile.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <typeinfo>

#include "foundation/FixedPoint.h"
#include "foundation/VectorClones.h"
#include "paths/CircleArc.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

// Bytes of padding on either side of a profile, as the Canny detector pads a segment.
constexpr int kPadding = 2;

// The pixel that contains a raw position, when it lies in the image, as
// OType_Image::GetPixel_Grey(OVector) finds it. The pixel is the floor of the raw coordinates; a
// floor beyond the int range, where iX()/iY() saturate, lies outside every image as the saturated
// value does, so one unsigned comparison per coordinate decides.
class PixelReader {
  public:
    explicit PixelReader(const OType_Image& image)
        : m_pixels(image.GetData()),
          m_stride(image.GetStride()),
          m_width(static_cast<std::uint64_t>(image.GetWidth())),
          m_height(static_cast<std::uint64_t>(image.GetHeight())) {}

    // The grey value, or nothing outside the image.
    bool Read(std::int64_t rawX, std::int64_t rawY, unsigned char& grey) const {
        const auto x = static_cast<std::uint64_t>(fixedpoint::FloorPixel(rawX));
        const auto y = static_cast<std::uint64_t>(fixedpoint::FloorPixel(rawY));
        if (x >= m_width || y >= m_height) {
            return false;
        }
        grey = m_pixels[static_cast<std::ptrdiff_t>(y) * m_stride + static_cast<std::ptrdiff_t>(x)];
        return true;
    }

    // The grey value, the no-value marker outside the image.
    int Value(std::int64_t rawX, std::int64_t rawY) const {
        unsigned char grey = 0;
        return Read(rawX, rawY, grey) ? grey : OType_Image::kNoValue;
    }

    // Whether the square of pixels around a centre (pixels) up to `reach` pixels away lies in the
    // image; false for a reach or centre that is not a finite number.
    bool HoldsSquare(double centreX, double centreY, double reach) const {
        return std::isfinite(reach) && centreX - reach >= 0.0 && centreY - reach >= 0.0 &&
               centreX + reach < static_cast<double>(m_width) &&
               centreY + reach < static_cast<double>(m_height);
    }

  private:
    const unsigned char* m_pixels;
    std::ptrdiff_t m_stride;
    std::uint64_t m_width;
    std::uint64_t m_height;
};

// Bounds under which a line's positions are read without a test per position: steps below 2^31
// raw units and a start below 2^62 keep start + i * step (i below 2^31) inside 64 bits.
constexpr std::int64_t kLineStepLimit = std::int64_t{1} << 31;
constexpr std::int64_t kLineStartLimit = std::int64_t{1} << 62;

// A listed position of a circle lies within one pixel of its radius from the centre (the point
// is rounded to raw units, its pixel floored).
constexpr double kArcReachMargin = 1.0;

// Line positions read per block of a profile.
constexpr int kOffsetBlock = 256;

// Whether the positions of a line in the image can be taken in 32 bits: every raw coordinate (the
// image at most 65,536 pixels wide and high) and every offset of a pixel (below 2^32 bytes).
bool FitsIn32Bits(const OType_Image& image) {
    constexpr int kLargestSide = 1 << (32 - fixedpoint::kRawShift);
    constexpr std::uint64_t kOffsets = std::uint64_t{1} << 32;
    return image.GetWidth() <= kLargestSide && image.GetHeight() <= kLargestSide &&
           static_cast<std::uint64_t>(image.GetStride()) *
                   static_cast<std::uint64_t>(image.GetHeight()) <=
               kOffsets;
}

// The offsets in the image of `count` line positions from (x, y) on, all in an image that fits in
// 32 bits. The sums wrap as 32-bit unsigned numbers do, which gives the signed steps' positions
// exactly; the AVX2 build runs eight positions at a time.
EDGEDETECTION_VECTOR_CLONES
void LineOffsets(std::uint32_t x, std::uint32_t y, std::uint32_t stepX, std::uint32_t stepY,
                 std::uint32_t stride, int count, std::uint32_t* offsets) {
    for (int i = 0; i < count; ++i) {
        offsets[i] = (y >> fixedpoint::kRawShift) * stride + (x >> fixedpoint::kRawShift);
        x += stepX;
        y += stepY;
    }
}

}  // namespace

template <class Visit>
bool PathProfile::ForEachListedPosition(OVectorPath& path, Visit visit) {
    if (typeid(path) == typeid(OVectorPath_Line)) {
        const auto& line = static_cast<const OVectorPath_Line&>(path);
        // Positions start + i * step for i below the count, as a running sum.
        std::int64_t x = line.m_vStart.GetRawX();
        std::int64_t y = line.m_vStart.GetRawY();
        const std::int64_t stepX = line.m_vStep.GetRawX();
        const std::int64_t stepY = line.m_vStep.GetRawY();
        for (int i = 0; i < line.m_iStepCount; ++i) {
            if (!visit(x, y)) {
                return false;
            }
            x = fixedpoint::WrapAdd(x, stepX);
            y = fixedpoint::WrapAdd(y, stepY);
        }
        return true;
    }
    bool going = true;
    const auto visitArc = [&going, &visit](const auto& arc) {
        arc.ForEachPosition([&going, &visit](const OVector& p) {
            going = going && visit(p.GetRawX(), p.GetRawY());
        });
        return going;
    };
    if (typeid(path) == typeid(OVectorPath_Circle)) {
        return visitArc(static_cast<OVectorPath_Circle&>(path).Arc());
    }
    if (typeid(path) == typeid(OVectorPath_Circle_Float)) {
        return visitArc(static_cast<OVectorPath_Circle_Float&>(path).Arc());
    }
    return false;
}

int PathProfile::ListedCount(OVectorPath& path) {
    if (typeid(path) == typeid(OVectorPath_Line)) {
        return static_cast<const OVectorPath_Line&>(path).m_iStepCount;
    }
    if (typeid(path) == typeid(OVectorPath_Circle)) {
        return static_cast<OVectorPath_Circle&>(path).Arc().stepCount;
    }
    if (typeid(path) == typeid(OVectorPath_Circle_Float)) {
        return static_cast<OVectorPath_Circle_Float&>(path).Arc().stepCount;
    }
    return -1;
}

// Whether every listed position can lie in the image: the line is read and abandoned at its first
// position outside; the positions of an arc cost a sine and a cosine each, so an arc is read only
// when all of them lie in the image by its centre and radius.
bool PathProfile::MayLieInImage(OVectorPath& path, const OType_Image& image) {
    const PixelReader reader(image);
    const auto arcInside = [&reader](const auto& arc) {
        return reader.HoldsSquare(arc.center.dX(), arc.center.dY(),
                                  std::fabs(static_cast<double>(arc.radius)) + kArcReachMargin);
    };
    if (typeid(path) == typeid(OVectorPath_Circle)) {
        return arcInside(static_cast<OVectorPath_Circle&>(path).Arc());
    }
    if (typeid(path) == typeid(OVectorPath_Circle_Float)) {
        return arcInside(static_cast<OVectorPath_Circle_Float&>(path).Arc());
    }
    return true;
}

bool PathProfile::ReadLineInside(const OVectorPath_Line& line, const OType_Image& image,
                                 unsigned char* out) {
    const int count = line.m_iStepCount;
    const std::int64_t x0 = line.m_vStart.GetRawX();
    const std::int64_t y0 = line.m_vStart.GetRawY();
    const std::int64_t stepX = line.m_vStep.GetRawX();
    const std::int64_t stepY = line.m_vStep.GetRawY();
    const auto within = [](std::int64_t value, std::int64_t limit) {
        return value > -limit && value < limit;
    };
    // With these bounds start + i * step never wraps, so the running sum of the list is that
    // product, and each coordinate moves monotonically from the first position to the last: when
    // both lie in the image, every position between them does.
    if (count <= 0 || !within(stepX, kLineStepLimit) || !within(stepY, kLineStepLimit) ||
        !within(x0, kLineStartLimit) || !within(y0, kLineStartLimit)) {
        return false;
    }
    const std::int64_t last = count - 1;
    const PixelReader reader(image);
    unsigned char grey = 0;
    if (!reader.Read(x0, y0, grey) || !reader.Read(x0 + last * stepX, y0 + last * stepY, grey)) {
        return false;
    }
    const unsigned char* const pixels = image.GetData();
    if (FitsIn32Bits(image)) {
        // In blocks: the offsets of the positions first, in a loop that takes several at once,
        // then the reads, in a loop that does nothing else.
        std::uint32_t offsets[kOffsetBlock];
        for (int first = 0; first < count; first += kOffsetBlock) {
            const int block = std::min(kOffsetBlock, count - first);
            LineOffsets(static_cast<std::uint32_t>(x0 + first * stepX),
                        static_cast<std::uint32_t>(y0 + first * stepY),
                        static_cast<std::uint32_t>(stepX), static_cast<std::uint32_t>(stepY),
                        static_cast<std::uint32_t>(image.GetStride()), block, offsets);
            for (int i = 0; i < block; ++i) {
                out[first + i] = pixels[offsets[i]];
            }
        }
        return true;
    }
    const std::ptrdiff_t stride = image.GetStride();
    std::int64_t x = x0;
    std::int64_t y = y0;
    for (int i = 0; i < count; ++i) {
        out[i] = pixels[fixedpoint::FloorPixel(y) * stride + fixedpoint::FloorPixel(x)];
        x += stepX;
        y += stepY;
    }
    return true;
}

bool PathProfile::ReadPaddedBytes(OVectorPath& path, const OType_Image& image,
                                  WritableCollection<unsigned char>& padded) {
    const PixelReader reader(image);
    const int count = ListedCount(path);
    if (count <= 0 || !MayLieInImage(path, image)) {
        return false;
    }
    padded.SetSize(std::int64_t{count} + 2 * kPadding);
    unsigned char* const bytes = padded.GetData();
    unsigned char* out = bytes + kPadding;
    const bool read =
        typeid(path) == typeid(OVectorPath_Line)
            ? ReadLineInside(static_cast<const OVectorPath_Line&>(path), image, out)
            : ForEachListedPosition(path, [&reader, &out](std::int64_t x, std::int64_t y) {
                  return reader.Read(x, y, *out++);
              });
    if (!read) {
        return false;
    }
    bytes[0] = bytes[1] = bytes[kPadding];
    bytes[count + kPadding] = bytes[count + kPadding + 1] = bytes[count + kPadding - 1];
    return true;
}

bool PathProfile::Read(OVectorPath& path, const OType_Image& image,
                       WritableCollection<int>& profile) {
    const int count = ListedCount(path);
    if (count < 0) {
        return false;
    }
    const PixelReader reader(image);
    profile.SetSize(count);
    int* out = profile.GetData();
    return ForEachListedPosition(path, [&reader, &out](std::int64_t x, std::int64_t y) {
        *out++ = reader.Value(x, y);
        return true;
    });
}
