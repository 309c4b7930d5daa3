// The outlier filters of OVector_Regression: the iterated standard-deviation band and the two
// deterministic sample-consensus (DETSAC) searches.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/FixedPoint.h"
#include "regression/OVector_Regression.h"
#include "regression/RegressionArithmetic.h"

namespace {

using fixedpoint::WrapAdd;
using fixedpoint::WrapMul;
using fixedpoint::WrapSub;
using regression_detail::RawSquareScaled;
using regression_detail::TruncateSaturated;
using RawList = OFastArrayList<std::int64_t>;

// ---------------------------------------------------------------------------------------------
// Standard-deviation filter

constexpr int kFlat = 0;
constexpr int kSteep = 1;

// The band needs enough points to mean anything: three once the orientation follows the spread
// (mode 2 and above), four for the plain flat fit.
constexpr int kModeOrientationBySpread = 2;
constexpr std::int64_t kStdDevMinPointsBySpread = 3;
constexpr std::int64_t kStdDevMinPointsFlat = 4;

// A pass never leaves fewer than two points, the least that still defines a line.
constexpr std::int64_t kMinKeptPoints = 2;

// The band is never narrower than one pixel on either side of the mean residual.
constexpr std::int64_t kMinBandHalfWidth = fixedpoint::kRawOne;

// Residual variance is in raw * pixel (raw^2 / 2^16): its square root times 256 is raw units.
constexpr double kInverseRawSquareScale = 1.0 / 65536.0;  // 2^-16, exact
constexpr double kSqrtVarianceToRaw = 256.0;

// The rounding offset added to a residual before it is truncated toward zero.
constexpr double kHalf = 0.5;

void AppendAll(const RawList& xs, const RawList& ys, RawList& targetX, RawList& targetY) {
    targetX.AddRange(xs);
    targetY.AddRange(ys);
}

// ---------------------------------------------------------------------------------------------
// DETSAC
//
// Both searches work on whole pixels packed into one 32-bit word per point: the upper half holds
// the whole-pixel bits 16..31 of raw X (read back as a signed 16-bit x), the lower half those of
// raw Y (read back as an unsigned 16-bit y). Squared pixel distances are 32-bit signed values and
// the products of the line test 64-bit; both wrap around for points too far apart (coordinate
// differences beyond about 23000 pixels) instead of being undefined.

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

// Schedule constants: the anchor step starts at 2^(8 - level); the partner step is half the anchor
// step less two; the vote step divides (log2(n) + log4(n)) / 2 by 1 + level.
constexpr int kAnchorStepMaxExponent = 8;
constexpr std::int64_t kPartnerStepReduction = 2;

struct Pixel {
    std::int32_t x;
    std::int32_t y;
};

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

// The exact line test of a candidate pair: a point supports the pair when it lies within the
// inlier distance of either point of the pair, or of the infinite line through them.
class ExactLineTest {
  public:
    ExactLineTest(Pixel first, Pixel second, std::int32_t d2)
        : m_first(first),
          m_second(second),
          m_d2(d2),
          m_length(SquaredDistance(first, second)),
          m_limit(WrapMul(WrapMul(kLineTestFactor, d2), m_length)) {}

    bool Supports(Pixel point) const {
        const std::int32_t dFirst = SquaredDistance(m_first, point);
        const std::int32_t dSecond = SquaredDistance(m_second, point);
        if (dFirst < m_d2 || dSecond < m_d2) {
            return true;
        }
        // e = -2 (P_k - P_i).(P_j - P_i), so 4 d_ik L - e^2 is four times the squared cross
        // product: 4 L times the squared perpendicular distance.
        const std::int64_t e = Sub32(Sub32(dSecond, m_length), dFirst);
        const std::int64_t lhs =
            WrapSub(WrapMul(WrapMul(kLineTestFactor, dFirst), m_length), WrapMul(e, e));
        return lhs <= m_limit;
    }

  private:
    Pixel m_first;
    Pixel m_second;
    std::int32_t m_d2;
    std::int64_t m_length;
    std::int64_t m_limit;
};

// The quantised vote of the fixed-width search, on 11-bit pixels. No near-point rule.
class FixedWidthLineVote {
  public:
    FixedWidthLineVote(Pixel first, Pixel second, std::int32_t d2)
        : m_first(first),
          m_second(second),
          m_length(SquaredDistance(first, second)),
          m_lengthQ(static_cast<std::int64_t>(static_cast<std::uint32_t>(m_length) &
                                              kFixedWidthLengthMask)),
          m_limit(std::int64_t{d2} * m_lengthQ) {}

    bool Skip() const { return m_length == 0; }

