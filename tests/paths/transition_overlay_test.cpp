// Overlays of the transition searches, read from a recording drawing context: the calls of one
// case of each search in order, with positions worked out by hand; label kinds and sides on lines
// and circles; label texts; and the context's font and background mode given back on every way
// out.
//
// Geometry (the recording context answers text extents of 8 units per character and 15 high):
// - The line runs from (2.5, 5.5) to the right along row 5; index i lies in pixel (2 + i, 5).
//   Its normal is (0, 1), its direction (1, 0), its text angle 0. Pixels 12..21 are dark, so the
//   band [0, 128] enters at T = (12.5, 5.5) and leaves after T = (21.5, 5.5).
// - The circle has centre (30.5, 30.5), radius 20, start 90 degrees, sweep 90: index 0 lies at
//   T = (30.5, 50.5), straight below the centre, with radial direction n = (0, 1) and tangent
//   (1, 0); index 1 lies in pixel (29, 50). Only pixel (30, 50) is dark, so the band leaves
//   after index 0.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "RecordingContext.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr unsigned char kDark = 50;
constexpr unsigned char kBright = 200;

using Log = std::vector<std::string>;

// What a line search logs before and after its marks: its label font made current with a
// transparent background, and both given back.
const Log kLineFontOn = {"CalcDPtoLP 1 18 -> 1 18", "ChangeFont 18 0", "BackgroundMode 1"};
const Log kFontOff = {"ChangeFont initial", "BackgroundMode 2"};

