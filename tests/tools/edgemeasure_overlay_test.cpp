// The overlay pieces of edgemeasure: line drawing clipped at the image border, polygon filling by
// pixel centres, the drawing context's bookkeeping, and the base64 of the embedded image.

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "OverlayContext.h"
#include "OverlayFont.h"
#include "RgbImage.h"
#include "SvgOverlay.h"
#include "paths/OVectorPath.h"

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

PixelSet Diagonal(int from, int to) {
    PixelSet pixels;
    for (int i = from; i <= to; ++i) {
        pixels.insert({i, i});
    }
    return pixels;
}

struct LineCase {
    const char* name;
    int x0, y0, x1, y1;
    PixelSet expected;
};

// Test listings show the case by its name.
void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class LineDrawing : public ::testing::TestWithParam<LineCase> {};

// Whatever lies outside the 10 x 8 image is cut off; what lies inside is the same line.
TEST_P(LineDrawing, PaintsOnlyTheVisiblePart) {
    const LineCase& c = GetParam();
    RgbImage image(kWidth, kHeight);
    image.DrawLine(c.x0, c.y0, c.x1, c.y1, kInk);
    EXPECT_EQ(Painted(image), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineDrawing,
    ::testing::Values(LineCase{"Inside", 2, 3, 6, 3, Row(3, 2, 6)},
                      LineCase{"OnePixel", 4, 4, 4, 4, {{4, 4}}},
                      LineCase{"DiagonalInside", 1, 1, 5, 5, Diagonal(1, 5)},
                      LineCase{"AcrossBothBorders", -100, 5, 100, 5, Row(5, 0, kWidth - 1)},
                      LineCase{"FromIntMinToIntMax", INT_MIN, 2, INT_MAX, 2, Row(2, 0, kWidth - 1)},
                      LineCase{"DiagonalThroughCorner", -50, -50, 50, 50, Diagonal(0, kHeight - 1)},
                      LineCase{"LeavesAtTheRight", 7, 1, 30, 1, Row(1, 7, kWidth - 1)},
                      LineCase{"AboveTheImage", -5, -1, 20, -1, {}},
                      LineCase{"BelowTheImage", 0, kHeight, 9, kHeight, {}},
                      LineCase{"MissesTheCorner", -10, 3, 3, -10, {}},
                      LineCase{"FarAwayVertical", INT_MAX, INT_MIN, INT_MAX, INT_MAX, {}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(LineDrawing, EmptyImageIsLeftAlone) {
    RgbImage image(0, 0);
    image.DrawLine(-5, -5, 5, 5, kInk);
    EXPECT_TRUE(image.Bytes().empty());
}

// A pixel is filled when its centre (x + 0.5, y + 0.5) lies inside; the polygon may reach far
// beyond the image.
TEST(PolygonFill, FillsPixelsByTheirCentres) {
    const struct {
        const char* name;
        std::vector<double> xs;
        std::vector<double> ys;
        PixelSet expected;
    } cases[] = {
        {"WholePixels",
         {2, 5, 5, 2},
         {1, 1, 3, 3},
         {{2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2}, {4, 2}}},
        {"CentresOnly",
         {2.4, 3.6, 3.6, 2.4},
         {1.4, 1.4, 2.6, 2.6},
         {{2, 1}, {3, 1}, {2, 2}, {3, 2}}},
        {"MissesEveryCentre", {2.6, 3.4, 3.4, 2.6}, {1.6, 1.6, 2.4, 2.4}, {}},
        {"FarBeyondTheImage", {-1e12, 1e12, 1e12, -1e12}, {6, 6, 7, 7}, Row(6, 0, kWidth - 1)},
    };
    for (const auto& c : cases) {
        RgbImage image(kWidth, kHeight);
        image.FillPolygon(c.xs.data(), c.ys.data(), static_cast<int>(c.xs.size()), kInk);
        EXPECT_EQ(Painted(image), c.expected) << c.name;
    }
}

// The library saves and restores the font and the background mode through the context's answers;
// a null font stands for the context's own one.
TEST(OverlayContext, GivesBackTheFontAndModeTheLibraryRestores) {
    OverlayContext context;
    OType_DrawingFont big;
    big.CreateFontW(30, 0);
    int cx = 0;
    int cy = 0;
    context.GetTextExtent(u"12", cx, cy);
    EXPECT_EQ(cy, OverlayContext::kDefaultTextHeight);
    OType_DrawingFont* previous = context.ChangeFont(&big);
    const int previousMode =
        context.ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
    context.GetTextExtent(u"12", cx, cy);
    EXPECT_EQ(cy, 30);
    EXPECT_EQ(cx, OverlayFont::TextWidth("12", 30));
    EXPECT_EQ(context.ChangeFont(previous), &big);
    EXPECT_EQ(context.ChangeBackgroundMode(previousMode),
              OType_DrawingContext::kTransparentBackground);
    context.GetTextExtent(u"12", cx, cy);
    EXPECT_EQ(cy, OverlayContext::kDefaultTextHeight);
}

TEST(OverlayContext, RecordsTextWithFontAndBackground) {
    OverlayContext context;
    OType_DrawingFont turned;
    turned.CreateFontW(18, 900);
    context.SetColour(kInk);
    context.DrawTextW(3, 4, u"own");
    context.ChangeFont(&turned);
    context.ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
    context.DrawTextW(5, 6, u"S\u00e91");  // outside ASCII: shown as '?'
    context.DrawTextW(7, 8, u"");          // nothing
    const auto& items = context.Drawing().items;
    ASSERT_EQ(items.size(), 2u);
    const auto& own = std::get<OverlayText>(items[0]);
    EXPECT_EQ(own.text, "own");
    EXPECT_TRUE(own.opaque);
    EXPECT_EQ(own.height, OverlayContext::kDefaultTextHeight);
    const auto& label = std::get<OverlayText>(items[1]);
    EXPECT_EQ(label.text, "S?1");
    EXPECT_FALSE(label.opaque);
    EXPECT_EQ(label.height, 18);
    EXPECT_EQ(label.escapement, 900);
    EXPECT_EQ(label.colour, kInk);
}

// Lines that continue each other in one colour become one polyline; a new colour or a move
// starts another.
TEST(OverlayContext, JoinsContinuingLines) {
    OverlayContext context;
    context.PathDraw_MoveTo(0, 0);
    context.PathDraw_LineTo(5, 0);
    context.PathDraw_LineTo(5, 5);
    context.SetColour(kInk);
    context.PathDraw_LineTo(0, 5);
    context.PathDraw_MoveTo(9, 9);
    context.PathDraw_LineTo(8, 8);
    const POINT triangle[] = {{1, 1}, {3, 1}, {2, 3}, {1, 1}};
    context.PathDraw_DrawPolyline(triangle, 4);
    context.PathDraw_DrawPolyline(triangle, 1);  // too short: nothing
    context.PathDraw_DrawPolyline(nullptr, 4);   // nothing
    const auto& items = context.Drawing().items;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(std::get<OverlayPolyline>(items[0]).points.size(), 3u);
    EXPECT_EQ(std::get<OverlayPolyline>(items[1]).points.size(), 2u);
    EXPECT_EQ(std::get<OverlayPolyline>(items[2]).points.size(), 2u);
    EXPECT_EQ(std::get<OverlayPolyline>(items[3]).points.size(), 4u);
}

// The direction arrow of the library arrives as one closed polyline (the helper's own example).
TEST(OverlayContext, TakesTheLibrarysDirectionArrow) {
    OverlayContext context;
    ASSERT_TRUE(OVectorPath::DrawDirectionArrow(&context, OVector(10, 10), OVector(5, 0)));
    const auto& items = context.Drawing().items;
    ASSERT_EQ(items.size(), 1u);
    const std::vector<POINT>& p = std::get<OverlayPolyline>(items[0]).points;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[1].x, 16);
    EXPECT_EQ(p[1].y, 10);
    EXPECT_EQ(p[0].x, p[3].x);
    EXPECT_EQ(p[0].y, p[3].y);
}

// Device sizes grow with the text scale, for large images.
TEST(OverlayContext, ScalesDeviceSizes) {
    OverlayContext context(2.5);
    SIZE size{1, 18};
    context.CalcDPtoLP(&size);
    EXPECT_EQ(size.cx, 3);  // 2.5 rounded half away from zero
    EXPECT_EQ(size.cy, 45);
    context.CalcDPtoLP(nullptr);
}

// A text stands on its reference point, the bottom-left corner, and turns about it with its
// escapement: counter-clockwise on screen, so 90 degrees runs up the image.
TEST(OverlayFont, TurnsTextAboutItsCorner) {
    constexpr int kHeight12 = 12;  // one grid unit per pixel
    const OverlayFont::Quad flat = OverlayFont::TextBox("ab", 10, 20, kHeight12, 0);
    const OverlayFont::Quad up = OverlayFont::TextBox("ab", 10, 20, kHeight12, 900);
    const OverlayFont::Quad padded = OverlayFont::TextBox("ab", 10, 20, kHeight12, 0, 2.0);
    const double width = OverlayFont::TextWidth("ab", kHeight12);
    constexpr double kEpsilon = 1e-9;
    // Corners: top-left, top-right, bottom-right, bottom-left of the text.
    EXPECT_NEAR(flat.x[3], 10, kEpsilon);
    EXPECT_NEAR(flat.y[3], 20, kEpsilon);
    EXPECT_NEAR(flat.x[1], 10 + width, kEpsilon);
    EXPECT_NEAR(flat.y[1], 20 - kHeight12, kEpsilon);
    EXPECT_NEAR(up.x[3], 10, kEpsilon);
    EXPECT_NEAR(up.y[3], 20, kEpsilon);
    EXPECT_NEAR(up.y[2], 20 - width, kEpsilon);      // along the text: up the image
    EXPECT_NEAR(up.x[0], 10 - kHeight12, kEpsilon);  // towards the top of the glyphs: left
    EXPECT_NEAR(padded.x[3], 8, kEpsilon);
    EXPECT_NEAR(padded.y[3], 22, kEpsilon);
    EXPECT_EQ(OverlayFont::TextWidth("", kHeight12), 0);
    // Every glyph lies inside the box.
    for (const OverlayFont::Quad& q : OverlayFont::TextQuads("E1", 10, 20, kHeight12, 0)) {
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_GE(q.x[corner], 10.0);
            EXPECT_LE(q.x[corner], 10.0 + OverlayFont::TextWidth("E1", kHeight12));
            EXPECT_GE(q.y[corner], 20.0 - kHeight12);
            EXPECT_LE(q.y[corner], 20.0);
        }
    }
}

// The test vectors of RFC 4648, section 10.
TEST(Base64, EncodesTheStandardVectors) {
    const std::pair<std::string, std::string> vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(std::vector<unsigned char>(plain.begin(), plain.end())), encoded)
            << plain;
    }
    EXPECT_EQ(Base64Encode({0xFF, 0xFE, 0xFD}), "//79");
}

}  // namespace
