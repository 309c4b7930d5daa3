#include "measure/EdgeSearch.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "foundation/Angles.h"
#include "subpixel/OSubpixelCalculation.h"

namespace {

// The reference index of every search: distances count from the start of the path.
constexpr int kPathStartIndex = 0;
constexpr int kLabelBase = 0;
// The least distance in steps between the two edges of a pair searched one after the other.
constexpr int kDistinctEdgeSteps = 1;

Point2 ToPoint(const OVector& v) {
    return {v.dX(), v.dY()};
}

EdgeRecord MakeRecord(OVectorPath& path, int pathNumber, int index, const OVector& point,
                      double angle) {
    EdgeRecord edge;
    edge.path = pathNumber;
    edge.index = index;
    edge.point = ToPoint(point);
    if (path.GetPathType() == OVectorPath::kPathTypeCircle) {
        edge.angle = angle;
    }
    return edge;
}

// Adds the sub-pixel result to an edge when the refinement succeeds. A second edge that a pair
// search found after wrapping round a full circle carries an index past GetCount(); it is
// refined at its place on the first lap and keeps the continued angle.
void Refine(EdgeRecord& edge, OVectorPath& path, OType_Image& image) {
    const int count = path.GetCount();
    const bool wrapped = count > 0 && edge.index >= count;
    const int index = wrapped ? edge.index - count : edge.index;
    OVector point;
    double angle = 0.0;
    if (OSubpixelCalculation::CalculateTransitionOnPath(
            &image, &path, OSubpixelCalculation::kMethodSixTap, index, point, angle) != 1) {
        return;
    }
    edge.subpixelPoint = ToPoint(point);
    if (edge.angle) {
        edge.subpixelAngle = wrapped ? angle + angles::kTwoPi : angle;
    }
}

std::vector<EdgeRecord> SearchFirstOrAll(OVectorPath& path, int pathNumber,
                                         const SearchSetup& search, const SearchSettings& s,
                                         bool all) {
    std::vector<EdgeRecord> edges;
    int reference = kPathStartIndex;
    // Every successful search moves the path forward, so a path has at most as many edges as
    // positions; the bound only guards against a search that would not advance.
    const int maxEdges = all ? path.GetCount() + 1 : 1;
    std::set<int> seen;  // path indices, a full circle's wrapped ones reduced by its count
    for (int found = 0; found < maxEdges; ++found) {
        int index = -1;
        OVector point;
        double angle = 0.0;
        if (!path.FindNextTransition(s.image, static_cast<int>(search.polarity), search.minDistance,
                                     reference, index, point, angle, s.context, s.labelKind,
                                     found)) {
            break;
        }
        // An edge met again (after a full circle's wrap) ends the list: it never appears twice.
        const int count = path.GetCount();
        if (!seen.insert(count > 0 && index >= count ? index - count : index).second) {
            break;
        }
        edges.push_back(MakeRecord(path, pathNumber, index, point, angle));
        reference = index;
    }
    return edges;
}

std::vector<EdgeRecord> SearchNth(OVectorPath& path, int pathNumber, const SearchSetup& search,
                                  const SearchSettings& s) {
    int index = -1;
    OVector point;
    double angle = 0.0;
    const bool goOnToEnd = false;
    if (!path.FindNextTransitionSingle(s.image, search.ordinal, static_cast<int>(search.polarity),
                                       search.minDistance, kPathStartIndex, index, point, angle,
                                       s.context, s.labelKind, kLabelBase, goOnToEnd)) {
        return {};
    }
    return {MakeRecord(path, pathNumber, index, point, angle)};
}

}  // namespace

bool PrepareTransition(OVectorPath& path, const TransitionSetup& transition,
                       const std::shared_ptr<OType_Image>& image) {
    return path.bCreateTransitionFunction(transition.type, transition.param1, transition.param2,
                                          transition.param3, transition.param4, image);
}

std::vector<EdgeRecord> SearchEdges(OVectorPath& path, int pathNumber, const SearchSetup& search,
                                    const SearchSettings& settings) {
    path.Reset();
    std::vector<EdgeRecord> edges =
        search.mode == SearchMode::Nth
            ? SearchNth(path, pathNumber, search, settings)
            : SearchFirstOrAll(path, pathNumber, search, settings, search.mode == SearchMode::All);
    // Refined only after the searches: they walk the path, the refinement only queries it.
    if (settings.subpixel) {
        for (EdgeRecord& edge : edges) {
            Refine(edge, path, *settings.image);
        }
    }
    return edges;
}

std::optional<PairRecord> SearchPair(OVectorPath& path, const SearchSetup& search,
                                     const SearchSettings& s) {
    path.Reset();
    int index1 = -1;
    int index2 = -1;
    OVector point1;
    OVector point2;
    double angle1 = 0.0;
    double angle2 = 0.0;
    const PairEdgeSetup& a = search.first;
    PairEdgeSetup b = search.second;
    // A transition is found at one path index only: a second edge at least one step after the
    // first is never the first edge again (with both polarities "any" it otherwise would be).
    if (search.secondAfterFirst) {
        b.minDistanceToOther = std::max(b.minDistanceToOther, kDistinctEdgeSteps);
    }
    const bool goOnToEnd = false;
    if (!path.FindNextTransitionPair(
            s.image, a.ordinal, static_cast<int>(a.polarity), a.minDistance, a.minDistanceToOther,
            kPathStartIndex, b.ordinal, static_cast<int>(b.polarity), b.minDistance,
            b.minDistanceToOther, kPathStartIndex, search.secondAfterFirst ? 1 : 0, index1, point1,
            angle1, index2, point2, angle2, s.context, OVectorPath::kPairLabelStartEnd, kLabelBase,
            kLabelBase, goOnToEnd)) {
        return std::nullopt;
    }
    if (index1 == index2) {
        return std::nullopt;  // searched independently, both found the same edge: no pair
    }
    PairRecord pair;
    pair.first = MakeRecord(path, 0, index1, point1, angle1);
    pair.second = MakeRecord(path, 0, index2, point2, angle2);
    if (s.subpixel) {
        Refine(pair.first, path, *s.image);
        Refine(pair.second, path, *s.image);
    }
    const bool bothRefined = pair.first.subpixelPoint && pair.second.subpixelPoint;
    const Point2 p = bothRefined ? *pair.first.subpixelPoint : pair.first.point;
    const Point2 q = bothRefined ? *pair.second.subpixelPoint : pair.second.point;
    pair.distance = std::hypot(q.x - p.x, q.y - p.y);
    return pair;
}
