// What the panel's callers report, the colour-map index guard, and
// independence from the user's locale.

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "param_fixture.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Each failure is one console line naming the file; the program goes on.
TEST_F(ParamFileTest, FailuresAreOneConsoleLineEach) {
    const std::string bad = dir.file("bad.ini"), missing = dir.file("missing.ini");
    writeBytes(bad, "[settings]\nuseblinnphong=0\ncontourwidth=wide\nhatching.f=1");
    renderer.useBlinnPhong = true;
    CaptureStdout();
    EXPECT_FALSE(loadParamsReporting(bad));
    EXPECT_FALSE(loadParamsReporting(missing));
    EXPECT_FALSE(saveParamsReporting(dir.path));
    EXPECT_TRUE(saveParamsReporting(dir.file("fine.ini")));
    EXPECT_EQ(GetCapturedStdout(),
              "ERROR: parameter file " + bad + ": key contourwidth: invalid stof argument\n" +
                  "ERROR: parameter file " + missing + ": cannot be read\n" +
                  "ERROR: parameter file " + dir.path + ": cannot be written\n");
    EXPECT_FALSE(renderer.useBlinnPhong) << "the load stopped at the bad key, not before";
}

// An index outside 0 to 3 never reaches the colour-map table: the old one
// stays, the key is reported, and the load goes on.
TEST_F(ParamFileTest, ColourMapIndexOutsideTheTableIsRefused) {
    for (const char* index : {"4", "-1", "2147483647"}) {
        gradientTex = 1;
        renderer.hatching.f = 5;
        CaptureStdout();
        EXPECT_TRUE(readText(std::string("[settings]\ngradienttex=") + index + "\nhatching.f=7"));
        EXPECT_EQ(GetCapturedStdout(), "ERROR: parameter file " + dir.file("in.ini") +
                                           ": key gradienttex: colour map " + index +
                                           " is not 0 to 3, kept 1\n");
        EXPECT_TRUE(gradientTex == 1 && renderer.hatching.f == 7.0f) << index;
    }
    CaptureStdout();
    ASSERT_TRUE(readText("[settings]\ngradienttex=3"));
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(gradientTex, 3);
}

// A locale whose decimal point is a comma, built with localedef into the
// scratch directory; skipped where the tools or locale sources are missing.
TEST_F(ParamFileTest, WritingAndReadingIgnoreADecimalCommaLocale) {
    const std::string build = "localedef -i de_DE -f UTF-8 " + dir.file("de") + " >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) GTEST_SKIP() << "cannot build a de_DE locale";
    setenv("LOCPATH", dir.path.c_str(), 1);
    if (!std::setlocale(LC_ALL, "de")) GTEST_SKIP() << "de_DE locale not usable";
    renderer.contourWidth = 2.5f;
    renderer.hatching.n = 1234567;
    const std::string bytes = savedBytes();
    ASSERT_TRUE(readText("[settings]\ncontourwidth=1.75\nambientlight=0,5"));
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_NE(bytes.find("\ncontourwidth=2.500000\r"), std::string::npos);
    EXPECT_NE(bytes.find("\nhatching.n=1234567\r"), std::string::npos);
    EXPECT_EQ(renderer.contourWidth, 1.75f);
    EXPECT_EQ(renderer.ambientLight, 0.0f);  // "0,5" reads its prefix "0"
}
