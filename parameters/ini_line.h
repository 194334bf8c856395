#pragma once
// Classifying one line of an INI file.

#include <string>
#include <utility>

enum class IniLineKind { none = 0, comment = 1, section = 2, keyValue = 3, unknown = 4 };

// Returns the kind of the line. For `section` the name (trimmed, case kept)
// is left in parsed.first; for `keyValue` the key and the value in
// parsed.first and parsed.second; for the other kinds both are empty.
//   - Comments are only a ";" at the first character after trimming; key
//     lines have no inline comments, a ";" after the "=" is value text.
//   - A section line is cut at its first ";"; the name runs to the last "]".
//     Without a "]" the cut line is tried as a key line.
//   - "\=" escapes an "=" in a key; the first unescaped "=" splits the line.
//     Escapes in the value are kept as they stand.
IniLineKind parseIniLine(std::string line, std::pair<std::string, std::string>& parsed);
