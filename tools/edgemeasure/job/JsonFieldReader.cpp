#include "job/JsonFieldReader.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "job/ToolError.h"

namespace {

// A number as the message shows it: integers without a fraction, others with what JSON gave.
std::string Describe(const nlohmann::json& value) {
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    constexpr std::size_t kMaxShown = 40;  // keep the error one short line
    if (text.size() > kMaxShown) {
        text = text.substr(0, kMaxShown) + "...";
    }
    return text;
}

template <class T>
std::string RangeText(T min, T max) {
    std::ostringstream text;
    text << min << ".." << max;
    return text.str();
}

}  // namespace

JsonFieldReader::JsonFieldReader(const nlohmann::json& object, std::string source, std::string path)
    : m_object(object), m_source(std::move(source)), m_path(std::move(path)) {
    if (!m_object.is_object()) {
        FailHere("expected an object {...}, found " + Describe(m_object));
    }
}

bool JsonFieldReader::Has(const char* key) const {
    return m_object.contains(key);
}

const nlohmann::json& JsonFieldReader::Field(const char* key) const {
    const auto it = m_object.find(key);
    if (it == m_object.end()) {
        Fail(key, "missing");
    }
    return *it;
}

int JsonFieldReader::Int(const char* key, int min, int max, std::optional<int> fallback) const {
    if (!Has(key) && fallback) {
        return *fallback;
    }
    const nlohmann::json& value = Field(key);
    if (!value.is_number_integer()) {
        Fail(key, "expected a whole number, found " + Describe(value));
    }
    // Compare in the widest type, so that huge values cannot wrap into the range.
    const bool tooLarge = value.is_number_unsigned() &&
                          value.get<std::uint64_t>() >
                              static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    const std::int64_t number =
        tooLarge ? std::numeric_limits<std::int64_t>::max() : value.get<std::int64_t>();
    if (number < min || number > max) {
        Fail(key, Describe(value) + " is outside " + RangeText(min, max));
    }
    return static_cast<int>(number);
}

double JsonFieldReader::Double(const char* key, double min, double max,
                               std::optional<double> fallback) const {
    if (!Has(key) && fallback) {
        return *fallback;
    }
    const nlohmann::json& value = Field(key);
    if (!value.is_number()) {
        Fail(key, "expected a number, found " + Describe(value));
    }
    const double number = value.get<double>();
    if (!std::isfinite(number) || number < min || number > max) {
        Fail(key, Describe(value) + " is outside " + RangeText(min, max));
    }
    return number;
}

bool JsonFieldReader::Bool(const char* key, bool fallback) const {
    if (!Has(key)) {
        return fallback;
    }
    const nlohmann::json& value = Field(key);
    if (!value.is_boolean()) {
        Fail(key, "expected true or false, found " + Describe(value));
    }
    return value.get<bool>();
}

std::string JsonFieldReader::String(const char* key, std::optional<std::string> fallback) const {
    if (!Has(key) && fallback) {
        return *fallback;
    }
    const nlohmann::json& value = Field(key);
    if (!value.is_string()) {
        Fail(key, "expected a string, found " + Describe(value));
    }
    return value.get<std::string>();
}

Point2 JsonFieldReader::Point(const char* key, double limit) const {
    const nlohmann::json& value = Field(key);
    constexpr std::size_t kCoordinates = 2;
    if (!value.is_array() || value.size() != kCoordinates || !value[0].is_number() ||
        !value[1].is_number()) {
        Fail(key, "expected a point [x, y], found " + Describe(value));
    }
    const Point2 point{value[0].get<double>(), value[1].get<double>()};
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || std::fabs(point.x) > limit ||
        std::fabs(point.y) > limit) {
        Fail(key, Describe(value) + " has a coordinate outside " + RangeText(-limit, limit));
    }
    return point;
}

JsonFieldReader JsonFieldReader::Object(const char* key) const {
    return JsonFieldReader(Field(key), m_source, PathOf(key));
}

void JsonFieldReader::RejectUnknownKeys(std::initializer_list<const char*> known) const {
    for (const auto& item : m_object.items()) {
        bool isKnown = false;
        for (const char* name : known) {
            isKnown = isKnown || item.key() == name;
        }
        if (!isKnown) {
            Fail(item.key().c_str(), "unknown key");
        }
    }
}

std::string JsonFieldReader::PathOf(const char* key) const {
    return m_path.empty() ? std::string(key) : m_path + "." + key;
}

void JsonFieldReader::Fail(const char* key, const std::string& problem) const {
    throw ToolError(m_source + ": " + PathOf(key) + ": " + problem);
}

void JsonFieldReader::FailHere(const std::string& problem) const {
    throw ToolError(m_source + ": " + (m_path.empty() ? "document" : m_path) + ": " + problem);
}
