// The job parser and the command line of edgemeasure: what they accept, what they reject and how
// they say so.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "JobParser.h"
#include "PathLayout.h"
#include "ToolError.h"

namespace {

using nlohmann::json;

constexpr double kTolerance = 1e-9;

// A valid measurement that each rejection case spoils in one place.
json ValidMeasurement() {
    return json::parse(R"({
        "name": "hole", "kind": "circle",
        "radial": {"center": [100.5, 80.5], "inner": 10, "outer": 40, "count": 12},
        "transition": {"type": "band", "low": 0, "high": 120},
        "search": {"mode": "first", "polarity": "leaving"},
        "fit": {"mode": 3, "filter": "stddev"}})");
}

json JobWith(const json& measurement) {
    return {{"measurements", json::array({measurement})}};
}

// The message of the ToolError that parsing throws, or "" when it accepts the job.
std::string ParseProblem(const json& document) {
    try {
        ParseJob(document, "job.json");
    } catch (const ToolError& error) {
        return error.what();
    }
    return "";
}

struct RejectCase {
    const char* name;
    const char* pointer;  // JSON pointer into the measurement ("" for the whole job)
    json value;           // what is put there; null removes the field
    const char* message;  // the expected message (whole)
};

// Test listings show the case by its name.
void PrintTo(const RejectCase& c, std::ostream* out) {
    *out << c.name;
}

class JobRejection : public ::testing::TestWithParam<RejectCase> {};

TEST_P(JobRejection, NamesThePlaceAndTheProblem) {
    const RejectCase& c = GetParam();
    json measurement = ValidMeasurement();
    const json::json_pointer place{std::string(c.pointer)};
    if (c.value.is_null()) {
        measurement[place.parent_pointer()].erase(place.back());
    } else {
        measurement[place] = c.value;
    }
    EXPECT_EQ(ParseProblem(JobWith(measurement)), c.message) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobRejection,
    ::testing::Values(
        RejectCase{"BandLowAbove255", "/transition/low", 300,
                   "job.json: measurements[0].transition.low: 300 is outside 0..255"},
        RejectCase{"BandLowAboveHigh", "/transition/low", 130,
                   "job.json: measurements[0].transition.low: must not be above high"},
        RejectCase{"BandHighNegative", "/transition/high", -1,
                   "job.json: measurements[0].transition.high: -1 is outside 0..255"},
        RejectCase{
            "BandNotWhole", "/transition/high", 12.5,
            "job.json: measurements[0].transition.high: expected a whole number, found 12.5"},
        RejectCase{"HugeInteger", "/transition/high", json::parse("18446744073709551615"),
                   "job.json: measurements[0].transition.high: 18446744073709551615 is outside "
                   "0..255"},
        RejectCase{"UnknownTransition", "/transition/type", "sobel",
                   "job.json: measurements[0].transition.type: 'sobel' is not one of band, "
                   "deviation, signed-deviation, canny"},
        RejectCase{"DepthZero", "/transition",
                   json{{"type", "deviation"}, {"leave", 5}, {"enter", 20}, {"depth", 0}},
                   "job.json: measurements[0].transition.depth: 0 is outside 1..10"},
        RejectCase{"SignedBelowRange", "/transition",
                   json{{"type", "signed-deviation"}, {"leave", -256}, {"enter", 20}},
                   "job.json: measurements[0].transition.leave: -256 is outside -255..255"},
        RejectCase{"CannyThresholdZero", "/transition", json{{"type", "canny"}, {"threshold", 0}},
                   "job.json: measurements[0].transition.threshold: 0 is outside 1..255"},
        RejectCase{"CountZero", "/radial/count", 0,
                   "job.json: measurements[0].radial.count: 0 is outside 1..1000"},
        RejectCase{"OuterNotBeyondInner", "/radial/outer", 10,
                   "job.json: measurements[0].radial.outer: must be larger than inner"},
        RejectCase{"CentreFarOutside", "/radial/center", json::array({1e9, 0}),
                   "job.json: measurements[0].radial.center: [1000000000.0,0] has a coordinate "
                   "outside -20000..20000"},
        RejectCase{"CentreNotAPoint", "/radial/center", json::array({1, 2, 3}),
                   "job.json: measurements[0].radial.center: expected a point [x, y], found "
                   "[1,2,3]"},
        RejectCase{"MissingCount", "/radial/count", nullptr,
                   "job.json: measurements[0].radial.count: missing"},
        RejectCase{"MisspeltKey", "/search/polarty", "leaving",
                   "job.json: measurements[0].search.polarty: unknown key"},
        RejectCase{"BadPolarity", "/search/polarity", "rising",
                   "job.json: measurements[0].search.polarity: 'rising' is not one of any, "
                   "entering, leaving"},
        RejectCase{"NOutsideNth", "/search/n", 2,
                   "job.json: measurements[0].search.n: is only used by the mode \"nth\""},
        RejectCase{"PairOnCircle", "/search", json{{"mode", "pair"}},
                   "job.json: measurements[0].search.mode: the pair search measures edges only "
                   "(kind \"edges\")"},
        RejectCase{"DetsacForCircle", "/fit/filter", "detsac",
                   "job.json: measurements[0].fit.filter: 'detsac' is not one of none, stddev"},
        RejectCase{"SigmaFactorZero", "/fit/sigma_factor", 0,
                   "job.json: measurements[0].fit.sigma_factor: 0 is outside 0.01..100"},
        RejectCase{"TwoPaths", "/line", json{{"from", {0, 0}}, {"to", {5, 5}}},
                   "job.json: measurements[0]: give exactly one path: \"line\", \"arc\", "
                   "\"radial\" or \"parallel\""},
        RejectCase{"NoPath", "/radial", nullptr,
                   "job.json: measurements[0]: give exactly one path: \"line\", \"arc\", "
                   "\"radial\" or \"parallel\""},
        RejectCase{"ParallelForCircle", "/kind", "line",
                   "job.json: measurements[0].radial: radial lines measure a circle (kind "
                   "\"circle\")"},
        RejectCase{"EmptyName", "/name", "", "job.json: measurements[0].name: must not be empty"}),
    [](const ::testing::TestParamInfo<RejectCase>& info) { return info.param.name; });

