// The drawing interface as the library uses it: every call goes through the abstract context, so
// a caller's derived context (here the tests' recording context) sees each one, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingContext.h"
#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_DrawingFont.h"

namespace {

// What a label drawing does with a context: switch font and mode, measure, write, give back.
void DrawLabel(OType_DrawingContext& dc, const std::u16string& text) {
    SIZE size{0, 15};
    dc.CalcDPtoLP(&size);
    OType_DrawingFont font;
    font.CreateFontW(size.cy, -900);
    OType_DrawingFont* previousFont = dc.ChangeFont(&font);
    const int previousMode = dc.ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
    int cx = 0;
    int cy = 0;
    dc.GetTextExtent(text, cx, cy);
    dc.DrawTextW(-cx / 2, cy, text);
    dc.ChangeBackgroundMode(previousMode);
    dc.ChangeFont(previousFont);
}

TEST(DrawingContextTest, RecordsEveryCallInOrder) {
    RecordingContext dc;
    dc.SetDPtoLP([](SIZE s) { return SIZE{s.cx, 2 * s.cy}; });
    OType_DrawingContext& context = dc;
    context.PathDraw_MoveTo(10, 2);
    context.PathDraw_LineTo(-3, 4);
    const POINT arrow[] = {{1, 2}, {3, 4}, {5, 6}};
    context.PathDraw_DrawPolyline(arrow, 3);
    DrawLabel(context, u"12\u00e9");
    const std::vector<std::string> expected = {
        "MoveTo 10 2",
        "LineTo -3 4",
        "Polyline 1 2, 3 4, 5 6",
        "CalcDPtoLP 0 15 -> 0 30",
        "ChangeFont 30 -900",
        "BackgroundMode 1",
        "GetTextExtent 12\xc3\xa9 -> 24 15",
        "DrawText -12 15 12\xc3\xa9",
        "BackgroundMode 2",
        "ChangeFont initial",
    };
    EXPECT_EQ(dc.Log(), expected);
    EXPECT_TRUE(dc.FontRestored());
    EXPECT_TRUE(dc.BackgroundModeRestored());
    EXPECT_EQ(dc.Calls("BackgroundMode").size(), 2u);
}

TEST(DrawingContextTest, NoticesStateThatIsNotGivenBack) {
    RecordingContext dc;
    OType_DrawingFont font;
    dc.ChangeFont(&font);
    dc.ChangeBackgroundMode(OType_DrawingContext::kTransparentBackground);
    EXPECT_FALSE(dc.FontRestored());
    EXPECT_FALSE(dc.BackgroundModeRestored());
    dc.ChangeFont(nullptr);
    EXPECT_EQ(dc.Log().back(), "ChangeFont null");
}

}  // namespace
