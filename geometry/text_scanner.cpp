#include "geometry/text_scanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string>

namespace geometry::readers {

bool TextScanner::isBlank(char c) const {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' ||
           (rules_.commaIsBlank && c == ',');
}

void TextScanner::skipSpace() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (isBlank(c)) {
            ++pos_;
        } else if (c == '\n' && rules_.crossLines) {
            ++pos_;
        } else if (rules_.comment != '\0' && c == rules_.comment) {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else {
            break;
        }
    }
}

void TextScanner::skipSpaceAndLines() {
    bool cross = rules_.crossLines;
    rules_.crossLines = true;
    skipSpace();
    rules_.crossLines = cross;
}

void TextScanner::skipLine() {
    std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
}

bool TextScanner::atLineEnd() {
    bool cross = rules_.crossLines;
    rules_.crossLines = false;
    skipSpace();
    rules_.crossLines = cross;
    return atEnd() || text_[pos_] == '\n';
}

std::string_view TextScanner::token() {
    skipSpace();
    std::size_t start = pos_;
    if (atEnd() || text_[pos_] == '\n') return {};
    char first = text_[pos_];
    if (rules_.brackets && (first == '[' || first == ']' || first == '{' || first == '}')) {
        ++pos_;
        return text_.substr(start, 1);
    }
    if (rules_.quotedStrings && first == '"') {
        std::size_t close = text_.find('"', pos_ + 1);
        pos_ = close == std::string_view::npos ? text_.size() : close + 1;
        return text_.substr(start, pos_ - start);
    }
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n' || isBlank(c) || (rules_.comment != '\0' && c == rules_.comment)) break;
        if (rules_.brackets && (c == '[' || c == ']' || c == '{' || c == '}')) break;
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

bool TextScanner::readDouble(double& value) {
    return parseDouble(token(), value);
}

bool TextScanner::readInt(long long& value) {
    return parseInt(token(), value);
}

std::string TextScanner::where() const {
    long line = 1 + std::count(text_.begin(), text_.begin() + std::min(pos_, text_.size()), '\n');
    return "line " + std::to_string(line) + ": ";
}

bool parseDouble(std::string_view token, double& value) {
    if (token.size() > 1 && token[0] == '+' && token[1] != '-') token.remove_prefix(1);
    if (token.empty()) return false;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    if (ptr != end) return false;
    if (ec == std::errc::result_out_of_range) {
        // Let strtod say whether it over- or underflowed; the callers reject
        // the infinities.
        std::string copy(token);
        value = std::strtod(copy.c_str(), nullptr);
        return true;
    }
    return ec == std::errc();
}

bool parseInt(std::string_view token, long long& value) {
    if (token.size() > 1 && token[0] == '+' && token[1] != '-') token.remove_prefix(1);
    if (token.empty()) return false;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc() && ptr == end;
}

std::string quoted(std::string_view text) {
    const std::size_t limit = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    return out + (text.size() > limit ? "...\"" : "\"");
}

bool equalsKeyword(std::string_view token, std::string_view keyword) {
    if (token.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(token[i])) !=
            std::tolower(static_cast<unsigned char>(keyword[i])))
            return false;
    }
    return true;
}

}  // namespace geometry::readers
