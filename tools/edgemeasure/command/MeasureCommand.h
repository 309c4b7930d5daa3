#pragma once
// MeasureCommand: `edgemeasure measure`, on one image or on every image of a folder.
//
// Everything that can be checked is checked before anything is written: the job, the image (or
// the folder's listing), the folders of the output files. One image: a bad image is an error
// (exit code 2) and nothing is written. A folder: an image that cannot be read is reported on
// standard error and in the results (as an entry with "error"), the others are measured, and
// the exit code is 2. Result files are written whole or not at all (OutputFile.h).

#include "command/CommandLine.h"

// Runs the command and answers the exit code; throws ToolError for bad input.
int RunMeasureCommand(const CommandLine& command);
