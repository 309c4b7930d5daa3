#pragma once
// Angles: edgemeasure works in radians and speaks degrees in jobs and reports (arc angles,
// line directions); these are the constants and conversions, defined once.

constexpr double kPi = 3.141592653589793;
constexpr double kFullTurnRad = 2.0 * kPi;
constexpr double kFullTurnDeg = 360.0;
constexpr double kDegreesPerRadian = kFullTurnDeg / kFullTurnRad;

inline double RadiansFromDegrees(double degrees) {
    return degrees / kDegreesPerRadian;
}
