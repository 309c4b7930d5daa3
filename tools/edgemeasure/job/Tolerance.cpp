#include "job/Tolerance.h"

#include <cmath>

#include "foundation/Angles.h"

namespace {

// Nominal values and tolerance limits: far beyond any length in the largest image.
constexpr double kLimit = 1e9;

struct NamedQuantity {
    const char* name;
    Quantity quantity;
};

const NamedQuantity kQuantities[] = {
    {"diameter", Quantity::Diameter}, {"radius", Quantity::Radius}, {"center_x", Quantity::CenterX},
    {"center_y", Quantity::CenterY},  {"width", Quantity::Width},   {"angle", Quantity::Angle},
    {"position", Quantity::Position}, {"count", Quantity::Count},
};

bool Gives(const MeasurementSetup& setup, Quantity quantity) {
    const bool pair = setup.search.mode == SearchMode::Pair;
    switch (setup.kind) {
        case MeasurementKind::Circle:
            return quantity == Quantity::Diameter || quantity == Quantity::Radius ||
                   quantity == Quantity::CenterX || quantity == Quantity::CenterY;
        case MeasurementKind::Line:
            return quantity == Quantity::Angle;
        case MeasurementKind::Edges:
            break;
    }
    return pair ? quantity == Quantity::Width
                : quantity == Quantity::Position || quantity == Quantity::Count;
}

Quantity DefaultQuantity(const MeasurementSetup& setup) {
    switch (setup.kind) {
        case MeasurementKind::Circle:
            return Quantity::Diameter;
        case MeasurementKind::Line:
            return Quantity::Angle;
        case MeasurementKind::Edges:
            break;
    }
    if (setup.search.mode == SearchMode::Pair) {
        return Quantity::Width;
    }
    return setup.search.mode == SearchMode::All ? Quantity::Count : Quantity::Position;
}

Quantity ParseQuantity(const JsonFieldReader& m, const MeasurementSetup& setup) {
    if (!m.Has("quantity")) {
        return DefaultQuantity(setup);
    }
    const std::string name = m.String("quantity");
    for (const NamedQuantity& q : kQuantities) {
        if (name == q.name) {
            if (!Gives(setup, q.quantity)) {
                m.Fail("quantity", "this measurement gives no " + name);
            }
            return q.quantity;
        }
    }
    std::string names;
    for (const NamedQuantity& q : kQuantities) {
        if (Gives(setup, q.quantity)) {
            names += (names.empty() ? "" : ", ") + std::string(q.name);
        }
    }
    m.Fail("quantity", "'" + name + "' is not one of " + names);
}

}  // namespace

bool IsLength(Quantity quantity) {
    return quantity != Quantity::Angle && quantity != Quantity::Count;
}

std::optional<ToleranceSetup> ParseTolerance(const JsonFieldReader& m,
                                             const MeasurementSetup& setup) {
    const bool any = m.Has("nominal") || m.Has("tolerance") || m.Has("quantity") || m.Has("unit");
    if (!any) {
        return std::nullopt;
    }
    if (!m.Has("nominal") || !m.Has("tolerance")) {
        m.Fail(m.Has("nominal") ? "tolerance" : "nominal",
               "missing (\"nominal\" and \"tolerance\" come together)");
    }
    ToleranceSetup t;
    t.quantity = ParseQuantity(m, setup);
    t.nominal = m.Double("nominal", -kLimit, kLimit);
    const nlohmann::json& tolerance = m.Field("tolerance");
    if (tolerance.is_array()) {
        if (tolerance.size() != 2 || !tolerance[0].is_number() || !tolerance[1].is_number()) {
            m.Fail("tolerance", "expected a number (+-) or [lower, upper]");
        }
        t.lower = tolerance[0].get<double>();
        t.upper = tolerance[1].get<double>();
        if (!std::isfinite(t.lower) || !std::isfinite(t.upper) || t.lower > t.upper ||
            std::fabs(t.lower) > kLimit || std::fabs(t.upper) > kLimit) {
            m.Fail("tolerance", "expected [lower, upper] with lower <= upper");
        }
    } else {
        const double plusMinus = m.Double("tolerance", 0.0, kLimit);
        t.lower = -plusMinus;
        t.upper = plusMinus;
    }
    const std::string unit = m.Choice<std::string>("unit", {{"px", "px"}, {"mm", "mm"}}, "px");
    t.inMm = unit == "mm";
    if (t.inMm && !IsLength(t.quantity)) {
        m.Fail("unit", "only lengths are given in mm");
    }
    return t;
}

std::optional<double> QuantityValue(Quantity quantity, const MeasurementResult& r) {
    if (!r.ok) {
        return std::nullopt;
    }
    switch (quantity) {
        case Quantity::Diameter:
            return r.circle ? std::optional<double>(2.0 * r.circle->radius) : std::nullopt;
        case Quantity::Radius:
            return r.circle ? std::optional<double>(r.circle->radius) : std::nullopt;
        case Quantity::CenterX:
            return r.circle ? std::optional<double>(r.circle->center.x) : std::nullopt;
        case Quantity::CenterY:
            return r.circle ? std::optional<double>(r.circle->center.y) : std::nullopt;
        case Quantity::Width:
            return r.pair ? std::optional<double>(r.pair->distance) : std::nullopt;
        case Quantity::Angle:
            return r.line ? std::optional<double>(r.line->angle * angles::kDegreesPerRadian)
                          : std::nullopt;
        case Quantity::Position:
            return r.edges.empty() ? std::nullopt : std::optional<double>(r.edges.front().distance);
        case Quantity::Count:
            return static_cast<double>(r.edges.size());
    }
    return std::nullopt;
}

ToleranceVerdict Judge(const ToleranceSetup& setup, const MeasurementResult& result,
                       std::optional<double> mmPerPx) {
    ToleranceVerdict verdict;
    verdict.setup = setup;
    verdict.value = QuantityValue(setup.quantity, result);
    if (verdict.value && setup.inMm && mmPerPx) {
        // Centre coordinates in mm are measured from the image's top-left corner.
        *verdict.value *= *mmPerPx;
    }
    if (!verdict.value) {
        return verdict;
    }
    double deviation = *verdict.value - setup.nominal;
    if (setup.quantity == Quantity::Angle) {
        // A line's direction is defined modulo 180 degrees: the deviation is the smaller turn.
        deviation = std::remainder(deviation, angles::kFullTurnDegrees / 2.0);
    }
    verdict.deviation = deviation;
    verdict.pass = deviation >= setup.lower && deviation <= setup.upper;
    return verdict;
}

const char* QuantityName(Quantity quantity) {
    for (const NamedQuantity& q : kQuantities) {
        if (q.quantity == quantity) {
            return q.name;
        }
    }
    return "";
}

const char* UnitName(const ToleranceSetup& setup) {
    if (setup.quantity == Quantity::Angle) {
        return "deg";
    }
    if (setup.quantity == Quantity::Count) {
        return "";
    }
    return setup.inMm ? "mm" : "px";
}
