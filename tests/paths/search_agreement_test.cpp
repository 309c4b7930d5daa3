// The line search under the grey band has a fast walk of its own. It must visit the same positions
// and give the same answers as a walk made of the path's public raster steps and evaluations: this
// compares the two for random lines over a random image (inside, across and far outside the
// image, short and degenerate lines, walks from part of the way along, every band).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "paths/OVectorPath_Line.h"

namespace {

constexpr int kCases = 3000;

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

}  // namespace
