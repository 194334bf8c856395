// Saving and reading every parameter, value forms, bad numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "param_fixture.h"
#include "parameters/param_values.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

namespace {

std::string keyOf(const std::string& line) {
    return line.substr(0, line.find('='));
}
std::string valueOf(const std::string& line) {
    return line.substr(line.find('=') + 1);
}

// A value for the key that differs from the given one and survives a save.
std::string otherValue(const std::string& key, const std::string& value) {
    if (key == "gradienttex") return std::to_string((std::stoi(value) + 2) % 4);
    if (key == "hatching.n") return std::to_string(std::stoi(value) + 6);
    if (value == "0" || value == "1") return value == "0" ? "1" : "0";
    return formatIniFloat(std::strtof(value.c_str(), nullptr) + 1.25f);
}

}  // namespace

TEST_F(ParamFileTest, DefaultsAreSavedInTableOrder) {
    const std::string expected =
        "[settings] useblinnphong=1 renderendpoints=0 renderrootpoint=0 scalar_field.enabled=0 "
        "scalar_field.oncontour=0 isolines.enabled.0=0 isolines.enabled.1=0 hatching.enabled=0 "
        "decals.enabled=0 decals.oncontour=0 contourwidth=3.000000 dirlight.direction.x=0.000000 "
        "dirlight.direction.y=-0.707107 dirlight.direction.z=-0.707107 dirlight.viewerrelative=0 "
        "ambientlight=0.200000 material.diffuse=0.700000 material.specular=0.300000 "
        "material.shiny=9.000000 spheresize=2.000000 colorbackground.x=0.500000 "
        "colorbackground.y=0.500000 colorbackground.z=0.500000 colorcontour.x=0.000000 "
        "colorcontour.y=0.000000 colorcontour.z=0.000000 colormesh.x=1.000000 colormesh.y=1.000000 "
        "colormesh.z=0.000000 colormeshplain.x=1.000000 colormeshplain.y=1.000000 "
        "colormeshplain.z=1.000000 useperspective=0 depthawarejfa=1 addcontours=1 "
        "polyoffset_0=5.000000 polyoffset_1=0.000000 debug_float=0.000000 gradienttex=0 "
        "scalar_field.invert=1 hatching.f=200.000000 hatching.o=0.000000 hatching.w=0.400000 "
        "hatching.l=5.000000 hatching.s=2.000000 hatching.n=1 link_iso_line_params=1 "
        "isolines.freq_0=100.000000 isolines.freq_1=100.000000 isolines.width_0=1.000000 "
        "isolines.width_1=1.000000 decals.scale.x=2.000000 decals.scale.y=0.100000 "
        "decals.scale.z=0.500000 decals.offset.x=-0.500000 decals.offset.y=-0.100000 "
        "decals.clampv=1 decals.invertv=1 decals.animate=1";
    const std::vector<std::string> lines = savedLines();
    EXPECT_EQ(lines.size(), 60u);
    std::string joined = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) joined += " " + lines[i];
    EXPECT_EQ(joined, expected);
}

TEST_F(ParamFileTest, EveryKeyIsReadBackIntoItsParameter) {
    const std::vector<std::string> original = savedLines();
    std::string changed = "[settings]";
    for (std::size_t i = 1; i < original.size(); ++i) {
        changed += "\r\n" + keyOf(original[i]) + "=" +
                   otherValue(keyOf(original[i]), valueOf(original[i]));
    }
    ASSERT_TRUE(readText(changed));
    std::vector<std::string> afterChange = savedLines();
    std::string joined = afterChange[0];
    for (std::size_t i = 1; i < afterChange.size(); ++i) joined += "\r\n" + afterChange[i];
    EXPECT_EQ(joined, changed);  // every key reached a parameter that the save writes under it

    ASSERT_TRUE(readParams(restorePath()));
    EXPECT_EQ(savedLines(), original);
}

TEST_F(ParamFileTest, FloatsComeBackRoundedToSixPlaces) {
    renderer.contourWidth = 0.2f;
    renderer.ambientLight = 0.0000001f;
    renderer.material.shiny = -0.0000001f;
    renderer.hatching.f = 1234.56789f;
    ASSERT_TRUE(saveParams(dir.file("round.ini")));
    renderer.contourWidth = renderer.ambientLight = renderer.material.shiny = renderer.hatching.f =
        7;
    ASSERT_TRUE(readParams(dir.file("round.ini")));
    EXPECT_EQ(renderer.contourWidth, 0.2f);
    EXPECT_EQ(renderer.ambientLight, 0.0f);
    EXPECT_EQ(renderer.material.shiny, 0.0f);
    EXPECT_TRUE(std::signbit(renderer.material.shiny));
    EXPECT_EQ(renderer.hatching.f, 1234.567871f);
}

