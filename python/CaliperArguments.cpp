#include "CaliperArguments.h"

#include <cmath>

namespace py = pybind11;

namespace pybinding {
namespace {

std::string Text(double value) {
    return std::string(py::repr(py::float_(value)));
}

}  // namespace

void CheckFiniteValue(double value, const char* what, const std::string& where) {
    if (!std::isfinite(value)) {
        throw py::value_error(where + what + " must be a finite number, got " + Text(value));
    }
}

void CheckPositive(double value, const char* what, const std::string& where) {
    if (!(value > 0.0) || !std::isfinite(value)) {
        throw py::value_error(where + what + " must be a finite number above 0, got " +
                              Text(value));
    }
}

void CheckSigma(double sigma) {
    if (!(sigma > 0.0 && sigma <= OCaliperEdgeSettings::kMaxSigma)) {
        throw py::value_error("sigma must lie in (0, 256] pixels, got " + Text(sigma));
    }
}

void CheckThreshold(double threshold) {
    if (!(threshold >= 0.0) || !std::isfinite(threshold)) {
        throw py::value_error(
            "threshold must be a finite number >= 0 (grey levels per pixel), got " +
            Text(threshold));
    }
}

void CheckOrdinal(int n) {
    if (n < 1) {
        throw py::value_error("n counts edges from 1 (the first along the axis), got " +
                              std::to_string(n));
    }
}

void CheckWidthRange(double minWidth, double maxWidth) {
    if (!(minWidth >= 0.0 && maxWidth >= minWidth) || std::isinf(minWidth)) {
        throw py::value_error(
            "the pair width range must satisfy 0 <= min_width <= max_width "
            "(max_width may be inf), got " +
            Text(minWidth) + ".." + Text(maxWidth));
    }
}

void CheckEdgeSettings(const OCaliperEdgeSettings& s) {
    CheckSigma(s.sigma);
    CheckThreshold(s.threshold);
    CheckOrdinal(s.n);
}

void CheckBlur(double blur) {
    if (!(blur >= 0.0) || std::isinf(blur)) {
        throw py::value_error("blur must be a finite number of pixels >= 0 (0: not known), got " +
                              Text(blur));
    }
}

void CheckPairSettings(const OCaliperPairSettings& s) {
    CheckSigma(s.sigma);
    CheckThreshold(s.threshold);
    CheckWidthRange(s.minWidth, s.maxWidth);
    CheckBlur(s.blur);
}

void CheckRegion(const OCaliperLine& r, const std::string& where) {
    CheckFiniteValue(r.startX, "start x", where);
    CheckFiniteValue(r.startY, "start y", where);
    CheckFiniteValue(r.endX, "end x", where);
    CheckFiniteValue(r.endY, "end y", where);
    CheckPositive(r.width, "width", where);
    CheckPositive(r.step, "step", where);
    if (r.startX == r.endX && r.startY == r.endY) {
        throw py::value_error(where + "a line caliper needs start and end apart, got both at (" +
                              Text(r.startX) + ", " + Text(r.startY) + ")");
    }
}

void CheckRegion(const OCaliperArc& r) {
    CheckFiniteValue(r.centerX, "center x");
    CheckFiniteValue(r.centerY, "center y");
    CheckPositive(r.radius, "radius");
    CheckFiniteValue(r.startAngle, "start_angle");
    CheckFiniteValue(r.sweep, "sweep");
    if (r.sweep == 0.0) {
        throw py::value_error("an arc caliper needs a sweep other than 0");
    }
    CheckPositive(r.width, "width");
    CheckPositive(r.step, "step");
}

void RaiseIfRefused(OCaliperStatus status, const std::string& where) {
    // The checks above leave the library one reason for each refusal.
    if (status == OCaliperStatus::BadSettings) {
        throw py::value_error(where +
                              "sigma is too large for the caliper: the derivative filter reaches "
                              "4 sigma to either side of an edge and must fit within its length");
    }
    if (status == OCaliperStatus::BadRegion) {
        throw py::value_error(where +
                              "the caliper has more samples than one caliper takes (length / step "
                              "above 2^20, or that times ceil(width) above 2^22)");
    }
}

OCaliperEdgeSettings EdgeOverrides::Apply(const std::optional<OCaliperEdgeSettings>& base) const {
    OCaliperEdgeSettings s = base.value_or(OCaliperEdgeSettings());
    s.sigma = sigma.value_or(s.sigma);
    s.threshold = threshold.value_or(s.threshold);
    s.polarity = polarity.value_or(s.polarity);
    s.selection = selection.value_or(s.selection);
    s.n = n.value_or(s.n);
    CheckEdgeSettings(s);
    return s;
}

OCaliperPairSettings PairOverrides::Apply(const std::optional<OCaliperPairSettings>& base) const {
    OCaliperPairSettings s = base.value_or(OCaliperPairSettings());
    s.sigma = sigma.value_or(s.sigma);
    s.threshold = threshold.value_or(s.threshold);
    s.firstPolarity = firstPolarity.value_or(s.firstPolarity);
    s.secondPolarity = secondPolarity.value_or(s.secondPolarity);
    s.minWidth = minWidth.value_or(s.minWidth);
    s.maxWidth = maxWidth.value_or(s.maxWidth);
    s.selection = selection.value_or(s.selection);
    s.blur = blur.value_or(s.blur);
    CheckPairSettings(s);
    return s;
}

}  // namespace pybinding
