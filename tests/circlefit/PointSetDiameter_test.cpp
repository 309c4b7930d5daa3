// The fast diameter against its definition, bit for bit, on point sets chosen to stress the
// pruning: ties, duplicates, collinear points, rounding-sized differences, overflow, NaN.

#include "circlefit/PointSetDiameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "circlefit/OCircleFit.h"
#include "foundation/Angles.h"

namespace {

// The definition, written out here independently of the library: the largest
// (xi - xj)^2 + (yi - yj)^2 over all pairs, NaN never winning, 0 below two points.
double DefinitionValue(const std::vector<double>& x, const std::vector<double>& y) {
    double best = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        for (std::size_t j = 0; j < x.size(); ++j) {
            const double value = (x[i] - x[j]) * (x[i] - x[j]) + (y[i] - y[j]) * (y[i] - y[j]);
            best = value > best ? value : best;
        }
    }
    return best;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

using angles::kPi;
constexpr std::size_t kPoints = 1500;

TEST(PointSetDiameter, EqualsTheDefinitionBitForBit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    using Point = std::function<void(std::mt19937&, std::size_t i, double& x, double& y)>;
    const std::pair<const char*, Point> cases[] = {
        {"noisy ring",
         [](auto& r, std::size_t, double& x, double& y) {
             const double t = std::uniform_real_distribution<double>(0, 2 * kPi)(r);
             const double radius = 200 + std::normal_distribution<double>(0, 0.5)(r);
             x = 320 + radius * std::cos(t), y = 240 + radius * std::sin(t);
         }},
        {"evenly spaced circle (antipodal ties)",
         [](auto&, std::size_t i, double& x, double& y) {
             x = 100 * std::cos(2 * kPi * i / kPoints), y = 100 * std::sin(2 * kPi * i / kPoints);
         }},
        {"three corners repeated",
         [](auto& r, std::size_t, double& x, double& y) {
             const unsigned k = r() % 3;
             x = k == 0 ? 0 : k == 1 ? 10 : 4, y = k == 0 ? 0 : k == 1 ? 1 : 9;
         }},
        {"units in the last place apart",
         [](auto& r, std::size_t, double& x, double& y) {
             x = 1.0 + (r() % 8) * std::numeric_limits<double>::epsilon(), y = 1.0;
         }},
        {"overflowing squares",
         [](auto& r, std::size_t i, double& x, double& y) {
             const double u = std::uniform_real_distribution<double>(-1, 1)(r);
             x = u * (i % 100 == 0 ? 1e300 : 1e150), y = -u * 1e150;
         }},
        {"NaN and infinite points",
         [nan](auto& r, std::size_t i, double& x, double& y) {
             x = i % 7 == 0 ? nan : i == 17 ? HUGE_VAL : double(r() % 100), y = double(r() % 50);
         }},
    };
    for (const auto& [name, point] : cases) {
        std::mt19937 random(1u);
        std::vector<double> x(kPoints), y(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            point(random, i, x[i], y[i]);
        }
        const double expected = DefinitionValue(x, y);
        const double fast = circlefit::LargestSquaredDistance(x.data(), y.data(), kPoints);
        EXPECT_TRUE(SameBits(fast, expected)) << name << ": " << fast;
        const OCircleFit_Data points(kPoints, x.data(), y.data());
        EXPECT_TRUE(SameBits(points.GetMaxDist(), std::sqrt(expected))) << name;
    }
    const double one = 4.0;
    EXPECT_EQ(circlefit::LargestSquaredDistance(nullptr, nullptr, 0), 0.0);
    EXPECT_EQ(circlefit::LargestSquaredDistance(&one, &one, 1), 0.0);
}

}  // namespace
