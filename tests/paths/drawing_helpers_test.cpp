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

TEST(DrawingHelpersTest, ArrowIsAClosedTriangleAroundThePosition) {
    // Sides 3 units across the direction, tip 6 units ahead; only the direction's angle counts.
    for (const OVector& direction : {OVector(1, 0), OVector(5, 0)}) {
        RecordingContext dc;
        EXPECT_TRUE(OVectorPath::DrawDirectionArrow(&dc, OVector(10, 10), direction));
        EXPECT_EQ(dc.Log(), (Log{"Polyline 10 13, 16 10, 10 7, 10 13"}));
    }
    EXPECT_FALSE(OVectorPath::DrawDirectionArrow(nullptr, OVector(0, 0), OVector(1, 0)));
}

// The text "AB" (16 wide, 15 high in the recording context) at (100, 100). Opposite directions
// give the same text line, which never stands upside down; a vertical line reads upwards with
// escapement 899 (the 0.5 is added before the sign is turned, then truncated). Along a
// horizontal line, across is +y and along is +x: across mode 0 moves beyond the text (d1 + h +
// 1), 1 by half the height (7.5, not truncated before the pixel is taken), 2 before the line
// (-(1 - d1)); along mode 0 after the point (d2 + 1), 1 centred (-((w + 1) / 2 - d2)), 2 before
// (-(w - d2 + 1)); other modes move nothing.
TEST(DrawingHelpersTest, RotatedTextLineEscapementAndOffsets) {
    struct Case {
        const char* name;
        OVector direction;
        int d1, across, d2, along;
        int escapement, x, y;
    };
    const Case cases[] = {
        {"right, no offset", OVector(1, 0), 0, 9, 0, -1, 0, 100, 100},
        {"left", OVector(-1, 0), 0, 9, 0, 0, 0, 101, 100},
        {"up", OVector(0, -1), 0, 9, 0, 0, 899, 100, 99},
        {"diagonal, text line at pi/4", OVector(1, 1), 0, 9, 0, 0, -450, 100, 100},
        {"beyond the text", OVector(1, 0), 2, 0, 0, 7, 0, 100, 118},
        {"half the height and 3", OVector(1, 0), 3, 1, 0, 7, 0, 100, 110},
        {"before the line", OVector(1, 0), 4, 2, 0, 7, 0, 100, 103},
        {"after the point", OVector(1, 0), 0, 7, 4, 0, 0, 105, 100},
        {"centred", OVector(1, 0), 0, 7, 0, 1, 0, 91, 100},
        {"before the point", OVector(1, 0), 0, 7, 2, 2, 0, 85, 100},
    };
    for (const Case& c : cases) {
        RecordingContext dc;
        ASSERT_TRUE(OVectorPath::DrawRotatedText(&dc, OVector(100, 100), c.direction, u"AB", c.d1,
                                                 c.across, c.d2, c.along, 18));
        const std::string at = std::to_string(c.x) + " " + std::to_string(c.y);
        EXPECT_EQ(dc.Log(),
                  (Log{"CalcDPtoLP 1 18 -> 1 18", "ChangeFont 18 " + std::to_string(c.escapement),
                       "BackgroundMode 1", "GetTextExtent AB -> 16 15", "DrawText " + at + " AB",
                       "ChangeFont initial", "BackgroundMode 2"}))
            << c.name;
    }
}

TEST(DrawingHelpersTest, RotatedTextEdges) {
    RecordingContext dc;
    EXPECT_FALSE(
        OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(1, 0), u"", 0, 0, 0, 0, 18));
    EXPECT_FALSE(
        OVectorPath::DrawRotatedText(nullptr, OVector(0, 0), OVector(1, 0), u"x", 0, 0, 0, 0, 18));
    EXPECT_TRUE(dc.Log().empty());
    // Extreme offsets and height and a zero direction stay defined; font and mode come back.
    EXPECT_TRUE(OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(0, 0), u"x", INT_MAX, 0,
                                             INT_MIN, 2, INT_MAX));
    EXPECT_TRUE(dc.FontRestored());
    EXPECT_TRUE(dc.BackgroundModeRestored());
    // The height goes through the device conversion.
    dc.SetDPtoLP([](SIZE s) { return SIZE{s.cx * 2, s.cy * 3}; });
    ASSERT_TRUE(
        OVectorPath::DrawRotatedText(&dc, OVector(0, 0), OVector(1, 0), u"7", 0, 9, 0, 9, 12));
    EXPECT_EQ(dc.Calls("ChangeFont")[2], "ChangeFont 36 0");
}

}  // namespace
