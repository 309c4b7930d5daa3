// The deterministic sample-consensus (DETSAC) filters of OVector_Regression: a search for the pair
// of points whose line has the most support, then the split into the points that support it and
// the others. Everything is integer arithmetic on whole pixels; there is no randomness.
//
// Both searches work on whole pixels packed into one 32-bit word per point: the upper half holds
// the whole-pixel bits 16..31 of raw X (read back as a signed 16-bit x), the lower half those of
// raw Y (read back as an unsigned 16-bit y). Squared pixel distances are 32-bit signed values and
// the products of the line test 64-bit; both wrap around for points too far apart (coordinate
// differences beyond about 23000 pixels) instead of being undefined.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <vector>

#include "foundation/FixedPoint.h"
#include "regression/LineSupportSweep.h"
#include "regression/OVector_Regression.h"
#include "regression/RegressionInternals.h"

namespace {

using fixedpoint::WrapMul;
using fixedpoint::WrapSub;
using regression_detail::LineSupportSweep;
using regression_detail::Pixel;
using RawList = OFastArrayList<std::int64_t>;

constexpr int kMaxSearchLevel = 8;  // level 8 visits every pair and counts every vote
constexpr int kHalfWordBits = 16;
constexpr std::uint32_t kHalfWordMask = 0xFFFFu;

// The line test compares 4 * d_ik * L - e * e with 4 * D2 * L: four times the squared
// perpendicular distance times L against four times its limit.
constexpr std::int64_t kLineTestFactor = 4;

// Fixed-width search: 11-bit coordinates, a 17-bit squared threshold, the pair length cut to 22
// bits, d_ik rounded to a multiple of 16 and cut to 22 bits, e rounded to a multiple of 32; the
// quantised e * e is divided by four instead of multiplying the other side by four.
constexpr std::uint32_t kFixedWidthCoordinateMask = 0x7FFu;
constexpr std::uint32_t kFixedWidthThresholdMask = 0x1FFFFu;
constexpr std::uint32_t kFixedWidthLengthMask = 0x3FFFFFu;
constexpr std::uint32_t kFixedWidthDistanceRounding = 8u;
constexpr std::uint32_t kFixedWidthDistanceMask = 0x3FFFF0u;
constexpr std::uint32_t kFixedWidthCrossRounding = 16u;
constexpr std::uint32_t kFixedWidthCrossMask = ~std::uint32_t{31};
constexpr int kFixedWidthCrossSquareShift = 2;

// Schedule: the anchor step starts at 2^(8 - level); the partner step is half the anchor step less
// two.
constexpr int kAnchorStepMaxExponent = 8;
constexpr std::int64_t kPartnerStepReduction = 2;

// Votes are counted in blocks of voters; between blocks a pair that can no longer win is
// abandoned. The compact test counts a long block in one vectorisable loop; the others, with
// 64-bit products, check after every few voters.
constexpr std::int64_t kVoteBlockVectorised = 64;
constexpr std::int64_t kVoteBlockScalar = 4;

// An anchor with fewer partners than this has its pairs counted one by one; from here on a sweep
// over the partner directions is cheaper (its cost per voter is that of about this many pair
// tests, measured).
constexpr std::int64_t kSweepMinPartners = 64;

// A point set whose pixels span at most kCompactSpan in x and in y never overflows the line test:
// squared distances stay below 2 * 16383^2 < 2^29, e above -2^30, and every 64-bit product below
// 2^62 (4 * D2 * L < 4 * 2^31 * 2^29).
constexpr std::int32_t kCompactSpan = (1 << 14) - 1;
static_assert(2 * std::int64_t{kCompactSpan} * kCompactSpan < (std::int64_t{1} << 29),
              "squared distances of a compact set stay below 2^29");

// 32-bit arithmetic on squared distances, wrapping instead of overflowing.
constexpr std::int32_t Wrap32(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}
constexpr std::int32_t Square32(std::int32_t d) {
    return Wrap32(static_cast<std::uint32_t>(d) * static_cast<std::uint32_t>(d));
}
constexpr std::int32_t Add32(std::int32_t a, std::int32_t b) {
    return Wrap32(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t Sub32(std::int32_t a, std::int32_t b) {
    return Wrap32(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// The whole-pixel bits 16..31 of a raw coordinate.
constexpr std::uint32_t PixelBits(std::int64_t raw) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(raw) >> fixedpoint::kRawShift) &
           kHalfWordMask;
}

constexpr std::uint32_t PackPixelWord(std::int64_t rawX, std::int64_t rawY) {
    return (PixelBits(rawX) << kHalfWordBits) | PixelBits(rawY);
}

// Full 16-bit pixel: x signed (arithmetic shift of the word), y unsigned.
constexpr Pixel UnpackPixel(std::uint32_t word) {
    return Pixel{static_cast<std::int32_t>(word) >> kHalfWordBits,
                 static_cast<std::int32_t>(word & kHalfWordMask)};
}

// The 11-bit pixel of the fixed-width search.
constexpr Pixel UnpackFixedWidthPixel(std::uint32_t word) {
    return Pixel{static_cast<std::int32_t>((word >> kHalfWordBits) & kFixedWidthCoordinateMask),
                 static_cast<std::int32_t>(word & kFixedWidthCoordinateMask)};
}

constexpr std::int32_t SquaredDistance(Pixel a, Pixel b) {
    return Add32(Square32(b.x - a.x), Square32(b.y - a.y));
}

// Same pixel as the searches see it: both squared coordinate differences below 1.
constexpr bool SamePixel(Pixel a, Pixel b) {
    return Square32(b.x - a.x) < 1 && Square32(b.y - a.y) < 1;
}

// A candidate pair P_i, P_j with L = |P_j - P_i|^2, and the terms of the line test for a point P_k:
// d_ik, d_jk and e = d_jk - L - d_ik, all 32-bit.
class CandidatePair {
  public:
    struct Terms {
        std::int32_t dFirst;
        std::int32_t dSecond;
        std::int32_t e;
    };

    CandidatePair(Pixel first, Pixel second)
        : m_first(first), m_second(second), m_length(SquaredDistance(first, second)) {}

    std::int32_t Length() const { return m_length; }

    Terms TermsOf(Pixel point) const {
        const std::int32_t dFirst = SquaredDistance(m_first, point);
        const std::int32_t dSecond = SquaredDistance(m_second, point);
        return Terms{dFirst, dSecond, Sub32(Sub32(dSecond, m_length), dFirst)};
    }

  private:
    Pixel m_first;
    Pixel m_second;
    std::int32_t m_length;
};

// The exact line test as the arithmetic defines it, wrap-around included: a point supports the pair
// when it lies within the inlier distance of either point of the pair, or of the infinite line
// through them.
class ExactLineTest {
  public:
    static constexpr std::int64_t kVoteBlock = kVoteBlockScalar;

    ExactLineTest(Pixel first, Pixel second, std::int32_t d2)
        : m_pair(first, second),
          m_d2(d2),
          m_limit(WrapMul(WrapMul(kLineTestFactor, d2), m_pair.Length())) {}

    bool Supports(std::uint32_t word) const {
        const CandidatePair::Terms t = m_pair.TermsOf(UnpackPixel(word));
        if (t.dFirst < m_d2 || t.dSecond < m_d2) {
            return true;
        }
        const std::int64_t e = t.e;
        const std::int64_t lhs =
            WrapSub(WrapMul(WrapMul(kLineTestFactor, t.dFirst), m_pair.Length()), WrapMul(e, e));
        return lhs <= m_limit;
    }

  private:
    CandidatePair m_pair;
    std::int32_t m_d2;
    std::int64_t m_limit;
};

// The same test for compact point sets with D2 >= 0, in fewer operations and with the same answer.
// With a = P_k - P_i and b = P_j - P_i, e = -2 a.b, so 4 d_ik L - e^2 = 4 (a x b)^2 exactly
// (Lagrange's identity; no term overflows in a compact set), and the test reads
// (a x b)^2 <= D2 * L, that is |a x b| <= floor(sqrt(D2 * L)). The near-point rule adds nothing:
// (a x b)^2 <= d_ik * L, and the same with d_jk, so a point nearer than D to either end already
// passes.
class CompactLineTest {
  public:
    static constexpr std::int64_t kVoteBlock = kVoteBlockVectorised;

    CompactLineTest(Pixel first, Pixel second, std::int32_t d2)
        : m_first(first),
          m_dx(second.x - first.x),
          m_dy(second.y - first.y),
          m_limit(FloorSqrt(std::int64_t{d2} * SquaredDistance(first, second))) {}

    bool Supports(std::uint32_t word) const {
        const Pixel point = UnpackPixel(word);
        // |cross| < 2 * 16383^2 < 2^31
        const std::int32_t cross = m_dx * (point.y - m_first.y) - m_dy * (point.x - m_first.x);
        return (cross < 0 ? -cross : cross) <= m_limit;
    }

  private:
    // floor(sqrt(v)) for 0 <= v < 2^62, exact: the double estimate corrected by integer steps.
    static std::int32_t FloorSqrt(std::int64_t v) {
        auto root = static_cast<std::int64_t>(std::sqrt(static_cast<double>(v)));
        while (root * root > v) {
            --root;
        }
        while ((root + 1) * (root + 1) <= v) {
            ++root;
        }
        return static_cast<std::int32_t>(root);
    }

    Pixel m_first;
    std::int32_t m_dx;
    std::int32_t m_dy;
    std::int32_t m_limit;
};

// The quantised vote of the fixed-width search, on 11-bit pixels. No near-point rule.
class FixedWidthLineVote {
  public:
    static constexpr std::int64_t kVoteBlock = kVoteBlockScalar;

    FixedWidthLineVote(Pixel first, Pixel second, std::int32_t d2)
        : m_pair(first, second),
          m_lengthQ(static_cast<std::int64_t>(static_cast<std::uint32_t>(m_pair.Length()) &
                                              kFixedWidthLengthMask)),
          m_limit(std::int64_t{d2} * m_lengthQ) {}

    bool Skip() const { return m_pair.Length() == 0; }

    bool Supports(std::uint32_t word) const {
        const CandidatePair::Terms t = m_pair.TermsOf(UnpackFixedWidthPixel(word));
        const auto distanceQ = static_cast<std::int64_t>(
            (static_cast<std::uint32_t>(t.dFirst) + kFixedWidthDistanceRounding) &
            kFixedWidthDistanceMask);
        const std::int64_t crossQ = Wrap32(
            (static_cast<std::uint32_t>(t.e) + kFixedWidthCrossRounding) & kFixedWidthCrossMask);
        return distanceQ * m_lengthQ - ((crossQ * crossQ) >> kFixedWidthCrossSquareShift) <=
               m_limit;
    }

  private:
    CandidatePair m_pair;
    std::int64_t m_lengthQ;
    std::int64_t m_limit;
};

struct BestPair {
    std::int64_t iFirst = -1;
    std::int64_t iSecond = -1;
    std::int64_t iVotes = -1;
};

// The pairs of one anchor i, partners j > i (step S), voters k (step V), counted one by one: a pair
// with strictly more votes than the best so far becomes the best. makeTest(i, j) gives the pair's
// vote test, or nothing for a pair to skip.
//
// A pair whose votes so far plus the voters still to come cannot exceed the best count is
// abandoned: it could not win, so the result is that of counting every vote.
template <class MakeTest>
void SearchAnchor(const std::vector<std::uint32_t>& words, std::int64_t i, std::int64_t partnerStep,
                  std::int64_t voteStep, MakeTest makeTest, BestPair& best) {
    const auto n = static_cast<std::int64_t>(words.size());
    const std::uint32_t* const data = words.data();
    const std::int64_t voters = (n - 1) / voteStep + 1;
    for (std::int64_t j = i + 1; j < n; j += partnerStep) {
        const auto test = makeTest(i, j);
        if (!test) {
            continue;
        }
        using Test = typename std::decay_t<decltype(test)>::value_type;
        std::int64_t votes = 0;
        for (std::int64_t block = 0; block < voters; block += Test::kVoteBlock) {
            if (votes + (voters - block) <= best.iVotes) {
                break;
            }
            const std::int64_t blockEnd = std::min(block + Test::kVoteBlock, voters);
            for (std::int64_t v = block; v < blockEnd; ++v) {
                votes += test->Supports(data[v * voteStep]) ? 1 : 0;
            }
        }
        if (votes > best.iVotes) {
            best = BestPair{i, j, votes};
        }
    }
}

// The consensus search shared by both variants: over anchors i (step B) and their pairs, the pair
// with strictly the most votes wins; on equal counts the earlier pair stays.
template <class MakeTest>
BestPair SearchBestPair(const std::vector<std::uint32_t>& words, std::int64_t anchorStep,
                        std::int64_t partnerStep, std::int64_t voteStep, MakeTest makeTest) {
    const auto n = static_cast<std::int64_t>(words.size());
    BestPair best;
    for (std::int64_t i = 0; i <= n - 1; i += anchorStep) {
        SearchAnchor(words, i, partnerStep, voteStep, makeTest, best);
    }
    return best;
}

std::vector<std::uint32_t> PackPixelWords(const RawList& xs, const RawList& ys) {
    std::vector<std::uint32_t> words(static_cast<std::size_t>(xs.GetCount()));
    for (std::int64_t k = 0; k < xs.GetCount(); ++k) {
        words[static_cast<std::size_t>(k)] = PackPixelWord(xs[k], ys[k]);
    }
    return words;
}

// True when the pixels span at most kCompactSpan in x and in y.
bool IsCompact(const std::vector<std::uint32_t>& words) {
    if (words.empty()) {
        return true;
    }
    Pixel low = UnpackPixel(words.front());
    Pixel high = low;
    for (const std::uint32_t word : words) {
        const Pixel p = UnpackPixel(word);
        low = Pixel{std::min(low.x, p.x), std::min(low.y, p.y)};
        high = Pixel{std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return high.x - low.x <= kCompactSpan && high.y - low.y <= kCompactSpan;
}

// Appends every point that passes the test to the inliers and the others to the outliers, in input
// order.
template <class Test>
void Split(const Test& test, const std::vector<std::uint32_t>& words, const RawList& xs,
           const RawList& ys, RawList& inlierX, RawList& inlierY, RawList& outlierX,
           RawList& outlierY) {
    for (std::int64_t k = 0; k < xs.GetCount(); ++k) {
        if (test.Supports(words[static_cast<std::size_t>(k)])) {
            inlierX.Add(xs[k]);
            inlierY.Add(ys[k]);
        } else {
            outlierX.Add(xs[k]);
            outlierY.Add(ys[k]);
        }
    }
}

// The final split shared by both variants: rejects a pair without support or of one pixel, else
// splits all points by the exact line test of the best pair.
bool SplitByBestPair(const BestPair& best, const std::vector<std::uint32_t>& words, bool bCompact,
                     std::int32_t d2, const RawList& xs, const RawList& ys, RawList& inlierX,
                     RawList& inlierY, RawList& outlierX, RawList& outlierY) {
    if (best.iVotes < 1 || best.iFirst < 0 || best.iSecond < 0 || best.iFirst == best.iSecond) {
        return false;
    }
    const Pixel first = UnpackPixel(words[static_cast<std::size_t>(best.iFirst)]);
    const Pixel second = UnpackPixel(words[static_cast<std::size_t>(best.iSecond)]);
    if (SamePixel(first, second)) {
        return false;
    }
    if (bCompact) {
        Split(CompactLineTest(first, second, d2), words, xs, ys, inlierX, inlierY, outlierX,
              outlierY);
    } else {
        Split(ExactLineTest(first, second, d2), words, xs, ys, inlierX, inlierY, outlierX,
              outlierY);
    }
    return true;
}

// The pair test of the exact search: the given line test, nothing for a pair on one pixel.
template <class Test>
auto MakeExactTest(const std::vector<std::uint32_t>& words, std::int32_t d2) {
    return [&words, d2](std::int64_t i, std::int64_t j) {
        const Pixel first = UnpackPixel(words[static_cast<std::size_t>(i)]);
        const Pixel second = UnpackPixel(words[static_cast<std::size_t>(j)]);
        return SamePixel(first, second) ? std::optional<Test>()
                                        : std::optional<Test>(Test(first, second, d2));
    };
}

// The voters of the schedule (every V-th point) as distinct pixels, each with the number of its
// points.
std::vector<LineSupportSweep::Voter> DistinctVoters(const std::vector<std::uint32_t>& words,
                                                    std::int64_t voteStep) {
    std::vector<std::uint32_t> sampled;
    for (std::size_t k = 0; k < words.size(); k += static_cast<std::size_t>(voteStep)) {
        sampled.push_back(words[k]);
    }
    std::sort(sampled.begin(), sampled.end());
    std::vector<LineSupportSweep::Voter> voters;
    for (std::size_t k = 0; k < sampled.size(); ++k) {
        if (k == 0 || sampled[k] != sampled[k - 1]) {
            voters.push_back(LineSupportSweep::Voter{UnpackPixel(sampled[k]), 1});
        } else {
            ++voters.back().weight;
        }
    }
    return voters;
}

// The search of a compact point set: the same pairs in the same order as SearchBestPair with the
// compact line test, but each anchor's partners are counted all at once by a sweep over their
// directions. Within an anchor the first partner with the most votes is the one the pair loop
// would keep, so the winner is the same pair.
BestPair SearchCompact(const std::vector<std::uint32_t>& words, std::int32_t d2,
                       std::int64_t anchorStep, std::int64_t partnerStep, std::int64_t voteStep) {
    const auto n = static_cast<std::int64_t>(words.size());
    const auto makeTest = MakeExactTest<CompactLineTest>(words, d2);
    std::optional<LineSupportSweep> sweep;  // made when the first anchor needs it
    std::vector<Pixel> partners;
    BestPair best;
    for (std::int64_t i = 0; i <= n - 1; i += anchorStep) {
        if ((n - 1 - i) / partnerStep < kSweepMinPartners) {
            SearchAnchor(words, i, partnerStep, voteStep, makeTest, best);
            continue;
        }
        if (!sweep) {
            sweep.emplace(DistinctVoters(words, voteStep), d2);
        }
        partners.clear();
        for (std::int64_t j = i + 1; j < n; j += partnerStep) {
            partners.push_back(UnpackPixel(words[static_cast<std::size_t>(j)]));
        }
        const LineSupportSweep::Winner winner =
            sweep->FirstBest(UnpackPixel(words[static_cast<std::size_t>(i)]), partners);
        if (winner.votes > best.iVotes) {
            best = BestPair{i, i + 1 + winner.partner * partnerStep, winner.votes};
        }
    }
    return best;
}

}  // namespace

regression_detail::DETSACSchedule regression_detail::GetDETSACSchedule(std::int64_t iPointCount,
                                                                       int iSearchLevel) {
    const std::int64_t n = iPointCount;
    const std::int64_t anchorStep =
        std::min(std::int64_t{1} << (kAnchorStepMaxExponent - iSearchLevel),
                 std::max((n >> 2) - 1, std::int64_t{1}));
    const std::int64_t partnerStep =
        std::max((anchorStep >> 1) - kPartnerStepReduction, std::int64_t{1});

    // floor(log2 n) and floor(log4 n), counted by halving n / 2 and quartering n / 4.
    std::int64_t log2 = 0;
    for (std::int64_t t = n >> 1; t != 0; t >>= 1) {
        ++log2;
    }
    std::int64_t log4 = 0;
    for (std::int64_t t = n >> 2; t != 0; t >>= 2) {
        ++log4;
    }
    const std::int64_t spread = (log2 + log4) >> 1;
    const std::int64_t voteStep =
        std::min(std::max(spread / (1 + iSearchLevel), std::int64_t{1}), partnerStep);
    return DETSACSchedule{anchorStep, partnerStep, voteStep};
}

bool OVector_Regression::bFilterOutliers_DETSAC(const RawList& vX, const RawList& vY,
                                                int iInlierDistance, int iSearchLevel,
                                                RawList& vInlierX, RawList& vInlierY,
                                                RawList& vOutlierX, RawList& vOutlierY,
                                                std::function<bool()> fnCallback) {
    static_cast<void>(fnCallback);  // accepted and released; no meaning is defined for it
    // Outside 0..8 the step sizes are meaningless (a negative shift, a division by zero).
    if (iSearchLevel < 0 || iSearchLevel > kMaxSearchLevel) {
        return false;
    }
    const std::vector<std::uint32_t> words = PackPixelWords(vX, vY);
    const std::int32_t d2 = Square32(iInlierDistance);
    const regression_detail::DETSACSchedule schedule =
        regression_detail::GetDETSACSchedule(vX.GetCount(), iSearchLevel);
    const bool bCompact = d2 >= 0 && IsCompact(words);
    const BestPair best =
        bCompact ? SearchCompact(words, d2, schedule.iAnchorStep, schedule.iPartnerStep,
                                 schedule.iVoteStep)
                 : SearchBestPair(words, schedule.iAnchorStep, schedule.iPartnerStep,
                                  schedule.iVoteStep, MakeExactTest<ExactLineTest>(words, d2));
    return SplitByBestPair(best, words, bCompact, d2, vX, vY, vInlierX, vInlierY, vOutlierX,
                           vOutlierY);
}

bool OVector_Regression::bFilterOutliers_DETSAC_FPGA(const RawList& vX, const RawList& vY,
                                                     int iInlierDistance, int iSearchLevel,
                                                     RawList& vInlierX, RawList& vInlierY,
                                                     RawList& vOutlierX, RawList& vOutlierY,
                                                     std::function<bool()> fnCallback) {
    static_cast<void>(iSearchLevel);  // the fixed-width search is always exhaustive
    static_cast<void>(fnCallback);
    const std::vector<std::uint32_t> words = PackPixelWords(vX, vY);
    const std::int32_t d2 =
        Wrap32(static_cast<std::uint32_t>(Square32(iInlierDistance)) & kFixedWidthThresholdMask);
    const BestPair best =
        SearchBestPair(words, 1, 1, 1, [&words, d2](std::int64_t i, std::int64_t j) {
            const FixedWidthLineVote vote(UnpackFixedWidthPixel(words[static_cast<std::size_t>(i)]),
                                          UnpackFixedWidthPixel(words[static_cast<std::size_t>(j)]),
                                          d2);
            return vote.Skip() ? std::optional<FixedWidthLineVote>()
                               : std::optional<FixedWidthLineVote>(vote);
        });
    return SplitByBestPair(best, words, IsCompact(words), d2, vX, vY, vInlierX, vInlierY, vOutlierX,
                           vOutlierY);
}
