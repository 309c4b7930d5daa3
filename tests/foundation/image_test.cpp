// OType_Image: owned pixels and views of a caller's buffer with a row stride; reads outside the
// image answer the no-value marker, writes outside change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <numeric>
#include <vector>

#include "foundation/OType_Image.h"
#include "foundation/OVector.h"

namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 3;
constexpr int kStride = 7;  // three bytes of padding after each row of the view
constexpr unsigned char kPad = 0xEE;

TEST(ImageTest, OwnedImagesAreRowMajorWithTheMarkerOutside) {
    std::vector<unsigned char> ramp(kWidth * kHeight);
    std::iota(ramp.begin(), ramp.end(), 0);
    const OType_Image image(kWidth, kHeight, ramp);
    EXPECT_EQ(image.GetPixel_Grey(1, 2), 2 * kWidth + 1);
    const int outside[][2] = {{-1, 0}, {0, -1}, {kWidth, 0}, {0, kHeight}, {INT_MIN, INT_MAX}};
    for (const auto& p : outside) {
        EXPECT_EQ(image.GetPixel_Grey(p[0], p[1]), INT_MIN) << p[0] << ", " << p[1];
    }
    // Points by the pixel rule: -0.5 lies in pixel -1, outside; 3.99 in pixel 3, inside.
    EXPECT_EQ(image.GetPixel_Grey(OVector(-0.5, 0.0)), INT_MIN);
    EXPECT_EQ(image.GetPixel_Grey(OVector(3.99, 2.99)), kWidth * kHeight - 1);
    EXPECT_EQ(image.GetPixel_Grey(OVector(INT64_MIN, INT64_MAX)), INT_MIN);

    OType_Image copy = image;  // deep
    copy.SetPixel_Grey(0, 0, 99);
    EXPECT_EQ(image.GetPixel_Grey(0, 0), 0);
}

TEST(ImageTest, ViewReadsAndWritesThroughTheStrideWithoutCopying) {
    std::vector<unsigned char> buffer(kStride * kHeight, kPad);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            buffer[y * kStride + x] = static_cast<unsigned char>(x + 10 * y);
        }
    }
    OType_Image view(kWidth, kHeight, buffer.data(), kStride);
    EXPECT_EQ(view.GetPixel_Grey(3, 2), 23);
    EXPECT_EQ(view.GetPixel_Grey(kWidth, 0), INT_MIN) << "the padding is not a pixel";
    view.SetPixel_Grey(0, 2, 300);  // low byte stored
    EXPECT_EQ(buffer[2 * kStride], 300 % 256);
    view.SetPixel_Grey(kWidth, 0, 1);  // outside: the padding stays
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kPad), (kStride - kWidth) * kHeight);
    const OType_Image copy = view;  // a copy of a view is a view of the same buffer
    EXPECT_EQ(copy.GetData(), buffer.data());
    // Rows without padding: the stride may equal the width.
    const OType_Image tight(kWidth, kHeight - 1, buffer.data(), kWidth);
    EXPECT_EQ(tight.GetPixel_Grey(0, 1), kPad);
}

TEST(ImageTest, BadSizesGiveAnEmptyImage) {
    unsigned char pixel = 5;
    const OType_Image images[] = {
        OType_Image(-1, 3), OType_Image(4, 0), OType_Image(kWidth, kHeight, nullptr, kStride),
        OType_Image(kWidth, 1, &pixel, kWidth - 1),  // stride below the width
    };
    for (const OType_Image& image : images) {
        EXPECT_EQ(image.GetWidth() + image.GetHeight(), 0);
        EXPECT_EQ(image.GetPixel_Grey(0, 0), INT_MIN);
    }
}

}  // namespace
