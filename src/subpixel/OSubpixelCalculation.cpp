#include "subpixel/OSubpixelCalculation.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "foundation/OType_Image.h"
#include "paths/OVectorPath.h"
#include "subpixel/SubpixelChain.h"

namespace {

// The filter chain's values are unsigned 32-bit words, as the private interface passes them.
static_assert(std::is_same_v<unsigned int, std::uint32_t>, "unsigned int is a 32-bit word");

// Grey fixed point: a grey value times 65536 (16.16) in an unsigned 32-bit word.
constexpr int kGreyShift = 16;
constexpr std::uint32_t kGreyOne = std::uint32_t{1} << kGreyShift;
constexpr int kMaxGrey = 255;
// Full grey in fixed point (0xFF0000): the clamp of the half-sample mean and of the gradient.
constexpr std::uint32_t kMaxGreyFixed = std::uint32_t{kMaxGrey} * kGreyOne;
static_assert(kMaxGreyFixed == 0xFF0000u, "full grey in 16.16");

// One refinement: three samples on each side of the transition index, upsampled twice by two.
constexpr int kSamplesBefore = 3;
constexpr int kSampleCount = 2 * kSamplesBefore + 1;           // 7 grey samples
constexpr int kHalfSampleCount = 2 * kSampleCount - 1;         // 13 half-sample values
constexpr int kQuarterSampleCount = 2 * kHalfSampleCount - 1;  // 25 quarter-sample values
constexpr int kMinSampleCount = 3;                             // the least profile refined
constexpr double kSamplesPerQuarterSample = 0.25;

// Six-tap half-sample filter (1, -5, 20, 20, -5, 1) / 32. The sum is formed in the grouping
// ((g0 + g1) * 4 - g2 - g(-1)) * 5 + g3 + g(-2), which needs only the two factors below.
constexpr std::uint32_t kInnerFactor = 4;
constexpr std::uint32_t kOuterFactor = 5;
constexpr int kSixTapShift = 5;  // divides by the weight total
constexpr int kSixTapWeightSum = 1 - 5 + 20 + 20 - 5 + 1;
static_assert(kInnerFactor * kOuterFactor == 20 && kOuterFactor == 5, "weights 20 and -5");
static_assert(kSixTapWeightSum == 1 << kSixTapShift, "the shift divides by the weight total");
// The filter reaches two samples before and three after a gap; the ends repeat that often.
constexpr int kEndRepeat = 2;

// Bit budget of the six-tap sum for grey values 0..255: the positive taps (1 + 20 + 20 + 1) at
// full grey and the negative ones (5 + 5) likewise bound it, and both fit a signed 32-bit word:
//   42 * 255 * 65536 <= 2^31 - 1  and  -10 * 255 * 65536 >= -2^31.
constexpr std::int64_t kSixTapMaxSum = std::int64_t{42} * kMaxGreyFixed;
constexpr std::int64_t kSixTapMinSum = -std::int64_t{10} * kMaxGreyFixed;
static_assert(kSixTapMaxSum <= std::numeric_limits<std::int32_t>::max(), "six-tap sum fits");
static_assert(kSixTapMinSum >= std::numeric_limits<std::int32_t>::min(), "six-tap sum fits");
// A half-sample value overshoots full grey (no upper clamp), but three of them still sum inside
// 32 bits in the mean: 3 * (42 * 255 * 65536 / 32) <= 2^32 - 1. Every later value is at most
// full grey (the clamps) or a grey sample, so the pair sums of the interpolation and the triple
// sums of the gradient mean fit as well.
static_assert(3 * (kSixTapMaxSum >> kSixTapShift) <= std::numeric_limits<std::uint32_t>::max(),
              "mean of half-sample values fits");

// The three-tap mean.
constexpr std::uint32_t kMeanTaps = 3;

// The gradient peak: the band around the maximum where the gradient stays at or above 90 % of it,
// looked for at most kPeakReach - 1 values to each side.
constexpr double kPeakBandFraction = 0.9;
constexpr int kPeakReach = 8;
constexpr int kMinPeakIndex = 2;  // a maximum at quarter sample 0 or 1 has no edge before it
constexpr double kNoPeak = -1.0;
constexpr double kBandCentre = 0.5;

// Grey value to fixed point. Grey values outside 0..255 wrap around modulo 2^32 (an unsigned
// shift), never overflowing.
std::uint32_t FixedFromGrey(int grey) {
    return static_cast<std::uint32_t>(grey) << kGreyShift;
}

// The two's-complement value of a 32-bit word, spelled out so that it is defined in every
// language version.
std::int32_t SignedFromBits(std::uint32_t bits) {
    constexpr std::uint32_t kSignBit = std::uint32_t{1} << 31;
    if (bits < kSignBit) {
        return static_cast<std::int32_t>(bits);
    }
    return static_cast<std::int32_t>(bits - kSignBit) + std::numeric_limits<std::int32_t>::min();
}

// A half-sample value from its six-tap sum: divided by the weight total, rounding down (the
// arithmetic shift of a non-negative sum); the undershoot next to a steep edge, a negative sum,
// gives 0.
std::uint32_t HalfSampleFromSum(std::int32_t sum) {
    if (sum < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(sum) >> kSixTapShift;
}

// Mean of three values, rounding down; the 32-bit sum wraps for values far beyond full grey.
std::uint32_t MeanOfThreeFloor(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return (a + b + c) / kMeanTaps;
}

// Mean of two values, rounding down (the 32-bit sum halved by a shift).
std::uint32_t MeanOfTwoFloor(std::uint32_t a, std::uint32_t b) {
    return (a + b) >> 1;
}

// |a - b| with the difference taken in 32 bits and read as two's complement: a difference of
// exactly 2^31 keeps its bits, as the magnitude of the smallest int does.
std::uint32_t DifferenceMagnitude(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t difference = a - b;
    return SignedFromBits(difference) < 0 ? 0u - difference : difference;
}

// The band threshold: the integer part of 90 % of the maximum, as a double product.
std::uint32_t BandThreshold(std::uint32_t maximum) {
    return static_cast<std::uint32_t>(static_cast<double>(maximum) * kPeakBandFraction);
}

bool CountInRange(int count, int least, int most) {
    return count >= least && count <= most;
}

}  // namespace

int OSubpixelCalculation::CalculateTransitionOnPath(OType_Image* pImage, OVectorPath* pPath,
                                                    int iMethod, int iIndex, OVector& vPoint,
                                                    double& dAngle) {
    if (iMethod != kMethodSixTap || pImage == nullptr || pPath == nullptr) {
        return 0;
    }
    // The seven samples must lie at indices 0..GetCount() - 1; the test is in 64 bits so that no
    // step count makes it overflow. The image is not read before it passes.
    const std::int64_t count = pPath->GetCount();
    if (iIndex < kSamplesBefore || std::int64_t{iIndex} >= count - kSamplesBefore) {
        return 0;
    }

    int grey[kSampleCount];
    for (int k = 0; k < kSampleCount; ++k) {
        // Inside the range just tested every path answers true; the answer is not looked at.
        OVector sample;
        pPath->GetVectorAt(iIndex - kSamplesBefore + k, sample);
        grey[k] = pImage->GetPixel_Grey(sample);
        if (grey[k] == OType_Image::kNoValue) {
            return 0;
        }
    }

    // Count, fallback and the unused int are those of the six-tap method (method + 6,
    // method + 2 and the method itself).
    double offset = 0.0;
    if (iSubPixelTransition_6Tap(grey, kSampleCount, kSamplesBefore, kMaxGrey, iMethod, &offset) ==
        0) {
        return 0;
    }

    // The outputs change only when the path answers both queries.
    const double refined = static_cast<double>(iIndex - kSamplesBefore) + offset;
    OVector point = vPoint;
    double angle = dAngle;
    if (!pPath->GetVectorAt(refined, point) || !pPath->GetAngle_RadAt(refined, angle)) {
        return 0;
    }
    vPoint = point;
    dAngle = angle;
    return 1;
}

int subpixelchain::iSubPixelTransition_6Tap(int* piGrey, int iCount, int iFallback, int iMaxGrey,
                                            int /*iUnused*/, double* pdPosition) {
    if (pdPosition == nullptr) {
        return 0;
    }
    const double fallback = static_cast<double>(iFallback);
    if (piGrey == nullptr || !CountInRange(iCount, kMinSampleCount, kSampleCount)) {
        *pdPosition = fallback;
        return 0;
    }

    unsigned int half[kHalfSampleCount];
    int halfCount = 0;
    SixTapFilter_fp(piGrey, iCount, half, &halfCount);

    unsigned int smoothed[kHalfSampleCount];
    MeanFilter_fp(half, halfCount, smoothed, FixedFromGrey(iMaxGrey));

    unsigned int quarter[kQuarterSampleCount];
    int quarterCount = 0;
    LinearInterpolation_fp(smoothed, halfCount, quarter, &quarterCount);

    unsigned int gradient[kQuarterSampleCount];
    FirstDeviation_fp(quarter, quarterCount, gradient);

    double peak = kNoPeak;
    GetPeakValue_fp(gradient, quarterCount, &peak);
    // Written so that a peak that is not a number fails too.
    if (peak >= 0.0) {
        *pdPosition = peak * kSamplesPerQuarterSample;
        return 1;
    }
    *pdPosition = fallback;
    return 0;
}

void subpixelchain::SixTapFilter_fp(int* piGrey, int iCount, unsigned int* puiOut,
                                    int* piOutCount) {
    if (piOutCount == nullptr) {
        return;
    }
    *piOutCount = 0;
    if (piGrey == nullptr || puiOut == nullptr || !CountInRange(iCount, 1, kSampleCount)) {
        return;
    }

    // The samples in fixed point with each end sample repeated twice more outside it, so that
    // the window of every gap lies inside: padded[k + kEndRepeat] is sample k.
    std::uint32_t padded[kSampleCount + 2 * kEndRepeat];
    const int paddedCount = iCount + 2 * kEndRepeat;
    for (int k = 0; k < paddedCount; ++k) {
        padded[k] = FixedFromGrey(piGrey[std::clamp(k - kEndRepeat, 0, iCount - 1)]);
    }

    for (int i = 0; i + 1 < iCount; ++i) {
        // w[2] and w[3] are the samples on either side of the gap, w[0] and w[5] the outermost.
        const std::uint32_t* w = padded + i;
        puiOut[2 * i] = w[2];
        // Formed in unsigned arithmetic and read back as a signed 32-bit sum: for grey values in
        // 0..255 nothing wraps (see the bit budget); beyond them the sum wraps instead of
        // overflowing.
        const std::uint32_t bits =
            ((w[2] + w[3]) * kInnerFactor - w[4] - w[1]) * kOuterFactor + w[5] + w[0];
        puiOut[2 * i + 1] = HalfSampleFromSum(SignedFromBits(bits));
    }
    puiOut[2 * (iCount - 1)] = padded[iCount - 1 + kEndRepeat];
    *piOutCount = 2 * iCount - 1;
}

void subpixelchain::MeanFilter_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                                  unsigned int uiClamp) {
    if (puiIn == nullptr || puiOut == nullptr || !CountInRange(iCount, 1, kQuarterSampleCount)) {
        return;
    }
    // The ends have only one neighbour; they are copied as they are, unclamped.
    puiOut[0] = puiIn[0];
    puiOut[iCount - 1] = puiIn[iCount - 1];
    for (int i = 1; i + 1 < iCount; ++i) {
        puiOut[i] = std::min(MeanOfThreeFloor(puiIn[i - 1], puiIn[i], puiIn[i + 1]), uiClamp);
    }
}

