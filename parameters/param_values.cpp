#include "parameters/param_values.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <charconv>
#include <climits>

namespace {

// strtof and strtol read through this locale, never the user's, so a
// decimal comma locale cannot change what a file means.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

}  // namespace

std::string formatIniFloat(float value) {
    char text[64];  // FLT_MAX has 39 digits before the point
    auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

void writeIniBool(IniDocument& document, const std::string& section, const std::string& key,
                  const bool* value) {
    document[section][key] = *value ? "1" : "0";
}

void writeIniInt(IniDocument& document, const std::string& section, const std::string& key,
                 const int* value) {
    char text[16];
    auto result = std::to_chars(text, text + sizeof text, *value);
    document[section][key] = std::string(text, result.ptr);
}

void writeIniFloat(IniDocument& document, const std::string& section, const std::string& key,
                   const float* value) {
    document[section][key] = formatIniFloat(*value);
}

void writeIniVec3(IniDocument& document, const std::string& section, const std::string& key,
                  const float* value) {
    writeIniFloat(document, section, key + ".x", &value[0]);
    writeIniFloat(document, section, key + ".y", &value[1]);
    writeIniFloat(document, section, key + ".z", &value[2]);
}

void readIniBool(IniDocument& document, const std::string& section, const std::string& key,
                 bool* value) {
    const std::string& text = document[section][key];
    if (!text.empty()) *value = text == "1" || text == "true";
}

void readIniFloat(IniDocument& document, const std::string& section, const std::string& key,
                  float* value) {
    const std::string& text = document[section][key];
    if (text.empty()) return;
    char* end = nullptr;
    errno = 0;
    float parsed = strtof_l(text.c_str(), &end, cLocale());
    if (end == text.c_str()) throw ParamInvalidError("invalid stof argument", iniNormalName(key));
    if (errno == ERANGE) throw ParamRangeError("stof argument out of range", iniNormalName(key));
    *value = parsed;
}

void readIniVec3(IniDocument& document, const std::string& section, const std::string& key,
                 float* value) {
    readIniFloat(document, section, key + ".x", &value[0]);
    readIniFloat(document, section, key + ".y", &value[1]);
    readIniFloat(document, section, key + ".z", &value[2]);
}

int parseIniInt(const std::string& text, const std::string& key) {
    char* end = nullptr;
    errno = 0;
    long parsed = strtol_l(text.c_str(), &end, 10, cLocale());
    if (end == text.c_str()) throw ParamInvalidError("invalid stol argument", iniNormalName(key));
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        throw ParamRangeError("stol argument out of range", iniNormalName(key));
    }
    return static_cast<int>(parsed);
}
