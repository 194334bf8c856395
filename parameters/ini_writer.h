#pragma once
// Writes an IniDocument to a file.

#include <fstream>
#include <string>

#include "parameters/ini_document.h"

class IniWriter {
  public:
    // Opens the path for writing in binary mode, truncating or creating it.
    explicit IniWriter(const std::string& path);

    // Writes "[name]" for every section (also one without keys), then its
    // "key=value" lines; lines are separated by CR LF, with none after the
    // last. "=" in a key is escaped as "\=", values are written trimmed.
    // An empty document writes nothing. False when the file is not open or
    // any byte could not be written.
    bool operator<<(const IniDocument& document);

    // Closes the file; false when the last buffered bytes could not be written.
    bool close();

    // " = " between key and value and an empty line between sections.
    bool pretty = false;

  private:
    std::ofstream stream_;
};