TEST(ParamValueForms, FloatTextIsPrintfFixedSixDecimals) {
    EXPECT_EQ(formatIniFloat(3.0f), "3.000000");
    EXPECT_EQ(formatIniFloat(0.2f), "0.200000");
    EXPECT_EQ(formatIniFloat(-0.70710677f), "-0.707107");
    EXPECT_EQ(formatIniFloat(200.0f), "200.000000");
    EXPECT_EQ(formatIniFloat(4.9e-7f), "0.000000");
    EXPECT_EQ(formatIniFloat(-4.9e-7f), "-0.000000");
    EXPECT_EQ(formatIniFloat(-0.0f), "-0.000000");
    EXPECT_EQ(formatIniFloat(3.4028235e38f), "340282346638528859811704183484516925440.000000");
    // The same as printf in the C locale, rounding ties included.
    std::srand(7);
    char expected[64];
    for (int i = 0; i < 20000; ++i) {
        float value =
            std::ldexp(static_cast<float>(std::rand()) / RAND_MAX - 0.5f, std::rand() % 60 - 30);
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(value));
        ASSERT_EQ(formatIniFloat(value), expected) << value;
    }
    for (float tie : {0.0000005f, 0.0000015f, 2.5e-6f, 0.1234565f}) {
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(tie));
        EXPECT_EQ(formatIniFloat(tie), expected);
    }
}

TEST_F(ParamFileTest, NamesAreReadWhateverTheirCase) {
    renderer.useBlinnPhong = false;
    ASSERT_TRUE(readText("[SETTINGS]\r\nUseBlinnPhong=true"));
    EXPECT_TRUE(renderer.useBlinnPhong);
    ASSERT_TRUE(readText("[ settings ]\n  DIRLIGHT.Direction.Y =  0.25  \n"));
    EXPECT_EQ(renderer.dirLight.direction[1], 0.25f);
}

TEST_F(ParamFileTest, BoolForms) {
    const std::pair<const char*, bool> cases[] = {
        {"1", true},    {"true", true}, {"0", false},   {"TRUE", false}, {"True", false},
        {"yes", false}, {"01", false},  {"1.0", false}, {"2", false},
    };
    for (const auto& [text, value] : cases) {
        renderer.useBlinnPhong = !value;
        ASSERT_TRUE(readText(std::string("[settings]\nuseblinnphong=") + text));
        EXPECT_EQ(renderer.useBlinnPhong, value) << text;
    }
    for (bool value : {false, true}) {
        renderer.useBlinnPhong = value;
        ASSERT_TRUE(readText("[settings]\nuseblinnphong=\nuseblinnphong=  "));
        EXPECT_EQ(renderer.useBlinnPhong, value) << "empty text keeps the value";
    }
}

TEST_F(ParamFileTest, NumberFormsAreStrtofAndStrtolPrefixes) {
    ASSERT_TRUE(
        readText("[settings]\n"
                 "contourwidth=2.5px\n"
                 "ambientlight=0x1p-2\n"
                 "material.diffuse=+4e1\n"
                 "material.specular=-inf\n"
                 "material.shiny=nan\n"
                 "spheresize=.5.5\n"
                 "hatching.n=3.7\n"
                 "gradienttex=+2abc\n"
                 "hatching.f=50000\n"));
    EXPECT_EQ(renderer.contourWidth, 2.5f);
    EXPECT_EQ(renderer.ambientLight, 0.25f);
    EXPECT_EQ(renderer.material.diffuse, 40.0f);
    EXPECT_EQ(renderer.material.specular, -INFINITY);
    EXPECT_TRUE(std::isnan(renderer.material.shiny));
    EXPECT_EQ(renderer.sphereSize, 0.5f);
    EXPECT_EQ(renderer.hatching.n, 3);
    EXPECT_EQ(gradientTex, 2);
    EXPECT_EQ(renderer.hatching.f, 50000.0f);  // no range check

    ASSERT_TRUE(readText("[settings]\nhatching.n=-2147483648\n"));
    EXPECT_EQ(renderer.hatching.n, -2147483648);
    ASSERT_TRUE(readText("[settings]\nhatching.n=0\n"));
    EXPECT_EQ(renderer.hatching.n, 0);
}

TEST_F(ParamFileTest, BadNumbersThrowTheStandardTexts) {
    struct Case {
        const char* line;
        bool invalid;
        const char* text;
        const char* key;
    };
    const Case cases[] = {
        {"contourwidth=wide", true, "invalid stof argument", "contourwidth"},
        {"contourwidth=-", true, "invalid stof argument", "contourwidth"},
        {"contourwidth=1e39", false, "stof argument out of range", "contourwidth"},
        {"contourwidth=1e-50", false, "stof argument out of range", "contourwidth"},
        {"colormesh.y=,5", true, "invalid stof argument", "colormesh.y"},
        {"decals.offset.y=x", true, "invalid stof argument", "decals.offset.y"},
        {"gradienttex=99999999999", false, "stol argument out of range", "gradienttex"},
        {"gradienttex=abc", true, "invalid stol argument", "gradienttex"},
        {"hatching.n=2147483648", false, "stol argument out of range", "hatching.n"},
        {"hatching.n=.5", true, "invalid stol argument", "hatching.n"},
    };
    for (const Case& c : cases) {
        writeBytes(dir.file("bad.ini"), std::string("[settings]\n") + c.line);
        try {
            readParams(dir.file("bad.ini"));
            ADD_FAILURE() << c.line << " did not throw";
        } catch (const std::invalid_argument& error) {
            EXPECT_TRUE(c.invalid) << c.line;
            EXPECT_STREQ(error.what(), c.text);
            EXPECT_EQ(dynamic_cast<const ParamInvalidError&>(error).key, c.key);
        } catch (const std::out_of_range& error) {
            EXPECT_FALSE(c.invalid) << c.line;
            EXPECT_STREQ(error.what(), c.text);
            EXPECT_EQ(dynamic_cast<const ParamRangeError&>(error).key, c.key);
        }
    }
}

