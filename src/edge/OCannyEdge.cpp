#include "edge/OCannyEdge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "edge/CannyFilters.h"
#include "foundation/Angles.h"
#include "foundation/FixedPoint.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Index = std::int64_t;

// A profile sample without a grey value (for example a path point outside the image).
constexpr int kEmptyMarker = std::numeric_limits<int>::min();

// Layout of the kernel table: one row per sigma, divisor first, then the five weights.
constexpr int kKernelRowCount = 13;
constexpr int kDivisorColumn = 0;
constexpr int kFirstWeightColumn = 1;
constexpr int kKernelTaps = 5;

// A segment is padded by this many copies of its end value on each side, so that the 5-tap
// kernel never reaches past the segment.
constexpr Index kSegmentPadding = 2;
// Smallest inputs the filters are defined for: one full kernel window, one difference.
constexpr Index kMinGaussInput = kKernelTaps;
constexpr Index kMinSobelInput = 3;
// The smoothing drops one byte at each end, as does the central difference.
constexpr Index kFilterMargin = 1;
constexpr Index kDifferenceSpan = 2;

// The gradient of two bytes lies in -255..255; the limit is kept as a guard all the same.
constexpr int kGradientLimit = 255;

// The levels of the transition function on either side of an edge.
constexpr int kLevelBright = 0;
constexpr int kLevelDark = 1;

// The sampled Gaussian of the factor calculation spans +-3 units (sigma of the unit scale).
constexpr float kGaussHalfWidth = 3.0f;
// The weights are rounded to integers by adding a half and truncating (fixedpoint::AddHalf).
// Largest weight count the calculation accepts: the odd count must still fit an int.
constexpr double kMaxFactorCount = static_cast<double>(std::numeric_limits<int>::max() - 1);
// A weight must fit an unsigned int after rounding.
constexpr double kFactorLimit = 4294967296.0;

// The low byte of a profile value: values are meant to lie in 0..255, others wrap modulo 256.
unsigned char LowByte(int value) {
    return static_cast<unsigned char>(value);
}

// |value| in 64 bits, so that the smallest int has a magnitude too.
std::int64_t Magnitude(int value) {
    const std::int64_t wide = value;
    return wide < 0 ? -wide : wide;
}

// Samples the thinning tests at once for being all below the threshold.
constexpr Index kWeakBlock = 16;

// The block test's threshold is at most this, one above every gradient magnitude the detector
// makes: for those no difference in the test wraps.
constexpr int kBlockThresholdLimit = 256;
#if defined(__SSE2__)
constexpr Index kSamplesPerVector = 4;
constexpr int kAllLanes = 0xF;  // the sign bits of four lanes, as _mm_movemask_ps gathers them
#endif

// Whether every one of the kWeakBlock samples from `samples` on is weak: -t < sample < t for a
// threshold t in 0..kBlockThresholdLimit. Both differences sample - t and -t - sample are negative
// exactly then; their sign bits are combined without a branch, so the loop is vectorised. A
// difference wraps only for a sample of magnitude near 2^31, and then it answers "not all weak",
// which sends the block to the sample-wise walk: a block is never taken as weak wrongly.
bool AllWeak(const int* samples, int threshold) {
#if defined(__SSE2__)
    // Four samples per instruction. The compilers leave the portable loop below unvectorised once
    // it is inlined into the thinning's walk, where it takes most of the time.
    const __m128i t = _mm_set1_epi32(threshold);
    const __m128i negativeT = _mm_set1_epi32(-threshold);
    __m128i weak = _mm_set1_epi32(-1);
    for (Index k = 0; k < kWeakBlock; k += kSamplesPerVector) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + k));
        weak = _mm_and_si128(weak, _mm_and_si128(_mm_sub_epi32(v, t), _mm_sub_epi32(negativeT, v)));
    }
    return _mm_movemask_ps(_mm_castsi128_ps(weak)) == kAllLanes;
#else
    const auto t = static_cast<std::uint32_t>(threshold);
    std::uint32_t weak = ~std::uint32_t{0};
    for (Index k = 0; k < kWeakBlock; ++k) {
        const auto u = static_cast<std::uint32_t>(samples[k]);
        weak &= (u - t) & (std::uint32_t{0} - t - u);
    }
    return (weak >> 31) != 0;
#endif
}

bool IsKernelRow(int row) {
    return row >= 0 && row < kKernelRowCount;
}