TEST(JobParser, RejectsDocumentsWithoutMeasurements) {
    EXPECT_EQ(ParseProblem(json::array()),
              "job.json: document: expected an object {...}, found []");
    EXPECT_EQ(ParseProblem(json::object()), "job.json: measurements: missing");
    EXPECT_EQ(ParseProblem({{"measurements", json::array()}}),
              "job.json: measurements: expected a non-empty array of measurements");
    EXPECT_EQ(ParseProblem({{"measurements", json::array({ValidMeasurement()})}, {"extra", 1}}),
              "job.json: extra: unknown key");
}

TEST(JobParser, FillsDefaultsAndKeepsGivenValues) {
    json measurement = json::parse(R"({"line": {"from": [1, 2], "to": [30.5, 2]}})");
    const Job job = ParseJob(JobWith(measurement), "job.json");
    ASSERT_EQ(job.measurements.size(), 1u);
    const MeasurementSpec& spec = job.measurements[0];
    EXPECT_EQ(spec.name, "measurement 1");
    EXPECT_EQ(spec.kind, MeasurementKind::Edges);
    EXPECT_EQ(spec.transition.type, OVectorPath::kTransitionBand);
    EXPECT_EQ(spec.transition.param1, 0);
    EXPECT_EQ(spec.transition.param2, 128);
    EXPECT_EQ(spec.search.mode, SearchMode::First);
    EXPECT_EQ(spec.search.polarity, Polarity::Any);
    EXPECT_TRUE(spec.subpixel);
    const auto& line = std::get<LineLayout>(spec.layout);
    EXPECT_NEAR(line.to.x, 30.5, kTolerance);

    const Job circle = ParseJob(JobWith(ValidMeasurement()), "job.json");
    const MeasurementSpec& hole = circle.measurements[0];
    EXPECT_EQ(hole.kind, MeasurementKind::Circle);
    EXPECT_EQ(hole.search.polarity, Polarity::Leaving);
    EXPECT_EQ(hole.circleFit.filter, FitFilter::StdDev);
    EXPECT_EQ(std::get<RadialLayout>(hole.layout).count, 12);
}

