#pragma once
// JsonText: JSON text parsed with problems told in the user's terms: the file, the line and the
// column (both from 1), and what was found there, never the parser's own message.
//
//   nlohmann::json job = ParseJsonText(text, "job.json");
//   // throws ToolError("job.json:3:14: malformed JSON: unexpected '}'")

#include <string>

#include <nlohmann/json.hpp>

nlohmann::json ParseJsonText(const std::string& text, const std::string& source);
