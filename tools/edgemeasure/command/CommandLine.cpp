#include "command/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "job/JobParser.h"
#include "job/ToolError.h"

namespace {

using nlohmann::json;

// The source name of command-line measurements in messages.
constexpr const char* kCommandLineSource = "command line";

[[noreturn]] void Fail(const std::string& option, const std::string& problem) {
    throw ToolError(option + ": " + problem);
}

// A number of a comma-separated option value: a JSON integer when written as one, else a double,
// so that the parser can insist on whole numbers where it needs them.
json Number(const std::string& option, const std::string& token) {
    const char* begin = token.c_str();
    char* end = nullptr;
    errno = 0;
    const long long whole = std::strtoll(begin, &end, 10);
    if (!token.empty() && *end == '\0' && errno == 0) {
        return whole;
    }
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (token.empty() || *end != '\0' || errno != 0 || !std::isfinite(value)) {
        Fail(option, "'" + token + "' is not a number");
    }
    return value;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

// The numbers of an option such as "--line 10,20,30,40"; `form` shows the expected form.
std::vector<json> Numbers(const std::string& option, const std::string& value, std::size_t minCount,
                          std::size_t maxCount, const std::string& form) {
    const std::vector<std::string> parts = Split(value, ',');
    if (parts.size() < minCount || parts.size() > maxCount) {
        Fail(option, "expects " + form + ", got '" + value + "'");
    }
    std::vector<json> numbers;
    for (const std::string& part : parts) {
        numbers.push_back(Number(option, part));
    }
    return numbers;
}

json PointOf(const std::vector<json>& n, std::size_t at) {
    return json::array({n[at], n[at + 1]});
}

// Optional trailing start and sweep angles of --arc and --radial.
void AddAngles(json& layout, const std::vector<json>& n, std::size_t at) {
    if (n.size() > at) {
        layout["start"] = n[at];
    }
    if (n.size() > at + 1) {
        layout["sweep"] = n[at + 1];
    }
}

json Transition(const std::string& option, const std::string& value) {
    const std::size_t colon = value.find(':');
    const std::string type = value.substr(0, colon);
    const std::string numbers = colon == std::string::npos ? "" : value.substr(colon + 1);
    if (type == "band") {
        const auto n = Numbers(option, numbers, 2, 2, "band:LOW,HIGH");
        return {{"type", type}, {"low", n[0]}, {"high", n[1]}};
    }
    if (type == "deviation" || type == "signed-deviation") {
        const auto n = Numbers(option, numbers, 2, 3, type + ":LEAVE,ENTER[,DEPTH]");
        json setup = {{"type", type}, {"leave", n[0]}, {"enter", n[1]}};
        if (n.size() > 2) {
            setup["depth"] = n[2];
        }
        return setup;
    }
    if (type == "canny") {
        const auto n = Numbers(option, numbers, 1, 2, "canny:THRESHOLD[,SIGMA_INDEX]");
        json setup = {{"type", type}, {"threshold", n[0]}};
        if (n.size() > 1) {
            setup["sigma_index"] = n[1];
        }
        return setup;
    }
    Fail(option, "'" + type + "' is not one of band, deviation, signed-deviation, canny");
}

// Collects the path options into one measurement object.
class MeasurementBuilder {
  public:
    void SetLayout(const std::string& option, const std::string& key, json layout,
                   const char* kind) {
        if (!m_layoutOption.empty()) {
            Fail(option, "only one path per command line (already given: " + m_layoutOption +
                             "); use a job file for several measurements");
        }
        m_layoutOption = option;
        m_measurement[key] = std::move(layout);
        if (kind != nullptr) {
            m_measurement["kind"] = kind;
        }
    }
    json& Measurement() { return m_measurement; }
    json& Search() { return m_measurement["search"]; }
    json& Fit() { return m_measurement["fit"]; }
    bool HasLayout() const { return !m_layoutOption.empty(); }
    bool Empty() const { return m_measurement.empty(); }

    // The measurement object, with the pair's options placed under its two edges.
    json Finish() {
        if (m_measurement.contains("search")) {
            json& search = m_measurement["search"];
            if (search.value("mode", "") == "pair") {
                MoveToPair(search);
            }
        }
        return m_measurement;
    }

  private:
    static void MoveToPair(json& search) {
        if (search.contains("polarity")) {
            search["first"]["polarity"] = search["polarity"];
            search.erase("polarity");
        }
        if (search.contains("polarity2")) {
            search["second"]["polarity"] = search["polarity2"];
            search.erase("polarity2");
        }
        if (search.contains("min_distance")) {
            search["first"]["min_distance"] = search["min_distance"];
            search["second"]["min_distance"] = search["min_distance"];
            search.erase("min_distance");
        }
    }

    json m_measurement = json::object();
    std::string m_layoutOption;
};

using OptionHandler = std::function<void(const std::string& option, const std::string& value)>;

std::map<std::string, OptionHandler> MeasureOptions(CommandLine& command,
                                                    MeasurementBuilder& builder) {
    std::map<std::string, OptionHandler> options;
    options["--job"] = [&command](const std::string&, const std::string& v) {
        command.jobFile = v;
    };
    options["--output"] = [&command](const std::string&, const std::string& v) {
        command.output = v;
    };
    options["-o"] = options["--output"];
    options["--overlay"] = [&command](const std::string&, const std::string& v) {
        command.overlayPng = v;
    };
    options["--svg"] = [&command](const std::string&, const std::string& v) {
        command.overlaySvg = v;
    };
    options["--overlay-dir"] = [&command](const std::string&, const std::string& v) {
        command.overlayDir = v;
    };
    options["--name"] = [&builder](const std::string&, const std::string& v) {
        builder.Measurement()["name"] = v;
    };
    options["--line"] = [&builder](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 4, 4, "X0,Y0,X1,Y1");
        builder.SetLayout(o, "line", {{"from", PointOf(n, 0)}, {"to", PointOf(n, 2)}}, nullptr);
    };
    options["--arc"] = [&builder](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 3, 5, "CX,CY,RADIUS[,START,SWEEP]");
        json arc = {{"center", PointOf(n, 0)}, {"radius", n[2]}};
        AddAngles(arc, n, 3);
        builder.SetLayout(o, "arc", arc, nullptr);
    };
    options["--radial"] = [&builder](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 5, 7, "CX,CY,INNER,OUTER,COUNT[,START,SWEEP]");
        json radial = {
            {"center", PointOf(n, 0)}, {"inner", n[2]}, {"outer", n[3]}, {"count", n[4]}};
        AddAngles(radial, n, 5);
        builder.SetLayout(o, "radial", radial, "circle");
    };
    options["--parallel"] = [&builder](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 7, 7, "X0,Y0,X1,Y1,COUNT,DX,DY");
        builder.SetLayout(o, "parallel",
                          {{"from", PointOf(n, 0)},
                           {"to", PointOf(n, 2)},
                           {"count", n[4]},
                           {"step", PointOf(n, 5)}},
                          "line");
    };
    options["--transition"] = [&builder](const std::string& o, const std::string& v) {
        builder.Measurement()["transition"] = Transition(o, v);
    };
    options["--search"] = [&builder](const std::string& o, const std::string& v) {
        if (v.rfind("nth:", 0) == 0) {
            builder.Search()["mode"] = "nth";
            builder.Search()["n"] = Numbers(o, v.substr(4), 1, 1, "nth:N")[0];
        } else {
            builder.Search()["mode"] = v;
        }
    };
    options["--polarity"] = [&builder](const std::string&, const std::string& v) {
        builder.Search()["polarity"] = v;
    };
    options["--polarity2"] = [&builder](const std::string&, const std::string& v) {
        builder.Search()["polarity2"] = v;
    };
    options["--min-distance"] = [&builder](const std::string& o, const std::string& v) {
        builder.Search()["min_distance"] = Numbers(o, v, 1, 1, "STEPS")[0];
    };
    options["--fit"] = [&builder](const std::string& o, const std::string& v) {
        if (v != "circle" && v != "line") {
            Fail(o, "'" + v + "' is not one of circle, line");
        }
        builder.Measurement()["kind"] = v;
    };
    const auto fitNumber = [&builder](const char* key) {
        return [&builder, key](const std::string& o, const std::string& v) {
            builder.Fit()[key] = Numbers(o, v, 1, 1, "a number")[0];
        };
    };
    options["--fit-mode"] = fitNumber("mode");
    options["--iterations"] = fitNumber("iterations");
    options["--sigma-factor"] = fitNumber("sigma_factor");
    options["--inlier-distance"] = fitNumber("inlier_distance");
    options["--search-level"] = fitNumber("search_level");
    options["--filter"] = [&builder](const std::string&, const std::string& v) {
        builder.Fit()["filter"] = v;
    };
    return options;
}

