#pragma once
// Schemas: the JSON Schemas of job files and of results (docs/edgemeasure-job.schema.json and
// docs/edgemeasure-results.schema.json), built into the program for `edgemeasure schema`.
//
//   std::fputs(SchemaText("job").c_str(), stdout);

#include <string>

// "job" or "results"; anything else gives "".
std::string SchemaText(const std::string& name);