TEST(JobParser, PairEdgesDefaultToEnteringThenLeaving) {
    const json measurement = json::parse(R"({"line": {"from": [0, 5], "to": [50, 5]},
        "search": {"mode": "pair", "second": {"min_distance_to_other": 3}}})");
    const SearchSpec search = ParseJob(JobWith(measurement), "j").measurements[0].search;
    EXPECT_EQ(search.mode, SearchMode::Pair);
    EXPECT_EQ(search.first.polarity, Polarity::Entering);
    EXPECT_EQ(search.second.polarity, Polarity::Leaving);
    EXPECT_EQ(search.second.minDistanceToOther, 3);
    EXPECT_TRUE(search.secondAfterFirst);
}

// The command line builds the same measurement as the job file that says the same.
TEST(CommandLine, PathOptionsMakeTheSameMeasurementAsAJobFile) {
    const CommandLine command =
        ParseCommandLine({"measure", "part.png", "--radial", "100.5,80.5,10,40,12",
                          "--transition=band:0,120", "--polarity", "leaving", "--filter", "stddev",
                          "--fit-mode", "3", "--name", "hole", "-o", "out.json"});
    EXPECT_EQ(command.action, CommandLine::Action::Measure);
    EXPECT_EQ(command.input, "part.png");
    EXPECT_EQ(command.output, "out.json");
    const MeasurementSpec fromOptions = BuildJob(command).measurements.at(0);
    const MeasurementSpec fromFile = ParseJob(JobWith(ValidMeasurement()), "j").measurements[0];
    const auto& a = std::get<RadialLayout>(fromOptions.layout);
    const auto& b = std::get<RadialLayout>(fromFile.layout);
    EXPECT_EQ(fromOptions.name, fromFile.name);
    EXPECT_EQ(fromOptions.kind, fromFile.kind);
    EXPECT_NEAR(a.center.x, b.center.x, kTolerance);
    EXPECT_NEAR(a.outer, b.outer, kTolerance);
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(fromOptions.transition.param2, fromFile.transition.param2);
    EXPECT_EQ(fromOptions.search.polarity, fromFile.search.polarity);
    EXPECT_EQ(fromOptions.circleFit.filter, fromFile.circleFit.filter);
}

TEST(CommandLine, PairOptionsGoToTheirEdges) {
    const MeasurementSpec spec =
        BuildJob(
            ParseCommandLine({"measure", "--line", "0,5,50,5", "--search", "pair", "--polarity",
                              "leaving", "--polarity2", "entering", "--min-distance", "2"}))
            .measurements.at(0);
    EXPECT_EQ(spec.search.first.polarity, Polarity::Leaving);
    EXPECT_EQ(spec.search.second.polarity, Polarity::Entering);
    EXPECT_EQ(spec.search.first.minDistance, 2);
    EXPECT_EQ(spec.search.second.minDistance, 2);
}

struct CommandCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* message;
};

