#pragma once
// Point sets for the circle-fit tests, built from their definition: points on a known circle in
// the pair of lists the fits take.

#include <cmath>
#include <cstdint>

#include "foundation/Angles.h"
#include "foundation/OFastArrayList.h"

namespace circletest {

using angles::kPi;
// A sigma for initial guesses that every first step of a fit beats.
constexpr double kLargeSigma = 1e10;

// Two coordinate lists of a fixed capacity, filled point by point.
struct PointLists {
    explicit PointLists(std::int64_t capacity) : x(capacity), y(capacity) {}

    void Add(double px, double py) {
        x.Add(px);
        y.Add(py);
    }

    OFastArrayList<double> x;
    OFastArrayList<double> y;
};

struct TrueCircle {
    double x;
    double y;
    double r;
};

// count points evenly spaced on an arc from startDeg over sweepDeg (the end excluded, so a full
// circle has no duplicate).
inline void AddArc(PointLists& points, const TrueCircle& c, double startDeg, double sweepDeg,
                   int count) {
    for (int i = 0; i < count; ++i) {
        const double t = (startDeg + sweepDeg * i / count) * kPi / 180.0;
        points.Add(c.x + c.r * std::cos(t), c.y + c.r * std::sin(t));
    }
}

}  // namespace circletest
