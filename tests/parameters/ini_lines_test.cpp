// Names, line classification and escapes of the INI component.

#include <gtest/gtest.h>

#include "parameters/ini_document.h"
#include "parameters/ini_line.h"

TEST(IniNames, TrimFoldAndAppendOnLookup) {
    // Only the six whitespace bytes are trimmed: other controls and high bytes are content.
    std::string text = " \t\n\r\f\v\x01z\xC2\xA0\v\f\r\n\t ";
    iniTrim(text);
    EXPECT_EQ(text, "\x01z\xC2\xA0");

    IniDocument document;
    EXPECT_EQ(document["B"]["k"], "");  // a missing name is appended empty
    IniSection& section = document["a"];
    section["  Contour Width "] = "3";
    EXPECT_EQ(section.begin()->first, "contour width");
    // "\xC3\x89" and "\xC3\xA9" (E acute) differ in a byte that the fold leaves alone.
    section["\xC3\x89t\xC3\xA9"] = "upper";
    section["\xC3\xA9t\xC3\xA9"] = "lower";
    EXPECT_EQ(section["\xC3\x89T\xC3\xA9"], "upper");
    EXPECT_EQ(document.begin()->first, "b") << "order is first insertion";
    // A reference from a lookup survives appends to another table.
    std::string& value = section["contour width"];
    for (int i = 0; i < 100; ++i) document["b"]["k" + std::to_string(i)];
    value = "changed";
    EXPECT_EQ(document["A"]["CONTOUR WIDTH"], "changed");
}

TEST(IniLines, Classification) {
    using K = IniLineKind;
    const std::tuple<const char*, IniLineKind, const char*, const char*> cases[] = {
        {" \t\f\v ", K::none, "", ""},
        {"   ; note", K::comment, "", ""},
        // A ";" is a comment only at the start; key lines have no inline comments.
        {"a ; b = c", K::keyValue, "a ; b", "c"},
        {"key = value ; note", K::keyValue, "key", "value ; note"},
        // Sections: trimmed, case kept, up to the last "]", cut at ";".
        {"[ Sec ]", K::section, "Sec", ""},
        {"[a]b]", K::section, "a]b", ""},
        {"[a] tail", K::section, "a", ""},
        {"[]", K::section, "", ""},
        {"[Sec] ; note", K::section, "Sec", ""},
        // Without a "]" the (cut) line is tried as a key line.
        {"[abc", K::unknown, "", ""},
        {"[a=b", K::keyValue, "[a", "b"},
        {"[a;b]", K::unknown, "", ""},
        // "\=" escapes "=" in keys only; the first unescaped "=" splits.
        {"a\\=b = c", K::keyValue, "a=b", "c"},
        {"k = v\\=w", K::keyValue, "k", "v\\=w"},
        {"=v", K::keyValue, "", "v"},
        {"a\\==b", K::keyValue, "a=", "b"},
        {"k = a=b", K::keyValue, "k", "a=b"},
        {"a\\=b", K::unknown, "", ""},
    };
    for (const auto& [line, kind, first, second] : cases) {
        std::pair<std::string, std::string> parsed{"stale", "stale"};
        EXPECT_EQ(parseIniLine(line, parsed), kind) << line;
        EXPECT_EQ(parsed, std::make_pair(std::string(first), std::string(second))) << line;
    }
}
