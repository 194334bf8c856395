// Renderer::init and destroy, and the two textures.
#include "test_assets.h"

using RendererGL = RenderTest;

TEST_F(RendererGL, InitBuildsTheGpuSideOnceAndDestroyReleasesAllOfIt) {
    glCreateVertexArrays(1, &r.meshVao);  // without init, destroy still deletes the mesh
    glCreateBuffers(3, r.meshVbos);
    r.V = Eigen::MatrixXd::Ones(3, 3);
    r.destroy();
    EXPECT_TRUE(r.V.size() == 0 && countLiveObjects() == baseline);
    registerSevenPrograms();
    fbWidth = 48;
    fbHeight = 32;
    r.init();
    ASSERT_TRUE(r.inited);
    EXPECT_EQ(std::vector<ShaderProgram*>(r.programs, r.programs + 7), shaderPrograms);
    EXPECT_EQ(r.sphereIndexCount, 24);  // the octahedron's 8 triangles
    EXPECT_TRUE(r.gBuffer->width == 48 && r.gBuffer->height == 32);
    const LiveObjects initialised = countLiveObjects();
    fbWidth = 99;
    r.init();  // a second init changes nothing
    EXPECT_EQ(r.width, 48);
    EXPECT_EQ(countLiveObjects(), initialised);
    r.destroy();
    EXPECT_FALSE(r.inited);
    EXPECT_EQ(countLiveObjects(), baseline) << "everything init made is gone";
    r.init();  // the released names are forgotten, so a new init keeps all it makes
    EXPECT_EQ(countLiveObjects(), initialised);
}

// A 5 by 2 RGB colour map has rows of 15 bytes, which a 4-byte unpack
// alignment would skew; the decal keeps its alpha and has mipmaps.
TEST_F(RendererGL, TexturesKeepEveryTexel) {
    auto bytes = [](GLuint texture, int texels) {
        std::vector<unsigned char> out(4 * texels);
        glGetTextureImage(texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, int(out.size()), out.data());
        return out;
    };
    std::vector<unsigned char> map, expected;
    for (int i = 0; i < 30; ++i) map.push_back(static_cast<unsigned char>(7 * i + 1));
    for (int i = 0; i < 30; i += 3)
        expected.insert(expected.end(), {map[i], map[i + 1], map[i + 2], 255});
    writePng("map.png", 5, 2, 3, map);
    r.loadGradientTexture("grad_OrRd.png");
    r.loadGradientTexture("map.png");  // replaces the first
    EXPECT_EQ(countLiveObjects()[0], baseline[0] + 1);
    EXPECT_EQ(bytes(r.gradientTextureId, 10), expected) << "first row at t = 0, alpha 1";
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the caller's unpack state comes back";

    r.loadDecalTexture();
    EXPECT_EQ(bytes(r.decalTextureId, 4), (std::vector<unsigned char>{255, 0, 0, 255, 0, 255, 0, 0,
                                                                      0, 0, 255, 128, 9, 9, 9, 9}));
    GLint levelOneWidth = 0;
    glGetTextureLevelParameteriv(r.decalTextureId, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    EXPECT_EQ(levelOneWidth, 1);
}
