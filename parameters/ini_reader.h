#pragma once
// Reads an INI file into an IniDocument.

#include <fstream>
#include <string>
#include <vector>

#include "parameters/ini_document.h"

class IniReader {
  public:
    // Opens the path for reading in binary mode (no line-end translation).
    // Only regular files are opened: a directory, a device or a pipe leaves
    // the stream closed, as a missing or unreadable file does.
    explicit IniReader(const std::string& path);

    // The file's lines, read in one piece: a line feed ends a line, a
    // carriage return or NUL is dropped wherever it stands, and the last
    // line is kept even when empty. Closes the stream.
    std::vector<std::string> readLines();

    // Fills the document from the same lines, taken one at a time rather
    // than as a list: key lines go to the section above them, key lines
    // before the first section line are dropped, a repeated key keeps its
    // first position and its last value. False only when the file is not
    // open. Throws std::bad_alloc when the file does not fit in memory.
    bool operator>>(IniDocument& document);

  private:
    // The whole file in one read; closes the stream.
    std::string readBytes();

    std::ifstream stream_;
};
