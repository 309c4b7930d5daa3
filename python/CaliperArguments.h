#pragma once
// What the caliper calls (CaliperBindings.cpp, CaliperArrays.cpp) and the metrology tools share:
// the checks of settings and regions that raise ValueError before the library sees them, keyword
// overrides of a settings object, arc angles in degrees, and the library's statuses that mean an
// invalid argument.
//
// The module's rule for "false" answers (docs/PYTHON.md) applied to calipers: a region or
// settings the library would refuse (OCaliperStatus::BadRegion, BadSettings) raise ValueError; a
// caliper that measured and found nothing, or lies (partly) outside the image, answers an empty
// result whose status says why.

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "caliper/OCaliperRegion.h"
#include "caliper/OCaliperResult.h"
#include "caliper/OCaliperSettings.h"

namespace pybinding {

// Arc angles come from Python in degrees (as for the circle paths); the library takes radians.
// Dividing by 180 first keeps whole half turns exact (360 degrees is exactly 2 pi).
inline double RadiansFromDegrees(double degrees) {
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kHalfTurnDegrees = 180.0;
    return degrees / kHalfTurnDegrees * kPi;
}

// Raise ValueError naming `what` unless the value is finite (and, for the second, positive);
// `where` starts the message (a caliper of many: "caliper 7: ").
void CheckFiniteValue(double value, const char* what, const std::string& where = "");
void CheckPositive(double value, const char* what, const std::string& where = "");

// Raise ValueError for a setting out of the library's range, with the range in the message.
void CheckSigma(double sigma);
void CheckThreshold(double threshold);
void CheckOrdinal(int n);
void CheckWidthRange(double minWidth, double maxWidth);
// A pair's known blur: finite and >= 0 (ValueError).
void CheckBlur(double blur);
void CheckEdgeSettings(const OCaliperEdgeSettings& settings);
void CheckPairSettings(const OCaliperPairSettings& settings);

// Raise ValueError for a region that can never be measured: coordinates not finite, a zero
// length or sweep, a width or step that is not positive.
void CheckRegion(const OCaliperLine& region, const std::string& where = "");
void CheckRegion(const OCaliperArc& region);

// Raise ValueError when the library refused the region or the settings (what CheckRegion and the
// settings' checks cannot see: more samples than a caliper takes, a sigma too large for the
// caliper's length); `where` names the caliper in the message ("" for a single one).
void RaiseIfRefused(OCaliperStatus status, const std::string& where);

// Keyword arguments that override single fields of an edge or pair settings object (or of the
// defaults): None leaves a field as it is.
struct EdgeOverrides {
    std::optional<double> sigma;
    std::optional<double> threshold;
    std::optional<OCaliperPolarity> polarity;
    std::optional<OCaliperSelection> selection;
    std::optional<int> n;
    // The settings with the overrides applied, checked.
    OCaliperEdgeSettings Apply(const std::optional<OCaliperEdgeSettings>& base) const;
};

struct PairOverrides {
    std::optional<double> sigma;
    std::optional<double> threshold;
    std::optional<OCaliperPolarity> firstPolarity;
    std::optional<OCaliperPolarity> secondPolarity;
    std::optional<double> minWidth;
    std::optional<double> maxWidth;
    std::optional<OCaliperPairSelection> selection;
    std::optional<double> blur;
    OCaliperPairSettings Apply(const std::optional<OCaliperPairSettings>& base) const;
};

}  // namespace pybinding
