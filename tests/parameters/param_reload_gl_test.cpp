// The colour-map reload that ends a load, and the committed presets. Needs a
// GL context: run under Xvfb.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gl_context.h"
#include "param_fixture.h"
#include "parameters/shell_settings.h"
#include "render/renderer.h"
#include "render/shader_program.h"

namespace {

// The RGBA bytes of the renderer's current colour-map texture.
std::vector<unsigned char> colourMapPixels() {
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, renderer.gradientTextureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
}

std::vector<unsigned char> pixelsOfMap(int index) {
    renderer.loadGradientTexture(gradientTextureFiles[index]);
    return colourMapPixels();
}

}  // namespace

class ParamReload : public ParamFileTest {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assetsDir = sourceAssetsDir();
        ParamFileTest::SetUp();
        for (int i = 0; i < gradientTextureCount; ++i) maps.push_back(pixelsOfMap(i));
        ASSERT_NE(maps[0], maps[3]);
        renderer.loadGradientTexture(gradientTextureFiles[gradientTex]);
    }
    std::vector<std::vector<unsigned char>> maps;
};

TEST_F(ParamReload, LoadingShowsTheFilesColourMap) {
    writeBytes(dir.file("magma.ini"), "[settings]\ngradienttex=3");
    gradientTex = 0;
    renderer.loadGradientTexture(gradientTextureFiles[0]);
    ASSERT_TRUE(loadParams(dir.file("magma.ini")));
    EXPECT_EQ(gradientTex, 3);
    EXPECT_EQ(colourMapPixels(), maps[3]);
}

TEST_F(ParamReload, ReloadedAlsoWithoutTheKey) {
    writeBytes(dir.file("empty.ini"), "");
    gradientTex = 2;  // set without a reload: the texture still shows map 0
    renderer.loadGradientTexture(gradientTextureFiles[0]);
    ASSERT_TRUE(loadParams(dir.file("empty.ini")));
    EXPECT_EQ(colourMapPixels(), maps[2]);
}

TEST_F(ParamReload, NoReloadWhenTheLoadStops) {
    writeBytes(dir.file("bad.ini"), "[settings]\ngradienttex=1\nhatching.f=wide");
    gradientTex = 0;
    renderer.loadGradientTexture(gradientTextureFiles[0]);
    EXPECT_THROW(loadParams(dir.file("bad.ini")), std::invalid_argument);
    EXPECT_EQ(gradientTex, 1);  // set before the bad key
    EXPECT_EQ(colourMapPixels(), maps[0]);
}

TEST_F(ParamReload, RefusedIndexKeepsTheOldMap) {
    writeBytes(dir.file("index.ini"), "[settings]\ngradienttex=4");
    gradientTex = 1;
    renderer.loadGradientTexture(gradientTextureFiles[1]);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(loadParamsReporting(dir.file("index.ini")));
    EXPECT_NE(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(gradientTex, 1);
    EXPECT_EQ(colourMapPixels(), maps[1]);
}

// Every preset loads without a message and is exactly what saveParams writes
// for the parameters it sets.
TEST_F(ParamReload, PresetsLoadCleanly) {
    int presets = 0;
    for (const auto& entry : std::filesystem::directory_iterator(sourceAssetsDir() + "/params")) {
        if (entry.path().extension() != ".ini") continue;
        ++presets;
        const std::string path = entry.path();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(loadParamsReporting(path)) << path;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << path;
        EXPECT_EQ(colourMapPixels(), maps[gradientTex]) << path;
        ASSERT_TRUE(saveParams(dir.file("again.ini")));
        EXPECT_EQ(readBytes(dir.file("again.ini")), readBytes(path)) << path;
    }
    EXPECT_GE(presets, 4);
}
