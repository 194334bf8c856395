#pragma once
// Parameter files: every render parameter and the shell's three stored
// settings, saved to and loaded from the section "Settings" of an INI file
// under fixed keys in a fixed order.

#include <string>

// Writes every parameter (file replaced whole, other sections and comments
// gone). False when the path is empty or the file cannot be written; the
// previous file is then left as it was. Changes no parameter.
bool saveParams(std::string path);

// Sets every parameter that the file gives a non-empty value, key by key in
// table order, then reloads the colour-map texture (needs the GL context).
// False, with nothing changed, when the file cannot be read. A bad number
// throws ParamInvalidError or ParamRangeError (param_values.h) and stops the
// load at that key: keys before it keep their new values, it and all after
// it their old ones, and the texture is not reloaded. A colour-map index
// outside 0 to 3 is not taken: the old index stays and one console line
// names the key.
bool loadParams(std::string path);

// loadParams without the colour-map reload: the part that needs no GL context.
bool readParams(const std::string& path);

// What the panel calls: loadParams and saveParams that never throw and report
// any failure as one console line, "ERROR: parameter file <path>: " followed
// by "key <key>: <text>" for a bad number, "cannot be read", "not enough
// memory to read it" (every parameter kept) or "cannot be written". They
// return the result of the call.
bool loadParamsReporting(const std::string& path);
bool saveParamsReporting(const std::string& path);
