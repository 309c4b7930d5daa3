// The transition search agrees with a walk made of the path's public raster steps and
// evaluations, for random lines over a random image: lines inside, across and far outside the
// image, short and degenerate lines, every band. This guards the search's own fast walks, which
// must visit the same positions and give the same answers as the plain steps.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <vector>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kCases = 3000;
constexpr unsigned kSeed = 20261205u;

struct Transition {
    int index;
    OVector point;
};

// Every transition of a walk by MoveNextRaster and IsInTransitionThreshold, reported at the
// last-in position as the search reports it; the walk ends with the path exhausted.
std::vector<Transition> WalkByHand(OVectorPath& path, const std::shared_ptr<OType_Image>& image) {
    std::vector<Transition> found;
    int lastIn = INT_MIN;
    OVector lastInPoint;
    path.CurrentVector(lastInPoint);
    const auto evaluate = [&] {
        const bool in = path.IsInTransitionThreshold(image);
        if (in) {
            path.CurrentPos(lastIn);
            path.CurrentVector(lastInPoint);
        }
        return in;
    };
    bool previous = evaluate();
    while (path.MoveNextRaster()) {
        const bool in = evaluate();
        if (in != previous) {
            found.push_back({lastIn, lastInPoint});
            previous = in;
        }
    }
    return found;
}

// The same transitions found one search at a time (each search continues where the last one
// stopped; the band has no state, so re-evaluating the starting position changes nothing).
std::vector<Transition> WalkBySearches(OVectorPath& path,
                                       const std::shared_ptr<OType_Image>& image) {
    std::vector<Transition> found;
    int index = -1;
    OVector point;
    double angle = 0.0;
    while (path.FindNextTransition(image, 0, INT_MIN, 0, index, point, angle, nullptr, 0, 0)) {
        found.push_back({index, point});
    }
    return found;
}

std::shared_ptr<OType_Image> RandomImage(std::mt19937& random) {
    auto image = std::make_shared<OType_Image>(kWidth, kHeight);
    std::uniform_int_distribution<int> grey(0, 255);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            image->SetPixel_Grey(x, y, grey(random));
        }
    }
    return image;
}

void ExpectSameWalk(OVectorPath& byHand, OVectorPath& bySearch,
                    const std::shared_ptr<OType_Image>& image, int caseNumber) {
    const std::vector<Transition> expected = WalkByHand(byHand, image);
    const std::vector<Transition> actual = WalkBySearches(bySearch, image);
    ASSERT_EQ(actual.size(), expected.size()) << "case " << caseNumber;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].index, expected[i].index) << "case " << caseNumber << " edge " << i;
        EXPECT_EQ(actual[i].point, expected[i].point) << "case " << caseNumber << " edge " << i;
    }
    int endHand = 0;
    int endSearch = 0;
    OVector pointHand;
    OVector pointSearch;
    byHand.CurrentPos(endHand);
    bySearch.CurrentPos(endSearch);
    byHand.CurrentVector(pointHand);
    bySearch.CurrentVector(pointSearch);
    EXPECT_EQ(endSearch, endHand) << "case " << caseNumber;
    EXPECT_EQ(pointSearch, pointHand) << "case " << caseNumber;
}

TEST(SearchAgreementTest, LineSearchesVisitTheRasterStepsPositions) {
    std::mt19937 random(kSeed);
    const auto image = RandomImage(random);
    std::uniform_real_distribution<double> coordinate(-40.0, 110.0);
    std::uniform_int_distribution<int> grey(0, 255);
    std::uniform_int_distribution<int> kind(0, 9);
    // Short and degenerate lines: a few raw units to a few pixels.
    std::uniform_int_distribution<std::int64_t> shortOffset(-3 * 65536, 3 * 65536);
    for (int c = 0; c < kCases; ++c) {
        const OVector start(coordinate(random), coordinate(random));
        OVector end(coordinate(random), coordinate(random));
        if (kind(random) == 0) {
            end = start + OVector(shortOffset(random), shortOffset(random));
        }
        const int a = grey(random);
        const int b = grey(random);
        OVectorPath_Line byHand(start, end);
        OVectorPath_Line bySearch(start, end);
        ASSERT_TRUE(
            byHand.bCreateTransitionFunction(0, std::min(a, b), std::max(a, b), 0, 0, image));
        ASSERT_TRUE(
            bySearch.bCreateTransitionFunction(0, std::min(a, b), std::max(a, b), 0, 0, image));
        // Some walks start part of the way along the line.
        if (kind(random) < 3 && byHand.GetCount() > 2) {
            OVector unused;
            std::uniform_int_distribution<int> position(0, byHand.GetCount() - 1);
            const int from = position(random);
            byHand.MoveTo(from, unused);
            bySearch.MoveTo(from, unused);
        }
        ExpectSameWalk(byHand, bySearch, image, c);
    }
}

TEST(SearchAgreementTest, CircleSearchesVisitTheRasterStepsPositions) {
    std::mt19937 random(kSeed + 1);
    const auto image = RandomImage(random);
    std::uniform_real_distribution<double> centre(-20.0, 80.0);
    std::uniform_real_distribution<double> radius(0.0, 40.0);
    std::uniform_real_distribution<double> angle(-400.0, 400.0);
    std::uniform_int_distribution<int> grey(0, 255);
    for (int c = 0; c < kCases / 10; ++c) {
        const OVector centrePoint(centre(random), centre(random));
        const double r = radius(random);
        const double start = angle(random);
        const double sweep = angle(random);
        const int a = grey(random);
        const int b = grey(random);
        OVectorPath_Circle byHand(centrePoint, r, start, sweep);
        OVectorPath_Circle bySearch(centrePoint, r, start, sweep);
        ASSERT_TRUE(
            byHand.bCreateTransitionFunction(0, std::min(a, b), std::max(a, b), 0, 0, image));
        ASSERT_TRUE(
            bySearch.bCreateTransitionFunction(0, std::min(a, b), std::max(a, b), 0, 0, image));
        ExpectSameWalk(byHand, bySearch, image, c);
    }
}

}  // namespace