    bool Supports(Pixel point) const {
        const std::int32_t dFirst = SquaredDistance(m_first, point);
        const std::int32_t dSecond = SquaredDistance(m_second, point);
        const std::int64_t distanceQ = static_cast<std::int64_t>(
            (static_cast<std::uint32_t>(dFirst) + kFixedWidthDistanceRounding) &
            kFixedWidthDistanceMask);
        const std::uint32_t cross =
            static_cast<std::uint32_t>(Sub32(Sub32(dSecond, m_length), dFirst));
        const std::int64_t crossQ =
            Wrap32((cross + kFixedWidthCrossRounding) & kFixedWidthCrossMask);
        return distanceQ * m_lengthQ - ((crossQ * crossQ) >> kFixedWidthCrossSquareShift) <=
               m_limit;
    }

  private:
    Pixel m_first;
    Pixel m_second;
    std::int32_t m_length;
    std::int64_t m_lengthQ;
    std::int64_t m_limit;
};

struct BestPair {
    std::int64_t iFirst = -1;
    std::int64_t iSecond = -1;
    std::int64_t iVotes = -1;
};

// The consensus search shared by both variants: over anchors i (step B), partners j > i (step S)
// and voters k (step V), the pair with strictly the most votes wins; on equal counts the earlier
// pair stays. makeVote(i, j) gives the pair's vote test or nothing for a pair to skip.
//
// A pair whose votes so far plus the voters still to come cannot exceed the best count is
// abandoned early: it could not win, so the result is the same as counting every vote.
template <class MakeVote, class Unpack>
BestPair SearchBestPair(const std::vector<std::uint32_t>& words, std::int64_t anchorStep,
                        std::int64_t partnerStep, std::int64_t voteStep, MakeVote makeVote,
                        Unpack unpack) {
    const auto n = static_cast<std::int64_t>(words.size());
    const std::int64_t voters = n == 0 ? 0 : (n - 1) / voteStep + 1;
    BestPair best;
    for (std::int64_t i = 0; i <= n - 1; i += anchorStep) {
        for (std::int64_t j = i + 1; j < n; j += partnerStep) {
            const auto vote = makeVote(i, j);
            if (!vote) {
                continue;
            }
            std::int64_t votes = 0;
            std::int64_t remaining = voters;
            for (std::int64_t k = 0; k < n; k += voteStep) {
                if (votes + remaining <= best.iVotes) {
                    break;
                }
                --remaining;
                if (vote->Supports(unpack(words[static_cast<std::size_t>(k)]))) {
                    ++votes;
                }
            }
            if (votes > best.iVotes) {
                best = BestPair{i, j, votes};
            }
        }
    }
    return best;
}

// Packs every point into its pixel word.
std::vector<std::uint32_t> PackPixelWords(const RawList& xs, const RawList& ys) {
    std::vector<std::uint32_t> words(static_cast<std::size_t>(xs.GetCount()));
    for (std::int64_t k = 0; k < xs.GetCount(); ++k) {
        words[static_cast<std::size_t>(k)] = PackPixelWord(xs[k], ys[k]);
    }
    return words;
}

// The final split shared by both variants: rejects a pair without support or of one pixel, else
// appends every point that passes the exact line test to the inliers and the others to the
// outliers, in input order.
bool SplitByBestPair(const BestPair& best, const std::vector<std::uint32_t>& words, std::int32_t d2,
                     const RawList& xs, const RawList& ys, RawList& inlierX, RawList& inlierY,
                     RawList& outlierX, RawList& outlierY) {
    if (best.iVotes < 1 || best.iFirst < 0 || best.iSecond < 0 || best.iFirst == best.iSecond) {
        return false;
    }
    const Pixel first = UnpackPixel(words[static_cast<std::size_t>(best.iFirst)]);
    const Pixel second = UnpackPixel(words[static_cast<std::size_t>(best.iSecond)]);
    if (SamePixel(first, second)) {
        return false;
    }
    const ExactLineTest test(first, second, d2);
    for (std::int64_t k = 0; k < xs.GetCount(); ++k) {
        if (test.Supports(UnpackPixel(words[static_cast<std::size_t>(k)]))) {
            inlierX.Add(xs[k]);
            inlierY.Add(ys[k]);
        } else {
            outlierX.Add(xs[k]);
            outlierY.Add(ys[k]);
        }
    }
    return true;
}

}  // namespace

