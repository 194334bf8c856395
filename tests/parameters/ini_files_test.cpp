// Reading and writing INI files at the byte level, and failed writes.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "param_fixture.h"
#include "parameters/ini_file.h"
#include "parameters/ini_reader.h"
#include "parameters/ini_writer.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class IniFiles : public ::testing::Test {
  protected:
    Lines linesOf(const std::string& bytes) {
        writeFile(dir.file("in.ini"), bytes);
        return IniReader(dir.file("in.ini")).readLines();
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
    writeFile(dir.file("empty.ini"), "");  // reads fine, into an empty document
    fs::create_directory(dir.file("folder"));
    for (const std::string& path :
         {std::string(), dir.file("none.ini"), dir.file("folder"), dir.file("empty.ini")}) {
        IniDocument document = one;
        EXPECT_EQ(IniFile(path).read(document), path == dir.file("empty.ini")) << path;
        EXPECT_EQ(document.size(), 0u) << path;
    }
    for (const std::string& path : {std::string(), dir.file("no/out.ini"), dir.file("folder")})
        EXPECT_FALSE(IniFile(path).write(one)) << path;
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_EQ(entries(), 2u) << "no temporary file is left";
    EXPECT_FALSE(IniWriter("/dev/full") << one) << "/dev/full refuses every byte";
}

// A save goes through a temporary file that replaces the target only when
// complete: a write that fails part-way keeps the previous file. A link and
// the target's permissions survive a save.
TEST_F(IniFiles, FailingPartWayKeepsThePreviousFileAndLinksSurvive) {
    const std::string target = dir.file("params.ini");
    writeFile(target, "old");
    IniDocument big;
    for (int i = 0; i < 2000; ++i) big["s"]["key" + std::to_string(i)] = "value";
    ChildResult child = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};  // the write fails after some bytes went out
        setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("%d", IniFile(target).write(big) ? 1 : 0);
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