void subpixelchain::LinearInterpolation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                                           int* piOutCount) {
    if (piOutCount == nullptr) {
        return;
    }
    *piOutCount = 0;
    if (puiIn == nullptr || puiOut == nullptr || !CountInRange(iCount, 1, kHalfSampleCount)) {
        return;
    }
    for (int i = 0; i + 1 < iCount; ++i) {
        puiOut[2 * i] = puiIn[i];
        puiOut[2 * i + 1] = MeanOfTwoFloor(puiIn[i], puiIn[i + 1]);
    }
    puiOut[2 * (iCount - 1)] = puiIn[iCount - 1];
    *piOutCount = 2 * iCount - 1;
}

void subpixelchain::FirstDeviation_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut) {
    if (puiIn == nullptr || puiOut == nullptr || !CountInRange(iCount, 1, kQuarterSampleCount)) {
        return;
    }
    // The difference at i compares values i - 1 and i; the ends have none.
    unsigned int magnitude[kQuarterSampleCount];
    magnitude[0] = 0;
    magnitude[iCount - 1] = 0;
    for (int i = 1; i + 1 < iCount; ++i) {
        magnitude[i] = DifferenceMagnitude(puiIn[i], puiIn[i - 1]);
    }
    MeanFilter_fp(magnitude, iCount, puiOut, kMaxGreyFixed);
}

