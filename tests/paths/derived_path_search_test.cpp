// Searches over classes derived from the library's paths see them through their virtual
// interface: a derived class that shifts every point (CurrentVector) is searched at the shifted
// points, and one whose raster step ends early is searched only that far.
//
// Expected answers come from a twin: a plain path of the same class laid where the derived one
// claims to be. The shift is whole pixels, so the twin's positions are the shifted positions
// exactly and both walks cross the same pixels. The image is dark only where the shifted paths
// run, so a search that read the unshifted positions would find nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kImageSize = 72;
constexpr unsigned char kDark = 50;
constexpr unsigned char kBright = 200;
constexpr int kShift = 6;  // pixels, in x and y

// A path of class Base that reports every point kShift pixels further right and down.
template <class Base>
class Shifted : public Base {
  public:
    using Base::Base;
    bool CurrentVector(OVector& v) override {
        Base::CurrentVector(v);
        v += OVector(kShift, kShift);
        return true;
    }
};

std::shared_ptr<OType_Image> Paint(const std::function<bool(int, int)>& dark) {
    auto image = std::make_shared<OType_Image>(kImageSize, kImageSize);
    for (int y = 0; y < kImageSize; ++y) {
        for (int x = 0; x < kImageSize; ++x) {
            image->SetPixel_Grey(x, y, dark(x, y) ? kDark : kBright);
        }
    }
    return image;
}

std::string Text(bool found, int index, const OVector& point, double angle, OVectorPath& path) {
    int position = 0;
    path.CurrentPos(position);
    return std::to_string(found) + " " + std::to_string(index) + " (" +
           std::to_string(point.GetRawX()) + ", " + std::to_string(point.GetRawY()) + ") " +
           std::to_string(angle) + " at " + std::to_string(position);
}

// Every transition one by one, then the second entering one going on to the end, then a pair:
// each answer, its results and the position where the path stopped. (Overlays are left out: a
// circle draws its ticks along the direction from its centre field, which the shift leaves.)
std::vector<std::string> SearchAll(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    std::vector<std::string> log;
    EXPECT_TRUE(path.bCreateTransitionFunction(0, 0, 128, 0, 0, nullptr));
    int index = 0;
    OVector point;
    double angle = 0.0;
    bool found = false;
    do {
        found = path.FindNextTransition(image, 0, 0, 0, index, point, angle, nullptr, 0, 0);
        log.push_back(Text(found, index, point, angle, path));
    } while (found);
    path.Reset();
    found =
        path.FindNextTransitionSingle(image, 2, 1, 0, 0, index, point, angle, nullptr, 0, 0, true);
    log.push_back(Text(found, index, point, angle, path));
    path.Reset();
    int index2 = 0;
    OVector point2;
    double angle2 = 0.0;
    found = path.FindNextTransitionPair(image, 1, 1, 0, 0, 0, 1, 2, 0, 0, 0, 0, index, point, angle,
                                        index2, point2, angle2, nullptr, 0, 0, 0, false);
    log.push_back(Text(found, index, point, angle, path) + " / " +
                  Text(found, index2, point2, angle2, path));
    return log;
}

TEST(DerivedPathSearchTest, SearchesSeeTheShiftedPoints) {
    const OVector shift(kShift, kShift);
    // Lines along row 5 (shifted: row 11), under the band, which the fast walk serves for a
    // plain line.
    const OVector start(2.5, 5.5);
    const OVector end(62.5, 5.5);
    const auto lineImage = Paint([](int x, int y) {
        return y == 5 + kShift && ((x >= 20 && x < 30) || (x >= 40 && x < 45));
    });
    Shifted<OVectorPath_Line> line(start, end);
    OVectorPath_Line lineTwin(start + shift, end + shift);
    EXPECT_EQ(SearchAll(line, lineImage), SearchAll(lineTwin, lineImage));

    // Full circles of radius 25; only the shifted ones reach the dark border beyond 56.
    const OVector centre(30.5, 30.5);
    const auto circleImage = Paint([](int x, int y) { return x > 56 || y > 56; });
    Shifted<OVectorPath_Circle> circle(centre, 25.0, 0.0, 360.0);
    OVectorPath_Circle circleTwin(centre + shift, 25.0, 0.0, 360.0);
    const std::vector<std::string> circleLog = SearchAll(circleTwin, circleImage);
    EXPECT_EQ(SearchAll(circle, circleImage), circleLog);
    EXPECT_EQ(circleLog.size(), 7u) << "the twin finds four transitions";

    Shifted<OVectorPath_Circle_Float> circleFloat(centre, 25.0f, 0.0f, 360.0f);
    OVectorPath_Circle_Float circleFloatTwin(centre + shift, 25.0f, 0.0f, 360.0f);
    EXPECT_EQ(SearchAll(circleFloat, circleImage), SearchAll(circleFloatTwin, circleImage));
}

// A line whose raster step gives up at index 20, before the dark half of the image.
class EndsEarly : public OVectorPath_Line {
  public:
    static constexpr int kLastIndex = 20;
    using OVectorPath_Line::OVectorPath_Line;
    bool MoveNextRaster() override {
        int index = 0;
        CurrentPos(index);
        return index < kLastIndex && OVectorPath_Line::MoveNextRaster();
    }
};

TEST(DerivedPathSearchTest, SearchesStopWhereTheRasterStepStops) {
    const auto image = Paint([](int x, int) { return x >= 40; });
    const OVector start(2.5, 5.5);
    const OVector end(62.5, 5.5);
    OVectorPath_Line plain(start, end);
    EndsEarly early(start, end);
    for (OVectorPath* path :
         {static_cast<OVectorPath*>(&plain), static_cast<OVectorPath*>(&early)}) {
        ASSERT_TRUE(path->bCreateTransitionFunction(0, 0, 128, 0, 0, nullptr));
        int index = 0;
        OVector point;
        double angle = 0.0;
        const bool found =
            path->FindNextTransition(image, 0, 0, 0, index, point, angle, nullptr, 0, 0);
        int position = 0;
        path->CurrentPos(position);
        EXPECT_EQ(found, path == &plain);
        EXPECT_EQ(position, path == &plain ? 38 : EndsEarly::kLastIndex);
    }
}

}  // namespace
