// Fuzz target: edgemeasure's job-file parser on arbitrary text.
//
// Rules that hold for every input: ParseJsonText and ParseJob answer a job or throw ToolError,
// never another exception or a crash; a message names its place; a job they answer has at least
// one measurement, each named, and every coordinate within the limits.

#include <cmath>
#include <cstdint>
#include <string>
#include <variant>

#include "FuzzInput.h"
#include "job/JobParser.h"
#include "job/JsonText.h"
#include "job/ToolError.h"

namespace {

bool Within(const Point2& p) {
    return std::fabs(p.x) <= kMaxCoordinate && std::fabs(p.y) <= kMaxCoordinate;
}

bool Valid(const MeasurementSetup& m) {
    if (m.name.empty()) {
        return false;
    }
    return std::visit(
        [](const auto& layout) {
            using T = std::decay_t<decltype(layout)>;
            if constexpr (std::is_same_v<T, ArcLayout> || std::is_same_v<T, RadialLayout>) {
                return Within(layout.center);
            } else {
                return Within(layout.from) && Within(layout.to);
            }
        },
        m.layout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Job job = ParseJob(ParseJsonText(text, "fuzz.json"), "fuzz.json");
        FuzzRequire(!job.measurements.empty(), "a job without measurements");
        for (const MeasurementSetup& m : job.measurements) {
            FuzzRequire(Valid(m), "a measurement without a name or outside the coordinate limit");
        }
    } catch (const ToolError& error) {
        FuzzRequire(std::string(error.what()).rfind("fuzz.json", 0) == 0,
                    "a message that does not name its source first");
    }
    return 0;
}
