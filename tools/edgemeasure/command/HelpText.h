#pragma once
// HelpText: what `edgemeasure --help` and `edgemeasure COMMAND --help` print.
//
//   std::fputs(HelpText("measure").c_str(), stdout);

#include <string>

// The help of all commands (topic "") or of one ("measure", "demo", "profile", "schema").
std::string HelpText(const std::string& topic = "");
