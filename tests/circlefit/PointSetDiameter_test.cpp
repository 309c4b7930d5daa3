// The fast diameter against its definition, bit for bit, on point sets chosen to stress the
// pruning: ties, duplicates, collinear points, rounding-sized differences, overflow, NaN.

#include "circlefit/PointSetDiameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "circlefit/OCircleFit.h"

namespace {

// The definition, written out here independently of the library: the largest
// (xi - xj)^2 + (yi - yj)^2 over all pairs, NaN never winning, 0 below two points.
double DefinitionValue(const std::vector<double>& x, const std::vector<double>& y) {
    double best = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        for (std::size_t j = 0; j < x.size(); ++j) {
            const double value = (x[i] - x[j]) * (x[i] - x[j]) + (y[i] - y[j]) * (y[i] - y[j]);
            if (value > best) {
                best = value;
            }
        }
    }
    return best;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Point {
    double x;
    double y;
};

// Point i of n, drawn with the given generator.
using Generator = std::function<Point(std::mt19937&, std::size_t i, std::size_t n)>;

struct DiameterCase {
    const char* name;
    std::size_t count;
    Generator point;
};

double Uniform(std::mt19937& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}

double Gauss(std::mt19937& random, double sigma) {
    return std::normal_distribution<double>(0.0, sigma)(random);
}

// A value a few units in the last place above 1 (below 1 for negative steps).
double UlpsFromOne(int steps) {
    double v = 1.0;
    for (int k = 0; k < std::abs(steps); ++k) {
        v = std::nextafter(v, steps > 0 ? 2.0 : 0.0);
    }
    return v;
}

constexpr double kPi = 3.14159265358979323846;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Point OnCircle(double cx, double cy, double r, double t) {
    return {cx + r * std::cos(t), cy + r * std::sin(t)};
}

using R = std::mt19937;
using N = std::size_t;
const DiameterCase kCases[] = {
    {"uniformSquare", 3000,
     [](R& r, N, N) {
         return Point{Uniform(r, 0, 1000), Uniform(r, 0, 1000)};
     }},
    {"noisyRing", 4000,
     [](R& r, N, N) { return OnCircle(320, 240, 200 + Gauss(r, 0.5), Uniform(r, 0, 2 * kPi)); }},
    // Exact antipodal pairs: hundreds of near-ties.
    {"evenlySpacedCircle", 1000,
     [](R&, N i, N n) { return OnCircle(0, 0, 100, 2 * kPi * double(i) / double(n)); }},
    {"arcWithOutliers", 2000,
     [](R& r, N i, N) {
         return i % 10 == 0 ? Point{Uniform(r, -500, 500), Uniform(r, -500, 500)}
                            : OnCircle(0, 0, 150, Uniform(r, 0, kPi / 2));
     }},
    {"collinear", 2000,
     [](R& r, N, N) {
         const double t = Uniform(r, -50, 50);
         return Point{0.1 + 3.0 * t, 7.0 - 0.7 * t};
     }},
    // 40 x 40: many exactly equal distances.
    {"integerGrid", 1600,
     [](R&, N i, N) {
         return Point{double(i % 40), double(i / 40)};
     }},
    {"allEqual", 1000,
     [](R&, N, N) {
         return Point{12.5, -3.0};
     }},
    {"threePointsRepeated", 1500,
     [](R& r, N, N) {
         const Point corners[] = {{0, 0}, {10, 1}, {4, 9}};
         return corners[r() % 3];
     }},
    {"ulpApart", 500,
     [](R& r, N, N) {
         return Point{UlpsFromOne(int(r() % 8)), UlpsFromOne(-int(r() % 8))};
     }},
    {"tinyUnderflowingSquares", 800,
     [](R& r, N, N) {
         return Point{Uniform(r, -1, 1) * 1e-160, Uniform(r, -1, 1) * 1e-160};
     }},
    {"hugeOverflowingSquares", 800,
     [](R& r, N i, N) {
         return Point{Uniform(r, -1, 1) * (i % 100 == 0 ? 1e300 : 1e150),
                      Uniform(r, -1, 1) * 1e150};
     }},
    {"withNaNPoints", 1000,
     [](R& r, N i, N) {
         return Point{i % 7 == 0 ? kNaN : Uniform(r, 0, 100),
                      i % 11 == 0 ? kNaN : Uniform(r, 0, 100)};
     }},
    {"withInfinitePoint", 300,
     [](R& r, N i, N) {
         return Point{i == 17 ? kInf : Uniform(r, 0, 9), Uniform(r, 0, 9)};
     }},
    {"fewPoints", 5,
     [](R& r, N, N) {
         return Point{Uniform(r, 0, 9), Uniform(r, 0, 9)};
     }},
};

constexpr unsigned kSeeds[] = {1u, 2u, 3u};

void PrintTo(const DiameterCase& c, std::ostream* os) {
    *os << c.name;
}

class PointSetDiameter : public ::testing::TestWithParam<DiameterCase> {};

TEST_P(PointSetDiameter, EqualsTheDefinitionBitForBit) {
    const DiameterCase& c = GetParam();
    for (unsigned seed : kSeeds) {
        std::mt19937 random(seed);
        std::vector<double> x;
        std::vector<double> y;
        for (std::size_t i = 0; i < c.count; ++i) {
            const Point p = c.point(random, i, c.count);
            x.push_back(p.x);
            y.push_back(p.y);
        }
        const double expected = DefinitionValue(x, y);
        const double fast = circlefit::LargestSquaredDistance(x.data(), y.data(), x.size());
        EXPECT_TRUE(SameBits(fast, expected))
            << c.name << ", seed " << seed << ": " << fast << " vs " << expected;

        const OCircleFit_Data points(x.size(), x.data(), y.data());
        EXPECT_TRUE(SameBits(points.GetMaxDist(), std::sqrt(expected)))
            << c.name << ", seed " << seed << ": EvalMaxDist";
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, PointSetDiameter, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DiameterCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(PointSetDiameterEdges, FewerThanTwoPointsHaveNone) {
    const double one = 4.0;
    EXPECT_EQ(circlefit::LargestSquaredDistance(nullptr, nullptr, 0), 0.0);
    EXPECT_EQ(circlefit::LargestSquaredDistance(&one, &one, 1), 0.0);
}

}  // namespace