// Test listings show the case by its name.
void PrintTo(const CommandCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandRejection : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandRejection, SaysWhichOptionIsWrong) {
    const CommandCase& c = GetParam();
    std::string message;
    try {
        BuildJob(ParseCommandLine(c.arguments));
    } catch (const ToolError& error) {
        message = error.what();
    }
    EXPECT_EQ(message, c.message) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandRejection,
    ::testing::Values(
        CommandCase{"NoCommand", {}, "no command given (see edgemeasure --help)"},
        CommandCase{
            "UnknownCommand", {"mesure"}, "unknown command 'mesure' (see edgemeasure --help)"},
        CommandCase{"NothingToMeasure",
                    {"measure", "a.png"},
                    "nothing to measure: give --job FILE or a path (--line, --arc, --radial, "
                    "--parallel)"},
        CommandCase{"UnknownOption",
                    {"measure", "--lines", "1,2,3,4"},
                    "--lines: unknown option (see edgemeasure --help)"},
        CommandCase{"MissingValue", {"measure", "--line"}, "--line: needs a value"},
        CommandCase{"TooFewNumbers",
                    {"measure", "--line", "1,2,3"},
                    "--line: expects X0,Y0,X1,Y1, got '1,2,3'"},
        CommandCase{"NotANumber", {"measure", "--line", "1,2,x,4"}, "--line: 'x' is not a number"},
        CommandCase{"TwoPaths",
                    {"measure", "--line", "1,2,3,4", "--arc", "5,5,3"},
                    "--arc: only one path per command line (already given: --line); use a job "
                    "file for several measurements"},
        CommandCase{"JobAndPath",
                    {"measure", "--job", "j.json", "--line", "1,2,3,4"},
                    "--job: a job file cannot be combined with path, search or fit options"},
        CommandCase{"BandOutOfRange",
                    {"measure", "--line", "1,2,3,4", "--transition", "band:0,300"},
                    "command line: transition.high: 300 is outside 0..255"},
        CommandCase{"BadTransition",
                    {"measure", "--line", "1,2,3,4", "--transition", "step:1"},
                    "--transition: 'step' is not one of band, deviation, signed-deviation, canny"},
        CommandCase{
            "SearchLevelOutOfRange",
            {"measure", "--parallel", "0,0,9,0,5,0,4", "--filter", "detsac", "--search-level", "9"},
            "command line: fit.search_level: 9 is outside 0..8"},
        CommandCase{"TwoInputs",
                    {"measure", "a.png", "b.png", "--line", "1,2,3,4"},
                    "b.png: only one image or folder per run (already given: a.png)"},
        CommandCase{"DemoTwoFolders", {"demo", "a", "b"}, "demo: takes at most one folder"}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

// Radial lines spread evenly round a full turn, and over a part of one with both ends included.
TEST(PathLayout, RadialLinesSpreadOverTheirArc) {
    const struct {
        double sweep;
        int count;
        std::vector<double> anglesDeg;
    } cases[] = {
        {360.0, 4, {0.0, 90.0, 180.0, 270.0}},
        {90.0, 3, {0.0, 45.0, 90.0}},
        {90.0, 1, {45.0}},
        {-360.0, 2, {0.0, -180.0}},
    };
    constexpr double kPi = 3.141592653589793;
    for (const auto& c : cases) {
        RadialLayout radial;
        radial.center = {50.0, 60.0};
        radial.inner = 5.0;
        radial.outer = 20.0;
        radial.count = c.count;
        radial.sweepDeg = c.sweep;
        const std::vector<PathGeometry> lines = ExpandLayout(radial);
        ASSERT_EQ(lines.size(), c.anglesDeg.size()) << "sweep " << c.sweep;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const auto& line = std::get<LineLayout>(lines[k]);
            const double a = c.anglesDeg[k] * kPi / 180.0;
            EXPECT_NEAR(line.from.x, 50.0 + 5.0 * std::cos(a), kTolerance) << c.sweep << " " << k;
            EXPECT_NEAR(line.from.y, 60.0 + 5.0 * std::sin(a), kTolerance) << c.sweep << " " << k;
            EXPECT_NEAR(line.to.x, 50.0 + 20.0 * std::cos(a), kTolerance) << c.sweep << " " << k;
            EXPECT_NEAR(line.to.y, 60.0 + 20.0 * std::sin(a), kTolerance) << c.sweep << " " << k;
        }
    }
}

}  // namespace
