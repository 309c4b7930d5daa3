#include "circlefit/PointSetDiameter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

// Why the pruning gives the same bits as the pair loop
//
// Round-to-nearest is monotone: a <= b implies fl(a) <= fl(b). Take two boxes a and b that hold
// the points (their corners are point coordinates, so they are exact doubles). For p in a and q in
// b the exact difference xp - xq lies in [a.x0 - b.x1, a.x1 - b.x0], so the rounded difference
// lies between the rounded ends, and |fl(xp - xq)| <= mx = max(|fl(a.x1 - b.x0)|,
// |fl(a.x0 - b.x1)|). Squaring and adding are monotone in the same way, so
// fl(fl(mx * mx) + fl(my * my)) bounds the computed value of every pair of the two boxes from
// above, rounding included. A pair of boxes whose bound does not exceed the best value found so far
// cannot change the maximum and is skipped; every other pair is split until single pairs are
// evaluated with the very expression of the definition. No tolerance is involved anywhere.
//
// Before the tree is built, a first pair found by a few linear passes and a triangle-inequality
// test (KeepFarPoints) remove the points that cannot beat that pair; on the point sets of a
// measurement only a few percent are left, so the tree stays small.
//
// Points with a NaN coordinate only make NaN values, which never win, so they are left out. An
// infinite coordinate makes the box arithmetic meaningless (inf - inf), so such input is answered
// by the pair loop itself: it is bad input, where exactness matters more than speed.

namespace circlefit {
namespace {

// Below this many points the pair loop is cheaper than building a tree.
constexpr std::size_t kAllPairsLimit = 64;
// Points per leaf of the box tree.
constexpr std::size_t kLeafSize = 8;
// Rounds of the farthest-point walk that seeds the best value (each round is one pass).
constexpr int kFarthestPointRounds = 2;
// The far-point filter runs only on point sets whose extent lies in this range, where rounding
// errors stay relative (no square underflows or overflows to the point of mattering).
constexpr double kMinExtent = 1e-100;
constexpr double kMaxExtent = 1e100;

struct Point {
    double x;
    double y;
};

struct Box {
    double x0;
    double x1;
    double y0;
    double y1;
};

struct Node {
    Box box;
    std::size_t begin;
    std::size_t end;
    std::int32_t child[2];  // -1 for a leaf

    bool IsLeaf() const { return child[0] < 0; }
};

// The value of the definition for one pair.
inline double PairValue(const Point& p, const Point& q) {
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    return dx * dx + dy * dy;
}

// Upper bound of PairValue over all pairs of a point of box a and a point of box b (see the top
// of the file). For two boxes that are single points it equals PairValue.
inline double BoxPairBound(const Box& a, const Box& b) {
    const double mx = std::max(std::fabs(a.x1 - b.x0), std::fabs(a.x0 - b.x1));
    const double my = std::max(std::fabs(a.y1 - b.y0), std::fabs(a.y0 - b.y1));
    return mx * mx + my * my;
}

inline bool IsSinglePoint(const Box& box) {
    return box.x0 == box.x1 && box.y0 == box.y1;
}

Box BoundingBox(const Point* points, std::size_t count) {
    Box box{points[0].x, points[0].x, points[0].y, points[0].y};
    for (std::size_t i = 1; i < count; ++i) {
        box.x0 = std::min(box.x0, points[i].x);
        box.x1 = std::max(box.x1, points[i].x);
        box.y0 = std::min(box.y0, points[i].y);
        box.y1 = std::max(box.y1, points[i].y);
    }
    return box;
}

// A k-d tree of tight bounding boxes, split at the median of the longer side. Duplicates end up
// in leaves whose box is a single point, however many they are.
class BoxTree {
  public:
    explicit BoxTree(std::vector<Point>& points) : m_points(points) {
        m_nodes.reserve(2 * (points.size() / kLeafSize + 1));
        Build(0, points.size());
    }

    const Node& operator[](std::int32_t index) const {
        return m_nodes[static_cast<std::size_t>(index)];
    }

