// The straight caliper's vector sampler against its scalar loop: the same sums to the last bit for
// 8- and 16-bit pixels of every value, any direction, any number of lines and samples, and on the
// image's first and last pixels (the sanitizer build checks that nothing outside is read).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "caliper/CaliperSampler.h"

namespace {

using caliper::FixedLine;
using caliper::LineGeometry;
using caliper::PixelGrid;

constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr int kStride = 43;  // rows padded

template <class Pixel>
std::vector<Pixel> RandomPixels(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, std::numeric_limits<Pixel>::max());
    // The last row ends at the last pixel, without the padding of the others.
    std::vector<Pixel> pixels(static_cast<std::size_t>(kStride) * (kHeight - 1) + kWidth);
    for (Pixel& p : pixels) {
        p = static_cast<Pixel>(value(random));
    }
    return pixels;
}

// A caliper of `count` samples and `lines` lines 1 pixel apart, from (ox, oy) at `angle`.
FixedLine Caliper(double ox, double oy, double angle, int lines) {
    const LineGeometry g{
        ox, oy, std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};
    std::vector<double> across(static_cast<std::size_t>(lines));
    for (int j = 0; j < lines; ++j) {
        across[static_cast<std::size_t>(j)] = j - 0.5 * (lines - 1);
    }
    return caliper::MakeFixedLine(g, across);
}

// The samplers' raw sums (scales of 1) and probe totals of `count` samples.
struct Sums {
    std::vector<double> values;
    std::vector<double> mixed;
    caliper::FixedOutput out;
    explicit Sums(int count)
        : values(static_cast<std::size_t>(count), -1.0),
          mixed(values),
          out{1.0, 1.0, values.data(), mixed.data()} {}
};

template <class Pixel>
void ExpectSameAsScalar(const std::vector<Pixel>& pixels, const FixedLine& line, int count) {
    const PixelGrid<Pixel> grid{pixels.data(), kStride, kWidth, kHeight};
    Sums wide(count);
    Sums scalar(count);
    const int done = caliper::SampleLineWide(grid, line, count, wide.out);
    if (__builtin_cpu_supports("avx2")) {
        ASSERT_EQ(done, count / 4 * 4) << "the vector sampler was not used";
    }
    caliper::SampleLineScalar(grid, line, 0, done, scalar.out);
    EXPECT_EQ(wide.out.allSquared, scalar.out.allSquared);
    for (int k = 0; k < done; ++k) {
        const auto i = static_cast<std::size_t>(k);
        ASSERT_EQ(wide.values[i], scalar.values[i])
            << "sample " << k << " of " << count << ", " << line.lines << " lines";
        ASSERT_EQ(wide.mixed[i], scalar.mixed[i]) << "sample " << k;
    }
}

TEST(CaliperSampler, VectorSamplerGivesTheScalarSumsForEveryDirection) {
    const auto bytes = RandomPixels<unsigned char>(1);
    const auto words = RandomPixels<std::uint16_t>(2);
    constexpr double kCentre = 20.0;
    for (const int lines : {1, 2, 9}) {
        for (int a = 0; a < 16; ++a) {
            const double angle = a * 2.0 * 3.14159265358979323846 / 16 + 0.01 * a;
            const int count = 9 + a;  // not always a multiple of four
            // Start so that the caliper stays well inside, in any direction.
            const double ox = kCentre - 0.5 * count * std::cos(angle) + 0.37;
            const double oy = 15.0 - 0.5 * count * std::sin(angle) + 0.11;
            const FixedLine line = Caliper(ox, oy, angle, lines);
            ExpectSameAsScalar(bytes, line, count);
            ExpectSameAsScalar(words, line, count);
        }
    }
}

TEST(CaliperSampler, VectorSamplerKeepsToTheImageAndToExactSums) {
    const auto bytes = RandomPixels<unsigned char>(3);
    const auto words = RandomPixels<std::uint16_t>(4);
    // Along the first row from the first pixel, and back along the last row from the last.
    const FixedLine first = Caliper(0.5, 0.5, 0.0, 1);
    const FixedLine last = Caliper(kWidth - 0.5 - 1e-9, kHeight - 0.5 - 1e-9, 3.14159265358979, 1);
    for (const FixedLine& line : {first, last}) {
        ExpectSameAsScalar(bytes, line, 8);
        ExpectSameAsScalar(words, line, 8);
    }
    // Too many lines of 16-bit pixels for exact double sums: left to the scalar loop.
    const FixedLine wide = Caliper(2.0, 30.0, 0.0, 33);
    std::vector<std::uint16_t> tall(static_cast<std::size_t>(kStride) * 64, 65535);
    const PixelGrid<std::uint16_t> tallGrid{tall.data(), kStride, kWidth, 64};
    Sums sums(8);
    EXPECT_EQ(caliper::SampleLineWide(tallGrid, wide, 8, sums.out), 0);
}

}  // namespace
