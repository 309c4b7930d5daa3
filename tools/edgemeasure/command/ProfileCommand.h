#pragma once
// ProfileCommand: `edgemeasure profile IMAGE --line X0,Y0,X1,Y1 [--width W] [--sigma S]`, for
// tuning thresholds before a job is written.
//
// Samples the grey profile along the line as a caliper reads it (SampleLineProfile: one sample
// per pixel, each the bilinear mean across the width) with its derivative, and writes them as CSV
// (distance, x, y, grey, derivative; x and y the sample's point on the line; grey and derivative
// empty outside the image, the derivative also within the filter's reach of either end) to
// -o FILE or standard output, and the plot (ProfilePlot) to --plot FILE as SVG or PNG. A line
// that lies wholly outside the image writes nothing and ends with exit code 1; a sigma too large
// for the line is bad input.
//
//   return RunProfileCommand(ParseCommandLine(arguments));

#include "command/CommandLine.h"

int RunProfileCommand(const CommandLine& command);
