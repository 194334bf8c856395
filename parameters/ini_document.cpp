#include "parameters/ini_document.h"

const std::string iniWhitespace = " \t\n\r\f\v";
const std::string iniLineEnd = "\r\n";

void iniTrim(std::string& text) {
    text.erase(text.find_last_not_of(iniWhitespace) + 1);  // npos + 1 == 0: all blank
    text.erase(0, text.find_first_not_of(iniWhitespace));
}

std::string iniNormalName(std::string name) {
    iniTrim(name);
    // Byte by byte, not through the C library, so the locale cannot fold
    // other letters.
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}
