// Saving and loading every parameter: value forms, bad numbers and what the
// panel's callers report, the user's locale, the colour-map reload, presets.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "child_process.h"
#include "gl_context.h"
#include "parameters/param_file.h"
#include "parameters/param_values.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"
#include "scratch_dir.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Saves the global parameters first and puts them back afterwards.
class Params : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(saved = saveParams(dir.file("restore.ini"))); }
    void TearDown() override { EXPECT_TRUE(!saved || readParams(dir.file("restore.ini"))); }
    std::string savedBytes() {  // what saveParams writes for the current parameters
        EXPECT_TRUE(saveParams(dir.file("snapshot.ini")));
        return readFile(dir.file("snapshot.ini"));
    }
    bool readText(const std::string& text) {
        return readParams(writeFile(dir.file("in.ini"), text));
    }
    std::string reported(const std::string& text) {  // the panel's load, its console output
        writeFile(dir.file("in.ini"), text);
        CaptureStdout();
        loadParamsReporting(dir.file("in.ini"));
        return GetCapturedStdout();
    }
    ScratchDir dir{"morvik-params"};
    bool saved = false;  // a test skipped before SetUp has nothing to restore
};

// The 46 rows of the key table in order, with their defaults.
TEST_F(Params, DefaultsAreSavedInTableOrder) {
    EXPECT_EQ(savedBytes(), readFile(MORVIK_SOURCE_DIR "/tests/parameters/data/defaults.ini"));
}

// Every key is read into the parameter that the save writes under that key.
TEST_F(Params, EveryKeyIsReadBackIntoItsParameter) {
    std::string changed = "[settings]", line;
    std::istringstream lines(savedBytes());
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (line.back() == '\r') line.pop_back();
        const std::string key = line.substr(0, line.find('=')), value = line.substr(key.size() + 1);
        std::string other = formatIniFloat(std::strtof(value.c_str(), nullptr) + 1.25f);
        if (value == "0" || value == "1") other = value == "0" ? "1" : "0";
        if (key == "gradienttex") other = std::to_string((std::stoi(value) + 2) % 4);
        if (key == "hatching.n") other = std::to_string(std::stoi(value) + 6);
        changed += "\r\n" + key + "=" + other;
    }
    ASSERT_TRUE(readText(changed));
    EXPECT_EQ(savedBytes(), changed);
}

// Each line read alone, "|", the line as then saved: "1" or "true" is true, an
// empty text keeps the value, numbers are strtof and strtol prefixes with no
// range check, floats come back rounded to six places, and a file changes
// only what it gives.
TEST_F(Params, BoolNumberAndFloatForms) {
    for (std::string line :
         {"useblinnphong=true|1", "useblinnphong=TRUE|0", "useblinnphong=|0", "useblinnphong=1|1",
          "useblinnphong=  |1", "useblinnphong=01|0", "contourwidth=2.5px|2.500000",
          "ambientlight=0x1p-2|0.250000", "material.specular=-inf|-inf",
          "material.shiny=-0.0000001|-0.000000", "hatching.f=1234.56789|1234.567871",
          "hatching.n=3.7|3", "gradienttex=+2abc|2", "colormesh.y=0.5|0.500000"}) {
        const size_t bar = line.find('|');
        ASSERT_TRUE(readText("[settings]\n" + line.substr(0, bar)));
        const std::string saved = line.substr(0, line.find('=') + 1) + line.substr(bar + 1);
        EXPECT_NE((savedBytes() + "\r").find("\n" + saved + "\r"), std::string::npos) << line;
    }
    const std::string before = savedBytes();
    ASSERT_TRUE(readText("[other]\nuseblinnphong=0\n[settings]\nunknown=5\ndecals.offset=4"));
    EXPECT_EQ(savedBytes(), before);
}

// Keys before the bad one in table order (not file order) keep their new
// values; it and all after it their old ones, within a vector too.
TEST_F(Params, ABadNumberStopsTheLoadAtItsKey) {
    std::string expected = savedBytes();
    EXPECT_THROW(readText("[settings]\nhatching.f=1\nuseblinnphong=0\ndecals.oncontour=1\n"
                          "dirlight.direction.x=1\ndirlight.direction.y=?\ngradienttex=3\n"),
                 std::invalid_argument);
    for (auto [from, to] : {std::pair{"useblinnphong=1", "useblinnphong=0"},
                            {"decals.oncontour=0", "decals.oncontour=1"},
                            {"direction.x=0.000000", "direction.x=1.000000"}})
        expected.replace(expected.find(from), std::string(from).size(), to);
    EXPECT_EQ(savedBytes(), expected);
}

