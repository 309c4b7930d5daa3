#include "command/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "caliper/OCaliperSettings.h"
#include "job/JobParser.h"
#include "job/Limits.h"
#include "job/ToolError.h"
#include "output/ImageIO.h"

namespace {

using nlohmann::json;

// The source name of command-line measurements in messages.
constexpr const char* kCommandLineSource = "command line";
// The widest profile, pixels.
constexpr double kMaxProfileWidth = 1000.0;
// The largest --mm-per-px: a metre per pixel.
constexpr double kMaxMmPerPxOption = 1000.0;

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
        command.overlay = v;
    };
    options["--csv"] = [&command](const std::string&, const std::string& v) { command.csv = v; };
    options["--mm-per-px"] = [&command](const std::string& o, const std::string& v) {
        const json n = Numbers(o, v, 1, 1, "a number")[0];
        const double scale = n.get<double>();
        if (!(scale > 0.0) || scale > kMaxMmPerPxOption) {
            Fail(o, "'" + v + "' is not a scale above 0 and at most 1000 mm per pixel");
        }
        command.mmPerPx = scale;
    };
    options["--svg"] = [&command](const std::string&, const std::string& v) {
        command.overlaySvg = v;
    };
    options["--overlay-dir"] = [&command](const std::string&, const std::string& v) {
        command.overlayDir = v;
    };
    options["--report"] = [&command](const std::string&, const std::string& v) {
        command.report = v;
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
    options["--method"] = [&builder](const std::string&, const std::string& v) {
        builder.Measurement()["method"] = v;
    };
    const auto caliperNumber = [&builder](const char* key) {
        return [&builder, key](const std::string& o, const std::string& v) {
            builder.Measurement()["caliper"][key] = Numbers(o, v, 1, 1, "a number")[0];
        };
    };
    options["--caliper-width"] = caliperNumber("width");
    options["--sigma"] = caliperNumber("sigma");
    options["--threshold"] = caliperNumber("threshold");
    options["--select"] = [&builder](const std::string&, const std::string& v) {
        builder.Search()["select"] = v;
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
    options["--nominal"] = [&builder](const std::string& o, const std::string& v) {
        builder.Measurement()["nominal"] = Numbers(o, v, 1, 1, "a number")[0];
    };
    options["--tolerance"] = [&builder](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 1, 2, "T or LOWER,UPPER");
        builder.Measurement()["tolerance"] = n.size() == 1 ? n[0] : json(n);
    };
    options["--quantity"] = [&builder](const std::string&, const std::string& v) {
        builder.Measurement()["quantity"] = v;
    };
    options["--unit"] = [&builder](const std::string&, const std::string& v) {
        builder.Measurement()["unit"] = v;
    };
    options["--filter"] = [&builder](const std::string&, const std::string& v) {
        builder.Fit()["filter"] = v;
    };
    return options;
}

// Walks the arguments after the command's name: flags go to `flag` (which answers whether it
// knew the flag), options to their handler with the value after '=' or in the next argument,
// anything else (an image, a folder, "-") to `inputs`. Answers false for --help.
bool ParseArguments(const std::vector<std::string>& arguments,
                    const std::map<std::string, OptionHandler>& options,
                    const std::function<bool(const std::string&)>& flag,
                    std::vector<std::string>& inputs) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return false;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            inputs.push_back(argument);
            continue;
        }
        if (flag(argument)) {
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
            Fail(argument, "unknown option (see edgemeasure " + arguments[0] + " --help)");
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                Fail(argument, "needs a value");
            }
            value = arguments[++i];
        }
        handler->second(argument, value);
    }
    return true;
}

CommandLine HelpFor(const std::string& topic) {
    CommandLine command;
    command.action = CommandLine::Action::Help;
    command.helpTopic = topic;
    return command;
}

