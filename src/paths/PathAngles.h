#pragma once
// Angles of the paths' geometry and overlays (internal: no public header includes it): unit
// vectors along a direction and the escapement of text along a text line. Pi and the folding of
// directions into half a turn are in foundation/Angles.h.
//
// Directions are folded into half a turn so that text drawn along a path never stands upside
// down: the angle across a text line lies in [0, pi], and the text line itself, a quarter turn
// back, points to non-negative x. Escapements are tenths of a degree, counter-clockwise on
// screen while image y grows downwards, hence the sign.

#include "foundation/Angles.h"
#include "foundation/FixedPoint.h"
#include "foundation/OVector.h"

namespace pathangles {

// The unit vector (one pixel long) at an angle in radians.
inline OVector UnitVectorAt(double angleRad) {
    return OVector(angleRad).Normalize();
}

// The escapement of text along a text line at this angle: the half is added before the sign is
// turned and the result truncated, so a vertical line gives 899, not 900.
inline int EscapementOf(double textLineAngle) {
    return fixedpoint::TruncateToInt(
        -fixedpoint::AddHalf(textLineAngle * angles::kTenthsPerDegree * angles::kDegreesPerRadian));
}

}  // namespace pathangles
