#pragma once
// Conversion of one typed parameter to and from the text of its INI entries.
//
// Written forms: bool "1"/"0"; int decimal; float as printf's "%f" (fixed,
// six decimals, rounded, "-" also for negative zero); float[3] as three
// float keys, key + ".x", ".y", ".z". Read forms: an empty or missing entry
// keeps the value; bool is true only for "1" or "true"; a float is the
// longest prefix that strtof takes, an int the longest that strtol takes in
// base 10. Neither direction depends on the user's locale.

#include <stdexcept>
#include <string>
#include <utility>

#include "parameters/ini_document.h"

// A bad number in a parameter file: the standard exception type and text of
// the C++ string conversions ("invalid stof argument", "stof argument out of
// range", "invalid stol argument", "stol argument out of range"), plus the
// key (lower case, as in the file) where it stands.
template <class StdError>
class ParamValueError : public StdError {
  public:
    ParamValueError(const char* text, std::string key) : StdError(text), key(std::move(key)) {}
    std::string key;
};
using ParamInvalidError = ParamValueError<std::invalid_argument>;
using ParamRangeError = ParamValueError<std::out_of_range>;

void writeIniBool(IniDocument& document, const std::string& section, const std::string& key,
                  const bool* value);
void writeIniInt(IniDocument& document, const std::string& section, const std::string& key,
                 const int* value);
void writeIniFloat(IniDocument& document, const std::string& section, const std::string& key,
                   const float* value);
void writeIniVec3(IniDocument& document, const std::string& section, const std::string& key,
                  const float* value);

void readIniBool(IniDocument& document, const std::string& section, const std::string& key,
                 bool* value);
// Throws ParamInvalidError or ParamRangeError; the value is then unchanged.
void readIniFloat(IniDocument& document, const std::string& section, const std::string& key,
                  float* value);
// Elements in order x, y, z: a bad y leaves y and z unchanged, x already set.
void readIniVec3(IniDocument& document, const std::string& section, const std::string& key,
                 float* value);

// The int rule for the two int keys: the decimal prefix of a non-empty text,
// which must fit a signed 32-bit int. Throws as readIniFloat does, with the
// "stol" texts; `key` only names the key in the exception.
int parseIniInt(const std::string& text, const std::string& key);

// "%f" of the value widened to double, with "." whatever the locale.
std::string formatIniFloat(float value);
