// What the panel's callers report, the colour-map index guard, and
// independence from the user's locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "param_fixture.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST_F(ParamFileTest, BadNumberIsOneConsoleLineAndTheLoadStops) {
    const std::string path = dir.file("bad.ini");
    writeBytes(path, "[settings]\nuseblinnphong=0\ncontourwidth=wide\nhatching.f=1");
    renderer.useBlinnPhong = true;
    renderer.hatching.f = 5;
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(path));
    EXPECT_EQ(GetCapturedStdout(),
              "ERROR: parameter file " + path + ": key contourwidth: invalid stof argument\n");
    EXPECT_FALSE(renderer.useBlinnPhong);
    EXPECT_EQ(renderer.hatching.f, 5.0f);

    writeBytes(path, "[settings]\ngradientTex=99999999999");
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(path));
    EXPECT_EQ(GetCapturedStdout(),
              "ERROR: parameter file " + path + ": key gradienttex: stol argument out of range\n");
}

TEST_F(ParamFileTest, UnreadableAndUnwritableFilesAreReported) {
    const std::string missing = dir.file("missing.ini");
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(missing));
    EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + missing + ": cannot be read\n");

    CaptureStdout();
    EXPECT_FALSE(saveParamsReporting(dir.path));
    EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + dir.path + ": cannot be written\n");

    CaptureStdout();
    EXPECT_TRUE(saveParamsReporting(dir.file("fine.ini")));
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(ParamFileTest, ColourMapIndexOutsideTheTableIsRefused) {
    for (const char* index : {"4", "-1", "2147483647"}) {
        gradientTex = 1;
        renderer.hatching.f = 5;
        const std::string path = dir.file("index.ini");
        writeBytes(path, std::string("[settings]\ngradienttex=") + index + "\nhatching.f=7");
        CaptureStdout();
        EXPECT_TRUE(readParams(path));
        EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + path +
                                           ": key gradienttex: colour map " + index +
                                           " is not 0 to 3, kept 1\n");
        EXPECT_EQ(gradientTex, 1);
        EXPECT_EQ(renderer.hatching.f, 7.0f) << "the load goes on after the refused key";
    }
    for (int index = 0; index < 4; ++index) {
        CaptureStdout();
        ASSERT_TRUE(readText("[settings]\ngradienttex=" + std::to_string(index)));
        EXPECT_EQ(GetCapturedStdout(), "");
        EXPECT_EQ(gradientTex, index);
    }
}

// A locale whose decimal point is a comma, built with localedef into the
// scratch directory; skipped where the tools or locale sources are missing.
class DecimalCommaLocale : public ParamFileTest {
  protected:
    void SetUp() override {
        ParamFileTest::SetUp();
        std::string command =
            "localedef -i de_DE -f UTF-8 " + dir.file("de_DE.UTF-8") + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "cannot build a de_DE locale";
        setenv("LOCPATH", dir.path.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE locale not usable";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 2.5);
        if (std::string(probe) != "2,5") GTEST_SKIP() << "locale has no decimal comma";
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        ParamFileTest::TearDown();
    }
};

TEST_F(DecimalCommaLocale, WritingAndReadingIgnoreTheLocale) {
    renderer.contourWidth = 2.5f;
    renderer.hatching.n = 1234567;
    std::vector<std::string> lines = savedLines();
    EXPECT_EQ(lines[11], "contourwidth=2.500000");
    EXPECT_EQ(lines[46], "hatching.n=1234567");
    renderer.contourWidth = 0;
    ASSERT_TRUE(readText("[settings]\ncontourwidth=1.75\nambientlight=0,5"));
    EXPECT_EQ(renderer.contourWidth, 1.75f);
    EXPECT_EQ(renderer.ambientLight, 0.0f);  // "0,5" reads its prefix "0"
}