// The panel's load reports each failure as one line naming the file and the
// key, and goes on; a colour-map index outside the table is refused alone.
TEST_F(Params, FailuresAreOneConsoleLineEach) {
    EXPECT_THROW(readText("[settings]\nhatching.n=2147483648"), std::out_of_range);
    const std::string in = "ERROR: parameter file " + dir.file("in.ini") + ": ";
    for (auto [line, text] : {std::pair{"contourwidth=wide", "invalid stof argument"},
                              {"contourwidth=1e39", "stof argument out of range"},
                              {"contourwidth=1e-50", "stof argument out of range"},
                              {"gradienttex=abc", "invalid stol argument"},
                              {"hatching.n=2147483648", "stol argument out of range"}}) {
        const std::string key(line, std::strchr(line, '='));
        EXPECT_EQ(reported(std::string("[settings]\n") + line),
                  in + "key " + key + ": " + text + "\n");
    }
    gradientTex = 1;
    CaptureStdout();
    EXPECT_TRUE(readText("[settings]\ngradienttex=4\nhatching.f=7"));
    EXPECT_EQ(GetCapturedStdout(), in + "key gradienttex: colour map 4 is not 0 to 3, kept 1\n");
    EXPECT_TRUE(gradientTex == 1 && renderer.hatching.f == 7.0f);
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(dir.file("missing.ini")) || saveParamsReporting(dir.path));
    EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + dir.file("missing.ini") +
                                       ": cannot be read\nERROR: parameter file " + dir.path +
                                       ": cannot be written\n");
}

// A file too large for memory is one line too, and every parameter is kept.
TEST_F(Params, AFileTooLargeForMemoryChangesNothing) {
    REQUIRE_ADDRESS_LIMIT();
    const std::string path = writeFile(dir.file("huge.ini"), "[settings]\ncontourwidth=9\n");
    std::filesystem::resize_file(path, 1ull << 30);  // sparse: NUL bytes, which reading drops
    const float before = renderer.contourWidth;
    ChildResult child = runInChild([&] {
        limitAddressSpace(64 << 20);
        std::printf("%d %d", loadParamsReporting(path), renderer.contourWidth == before);
    });
    EXPECT_EQ(child.out, "ERROR: parameter file " + path + ": not enough memory to read it\n0 1");
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
    ASSERT_TRUE(readText("[settings]\ncontourwidth=1.75\nambientlight=0,5"));
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_NE(bytes.find("\ncontourwidth=2.500000\r"), std::string::npos);
    EXPECT_EQ(glm::vec2(renderer.contourWidth, renderer.ambientLight), glm::vec2(1.75f, 0.0f));
}

// With a GL context: the map on the GPU after a load is the file's, also when
// it has no such key, and none after a stopped load; every preset loads
// silently and is exactly what saveParams writes for what it sets.
TEST_F(Params, LoadsShowTheirColourMapAndPresetsLoadCleanly) {
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
    // The file, gradientTex before and after, and the map shown after.
    for (auto [text, before, index, map] : {std::tuple{"[settings]\ngradienttex=3", 0, 3, 3},
                                            {"", 2, 2, 2},
                                            {"[settings]\ngradienttex=1\nhatching.f=?", 0, 1, 0}}) {
        gradientTex = before;  // set without a reload: the texture shows map 0
        renderer.loadGradientTexture(gradientTextureFiles[0]);
        reported(text);
        EXPECT_EQ(gradientTex, index) << text;
        EXPECT_EQ(shown(), maps[map]) << text;
    }
    int presets = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sourceAssetsDir() + "/params")) {
        const std::string path = entry.path();
        EXPECT_EQ(reported(readFile(path)), "") << path;
        EXPECT_EQ(shown(), maps[gradientTex]) << path;
        EXPECT_EQ(savedBytes(), readFile(path)) << path;
        ++presets;
    }
    EXPECT_GE(presets, 4);
}