  private:
    std::int32_t Build(std::size_t begin, std::size_t end) {
        const auto index = static_cast<std::int32_t>(m_nodes.size());
        Node node{BoundingBox(&m_points[begin], end - begin), begin, end, {-1, -1}};
        m_nodes.push_back(node);
        if (end - begin <= kLeafSize || IsSinglePoint(node.box)) {
            return index;
        }
        const bool splitX = node.box.x1 - node.box.x0 >= node.box.y1 - node.box.y0;
        const std::size_t middle = begin + (end - begin) / 2;
        const auto first = m_points.begin() + static_cast<std::ptrdiff_t>(begin);
        std::nth_element(
            first, m_points.begin() + static_cast<std::ptrdiff_t>(middle),
            m_points.begin() + static_cast<std::ptrdiff_t>(end),
            [splitX](const Point& p, const Point& q) { return splitX ? p.x < q.x : p.y < q.y; });
        const std::int32_t left = Build(begin, middle);
        const std::int32_t right = Build(middle, end);
        m_nodes[static_cast<std::size_t>(index)].child[0] = left;
        m_nodes[static_cast<std::size_t>(index)].child[1] = right;
        return index;
    }

    std::vector<Point>& m_points;
    std::vector<Node> m_nodes;
};

// The caller's arrays, read in place. Points with a NaN coordinate are not usable.
class InputPoints {
  public:
    InputPoints(const double* x, const double* y, std::size_t n) : m_pdX(x), m_pdY(y), m_n(n) {}

    std::size_t Size() const { return m_n; }
    bool Usable(std::size_t i) const { return !std::isnan(m_pdX[i]) && !std::isnan(m_pdY[i]); }
    Point operator[](std::size_t i) const { return {m_pdX[i], m_pdY[i]}; }

  private:
    const double* m_pdX;
    const double* m_pdY;
    std::size_t m_n;
};

// What one pass over the usable points tells.
struct Survey {
    std::size_t usable = 0;
    std::size_t first = 0;  // index of the first usable point
    bool infinite = false;  // some usable point has an infinite coordinate
    Box box{};
    double sumX = 0.0;
    double sumY = 0.0;
};

Survey SurveyPoints(const InputPoints& points) {
    Survey survey;
    for (std::size_t i = 0; i < points.Size(); ++i) {
        if (!points.Usable(i)) {
            continue;
        }
        const Point p = points[i];
        if (survey.usable == 0) {
            survey.first = i;
            survey.box = {p.x, p.x, p.y, p.y};
        }
        ++survey.usable;
        survey.infinite = survey.infinite || std::isinf(p.x) || std::isinf(p.y);
        survey.box.x0 = std::min(survey.box.x0, p.x);
        survey.box.x1 = std::max(survey.box.x1, p.x);
        survey.box.y0 = std::min(survey.box.y0, p.y);
        survey.box.y1 = std::max(survey.box.y1, p.y);
        survey.sumX += p.x;
        survey.sumY += p.y;
    }
    return survey;
}

// The best pair found so far: its value and its two points.
struct SeedPair {
    double value = 0.0;
    std::size_t i = 0;
    std::size_t j = 0;

