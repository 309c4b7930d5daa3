#include "regression/LineSupportSweep.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace regression_detail {
namespace {

// Keys run over [0, 2): one key turn is the half turn of directions.
constexpr double kKeyTurn = 2.0;

// Largest coordinate difference of a compact set, and the largest denominator of a partner key.
constexpr double kLargestKeyDenominator = 2.0 * 16383.0;

// Half-width of the band around an interval end inside which a direction is decided by the exact
// test. The keys of interval ends are good to about 1e-14 (a handful of roundings of values below
// 2, plus the angle error of the end vector, below 1e-15); distinct partner keys lie at least
// 1 / 32766^2 apart, so one band holds at most one direction.
constexpr double kKeyMargin = 0x1p-36;
static_assert(2.0 * kKeyMargin < 1.0 / (kLargestKeyDenominator * kLargestKeyDenominator),
              "a band around an interval end holds at most one partner direction");

// An interval shorter than this or longer than a turn less this is not located by keys but tested
// against every direction. Neither happens for D2 >= 1 (the interval is at least asin(1 / 23170)
// wide and falls short of the half turn by at least as much); the rule only keeps the location
// safe whatever rounding does.
constexpr double kShortestLocatedInterval = 4.0 * kKeyMargin;

// Buckets of the key index per direction: most buckets hold no direction or one.
constexpr std::int64_t kBucketsPerDirection = 2;

// Position of a direction (x, y) != (0, 0) on the half turn, as a key in [0, 2) that grows with
// the angle: y / (x + y) for angles in [0, pi/2], 1 + |x| / (|x| + y) for (pi/2, pi). Directions
// are first folded onto y > 0 or (y = 0, x > 0). For integer directions within a compact span the
// key is one correctly rounded division of small integers, so equal directions give equal keys
// and different ones keep their order.
template <class T>
double DirectionKey(T x, T y) {
    if (y < 0 || (y == 0 && x < 0)) {
        x = -x;
        y = -y;
    }
    const auto dx = static_cast<double>(x);
    const auto dy = static_cast<double>(y);
    return dx >= 0.0 ? dy / (dx + dy) : 1.0 + (-dx) / (dy - dx);
}

// u modulo count, for u in (-count, 2 * count).
std::int64_t Wrap(std::int64_t u, std::int64_t count) {
    return u < 0 ? u + count : (u >= count ? u - count : u);
}

}  // namespace

LineSupportSweep::LineSupportSweep(std::vector<Voter> voters, std::int32_t d2)
    : m_voters(std::move(voters)), m_d2(d2), m_distance(std::sqrt(static_cast<double>(d2))) {}

LineSupportSweep::Winner LineSupportSweep::FirstBest(Pixel anchor,
                                                     const std::vector<Pixel>& partners) {
    SortPartners(anchor, partners);
    const auto count = static_cast<std::int64_t>(m_keys.size());
    if (count == 0) {
        return Winner{};
    }
    BuildKeyIndex();
    m_runStarts.assign(static_cast<std::size_t>(count) + 1, 0);
    m_singleVotes.assign(static_cast<std::size_t>(count), 0);
    m_everywhere = 0;
    for (const Voter& voter : m_voters) {
        AddVoter(std::int64_t{voter.pixel.x} - anchor.x, std::int64_t{voter.pixel.y} - anchor.y,
                 voter.weight);
    }
    // The single votes become each direction's total.
    std::int64_t covering = m_everywhere;
    for (std::size_t d = 0; d < m_singleVotes.size(); ++d) {
        covering += m_runStarts[d];
        m_singleVotes[d] += covering;
    }
    Winner winner;
    for (std::size_t p = 0; p < partners.size(); ++p) {
        const std::int64_t direction = m_directionOfPartner[p];
        if (direction >= 0 && m_singleVotes[static_cast<std::size_t>(direction)] > winner.votes) {
            winner = Winner{static_cast<std::int64_t>(p),
                            m_singleVotes[static_cast<std::size_t>(direction)]};
        }
    }
    return winner;
}

