#pragma once
// LineSupportSweep: internal to the regression's DETSAC search. Not installed, not exported.
//
// For one anchor pixel A and a list of partner pixels P, counts the voters that support the line
// through A and each P, for all partners in one pass, and names the first partner with the most
// support. Support is the exact line test of a compact point set (pixels at most 16383 apart in x
// and in y, squared inlier distance D2 >= 0): a voter V supports (A, P) when
//     cross(V - A, P - A)^2 <= D2 * |P - A|^2,
// that is when V lies within sqrt(D2) pixels of the infinite line through A and P. Voters are
// distinct pixels with a weight (how many sampled points lie on that pixel).
//
// How: both sides of the test scale with the square of |P - A|, so the count depends only on the
// direction of P - A modulo pi. A voter at offset a from A supports every direction when
// |a|^2 <= D2, else exactly the directions within asin(sqrt(D2) / |a|) of its own. The partner
// directions are sorted; each voter adds its weight to the run of directions that its interval
// covers (a difference array), and a prefix sum gives every direction's count.
//
// Exactness: directions are ordered by a key computed in double (DirectionKey). For the integer
// directions of the partners the key is exact in order: two directions differ by at least
// 1 / 32766^2 in key, far above the rounding of one division. The ends of a voter's interval are
// irrational; their keys are good to about 1e-15, and a partner direction within kKeyMargin of an
// end is decided by the exact integer test instead. The counts are therefore exactly those of
// testing every voter against every partner.
//
// Cost per anchor: O(voters + partners * log(partners)), against O(voters * partners) for testing
// every pair.

#include <cstdint>
#include <vector>

#include "regression/RegressionInternals.h"

namespace regression_detail {

class LineSupportSweep {
  public:
    struct Voter {
        Pixel pixel;
        std::int64_t weight;
    };

    // The first partner (index into the list given) with the most votes; partner -1 and votes -1
    // when every partner lies on the anchor's pixel.
    struct Winner {
        std::int64_t partner = -1;
        std::int64_t votes = -1;
    };

    // d2 >= 0; every voter, anchor and partner pixel within a compact span of each other.
    LineSupportSweep(std::vector<Voter> voters, std::int32_t d2);

    // Counts the votes of every partner of the anchor. Partners on the anchor's pixel have no line
    // and are skipped.
    Winner FirstBest(Pixel anchor, const std::vector<Pixel>& partners);

  private:
    // A partner direction, folded onto the half turn, and the exact test's right-hand side.
    struct Direction {
        std::int64_t x;
        std::int64_t y;
        std::int64_t limit;  // D2 * |direction|^2
    };

    void SortPartners(Pixel anchor, const std::vector<Pixel>& partners);
    void BuildKeyIndex();
    void AddVoter(std::int64_t ax, std::int64_t ay, std::int64_t weight);
    bool Supports(std::int64_t ax, std::int64_t ay, std::size_t direction) const;
    // Number of directions with a key below `key`, key in [0, 2].
    std::int64_t LowerBound(double key) const;
    // Position of a key in [-2, 4) on the unrolled circle: LowerBound of the key folded into
    // [0, 2), plus the direction count for every turn added.
    std::int64_t UnrolledPosition(double key) const;
    // The first unrolled position from `from` on whose key (plus its turns) is at least `key`.
    std::int64_t PositionAtOrAbove(std::int64_t from, double key) const;
    void TestRun(std::int64_t from, std::int64_t to, std::int64_t ax, std::int64_t ay,
                 std::int64_t weight);
    void AddRun(std::int64_t from, std::int64_t to, std::int64_t weight);

    std::vector<Voter> m_voters;
    std::int32_t m_d2;
    double m_distance;  // sqrt(D2)

    // Per anchor: distinct directions sorted by key, the partners' direction numbers, the
    // difference array of whole runs and the exact votes of single directions.
    std::vector<double> m_keys;
    std::vector<Direction> m_directions;
    std::vector<std::int64_t> m_directionOfPartner;
    std::vector<std::int64_t> m_runStarts;
    std::vector<std::int64_t> m_singleVotes;
    std::int64_t m_everywhere = 0;

    // Bucket index over the keys: m_bucketStart[b] is the first direction whose key lies in
    // bucket b or later; buckets split [0, 2) evenly.
    std::vector<std::int64_t> m_bucketStart;
    double m_bucketsPerKey = 0.0;

    // Scratch for sorting partners: key and position in the partner list.
    struct KeyedPartner {
        double key;
        std::int64_t partner;
    };
    std::vector<KeyedPartner> m_sorted;
};

}  // namespace regression_detail
