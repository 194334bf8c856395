#include "test_assets.h"

namespace {

std::vector<unsigned char> textureBytes(GLuint texture, int width, int height) {
    std::vector<unsigned char> bytes(4 * width * height);
    glGetTextureImage(texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, int(bytes.size()), bytes.data());
    return bytes;
}

}  // namespace

using Textures = RenderTest;

// 5 by 2 RGB: rows of 15 bytes, which a 4-byte unpack alignment would skew.
TEST_F(Textures, ColourMapKeepsEveryTexelAndReloadingReplacesIt) {
    std::vector<unsigned char> map, expected;
    for (int i = 0; i < 30; ++i) map.push_back(static_cast<unsigned char>(7 * i + 1));
    for (int i = 0; i < 30; i += 3)
        expected.insert(expected.end(), {map[i], map[i + 1], map[i + 2], 255});
    assets.writePng("map.png", 5, 2, 3, map);
    r.loadGradientTexture("grad_OrRd.png");
    r.loadGradientTexture("map.png");
    EXPECT_EQ(countLiveObjects()[0], baseline[0] + 1);
    EXPECT_EQ(textureBytes(r.gradientTextureId, 5, 2), expected) << "first row at t = 0, alpha 1";
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the caller's unpack state comes back";
}

TEST_F(Textures, DecalKeepsItsAlphaAndHasMipmaps) {
    r.loadDecalTexture();
    EXPECT_EQ(
        textureBytes(r.decalTextureId, 2, 2),
        (std::vector<unsigned char>{255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128, 9, 9, 9, 9}));
    GLint levelOneWidth = 0;
    glGetTextureLevelParameteriv(r.decalTextureId, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(levelOneWidth, 1);
}
