#pragma once
// A cursor over the text of a mesh file that yields tokens and numbers. The
// text formats differ in whether records end at line ends, in their comment
// character and in their punctuation, so those are rules of the scanner.

#include <cstddef>
#include <string>
#include <string_view>

namespace geometry::readers {

struct ScanRules {
    bool crossLines = true;  // tokens may be found on later lines
    char comment = '\0';     // starts a comment that runs to the line end
    bool commaIsBlank = false;
    bool brackets = false;       // [ ] { } are tokens of their own
    bool quotedStrings = false;  // "..." is one token
};

class TextScanner {
  public:
    explicit TextScanner(std::string_view text, ScanRules rules = {})
        : text_(text), rules_(rules) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t remaining() const { return text_.size() - pos_; }
    std::size_t position() const { return pos_; }

    // Skips blanks and comments, and line ends when the rules cross lines.
    void skipSpace();
    // Skips blanks, comments and line ends whatever the rules.
    void skipSpaceAndLines();
    // Moves past the next line end (or to the end of the text).
    void skipLine();
    // True when nothing but blanks or a comment is left on this line.
    bool atLineEnd();

    // The next token, empty at the end of the text (or of the line, when the
    // rules keep to one line).
    std::string_view token();
    // Reads a whole token as a number; false when there is none or it is not
    // entirely a number. Overflowing reals give +-infinity, tiny ones 0.
    bool readDouble(double& value);
    bool readInt(long long& value);

    // "line N: " for the current position, for error messages.
    std::string where() const;

  private:
    bool isBlank(char c) const;

    std::string_view text_;
    ScanRules rules_;
    std::size_t pos_ = 0;
};

bool parseDouble(std::string_view token, double& value);
bool parseInt(std::string_view token, long long& value);

// A piece of the file for a message: in double quotes, cut short, and with
// anything unprintable (line ends above all) shown as '?'.
std::string quoted(std::string_view text);

// Case-insensitive comparison of a token with a keyword.
bool equalsKeyword(std::string_view token, std::string_view keyword);

}  // namespace geometry::readers