CommandLine ParseMeasure(const std::vector<std::string>& arguments) {
    CommandLine command;
    command.action = CommandLine::Action::Measure;
    MeasurementBuilder builder;
    const std::map<std::string, OptionHandler> options = MeasureOptions(command, builder);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument == "--no-subpixel") {
            builder.Measurement()["subpixel"] = false;
            continue;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            if (!command.input.empty()) {
                Fail(argument,
                     "only one image or folder per run (already given: " + command.input + ")");
            }
            command.input = argument;
            continue;
        }
        std::string value;
        const std::size_t equals = argument.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        const auto handler = options.find(argument);
        if (handler == options.end()) {
            Fail(argument, "unknown option (see edgemeasure --help)");
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                Fail(argument, "needs a value");
            }
            value = arguments[++i];
        }
        handler->second(argument, value);
    }
    const bool hasJob = !command.jobFile.empty();
    if (hasJob && !builder.Empty()) {
        Fail("--job", "a job file cannot be combined with path, search or fit options");
    }
    if (!hasJob && !builder.HasLayout()) {
        throw ToolError(
            "nothing to measure: give --job FILE or a path (--line, --arc, --radial, --parallel)");
    }
    if (!hasJob) {
        command.inlineMeasurement = builder.Finish();
    }
    return command;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine command;
    if (arguments.empty()) {
        throw ToolError("no command given (see edgemeasure --help)");
    }
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h" || first == "help") {
        command.action = CommandLine::Action::Help;
        return command;
    }
    if (first == "--version") {
        command.action = CommandLine::Action::Version;
        return command;
    }
    if (first == "demo") {
        command.action = CommandLine::Action::Demo;
        constexpr std::size_t kMaxDemoArguments = 2;
        if (arguments.size() > kMaxDemoArguments) {
            Fail("demo", "takes at most one folder");
        }
        command.demoFolder = arguments.size() > 1 ? arguments[1] : kDefaultDemoFolder;
        if (command.demoFolder.empty() || command.demoFolder[0] == '-') {
            Fail("demo", "'" + command.demoFolder + "' is not a folder name");
        }
        return command;
    }
    if (first == "measure") {
        return ParseMeasure(arguments);
    }
    throw ToolError("unknown command '" + first + "' (see edgemeasure --help)");
}

