// Direction arrows and rotated labels: geometry by hand, the escapement rule, the offset modes,
// and the context's font and background mode given back.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "RecordingContext.h"
#include "paths/OVectorPath.h"

namespace {

using Log = std::vector<std::string>;

TEST(DirectionArrowTest, ClosedTriangleAroundThePosition) {
    // Sides 3 units across the direction, tip 6 units ahead; the length of the direction does
    // not count.
    for (const OVector& direction : {OVector(1, 0), OVector(5, 0)}) {
        RecordingContext dc;
        EXPECT_TRUE(OVectorPath::DrawDirectionArrow(&dc, OVector(10, 10), direction));
        EXPECT_EQ(dc.Log(), (Log{"Polyline 10 13, 16 10, 10 7, 10 13"}));
    }
    RecordingContext dc;
    EXPECT_TRUE(OVectorPath::DrawDirectionArrow(&dc, OVector(0, 0), OVector(0, -2)));
    EXPECT_EQ(dc.Log(), (Log{"Polyline 3 0, 0 -6, -3 0, 3 0"}));
    EXPECT_FALSE(OVectorPath::DrawDirectionArrow(nullptr, OVector(0, 0), OVector(1, 0)));
}

struct EscapementCase {
    const char* name;
    OVector direction;
    int escapement;
    // Where the text lands with mode along 0 and offset 0: one unit along the text line from
    // (100, 100), with every other offset off.
    int x, y;
};

class RotatedTextEscapementTest : public ::testing::TestWithParam<EscapementCase> {};

// Directions opposite to each other give the same text line; a vertical line reads upwards with
// escapement 899 (the 0.5 is added before the sign is turned, then truncated).
TEST_P(RotatedTextEscapementTest, TextLineNeverStandsUpsideDown) {
    const EscapementCase& c = GetParam();
    RecordingContext dc;
    ASSERT_TRUE(
        OVectorPath::DrawRotatedText(&dc, OVector(100, 100), c.direction, u"A", 0, 9, 0, 0, 18));
    const std::string font = "ChangeFont 18 " + std::to_string(c.escapement);
    const std::string text = "DrawText " + std::to_string(c.x) + " " + std::to_string(c.y) + " A";
    EXPECT_EQ(dc.Log(),
              (Log{"CalcDPtoLP 1 18 -> 1 18", font, "BackgroundMode 1", "GetTextExtent A -> 8 15",
                   text, "ChangeFont initial", "BackgroundMode 2"}));
    EXPECT_TRUE(dc.FontRestored());
    EXPECT_TRUE(dc.BackgroundModeRestored());
}

INSTANTIATE_TEST_SUITE_P(
    Directions, RotatedTextEscapementTest,
    ::testing::Values(EscapementCase{"Right", OVector(1, 0), 0, 101, 100},
                      EscapementCase{"Left", OVector(-1, 0), 0, 101, 100},
                      EscapementCase{"Down", OVector(0, 1), 899, 100, 99},
                      EscapementCase{"Up", OVector(0, -1), 899, 100, 99},
                      // 45 degrees down the image: the text line runs at pi/4, so its end lies
                      // at (100.707, 100.707).
                      EscapementCase{"Diagonal", OVector(1, 1), -450, 100, 100}),
    [](const ::testing::TestParamInfo<EscapementCase>& info) { return info.param.name; });

struct OffsetCase {
    const char* name;
    int offsetAcross, modeAcross, offsetAlong, modeAlong;
    int x, y;
};

class RotatedTextOffsetTest : public ::testing::TestWithParam<OffsetCase> {};

// A horizontal text line at (100, 100): across is +y (down the image), along is +x. The text
// "AB" is 16 wide and 15 high in the recording context.
TEST_P(RotatedTextOffsetTest, ModesMoveTheDrawingPoint) {
    const OffsetCase& c = GetParam();
    RecordingContext dc;
    ASSERT_TRUE(OVectorPath::DrawRotatedText(&dc, OVector(100, 100), OVector(1, 0), u"AB",
                                             c.offsetAcross, c.modeAcross, c.offsetAlong,
                                             c.modeAlong, 18));
    const std::vector<std::string> drawn = dc.Calls("DrawText");
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0], "DrawText " + std::to_string(c.x) + " " + std::to_string(c.y) + " AB");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RotatedTextOffsetTest,
    ::testing::Values(
        // Across: 0 beyond the text (d1 + h + 1), 1 half the height (7.5, not truncated before
        // the pixel is taken), 2 before the line (-(1 - d1)); along: 0 after (d2 + 1), 1 centred
        // (-((w + 1) / 2 - d2)), 2 before (-(w - d2 + 1)).
        OffsetCase{"Neither", 0, 7, 0, -1, 100, 100},
        OffsetCase{"BeyondText", 2, 0, 0, 7, 100, 118},
        OffsetCase{"HalfHeight", 0, 1, 0, 7, 100, 107},
        OffsetCase{"HalfHeightPlusOffset", 3, 1, 0, 7, 100, 110},
        OffsetCase{"BeforeLine", 4, 2, 0, 7, 100, 103},
        OffsetCase{"AfterPoint", 0, 7, 4, 0, 105, 100}, OffsetCase{"Centred", 0, 7, 0, 1, 91, 100},
        OffsetCase{"BeforePoint", 0, 7, 2, 2, 85, 100},
        OffsetCase{"BothModes", 0, 1, 0, 1, 91, 107}),
    [](const ::testing::TestParamInfo<OffsetCase>& info) { return info.param.name; });

TEST(RotatedTextTest, HeightGoesThroughTheDeviceConversion) {
    RecordingContext dc;
    dc.SetDPtoLP([](SIZE s) { return SIZE{s.cx * 2, s.cy * 3}; });
    ASSERT_TRUE(
        OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(1, 0), u"7", 0, 9, 0, 9, 12));
    EXPECT_EQ(dc.Calls("ChangeFont")[0], "ChangeFont 36 0");
}

TEST(RotatedTextTest, EmptyTextOrNoContextDrawsNothing) {
    RecordingContext dc;
    EXPECT_FALSE(
        OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(1, 0), u"", 0, 0, 0, 0, 18));
    EXPECT_TRUE(dc.Log().empty());
    EXPECT_FALSE(
        OVectorPath::DrawRotatedText(nullptr, OVector(0, 0), OVector(1, 0), u"x", 0, 0, 0, 0, 18));
}

TEST(RotatedTextTest, ExtremeOffsetsStaySafe) {
    RecordingContext dc;
    EXPECT_TRUE(OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(0, 0), u"x", INT_MAX, 0,
                                             INT_MIN, 2, INT_MAX));
    EXPECT_TRUE(dc.FontRestored());
    EXPECT_TRUE(dc.BackgroundModeRestored());
}

}  // namespace
