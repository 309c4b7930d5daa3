// Overlays of the transition searches, read from a recording drawing context: the calls of one
// case of each search in order, with positions worked out by hand; label kinds, modes, numbers
// and sides on lines and circles; and the context's font and background mode given back on
// every way out.
//
// Geometry (the recording context answers text extents of 8 units per character and 15 high):
// - The line runs from (2.5, 5.5) to the right along row 5; index i lies in pixel (2 + i, 5).
//   Its normal n is (0, 1), its direction d (1, 0), its text angle 0. Pixels 12..21 are dark, so
//   the band [0, 128] enters at T = (12.5, 5.5) and leaves after T = (21.5, 5.5).
// - The circle has centre (30.5, 30.5), radius 20, start 90 degrees, sweep 90: index 0 lies at
//   T = (30.5, 50.5), straight below the centre, with radial direction n = (0, 1) and tangent
//   (1, 0); index 1 lies in pixel (29, 50). Only pixel (30, 50) is dark, so the band leaves
//   after index 0.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "RecordingContext.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

using Log = std::vector<std::string>;

// A line search makes its label font current with a transparent background, and gives both back.
const Log kFontOn = {"CalcDPtoLP 1 18 -> 1 18", "ChangeFont 18 0", "BackgroundMode 1"};
const Log kFontOff = {"ChangeFont initial", "BackgroundMode 2"};
const Log kLineTicks[] = {{"MoveTo 12 13", "LineTo 12 -3"}, {"MoveTo 21 13", "LineTo 21 -3"}};
const Log kCircleTick = {"MoveTo 30 42", "LineTo 30 58"};

