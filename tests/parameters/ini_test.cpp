// The INI component: names, line classification, and files at the byte level.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "parameters/ini_file.h"
#include "parameters/ini_line.h"
#include "parameters/ini_reader.h"
#include "parameters/ini_writer.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

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
    // E acute in upper and lower case differ in a byte that the fold leaves alone.
    section["\xC3\x89t\xC3\xA9"] = "upper";
    section["\xC3\xA9t\xC3\xA9"] = "lower";
    EXPECT_EQ(section["\xC3\x89T\xC3\xA9"], "upper");
    EXPECT_EQ(document.begin()->first, "b") << "order is first insertion";
    EXPECT_EQ(document["A"]["CONTOUR WIDTH"], "3");
}

// Comments only at the start; sections trimmed, case kept, up to the last "]",
// cut at ";", else tried as key lines; "\=" escapes "=" in keys only.
TEST(IniLines, Classification) {
    using K = IniLineKind;
    std::string escapes;  // a long key of escapes: read in linear time
    for (int i = 0; i < 100000; ++i) escapes += "\\=";
    const std::tuple<std::string, IniLineKind, std::string, std::string> cases[] = {
        {" \t\f\v ", K::none, "", ""},
        {"   ; note", K::comment, "", ""},
        {"a ; b = c", K::keyValue, "a ; b", "c"},
        {"key = value ; note", K::keyValue, "key", "value ; note"},
        {"[ Sec ]", K::section, "Sec", ""},
        {"[a]b]", K::section, "a]b", ""},
        {"[a] tail", K::section, "a", ""},
        {"[]", K::section, "", ""},
        {"[Sec] ; note", K::section, "Sec", ""},
        {"[abc", K::unknown, "", ""},
        {"[a=b", K::keyValue, "[a", "b"},
        {"[a;b]", K::unknown, "", ""},
        {"a\\=b = c", K::keyValue, "a=b", "c"},
        {"k = v\\=w", K::keyValue, "k", "v\\=w"},
        {"=v", K::keyValue, "", "v"},
        {"a\\==b", K::keyValue, "a=", "b"},
        {"a\\\\==b", K::keyValue, "a\\=", "b"},  // "\\=" keeps its first backslash
        {escapes + "=v", K::keyValue, std::string(100000, '='), "v"},
        {"k = a=b", K::keyValue, "k", "a=b"},
        {"a\\=b", K::unknown, "", ""},
    };
    for (const auto& [line, kind, first, second] : cases) {
        std::pair<std::string, std::string> parsed{"stale", "stale"};
        EXPECT_EQ(parseIniLine(line, parsed), kind) << line;
        EXPECT_EQ(parsed, std::make_pair(first, second)) << line;
    }
}

class IniFiles : public ::testing::Test {
  protected:
    Lines linesOf(const std::string& bytes) {
        return IniReader(writeFile(dir.file("in.ini"), bytes)).readLines();
    }
    std::string written(const IniDocument& document, bool pretty = false) {
        IniWriter writer(dir.file("out.ini"));
        writer.pretty = pretty;
        EXPECT_TRUE((writer << document) && writer.close());
        return readFile(dir.file("out.ini"));
    }
    size_t entries() { return std::distance(fs::directory_iterator(dir.path), {}); }
    ScratchDir dir;
    IniDocument one = [] {
        IniDocument document;
        document["s"]["k"] = "v";
        return document;
    }();
};

TEST_F(IniFiles, LineEndsDroppedBytesAndTheDocumentTheyMake) {
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines{"a", "b", ""}));
    EXPECT_EQ(linesOf("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf(std::string("a\rb\0c\r\r\nd", 10)), (Lines{"abc", "d"}));

    // Keys before a section are dropped; repeated sections merge; a repeated
    // key keeps its first place and its last value; a BOM hides the section.
    writeFile(dir.file("in.ini"),
              "\xEF\xBB\xBF[bom]\r\norphan=dropped\r\n; c\r\n[First]\r\nb=1\r\na = 2\r\njunk\r\n"
              "[empty]\r\n[FIRST]\r\nB=3\nc=4");
    IniDocument document;
    ASSERT_TRUE(IniFile(dir.file("in.ini")).read(document));
    std::vector<std::pair<std::string, std::string>> keys(document["first"].begin(),
                                                          document["first"].end());
    EXPECT_EQ(keys, (decltype(keys){{"b", "3"}, {"a", "2"}, {"c", "4"}}));
    EXPECT_EQ(document.size(), 2u);
}

TEST_F(IniFiles, WrittenBytes) {
    IniDocument document;
    document["Settings"]["contourWidth"] = "3.000000";
    document["Settings"]["useBlinnPhong"] = "";
    EXPECT_EQ(written(document), "[settings]\r\ncontourwidth=3.000000\r\nuseblinnphong=");
    document["Empty"];
    document["Last"]["a=b"] = "  v=w\\=z\t";
    EXPECT_EQ(written(document, true),
              "[settings]\r\ncontourwidth = 3.000000\r\nuseblinnphong = \r\n\r\n"
              "[empty]\r\n\r\n[last]\r\na\\=b = v=w\\=z");
    EXPECT_TRUE(IniFile(dir.file("out.ini")).write(IniDocument()));
    EXPECT_EQ(readFile(dir.file("out.ini")), "") << "an empty document truncates";
}

TEST_F(IniFiles, FailedReadsEmptyTheDocumentFailedWritesTouchNothing) {
    fs::create_directory(dir.file("folder"));
    const std::string empty = writeFile(dir.file("empty.ini"), "");  // reads, into nothing
    for (const std::string& path :
         {std::string(), dir.file("none.ini"), dir.file("folder"), empty}) {
        IniDocument document = one;
        EXPECT_EQ(IniFile(path).read(document), path == empty) << path;
        EXPECT_EQ(document.size(), 0u) << path;
    }
    for (const std::string& path : {std::string(), dir.file("no/out.ini"), dir.file("folder")})
        EXPECT_FALSE(IniFile(path).write(one)) << path;
    EXPECT_EQ(entries(), 2u) << "no temporary file is left";
    EXPECT_FALSE(IniWriter("/dev/full") << one) << "/dev/full refuses every byte";
}

// A save goes through a temporary file that replaces the target only when
// complete: a write that fails part-way keeps the previous file. A link and
// the target's permissions survive a save.
TEST_F(IniFiles, FailingPartWayKeepsThePreviousFileAndLinksSurvive) {
    const std::string target = writeFile(dir.file("params.ini"), "old");
    IniDocument big;
    for (int i = 0; i < 2000; ++i) big["s"]["key" + std::to_string(i)] = "value";
    ChildResult child = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};  // the write fails after some bytes went out
        setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("%d", IniFile(target).write(big));
    });
    EXPECT_EQ(child.out, "0");
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(entries(), 1u);

    fs::permissions(target, fs::perms(0640));
    fs::create_symlink(target, dir.file("link.ini"));
    ASSERT_TRUE(IniFile(dir.file("link.ini")).write(one));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(readFile(target), "[s]\r\nk=v");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
}

// Ten million blank lines cost their ten megabytes, not a string each.
TEST_F(IniFiles, BlankLinesCostNoMoreThanTheirBytes) {
    REQUIRE_ADDRESS_LIMIT();
    const std::string path =
        writeFile(dir.file("blank.ini"), "[s]" + std::string(10000000, '\n') + "k=v");
    ChildResult child = runInChild([&] {
        limitAddressSpace(200 << 20);
        IniDocument document;
        std::printf("%d %s", IniFile(path).read(document), document["s"]["k"].c_str());
    });
    EXPECT_EQ(child.out, "1 v");
}
