// The job parser and the command line of edgemeasure: what they accept, what they reject and how
// they say so.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "command/CommandLine.h"
#include "job/JobParser.h"
#include "job/PathLayout.h"
#include "job/ToolError.h"

namespace {

using nlohmann::json;

// A valid measurement that each rejection case spoils in one place.
json ValidMeasurement() {
    return json::parse(R"({
        "name": "hole", "kind": "circle",
        "radial": {"center": [100.5, 80.5], "inner": 10, "outer": 40, "count": 12},
        "transition": {"type": "band", "low": 0, "high": 120},
        "search": {"polarity": "leaving"},
        "fit": {"mode": 3, "filter": "stddev"}})");
}

// The message of the ToolError that `parse` throws, or "" when it accepts its input.
template <typename Parse>
std::string Problem(Parse parse) {
    try {
        parse();
    } catch (const ToolError& error) {
        return error.what();
    }
    return "";
}

std::string JobProblem(const json& document) {
    return Problem([&] { ParseJob(document, "job.json"); });
}

// Every rule of the job file, broken once; the message names the place and the problem.
TEST(JobParser, RejectionsNameThePlaceAndTheProblem) {
    const struct {
        const char* pointer;  // JSON pointer into the measurement
        json value;           // what is put there; null removes the field
        std::string message;  // after "job.json: measurements[0]"
    } cases[] = {
        {"/transition/low", 300, ".transition.low: 300 is outside 0..255"},
        {"/transition/low", 130, ".transition.low: must not be above high"},
        {"/transition/high", 12.5, ".transition.high: expected a whole number, found 12.5"},
        {"/transition/high", json::parse("18446744073709551615"),
         ".transition.high: 18446744073709551615 is outside 0..255"},
        {"/transition/type", "sobel",
         ".transition.type: 'sobel' is not one of band, deviation, signed-deviation, canny"},
        {"/transition", json{{"type", "signed-deviation"}, {"leave", -256}, {"enter", 20}},
         ".transition.leave: -256 is outside -255..255"},
        {"/radial/outer", 10, ".radial.outer: must be larger than inner"},
        {"/radial/center", json{1e9, 0},
         ".radial.center: [1000000000.0,0] has a coordinate outside -100000..100000"},
        {"/radial/outer", 50000, ".radial.outer: radial lines may be at most 46340 px long"},
        {"/nominal", 20, ".tolerance: missing (\"nominal\" and \"tolerance\" come together)"},
        {"/radial/center", {1, 2, 3}, ".radial.center: expected a point [x, y], found [1,2,3]"},
        {"/radial/count", nullptr, ".radial.count: missing"},
        {"/search/polarty", "leaving", ".search.polarty: unknown key"},
        {"/search/n", 2, ".search.n: is only used by the mode \"nth\""},
        {"/search", json{{"mode", "pair"}},
         ".search.mode: the pair search measures edges only (kind \"edges\")"},
        {"/fit/filter", "detsac", ".fit.filter: 'detsac' is not one of none, stddev"},
        {"/line", json{{"from", {0, 0}}, {"to", {5, 5}}},
         ": give exactly one path: \"line\", \"arc\", \"radial\" or \"parallel\""},
        {"/kind", "line", ".radial: radial lines measure a circle (kind \"circle\")"},
        {"/name", "", ".name: must not be empty"},
    };
    for (const auto& c : cases) {
        json measurement = ValidMeasurement();
        const json::json_pointer place{std::string(c.pointer)};
        if (c.value.is_null()) {
            measurement[place.parent_pointer()].erase(place.back());
        } else {
            measurement[place] = c.value;
        }
        EXPECT_EQ(JobProblem({{"measurements", json::array({measurement})}}),
                  "job.json: measurements[0]" + c.message)
            << c.pointer << " = " << c.value;
    }
    EXPECT_EQ(JobProblem(json::array()), "job.json: document: expected an object {...}, found []");
    EXPECT_EQ(JobProblem(json::object()), "job.json: measurements: missing");
    EXPECT_EQ(JobProblem({{"measurements", json::array()}}),
              "job.json: measurements: expected a non-empty array of measurements");
}