void subpixelchain::GetPeakValue_fp(unsigned int* puiIn, int iCount, double* pdPeak) {
    if (pdPeak == nullptr) {
        return;
    }
    *pdPeak = kNoPeak;
    if (puiIn == nullptr || !CountInRange(iCount, 1, kQuarterSampleCount)) {
        return;
    }

    // The first of equal maxima; an all-zero input has none.
    std::uint32_t maximum = 0;
    int top = -1;
    for (int j = 0; j < iCount; ++j) {
        if (puiIn[j] > maximum) {
            maximum = puiIn[j];
            top = j;
        }
    }
    if (top < kMinPeakIndex) {
        return;
    }

    // Each side ends before the first value below the threshold within reach. Index 0 is never
    // looked at, and a side without such a value ends at the maximum itself, not at the reach.
    const std::uint32_t threshold = BandThreshold(maximum);
    int left = top;
    for (int j = top - 1; j >= std::max(top - kPeakReach, 0) + 1; --j) {
        if (puiIn[j] < threshold) {
            left = j + 1;
            break;
        }
    }
    int right = top;
    for (int j = top + 1; j <= std::min(top + kPeakReach, iCount) - 1; ++j) {
        if (puiIn[j] < threshold) {
            right = j - 1;
            break;
        }
    }
    *pdPeak = static_cast<double>(left + right) * kBandCentre;
}

