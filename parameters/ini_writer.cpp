#include "parameters/ini_writer.h"

IniWriter::IniWriter(const std::string& path)
    : stream_(path, std::ios::out | std::ios::binary | std::ios::trunc) {}

namespace {

std::string escapeKey(const std::string& key) {
    std::string escaped;
    for (char c : key) {
        if (c == '=') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

bool IniWriter::operator<<(const IniDocument& document) {
    if (!stream_.is_open()) return false;
    bool firstSection = true;
    for (const auto& [name, section] : document) {
        if (!firstSection) stream_ << iniLineEnd << (pretty ? iniLineEnd : "");
        firstSection = false;
        stream_ << '[' << name << ']';
        for (const auto& [key, value] : section) {
            std::string trimmed = value;
            iniTrim(trimmed);
            stream_ << iniLineEnd << escapeKey(key) << (pretty ? " = " : "=") << trimmed;
        }
    }
    // A full disk or a failing device shows only when the buffer goes out.
    stream_.flush();
    return stream_.good();
}

bool IniWriter::close() {
    if (!stream_.is_open()) return false;
    stream_.close();
    return !stream_.fail();
}