// A measurement uses calipers unless it names the path search or uses one of its keys; the
// calipers' keys are checked like any other, and keys of the other method are refused at their
// place.
TEST(JobParser, MethodsAndCaliperKeys) {
    const json line = {{"line", {{"from", {0, 5}}, {"to", {50, 5}}}}};
    const auto with = [&line](const json& extra) {
        json m = line;
        m.update(extra);
        return m;
    };
    const auto parse = [](const json& m) {
        return ParseMeasurement(m, "job.json", "measurements[0]", "m");
    };
    const json band = {{"type", "band"}, {"low", 0}, {"high", 100}};
    EXPECT_EQ(parse(line).method, MeasureMethod::Caliper);
    EXPECT_EQ(parse(with({{"transition", band}})).method, MeasureMethod::Path);
    EXPECT_EQ(parse(with({{"search", {{"polarity", "leaving"}}}})).method, MeasureMethod::Path);
    EXPECT_EQ(parse(with({{"method", "path"}})).method, MeasureMethod::Path);

    const MeasurementSetup all =
        parse(with({{"caliper", {{"width", 9}, {"sigma", 1.5}}},
                    {"search", {{"polarity", "rising"}, {"select", "all"}}}}));
    EXPECT_EQ(all.caliper.width, 9.0);
    EXPECT_EQ(all.caliper.sigma, 1.5);
    EXPECT_EQ(all.caliper.threshold, 10.0);
    EXPECT_EQ(all.caliper.polarity, OCaliperPolarity::Rising);
    EXPECT_EQ(all.search.mode, SearchMode::All) << "tolerances judge the count";
    const MeasurementSetup pair =
        parse(with({{"search", {{"mode", "pair"}, {"first", {{"polarity", "rising"}}}}}}));
    EXPECT_EQ(pair.search.mode, SearchMode::Pair);
    EXPECT_EQ(pair.caliper.firstPolarity, OCaliperPolarity::Rising);
    EXPECT_EQ(pair.caliper.secondPolarity, OCaliperPolarity::Rising);

    const struct {
        json measurement;
        std::string message;  // after "job.json: measurements[0]"
    } cases[] = {
        {with({{"method", "caliper"}, {"subpixel", true}}),
         ".subpixel: a key of the path search, but this measurement uses calipers"},
        {with({{"transition", band}, {"caliper", {{"width", 5}}}}),
         ".caliper: a key of the calipers beside the path search's \"transition\": give "
         "\"method\" (\"caliper\" or \"path\")"},
        {with({{"method", "path"}, {"search", {{"select", "first"}}}}),
         ".search.select: a key of the calipers, but this measurement searches paths"},
        {with({{"method", "calipers"}}), ".method: 'calipers' is not one of caliper, path"},
        {with({{"caliper", {{"width", 0}}}}), ".caliper.width: must be above 0"},
        {with({{"caliper", {{"sigma", 300}}}}), ".caliper.sigma: 300 is outside 0..256"},
        {with({{"caliper", {{"blur", -1}}}}), ".caliper.blur: -1 is outside 0..256"},
        {with({{"caliper", {{"thresh", 1}}}}), ".caliper.thresh: unknown key"},
        {with({{"search", {{"polarity", "up"}}}}),
         ".search.polarity: 'up' is not one of rising, falling, any"},
        {with({{"search", {{"select", "middle"}}}}),
         ".search.select: 'middle' is not one of first, last, strongest, all"},
        {json{{"kind", "circle"},
              {"radial", {{"center", {9, 9}}, {"inner", 1}, {"outer", 5}, {"count", 3}}},
              {"search", {{"mode", "pair"}}}},
         ".search.mode: a pair measures edges only (kind \"edges\")"},
    };
    for (const auto& c : cases) {
        const std::string problem = JobProblem({{"measurements", json::array({c.measurement})}});
        EXPECT_EQ(problem.rfind("job.json: measurements[0]" + c.message, 0), 0u) << problem;
    }
}