// The private operations of the class: the chain of SubpixelChain.h.

int OSubpixelCalculation::iSubPixelTransition_6Tap(int* piGrey, int iCount, int iFallback,
                                                   int iMaxGrey, int iUnused, double* pdPosition) {
    return subpixelchain::iSubPixelTransition_6Tap(piGrey, iCount, iFallback, iMaxGrey, iUnused,
                                                   pdPosition);
}

void OSubpixelCalculation::SixTapFilter_fp(int* piGrey, int iCount, unsigned int* puiOut,
                                           int* piOutCount) {
    subpixelchain::SixTapFilter_fp(piGrey, iCount, puiOut, piOutCount);
}

void OSubpixelCalculation::MeanFilter_fp(unsigned int* puiIn, int iCount, unsigned int* puiOut,
                                         unsigned int uiClamp) {
    subpixelchain::MeanFilter_fp(puiIn, iCount, puiOut, uiClamp);
}

void OSubpixelCalculation::LinearInterpolation_fp(unsigned int* puiIn, int iCount,
                                                  unsigned int* puiOut, int* piOutCount) {
    subpixelchain::LinearInterpolation_fp(puiIn, iCount, puiOut, piOutCount);
}

void OSubpixelCalculation::FirstDeviation_fp(unsigned int* puiIn, int iCount,
                                             unsigned int* puiOut) {
    subpixelchain::FirstDeviation_fp(puiIn, iCount, puiOut);
}

void OSubpixelCalculation::GetPeakValue_fp(unsigned int* puiIn, int iCount, double* pdPeak) {
    subpixelchain::GetPeakValue_fp(puiIn, iCount, pdPeak);
}
