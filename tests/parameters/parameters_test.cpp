// The INI component at the byte level, and saving and loading every parameter
// as the panel does: value forms, bad values, memory, locale, colour maps.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "gl_context.h"
#include "parameters/ini_file.h"
#include "parameters/ini_line.h"
#include "parameters/ini_writer.h"
#include "parameters/param_file.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const std::string defaults = MORVIK_SOURCE_DIR "/assets/params/defaults.ini";

class Ini : public ::testing::Test {
  protected:
    IniDocument read(const std::string& bytes) {
        IniDocument document;
        EXPECT_TRUE(IniFile(writeFile(dir.file("in.ini"), bytes)).read(document));
        return document;
    }
    std::string written(const IniDocument& document, bool pretty = false) {
        IniWriter writer(dir.file("out.ini"));
        writer.pretty = pretty;
        EXPECT_TRUE((writer << document) && writer.close());
        return readFile(dir.file("out.ini"));
    }
    size_t entries(const std::string& folder) {
        return std::distance(fs::directory_iterator(folder), {});
    }
    size_t entries() { return entries(dir.path); }
    // A save in a child process, as the user nobody when `unprivileged`, and
    // with every byte of a file past `bytes` refused when that is not 0: "1"
    // or "0" for its result, then what the path holds if it is a regular
    // file. A save that blocks is ended after ten seconds.
    static std::string childSave(const std::string& path, const IniDocument& document,
                                 bool unprivileged, rlim_t bytes = 0) {
        const std::string result =
            runInChild([&] {
                alarm(10);
                if (unprivileged &&
                    (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                    return;
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{bytes, bytes};
                if (bytes > 0) setrlimit(RLIMIT_FSIZE, &limit);
                std::printf("%d", IniFile(path).write(document));
            }).out;
        return result + (fs::is_regular_file(path) ? readFile(path) : "");
    }
    // A document of some thirty kilobytes.
    static IniDocument large() {
        IniDocument document;
        for (int i = 0; i < 2000; ++i) document["s"]["key" + std::to_string(i)] = "value";
        return document;
    }
    ScratchDir dir;
};

// The loads go through the panel's call; the parameters are put back after.
class Params : public Ini {
  protected:
    void TearDown() override { EXPECT_TRUE(readParams(defaults)); }
    std::string savedBytes() {  // what saveParams writes for the current parameters
        EXPECT_TRUE(saveParams(dir.file("saved.ini")));
        return readFile(dir.file("saved.ini"));
    }
    std::string reported(const std::string& text) {  // what the console says
        writeFile(dir.file("in.ini"), text);
        CaptureStdout();
        loadParamsReporting(dir.file("in.ini"));
        return GetCapturedStdout();
    }
};

}  // namespace

TEST_F(Ini, NamesAreTrimmedFoldedAndAppendedOnLookup) {
    std::string text = " \t\n\r\f\v\x01z\xC2\xA0\v\f\r\n\t ";  // only these six are blanks
    iniTrim(text);
    EXPECT_EQ(text, "\x01z\xC2\xA0");
    IniDocument document;
    EXPECT_EQ(document["B"]["k"], "");  // a missing name is appended empty
    document["a"]["  Contour Width "] = "3";
    document["a"]["\xC3\x89t\xC3\xA9"] = "upper";  // E acute: its bytes are not folded
    EXPECT_EQ(document["A"]["CONTOUR WIDTH"], "3");
    EXPECT_EQ(document["A"]["\xC3\xA9T\xC3\xA9"], "");
    EXPECT_EQ(document.begin()->first + document["a"].begin()->first, "bcontour width");
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

// CR and NUL go wherever they stand; keys before a section are dropped;
// repeated sections merge; a repeated key keeps its first place and its last
// value; a BOM hides the section; the last line needs no line end.
TEST_F(Ini, ReadingAndWritingBytes) {
    const char bytes[] =
        "\xEF\xBB\xBF[bom]\norphan=0\n; c\r\n[First]\r\nb=1\na\r = "
        "2\0\r\njunk\n[empty]\n[FIRST]\nB=3\nc=4";
    IniDocument document = read(std::string(bytes, sizeof bytes - 1));
    std::vector<std::pair<std::string, std::string>> keys(document["first"].begin(),
                                                          document["first"].end());
    EXPECT_EQ(keys, (decltype(keys){{"b", "3"}, {"a", "2"}, {"c", "4"}}));
    EXPECT_EQ(document.size(), 2u);
    document["Last"]["a=b"] = "  v=w\\=z\t";
    EXPECT_EQ(written(document),
              "[first]\r\nb=3\r\na=2\r\nc=4\r\n[empty]\r\n[last]\r\na\\=b=v=w\\=z");
    EXPECT_EQ(written(document, true),
              "[first]\r\nb = 3\r\na = 2\r\nc = 4\r\n\r\n[empty]\r\n\r\n[last]\r\na\\=b = v=w\\=z");
    EXPECT_TRUE(IniFile(dir.file("out.ini")).write(IniDocument()));
    EXPECT_EQ(readFile(dir.file("out.ini")), "") << "an empty document truncates";
}

// A failed read leaves an empty document; a failed write touches nothing, and
// one that fails part-way keeps the previous file; links and permissions
// survive a save.
TEST_F(Ini, FailedReadsAndWrites) {
    fs::create_directory(dir.file("folder"));
    IniDocument one = read("[s]\nk=v");
    for (const std::string& path : {std::string(), dir.file("none.ini"), dir.file("folder")}) {
        IniDocument document = one;
        EXPECT_FALSE(IniFile(path).read(document) || document.size()) << path;
        EXPECT_FALSE(
            IniFile(path == dir.file("none.ini") ? dir.file("no/a.ini") : path).write(one));
    }
    EXPECT_FALSE(IniWriter("/dev/full") << one) << "/dev/full refuses every byte";
    const std::string target = writeFile(dir.file("params.ini"), "old");
    // The write fails after some bytes went out.
    EXPECT_EQ(childSave(target, large(), false, 4096), "0old");
    EXPECT_EQ(entries(), 3u) << "no temporary file is left";
    ASSERT_EQ(mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(childSave(dir.file("pipe.ini"), one, false), "0") << "no reader: it would block";
    fs::remove(dir.file("pipe.ini"));
    fs::permissions(target, fs::perms(0640));
    fs::create_symlink(target, dir.file("link.ini"));
    ASSERT_TRUE(IniFile(dir.file("link.ini")).write(read("[s]\nk=v")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(readFile(target), "[s]\r\nk=v");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
}

// A name so long that a suffix would take it past the longest name a folder
// entry may have still saves through a temporary file (its name cut), with
// the same protection.
TEST_F(Ini, SavesUnderTheLongestNames) {
    const IniDocument one = read("[s]\nk=v");
    for (std::size_t length : {250, 255}) {
        const std::string target = dir.file(std::string(length - 4, 'p') + ".ini");
        EXPECT_TRUE(IniFile(target).write(one)) << "a new file of that name";
        writeFile(target, "old");
        EXPECT_EQ(childSave(target, large(), false, 4096), "0old") << length;
        EXPECT_TRUE(IniFile(target).write(one));
        EXPECT_EQ(readFile(target), "[s]\r\nk=v");
    }
    EXPECT_EQ(entries(), 3u) << "no temporary file is left";
}

// As a user who may write a parameter file but not its folder, a save writes
// the file in place, which keeps its owner and mode; a write that fails
// part-way puts the previous bytes back. A file that user may not write, a
// new file and a named pipe there are refused.
TEST_F(Ini, SavesInAFolderTheUserMayNotWriteTo) {
    if (geteuid() != 0) GTEST_SKIP() << "dropping privileges needs root";
    fs::permissions(dir.path, fs::perms(0755));
    const std::string locked = dir.file("locked");
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms(0755));
    const std::string writable = writeFile(locked + "/params.ini", "old");
    const std::string readOnly = writeFile(locked + "/read_only.ini", "old");
    fs::permissions(writable, fs::perms(0666));
    fs::permissions(readOnly, fs::perms(0644));
    ASSERT_EQ(mkfifo((locked + "/pipe.ini").c_str(), 0666), 0);
    const IniDocument one = read("[s]\nk=v");
    EXPECT_EQ(childSave(writable, large(), true, 4096), "0old");
    EXPECT_EQ(childSave(writable, one, true), "1[s]\r\nk=v");
    EXPECT_EQ(fs::status(writable).permissions(), fs::perms(0666));
    EXPECT_EQ(childSave(readOnly, one, true), "0old");
    EXPECT_EQ(childSave(locked + "/new.ini", one, true), "0");
    EXPECT_EQ(childSave(locked + "/pipe.ini", one, true), "0");
    EXPECT_EQ(entries(locked), 3u) << "nothing made, nothing left";
}

// Ten million blank lines cost their ten megabytes, not a string each; a file
// too large for memory is one console line, and every parameter is kept.
TEST_F(Params, HostileSizes) {
    REQUIRE_ADDRESS_LIMIT();
    const std::string blank =
        writeFile(dir.file("blank.ini"), "[s]" + std::string(10000000, '\n') + "k=v");
    const std::string huge = writeFile(dir.file("huge.ini"), "[settings]\ncontourwidth=9\n");
    fs::resize_file(huge, 1ull << 30);  // sparse: NUL bytes, which reading drops
    ChildResult child = runInChild([&] {
        limitAddressSpace(200 << 20);
        IniDocument document;
        std::printf("%d %s\n", IniFile(blank).read(document), document["s"]["k"].c_str());
        std::printf("%d %g\n", loadParamsReporting(huge), renderer.contourWidth);
    });
    EXPECT_EQ(child.out,
              "1 v\nERROR: parameter file " + huge + ": not enough memory to read it\n0 3\n");
}

// The 46 rows of the key table in order, with their defaults; every key is
// read into the parameter that the save writes under that key.
TEST_F(Params, EveryKeyIsSavedInTableOrderAndReadBackIntoItsParameter) {
    EXPECT_EQ(savedBytes(), readFile(defaults));
    std::string changed = "[settings]", line;
    std::istringstream lines(readFile(defaults));
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (line.back() == '\r') line.pop_back();
        const std::string key = line.substr(0, line.find('=')), value = line.substr(key.size() + 1);
        std::string other = std::to_string(std::strtof(value.c_str(), nullptr) + 1.25f);
        if (value == "0" || value == "1") other = value == "0" ? "1" : "0";
        if (key == "gradienttex") other = "2";
        if (key == "hatching.n") other = "7";
        changed += "\r\n" + key + "=" + other;
    }
    ASSERT_TRUE(readParams(writeFile(dir.file("changed.ini"), changed)));
    EXPECT_EQ(savedBytes(), changed);
}

// Each file after its "[settings]" line, loaded as the panel loads it: what
// the console says, and lines that the next save holds. Only "1" and "true"
// are true, an empty value keeps the old one, numbers are strtof and strtol
// prefixes without range checks, floats come back rounded to six places. A
// bad number stops the load at its key in table order: earlier keys are set,
// it and later ones keep their values. A colour map outside the table is
// refused alone. Unknown keys and other sections change nothing. The colour
// map on the GPU is then the file's, but the old one after a stopped load.
TEST_F(Params, ValueFormsBadValuesAndColourMaps) {
    REQUIRE_GL();
    assetsDir = sourceAssetsDir();
    auto shown = [] {  // every map is 256 wide
        std::vector<unsigned char> pixels(256 * 4);
        glGetTextureSubImage(renderer.gradientTextureId, 0, 0, 0, 0, 256, 1, 1, GL_RGBA,
                             GL_UNSIGNED_BYTE, int(pixels.size()), pixels.data());
        return pixels;
    };
    std::vector<std::vector<unsigned char>> maps;
    for (const char* file : gradientTextureFiles) {
        renderer.loadGradientTexture(file);
        maps.push_back(shown());
    }
    const std::string in = "ERROR: parameter file " + dir.file("in.ini") + ": ";
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"useblinnphong=TRUE\nrenderendpoints=true\nrenderrootpoint=01\ndecals.enabled=1", "",
         "useblinnphong=0\nrenderendpoints=1\nrenderrootpoint=0\ndecals.enabled=1"},
        {"useblinnphong=\ndepthawarejfa=  ", "", "useblinnphong=1\ndepthawarejfa=1"},
        {"contourwidth=2.5px\nambientlight=0x1p-2\nmaterial.specular=-inf\nhatching.n=3.7", "",
         "contourwidth=2.500000\nambientlight=0.250000\nmaterial.specular=-inf\nhatching.n=3"},
        {"material.shiny=-0.0000001\nhatching.f=1234.56789\ngradienttex=+2abc", "",
         "material.shiny=-0.000000\nhatching.f=1234.567871\ngradienttex=2"},
        {"colormesh.y=0.5\ndecals.offset=4\nunknown=5\n[other]\nuseblinnphong=0", "",
         "colormesh.x=1.000000\ncolormesh.y=0.500000\ndecals.offset.x=-0.500000\nuseblinnphong=1"},
        {"hatching.f=1\nuseblinnphong=0\ndirlight.direction.x=1\ndirlight.direction.y=?"
         "\ngradienttex=3",
         "key dirlight.direction.y: invalid stof argument",
         "useblinnphong=0\ndirlight.direction.x=1.000000\ndirlight.direction.y=-0.707107\n"
         "gradienttex=0\nhatching.f=200.000000"},
        {"contourwidth=1e39", "key contourwidth: stof argument out of range",
         "contourwidth=3.000000"},
        {"contourwidth=1e-50", "key contourwidth: stof argument out of range", ""},
        {"gradienttex=abc", "key gradienttex: invalid stol argument", ""},
        {"gradienttex=1\nhatching.f=?", "key hatching.f: invalid stof argument", "gradienttex=1"},
        {"hatching.n=2147483648", "key hatching.n: stol argument out of range", "hatching.n=1"},
        {"gradienttex=4\nhatching.f=7", "key gradienttex: colour map 4 is not 0 to 3, kept 0",
         "gradienttex=0\nhatching.f=7.000000"},
    };
    for (const auto& [text, said, lines] : cases) {
        ASSERT_TRUE(loadParams(defaults));
        EXPECT_EQ(reported(std::string("[settings]\n") + text),
                  said.empty() ? "" : in + said + "\n");
        const bool stopped = said.find("argument") != std::string::npos;
        EXPECT_EQ(shown(), maps[stopped ? 0 : gradientTex]) << text;
        std::istringstream want(lines);
        const std::string saved = "\n" + savedBytes() + "\r";
        for (std::string line; std::getline(want, line);)
            EXPECT_NE(saved.find("\n" + line + "\r"), std::string::npos) << text << " | " << line;
    }
    gradientTex = 2;  // a file without the key reloads the current map
    EXPECT_EQ(reported(""), "");
    EXPECT_EQ(shown(), maps[2]);
    int presets = 0;  // each loads silently and is what a save writes for what it sets
    for (const auto& entry : fs::directory_iterator(sourceAssetsDir() + "/params")) {
        const std::string path = entry.path();
        EXPECT_EQ(reported(readFile(path)), "") << path;
        EXPECT_EQ(shown(), maps[gradientTex]) << path;
        EXPECT_EQ(savedBytes(), readFile(path)) << path;
        ++presets;
    }
    EXPECT_GE(presets, 4);
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(dir.file("missing.ini")) || saveParamsReporting(dir.path));
    EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + dir.file("missing.ini") +
                                       ": cannot be read\nERROR: parameter file " + dir.path +
                                       ": cannot be written\n");
}

// A locale whose decimal point is a comma, built with localedef into the
// scratch directory; skipped where the tools or locale sources are missing.
TEST_F(Params, WritingAndReadingIgnoreADecimalCommaLocale) {
    const std::string build = "localedef -i de_DE -f UTF-8 " + dir.file("de") + " >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) GTEST_SKIP() << "cannot build a de_DE locale";
    setenv("LOCPATH", dir.path.c_str(), 1);
    if (!std::setlocale(LC_ALL, "de")) GTEST_SKIP() << "de_DE locale not usable";
    renderer.contourWidth = 2.5f;
    const std::string bytes = savedBytes();
    ASSERT_TRUE(
        readParams(writeFile(dir.file("in.ini"), "[settings]\nhatching.f=1.75\nambientlight=0,5")));
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_NE(bytes.find("\ncontourwidth=2.500000\r"), std::string::npos);
    EXPECT_EQ(glm::vec2(renderer.hatching.f, renderer.ambientLight), glm::vec2(1.75f, 0.0f));
}