// The command line writes its options as the measurement of a job file, which the job parser
// then checks like any other.
TEST(CommandLine, OptionsBecomeTheMeasurementOfAJobFile) {
    EXPECT_EQ(ParseCommandLine({"measure", "a.png", "--radial", "100.5,80.5,10,40,12", "--name",
                                "hole", "--transition=band:0,120", "--polarity", "leaving",
                                "--filter", "stddev", "--fit-mode", "3"})
                  .inlineMeasurement,
              ValidMeasurement());
    EXPECT_EQ(ParseCommandLine({"measure", "--line", "0,5,50,5", "--search", "pair", "--polarity",
                                "leaving", "--polarity2", "entering", "--min-distance", "2"})
                  .inlineMeasurement,
              json::parse(R"({"line": {"from": [0, 5], "to": [50, 5]}, "search": {"mode": "pair",
                  "first": {"min_distance": 2, "polarity": "leaving"},
                  "second": {"min_distance": 2, "polarity": "entering"}}})"));
    EXPECT_EQ(ParseCommandLine({"measure", "--line", "0,5,50,5", "--caliper-width", "9", "--sigma",
                                "1.5", "--threshold", "20", "--select", "first", "--polarity",
                                "rising", "--method", "caliper"})
                  .inlineMeasurement,
              json::parse(R"({"line": {"from": [0, 5], "to": [50, 5]}, "method": "caliper",
                  "caliper": {"width": 9, "sigma": 1.5, "threshold": 20},
                  "search": {"select": "first", "polarity": "rising"}})"));
}

TEST(CommandLine, RejectionsSayWhichOptionIsWrong) {
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{}, "no command given (see edgemeasure --help)"},
        {{"mesure"}, "unknown command 'mesure' (see edgemeasure --help)"},
        {{"measure", "a.png"},
         "nothing to measure: give --job FILE or a path (--line, --arc, --radial, --parallel)"},
        {{"measure", "--lines", "1,2,3,4"},
         "--lines: unknown option (see edgemeasure measure --help)"},
        {{"measure", "--line"}, "--line: needs a value"},
        {{"measure", "--line", "1,2,3"}, "--line: expects X0,Y0,X1,Y1, got '1,2,3'"},
        {{"measure", "--line", "1,2,x,4"}, "--line: 'x' is not a number"},
        {{"measure", "--line", "1,2,3,4", "--arc", "5,5,3"},
         "--arc: only one path per command line (already given: --line); use a job file for "
         "several measurements"},
        {{"measure", "--job", "j.json", "--line", "1,2,3,4"},
         "--job: a job file cannot be combined with path, search or fit options"},
        {{"measure", "--line", "1,2,3,4", "--transition", "band:0,300"},
         "command line: transition.high: 300 is outside 0..255"},
        {{"measure", "--line", "1,2,3,4", "--transition", "step:1"},
         "--transition: 'step' is not one of band, deviation, signed-deviation, canny"},
        {{"demo", "a", "b"}, "demo: takes at most one folder"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Problem([&] { BuildJob(ParseCommandLine(c.arguments)); }), c.message);
    }
}

// Distances along an arc count from its start in the sense of its sweep, across the angle where
// atan2 jumps from +180 to -180 degrees, whether the angle is given (a refined edge's, which may
// run past a full turn) or taken from the point; a point a rounding error before the start is at
// the start, not a turn later.
TEST(PathLayout, DistancesAlongArcsCountFromTheirStart) {
    constexpr double kRadius = 50.0;
    constexpr double kDegree = 3.141592653589793 / 180.0;
    const auto on = [](const ArcLayout& arc, double deg) {
        return Point2{arc.center.x + kRadius * std::cos(deg * kDegree),
                      arc.center.y + kRadius * std::sin(deg * kDegree)};
    };
    const ArcLayout across{{100.0, 100.0}, kRadius, 170.0, 40.0};
    const ArcLayout back{{100.0, 100.0}, kRadius, 10.0, -40.0};
    const struct {
        const ArcLayout& arc;
        double pointDeg;
        std::optional<double> angleRad;
        double expectedDeg;
    } cases[] = {
        {across, 200.0, std::nullopt, 30.0},    {across, 170.0 - 1e-7, std::nullopt, 0.0},
        {across, 185.0, 185.0 * kDegree, 15.0}, {back, -20.0, std::nullopt, 30.0},
        {back, 10.0, std::nullopt, 0.0},        {across, 0.0, 530.0 * kDegree, 360.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(DistanceAlong(c.arc, on(c.arc, c.pointDeg), c.angleRad),
                    c.expectedDeg * kDegree * kRadius, 1e-4)
            << c.arc.startDeg << " + " << c.pointDeg;
    }
    const LineLayout line{{10.0, 10.0}, {40.0, 50.0}};  // 3-4-5, 50 px
    EXPECT_NEAR(DistanceAlong(line, {25.0 + 8.0, 30.0 - 6.0}, std::nullopt), 25.0, 1e-12);
}

}  // namespace
