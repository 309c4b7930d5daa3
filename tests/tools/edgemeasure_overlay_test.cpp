// The overlay pieces of edgemeasure: line drawing (thick or thin) clipped at the image border,
// polygon filling by pixel centres, the drawing context's bookkeeping, text placement, caption
// placement, and the base64 of the embedded image.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "output/RasterOverlay.h"
#include "output/SvgOverlay.h"
#include "overlay/CaptionPlacement.h"
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

PixelSet Union(std::initializer_list<PixelSet> sets) {
    PixelSet all;
    for (const PixelSet& s : sets) {
        all.insert(s.begin(), s.end());
    }
    return all;
}

// Whatever lies outside the 10 x 8 image is cut off, however far; what lies inside is the line.
// A thick line is a run of pixels across its major direction at each step, centred on the line
// (the extra pixel of an even width below or right), and shows along the border too.
TEST(RgbImage, DrawsOnlyTheVisiblePartOfALine) {
    const struct {
        int x0, y0, x1, y1, thickness;
        PixelSet expected;
    } cases[] = {
        {4, 4, 4, 4, 1, {{4, 4}}},
        {INT_MIN, 2, INT_MAX, 2, 1, Row(2, 0, kWidth - 1)},
        {-50, -50, 50, 50, 1, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
        {0, kHeight, 9, kHeight, 1, {}},
        {-10, 3, 3, -10, 1, {}},  // passes the corner outside
        {INT_MAX, INT_MIN, INT_MAX, INT_MAX, 1, {}},
        {2, 4, 6, 4, 3, Union({Row(3, 2, 6), Row(4, 2, 6), Row(5, 2, 6)})},
        {1, 1, 3, 3, 2, {{1, 1}, {1, 2}, {2, 2}, {2, 3}, {3, 3}, {3, 4}}},
        {-5, 0, 20, 0, 3, Union({Row(0, 0, kWidth - 1), Row(1, 0, kWidth - 1)})},
        {-5, kHeight, 20, kHeight, 3, Row(kHeight - 1, 0, kWidth - 1)},  // just below the image
    };
    for (const auto& c : cases) {
        RgbImage image(kWidth, kHeight);
        image.DrawLine(c.x0, c.y0, c.x1, c.y1, kInk, c.thickness);
        EXPECT_EQ(Painted(image), c.expected)
            << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1 << " x" << c.thickness;
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

// Captions wished at the same place, or across a drawn line, move until they meet neither each
// other nor the line, and stay inside the image; a caption whose place is free stays there.
TEST(PlaceCaptions, KeepsCaptionsApartAndOffTheDrawing) {
    constexpr int kSize = 200;
    constexpr int kLineY = 100;
    OverlayContext context;
    context.PathDraw_MoveTo(0, kLineY);
    context.PathDraw_LineTo(kSize - 1, kLineY);
    const std::vector<CaptionRequest> captions = {{"first", kInk, {60.0, 105.0}},
                                                  {"second", kInk, {60.0, 105.0}},
                                                  {"third", kInk, {70.0, 110.0}},
                                                  {"free", kInk, {20.0, 40.0}}};
    PlaceCaptions(context, captions, kSize, kSize);
    struct Box {
        double left, top, right, bottom;
    };
    std::vector<Box> boxes;
    for (const OverlayItem& item : context.Drawing().items) {
        if (const auto* text = std::get_if<OverlayText>(&item)) {
            const OverlayFont::Quad q = OverlayFont::TextBox(text->text, text->x, text->y,
                                                             text->height, 0, kTextBoxPadding);
            boxes.push_back({q.x[0], q.y[0], q.x[2], q.y[2]});
            EXPECT_TRUE(text->opaque);
        }
    }
    ASSERT_EQ(boxes.size(), captions.size());
    EXPECT_EQ(boxes.back().left, 20.0 - kTextBoxPadding);  // the free one where it was wished
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const Box& a = boxes[i];
        EXPECT_TRUE(a.bottom < kLineY + 0.5 || a.top > kLineY + 0.5) << captions[i].text;
        EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= kSize && a.bottom <= kSize);
        for (std::size_t j = 0; j < i; ++j) {
            const Box& b = boxes[j];
            EXPECT_TRUE(a.right < b.left || b.right < a.left || a.bottom < b.top ||
                        b.bottom < a.top)
                << captions[i].text << " meets " << captions[j].text;
        }
    }
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