Log Concat(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// One label through DrawRotatedText along the tangent (1, 0): its own font, the text, restored.
Log RotatedLabel(const std::string& text, int x, int y) {
    return {"CalcDPtoLP 1 18 -> 1 18",
            "ChangeFont 18 0",
            "BackgroundMode 1",
            "GetTextExtent " + text + " -> " + std::to_string(8 * text.size()) + " 15",
            "DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text,
            "ChangeFont initial",
            "BackgroundMode 2"};
}

std::shared_ptr<OType_Image> DarkPixels(int width, int height, int x0, int x1, int y) {
    auto image = std::make_shared<OType_Image>(
        width, height,
        std::vector<unsigned char>(static_cast<std::size_t>(width) * height, kBright));
    for (int x = x0; x < x1; ++x) {
        image->SetPixel_Grey(x, y, kDark);
    }
    return image;
}

struct LineScene {
    OVectorPath_Line line{OVector(2.5, 5.5), OVector(62.5, 5.5)};
    std::shared_ptr<OType_Image> image = DarkPixels(72, 12, 12, 22, 5);
    RecordingContext context;
    int index = 0;
    OVector point;
    double angle = 0.0;

    bool FindNext(int polarity, int kind, int number) {
        return line.FindNextTransition(image, polarity, 0, 0, index, point, angle, &context, kind,
                                       number);
    }
    bool FindSingle(int ordinal, int kind, int base, bool goOn) {
        return line.FindNextTransitionSingle(image, ordinal, 0, 0, 0, index, point, angle, &context,
                                             kind, base, goOn);
    }
    bool FindPair(int mode, std::shared_ptr<OType_Image> pairImage) {
        int index2 = 0;
        OVector point2;
        double angle2 = 0.0;
        return line.FindNextTransitionPair(pairImage, 1, 1, 0, INT_MIN, 0, 1, 2, 0, INT_MIN, 0, 0,
                                           index, point, angle, index2, point2, angle2, &context,
                                           mode, 0, 0, false);
    }
};

struct CircleScene {
    std::unique_ptr<OVectorPath> circle;
    std::shared_ptr<OType_Image> image = DarkPixels(64, 64, 30, 31, 50);
    RecordingContext context;

    explicit CircleScene(bool floatPrecision) {
        if (floatPrecision) {
            circle = std::make_unique<OVectorPath_Circle_Float>(OVector(30.5, 30.5), 20.0f, 90.0f,
                                                                90.0f);
        } else {
            circle = std::make_unique<OVectorPath_Circle>(OVector(30.5, 30.5), 20.0, 90.0, 90.0);
        }
    }
    bool FindSingle(int kind) {
        int index = 0;
        OVector point;
        double angle = 0.0;
        return circle->FindNextTransitionSingle(image, 1, 2, 0, 0, index, point, angle, &context,
                                                kind, 0, false);
    }
};

TEST(LineOverlayTest, LabelKindsChooseTextAndSide) {
    struct Case {
        int kind;
        Log label;
    };
    // FindNextTransition with label number 0. The tick runs from T + 8 n to T - 8 n. Labels are
    // centred along the line, (8 * characters + 1) / 2 back: on the plus side one unit and the
    // text height beyond the tick, T + 24 n - 8.5 d = (4.0, 29.5) for two characters; "S" labels
    // on the minus side one unit beyond it, T - 9 n - 8.5 d = (4.0, -3.5).
    const Case cases[] = {
        {1, {"GetTextExtent 1 -> 8 15", "DrawText 8 29 1"}},  // 4.5 back
        {2, {"GetTextExtent S1 -> 16 15", "DrawText 4 -4 S1"}},
        {3, {"GetTextExtent E1 -> 16 15", "DrawText 4 29 E1"}},
        {0, {}},
        {-1, {}},  // FindNextTransition draws the tick for every kind
    };
    for (const Case& c : cases) {
        LineScene scene;
        ASSERT_TRUE(scene.FindNext(1, c.kind, 0));
        EXPECT_EQ(scene.context.Log(),
                  Concat({kLineFontOn, {"MoveTo 12 13", "LineTo 12 -3"}, c.label, kFontOff}))
            << "kind " << c.kind;
    }
}

TEST(LineOverlayTest, SingleSearchNumbersFromItsBaseAndKindMinusOneDrawsNothing) {
    LineScene scene;
    // Both transitions, going on to the end, labelled base 4 + count.
    ASSERT_TRUE(scene.FindSingle(1, 3, 4, true));
    EXPECT_EQ(
        scene.context.Log(),
        Concat({kLineFontOn,
                {"MoveTo 12 13", "LineTo 12 -3", "GetTextExtent E5 -> 16 15", "DrawText 4 29 E5",
                 "MoveTo 21 13", "LineTo 21 -3", "GetTextExtent E6 -> 16 15", "DrawText 13 29 E6"},
                kFontOff}));

    LineScene silent;
    ASSERT_TRUE(silent.FindSingle(1, -1, 0, true));
    EXPECT_EQ(silent.context.Log(), Concat({kLineFontOn, kFontOff}));
}

TEST(LineOverlayTest, PairStartsAtThePathAndMarksStartAndEnd) {
    LineScene scene;
    ASSERT_TRUE(scene.FindPair(0, scene.image));
    EXPECT_EQ(
        scene.context.Log(),
        Concat({kLineFontOn,
                {"MoveTo 2 5",  // the pixel where the path stands
                 "MoveTo 12 13", "LineTo 12 -3", "GetTextExtent S1 -> 16 15", "DrawText 4 -4 S1",
                 "MoveTo 21 13", "LineTo 21 -3", "GetTextExtent E1 -> 16 15", "DrawText 13 29 E1"},
                kFontOff}));
}

TEST(LineOverlayTest, FontAndBackgroundComeBackOnEveryWayOut) {
    // Ordinal 0 answers at once, after making and giving back the font only.
    LineScene scene;
    ASSERT_TRUE(scene.FindSingle(0, 1, 0, false));
    EXPECT_EQ(scene.context.Log(), Concat({kLineFontOn, kFontOff}));
    EXPECT_EQ(scene.index, -1);
    // No transition at all (0 is in threshold throughout): a single search, and a pair search
    // starting where that one left the path, at its end.
    scene.context.ClearLog();
    scene.image = std::make_shared<OType_Image>(72, 12);
    EXPECT_FALSE(scene.FindSingle(1, 1, 0, false));
    EXPECT_FALSE(scene.FindPair(1, scene.image));
    EXPECT_EQ(scene.context.Log(),
              Concat({kLineFontOn, kFontOff, kLineFontOn, {"MoveTo 62 5"}, kFontOff}));
    // An empty image draws nothing, not even the font.
    scene.context.ClearLog();
    scene.image.reset();
    EXPECT_FALSE(scene.FindNext(1, 1, 0));
    EXPECT_TRUE(scene.context.Log().empty());
}

TEST(LineOverlayTest, LabelNumbersAreDecimalWithTheirSign) {
    struct Case {
        int number;  // the label shows number + 1
        const char* text;
    };
    const Case cases[] = {
        {-5, "-4"},
        {-1, "0"},
        {8, "9"},
        {123456788, "123456789"},
        {INT_MAX, "-2147483648"},  // the + 1 wraps around
        {INT_MIN, "-2147483647"},
    };
    for (const Case& c : cases) {
        LineScene scene;
        ASSERT_TRUE(scene.FindNext(1, 1, c.number));
        const Log texts = scene.context.Calls("DrawText");
        ASSERT_EQ(texts.size(), 1u) << c.text;
        EXPECT_EQ(texts[0].substr(texts[0].rfind(' ') + 1), c.text);
    }
}

class CircleOverlayTest : public testing::TestWithParam<bool> {};

TEST_P(CircleOverlayTest, SingleSearchMarksRadiallyAndLabelsAlongTheTangent) {
    struct Case {
        int kind;
        Log label;
    };
    // Tick from T - 8 n = (30.5, 42.5) to T + 8 n = (30.5, 58.5). Kinds 1 and 2 write beyond
    // T + 8 n by the text height + 1 (y 74.5), kind 3 one unit before T - 8 n (y 41.5); all are
    // centred along the tangent, 8.5 units back (x 22.0).
    const Case cases[] = {
        {1, RotatedLabel("1", 26, 74)},  // a one-character label: 4.5 back
        {2, RotatedLabel("S1", 22, 74)},
        {3, RotatedLabel("E1", 22, 41)},
        {-1, {}},  // circles draw the tick for every kind
        {0, {}},
    };
    for (const Case& c : cases) {
        CircleScene scene(GetParam());
        ASSERT_TRUE(scene.FindSingle(c.kind)) << "kind " << c.kind;
        EXPECT_EQ(scene.context.Log(), Concat({{"MoveTo 30 42", "LineTo 30 58"}, c.label}))
            << "kind " << c.kind;
        EXPECT_TRUE(scene.context.FontRestored());
    }
}

TEST_P(CircleOverlayTest, PairLabelsFirstEdgesOutsideAndSecondEdgesInside) {
    // The dark pixel gives one leaving transition, which serves as first and second edge.
    struct Case {
        int mode;
        Log labels;
    };
    const Case cases[] = {
        {0, Concat({RotatedLabel("S1", 22, 74),
                    {"MoveTo 30 42", "LineTo 30 58"},
                    RotatedLabel("E1", 22, 41)})},
        {1, Concat({RotatedLabel("1", 26, 74),
                    {"MoveTo 30 42", "LineTo 30 58"},
                    RotatedLabel("1", 26, 41)})},
    };
    for (const Case& c : cases) {
        CircleScene scene(GetParam());
        int index1 = 0, index2 = 0;
        OVector point1, point2;
        double angle1 = 0.0, angle2 = 0.0;
        ASSERT_TRUE(scene.circle->FindNextTransitionPair(
            scene.image, 1, 2, 0, INT_MIN, 0, 1, 2, 0, 0, 0, 0, index1, point1, angle1, index2,
            point2, angle2, &scene.context, c.mode, 0, 0, false));
        EXPECT_EQ(scene.context.Log(), Concat({{"MoveTo 30 42", "LineTo 30 58"}, c.labels}))
            << "mode " << c.mode;
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrecisions, CircleOverlayTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Float" : "Double";
                         });

}  // namespace
