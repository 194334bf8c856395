// Reading and writing INI files at the byte level, and failed writes.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "parameters/ini_file.h"
#include "parameters/ini_reader.h"
#include "parameters/ini_writer.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class IniFiles : public ::testing::Test {
  protected:
    Lines linesOf(const std::string& bytes) {
        writeBytes(dir.file("in.ini"), bytes);
        return IniReader(dir.file("in.ini")).readLines();
    }

    IniDocument documentOf(const std::string& bytes) {
        writeBytes(dir.file("in.ini"), bytes);
        IniDocument document;
        EXPECT_TRUE(IniFile(dir.file("in.ini")).read(document));
        return document;
    }

    std::string written(const IniDocument& document, bool pretty = false) {
        IniWriter writer(dir.file("out.ini"));
        writer.pretty = pretty;
        EXPECT_TRUE(writer << document);
        EXPECT_TRUE(writer.close());
        return readBytes(dir.file("out.ini"));
    }

    // Names in the directory, to see that no temporary file is left behind.
    std::vector<std::string> entries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path)) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir;
};

TEST_F(IniFiles, LineEndsAndDroppedBytes) {
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines{"a", "b", ""}));
    EXPECT_EQ(linesOf("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("\n"), (Lines{"", ""}));
    EXPECT_EQ(linesOf(std::string("a\rb\0c\r\r\nd", 10)), (Lines{"abc", "d"}));
    // A lone CR is not a line end.
    EXPECT_EQ(linesOf("a\rb"), (Lines{"ab"}));
    EXPECT_EQ(linesOf("\xEF\xBB\xBF[s]\n"), (Lines{"\xEF\xBB\xBF[s]", ""}));
}

TEST_F(IniFiles, DocumentFromLines) {
    IniDocument document = documentOf(
        "orphan=dropped\r\n"
        "; comment\r\n"
        "[First]\r\n"
        "b=1\r\n"
        "a = 2\r\n"
        "junk line\r\n"
        "[empty]\r\n"
        "[FIRST]\r\n"
        "B=3\r\n"
        "c=4");
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document.begin()->first, "first");
    const IniSection& first = document["first"];
    std::vector<std::pair<std::string, std::string>> entries(first.begin(), first.end());
    EXPECT_EQ(entries, (decltype(entries){{"b", "3"}, {"a", "2"}, {"c", "4"}}));
    EXPECT_EQ(document["empty"].size(), 0u);

    EXPECT_EQ(documentOf("[s]\na\rb=1\n")["s"]["ab"], "1");
    // A byte-order mark makes the first line neither a comment nor a section.
    EXPECT_EQ(documentOf("\xEF\xBB\xBF[settings]\r\nkey=1").size(), 0u);
}

TEST_F(IniFiles, ReadFailuresLeaveTheDocumentEmpty) {
    IniDocument document;
    document["old"]["k"] = "v";
    EXPECT_FALSE(IniFile("").read(document));
    EXPECT_EQ(document.size(), 0u);
    document["old"]["k"] = "v";
    EXPECT_FALSE(IniFile(dir.file("missing.ini")).read(document));
    EXPECT_EQ(document.size(), 0u);
    document["old"]["k"] = "v";
    EXPECT_FALSE(IniFile(dir.path).read(document));
    EXPECT_EQ(document.size(), 0u);
    writeBytes(dir.file("empty.ini"), "");
    EXPECT_TRUE(IniFile(dir.file("empty.ini")).read(document));
    EXPECT_EQ(document.size(), 0u);
}

TEST_F(IniFiles, WrittenBytes) {
    IniDocument document;
    document["Settings"]["contourWidth"] = "3.000000";
    document["Settings"]["useBlinnPhong"] = "1";
    EXPECT_EQ(written(document), "[settings]\r\ncontourwidth=3.000000\r\nuseblinnphong=1");

    document["Empty"];
    document["Last"]["a=b"] = "  spaced value\t";
    EXPECT_EQ(written(document, true),
              "[settings]\r\ncontourwidth = 3.000000\r\nuseblinnphong = 1\r\n\r\n"
              "[empty]\r\n\r\n"
              "[last]\r\na\\=b = spaced value");
    EXPECT_EQ(document["last"]["A=B"], "  spaced value\t");  // stored value untouched

    IniDocument keysOnlyLookedUp;
    keysOnlyLookedUp["s"]["k"];
    keysOnlyLookedUp["t"];
    EXPECT_EQ(written(keysOnlyLookedUp), "[s]\r\nk=\r\n[t]");
}

TEST_F(IniFiles, EmptyDocumentTruncates) {
    writeBytes(dir.file("out.ini"), "[old]\r\nk=v");
    EXPECT_TRUE(IniFile(dir.file("out.ini")).write(IniDocument()));
    EXPECT_EQ(readBytes(dir.file("out.ini")), "");
}

TEST_F(IniFiles, WriteThenReadKeepsNamesAndValues) {
    IniDocument document;
    document["One"]["x=y"] = "v=w\\=z";
    document["One"]["semi;colon"] = "a ; b";
    document["Two"]["k"] = "";
    ASSERT_TRUE(IniFile(dir.file("round.ini")).write(document));
    IniDocument back;
    ASSERT_TRUE(IniFile(dir.file("round.ini")).read(back));
    EXPECT_EQ(back["one"]["x=y"], "v=w\\=z");
    EXPECT_EQ(back["one"]["semi;colon"], "a ; b");
    EXPECT_EQ(back["two"]["k"], "");
    EXPECT_EQ(back.size(), 2u);
}

TEST_F(IniFiles, WriteFailuresReturnFalseAndTouchNothing) {
    IniDocument document;
    document["s"]["k"] = "v";
    EXPECT_FALSE(IniFile("").write(document));
    EXPECT_FALSE(IniFile(dir.file("no-such-dir/out.ini")).write(document));
    fs::create_directory(dir.file("folder"));
    EXPECT_FALSE(IniFile(dir.file("folder")).write(document));
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_EQ(entries(), std::vector<std::string>{"folder"});
    EXPECT_FALSE(IniWriter(dir.file("no-such-dir/out.ini")) << document);
    if (fs::exists("/dev/full")) {
        EXPECT_FALSE(IniWriter("/dev/full") << document);  // refuses every byte
    }
}

TEST_F(IniFiles, FailingPartWayKeepsThePreviousFile) {
    const std::string target = dir.file("params.ini");
    writeBytes(target, "[settings]\r\nold=1");
    IniDocument document;
    for (int i = 0; i < 2000; ++i) document["s"]["key" + std::to_string(i)] = "value";
    // A file size limit makes the write fail after some bytes have gone out.
    ChildResult child = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("%d", IniFile(target).write(document) ? 1 : 0);
    });
    EXPECT_EQ(child.out, "0");
    EXPECT_EQ(readBytes(target), "[settings]\r\nold=1");
    EXPECT_EQ(entries(), std::vector<std::string>{"params.ini"});
}

TEST_F(IniFiles, SaveKeepsLinkAndPermissions) {
    const std::string target = dir.file("real.ini");
    writeBytes(target, "old");
    chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir.file("link.ini"));
    IniDocument document;
    document["s"]["k"] = "v";
    ASSERT_TRUE(IniFile(dir.file("link.ini")).write(document));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(readBytes(target), "[s]\r\nk=v");
    struct stat status;
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}
