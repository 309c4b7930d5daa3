#pragma once
// Point sets for the circle-fit tests, built from their definition: points on a known circle,
// optionally with noise, in the pair of lists the fits take.

#include <cmath>
#include <cstdint>
#include <random>

#include "foundation/OFastArrayList.h"

namespace circletest {

constexpr double kPi = 3.14159265358979323846;
// A sigma for initial guesses that every first step of a fit beats.
constexpr double kLargeSigma = 1e10;

// Two coordinate lists of a fixed capacity, filled point by point.
struct PointLists {
    explicit PointLists(std::int64_t capacity) : x(capacity), y(capacity) {}

    void Add(double px, double py) {
        x.Add(px);
        y.Add(py);
    }
    std::int64_t Count() const { return x.GetCount(); }

    OFastArrayList<double> x;
    OFastArrayList<double> y;
};

struct TrueCircle {
    double x;
    double y;
    double r;
};

// count points evenly spaced on an arc from startDeg over sweepDeg (the end excluded, so a full
// circle has no duplicate), each moved radially by a Gaussian of the given sigma.
inline void AddArc(PointLists& points, const TrueCircle& c, double startDeg, double sweepDeg,
                   int count, double noiseSigma = 0.0, unsigned seed = 1u) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseSigma > 0.0 ? noiseSigma : 1.0);
    for (int i = 0; i < count; ++i) {
        const double t = (startDeg + sweepDeg * i / count) * kPi / 180.0;
        const double r = c.r + (noiseSigma > 0.0 ? noise(random) : 0.0);
        points.Add(c.x + r * std::cos(t), c.y + r * std::sin(t));
    }
}

}  // namespace circletest