// Calls smooth(std::integral_constant<int, r>) for the kernel row r equal to `row` (nothing for
// a row outside the table). Each row is thus smoothed with its weights and divisor as
// compile-time constants: the compiler turns the division into a multiplication and vectorises
// the loop, which a division by a run-time divisor prevents.
template <class Smooth, int... Rows>
void WithConstantKernelRow(int row, Smooth&& smooth, std::integer_sequence<int, Rows...>) {
    (void)((row == Rows && (smooth(std::integral_constant<int, Rows>{}), true)) || ...);
}

template <class Smooth>
void WithConstantKernelRow(int row, Smooth&& smooth) {
    WithConstantKernelRow(row, std::forward<Smooth>(smooth),
                          std::make_integer_sequence<int, kKernelRowCount>{});
}

// SetSize that reports a failed allocation (the collection's standard exceptions) as false.
template <class T>
bool TrySetSize(WritableCollection<T>& collection, Index count) {
    try {
        collection.SetSize(count);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// Index of the first sample at or after `from` whose marker state differs from `isMarker`,
// or n.
Index EndOfRun(const int* samples, Index from, Index n, bool isMarker) {
    Index end = from;
    while (end < n && (samples[end] == kEmptyMarker) == isMarker) {
        ++end;
    }
    return end;
}

}  // namespace

// Out-of-line definitions keep both constants exported symbols of the library.
constexpr int OCannyEdge::m_iaFilterKernel[13][6];
const int OCannyEdge::m_iIndexForSigma10;

OCannyEdge::~OCannyEdge() = default;

bool OCannyEdge::bFindCannyEdgeTransitions(WritableCollection<int>& profile, int iThreshold,
                                           int iSigmaIndex, WritableCollection<int>& result,
                                           bool bKeepMagnitudes) {
    result.RemoveAll();
    const Index n = profile.iGetCount();
    const int* samples = profile.GetData();
    if (n == 0 || samples == nullptr) {
        return false;
    }
    const int threshold = std::max(iThreshold, 1);

    Index i = 0;
    while (i < n) {
        if (samples[i] == kEmptyMarker) {
            // A run of missing samples: gradient 0 for each (SetSize makes the new elements 0).
            const Index j = EndOfRun(samples, i, n, true);
            if (!TrySetSize(result, result.GetCount() + (j - i)) || result.GetData() == nullptr) {
                return false;
            }
            i = j;
            continue;
        }

        // A segment of grey values, padded by two copies of each end value.
        const Index j = EndOfRun(samples, i, n, false);
        const Index m = j - i;
        WritableCollection<unsigned char> padded;
        if (!TrySetSize(padded, m + 2 * kSegmentPadding) || padded.GetData() == nullptr) {
            return false;
        }
        unsigned char* bytes = padded.GetData();
        const unsigned char first = LowByte(samples[i]);
        const unsigned char last = LowByte(samples[j - 1]);
        std::fill(bytes, bytes + kSegmentPadding, first);
        for (Index k = 0; k < m; ++k) {
            bytes[kSegmentPadding + k] = LowByte(samples[i + k]);
        }
        std::fill(bytes + kSegmentPadding + m, bytes + 2 * kSegmentPadding + m, last);
        if (!AppendSegmentGradients(padded, iSigmaIndex, result)) {
            return false;
        }
        i = j;
    }

    SkeletoniseEdgePoints(result, threshold, bKeepMagnitudes);
    return true;
}

bool OCannyEdge::FindTransitionsOfPaddedBytes(WritableCollection<unsigned char>& padded,
                                              int iThreshold, int iSigmaIndex,
                                              WritableCollection<int>& result) {
    result.RemoveAll();
    if (padded.GetCount() <= 2 * kSegmentPadding || padded.GetData() == nullptr) {
        return false;
    }
    if (!AppendSegmentGradients(padded, iSigmaIndex, result)) {
        return false;
    }
    SkeletoniseEdgePoints(result, std::max(iThreshold, 1), false);
    return true;
}

bool OCannyEdge::AppendSegmentGradients(WritableCollection<unsigned char>& padded, int iSigmaIndex,
                                        WritableCollection<int>& result) {
    const Index m = padded.GetCount() - 2 * kSegmentPadding;
    const Index resultCount = result.GetCount();
    WritableCollection<unsigned char> smoothed;
    ApplyGaussFilter(padded, iSigmaIndex, smoothed);
    if (IsKernelRow(iSigmaIndex) && smoothed.GetData() == nullptr) {
        return false;  // the smoothed buffer could not get storage
    }
    ApplySobelFilter(smoothed, result);
    // A kernel row outside the table smooths nothing and the segment contributes nothing.
    const Index expected = smoothed.GetCount() != 0 ? resultCount + m : resultCount;
    return result.GetCount() == expected;  // else the grown result could not get storage
}

void OCannyEdge::ApplyGaussFilter(WritableCollection<unsigned char>& input, int iKernelRow,
                                  WritableCollection<unsigned char>& output) {
    output.RemoveAll();
    if (!IsKernelRow(iKernelRow)) {
        return;
    }
    const Index inCount = input.GetCount();
    const unsigned char* in = input.GetData();
    if (inCount < kMinGaussInput || in == nullptr) {
        return;
    }
    const Index outCount = inCount - 2 * kFilterMargin;
    if (!TrySetSize(output, outCount) || output.GetData() == nullptr) {
        output.RemoveAll();
        return;
    }
    unsigned char* out = output.GetData();
    static_assert(
        std::extent_v<decltype(m_iaFilterKernel), 0> == kKernelRowCount &&
            std::extent_v<decltype(m_iaFilterKernel), 1> == kFirstWeightColumn + kKernelTaps,
        "the kernel table has one row per sigma, a divisor and five weights");
    WithConstantKernelRow(iKernelRow, [&](auto rowConstant) {
        constexpr int r = decltype(rowConstant)::value;
        constexpr int divisor = m_iaFilterKernel[r][kDivisorColumn];
        constexpr int w0 = m_iaFilterKernel[r][kFirstWeightColumn];
        constexpr int w1 = m_iaFilterKernel[r][kFirstWeightColumn + 1];
        constexpr int w2 = m_iaFilterKernel[r][kFirstWeightColumn + 2];
        constexpr int w3 = m_iaFilterKernel[r][kFirstWeightColumn + 3];
        constexpr int w4 = m_iaFilterKernel[r][kFirstWeightColumn + 4];
        static_assert(divisor == w0 + w1 + w2 + w3 + w4, "the weights sum to the divisor");
        static_assert(255 * divisor <= std::numeric_limits<int>::max(), "a smoothed sum fits");
        // out[t] is the smoothed value of in[t + 1]: the window in[t - 1 .. t + 3]. All terms are
        // non-negative, so the truncating division rounds down, and the weights sum to the
        // divisor, so the quotient stays a byte.
        // The loop works on local copies of the pointers and the count: a byte store may alias
        // anything, so through the lambda's references the compiler would reload them after
        // every store and could not vectorise.
        const unsigned char* const source = in;
        unsigned char* const target = out;
        const Index end = outCount - 1;
        for (Index t = 1; t < end; ++t) {
            const int sum = w0 * source[t - 1] + w1 * source[t] + w2 * source[t + 1] +
                            w3 * source[t + 2] + w4 * source[t + 3];
            target[t] = static_cast<unsigned char>(sum / divisor);
        }
    });
    out[0] = out[1];
    out[outCount - 1] = out[outCount - 2];
}

void OCannyEdge::ApplySobelFilter(WritableCollection<unsigned char>& input,
                                  WritableCollection<int>& output) {
    const Index inCount = input.GetCount();
    const unsigned char* in = input.GetData();
    if (inCount < kMinSobelInput || in == nullptr) {
        return;
    }
    const Index start = output.GetCount();
    const Index added = inCount - kDifferenceSpan;
    if (!TrySetSize(output, start + added) || output.GetData() == nullptr) {
        return;
    }
    int* out = output.GetData() + start;
    for (Index t = 0; t < added; ++t) {
        const int difference = static_cast<int>(in[t + kDifferenceSpan]) - static_cast<int>(in[t]);
        out[t] = std::clamp(difference, -kGradientLimit, kGradientLimit);
    }
}

void OCannyEdge::SkeletoniseEdgePoints(WritableCollection<int>& data, int iThreshold,
                                       bool bKeepMagnitudes) {
    cannyfilters::SkeletoniseEdgePoints(data, iThreshold, bKeepMagnitudes);
}

int OCannyEdge::iCalcGaussFactors(float fScale, float fSigma,
                                  WritableCollection<unsigned int>& factors, int& sum) {
    return cannyfilters::CalcGaussFactors(fScale, fSigma, factors, sum);
}

void cannyfilters::SkeletoniseEdgePoints(WritableCollection<int>& data, int iThreshold,
                                         bool bKeepMagnitudes) {
    const Index n = data.GetCount();
    int* a = data.GetData();
    if (n == 0 || a == nullptr) {
        return;
    }
    const std::int64_t threshold = iThreshold;
    // Below 0 a threshold makes every sample strong, as 0 does. Above the limit the block test
    // may send weak blocks to the sample-wise walk, which decides them exactly.
    const int blockThreshold = std::clamp(iThreshold, 0, kBlockThresholdLimit);
    int level = kLevelBright;
    bool firstRunToCome = true;

    Index i = 0;
    while (i < n) {
        // Most samples are weak: blocks of them are written at once, a loop the compiler can
        // vectorise, until a block holds a strong sample (or may hold one, see AllWeak).
        while (i + kWeakBlock <= n && AllWeak(a + i, blockThreshold)) {
            for (Index k = i; k < i + kWeakBlock; ++k) {
                a[k] = bKeepMagnitudes ? static_cast<int>(Magnitude(a[k])) : level;
            }
            i += kWeakBlock;
        }
        // That block sample by sample up to its strong sample; without one, the next block test.
        const Index blockEnd = std::min(n, i + kWeakBlock);
        while (i < blockEnd && Magnitude(a[i]) < threshold) {
            a[i] = bKeepMagnitudes ? static_cast<int>(Magnitude(a[i])) : level;
            ++i;
        }
        if (i == blockEnd) {
            continue;
        }
        const std::int64_t magnitude = Magnitude(a[i]);

        // A strong sample starts a run. Only the sign of the very first run sets the level:
        // rising means the profile starts on the dark side.
        if (firstRunToCome) {
            if (a[i] > 0) {
                level = kLevelDark;
                if (!bKeepMagnitudes) {
                    std::fill(a, a + i, kLevelDark);
                }
            }
            firstRunToCome = false;
        }

        std::int64_t peakMagnitude = magnitude;
        Index peak = i;
        a[i] = bKeepMagnitudes ? static_cast<int>(magnitude) : level;
        if (i == n - 1) {
            // A run of one sample at the very end is not an edge: it takes the level, in both
            // modes, and the level does not toggle.
            a[i] = level;
            return;
        }

        // Walk the run up to and including its first weak sample (or the last sample); of equal
        // maxima the first one is the peak.
        Index end = i + 1;
        for (;; ++end) {
            const std::int64_t v = Magnitude(a[end]);
            a[end] = bKeepMagnitudes ? static_cast<int>(v) : level;
            if (v > peakMagnitude) {
                peakMagnitude = v;
                peak = end;
            }
            if (v < threshold || end == n - 1) {
                break;
            }
        }

        a[peak] = static_cast<int>(peakMagnitude);
        level = level == kLevelBright ? kLevelDark : kLevelBright;
        if (!bKeepMagnitudes) {
            // Past the peak the new level holds (magnitudes were already written above).
            std::fill(a + peak + 1, a + end + 1, level);
        }
        i = end + 1;
    }
}

int cannyfilters::CalcGaussFactors(float fScale, float fSigma,
                                   WritableCollection<unsigned int>& factors, int& sum) {
    sum = 0;
    if (fScale == 0.0f) {
        return 0;
    }
    const float step = 1.0f / fScale;
    const float width = fScale * kGaussHalfWidth * 2.0f;
    // NaN, negative, zero and huge widths are outside the domain (and would not convert to int).
    if (!(width > 0.0f) || static_cast<double>(width) > kMaxFactorCount) {
        return 0;
    }
    int count = static_cast<int>(std::ceil(width));
    if (count % 2 == 0) {
        ++count;
    }

    const std::unique_ptr<double[]> gauss(
        new (std::nothrow) double[static_cast<std::size_t>(count)]);
    if (!gauss) {
        return 0;
    }
    const int centre = (count - 1) / 2;
    const double norm = 1.0 / (std::sqrt(angles::kTwoPi) * static_cast<double>(fSigma));
    // sigma squared is formed in single precision, as the kernel table was generated.
    const float sigmaSquared = fSigma * fSigma;
    gauss[centre] = norm;
    for (int k = 1; k <= centre; ++k) {
        const double x = static_cast<double>(k) * static_cast<double>(step);
        gauss[centre + k] = norm * std::exp((x * x) / (static_cast<double>(sigmaSquared) * -2.0));
        gauss[centre - k] = gauss[centre + k];
    }

    // Check every weight before appending anything: a vanished outer weight (division by zero)
    // or a weight beyond unsigned int is outside the domain.
    for (int b = 0; b < count; ++b) {
        const double rounded = fixedpoint::AddHalf(gauss[b] / gauss[0]);
        if (!(rounded >= 0.0 && rounded < kFactorLimit)) {
            return 0;
        }
    }
    unsigned int total = 0;  // wraps like the weights' unsigned type; never reached by the table
    for (int b = 0; b < count; ++b) {
        const auto factor = fixedpoint::AddHalfAndTruncate<unsigned int>(gauss[b] / gauss[0]);
        factors.Add(factor);
        total += factor;
    }
    sum = static_cast<int>(total);
    return 1;
}
