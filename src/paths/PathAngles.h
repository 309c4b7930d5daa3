#pragma once
// Angles shared by the paths' geometry and overlays (internal: no public header includes it).
//
// Directions are folded into half a turn so that text drawn along a path never stands upside
// down: the angle across a text line lies in [0, pi], and the text line itself, a quarter turn
// back, points to non-negative x. Escapements are tenths of a degree, counter-clockwise on
// screen while image y grows downwards, hence the sign.

#include "foundation/FixedPoint.h"
#include "foundation/OVector.h"

namespace pathangles {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kTenthsPerDegree = 10.0;
constexpr double kRoundingHalf = 0.5;

// The angle moved into [0, pi] by whole half turns (an angle that is not a number stays so).
inline double FoldIntoHalfTurn(double angle) {
    while (angle < 0.0) {
        angle += kPi;
    }
    while (angle > kPi) {
        angle += -kPi;
    }
    return angle;
}

// The unit vector (one pixel long) at an angle in radians.
inline OVector UnitVectorAt(double angleRad) {
    return OVector(angleRad).Normalize();
}

// The escapement of text along a text line at this angle: the 0.5 is added before the sign is
// turned and the result truncated, so a vertical line gives 899, not 900.
inline int EscapementOf(double textLineAngle) {
    return fixedpoint::TruncateToInt(
        -(textLineAngle * kTenthsPerDegree * kDegreesPerRadian + kRoundingHalf));
}

}  // namespace pathangles
