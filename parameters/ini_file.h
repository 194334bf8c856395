#pragma once
// Reading an INI file into a document and writing a document to a file.

#include <string>
#include <utility>

#include "parameters/ini_document.h"

class IniFile {
  public:
    explicit IniFile(std::string path) : path(std::move(path)) {}

    // Clears the document, then fills it from the file. False for an empty
    // path or a file that cannot be opened (the document stays empty).
    bool read(IniDocument& document);

    // Writes the document (not pretty). The bytes go to a temporary file in
    // the same folder, which replaces the target only once every byte is
    // written and synced, so a failed save leaves the previous file intact.
    // False for an empty path (nothing is touched), a target that exists but
    // is not a regular file, or any failure to create, write or rename.
    bool write(const IniDocument& document);

    std::string path;
};