Log Concat(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A label: its extent, then the text at (x, y).
Log Label(const std::string& text, int x, int y) {
    return {"GetTextExtent " + text + " -> " + std::to_string(8 * text.size()) + " 15",
            "DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text};
}

// A circle's label through DrawRotatedText along the tangent: its own font, the label, restored.
Log RotatedLabel(const std::string& text, int x, int y) {
    return Concat({kFontOn, Label(text, x, y), kFontOff});
}

// Bright, with the line's pixels 12..21 of row 5 and the circle's pixel (30, 50) dark.
std::shared_ptr<OType_Image> SceneImage() {
    auto image = std::make_shared<OType_Image>(72, 64, std::vector<unsigned char>(72 * 64, 200));
    for (int x = 12; x < 22; ++x) {
        image->SetPixel_Grey(x, 5, 50);
    }
    image->SetPixel_Grey(30, 50, 50);
    return image;
}

struct Scene {
    explicit Scene(std::unique_ptr<OVectorPath> p) : path(std::move(p)) {}

    std::unique_ptr<OVectorPath> path;
    std::shared_ptr<OType_Image> image = SceneImage();
    RecordingContext context;
    int index = 0, index2 = 0;
    OVector point, point2;
    double angle = 0.0, angle2 = 0.0;

    bool FindNext(int polarity, int kind, int number) {
        return path->FindNextTransition(image, polarity, 0, 0, index, point, angle, &context, kind,
                                        number);
    }
    bool FindSingle(int ordinal, int polarity, int kind, int base, bool goOn) {
        return path->FindNextTransitionSingle(image, ordinal, polarity, 0, 0, index, point, angle,
                                              &context, kind, base, goOn);
    }
    // First edges of the given polarity, second edges leaving, numbered from 10 and 50.
    bool FindPair(int polarity1, int mode, bool goOn) {
        return path->FindNextTransitionPair(image, 1, polarity1, 0, INT_MIN, 0, 1, 2, 0, INT_MIN, 0,
                                            0, index, point, angle, index2, point2, angle2,
                                            &context, mode, 10, 50, goOn);
    }
};

Scene LineScene() {
    return Scene(std::make_unique<OVectorPath_Line>(OVector(2.5, 5.5), OVector(62.5, 5.5)));
}

Scene CircleScene(bool isFloat) {
    const OVector centre(30.5, 30.5);
    return isFloat ? Scene(std::make_unique<OVectorPath_Circle_Float>(centre, 20.f, 90.f, 90.f))
                   : Scene(std::make_unique<OVectorPath_Circle>(centre, 20.0, 90.0, 90.0));
}

TEST(LineOverlayTest, LabelKindsChooseTextAndSide) {
    // FindNextTransition: a tick from T + 8 n to T - 8 n. Labels are centred along the line,
    // (8 * characters + 1) / 2 back: on the plus side one unit and the text height beyond the
    // tick, T + 24 n - 8.5 d = (4.0, 29.5) for two characters; "S" labels on the minus side one
    // unit beyond it, T - 9 n - 8.5 d = (4.0, -3.5). The label shows the number + 1, in decimal
    // with its sign, wrapping around at INT_MAX.
    const std::tuple<int, int, Log> cases[] = {
        {1, 0, Label("1", 8, 29)},
        {2, 0, Label("S1", 4, -4)},
        {3, 0, Label("E1", 4, 29)},
        {1, -6, Label("-5", 4, 29)},
        {3, INT_MAX, Label("E-2147483648", -36, 29)},
        {-1, 0, {}},  // FindNextTransition draws the tick for every kind
    };
    for (const auto& [kind, number, label] : cases) {
        Scene scene = LineScene();
        ASSERT_TRUE(scene.FindNext(1, kind, number));
        EXPECT_EQ(scene.context.Log(), Concat({kFontOn, kLineTicks[0], label, kFontOff}))
            << "kind " << kind << ", number " << number;
    }
    // The line walked leftwards enters at T = (21.5, 5.5). Its normal and direction are folded
    // as for the rightward line, so the tick, the label side and the text angle stay the same.
    Scene reversed(std::make_unique<OVectorPath_Line>(OVector(62.5, 5.5), OVector(2.5, 5.5)));
    ASSERT_TRUE(reversed.FindNext(1, 1, 0));
    EXPECT_EQ(reversed.context.Log(),
              Concat({kFontOn, kLineTicks[1], Label("1", 17, 29), kFontOff}));
}

TEST(LineOverlayTest, PairStartsAtThePathAndNumbersByMode) {
    Scene scene = LineScene();
    ASSERT_TRUE(scene.FindPair(1, 0, false));
    // The pair search first moves to the pixel where the path stands.
    EXPECT_EQ(scene.context.Log(),
              Concat({kFontOn, Log{"MoveTo 2 5"}, kLineTicks[0], Label("S11", 0, -4), kLineTicks[1],
                      Label("E51", 9, 29), kFontOff}));
    // Every transition a first edge, the leaving one also a second edge, going on: mode -1
    // numbers both kinds by the first-edge count, 1 each by its own, other modes write S and E.
    const std::pair<int, Log> cases[] = {
        {-1, {"11", "12", "12"}}, {1, {"11", "12", "51"}}, {7, {"S11", "S12", "E51"}}};
    for (const auto& [mode, expected] : cases) {
        Scene all = LineScene();
        ASSERT_TRUE(all.FindPair(0, mode, true));
        Log labels;
        for (const std::string& call : all.context.Calls("DrawText")) {
            labels.push_back(call.substr(call.rfind(' ') + 1));
        }
        EXPECT_EQ(labels, expected) << "mode " << mode;
    }
}

TEST(LineOverlayTest, FontAndBackgroundComeBackOnEveryWayOut) {
    // Ordinal 0 answers at once, after making and giving back the font only; label kind -1 walks
    // over both transitions and draws nothing at all.
    Scene scene = LineScene();
    ASSERT_TRUE(scene.FindSingle(0, 1, 1, 0, false));
    EXPECT_EQ(scene.index, -1);
    ASSERT_TRUE(scene.FindSingle(1, 0, -1, 0, true));
    EXPECT_EQ(scene.context.Log(), Concat({kFontOn, kFontOff, kFontOn, kFontOff}));
    // No transition at all (0 is in threshold throughout): a single search, and a pair search
    // starting where that one left the path, at its end.
    scene.context.ClearLog();
    scene.image = std::make_shared<OType_Image>(72, 64);
    EXPECT_FALSE(scene.FindSingle(1, 1, 1, 0, false));
    EXPECT_FALSE(scene.FindPair(1, 1, false));
    EXPECT_EQ(scene.context.Log(), Concat({kFontOn, kFontOff, kFontOn, {"MoveTo 62 5"}, kFontOff}));
}

class CircleOverlayTest : public testing::TestWithParam<bool> {};

TEST_P(CircleOverlayTest, TicksAreRadialAndLabelsRunAlongTheTangent) {
    // Tick from T - 8 n = (30.5, 42.5) to T + 8 n = (30.5, 58.5), for every label kind. Kinds 1
    // and 2 and first edges write beyond T + 8 n by the text height + 1 (y 74.5), kind 3 and
    // second edges one unit before T - 8 n (y 41.5); all are centred along the tangent, 8.5
    // units back for two characters (x 22.0).
    const std::pair<int, Log> kinds[] = {{1, RotatedLabel("1", 26, 74)},
                                         {2, RotatedLabel("S1", 22, 74)},
                                         {3, RotatedLabel("E1", 22, 41)},
                                         {-1, {}},
                                         {0, {}}};
    for (const auto& [kind, label] : kinds) {
        Scene scene = CircleScene(GetParam());
        ASSERT_TRUE(scene.FindSingle(1, 2, kind, 0, false)) << "kind " << kind;
        EXPECT_EQ(scene.context.Log(), Concat({kCircleTick, label})) << "kind " << kind;
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrecisions, CircleOverlayTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Float" : "Double";
                         });

}  // namespace