void OVector_Regression::FilterOutliers_StdDev_Aggressive(int iRegressionMode, const RawList& vX,
                                                          const RawList& vY, int iSteep,
                                                          const double& dSlope,
                                                          const double& dSigmaFactor,
                                                          RawList& vKeptX, RawList& vKeptY,
                                                          RawList& vRemovedX, RawList& vRemovedY) {
    vKeptX.RemoveAll();
    vKeptY.RemoveAll();
    vRemovedX.RemoveAll();
    vRemovedY.RemoveAll();
    const std::int64_t n = vX.GetCount();
    const std::int64_t minPoints = iRegressionMode >= kModeOrientationBySpread
                                       ? kStdDevMinPointsBySpread
                                       : kStdDevMinPointsFlat;
    // Too few points to judge, or an orientation that names no residual: keep everything.
    if (n < minPoints || (iSteep != kFlat && iSteep != kSteep)) {
        AppendAll(vX, vY, vKeptX, vKeptY);
        return;
    }

    // Residuals without the intercept (vertical offsets for a flat fit, horizontal ones for a
    // steep fit): the band is centred on their mean instead.
    std::vector<std::int64_t> residuals(static_cast<std::size_t>(n));
    std::int64_t iSum = 0;
    std::int64_t iSumSquares = 0;
    for (std::int64_t k = 0; k < n; ++k) {
        const double x = static_cast<double>(vX[k]);
        const double y = static_cast<double>(vY[k]);
        const double residual = iSteep == kFlat ? x * dSlope - y + kHalf : y / dSlope - x + kHalf;
        const auto r = TruncateSaturated<std::int64_t>(residual);
        residuals[static_cast<std::size_t>(k)] = r;
        iSum = WrapAdd(iSum, r);
        iSumSquares = WrapAdd(iSumSquares, RawSquareScaled(r));
    }
    const double count = static_cast<double>(n);
    const double mean = static_cast<double>(iSum) / count;
    const double variance =
        static_cast<double>(iSumSquares) / count - mean * kInverseRawSquareScale * mean;
    if (variance < 0.0) {
        AppendAll(vX, vY, vKeptX, vKeptY);
        return;
    }

    const double halfWidth = std::sqrt(variance) * kSqrtVarianceToRaw * dSigmaFactor;
    const auto meanRaw = TruncateSaturated<std::int64_t>(mean);
    const std::int64_t low = std::min(WrapSub(meanRaw, kMinBandHalfWidth),
                                      TruncateSaturated<std::int64_t>(mean - halfWidth));
    const std::int64_t high = std::max(WrapAdd(meanRaw, kMinBandHalfWidth),
                                       TruncateSaturated<std::int64_t>(mean + halfWidth));

    for (std::int64_t k = 0; k < n; ++k) {
        const std::int64_t r = residuals[static_cast<std::size_t>(k)];
        const std::int64_t undecided = n - k;  // this point included
        const bool outside = r < low || r > high;
        // Removing this point would leave fewer than two even if all later ones were kept.
        const bool mustKeep = vKeptX.GetCount() + (undecided - 1) < kMinKeptPoints;
        if (outside && !mustKeep) {
            vRemovedX.Add(vX[k]);
            vRemovedY.Add(vY[k]);
        } else {
            vKeptX.Add(vX[k]);
            vKeptY.Add(vY[k]);
        }
    }
}

OVector_Regression::DETSACSchedule OVector_Regression::GetDETSACSchedule(std::int64_t iPointCount,
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
    const DETSACSchedule schedule = GetDETSACSchedule(vX.GetCount(), iSearchLevel);

    const BestPair best = SearchBestPair(
        words, schedule.iAnchorStep, schedule.iPartnerStep, schedule.iVoteStep,
        [&words, d2](std::int64_t i, std::int64_t j) {
            const Pixel first = UnpackPixel(words[static_cast<std::size_t>(i)]);
            const Pixel second = UnpackPixel(words[static_cast<std::size_t>(j)]);
            return SamePixel(first, second)
                       ? std::optional<ExactLineTest>()
                       : std::optional<ExactLineTest>(ExactLineTest(first, second, d2));
        },
        [](std::uint32_t word) { return UnpackPixel(word); });
    return SplitByBestPair(best, words, d2, vX, vY, vInlierX, vInlierY, vOutlierX, vOutlierY);
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

    const BestPair best = SearchBestPair(
        words, 1, 1, 1,
        [&words, d2](std::int64_t i, std::int64_t j) {
            const FixedWidthLineVote vote(UnpackFixedWidthPixel(words[static_cast<std::size_t>(i)]),
                                          UnpackFixedWidthPixel(words[static_cast<std::size_t>(j)]),
                                          d2);
            return vote.Skip() ? std::optional<FixedWidthLineVote>()
                               : std::optional<FixedWidthLineVote>(vote);
        },
        [](std::uint32_t word) { return UnpackFixedWidthPixel(word); });
    return SplitByBestPair(best, words, d2, vX, vY, vInlierX, vInlierY, vOutlierX, vOutlierY);
}