Job BuildJob(const CommandLine& command) {
    if (!command.jobFile.empty()) {
        return LoadJobFile(command.jobFile);
    }
    Job job;
    job.measurements.push_back(
        ParseMeasurement(*command.inlineMeasurement, kCommandLineSource, "", "measurement"));
    return job;
}

std::string HelpText() {
    return R"(edgemeasure: edge measurement along lines and arcs in grey images.

Usage:
  edgemeasure demo [FOLDER]
      Synthesises a test image with known dimensions, measures a bored hole (circle fit), a
      slot (edge pair) and a straight edge (line fit with DETSAC), prints measured against true
      values and writes the image, the job, the results and the overlay pictures into FOLDER
      (default: edgemeasure-demo).
  edgemeasure measure [OPTIONS] [IMAGE | FOLDER]
      Runs a job on an image, or on every image of a folder (batch). Without IMAGE the job
      file's "image" is used. Images: PNG, JPEG, BMP, PGM/PPM, grey or colour (made grey).
  edgemeasure --help | --version

Job:
  --job FILE               a JSON job file with one or more measurements (docs/EDGEMEASURE.md)
  or one measurement from these options (coordinates in pixels, pixel centre at i + 0.5):
  --line X0,Y0,X1,Y1       search one line for edges
  --arc CX,CY,R[,START,SWEEP]
                           search an arc for edges (degrees; default the full circle)
  --radial CX,CY,INNER,OUTER,COUNT[,START,SWEEP]
                           fit a circle to the edges on COUNT radial lines (outwards)
  --parallel X0,Y0,X1,Y1,COUNT,DX,DY
                           fit a line to the edges on COUNT lines, each shifted by (DX,DY)
  --fit circle             fit a circle to the edges found on --arc
  --name NAME              the measurement's name in the results
  --transition band:LOW,HIGH | deviation:LEAVE,ENTER[,DEPTH] |
               signed-deviation:LEAVE,ENTER[,DEPTH] | canny:THRESHOLD[,SIGMA_INDEX]
                           what counts as "in threshold" (default band:0,128)
  --search first | nth:N | all | pair
                           which edges to report (default first)
  --polarity any|entering|leaving
                           accepted edges (pair: the first edge, default entering)
  --polarity2 any|entering|leaving
                           pair: the second edge (default leaving)
  --min-distance STEPS     minimum steps from the path start and between edges
  --no-subpixel            report the search's pixel positions only
  --filter none|stddev|detsac|detsac-fixed
                           outlier filter of the fit (circle: none or stddev)
  --fit-mode M, --iterations N, --sigma-factor F, --inlier-distance PX, --search-level L
                           fit parameters (defaults 3, 5, 2.0, 2, 4)

Output:
  -o, --output FILE        results as JSON (default: standard output)
  --overlay FILE.png       the image with the paths, edges and fits drawn on it
  --svg FILE.svg           the same as SVG, the image embedded
  --overlay-dir FOLDER     NAME.overlay.png and NAME.overlay.svg per image (batch)

Exit codes: 0 all measured; 1 an edge was not found or a fit failed; 2 bad input (missing or
corrupt image, unreadable folder, malformed job, parameter out of range), reported in one line
on standard error. Result files are written whole or not at all.

Example:
  edgemeasure measure part.png --radial 210,226,30,110,24 --transition band:0,110 \
      --polarity leaving --overlay part-overlay.png
)";
}
