// The straight caliper's fixed-point sampler four samples at a time, with AVX2 where the processor
// has it. Each lane is one sample; the lanes step through the caliper's lines together. The
// arithmetic is that of SampleLineScalar in doubles: every product and sum is a whole number below
// 2^53, so the answers are the same to the last bit. The pixels are read as scalar pairs and
// inserted into the lanes: on the processors measured that outruns the vector gathers.
#include "caliper/CaliperSampler.h"

#include <cstring>
#include <type_traits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define EDGEDETECTION_WIDE_SAMPLER 1
#include <immintrin.h>
#endif

namespace caliper {

namespace {

#ifdef EDGEDETECTION_WIDE_SAMPLER

constexpr int kLanes = 4;

// Doubles hold whole numbers exactly below 2^53: the sum over the lines of a sample stays below
// that when lines x (largest pixel + 1) x 2^32 does.
constexpr int kExactBits = 53;

template <class Pixel>
bool SumsStayExact(int lines) {
    const double largest =
        (static_cast<double>(std::numeric_limits<Pixel>::max()) + 1.0) * kPositionOne * lines;
    return largest <= static_cast<double>(std::int64_t{1} << kExactBits);
}

// Whole numbers below 2^52 held in 64-bit lanes, as doubles: OR-ed into the mantissa of 2^52.
__attribute__((target("avx2"))) inline __m256d SmallToDouble(__m256i v) {
    const __m256d magic = _mm256_set1_pd(4503599627370496.0);  // 2^52
    return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(v, _mm256_castpd_si256(magic))),
                         magic);
}

// The two pixels p[0], p[1] of a row at each lane's pixel index, as doubles: each pair read as
// one little-endian word (loads and inserts outrun the processor's gathers here).
template <class Pixel>
__attribute__((target("avx2"))) inline void LoadPairs(const Pixel* data,
                                                      const std::int64_t (&index)[kLanes],
                                                      __m256d& first, __m256d& second) {
    using Pair = std::conditional_t<sizeof(Pixel) == 1, std::uint16_t, std::uint32_t>;
    constexpr int kBits = 8 * sizeof(Pixel);
    Pair pairs[kLanes];
    for (int i = 0; i < kLanes; ++i) {
        std::memcpy(&pairs[i], data + index[i], sizeof(Pair));
    }
    const __m128i words = _mm_set_epi32(static_cast<int>(pairs[3]), static_cast<int>(pairs[2]),
                                        static_cast<int>(pairs[1]), static_cast<int>(pairs[0]));
    first = _mm256_cvtepi32_pd(_mm_and_si128(words, _mm_set1_epi32((1 << kBits) - 1)));
    second = _mm256_cvtepi32_pd(_mm_srli_epi32(words, kBits));
}

