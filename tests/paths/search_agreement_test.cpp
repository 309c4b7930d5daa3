// The line search under the grey band has a fast walk of its own. It must visit the same positions
// and give the same answers as a walk made of the path's public raster steps and evaluations: this
// compares the two for random lines over a random image (inside, across and far outside the
// image, short and degenerate lines, walks from part of the way along, every band).
//
// The Canny type reads the profile of the library's own lines and circles without listing their
// positions; a derived class goes through its GetVectorPath. Both must give the same function.
//
// The searches on the library's own circles step and evaluate in one loop of their own; a derived
// class takes the general walk, its virtual single steps. Both must find the same transitions at
// the same angles and leave the arc in the same place.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kCases = 3000;
constexpr int kCannyCases = 600;
constexpr int kCircleCases = 1500;

using Position = std::pair<int, OVector>;

Position Where(OVectorPath& path) {
    Position p;
    path.CurrentPos(p.first);
    path.CurrentVector(p.second);
    return p;
}

// Every transition of a walk by MoveNextRaster and IsInTransitionThreshold, reported at the
// last-in position as the search reports it.
std::vector<Position> WalkByHand(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    std::vector<Position> found;
    Position lastIn{INT_MIN, Where(path).second};
    bool previous = false;
    for (bool first = true; first || path.MoveNextRaster(); first = false) {
        const bool in = path.IsInTransitionThreshold(image);
        lastIn = in ? Where(path) : lastIn;
        if (!first && in != previous) {
            found.push_back(lastIn);
        }
        previous = in;
    }
    return found;
}

// The same transitions found one search at a time (the band has no state, so evaluating the
// starting position of each search again changes nothing).
std::vector<Position> WalkBySearches(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    std::vector<Position> found;
    Position t;
    double angle = 0.0;
    while (path.FindNextTransition(image, 0, INT_MIN, 0, t.first, t.second, angle, nullptr, 0, 0)) {
        found.push_back(t);
    }
    return found;
}

// Lines inside, across and far outside the image, one in ten short or degenerate, one in three
// walked from part of the way along; every band.
TEST(SearchAgreementTest, LineSearchesVisitTheRasterStepsPositions) {
    std::mt19937 random(20261205u);
    std::uniform_int_distribution<int> grey(0, 255);
    const auto image = std::make_shared<OType_Image>(64, 48);
    for (int k = 0; k < 64 * 48; ++k) {
        image->SetPixel_Grey(k % 64, k / 64, grey(random));
    }
    std::uniform_real_distribution<double> coordinate(-40.0, 110.0);
    std::uniform_int_distribution<std::int64_t> shortOffset(-3 * 65536, 3 * 65536);
    for (int c = 0; c < kCases; ++c) {
        const OVector start(coordinate(random), coordinate(random));
        const OVector end = c % 10 == 0 ? start + OVector(shortOffset(random), shortOffset(random))
                                        : OVector(coordinate(random), coordinate(random));
        const auto [a, b] = std::minmax({grey(random), grey(random)});
        OVectorPath_Line byHand(start, end), bySearch(start, end);
        const int from = c % 3 == 1 ? static_cast<int>(random() % 50) : -1;
        for (OVectorPath_Line* line : {&byHand, &bySearch}) {
            ASSERT_TRUE(line->bCreateTransitionFunction(0, a, b, 0, 0, image));
            OVector unused;
            line->MoveTo(from, unused);  // refused when beyond the end: from the start then
        }
        EXPECT_EQ(WalkBySearches(bySearch, image), WalkByHand(byHand, image)) << "case " << c;
        EXPECT_EQ(Where(bySearch), Where(byHand)) << "case " << c << ": where the walk ends";
    }
}

// A path that lists its positions through its own GetVectorPath (the base class's), which takes
// the Canny type the general way.
template <class Path>
class Listed : public Path {
  public:
    using Path::Path;
    int GetVectorPath(OVector_Array& list) override { return Path::GetVectorPath(list); }
};

// The Canny function's answer at every index from -1 to one past the end, "1" for in threshold.
std::string CannyAnswers(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    std::string answers;
    for (int i = -1; i <= path.GetCount() + 1; ++i) {
        OVector unused;
        if (!path.MoveTo(i, unused)) {
            path.Reset();
        }
        answers += path.IsInTransitionThreshold(image) ? '1' : '0';
    }
    return answers;
}

std::shared_ptr<OType_Image> RandomImage(int width, int height, std::mt19937& random) {
    std::uniform_int_distribution<int> grey(0, 255);
    const auto image = std::make_shared<OType_Image>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image->SetPixel_Grey(x, y, grey(random));
        }
    }
    return image;
}

