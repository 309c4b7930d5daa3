#pragma once
// Angles: pi and the conversions between radians, degrees and tenths of a degree, defined once for
// the library and for the programs built on it.
//
// Angles are radians in double unless a name says otherwise. Image y grows downwards, so a
// positive angle turns from +x towards +y, which is clockwise on screen. Text escapements are
// tenths of a degree.
//
//   double sweep = angles::RadiansFromDegrees(90.0);    // pi / 2
//   double folded = angles::FoldIntoHalfTurn(-0.5);     // pi - 0.5

namespace angles {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = kPi / 2;  // exact: a division by two
constexpr double kTwoPi = 2 * kPi;   // exact
static_assert(kHalfPi == 1.5707963267948966 && kTwoPi == 6.283185307179586, "pi / 2 and 2 pi");

constexpr double kFullTurnDegrees = 360.0;
constexpr double kTenthsPerDegree = 10.0;
// 180 / pi and pi / 180, each rounded once to the nearest double.
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;

// Radians from degrees by the division through kDegreesPerRadian, and back. (The circle paths
// convert their degrees by the product with kRadiansPerDegree, which can differ in the last bit.)
constexpr double RadiansFromDegrees(double degrees) {
    return degrees / kDegreesPerRadian;
}
constexpr double DegreesFromRadians(double radians) {
    return radians * kDegreesPerRadian;
}

// The angle moved into [0, pi] by whole half turns (an angle that is not a number stays so): the
// direction across a text line, whose text then never stands upside down.
inline double FoldIntoHalfTurn(double angle) {
    while (angle < 0.0) {
        angle += kPi;
    }
    while (angle > kPi) {
        angle += -kPi;
    }
    return angle;
}

}  // namespace angles
