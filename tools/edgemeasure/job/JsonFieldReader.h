#pragma once
// JsonFieldReader: checked reads of the fields of one JSON object, for the job parser.
//
// Every read names its place in the message of the ToolError it throws: the reader carries the
// source (a file name, or "command line") and the path of the object inside the document
// ("measurements[0].search"), so a problem reads as
//   "job.json: measurements[0].search.n: 0 is outside 1..10000".
// Numbers must be finite, integers whole; a field that is absent takes its fallback, or is an
// error when there is none.
//
//   JsonFieldReader search(object, "job.json", "measurements[0].search");
//   int n = search.Int("n", 1, 10000, 1);
//   search.RejectUnknownKeys({"mode", "n"});

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "job/Job.h"

class JsonFieldReader {
  public:
    // Throws when `object` is not a JSON object.
    JsonFieldReader(const nlohmann::json& object, std::string source, std::string path);

    bool Has(const char* key) const;

    int Int(const char* key, int min, int max, std::optional<int> fallback = std::nullopt) const;
    double Double(const char* key, double min, double max,
                  std::optional<double> fallback = std::nullopt) const;
    bool Bool(const char* key, bool fallback) const;
    std::string String(const char* key, std::optional<std::string> fallback = std::nullopt) const;
    // A point [x, y] with both coordinates in [-limit, limit].
    Point2 Point(const char* key, double limit) const;

    // One of a set of named values.
    template <class T>
    T Choice(const char* key, std::initializer_list<std::pair<const char*, T>> choices,
             std::optional<T> fallback = std::nullopt) const {
        if (!Has(key) && fallback) {
            return *fallback;
        }
        const std::string name = String(key);
        for (const auto& [choiceName, value] : choices) {
            if (name == choiceName) {
                return value;
            }
        }
        std::string names;
        for (const auto& choice : choices) {
            names += (names.empty() ? "" : ", ") + std::string(choice.first);
        }
        Fail(key, "'" + name + "' is not one of " + names);
    }

    // The reader of a nested object field.
    JsonFieldReader Object(const char* key) const;
    // The field itself (throws when absent).
    const nlohmann::json& Field(const char* key) const;

    // Throws for the first key that is not in `known` (a misspelt option would otherwise be
    // silently ignored).
    void RejectUnknownKeys(std::initializer_list<const char*> known) const;

    // The place of a field, e.g. "measurements[0].search.n".
    std::string PathOf(const char* key) const;
    [[noreturn]] void Fail(const char* key, const std::string& problem) const;
    [[noreturn]] void FailHere(const std::string& problem) const;

  private:
    const nlohmann::json& m_object;
    std::string m_source;
    std::string m_path;
};
