#pragma once
// CommandLine: the arguments of edgemeasure.
//
//   edgemeasure demo [FOLDER]
//   edgemeasure measure [OPTIONS] [IMAGE | FOLDER | -]...
//   edgemeasure profile IMAGE --line X0,Y0,X1,Y1 [--width W] [--sigma S] [-o CSV] [--plot FILE]
//   edgemeasure schema job|results
//   edgemeasure --help | --version        (COMMAND --help: the help of one command)
//
// A measurement comes from a job file (--job) or from the path options for the common cases
// (one measurement: --line, --arc, --radial or --parallel with --transition, --search, ...).
// The path options are turned into the same JSON as one measurement of a job file and checked by
// the same parser, so both ways accept the same values. Options take their value as the next
// argument or after '='. Problems throw ToolError with one line naming the option.
//
//   CommandLine command = ParseCommandLine(argc, argv);
//   Job job = BuildJob(command);

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "caliper/OCaliperRegion.h"
#include "job/Job.h"

// What `edgemeasure profile` samples and where it writes the plot.
struct ProfileRequest {
    OCaliperLine line;  // its width across the line, one sample per pixel along it
    bool hasLine = false;
    double sigma = 1.0;  // smoothing of the derivative, pixels
    std::string plot;    // .svg or .png; empty: no plot
};

struct CommandLine {
    enum class Action { Help, Version, Demo, Measure, Profile, Schema };

    Action action = Action::Help;
    std::string helpTopic;   // help: "" (all) or a command
    std::string demoFolder;  // demo
    std::string schemaName;  // schema: "job" or "results"
    // measure (and profile: its image, its CSV in `output`):
    std::vector<std::string> inputs;  // images, folders of images, "-"; none: the job's image
    std::string jobFile;              // --job
    std::optional<nlohmann::json> inlineMeasurement;  // from the path options
    std::string output;                               // --output; empty or "-": standard output
    std::string csv;                                  // --csv
    std::string overlay;                              // --overlay (format by extension)
    std::string overlaySvg;                           // --svg
    std::string overlayDir;                           // --overlay-dir
    std::string report;                               // --report (HTML)
    std::optional<double> mmPerPx;                    // --mm-per-px
    ProfileRequest profile;                           // profile (its image in `inputs`)
};

// The default folder of the demo's files.
constexpr const char* kDefaultDemoFolder = "edgemeasure-demo";

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The job of a measure command: the job file, or the one measurement of the path options, with
// --mm-per-px as its scale. Throws ToolError when a tolerance in mm has no scale.
Job BuildJob(const CommandLine& command);
