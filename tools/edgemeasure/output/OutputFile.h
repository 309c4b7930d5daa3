#pragma once
// OutputFile: writing a result file so that it is either complete or absent.
//
// The bytes go to a temporary file beside the target (".<name>.XXXXXX"), which is renamed onto the
// target only after everything was written and closed; on any failure the temporary file is
// removed and ToolError names the target. A reader therefore never sees a half-written picture or
// JSON, and an interrupted run leaves the previous file (if any) in place.
//
//   WriteFileAtomically("out/result.json", text);

#include <string>
#include <vector>

void WriteFileAtomically(const std::string& path, const std::string& contents);
void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& contents);

// Creates a folder (and its parents) for output; throws ToolError when that is not possible.
void MakeOutputFolder(const std::string& path);

// The name of standard output as an output file; an empty name means it too.
constexpr const char* kStandardOutput = "-";
bool IsStandardOutput(const std::string& path);

// Text to standard output (IsStandardOutput) or written atomically to the file.
void WriteTextOutput(const std::string& text, const std::string& path);

// Fails early, with a ToolError naming `option`, when the folder that would receive the file does
// not exist or the file's name is a folder. Standard output always passes.
void CheckOutputTarget(const std::string& path, const char* option);
