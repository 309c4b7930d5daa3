#pragma once
// ToolError: a problem with what the tool was given (a missing or undecodable image, a folder it
// cannot read, a malformed job, a parameter out of range, an output it cannot write). The tool
// reports its message as one line on standard error and ends with kExitBadInput; no output file
// is left behind half-written.
//
//   throw ToolError("cannot read image 'part.png': no such file");

#include <stdexcept>
#include <string>

// Exit codes of edgemeasure.
constexpr int kExitOk = 0;                 // everything measured
constexpr int kExitMeasurementFailed = 1;  // ran, but an edge was not found or a fit failed
constexpr int kExitBadInput = 2;  // bad input: nothing (or only the batch's good part) done

class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
