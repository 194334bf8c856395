#include "parameters/ini_line.h"

#include "parameters/ini_document.h"

namespace {

// "\=" starts at `at`: an "=" that belongs to a key.
bool escapedEqualsAt(const std::string& text, std::size_t at) {
    return text[at] == '\\' && at + 1 < text.size() && text[at + 1] == '=';
}

// Replaces every "\=" with "=", left to right in one pass: the scan goes on
// behind the inserted "=", so "\\=" keeps its first backslash.
std::string unescapeKey(const std::string& key) {
    std::string plain;
    plain.reserve(key.size());
    for (std::size_t at = 0; at < key.size(); ++at) {
        if (escapedEqualsAt(key, at)) ++at;
        plain += key[at];
    }
    return plain;
}

// The first "=" that is not escaped, scanning from the left without overlap;
// npos when there is none.
std::size_t firstUnescapedEquals(const std::string& line) {
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (escapedEqualsAt(line, at))
            ++at;
        else if (line[at] == '=')
            return at;
    }
    return std::string::npos;
}

}  // namespace

IniLineKind parseIniLine(std::string line, std::pair<std::string, std::string>& parsed) {
    parsed.first.clear();
    parsed.second.clear();
    iniTrim(line);
    if (line.empty()) return IniLineKind::none;
    if (line[0] == ';') return IniLineKind::comment;

    if (line[0] == '[') {
        std::size_t semicolon = line.find(';');
        if (semicolon != std::string::npos) line.erase(semicolon);
        std::size_t close = line.rfind(']');
        if (close != std::string::npos) {
            parsed.first = line.substr(1, close - 1);
            iniTrim(parsed.first);
            return IniLineKind::section;
        }
    }

    std::size_t split = firstUnescapedEquals(line);
    if (split == std::string::npos) return IniLineKind::unknown;

    parsed.first = line.substr(0, split);
    iniTrim(parsed.first);
    parsed.first = unescapeKey(parsed.first);
    parsed.second = line.substr(split + 1);
    iniTrim(parsed.second);
    return IniLineKind::keyValue;
}
