// edgemeasure: the command-line tool that runs the library's measurements on images.
//
//   edgemeasure demo                       a synthetic image measured, with overlay pictures
//   edgemeasure measure --job job.json part.png -o result.json --overlay part-overlay.png
//   edgemeasure profile part.png --line 10.5,40.5,90.5,40.5 --plot profile.svg
//   edgemeasure schema results             the JSON Schema of the results
//   edgemeasure --help
//
// Bad input ends the run with one line on standard error and the exit code 2 (ToolError.h).

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "command/CommandLine.h"
#include "command/Demo.h"
#include "command/HelpText.h"
#include "command/MeasureCommand.h"
#include "command/ProfileCommand.h"
#include "job/ToolError.h"
#include "output/Schemas.h"

namespace {

int Run(const std::vector<std::string>& arguments) {
    const CommandLine command = ParseCommandLine(arguments);
    switch (command.action) {
        case CommandLine::Action::Help:
            std::fputs(HelpText(command.helpTopic).c_str(), stdout);
            return kExitOk;
        case CommandLine::Action::Version:
            std::printf("edgemeasure %s\n", EDGEMEASURE_VERSION);
            return kExitOk;
        case CommandLine::Action::Demo:
            return RunDemo(command.demoFolder);
        case CommandLine::Action::Schema:
            std::fputs(SchemaText(command.schemaName).c_str(), stdout);
            return kExitOk;
        case CommandLine::Action::Profile:
            return RunProfileCommand(command);
        case CommandLine::Action::Measure:
            break;
    }
    return RunMeasureCommand(command);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return Run(arguments);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "edgemeasure: error: %s\n", error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "edgemeasure: error: out of memory (is the image too large?)\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "edgemeasure: error: %s\n", error.what());
    }
    return kExitBadInput;
}
