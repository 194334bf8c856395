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
    // the same folder (named for the target, the name cut short where a long
    // one would not fit), which replaces the target only once every byte is
    // written and synced, so a failed save leaves the previous file intact.
    // Where no temporary file can be made there (a folder the user may not
    // write to), an existing file is written in place, and put back as it
    // was if that fails. False for an empty path (nothing is touched), a
    // target that exists but is not a regular file, or any failure to
    // create, write or rename.
    bool write(const IniDocument& document);

    std::string path;
};
