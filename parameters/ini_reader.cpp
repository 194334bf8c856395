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

std::string IniReader::readBytes() {
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
    return bytes;
}

namespace {

// Calls visit(line) for every line of the bytes. One line buffer is reused,
// so a file of a million blank lines costs no more than its bytes.
template <class Visit>
void forEachLine(const std::string& bytes, Visit visit) {
    if (bytes.empty()) return;
    std::string line;
    for (char byte : bytes) {
        if (byte == '\n') {
            visit(line);
            line.clear();
        } else if (byte != '\r' && byte != '\0') {
            line.push_back(byte);
        }
    }
    visit(line);
}

}  // namespace

std::vector<std::string> IniReader::readLines() {
    std::vector<std::string> lines;
    forEachLine(readBytes(), [&](const std::string& line) { lines.push_back(line); });
    return lines;
}

bool IniReader::operator>>(IniDocument& document) {
    if (!stream_.is_open()) return false;
    std::string section;
    bool sectionSeen = false;
    std::pair<std::string, std::string> parsed;
    forEachLine(readBytes(), [&](const std::string& line) {
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
    });
    return true;
}
