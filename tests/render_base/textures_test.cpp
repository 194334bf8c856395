#include <gtest/gtest.h>

#include "fatal_scenario.h"
#include "gl_context.h"
#include "render/renderer.h"
#include "render/shader_program.h"
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
        deleteAllPrograms();
    }

    // Draws one full-viewport triangle that samples `texture` at uv and
    // reads the colour back.
    Rgba sampleAt(GLuint texture, float u, float v) {
        if (!samplerProgram) {
            assets.writeShader("sample.vert",
                               "#version 430 core\nvoid main() {\n"
                               "  vec2 p = vec2(gl_VertexID & 1, gl_VertexID >> 1) * 4.0 - 1.0;\n"
                               "  gl_Position = vec4(p, 0.0, 1.0);\n}\n");
            assets.writeShader("sample.frag",
                               "#version 430 core\nuniform sampler2D tex;\nuniform vec2 uv;\n"
                               "out vec4 c;\nvoid main() { c = texture(tex, uv); }\n");
            samplerProgram = new ShaderProgram("sample", {"sample.vert", "sample.frag"});
        }
        GLuint vao = 0;
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glUseProgram(samplerProgram->programId);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glUniform1i(samplerProgram->uniformLocation("tex"), 0);
        glUniform2f(samplerProgram->uniformLocation("uv"), u, v);
        glViewport(0, 0, 4, 4);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        Rgba p = readPixel(1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &vao);
        return p;
    }

    TestAssets assets;
    std::vector<unsigned char> map;
    Renderer r;
    ShaderProgram* samplerProgram = nullptr;
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

TEST_F(Textures, ColourMapClampsWhileDecalRepeats) {
    r.loadGradientTexture("map.png");
    r.loadDecalTexture();
    // Left and right edge texels of the bottom row (t = 0 is the first row).
    Rgba left = sampleAt(r.gradientTextureId, -3.0f, 0.0f);
    Rgba right = sampleAt(r.gradientTextureId, 7.0f, 0.0f);
    EXPECT_NEAR(left.r * 255, map[0], 0.51);
    EXPECT_NEAR(left.g * 255, map[1], 0.51);
    EXPECT_NEAR(right.r * 255, map[12], 0.51);
    EXPECT_NEAR(right.b * 255, map[14], 0.51);

    // The arrow is 2 by 2: texel centres at 0.25 and 0.75, whole periods apart repeat.
    Rgba inside = sampleAt(r.decalTextureId, 0.75f, 0.25f);
    Rgba shifted = sampleAt(r.decalTextureId, 2.75f, -0.75f);
    EXPECT_NEAR(inside.g, 1.0f, 1e-3);  // second texel of the first row: transparent green
    EXPECT_NEAR(inside.a, 0.0f, 1e-3);
    EXPECT_NEAR(shifted.g, inside.g, 1e-3);
    EXPECT_NEAR(shifted.a, inside.a, 1e-3);
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
