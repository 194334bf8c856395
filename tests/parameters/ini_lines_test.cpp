// Names, line classification and escapes of the INI component.

#include <gtest/gtest.h>

#include "parameters/ini_document.h"
#include "parameters/ini_line.h"

TEST(IniNames, TrimRemovesExactlyTheSixWhitespaceCharacters) {
    std::string text = " \t\n\r\f\va b\v\f\r\n\t ";
    iniTrim(text);
    EXPECT_EQ(text, "a b");
    text = " \t\r\n ";
    iniTrim(text);
    EXPECT_EQ(text, "");
    text = "\x01x\xC2\xA0";  // other control bytes and high bytes are content
    iniTrim(text);
    EXPECT_EQ(text, "\x01x\xC2\xA0");
}

TEST(IniNames, LookupTrimsAndFoldsOnlyAsciiLetters) {
    IniSection section;
    section["  Contour Width "] = "3";
    EXPECT_EQ(section["contour width"], "3");
    EXPECT_EQ(section.begin()->first, "contour width");
    // "É" and "é" in UTF-8 differ in a byte that the fold leaves alone.
    section["\xC3\x89t\xC3\xA9"] = "upper";
    section["\xC3\xA9t\xC3\xA9"] = "lower";
    EXPECT_EQ(section.size(), 3u);
    EXPECT_EQ(section["\xC3\x89T\xC3\xA9"], "upper");
}

TEST(IniNames, MissingNameIsAppendedEmptyAndOrderIsFirstInsertion) {
    IniDocument document;
    EXPECT_EQ(document["B"]["k"], "");
    document["a"]["x"] = "1";
    document["b"]["k"] = "2";
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document.begin()->first, "b");
    EXPECT_EQ(document["B"]["K"], "2");
    // A reference from a lookup survives appends to another table.
    std::string& value = document["a"]["x"];
    for (int i = 0; i < 100; ++i) document["b"]["k" + std::to_string(i)];
    value = "changed";
    EXPECT_EQ(document["a"]["x"], "changed");
    document.clear();
    EXPECT_EQ(document.size(), 0u);
}

TEST(IniLines, Classification) {
    using K = IniLineKind;
    struct Case {
        const char* line;
        IniLineKind kind;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"", K::none, "", ""},
        {" \t\f\v ", K::none, "", ""},
        {";note", K::comment, "", ""},
        {"   ; note", K::comment, "", ""},
        {"; a = b", K::comment, "", ""},
        {"no equals here", K::unknown, "", ""},
        {"#hash=not a comment", K::keyValue, "#hash", "not a comment"},
        // A ";" is a comment only at the start; key lines have no inline comments.
        {"a ; b = c", K::keyValue, "a ; b", "c"},
        {"key = value ; note", K::keyValue, "key", "value ; note"},
        {"  UseBlinnPhong \t=\t true  ", K::keyValue, "UseBlinnPhong", "true"},
        {"k = ", K::keyValue, "k", ""},
        // Sections: trimmed, case kept, up to the last "]", cut at ";".
        {"[ Sec ]", K::section, "Sec", ""},
        {"[a]b]", K::section, "a]b", ""},
        {"[a] tail", K::section, "a", ""},
        {"[]", K::section, "", ""},
        {"[Sec] ; note", K::section, "Sec", ""},
        {"[a=b]", K::section, "a=b", ""},
        // Without a "]" the (cut) line is tried as a key line.
        {"[abc", K::unknown, "", ""},
        {"[a=b", K::keyValue, "[a", "b"},
        {"[a;b]", K::unknown, "", ""},
        {"[a=b;c]", K::keyValue, "[a", "b"},
        // "\=" escapes "=" in keys only; the first unescaped "=" splits.
        {"a\\=b = c", K::keyValue, "a=b", "c"},
        {"k = v\\=w", K::keyValue, "k", "v\\=w"},
        {"=v", K::keyValue, "", "v"},
        {"a\\==b", K::keyValue, "a=", "b"},
        {"k = a=b", K::keyValue, "k", "a=b"},
        {"a\\=b", K::unknown, "", ""},
        {"a\\=\\=b=c", K::keyValue, "a==b", "c"},
        {"a\\\\=b=c", K::keyValue, "a\\=b", "c"},
    };
    for (const Case& c : cases) {
        std::pair<std::string, std::string> parsed{"stale", "stale"};
        EXPECT_EQ(parseIniLine(c.line, parsed), c.kind) << c.line;
        EXPECT_EQ(parsed.first, c.first) << c.line;
        EXPECT_EQ(parsed.second, c.second) << c.line;
    }
}
