#include "job/JsonText.h"

#include <algorithm>
#include <cctype>

#include "job/ToolError.h"

namespace {

// What stands at a byte of the text, as a message shows it.
std::string Found(const std::string& text, std::size_t at) {
    if (at >= text.size()) {
        return "the text ends before the JSON is complete (a missing } or ]?)";
    }
    const auto c = static_cast<unsigned char>(text[at]);
    if (c == '"') {
        return "a string that is not closed or holds a bad escape or control character";
    }
    if (std::isalnum(c) != 0) {
        std::size_t end = at;
        while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end])) != 0) {
            ++end;
        }
        return "unexpected '" + text.substr(at, end - at) + "' (strings need quotes)";
    }
    if (std::isprint(c) != 0) {
        return std::string("unexpected '") + static_cast<char>(c) + "'";
    }
    return "unexpected byte " + std::to_string(c) + (c >= 0x80 ? " (not UTF-8 text?)" : "");
}

// The parser's exception ids: 1xx syntax errors, 4xx values out of range (a number beyond the
// range of a double).
constexpr int kFirstOutOfRangeId = 400;

// Builds the document as the parser's own builder does, but takes a failure, a syntax error or
// a number out of range alike, as its byte position instead of an exception.
class PositionedBuilder {
  public:
    using json = nlohmann::json;

    explicit PositionedBuilder(json& result) : m_builder(result, false) {}

    bool null() { return m_builder.null(); }
    bool boolean(bool value) { return m_builder.boolean(value); }
    bool number_integer(json::number_integer_t value) { return m_builder.number_integer(value); }
    bool number_unsigned(json::number_unsigned_t value) { return m_builder.number_unsigned(value); }
    bool number_float(json::number_float_t value, const std::string& text) {
        return m_builder.number_float(value, text);
    }
    bool string(json::string_t& value) { return m_builder.string(value); }
    bool binary(json::binary_t& value) { return m_builder.binary(value); }
    bool start_object(std::size_t size) { return m_builder.start_object(size); }
    bool key(json::string_t& value) { return m_builder.key(value); }
    bool end_object() { return m_builder.end_object(); }
    bool start_array(std::size_t size) { return m_builder.start_array(size); }
    bool end_array() { return m_builder.end_array(); }
    template <class Exception>
    bool parse_error(std::size_t position, const std::string&, const Exception& error) {
        failed = true;
        byte = position;
        outOfRange = error.id >= kFirstOutOfRangeId;
        return false;
    }

    bool failed = false;
    std::size_t byte = 0;  // counts from 1: the last byte read, the one that did not fit
    bool outOfRange = false;

  private:
    nlohmann::detail::json_sax_dom_parser<json> m_builder;
};

// Where a problem lies: a token that does not fit (e.g. "tru", or a number too large) is
// reported at its first byte.
std::size_t ProblemStart(const std::string& text, std::size_t byte, bool inNumber) {
    std::size_t at = byte > 0 ? byte - 1 : 0;
    const auto isTokenByte = [&text, inNumber](std::size_t i) {
        if (i >= text.size()) {
            return false;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        return std::isalnum(c) != 0 || (inNumber && (c == '.' || c == '+' || c == '-'));
    };
    if (at > 0 && !isTokenByte(at) && isTokenByte(at - 1)) {
        --at;  // a token cut short, e.g. "tru]": the parser stops after it
    }
    while (at > 0 && isTokenByte(at) && isTokenByte(at - 1)) {
        --at;
    }
    return at;
}

}  // namespace

nlohmann::json ParseJsonText(const std::string& text, const std::string& source) {
    nlohmann::json result;
    PositionedBuilder builder(result);
    nlohmann::json::sax_parse(text, &builder);
    if (!builder.failed) {
        return result;
    }
    const std::size_t at = ProblemStart(text, builder.byte, builder.outOfRange);
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    const std::size_t column = std::min(at, text.size()) - lineStart + 1;
    throw ToolError(source + ":" + std::to_string(line) + ":" + std::to_string(column) +
                    (builder.outOfRange ? ": a number too large to read (beyond 1.8e308)"
                                        : ": malformed JSON: " + Found(text, at)));
}
