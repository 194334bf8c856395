#include <gtest/gtest.h>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/renderer.h"
#include "test_assets.h"

namespace {

std::vector<unsigned char> textureBytes(GLuint texture, int level, int width, int height) {
    std::vector<unsigned char> bytes(4 * width * height);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return bytes;
}

class Textures : public testing::Test {
  protected:
    void SetUp() override {
        if (!testGLWindow()) GTEST_SKIP() << "no OpenGL display";
        assets.writeStandardSet();
        // 5 by 2: each RGB row is 15 bytes, which a 4-byte unpack alignment would skew.
        for (int i = 0; i < 30; ++i) map.push_back(static_cast<unsigned char>(7 * i + 1));
        assets.writePng("map.png", 5, 2, 3, map);
    }
    void TearDown() override {
        glDeleteTextures(1, &r.decalTextureId);
        glDeleteTextures(1, &r.gradientTextureId);
    }

    TestAssets assets;
    std::vector<unsigned char> map;
    Renderer r;
};

}  // namespace

TEST_F(Textures, ColourMapKeepsEveryTexelWithTheFirstRowAtTZero) {
    r.loadGradientTexture("map.png");
    ASSERT_NE(r.gradientTextureId, 0u);
    std::vector<unsigned char> texels = textureBytes(r.gradientTextureId, 0, 5, 2);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texels[4 * i + 0], map[3 * i + 0]);
        EXPECT_EQ(texels[4 * i + 1], map[3 * i + 1]);
        EXPECT_EQ(texels[4 * i + 2], map[3 * i + 2]);
        EXPECT_EQ(texels[4 * i + 3], 255) << "alpha becomes 1";
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the caller's unpack state comes back";
}

TEST_F(Textures, ReloadingReplacesTheOnlyColourMap) {
    const int before = countLiveObjects().textures;
    r.loadGradientTexture("map.png");
    r.loadGradientTexture("map.png");
    r.loadGradientTexture("grad_OrRd.png");
    EXPECT_EQ(countLiveObjects().textures, before + 1);
    EXPECT_TRUE(glIsTexture(r.gradientTextureId));
}

TEST_F(Textures, DecalHasAlphaAndAFullMipmapChain) {
    r.loadDecalTexture();
    std::vector<unsigned char> texels = textureBytes(r.decalTextureId, 0, 2, 2);
    EXPECT_EQ(texels, (std::vector<unsigned char>{255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128, 9,
                                                  9, 9, 9}));
    GLint levelOneWidth = 0;
    glBindTexture(GL_TEXTURE_2D, r.decalTextureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(levelOneWidth, 1);
}

TEST_F(Textures, WrongChannelCountsAreFatal) {
    std::vector<unsigned char> rgba(5 * 4, 200), grey(5, 100), rgb(2 * 2 * 3, 50);
    assets.writePng("rgba_map.png", 5, 1, 4, rgba);
    assets.writePng("grey_map.png", 5, 1, 1, grey);
    const std::string notRgb = "FATAL ERROR: Assertion failed: Invalid texture (not rgb)\n";
    for (const char* name : {"rgba_map.png", "grey_map.png", "absent.png"}) {
        ChildResult c = runFatalScenario({assets.dir(), "gradient", name});
        EXPECT_EQ(c.out, notRgb) << name;
        EXPECT_EQ(c.exitStatus, 255) << name;
    }

    const std::string noAlpha = "FATAL ERROR: Assertion failed: Invalid texture (no alpha)\n";
    assets.writePng("arrow.png", 2, 2, 3, rgb);
    ChildResult rgbArrow = runFatalScenario({assets.dir(), "decal"});
    EXPECT_EQ(rgbArrow.out, noAlpha);
    EXPECT_EQ(rgbArrow.exitStatus, 255);

    TestAssets bare;  // no arrow at all
    ChildResult missing = runFatalScenario({bare.dir(), "decal"});
    EXPECT_EQ(missing.out, noAlpha);
    EXPECT_EQ(missing.exitStatus, 255);
}
