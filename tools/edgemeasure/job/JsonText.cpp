#include "job/JsonText.h"

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

}  // namespace

nlohmann::json ParseJsonText(const std::string& text, const std::string& source) {
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        // `byte` counts from 1 and points at the last byte read, the one that did not fit; a
        // token that does not fit (e.g. "tru") is reported at its first byte.
        std::size_t at = error.byte > 0 ? error.byte - 1 : 0;
        const auto isWordByte = [&text](std::size_t i) {
            return i < text.size() && std::isalnum(static_cast<unsigned char>(text[i])) != 0;
        };
        if (at > 0 && !isWordByte(at) && isWordByte(at - 1)) {
            --at;  // a word cut short, e.g. "tru]": the parser stops after it
        }
        while (at > 0 && isWordByte(at) && isWordByte(at - 1)) {
            --at;
        }
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
                        ": malformed JSON: " + Found(text, at));
    }
}
