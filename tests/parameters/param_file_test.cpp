// Saving and reading every parameter, value forms, bad numbers.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "param_fixture.h"
#include "parameters/param_values.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

// The 46 rows of the key table in order, with their defaults.
TEST_F(ParamFileTest, DefaultsAreSavedInTableOrder) {
    EXPECT_EQ(savedBytes(), readBytes(MORVIK_SOURCE_DIR "/tests/parameters/data/defaults.ini"));
}

// Every key is read into the parameter that the save writes under that key.
TEST_F(ParamFileTest, EveryKeyIsReadBackIntoItsParameter) {
    const std::string original = savedBytes();
    std::string changed = "[settings]", line;
    std::istringstream lines(original);
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
    EXPECT_EQ(formatIniFloat(-0.70710677f), "-0.707107");
    EXPECT_EQ(formatIniFloat(-4.9e-7f), "-0.000000");
    EXPECT_EQ(formatIniFloat(3.4028235e38f), "340282346638528859811704183484516925440.000000");
    std::vector<float> values = {5e-7f, 1.5e-6f, 2.5e-6f, 0.1234565f};  // ties
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
    const std::pair<const char*, const char*> cases[] = {
        {"useblinnphong=true", "useblinnphong=1"},
        {"useblinnphong=TRUE", "useblinnphong=0"},
        {"useblinnphong=1", "useblinnphong=1"},
        {"useblinnphong=01", "useblinnphong=0"},
        {"useblinnphong=", "useblinnphong=0"},
        {"useblinnphong=1", "useblinnphong=1"},
        {"useblinnphong=  ", "useblinnphong=1"},
        {"useblinnphong=yes", "useblinnphong=0"},
        {"contourwidth=2.5px", "contourwidth=2.500000"},
        {"ambientlight=0x1p-2", "ambientlight=0.250000"},
        {"material.specular=-inf", "material.specular=-inf"},
        {"material.shiny=-0.0000001", "material.shiny=-0.000000"},
        {"hatching.f=1234.56789", "hatching.f=1234.567871"},
        {"hatching.n=3.7", "hatching.n=3"},
        {"gradienttex=+2abc", "gradienttex=2"}};
    for (const auto& [line, saved] : cases) {
        ASSERT_TRUE(readText(std::string("[settings]\n") + line));
        EXPECT_NE((savedBytes() + "\r").find("\n" + std::string(saved) + "\r"), std::string::npos)
            << line;
    }
}

// The standard exception types and texts, with the key that failed.
TEST_F(ParamFileTest, BadNumbersThrowTheStandardTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"contourwidth=wide", "invalid contourwidth: invalid stof argument"},
        {"contourwidth=1e39", "range contourwidth: stof argument out of range"},
        {"contourwidth=1e-50", "range contourwidth: stof argument out of range"},
        {"gradienttex=abc", "invalid gradienttex: invalid stol argument"},
        {"hatching.n=2147483648", "range hatching.n: stol argument out of range"}};
    for (const auto& [line, expected] : cases) {
        std::string thrown = "nothing";
        try {
            readText(std::string("[settings]\n") + line);
        } catch (const ParamInvalidError& error) {
            thrown = "invalid " + error.key + ": " + error.what();
        } catch (const ParamRangeError& error) {
            thrown = "range " + error.key + ": " + error.what();
        }
        EXPECT_EQ(thrown, expected);
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

TEST_F(ParamFileTest, PartialFilesChangeOnlyWhatTheyGive) {
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
    EXPECT_EQ(savedBytes(), before);
}

// Other sections, keys and comments of an older file do not survive a save.
TEST_F(ParamFileTest, SavingReplacesTheWholeFile) {
    writeBytes(dir.file("old.ini"), "; my notes\r\n[camera]\r\nfov=30\r\n[settings]\r\nextra=1");
    ASSERT_TRUE(saveParams(dir.file("old.ini")));
    EXPECT_EQ(readBytes(dir.file("old.ini")), savedBytes());
}
