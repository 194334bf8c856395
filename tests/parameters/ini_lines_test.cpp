// Names, line classification and escapes of the INI component.

#include <gtest/gtest.h>

#include "parameters/ini_document.h"
#include "parameters/ini_line.h"

namespace {

struct Parsed {
    IniLineKind kind;
    std::string first, second;
};

Parsed parse(const std::string& line) {
    std::pair<std::string, std::string> out{"stale", "stale"};
    IniLineKind kind = parseIniLine(line, out);
    return {kind, out.first, out.second};
}

void expectKeyValue(const std::string& line, const std::string& key, const std::string& value) {
    Parsed p = parse(line);
    EXPECT_EQ(p.kind, IniLineKind::keyValue) << line;
    EXPECT_EQ(p.first, key) << line;
    EXPECT_EQ(p.second, value) << line;
}

void expectSection(const std::string& line, const std::string& name) {
    Parsed p = parse(line);
    EXPECT_EQ(p.kind, IniLineKind::section) << line;
    EXPECT_EQ(p.first, name) << line;
    EXPECT_EQ(p.second, "") << line;
}

void expectKind(const std::string& line, IniLineKind kind) {
    Parsed p = parse(line);
    EXPECT_EQ(p.kind, kind) << line;
    EXPECT_EQ(p.first, "") << line;
    EXPECT_EQ(p.second, "") << line;
}

}  // namespace

TEST(IniNames, TrimRemovesExactlyTheSixWhitespaceCharacters) {
    std::string text = " \t\n\r\f\va b\v\f\r\n\t ";
    iniTrim(text);
    EXPECT_EQ(text, "a b");
    text = " \t\r\n ";
    iniTrim(text);
    EXPECT_EQ(text, "");
    // Other control bytes and high bytes are content.
    text = "\x01x\xC2\xA0";
    iniTrim(text);
    EXPECT_EQ(text, "\x01x\xC2\xA0");
}

TEST(IniNames, LookupTrimsAndFoldsOnlyAsciiLetters) {
    IniSection section;
    section["  Contour Width "] = "3";
    EXPECT_EQ(section["contour width"], "3");
    EXPECT_EQ(section.size(), 1u);
    EXPECT_EQ(section.begin()->first, "contour width");

    // "É" and "é" in UTF-8 differ in a byte the fold leaves alone.
    section["\xC3\x89t\xC3\xA9"] = "upper";
    section["\xC3\xA9t\xC3\xA9"] = "lower";
    EXPECT_EQ(section.size(), 3u);
    EXPECT_EQ(section["\xC3\x89T\xC3\xA9"], "upper");
}

TEST(IniNames, MissingNameIsAppendedEmptyAndOrderIsFirstInsertion) {
    IniDocument document;
    EXPECT_EQ(document["B"]["k"], "");
    document["a"]["x"] = "1";
    document["b"]["k"] = "2";  // existing: keeps its place
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document.begin()->first, "b");
    EXPECT_EQ(document.begin()->second.size(), 1u);
    EXPECT_EQ(document["B"]["K"], "2");

    // A reference from a lookup survives appends to another table.
    std::string& value = document["a"]["x"];
    for (int i = 0; i < 100; ++i) document["b"]["k" + std::to_string(i)];
    value = "changed";
    EXPECT_EQ(document["a"]["x"], "changed");

    document.clear();
    EXPECT_EQ(document.size(), 0u);
    EXPECT_EQ(document["a"].size(), 0u);
}

TEST(IniLines, BlankCommentAndUnknown) {
    expectKind("", IniLineKind::none);
    expectKind(" \t\f\v ", IniLineKind::none);
    expectKind(";note", IniLineKind::comment);
    expectKind("   ; note", IniLineKind::comment);
    expectKind("; a = b", IniLineKind::comment);
    expectKind("no equals here", IniLineKind::unknown);
    expectKeyValue("#hash=not a comment", "#hash", "not a comment");
}

TEST(IniLines, SemicolonOnlyCommentsAtTheStart) {
    expectKeyValue("a ; b = c", "a ; b", "c");
    expectKeyValue("key = value ; note", "key", "value ; note");
}

TEST(IniLines, SectionNames) {
    expectSection("[ Sec ]", "Sec");
    expectSection("[a]b]", "a]b");
    expectSection("[a] tail", "a");
    expectSection("[]", "");
    expectSection("[Sec] ; note", "Sec");
    expectSection("  [x]  ", "x");
    expectSection("[a=b]", "a=b");
}

TEST(IniLines, BracketLinesWithoutCloseAreTriedAsKeys) {
    expectKind("[abc", IniLineKind::unknown);
    expectKeyValue("[a=b", "[a", "b");
    // Cut at ";" before the "]" is looked for.
    expectKind("[a;b]", IniLineKind::unknown);
    expectKeyValue("[a=b;c]", "[a", "b");
}

TEST(IniLines, EscapedEqualsInKeysOnly) {
    expectKeyValue("a\\=b = c", "a=b", "c");
    expectKeyValue("k = v\\=w", "k", "v\\=w");
    expectKeyValue("=v", "", "v");
    expectKeyValue("a\\==b", "a=", "b");
    expectKeyValue("k = a=b", "k", "a=b");
    expectKind("a\\=b", IniLineKind::unknown);
    // The scan goes on behind the inserted "=", so both escapes are undone.
    expectKeyValue("a\\=\\=b=c", "a==b", "c");
    // A backslash before the escape is not itself an escape.
    expectKeyValue("a\\\\=b=c", "a\\=b", "c");
}

TEST(IniLines, KeysAndValuesAreTrimmedNotFolded) {
    expectKeyValue("  UseBlinnPhong \t=\t true  ", "UseBlinnPhong", "true");
    expectKeyValue("k=", "k", "");
    expectKeyValue("k = ", "k", "");
}