void LineSupportSweep::SortPartners(Pixel anchor, const std::vector<Pixel>& partners) {
    m_sorted.clear();
    m_directionOfPartner.assign(partners.size(), -1);
    for (std::size_t p = 0; p < partners.size(); ++p) {
        const std::int64_t x = std::int64_t{partners[p].x} - anchor.x;
        const std::int64_t y = std::int64_t{partners[p].y} - anchor.y;
        if (x != 0 || y != 0) {
            m_sorted.push_back(KeyedPartner{DirectionKey(x, y), static_cast<std::int64_t>(p)});
        }
    }
    std::sort(m_sorted.begin(), m_sorted.end(),
              [](const KeyedPartner& a, const KeyedPartner& b) { return a.key < b.key; });
    m_keys.clear();
    m_directions.clear();
    for (const KeyedPartner& entry : m_sorted) {
        if (m_keys.empty() || entry.key != m_keys.back()) {
            const Pixel& partner = partners[static_cast<std::size_t>(entry.partner)];
            const std::int64_t x = std::int64_t{partner.x} - anchor.x;
            const std::int64_t y = std::int64_t{partner.y} - anchor.y;
            m_keys.push_back(entry.key);
            m_directions.push_back(Direction{x, y, m_d2 * (x * x + y * y)});
        }
        m_directionOfPartner[static_cast<std::size_t>(entry.partner)] =
            static_cast<std::int64_t>(m_keys.size()) - 1;
    }
}

void LineSupportSweep::BuildKeyIndex() {
    const auto count = static_cast<std::int64_t>(m_keys.size());
    std::int64_t buckets = 1;
    while (buckets < kBucketsPerDirection * count) {
        buckets <<= 1;
    }
    m_bucketsPerKey = static_cast<double>(buckets) / kKeyTurn;  // a power of two: exact products
    m_bucketStart.assign(static_cast<std::size_t>(buckets) + 1, 0);
    for (const double key : m_keys) {
        ++m_bucketStart[static_cast<std::size_t>(key * m_bucketsPerKey) + 1];
    }
    for (std::size_t b = 1; b < m_bucketStart.size(); ++b) {
        m_bucketStart[b] += m_bucketStart[b - 1];
    }
}

std::int64_t LineSupportSweep::LowerBound(double key) const {
    // Keys of earlier buckets are below any key of this bucket, keys of later ones above it.
    const auto bucket = static_cast<std::size_t>(key * m_bucketsPerKey);
    if (bucket + 1 >= m_bucketStart.size()) {
        return static_cast<std::int64_t>(m_keys.size());
    }
    // Binary search without branches on the comparisons: the answer lies in [first, first + n].
    const double* first = m_keys.data() + m_bucketStart[bucket];
    auto n = static_cast<std::size_t>(m_bucketStart[bucket + 1] - m_bucketStart[bucket]);
    while (n > 1) {
        const std::size_t half = n / 2;
        first = first[half] < key ? first + half : first;
        n -= half;
    }
    first += (n == 1 && *first < key) ? 1 : 0;
    return first - m_keys.data();
}

std::int64_t LineSupportSweep::UnrolledPosition(double key) const {
    const auto count = static_cast<std::int64_t>(m_keys.size());
    if (key < 0.0) {
        return LowerBound(key + kKeyTurn) - count;
    }
    if (key >= kKeyTurn) {
        return LowerBound(key - kKeyTurn) + count;
    }
    return LowerBound(key);
}

std::int64_t LineSupportSweep::PositionAtOrAbove(std::int64_t from, double key) const {
    const auto count = static_cast<std::int64_t>(m_keys.size());
    for (; from < 2 * count; ++from) {
        const double turns = from < 0 ? -kKeyTurn : (from >= count ? kKeyTurn : 0.0);
        if (m_keys[static_cast<std::size_t>(Wrap(from, count))] + turns >= key) {
            break;
        }
    }
    return from;
}