template <class Pixel>
__attribute__((target("avx2"))) int SampleLineAvx2(const PixelGrid<Pixel>& grid,
                                                   const FixedLine& line, int count,
                                                   FixedOutput& out) {
    const int done = count / kLanes * kLanes;
    const __m256i lineX = _mm256_set1_epi64x(line.lineX);
    const __m256i lineY = _mm256_set1_epi64x(line.lineY);
    const __m256i stride = _mm256_set1_epi64x(grid.stride);
    const __m256i weightMask = _mm256_set1_epi64x(kWeightMask);
    const __m256d weightOne = _mm256_set1_pd(static_cast<double>(std::int64_t{1} << kWeightShift));
    // Lane i starts at sample i.
    __m256i x = _mm256_set_epi64x(line.x0 + 3 * line.stepX, line.x0 + 2 * line.stepX,
                                  line.x0 + line.stepX, line.x0);
    __m256i y = _mm256_set_epi64x(line.y0 + 3 * line.stepY, line.y0 + 2 * line.stepY,
                                  line.y0 + line.stepY, line.y0);
    const __m256d valueScale = _mm256_set1_pd(out.valueScale);
    const __m256d probeScale = _mm256_set1_pd(out.probeScale);
    __m256d allSquared = _mm256_setzero_pd();
    const __m256i fourX = _mm256_set1_epi64x(kLanes * line.stepX);
    const __m256i fourY = _mm256_set1_epi64x(kLanes * line.stepY);
    for (int k = 0; k < done; k += kLanes) {
        __m256d sum = _mm256_setzero_pd();
        __m256d probeSum = _mm256_setzero_pd();
        __m256i lx = x;
        __m256i ly = y;
        for (int j = 0; j < line.lines; ++j) {
            const __m256d fx = SmallToDouble(
                _mm256_and_si256(_mm256_srli_epi64(lx, kPositionShift - kWeightShift), weightMask));
            const __m256d fy = SmallToDouble(
                _mm256_and_si256(_mm256_srli_epi64(ly, kPositionShift - kWeightShift), weightMask));
            const __m256i index =
                _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(ly, kPositionShift), stride),
                                 _mm256_srli_epi64(lx, kPositionShift));
            __m256d p0, p1, q0, q1;
            std::int64_t upperRow[kLanes];
            std::int64_t lowerRow[kLanes];
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(upperRow), index);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(lowerRow),
                                _mm256_add_epi64(index, stride));
            LoadPairs(grid.data, upperRow, p0, p1);
            LoadPairs(grid.data, lowerRow, q0, q1);
            const __m256d upper = _mm256_sub_pd(p1, p0);
            const __m256d lower = _mm256_sub_pd(q1, q0);
            const __m256d top =
                _mm256_add_pd(_mm256_mul_pd(p0, weightOne), _mm256_mul_pd(fx, upper));
            const __m256d bottom =
                _mm256_add_pd(_mm256_mul_pd(q0, weightOne), _mm256_mul_pd(fx, lower));
            sum = _mm256_add_pd(sum, _mm256_add_pd(_mm256_mul_pd(top, weightOne),
                                                   _mm256_mul_pd(fy, _mm256_sub_pd(bottom, top))));
            if (ProbeLine(j)) {
                const __m256d m = _mm256_sub_pd(lower, upper);
                probeSum = _mm256_add_pd(probeSum, _mm256_mul_pd(m, m));
            }
            lx = _mm256_add_epi64(lx, lineX);
            ly = _mm256_add_epi64(ly, lineY);
        }
        _mm256_storeu_pd(out.values + k, _mm256_mul_pd(sum, valueScale));
        _mm256_storeu_pd(out.mixed + k, _mm256_mul_pd(probeSum, probeScale));
        allSquared = _mm256_add_pd(allSquared, probeSum);
        x = _mm256_add_epi64(x, fourX);
        y = _mm256_add_epi64(y, fourY);
    }
    double lanes[kLanes];
    _mm256_storeu_pd(lanes, allSquared);
    out.allSquared += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    return done;
}

#endif

}  // namespace

template <class Pixel>
int SampleLineWide(const PixelGrid<Pixel>& grid, const FixedLine& line, int count,
                   FixedOutput& out) {
#ifdef EDGEDETECTION_WIDE_SAMPLER
    // Pixel indices travel as 32-bit rows times the stride: both below 2^31.
    const bool indexable = grid.stride < (std::ptrdiff_t{1} << 31);
    if (count >= kLanes && __builtin_cpu_supports("avx2") && SumsStayExact<Pixel>(line.lines) &&
        indexable) {
        return SampleLineAvx2(grid, line, count, out);
    }
#else
    (void)grid;
    (void)line;
    (void)count;
    (void)out;
#endif
    return 0;
}

template int SampleLineWide(const PixelGrid<unsigned char>&, const FixedLine&, int, FixedOutput&);
template int SampleLineWide(const PixelGrid<std::uint16_t>&, const FixedLine&, int, FixedOutput&);

}  // namespace caliper
