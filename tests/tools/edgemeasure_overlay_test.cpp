// The overlay pieces of edgemeasure: line drawing clipped at the image border, polygon filling by
// pixel centres, the drawing context's bookkeeping, text placement, and the base64 of the
// embedded image.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "output/SvgOverlay.h"
#include "overlay/OverlayContext.h"
#include "overlay/OverlayFont.h"
#include "overlay/RgbImage.h"

namespace {

constexpr Rgb kInk{255, 0, 0};
constexpr int kWidth = 10;
constexpr int kHeight = 8;

using PixelSet = std::set<std::pair<int, int>>;

PixelSet Painted(const RgbImage& image) {
    PixelSet pixels;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (image.GetPixel(x, y) == kInk) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

PixelSet Row(int y, int x0, int x1) {
    PixelSet pixels;
    for (int x = x0; x <= x1; ++x) {
        pixels.insert({x, y});
    }
    return pixels;
}

// Whatever lies outside the 10 x 8 image is cut off, however far; what lies inside is the line.
TEST(RgbImage, DrawsOnlyTheVisiblePartOfALine) {
    const struct {
        int x0, y0, x1, y1;
        PixelSet expected;
    } cases[] = {
        {4, 4, 4, 4, {{4, 4}}},
        {INT_MIN, 2, INT_MAX, 2, Row(2, 0, kWidth - 1)},
        {-50, -50, 50, 50, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
        {0, kHeight, 9, kHeight, {}},
        {-10, 3, 3, -10, {}},  // passes the corner outside
        {INT_MAX, INT_MIN, INT_MAX, INT_MAX, {}},
    };
    for (const auto& c : cases) {
        RgbImage image(kWidth, kHeight);
        image.DrawLine(c.x0, c.y0, c.x1, c.y1, kInk);
        EXPECT_EQ(Painted(image), c.expected) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
    }
    RgbImage empty(0, 0);
    empty.DrawLine(-5, -5, 5, 5, kInk);
    EXPECT_TRUE(empty.Bytes().empty());
}

// A pixel is filled when its centre (x + 0.5, y + 0.5) lies inside; the polygon may reach far
// beyond the image.
TEST(RgbImage, FillsPolygonsByPixelCentres) {
    const struct {
        std::vector<double> xs, ys;
        PixelSet expected;
    } cases[] = {
        {{2.4, 3.6, 3.6, 2.4}, {1.4, 1.4, 2.6, 2.6}, {{2, 1}, {3, 1}, {2, 2}, {3, 2}}},
        {{2.6, 3.4, 3.4, 2.6}, {1.6, 1.6, 2.4, 2.4}, {}},
        {{-1e12, 1e12, 1e12, -1e12}, {6, 6, 7, 7}, Row(6, 0, kWidth - 1)},
    };
    for (const auto& c : cases) {
        RgbImage image(kWidth, kHeight);
        image.FillPolygon(c.xs.data(), c.ys.data(), static_cast<int>(c.xs.size()), kInk);
        EXPECT_EQ(Painted(image), c.expected) << c.xs[0] << "," << c.ys[0];
    }
}

// The library draws its labels between saving and restoring the font and the background mode;
// a null font stands for the context's own one, which grows with the text scale (14 x 2.5).
TEST(OverlayContext, RecordsTextsWithTheFontAndModeInForce) {
    OverlayContext context(2.5);
    OType_DrawingFont turned;
    turned.CreateFontW(18, 900);
    EXPECT_EQ(context.ChangeFont(&turned), nullptr);
    const int opaque = context.ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
    context.DrawTextW(5, 6, u"S\u00e91");  // outside ASCII: shown as '?'
    context.ChangeFont(nullptr);
    context.ChangeBackgroundMode(opaque);
    context.DrawTextW(7, 8, u"own");
    const auto& items = context.Drawing().items;
    ASSERT_EQ(items.size(), 2u);
    const auto& label = std::get<OverlayText>(items[0]);
    const auto& own = std::get<OverlayText>(items[1]);
    EXPECT_EQ(std::tie(label.text, label.height, label.escapement, label.opaque),
              std::make_tuple("S?1", 18, 900, false));
    EXPECT_EQ(std::tie(own.text, own.height, own.opaque), std::make_tuple("own", 35, true));
}

// Test vectors of RFC 4648, section 10, with no, one and two padding characters, and high bytes.
TEST(Base64, EncodesTheStandardVectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xFF\xFE\xFD", "//79"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(std::vector<unsigned char>(plain.begin(), plain.end())), encoded);
    }
}

}  // namespace
