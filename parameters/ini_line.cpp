#include "parameters/ini_line.h"

#include "parameters/ini_document.h"

namespace {

const std::string escapedEquals = "\\=";

// Replaces every "\=" with "=", left to right; the scan goes on behind the
// inserted "=", so "\\=" keeps its first backslash.
void unescapeKey(std::string& key) {
    for (std::size_t at = key.find(escapedEquals); at != std::string::npos;
         at = key.find(escapedEquals, at + 1)) {
        key.replace(at, 2, "=");
    }
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

    // Blank out escaped "=" in a copy of the same length, so that the first
    // real "=" is found at its position in the line itself.
    std::string masked = line;
    for (std::size_t at = masked.find(escapedEquals); at != std::string::npos;
         at = masked.find(escapedEquals, at + 2)) {
        masked.replace(at, 2, "  ");
    }
    std::size_t split = masked.find('=');
    if (split == std::string::npos) return IniLineKind::unknown;

    parsed.first = line.substr(0, split);
    iniTrim(parsed.first);
    unescapeKey(parsed.first);
    parsed.second = line.substr(split + 1);
    iniTrim(parsed.second);
    return IniLineKind::keyValue;
}
