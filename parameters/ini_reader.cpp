#include "parameters/ini_reader.h"

#include <sys/stat.h>

#include <utility>

#include "parameters/ini_line.h"

IniReader::IniReader(const std::string& path) {
    // A directory opens on Linux and then reports a nonsense size.
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
    stream_.open(path, std::ios::in | std::ios::binary);
}

std::vector<std::string> IniReader::readLines() {
    std::vector<std::string> lines;
    stream_.seekg(0, std::ios::end);
    std::streamoff size = stream_.tellg();
    stream_.seekg(0, std::ios::beg);
    std::string bytes;
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        stream_.read(&bytes[0], size);
        bytes.resize(static_cast<std::size_t>(stream_.gcount()));  // a short read ends early
    }
    stream_.close();
    if (size <= 0) return lines;

    std::string line;
    line.reserve(50);
    for (char byte : bytes) {
        if (byte == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            line.reserve(50);
        } else if (byte != '\r' && byte != '\0') {
            line.push_back(byte);
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

bool IniReader::operator>>(IniDocument& document) {
    if (!stream_.is_open()) return false;
    std::string section;
    bool sectionSeen = false;
    std::pair<std::string, std::string> parsed;
    for (const std::string& line : readLines()) {
        switch (parseIniLine(line, parsed)) {
            case IniLineKind::section:
                section = parsed.first;
                sectionSeen = true;
                document[section];  // a section without keys still exists
                break;
            case IniLineKind::keyValue:
                if (sectionSeen) document[section][parsed.first] = parsed.second;
                break;
            default:
                break;
        }
    }
    return true;
}
