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

using Generator =
    std::function<void(std::mt19937&, std::size_t, std::vector<double>&, std::vector<double>&)>;

struct DiameterCase {
    const char* name;
    std::size_t count;
    Generator generate;
};

double Uniform(std::mt19937& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}

constexpr double kPi = 3.14159265358979323846;

const DiameterCase kCases[] = {
    {"uniformSquare", 3000,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(Uniform(r, 0.0, 1000.0));
             y.push_back(Uniform(r, 0.0, 1000.0));
         }
     }},
    {"noisyRing", 4000,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         std::normal_distribution<double> noise(0.0, 0.5);
         for (std::size_t i = 0; i < n; ++i) {
             const double t = Uniform(r, 0.0, 2.0 * kPi);
             const double radius = 200.0 + noise(r);
             x.push_back(320.0 + radius * std::cos(t));
             y.push_back(240.0 + radius * std::sin(t));
         }
     }},
    {"evenlySpacedCircle", 1000,  // exact antipodal pairs: hundreds of near-ties
     [](std::mt19937&, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             const double t = 2.0 * kPi * static_cast<double>(i) / static_cast<double>(n);
             x.push_back(100.0 * std::cos(t));
             y.push_back(100.0 * std::sin(t));
         }
     }},
    {"arcWithOutliers", 2000,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             if (i % 10 == 0) {
                 x.push_back(Uniform(r, -500.0, 500.0));
                 y.push_back(Uniform(r, -500.0, 500.0));
             } else {
                 const double t = Uniform(r, 0.0, kPi / 2.0);
                 x.push_back(150.0 * std::cos(t));
                 y.push_back(150.0 * std::sin(t));
             }
         }
     }},
    {"collinear", 2000,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             const double t = Uniform(r, -50.0, 50.0);
             x.push_back(0.1 + 3.0 * t);
             y.push_back(7.0 - 0.7 * t);
         }
     }},
    {"integerGrid", 1600,  // 40 x 40: many exactly equal distances
     [](std::mt19937&, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(static_cast<double>(i % 40));
             y.push_back(static_cast<double>(i / 40));
         }
     }},
    {"allEqual", 1000,
     [](std::mt19937&, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         x.assign(n, 12.5);
         y.assign(n, -3.0);
     }},
    {"threePointsRepeated", 1500,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         const double px[] = {0.0, 10.0, 4.0};
         const double py[] = {0.0, 1.0, 9.0};
         for (std::size_t i = 0; i < n; ++i) {
             const auto k = static_cast<std::size_t>(r() % 3);
             x.push_back(px[k]);
             y.push_back(py[k]);
         }
     }},
    {"ulpApart", 500,  // differences of a few units in the last place
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             double vx = 1.0;
             double vy = 1.0;
             for (unsigned k = r() % 8; k > 0; --k) {
                 vx = std::nextafter(vx, 2.0);
             }
             for (unsigned k = r() % 8; k > 0; --k) {
                 vy = std::nextafter(vy, 0.0);
             }
             x.push_back(vx);
             y.push_back(vy);
         }
     }},
    {"tinyUnderflowingSquares", 800,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(Uniform(r, -1.0, 1.0) * 1e-160);
             y.push_back(Uniform(r, -1.0, 1.0) * 1e-160);
         }
     }},
    {"hugeOverflowingSquares", 800,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(Uniform(r, -1.0, 1.0) * (i % 100 == 0 ? 1e300 : 1e150));
             y.push_back(Uniform(r, -1.0, 1.0) * 1e150);
         }
     }},
    {"withNaNPoints", 1000,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         const double nan = std::numeric_limits<double>::quiet_NaN();
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(i % 7 == 0 ? nan : Uniform(r, 0.0, 100.0));
             y.push_back(i % 11 == 0 ? nan : Uniform(r, 0.0, 100.0));
         }
     }},
    {"withInfinitePoint", 300,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(i == 17 ? std::numeric_limits<double>::infinity() : Uniform(r, 0.0, 9.0));
             y.push_back(Uniform(r, 0.0, 9.0));
         }
     }},
    {"fewPoints", 5,
     [](std::mt19937& r, std::size_t n, std::vector<double>& x, std::vector<double>& y) {
         for (std::size_t i = 0; i < n; ++i) {
             x.push_back(Uniform(r, 0.0, 9.0));
             y.push_back(Uniform(r, 0.0, 9.0));
         }
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
        c.generate(random, c.count, x, y);
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
