#include "render/framebuffer.h"
#include "render/shader_program.h"
#include "test_assets.h"

using RendererGL = RenderTest;

TEST_F(RendererGL, InitBuildsTheGpuSideOnceAndDestroyReleasesAllOfIt) {
    registerSevenPrograms();
    fbWidth = 48;
    fbHeight = 32;
    r.init();
    ASSERT_TRUE(r.inited);
    EXPECT_EQ(std::vector<ShaderProgram*>(r.programs, r.programs + 7), shaderPrograms);
    EXPECT_EQ(r.sphereIndexCount, 24);  // the octahedron's 8 triangles
    EXPECT_TRUE(r.gBuffer->width == 48 && r.gBuffer->height == 32);
    EXPECT_TRUE(glIsTexture(r.decalTextureId) && glIsTexture(r.gradientTextureId));
    const LiveObjects initialised = countLiveObjects();
    fbWidth = 99;
    r.init();  // a second init changes nothing
    EXPECT_EQ(r.width, 48);
    EXPECT_EQ(countLiveObjects(), initialised);

    const GLuint decal = r.decalTextureId, vao = r.sphereVao;
    r.destroy();
    EXPECT_FALSE(r.inited || glIsTexture(decal) || glIsVertexArray(vao));
    EXPECT_EQ(r.gBuffer, nullptr);
    EXPECT_EQ(countLiveObjects(), baseline) << "everything init made is gone";
    r.init();  // the released names are forgotten, so a new init keeps all it makes
    EXPECT_EQ(countLiveObjects(), initialised);
}

// Without init, destroy still empties the mesh and deletes its GPU objects.
TEST_F(RendererGL, DestroyWithoutInitDeletesOnlyTheMesh) {
    glCreateVertexArrays(1, &r.meshVao);
    glCreateBuffers(3, r.meshVbos);
    glCreateBuffers(1, &r.meshIbo);
    r.V = Eigen::MatrixXd::Ones(3, 3);
    r.endpoints = {0, 2};
    r.hasU = true;
    r.destroy();
    EXPECT_TRUE(r.V.size() == 0 && r.endpoints.empty() && !r.hasU);
    EXPECT_EQ(countLiveObjects(), baseline);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