bool LineSupportSweep::Supports(std::int64_t ax, std::int64_t ay, std::size_t direction) const {
    const Direction& d = m_directions[direction];
    const std::int64_t cross = ax * d.y - ay * d.x;  // |cross| < 2^30, its square < 2^60
    return cross * cross <= d.limit;
}

void LineSupportSweep::TestRun(std::int64_t from, std::int64_t to, std::int64_t ax, std::int64_t ay,
                               std::int64_t weight) {
    const auto count = static_cast<std::int64_t>(m_keys.size());
    for (std::int64_t u = from; u < to; ++u) {
        const auto d = static_cast<std::size_t>(Wrap(u, count));
        if (Supports(ax, ay, d)) {
            m_singleVotes[d] += weight;
        }
    }
}

void LineSupportSweep::AddRun(std::int64_t from, std::int64_t to, std::int64_t weight) {
    if (from >= to) {
        return;
    }
    const auto count = static_cast<std::int64_t>(m_keys.size());
    const std::int64_t first = Wrap(from, count);
    const std::int64_t end = first + (to - from);
    m_runStarts[static_cast<std::size_t>(first)] += weight;
    if (end <= count) {
        m_runStarts[static_cast<std::size_t>(end)] -= weight;
    } else {
        // The run passes the end of the turn and goes on from the first direction.
        m_runStarts[0] += weight;
        m_runStarts[static_cast<std::size_t>(end - count)] -= weight;
    }
}

void LineSupportSweep::AddVoter(std::int64_t ax, std::int64_t ay, std::int64_t weight) {
    const std::int64_t r2 = ax * ax + ay * ay;
    if (r2 <= m_d2) {
        m_everywhere += weight;  // cross^2 <= |a|^2 |b|^2 <= D2 |b|^2 for every direction b
        return;
    }
    const auto count = static_cast<std::int64_t>(m_keys.size());
    if (m_d2 == 0) {
        // Only its own direction, whose key is exact.
        const double key = DirectionKey(ax, ay);
        const std::int64_t at = LowerBound(key);
        if (at < count && m_keys[static_cast<std::size_t>(at)] == key) {
            m_singleVotes[static_cast<std::size_t>(at)] += weight;
        }
        return;
    }
    // The interval ends are a turned by -alpha and +alpha, with cos(alpha) = c / |a| and
    // sin(alpha) = D / |a|: c * a -+ D * a', a' being a turned by +pi/2.
    const double c = std::sqrt(static_cast<double>(r2 - m_d2));
    const auto x = static_cast<double>(ax);
    const auto y = static_cast<double>(ay);
    const double start = DirectionKey(c * x + m_distance * y, c * y - m_distance * x);
    const double end = DirectionKey(c * x - m_distance * y, c * y + m_distance * x);
    const double length = end >= start ? end - start : end - start + kKeyTurn;
    if (!(length >= kShortestLocatedInterval && length <= kKeyTurn - kShortestLocatedInterval)) {
        TestRun(0, count, ax, ay, weight);
        return;
    }
    const double stop = start + length;
    // A band holds at most one direction: its end is found by stepping, not searching.
    const std::int64_t startBandFrom = UnrolledPosition(start - kKeyMargin);
    const std::int64_t startBandTo = PositionAtOrAbove(startBandFrom, start + kKeyMargin);
    const std::int64_t stopBandFrom = UnrolledPosition(stop - kKeyMargin);
    const std::int64_t stopBandTo = PositionAtOrAbove(stopBandFrom, stop + kKeyMargin);
    TestRun(startBandFrom, startBandTo, ax, ay, weight);
    AddRun(startBandTo, stopBandFrom, weight);
    TestRun(stopBandFrom, stopBandTo, ax, ay, weight);
}

}  // namespace regression_detail
