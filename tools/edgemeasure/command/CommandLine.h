#pragma once
// CommandLine: the arguments of edgemeasure.
//
//   edgemeasure demo [FOLDER]
//   edgemeasure measure [OPTIONS] [IMAGE | FOLDER]
//   edgemeasure --help | --version
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

#include "job/Job.h"

struct CommandLine {
    enum class Action { Help, Version, Demo, Measure };

    Action action = Action::Help;
    std::string demoFolder;  // demo
    // measure:
    std::string input;    // an image or a folder of images; empty: the job's image
    std::string jobFile;  // --job
    std::optional<nlohmann::json> inlineMeasurement;  // from the path options
    std::string output;                               // --output; empty: standard output
    std::string overlayPng;                           // --overlay
    std::string overlaySvg;                           // --svg
    std::string overlayDir;                           // --overlay-dir
};

// The default folder of the demo's files.
constexpr const char* kDefaultDemoFolder = "edgemeasure-demo";

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The job of a measure command: the job file, or the one measurement of the path options.
Job BuildJob(const CommandLine& command);

std::string HelpText();