CommandLine ParseMeasure(const std::vector<std::string>& arguments) {
    CommandLine command;
    command.action = CommandLine::Action::Measure;
    MeasurementBuilder builder;
    const std::map<std::string, OptionHandler> options = MeasureOptions(command, builder);
    const auto flag = [&builder](const std::string& argument) {
        if (argument != "--no-subpixel") {
            return false;
        }
        builder.Measurement()["subpixel"] = false;
        return true;
    };
    if (!ParseArguments(arguments, options, flag, command.inputs)) {
        return HelpFor("measure");
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

// A number of an option within [low, high] (low excluded when `lowOpen`).
double Within(const std::string& option, const std::string& value, double low, double high,
              bool lowOpen, const std::string& what) {
    const double number = Numbers(option, value, 1, 1, "a number")[0].get<double>();
    if ((lowOpen ? !(number > low) : !(number >= low)) || !(number <= high)) {
        Fail(option, "'" + value + "' is not " + what);
    }
    return number;
}

CommandLine ParseProfile(const std::vector<std::string>& arguments) {
    CommandLine command;
    command.action = CommandLine::Action::Profile;
    ProfileRequest& p = command.profile;
    std::map<std::string, OptionHandler> options;
    options["--line"] = [&p](const std::string& o, const std::string& v) {
        const auto n = Numbers(o, v, 4, 4, "X0,Y0,X1,Y1");
        for (const json& number : n) {
            if (std::fabs(number.get<double>()) > kMaxCoordinate) {
                Fail(o, "coordinates reach at most " + std::to_string(kMaxImageSide) + " px");
            }
        }
        p.line.startX = n[0].get<double>();
        p.line.startY = n[1].get<double>();
        p.line.endX = n[2].get<double>();
        p.line.endY = n[3].get<double>();
        p.hasLine = true;
    };
    options["--width"] = [&p](const std::string& o, const std::string& v) {
        p.line.width =
            Within(o, v, 0.0, kMaxProfileWidth, true, "a width above 0 and at most 1000 px");
    };
    options["--sigma"] = [&p](const std::string& o, const std::string& v) {
        p.sigma = Within(o, v, 0.0, OCaliperEdgeSettings::kMaxSigma, true,
                         "a sigma above 0 and at most 256 px");
    };
    options["--output"] = [&command](const std::string&, const std::string& v) {
        command.output = v;
    };
    options["-o"] = options["--output"];
    options["--plot"] = [&p](const std::string& o, const std::string& v) {
        const PictureFormat format = OverlayFormatOf(v, o);
        if (format != PictureFormat::Png && format != PictureFormat::Svg) {
            Fail(o, "'" + v + "' is neither .svg nor .png");
        }
        p.plot = v;
    };
    if (!ParseArguments(
            arguments, options, [](const std::string&) { return false; }, command.inputs)) {
        return HelpFor("profile");
    }
    if (command.inputs.size() != 1) {
        throw ToolError("profile: expects one image (got " + std::to_string(command.inputs.size()) +
                        ")");
    }
    if (!p.hasLine) {
        Fail("profile", "needs --line X0,Y0,X1,Y1");
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
    const bool wantsHelp =
        arguments.size() == 2 && (arguments[1] == "--help" || arguments[1] == "-h");
    if (wantsHelp && (first == "demo" || first == "schema" || first == "measure")) {
        return HelpFor(first);
    }
    if (first == "schema") {
        command.action = CommandLine::Action::Schema;
        if (arguments.size() != 2 || (arguments[1] != "job" && arguments[1] != "results")) {
            Fail("schema", "expects job or results");
        }
        command.schemaName = arguments[1];
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
    if (first == "profile") {
        return ParseProfile(arguments);
    }
    throw ToolError("unknown command '" + first + "' (see edgemeasure --help)");
}

Job BuildJob(const CommandLine& command) {
    Job job;
    if (!command.jobFile.empty()) {
        job = LoadJobFile(command.jobFile);
    } else {
        job.measurements.push_back(
            ParseMeasurement(*command.inlineMeasurement, kCommandLineSource, "", "measurement"));
    }
    if (command.mmPerPx) {
        job.mmPerPx = command.mmPerPx;
    }
    for (const MeasurementSetup& m : job.measurements) {
        if (m.tolerance && m.tolerance->inMm && !job.mmPerPx) {
            throw ToolError("measurement '" + m.name +
                            "': a tolerance in mm needs a scale (\"scale\": {\"mm_per_px\": S} "
                            "in the job, or --mm-per-px S)");
        }
    }
    return job;
}