TEST_F(ParamFileTest, ABadNumberStopsTheLoadAtItsKey) {
    const std::vector<std::string> before = savedLines();
    // Keys after contourwidth in the table stand before it in the file: the
    // table order counts, not the file order.
    writeBytes(dir.file("bad.ini"),
               "[settings]\n"
               "hatching.f=1\n"
               "useblinnphong=0\n"
               "decals.oncontour=1\n"
               "contourwidth=wide\n"
               "gradienttex=3\n");
    EXPECT_THROW(readParams(dir.file("bad.ini")), std::invalid_argument);
    std::vector<std::string> after = savedLines();
    std::vector<std::string> expected = before;
    expected[1] = "useblinnphong=0";
    expected[10] = "decals.oncontour=1";
    EXPECT_EQ(after, expected);

    // Within a vector, the components before the bad one are taken.
    renderer.dirLight.direction[0] = renderer.dirLight.direction[1] =
        renderer.dirLight.direction[2] = 9;
    EXPECT_THROW(
        readText(
            "[settings]\ndirlight.direction.x=1\ndirlight.direction.y=?\ndirlight.direction.z=3"),
        std::invalid_argument);
    EXPECT_EQ(renderer.dirLight.direction[0], 1.0f);
    EXPECT_EQ(renderer.dirLight.direction[1], 9.0f);
    EXPECT_EQ(renderer.dirLight.direction[2], 9.0f);
}

TEST_F(ParamFileTest, PartialFilesChangeOnlyWhatTheyGive) {
    const std::vector<std::string> before = savedLines();
    renderer.colorMesh[0] = 0.25f;
    renderer.colorMesh[2] = 0.75f;
    ASSERT_TRUE(readText("[settings]\ncolormesh.y=0.5"));
    EXPECT_EQ(renderer.colorMesh[0], 0.25f);
    EXPECT_EQ(renderer.colorMesh[1], 0.5f);
    EXPECT_EQ(renderer.colorMesh[2], 0.75f);
    ASSERT_TRUE(readParams(restorePath()));

    const char* unchanging[] = {
        "",
        "\r\n\r\n",
        "[other]\nuseblinnphong=0\ncontourwidth=9",
        "useblinnphong=0\n[settings]",
        "\xEF\xBB\xBF[settings]\r\nuseblinnphong=0\r\ncontourwidth=9",
        "[settings]\nunknown.key=5\ncontourwidth.x=4\ndecals.offset=4\n",
    };
    for (const char* text : unchanging) {
        EXPECT_TRUE(readText(text)) << text;
        EXPECT_EQ(savedLines(), before) << text;
    }
}

TEST_F(ParamFileTest, RepeatedKeyGivesItsLastValue) {
    ASSERT_TRUE(readText("[settings]\ncontourwidth=1\n[Other]\n[Settings]\nContourWidth=2\n"));
    EXPECT_EQ(renderer.contourWidth, 2.0f);
}

TEST_F(ParamFileTest, UnreadablePathsChangeNothing) {
    const std::vector<std::string> before = savedLines();
    EXPECT_FALSE(readParams(dir.file("missing.ini")));
    EXPECT_FALSE(readParams(""));
    EXPECT_FALSE(readParams(dir.path));
    EXPECT_FALSE(loadParams(dir.file("missing.ini")));  // returns before any GL call
    EXPECT_EQ(savedLines(), before);
}

TEST_F(ParamFileTest, SavingReplacesTheWholeFile) {
    const std::string path = dir.file("old.ini");
    writeBytes(path, "; my notes\r\n[camera]\r\nfov=30\r\n[settings]\r\nextra=1\r\n");
    ASSERT_TRUE(saveParams(path));
    std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.rfind("[settings]\r\nuseblinnphong=", 0), 0u);
    EXPECT_EQ(bytes.find("camera"), std::string::npos);
    EXPECT_EQ(bytes.find("extra"), std::string::npos);
    EXPECT_EQ(bytes.find("notes"), std::string::npos);
    EXPECT_NE(bytes.back(), '\n');
}

TEST_F(ParamFileTest, UnwritablePathsFailAndKeepTheOldFile) {
    EXPECT_FALSE(saveParams(""));
    EXPECT_FALSE(saveParams(dir.file("no-such-dir/p.ini")));
    EXPECT_FALSE(saveParams(dir.path));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-dir")));
}