// Lines and circles of both precisions inside, across and outside random images, with random
// thresholds and kernel rows: a small image; one whose lines are longer than a block of the line
// reader; one too wide for its 32-bit positions.
TEST(SearchAgreementTest, CannyTypeReadsTheListedPositions) {
    std::mt19937 random(20261206u);
    const struct {
        int width, height, cases;
        double margin;  // how far the random points reach outside the image
    } images[] = {{64, 48, kCannyCases, 40.0},
                  {700, 500, kCannyCases / 10, 40.0},
                  {65537, 4, kCannyCases / 10, 1.0}};
    for (const auto& [width, height, cases, margin] : images) {
        const auto image = RandomImage(width, height, random);
        std::uniform_real_distribution<double> x(-margin, std::min(width, 1000) + margin);
        std::uniform_real_distribution<double> y(-margin, height + margin);
        std::uniform_real_distribution<double> radius(0.0, 60.0);
        std::uniform_real_distribution<double> angle(-360.0, 360.0);
        for (int c = 0; c < cases; ++c) {
            const OVector a(x(random), y(random));
            const OVector b(x(random), y(random));
            const double r = radius(random);
            const double start = angle(random);
            const double sweep = c % 7 == 0 ? 360.0 : angle(random);
            OVectorPath_Line line(a, b);
            Listed<OVectorPath_Line> listedLine(a, b);
            OVectorPath_Circle circle(a, r, start, sweep);
            Listed<OVectorPath_Circle> listedCircle(a, r, start, sweep);
            OVectorPath_Circle_Float circleFloat(
                a, static_cast<float>(r), static_cast<float>(start), static_cast<float>(sweep));
            Listed<OVectorPath_Circle_Float> listedFloat(
                a, static_cast<float>(r), static_cast<float>(start), static_cast<float>(sweep));
            const int threshold = 1 + static_cast<int>(random() % 255);
            const int row = static_cast<int>(random() % 13);
            const std::pair<OVectorPath*, OVectorPath*> pairs[] = {
                {&line, &listedLine}, {&circle, &listedCircle}, {&circleFloat, &listedFloat}};
            for (const auto& [own, listed] : pairs) {
                ASSERT_TRUE(own->bCreateTransitionFunction(3, threshold, 0, 0, row, image));
                ASSERT_TRUE(listed->bCreateTransitionFunction(3, threshold, 0, 0, row, image));
                EXPECT_EQ(CannyAnswers(*own, image), CannyAnswers(*listed, image))
                    << width << " x " << height << ", case " << c << ", path type "
                    << own->GetPathType();
            }
        }
    }
}

// A circle that takes the general walk: a class derived from the library's (nothing overridden).
template <class Circle>
class Derived : public Circle {
  public:
    using Circle::Circle;
};

struct Found {
    int index;
    OVector point;
    double angle;
    bool operator==(const Found& other) const {
        return index == other.index && point == other.point && angle == other.angle;
    }
};

// Every transition one search at a time, then where the arc stands; on a full circle one pair
// search that goes on around the seam instead.
std::vector<Found> SearchCircle(OVectorPath& path, const std::shared_ptr<OType_Image>& image,
                                bool pair) {
    std::vector<Found> found;
    Found a{}, b{};
    if (pair) {
        path.FindNextTransitionPair(image, 3, 1, 0, 0, -1, 2, 2, 0, 0, -1, 1, a.index, a.point,
                                    a.angle, b.index, b.point, b.angle, nullptr, 0, 0, 0, true);
        found = {a, b};
    } else {
        while (path.FindNextTransition(image, 0, 0, -1, a.index, a.point, a.angle, nullptr, 0, 0)) {
            found.push_back(a);
        }
    }
    double angle = 0.0;
    path.CurrentAngle_Rad(angle);
    path.CurrentVector(a.point);
    path.CurrentPos(a.index);
    found.push_back(Found{a.index, a.point, angle});
    return found;
}

// Circles of both precisions inside, across and outside a random image, every transition type,
// walks from part of the way along, pair searches around full circles.
TEST(SearchAgreementTest, CircleSearchesAgreeWithTheGeneralWalk) {
    std::mt19937 random(20261207u);
    std::uniform_int_distribution<int> grey(0, 255);
    const auto image = std::make_shared<OType_Image>(64, 48);
    for (int k = 0; k < 64 * 48; ++k) {
        image->SetPixel_Grey(k % 64, k / 64, grey(random) < 128 ? 40 : 210);
    }
    std::uniform_real_distribution<double> coordinate(-40.0, 110.0);
    std::uniform_real_distribution<double> radius(0.0, 60.0);
    std::uniform_real_distribution<double> angle(-360.0, 360.0);
    for (int c = 0; c < kCircleCases; ++c) {
        const OVector centre(coordinate(random), coordinate(random));
        const double r = radius(random), start = angle(random);
        const double sweep = c % 4 == 0 ? 360.0 : angle(random);
        const int type = c % 5 == 4 ? static_cast<int>(random() % 4) : 0;
        const auto [low, high] = std::minmax({grey(random), grey(random)});
        // Outside the lambda: C++17 lambdas cannot capture structured bindings (Clang refuses).
        const int p1 = type == 3 ? 1 + low % 255 : low, p2 = type == 3 ? 0 : high;
        const int from = c % 3 == 1 ? static_cast<int>(random() % 50) : -1;
        const auto run = [&](OVectorPath& path) {
            EXPECT_TRUE(path.bCreateTransitionFunction(type, p1, p2, 1 + c % 10, 2, image));
            OVector unused;
            path.MoveTo(from, unused);  // refused when beyond the end: from the start then
            return SearchCircle(path, image, sweep == 360.0 && c % 8 == 0);
        };
        OVectorPath_Circle own(centre, r, start, sweep);
        Derived<OVectorPath_Circle> general(centre, r, start, sweep);
        EXPECT_EQ(run(own), run(general)) << "case " << c << ", double";
        const auto f = [](double v) { return static_cast<float>(v); };
        OVectorPath_Circle_Float ownFloat(centre, f(r), f(start), f(sweep));
        Derived<OVectorPath_Circle_Float> generalFloat(centre, f(r), f(start), f(sweep));
        EXPECT_EQ(run(ownFloat), run(generalFloat)) << "case " << c << ", float";
    }
}

}  // namespace
