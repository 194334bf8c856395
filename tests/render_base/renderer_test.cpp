#include <stb_image_write.h>

#include "render_scene.h"

using RendererGL = RenderScene;

// Each resize replaces the set; the G-buffer writes its seeds into the
// flood's first target and lends its depth to the composition's.
TEST_F(RendererGL, InitBuildsTheGpuSideOnceAndDestroyReleasesAllOfIt) {
    const LiveObjects initialised = countLiveObjects();
    setSize(64, 48);
    setSize(40, 30);
    EXPECT_EQ(countLiveObjects(), initialised);
    EXPECT_TRUE(r.gBuffer->colorTextures[0] == r.jfaFramebuffers[0]->colorTextures[0] &&
                r.finalFramebuffer->depthRenderbuffer == r.gBuffer->depthRenderbuffer);
    EXPECT_EQ(std::vector<ShaderProgram*>(r.programs, r.programs + 7), shaderPrograms);
    int vertices = 0, faces = 0;
    sscanf(readFile(assetsDir + "/models/sphere.off").c_str(), "OFF %d %d", &vertices, &faces);
    EXPECT_EQ(r.sphereIndexCount, 3 * faces);
    fbWidth = 99;
    r.init();  // a second init changes nothing
    EXPECT_TRUE(r.width == 40 && countLiveObjects() == initialised);
    r.destroy();
    EXPECT_TRUE(!r.inited && countLiveObjects() == baseline) << "all init made is gone";
    glCreateVertexArrays(1, &r.meshVao);  // without init, destroy still deletes the mesh
    glCreateBuffers(3, r.meshVbos);
    r.V = Eigen::MatrixXd::Ones(3, 3);
    r.destroy();
    EXPECT_TRUE(r.V.size() == 0 && countLiveObjects() == baseline);
    r.init();  // the released names are forgotten, so a new init keeps all it makes
    EXPECT_EQ(countLiveObjects(), initialised);
    const GLuint shared = r.jfaFramebuffers[0]->colorTextures[0];
    delete std::exchange(r.gBuffer, nullptr);  // a sharer deletes only what it made
    EXPECT_TRUE(glIsTexture(shared));
}

// A 5 by 2 RGB colour map has rows of 15 bytes, which a 4-byte unpack
// alignment would skew. (The decal shows in the reference pictures.)
TEST_F(RendererGL, TexturesKeepEveryTexel) {
    std::vector<unsigned char> map, expected, got(40);
    for (int i = 0; i < 30; ++i) map.push_back(static_cast<unsigned char>(7 * i + 1));
    for (int i = 0; i < 30; i += 3)
        expected.insert(expected.end(), {map[i], map[i + 1], map[i + 2], 255});
    stbi_write_png((assetsDir + "/textures/map.png").c_str(), 5, 2, 3, map.data(), 15);
    const LiveObjects before = countLiveObjects();
    r.loadGradientTexture("map.png");  // replaces the default map
    glGetTextureImage(r.gradientTextureId, 0, GL_RGBA, GL_UNSIGNED_BYTE, 40, got.data());
    EXPECT_TRUE(countLiveObjects() == before && got == expected) << "first row at t = 0, alpha 1";
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the caller's unpack state comes back";
}