    void Offer(const InputPoints& points, std::size_t p, std::size_t q) {
        const double candidate = PairValue(points[p], points[q]);
        if (candidate > value) {
            value = candidate;
            i = p;
            j = q;
        }
    }
};

// A good first pair, so that everything after it prunes from the start: the extremes in x, y
// and the two diagonals, then a few rounds of "the farthest point from the last one found".
SeedPair SeedBestPair(const InputPoints& points, std::size_t first) {
    constexpr int kDirections = 4;
    auto key = [](const Point& p, int direction) {
        switch (direction) {
            case 0:
                return p.x;
            case 1:
                return p.y;
            case 2:
                return p.x + p.y;
            default:
                return p.x - p.y;
        }
    };
    std::array<std::size_t, 2 * kDirections> extremes;
    extremes.fill(first);
    for (std::size_t i = first + 1; i < points.Size(); ++i) {
        if (!points.Usable(i)) {
            continue;
        }
        for (int d = 0; d < kDirections; ++d) {
            const double k = key(points[i], d);
            if (k < key(points[extremes[2 * d]], d)) {
                extremes[2 * d] = i;
            }
            if (k > key(points[extremes[2 * d + 1]], d)) {
                extremes[2 * d + 1] = i;
            }
        }
    }
    SeedPair seed;
    seed.i = seed.j = first;
    for (std::size_t i = 0; i < extremes.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            seed.Offer(points, extremes[i], extremes[j]);
        }
    }
    std::size_t from = seed.i;
    for (int round = 0; round < kFarthestPointRounds; ++round) {
        std::size_t farthest = from;
        double farthestValue = -1.0;
        for (std::size_t k = 0; k < points.Size(); ++k) {
            if (!points.Usable(k)) {
                continue;
            }
            const double value = PairValue(points[k], points[from]);
            if (value > farthestValue) {
                farthestValue = value;
                farthest = k;
            }
        }
        seed.Offer(points, from, farthest);
        from = farthest;
    }
    return seed;
}

inline double SquaredDistance(const Point& p, const Point& c) {
    const double dx = p.x - c.x;
    const double dy = p.y - c.y;
    return dx * dx + dy * dy;
}

// Copies the usable points that might belong to a pair beating the seed. For any point c,
// |p - q| <= |p - c| + R with R = max |q - c| (triangle inequality), so a point nearer to c than
// sqrt(seed) - R has no partner that beats the seed. The smaller R, the more this rules out: of
// three centres (the middle of the seed pair, which suits arcs; the centroid, which suits full
// rings; the middle of the bounding box) the one with the smallest R is used. What is left are
// the points near the far ends of the set (the outer rim of a ring, the two ends of an arc).
//
// The test runs on rounded values, so it is made conservative by kSafety, which exceeds the
// relative rounding error of the few operations involved (about 1e-16 each) by seven orders of
// magnitude. It is only made on sets whose extent lies within [kMinExtent, kMaxExtent], so that
// no square under- or overflows to the point of mattering; other sets keep all usable points.
std::vector<Point> KeepFarPoints(const InputPoints& points, const Survey& survey,
                                 const SeedPair& seed) {
    constexpr double kSafety = 1e-9;
    constexpr int kCentres = 3;
    const double count = static_cast<double>(survey.usable);
    const Box& box = survey.box;
    const std::array<Point, kCentres> centres = {
        Point{0.5 * points[seed.i].x + 0.5 * points[seed.j].x,
              0.5 * points[seed.i].y + 0.5 * points[seed.j].y},
        Point{survey.sumX / count, survey.sumY / count},
        Point{0.5 * box.x0 + 0.5 * box.x1, 0.5 * box.y0 + 0.5 * box.y1}};
    std::array<double, kCentres> radius2{};
    for (std::size_t i = 0; i < points.Size(); ++i) {
        if (points.Usable(i)) {
            for (int k = 0; k < kCentres; ++k) {
                radius2[k] = std::max(radius2[k], SquaredDistance(points[i], centres[k]));
            }
        }
    }
    const auto best = static_cast<std::size_t>(std::min_element(radius2.begin(), radius2.end()) -
                                               radius2.begin());
    const Point centre = centres[best];

    // A point needs |p - c| above this to reach sqrt(seed.value) with some partner.
    const double extent = std::max(box.x1 - box.x0, box.y1 - box.y0);
    const double limit = (std::sqrt(seed.value) * (1.0 - 2.0 * kSafety) -
                          std::sqrt(radius2[best]) * (1.0 + kSafety)) /
                         (1.0 + kSafety);
    const bool filter = extent >= kMinExtent && extent <= kMaxExtent && limit > 0.0;
    const double discardBelow2 = filter ? limit * limit * (1.0 - kSafety) : -1.0;

    std::vector<Point> kept;
    for (std::size_t i = 0; i < points.Size(); ++i) {
        if (points.Usable(i) && SquaredDistance(points[i], centre) > discardBelow2) {
            kept.push_back(points[i]);
        }
    }
    return kept;
}

double LargestInLeafPair(const std::vector<Point>& points, const Node& a, const Node& b, bool same,
                         double best) {
    if (IsSinglePoint(a.box) && IsSinglePoint(b.box)) {
        return std::max(best, BoxPairBound(a.box, b.box));
    }
    for (std::size_t i = a.begin; i < a.end; ++i) {
        for (std::size_t j = same ? i + 1 : b.begin; j < b.end; ++j) {
            const double value = PairValue(points[i], points[j]);
            if (value > best) {
                best = value;
            }
        }
    }
    return best;
}

// Branch and bound over pairs of tree nodes, most promising pair first.
double SearchTree(std::vector<Point>& points, double best) {
    const BoxTree tree(points);

    struct Task {
        double bound;
        std::int32_t a;
        std::int32_t b;
    };
    std::vector<Task> stack;
    stack.push_back({BoxPairBound(tree[0].box, tree[0].box), 0, 0});
    std::array<Task, 3> children{};
    while (!stack.empty()) {
        const Task task = stack.back();
        stack.pop_back();
        if (task.bound <= best) {
            continue;
        }
        const Node& a = tree[task.a];
        const Node& b = tree[task.b];
        if (a.IsLeaf() && b.IsLeaf()) {
            best = LargestInLeafPair(points, a, b, task.a == task.b, best);
            continue;
        }
        std::size_t count = 0;
        auto add = [&](std::int32_t p, std::int32_t q) {
            const double bound = BoxPairBound(tree[p].box, tree[q].box);
            if (bound > best) {
                children[count++] = {bound, p, q};
            }
        };
        if (task.a == task.b) {
            add(a.child[0], a.child[1]);
            add(a.child[0], a.child[0]);
            add(a.child[1], a.child[1]);
        } else {
            const auto extent = [](const Box& box) {
                return (box.x1 - box.x0) + (box.y1 - box.y0);
            };
            const bool splitA = !a.IsLeaf() && (b.IsLeaf() || extent(a.box) >= extent(b.box));
            if (splitA) {
                add(a.child[0], task.b);
                add(a.child[1], task.b);
            } else {
                add(task.a, b.child[0]);
                add(task.a, b.child[1]);
            }
        }
        // Largest bound on top of the stack, so that the best value grows early. (At most three
        // entries: an insertion sort.)
        for (std::size_t i = 1; i < count; ++i) {
            for (std::size_t j = i; j > 0 && children[j].bound < children[j - 1].bound; --j) {
                std::swap(children[j], children[j - 1]);
            }
        }
        stack.insert(stack.end(), children.begin(),
                     children.begin() + static_cast<std::ptrdiff_t>(count));
    }
    return best;
}

}  // namespace

double LargestSquaredDistance_AllPairs(const double* x, const double* y, std::size_t n) {
    double best = 0.0;
    for (std::size_t i = 1; i < n; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const double value = (x[i] - x[j]) * (x[i] - x[j]) + (y[i] - y[j]) * (y[i] - y[j]);
            if (value > best) {
                best = value;
            }
        }
    }
    return best;
}

double LargestSquaredDistance(const double* x, const double* y, std::size_t n) {
    if (n <= kAllPairsLimit) {
        return LargestSquaredDistance_AllPairs(x, y, n);
    }
    const InputPoints input(x, y, n);
    const Survey survey = SurveyPoints(input);
    if (survey.infinite) {
        return LargestSquaredDistance_AllPairs(x, y, n);
    }
    if (survey.usable < 2) {
        return 0.0;
    }
    const SeedPair seed = SeedBestPair(input, survey.first);
    std::vector<Point> candidates = KeepFarPoints(input, survey, seed);
    if (candidates.size() < 2) {
        return seed.value;
    }
    return SearchTree(candidates, seed.value);
}

}  // namespace circlefit
