// The colour-map reload that ends a load, and the committed presets. Needs a
// GL context: run under Xvfb.

#include <filesystem>

#include "gl_context.h"
#include "param_fixture.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

// The first row of the renderer's current colour map (every map is 256 wide).
std::vector<unsigned char> colourMapRow() {
    std::vector<unsigned char> pixels(256 * 4);
    glGetTextureSubImage(renderer.gradientTextureId, 0, 0, 0, 0, 256, 1, 1, GL_RGBA,
                         GL_UNSIGNED_BYTE, int(pixels.size()), pixels.data());
    return pixels;
}

class ParamReload : public ParamFileTest {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assetsDir = sourceAssetsDir();
        ParamFileTest::SetUp();
        for (const char* file : gradientTextureFiles) {
            renderer.loadGradientTexture(file);
            maps.push_back(colourMapRow());
        }
        ASSERT_NE(maps[0], maps[3]);
    }
    std::vector<std::vector<unsigned char>> maps;
};

}  // namespace

// The file's map after a load, also when it has no such key; none after a
// stopped load.
TEST_F(ParamReload, LoadingShowsTheColourMapOfTheResult) {
    // The file, gradientTex before and after, and the map shown after.
    const std::tuple<const char*, int, int, int> cases[] = {
        {"[settings]\ngradienttex=3", 0, 3, 3},
        {"", 2, 2, 2},
        {"[settings]\ngradienttex=1\nhatching.f=wide", 0, 1, 0},
    };
    for (const auto& [text, before, index, shown] : cases) {
        gradientTex = before;  // set without a reload: the texture shows map 0
        renderer.loadGradientTexture(gradientTextureFiles[0]);
        writeFile(dir.file("in.ini"), text);
        testing::internal::CaptureStdout();
        loadParamsReporting(dir.file("in.ini"));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(gradientTex, index) << text;
        EXPECT_EQ(colourMapRow(), maps[shown]) << text;
    }
}

// Every preset loads without a message and is exactly what saveParams writes
// for the parameters it sets.
TEST_F(ParamReload, PresetsLoadCleanly) {
    int presets = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sourceAssetsDir() + "/params")) {
        const std::string path = entry.path();
        if (entry.path().extension() != ".ini") continue;
        ++presets;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(loadParamsReporting(path)) << path;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << path;
        EXPECT_EQ(colourMapRow(), maps[gradientTex]) << path;
        EXPECT_EQ(savedBytes(), readFile(path)) << path;
    }
    EXPECT_GE(presets, 4);
}
