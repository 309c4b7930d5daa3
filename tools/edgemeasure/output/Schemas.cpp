#include "output/Schemas.h"

#include <iterator>

// Generated at configure time from the files in docs/ (tools/edgemeasure/CMakeLists.txt).
#include "EdgemeasureSchemas.inc"

std::string SchemaText(const std::string& name) {
    if (name == "job") {
        return std::string(std::begin(kJobSchemaBytes), std::end(kJobSchemaBytes));
    }
    if (name == "results") {
        return std::string(std::begin(kResultsSchemaBytes), std::end(kResultsSchemaBytes));
    }
    return "";
}
