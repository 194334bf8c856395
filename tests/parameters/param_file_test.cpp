// Saving and reading every parameter, value forms, bad numbers, what the
// panel's callers report, and independence from the user's locale.

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "param_fixture.h"
#include "parameters/param_values.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// The 46 rows of the key table in order, with their defaults.
TEST_F(ParamFileTest, DefaultsAreSavedInTableOrder) {
    EXPECT_EQ(savedBytes(), readFile(MORVIK_SOURCE_DIR "/tests/parameters/data/defaults.ini"));
}

// Every key is read into the parameter that the save writes under that key.
TEST_F(ParamFileTest, EveryKeyIsReadBackIntoItsParameter) {
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

// The same text as printf's "%f" in the C locale, ties and extremes included.
TEST(ParamValueForms, FloatTextIsPrintfFixedSixDecimals) {
    std::vector<float> values = {-4.9e-7f, 3.4028235e38f, 5e-7f, 1.5e-6f, 2.5e-6f, 0.1234565f};
    std::srand(7);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::ldexp(float(std::rand()) / RAND_MAX - 0.5f, std::rand() % 60 - 30));
    char expected[64];
    for (float value : values) {
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(value));
        ASSERT_EQ(formatIniFloat(value), expected) << value;
    }
}

// Each line read alone, then the line as saved: "1" or "true" is true, an
// empty text keeps the value, numbers are strtof and strtol prefixes with no
// range check, and floats come back rounded to six places.
TEST_F(ParamFileTest, BoolNumberAndFloatForms) {
    // The line read, "|", the value saved.
    for (std::string line :
         {"useblinnphong=true|1", "useblinnphong=TRUE|0", "useblinnphong=|0", "useblinnphong=1|1",
          "useblinnphong=  |1", "useblinnphong=01|0", "contourwidth=2.5px|2.500000",
          "ambientlight=0x1p-2|0.250000", "material.specular=-inf|-inf",
          "material.shiny=-0.0000001|-0.000000", "hatching.f=1234.56789|1234.567871",
          "hatching.n=3.7|3", "gradienttex=+2abc|2"}) {
        const size_t bar = line.find('|');
        ASSERT_TRUE(readText("[settings]\n" + line.substr(0, bar)));
        const std::string saved = line.substr(0, line.find('=') + 1) + line.substr(bar + 1);
        EXPECT_NE((savedBytes() + "\r").find("\n" + saved + "\r"), std::string::npos) << line;
    }
}

// Keys before the bad one in table order (not file order) keep their new
// values; it and all after it their old ones, within a vector too.
TEST_F(ParamFileTest, ABadNumberStopsTheLoadAtItsKey) {
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

// A file changes only what it gives; a save replaces the whole file, other
// sections, keys and comments included.
TEST_F(ParamFileTest, PartialFilesChangeOnlyWhatTheyGiveAndSavesReplaceAll) {
    renderer.colorMesh[0] = 0.25f;
    ASSERT_TRUE(readText("[settings]\ncolormesh.y=0.5"));
    EXPECT_TRUE(renderer.colorMesh[0] == 0.25f && renderer.colorMesh[1] == 0.5f);
    const std::string before = savedBytes();
    for (const char* text : {"", "[other]\nuseblinnphong=0",
                             "[settings]\nunknown.key=5\ncontourwidth.x=4\ndecals.offset=4"}) {
        EXPECT_TRUE(readText(text)) << text;
        EXPECT_EQ(savedBytes(), before) << text;
    }
    EXPECT_FALSE(loadParams(dir.file("missing.ini")));  // returns before any GL call
    writeFile(dir.file("old.ini"), "; my notes\r\n[camera]\r\nfov=30\r\n[settings]\r\nextra=1");
    ASSERT_TRUE(saveParams(dir.file("old.ini")));
    EXPECT_EQ(readFile(dir.file("old.ini")), before);
}

// Each failure is one console line naming the file, the key and the standard
// exception text; the program goes on.
TEST_F(ParamFileTest, FailuresAreOneConsoleLineEach) {
    const std::string bad = dir.file("bad.ini"), missing = dir.file("missing.ini");
    EXPECT_THROW(readText("[settings]\nhatching.n=2147483648"), std::out_of_range);
    for (auto [line, text] : {std::pair{"contourwidth=wide", "invalid stof argument"},
                              {"contourwidth=1e39", "stof argument out of range"},
                              {"contourwidth=1e-50", "stof argument out of range"},
                              {"gradienttex=abc", "invalid stol argument"},
                              {"hatching.n=2147483648", "stol argument out of range"}}) {
        writeFile(bad, std::string("[settings]\n") + line);
        CaptureStdout();
        EXPECT_FALSE(loadParamsReporting(bad));
        const std::string key(line, std::strchr(line, '='));
        EXPECT_EQ(GetCapturedStdout(),
                  "ERROR: parameter file " + bad + ": key " + key + ": " + text + "\n");
    }
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(missing));
    EXPECT_FALSE(saveParamsReporting(dir.path));
    EXPECT_TRUE(saveParamsReporting(dir.file("fine.ini")));
    EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + missing + ": cannot be read\n" +
                                       "ERROR: parameter file " + dir.path +
                                       ": cannot be written\n");
}

// An index outside 0 to 3 never reaches the colour-map table: the old one
// stays, the key is reported, and the load goes on.
TEST_F(ParamFileTest, ColourMapIndexOutsideTheTableIsRefused) {
    for (const char* index : {"4", "-1", "2147483647"}) {
        gradientTex = 1;
        CaptureStdout();
        EXPECT_TRUE(readText(std::string("[settings]\ngradienttex=") + index + "\nhatching.f=7"));
        EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + dir.file("in.ini") +
                                           ": key gradienttex: colour map " + index +
                                           " is not 0 to 3, kept 1\n");
        EXPECT_TRUE(gradientTex == 1 && renderer.hatching.f == 7.0f) << index;
    }
}

// A locale whose decimal point is a comma, built with localedef into the
// scratch directory; skipped where the tools or locale sources are missing.
TEST_F(ParamFileTest, WritingAndReadingIgnoreADecimalCommaLocale) {
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
